#include "edit/CellFields.h"

#include <set>
#include <utility>

#include "data/Paging.h"
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

std::vector<CellField> PageCells(TZylHTMLGrid& grid) {
  const long long first = paging::FirstRecordOfPage(grid.GetPage(), grid.GetRowsPerPage());
  const long long end = first + grid.GetRowsPerPage();
  std::vector<CellField> cells;
  std::set<std::pair<int, int>> taken;
  for (const form::FormField& posted : PostedFields(grid)) {
    CellField cell;
    if (!ParseCellField(posted, true, cell) || cell.record < first || cell.record >= end ||
        EditableColumnOfField(grid, cell.field) == nullptr ||
        !taken.emplace(cell.record, cell.field).second) {
      continue;
    }
    cells.push_back(std::move(cell));
  }
  return cells;
}

std::vector<CellField> AddedCells(TZylHTMLGrid& grid) {
  std::vector<CellField> cells;
  for (const form::FormField& posted : PostedFields(grid)) {
    CellField cell;
    if (ParseCellField(posted, false, cell) && EditableColumnOfField(grid, cell.field) != nullptr) {
      cells.push_back(std::move(cell));
    }
  }
  return cells;
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
