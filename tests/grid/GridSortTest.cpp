// Sorting the page's rows and the column sort-order setter.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"

namespace zyl {
namespace {

std::vector<std::string> ColumnValues(TZylHTMLGrid& grid, int col) {
  std::vector<std::string> out;
  for (int r = 0; r < grid.GetRowCount(); ++r) out.push_back(grid.GetCells(r, col)->GetValue());
  return out;
}

void Fill(TZylHTMLGrid& grid, int col, const std::vector<std::string>& values) {
  grid.SetRowCount(static_cast<int>(values.size()));
  for (std::size_t r = 0; r < values.size(); ++r) {
    TZylField* cell = grid.GetCells(static_cast<int>(r), col);
    cell->SetValue(values[r]);
    double d = 0;
    if (!values[r].empty()) d = std::stod(values[r].find_first_not_of("0123456789.") == std::string::npos ? values[r] : "0");
    cell->SetNumericValue(d);
  }
}

TEST(GridSort, TextSortsInLocaleOrderWithCaseDecidingTies) {
  TZylHTMLGrid grid(nullptr);
  Fill(grid, 0, {"b", "B", "a"});
  grid.GetColumns(0)->SetSortOrder(TSortOrder::soAscending);
  EXPECT_EQ(ColumnValues(grid, 0), (std::vector<std::string>{"a", "b", "B"}));
  grid.GetColumns(0)->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(ColumnValues(grid, 0), (std::vector<std::string>{"B", "b", "a"}));
}

TEST(GridSort, NumbersInATextColumnSortAsText) {
  TZylHTMLGrid grid(nullptr);
  Fill(grid, 0, {"10", "9", "100"});
  grid.SortAscending(0);
  EXPECT_EQ(ColumnValues(grid, 0), (std::vector<std::string>{"10", "100", "9"}));
  grid.GetColumns(0)->SetDataType(TFieldType::ftInteger);
  grid.SortAscending(0);
  EXPECT_EQ(ColumnValues(grid, 0), (std::vector<std::string>{"9", "10", "100"}));
}

TEST(GridSort, SortIsStableAndMovesWholeRows) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(2);
  Fill(grid, 0, {"x", "y", "x", "y"});
  for (int r = 0; r < 4; ++r) grid.GetCells(r, 1)->SetValue(std::to_string(r));
  grid.SortAscending(0);
  EXPECT_EQ(ColumnValues(grid, 1), (std::vector<std::string>{"0", "2", "1", "3"}));
  grid.SortDescending(0);
  EXPECT_EQ(ColumnValues(grid, 1), (std::vector<std::string>{"1", "3", "0", "2"}));
  for (int r = 0; r < 4; ++r) EXPECT_EQ(grid.GetRows(r)->GetRowNo(), r);
}

TEST(GridSort, NumberColumnRestoresReadingOrder) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(1);
  grid.Loaded();
  Fill(grid, 1, {"c", "a", "b"});
  grid.SetShowRowNumber(true);
  grid.GetColumns(1)->SetSortOrder(TSortOrder::soAscending);
  grid.GetColumns(0)->SetSortOrder(TSortOrder::soAscending);
  EXPECT_EQ(ColumnValues(grid, 1), (std::vector<std::string>{"c", "a", "b"}));
  grid.GetColumns(0)->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(ColumnValues(grid, 1), (std::vector<std::string>{"b", "a", "c"}));
}

TEST(GridSort, AtMostOneColumnIsSortedAndItsImagesShowIt) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(4);
  grid.GetColumns(1)->SetSortOrder(TSortOrder::soAscending);
  EXPECT_EQ(grid.GetColumns(1)->Glyph()->GetURLASC(), "GAscA.gif");
  EXPECT_EQ(grid.GetColumns(1)->Glyph()->GetURLDSC(), "GDesc.gif");
  grid.GetColumns(2)->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(grid.GetSortColumn(), 2);
  for (int c : {0, 1, 3}) {
    EXPECT_EQ(grid.GetColumns(c)->GetSortOrder(), TSortOrder::soNone);
    EXPECT_EQ(grid.GetColumns(c)->Glyph()->GetURLASC(), "GAsc.gif");
    EXPECT_EQ(grid.GetColumns(c)->Glyph()->GetURLDSC(), "GDesc.gif");
  }
  EXPECT_EQ(grid.GetColumns(2)->Glyph()->GetURLASC(), "GAsc.gif");
  EXPECT_EQ(grid.GetColumns(2)->Glyph()->GetURLDSC(), "GDescA.gif");
  grid.GetColumns(2)->SetSortOrder(TSortOrder::soNone);
  EXPECT_EQ(grid.GetSortColumn(), -1);
}

TEST(GridSort, DatesCompareByDateValue) {
  TZylHTMLGrid grid(nullptr);
  grid.SetRowCount(3);
  grid.GetColumns(0)->SetDataType(TFieldType::ftDate);
  double days[] = {38000, 12, 40000};
  for (int r = 0; r < 3; ++r) {
    grid.GetCells(r, 0)->SetDateValue(days[r]);
    grid.GetCells(r, 0)->SetValue(std::to_string(r));
  }
  grid.SortDescending(0);
  EXPECT_EQ(ColumnValues(grid, 0), (std::vector<std::string>{"2", "0", "1"}));
  EXPECT_EQ(grid.CompareValues(0, 0, 0), 0);
  EXPECT_EQ(grid.CompareValues(0, 0, 1), 1);
  EXPECT_EQ(grid.CompareValues(0, 2, 1), -1);
}

}  // namespace
}  // namespace zyl
