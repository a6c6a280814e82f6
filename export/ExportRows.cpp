#include "export/ExportRows.h"

#include "export/StreamedExports.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl::exporting {
namespace {

class PageRows : public ExportRows {
 public:
  explicit PageRows(TZylHTMLGrid& grid) : grid_(grid) {}
  bool Next() override {
    const int rows = grid_.GetRowCount();
    while (++row_ < rows) {
      if (grid_.GetRows(row_)->GetVisible()) {
        ++number_;
        return true;
      }
    }
    return false;
  }
  int GridRow() override { return row_; }
  exporting::Value Value(int gridColumn, int fieldType) override {
    return CellValue(*grid_.GetCells(row_, gridColumn), fieldType);
  }
  long long Number() const override { return number_; }

 private:
  TZylHTMLGrid& grid_;
  int row_ = -1;
  long long number_ = 0;
};

// The dataset's records, each read into one scratch row added after the
// page's rows and removed at the end.
class ResultRows : public ExportRows {
 public:
  explicit ResultRows(TZylHTMLGrid& grid) : grid_(grid), dataset_(*grid.GetDataset()) {
    numbers_ = HasNumberColumn(grid);
    if (numbers_ && grid.GetColCount() > 0) numberOrder_ = grid.GetColumns(0)->GetSortOrder();
    if (numbers_) grid.SetShowRowNumber(false);
    scratch_ = grid.InternalAddRow()->GetRowNo();
  }
  ~ResultRows() override {
    grid_.DeleteRow(scratch_);
    if (!numbers_) return;
    grid_.SetShowRowNumber(true);
    if (numberOrder_ != TSortOrder::soNone && grid_.GetColCount() > 0) {
      grid_.GetColumns(0)->StoreSortOrder(numberOrder_);
    }
  }
  ResultRows(const ResultRows&) = delete;
  ResultRows& operator=(const ResultRows&) = delete;

  bool Next() override {
    if (number_ == 0) {
      dataset_.First();
    } else {
      dataset_.Next();
    }
    if (dataset_.Eof()) return false;
    ++number_;
    populated_ = false;
    return true;
  }
  int GridRow() override {
    if (!populated_) grid_.PopulateRow(scratch_);
    populated_ = true;
    return scratch_;
  }
  exporting::Value Value(int gridColumn, int fieldType) override {
    const int field = grid_.GetColumns(gridColumn)->GetFieldIndex();
    return FieldValue(*dataset_.GetField(field), fieldType);
  }
  long long Number() const override { return number_; }

 private:
  TZylHTMLGrid& grid_;
  TDataSet& dataset_;
  bool numbers_ = false;
  TSortOrder numberOrder_ = TSortOrder::soNone;
  int scratch_ = 0;
  long long number_ = 0;
  bool populated_ = false;
};

}  // namespace

bool HasNumberColumn(TZylHTMLGrid& grid) {
  // The property alone does not tell: a grid made in code (never Loaded)
  // has it from the start but gets the column only when it is set again.
  if (!grid.GetShowRowNumber() || grid.IsLoading() || grid.GetColCount() == 0) return false;
  const TZylColumn* column = grid.GetColumns(0);
  return column->GetFieldName().empty() && column->GetDataType() == TFieldType::ftInteger &&
         column->GetCaption() == grid.GetTextNumber();
}

std::unique_ptr<ExportRows> RowsOf(TZylHTMLGrid& grid, TExportScope scope) {
  const bool dataset = grid.GetDataset() != nullptr && grid.GetDataset()->GetActive();
  if (scope == TExportScope::WholeResult && dataset) return std::make_unique<ResultRows>(grid);
  return std::make_unique<PageRows>(grid);
}

}  // namespace zyl::exporting
