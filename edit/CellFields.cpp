#include "edit/CellFields.h"

#include "grid/ZylHTMLGrid.h"
#include "platform/Format.h"
#include "platform/Locale.h"
#include "request/ZylCSS.h"

namespace zyl::edit {

namespace {
constexpr std::string_view kCellPrefix = "GCELL_";
}  // namespace

bool ParseCellField(std::string_view line, bool needRecord, CellField& cell) {
  std::size_t equals = line.find('=');
  std::string_view name = line.substr(0, equals);
  if (name.substr(0, kCellPrefix.size()) != kCellPrefix) return false;
  std::string_view rest = name.substr(kCellPrefix.size());
  std::size_t under = rest.find('_');
  if (under == std::string_view::npos) return false;
  int record = 0;
  int field = 0;
  if (!TryStrToInt(rest.substr(under + 1), field)) return false;
  if (!TryStrToInt(rest.substr(0, under), record)) {
    if (needRecord) return false;
    record = -1;
  }
  cell.record = record;
  cell.field = field;
  cell.value =
      equals == std::string_view::npos ? std::string() : std::string(line.substr(equals + 1));
  return true;
}

bool IsTicked(std::string_view value) {
  return AnsiSameText(value, "on");
}

bool IsEditable(const TZylColumn& column) {
  return column.GetEditMode() && !column.GetReadOnly();
}

TZylColumn* EditableColumnOfField(const TZylHTMLGrid& grid, int fieldIndex) {
  if (fieldIndex < 0) return nullptr;
  for (int c = 0; c < grid.ColumnListCount(); ++c) {
    TZylColumn* column = grid.GetColumns(c);
    if (column->GetFieldIndex() == fieldIndex && IsEditable(*column)) return column;
  }
  return nullptr;
}

void ReportFailure(TZylHTMLGrid& grid, const std::string& message, bool withPrefix) {
  grid.SetLastUpdateError(message);
  if (TZylCSS* css = grid.CSSLink())
    css->SetErrorText(withPrefix ? "Error:\\n" + message : message);
  grid.SetShowErrorBox(true);
}

}  // namespace zyl::edit
