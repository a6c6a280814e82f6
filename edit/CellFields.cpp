#include "edit/CellFields.h"

#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "request/ZylCSS.h"

namespace zyl::edit {

bool ParseCellField(const form::FormField& posted, bool needRecord, CellField& cell) {
  int record = 0;
  int field = 0;
  if (!form::ParseCellField(posted.name, needRecord, record, field)) return false;
  cell.record = record;
  cell.field = field;
  cell.value = posted.value;
  return true;
}

const form::FormFields& PostedFields(TZylHTMLGrid& grid) {
  static const form::FormFields kNone;
  TZylCSS* css = grid.CSSLink();
  return css == nullptr ? kNone : css->GetPostFields();
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
