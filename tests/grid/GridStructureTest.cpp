// Structure editing: columns, rows, resizing and the row-number column.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"

namespace zyl {
namespace {

// Every structural operation must leave these invariants in place.
void ExpectConsistent(TZylHTMLGrid& grid) {
  int rows = grid.GetRowCount();
  int cols = grid.GetColCount();
  ASSERT_EQ(grid.Matrix().RowListCount(), rows);
  for (int r = 0; r < rows; ++r) {
    EXPECT_EQ(grid.GetRows(r)->GetRowNo(), r);
    EXPECT_EQ(grid.Matrix().RowList(r).Count(), cols) << "row " << r;
  }
  for (int c = 0; c < cols; ++c) EXPECT_EQ(grid.GetColumns(c)->GetColNo(), c);
}

TEST(GridStructure, ColCountIsCappedAtMaxCols) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(300);
  EXPECT_EQ(grid.GetColCount(), 256);
  grid.SetMaxCols(10);
  grid.SetColCount(12);
  EXPECT_EQ(grid.GetColCount(), 10);
  ExpectConsistent(grid);
}

TEST(GridStructure, InsertColNumbersAndFieldIndexes) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(2);
  for (int c = 0; c < 3; ++c) grid.GetColumns(c)->SetFieldIndex(c + 10);
  grid.GetCells(1, 0)->SetValue("was first");
  TZylColumn* inserted = grid.InsertCol(0);
  EXPECT_EQ(inserted->GetColNo(), 0);
  EXPECT_EQ(inserted->GetFieldIndex(), 0);
  EXPECT_EQ(grid.GetColumns(1)->GetFieldIndex(), 10);  // FieldIndex values do not change
  EXPECT_EQ(grid.GetCells(1, 0)->GetValue(), "");
  EXPECT_EQ(grid.GetCells(1, 1)->GetValue(), "was first");
  ExpectConsistent(grid);
  EXPECT_THROW(grid.InsertCol(9), EListError);
  ExpectConsistent(grid);
}

TEST(GridStructure, DeleteLastColumnKeepsTheOthersNumbers) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(4);
  TZylColumn* second = grid.GetColumns(1);
  grid.DeleteCol(3);
  EXPECT_EQ(second->GetColNo(), 1);
  grid.DeleteCol(0);
  EXPECT_EQ(second->GetColNo(), 0);
  ExpectConsistent(grid);
  EXPECT_THROW(grid.DeleteCol(5), EListError);
}

TEST(GridStructure, RowNumbersFollowThePage) {
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  grid.SetPage(3);
  grid.SetRowsPerPage(40);
  grid.SetRowCount(5);
  TZylRow* row = grid.AddRow();
  EXPECT_EQ(row->GetRowNo(), 5);
  EXPECT_EQ(grid.GetCells(5, 0)->GetValue(), "86");
  EXPECT_EQ(grid.GetCells(5, 0)->GetNumericValue(), 86);
  EXPECT_EQ(grid.GetCells(5, 0)->GetVariantValue().ToInt64(), 86);
  ExpectConsistent(grid);
}

TEST(GridStructure, InsertRowNumbersOnlyTheNewRow) {
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  grid.SetRowCount(3);
  grid.SetShowRowNumber(true);  // renumbers: 1, 2, 3
  grid.InsertRow(0);
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "1");
  EXPECT_EQ(grid.GetCells(1, 0)->GetValue(), "1");  // moved rows keep their text
  EXPECT_EQ(grid.GetCells(3, 0)->GetValue(), "3");
  grid.SetShowRowNumber(true);
  EXPECT_EQ(grid.GetCells(3, 0)->GetValue(), "4");
  ExpectConsistent(grid);
}

TEST(GridStructure, NumberColumnIsInsertedOnceAndRemovedWhateverItHolds) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetShowRowNumber(true);  // a new grid reads true but has no number column yet
  EXPECT_EQ(grid.GetColCount(), 2);
  grid.Loaded();
  grid.SetShowRowNumber(true);
  EXPECT_EQ(grid.GetColCount(), 3);
  TZylColumn* number = grid.GetColumns(0);
  EXPECT_EQ(number->GetCaption(), "No:");
  EXPECT_EQ(number->GetCaptionHAlign(), HAlignment::alRight);
  EXPECT_EQ(number->GetDataType(), TFieldType::ftInteger);
  EXPECT_EQ(number->GetDataSize(), 0);
  EXPECT_FALSE(number->GetShowSelector());
  grid.GetColumns(0)->SetCaption("data");
  grid.SetShowRowNumber(false);
  EXPECT_EQ(grid.GetColCount(), 2);
  ExpectConsistent(grid);
}

TEST(GridStructure, RowCountZeroThenAddRow) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(4);
  grid.SetRowCount(0);
  EXPECT_EQ(grid.GetRowCount(), 0);
  EXPECT_EQ(grid.Matrix().RowListCount(), 0);
  TZylRow* row = grid.AddRow();
  EXPECT_EQ(row->GetRowNo(), 0);
  ExpectConsistent(grid);
}

TEST(GridStructure, NegativeRowCountDeletesEverythingThenRaises) {
  TZylHTMLGrid grid(nullptr);
  grid.SetRowCount(3);
  EXPECT_THROW(grid.SetRowCount(-1), EListError);
  EXPECT_EQ(grid.GetRowCount(), 0);
}

TEST(GridStructure, AddRowTakesColumnFormattingInternalAddRowDoesNot) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(2);
  grid.GetColumns(1)->SetColor(0xFFFFFF);
  grid.GetColumns(1)->SetHAlign(HAlignment::alRight);
  grid.GetColumns(1)->Font().SetSize(14);
  TZylRow* formatted = grid.AddRow();
  TZylRow* plain = grid.InternalAddRow();
  EXPECT_EQ(grid.GetCells(formatted->GetRowNo(), 1)->GetColor(), 0xFFFFFFu);
  EXPECT_EQ(grid.GetCells(formatted->GetRowNo(), 1)->GetHAlign(), HAlignment::alRight);
  EXPECT_EQ(grid.GetCells(formatted->GetRowNo(), 1)->Font().GetSize(), 14);
  EXPECT_EQ(grid.GetCells(plain->GetRowNo(), 1)->GetColor(), clNone);
  EXPECT_EQ(grid.GetCells(plain->GetRowNo(), 1)->Font().GetSize(), 8);
}

TEST(GridStructure, MovingAColumnMovesItsCellsInEveryRow) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(4);
  grid.SetRowCount(3);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) grid.GetCells(r, c)->SetValue(std::to_string(r) + ":" + std::to_string(c));
  }
  TZylColumn* moved = grid.GetColumns(0);
  moved->SetColNo(2);
  EXPECT_EQ(grid.GetColumns(2), moved);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(grid.GetCells(r, 0)->GetValue(), std::to_string(r) + ":1");
    EXPECT_EQ(grid.GetCells(r, 1)->GetValue(), std::to_string(r) + ":2");
    EXPECT_EQ(grid.GetCells(r, 2)->GetValue(), std::to_string(r) + ":0");
  }
  ExpectConsistent(grid);
  try {
    moved->SetColNo(4);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid column number: 4");
  }
}

TEST(GridStructure, MovingARowMovesItsCells) {
  TZylHTMLGrid grid(nullptr);
  grid.SetRowCount(3);
  for (int r = 0; r < 3; ++r) grid.GetCells(r, 0)->SetValue(std::to_string(r));
  TZylRow* row = grid.GetRows(2);
  row->SetRowNo(0);
  EXPECT_EQ(grid.GetRows(0), row);
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "2");
  EXPECT_EQ(grid.GetCells(1, 0)->GetValue(), "0");
  ExpectConsistent(grid);
  try {
    row->SetRowNo(-1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid row number: -1");
  }
  EXPECT_EQ(grid.GetRows(0), row);  // nothing moved
}

}  // namespace
}  // namespace zyl
