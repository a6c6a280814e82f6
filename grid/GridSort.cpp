// Sorting the rows the grid holds (one page) by one column. The sort is
// stable: equal rows keep their order, so sorting by a second column keeps
// the first order among equal values. It runs in O(n log n) and leaves the
// rows exactly where repeated adjacent exchanges would.
#include <algorithm>
#include <numeric>

#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"

namespace zyl {

int TZylHTMLGrid::CompareValues(int aCol, int row1, int row2) const {
  const TZylField* a = GetCells(row1, aCol);
  const TZylField* b = GetCells(row2, aCol);
  TFieldType type = columns_.Get(aCol)->GetDataType();
  auto three = [](double x, double y) { return x == y ? 0 : (x > y ? 1 : -1); };
  if (IsNumberType(type)) return three(a->GetNumericValue(), b->GetNumericValue());
  if (IsDateType(type)) return three(a->GetDateValue(), b->GetDateValue());
  return AnsiCompareStr(a->GetValue(), b->GetValue());
}

void TZylHTMLGrid::SortRows(int aCol, bool descending) {
  int count = matrix_->RowListCount() < rows_.Count() ? matrix_->RowListCount() : rows_.Count();
  if (count < 2) return;
  std::vector<int> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
    int c = CompareValues(aCol, x, y);
    return descending ? c > 0 : c < 0;
  });
  matrix_->PermuteRowLists(order);
  rows_.Permute(order);
  RenumberRows(0);
}

void TZylHTMLGrid::SortAscending(int aCol) {
  if (links_.dataset != nullptr && paging_.globalSorting) {
    SortDataset(aCol, TSortOrder::soAscending);
    return;
  }
  SortRows(aCol, false);
  columns_.Get(aCol)->StoreSortOrder(TSortOrder::soAscending);
}

void TZylHTMLGrid::SortDescending(int aCol) {
  if (links_.dataset != nullptr && paging_.globalSorting) {
    SortDataset(aCol, TSortOrder::soDescending);
    return;
  }
  SortRows(aCol, true);
  columns_.Get(aCol)->StoreSortOrder(TSortOrder::soDescending);
}

int TZylHTMLGrid::GetSortColumn() const {
  for (int c = 0; c < columns_.Count(); ++c) {
    if (columns_.Get(c)->GetSortOrder() != TSortOrder::soNone) return c;
  }
  return -1;
}

}  // namespace zyl
