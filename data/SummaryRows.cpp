// The extra row at the bottom of a page: column sums, column averages, or
// the empty row for a record being added.
#include <exception>

#include "grid/ZylHTMLGrid.h"
#include "platform/Format.h"

namespace zyl {

namespace {

void AddBold(TFont& font) {
  TFontStyles style = font.GetStyle();
  style.Include(TFontStyleFlag::fsBold);
  font.SetStyle(style);
}

// The total of column `c` over every record that passes the filter: the
// dataset's Aggregate, or a text file's filtered lines; false when there is
// none (no value at all, or a dataset that cannot tell).
bool WholeResultTotal(TZylHTMLGrid& grid, int c, bool average, double& value) {
  TZylColumn* column = grid.GetColumns(c);
  TDataSet* ds = grid.GetDataset();
  if (ds != nullptr && ds->GetActive()) {
    try {
      return ds->Aggregate(column->GetFieldIndex(), average, value);
    } catch (const std::exception&) {
      return false;
    }
  }
  auto [sum, count] = grid.FileTotal(column->GetFieldIndex());
  if (count == 0) return false;
  value = average ? sum / count : sum;
  return true;
}

// Appends the sum row, or with `average` the average row, of the rows the
// grid holds (hidden rows included). Numeric, visible columns get their
// total or mean; the others stay empty. Column 0 carries the label when it
// is the row-number column.
void AppendSummaryRow(TZylHTMLGrid& grid, bool average) {
  int rows = grid.GetRowCount();
  if (rows == 0) return;
  TZylRow* row = grid.AddRow();
  row->SetColor(grid.GetCalcRowColor());
  int last = row->GetRowNo();
  bool numbers = grid.GetShowRowNumber();
  int firstCol = numbers ? 1 : 0;
  int cols = grid.GetColCount();
  for (int c = firstCol; c < cols; ++c) grid.GetCells(last, c)->SetNumericValue(0);
  for (int c = firstCol; c < cols; ++c) {
    if (!grid.IsNumeric(c) || !grid.GetColumns(c)->GetVisible()) continue;
    double value = 0;
    bool whole = grid.GetWholeResultTotals() && WholeResultTotal(grid, c, average, value);
    if (!whole) {
      for (int r = 0; r < last; ++r) value += grid.GetCells(r, c)->GetNumericValue();
    }
    TZylField* cell = grid.GetCells(last, c);
    if (average) {
      if (!whole) value /= last;  // every row counts in the divisor, rows with empty cells too
      cell->Font().SetStyle(TFontStyles{TFontStyleFlag::fsBold});
    } else {
      AddBold(cell->Font());
    }
    cell->SetNumericValue(value);
    cell->SetValue(FloatToStr(value));
  }
  if (numbers && cols > 0) {
    TZylField* label = grid.GetCells(last, 0);
    label->SetValue(average ? grid.GetTextAverage() : grid.GetTextSum());
    AddBold(label->Font());
  }
}

}  // namespace

bool TZylHTMLGrid::IsNumeric(int col) const {
  TFieldType type = columns_.Get(col)->GetDataType();
  return IsNumberType(type) || type == TFieldType::ftLargeint;
}

bool TZylHTMLGrid::IsDate(int col) const {
  return IsDateType(columns_.Get(col)->GetDataType());
}

void TZylHTMLGrid::CalcSum() {
  AppendSummaryRow(*this, false);
}

void TZylHTMLGrid::CalcSA() {
  AppendSummaryRow(*this, true);
}

void TZylHTMLGrid::AddNew() {
  TZylRow* row = AddRow();
  row->SetColor(look_.currentRowColor);
}

}  // namespace zyl
