#include "edit/WholeFileFrame.h"

#include <climits>

#include "grid/ZylHTMLGrid.h"
#include "platform/Exception.h"

namespace zyl::edit {

WholeFileFrame::WholeFileFrame(TZylHTMLGrid& grid)
    : grid_(grid),
      lock_(grid.GetFileName()),
      maxRows_(grid.GetMaxRows()),
      maxCols_(grid.GetMaxCols()),
      rowsPerPage_(grid.GetRowsPerPage()),
      page_(grid.GetPage()),
      recNo_(grid.GetRecNo()),
      doMadeSum_(grid.GetDoMadeSum()),
      doMadeSA_(grid.GetDoMadeSA()),
      addingRecord_(grid.GetAddingRecord()),
      filters_(grid.GetFilters()),
      search_(grid.GetSearch()) {
  // Under a filter the page's positions are not the file's lines: only
  // rows that name their line (RowIdentity) can be written.
  if ((!filters_.empty() || !search_.empty()) && !grid.GetRowIdentity())
    throw EInOutError("text file '" + grid.GetFileName() + "': clear the filter to edit it");
  for (const auto& filter : filters_) grid.SetFilter(filter.first, "");
  grid.SetSearch("");
  for (int c = 0; c < grid.ColumnListCount(); ++c) {
    TZylColumn* column = grid.GetColumns(c);
    visible_.push_back(column->GetVisible());
    sortOrders_.push_back(column->GetSortOrder());
    column->SetVisible(true);
    column->StoreSortOrder(TSortOrder::soNone);
  }
  grid.SetDoMadeSum(false);
  grid.SetDoMadeSA(false);
  grid.SetAddingRecord(false);
  grid.SetMaxRows(INT_MAX);
  grid.SetMaxCols(INT_MAX);
  grid.SetRowsPerPage(INT_MAX);
  grid.SetPage(1);
  if (!grid.LoadFromFile(grid.GetFileName())) {
    Restore();
    throw EInOutError("text file '" + grid.GetFileName() + "': cannot be loaded for editing");
  }
  // Columns the file has beyond the page's (MaxCols) are written too.
  for (int c = static_cast<int>(visible_.size()); c < grid.ColumnListCount(); ++c) {
    grid.GetColumns(c)->SetVisible(true);
  }
}

WholeFileFrame::~WholeFileFrame() {
  Restore();
}

void WholeFileFrame::Write() {
  grid_.SaveToFile(grid_.GetFileName());
}

void WholeFileFrame::Restore() {
  if (restored_) return;
  restored_ = true;
  grid_.SetMaxRows(maxRows_);
  grid_.SetMaxCols(maxCols_);
  grid_.SetRowsPerPage(rowsPerPage_);
  grid_.SetPage(page_);
  int cols = grid_.ColumnListCount();
  for (int c = 0; c < cols && c < static_cast<int>(visible_.size()); ++c) {
    TZylColumn* column = grid_.GetColumns(c);
    column->SetVisible(visible_[static_cast<std::size_t>(c)]);
    column->StoreSortOrder(sortOrders_[static_cast<std::size_t>(c)]);
  }
  grid_.SetDoMadeSum(doMadeSum_);
  grid_.SetDoMadeSA(doMadeSA_);
  grid_.SetAddingRecord(addingRecord_);
  grid_.SetRecNo(recNo_);
  for (const auto& [field, text] : filters_) grid_.SetFilter(field, text);
  grid_.SetSearch(search_);
}

bool WholeFileFrame::WasVisible(int col) const {
  return col >= 0 && col < static_cast<int>(visible_.size()) &&
         visible_[static_cast<std::size_t>(col)];
}

}  // namespace zyl::edit
