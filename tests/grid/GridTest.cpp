// The grid's object model: structure editing keeps rows, columns and the
// matrix consistent; settings reach the cells; links to other components
// are checked and cleared when those go; the matrix frees its cells once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "datasets/ZylMemDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

// Every structural operation must leave these invariants in place.
void ExpectConsistent(TZylHTMLGrid& grid) {
  ASSERT_EQ(grid.Matrix().RowListCount(), grid.GetRowCount());
  for (int r = 0; r < grid.GetRowCount(); ++r) {
    EXPECT_EQ(grid.GetRows(r)->GetRowNo(), r);
    EXPECT_EQ(grid.Matrix().RowList(r).Count(), grid.GetColCount()) << "row " << r;
  }
  for (int c = 0; c < grid.GetColCount(); ++c) EXPECT_EQ(grid.GetColumns(c)->GetColNo(), c);
}

std::string Row(TZylHTMLGrid& grid, int r) {
  std::string out;
  for (int c = 0; c < grid.GetColCount(); ++c) out += grid.GetCells(r, c)->GetValue() + "|";
  return out;
}

TEST(Grid, StructureEditingMovesWholeCellsAndStaysConsistent) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(300);
  EXPECT_EQ(grid.GetColCount(), 256) << "capped at MaxCols";
  grid.SetColCount(3), grid.SetRowCount(3);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c)
      grid.GetCells(r, c)->SetValue(std::to_string(r) + std::to_string(c));
  }
  TZylColumn* first = grid.GetColumns(0);
  first->SetColNo(2);
  EXPECT_EQ(Row(grid, 1), "11|12|10|");
  grid.InsertCol(0);
  grid.DeleteCol(3);
  EXPECT_EQ(Row(grid, 2), "|21|22|");
  grid.GetRows(2)->SetRowNo(0);
  EXPECT_EQ(Row(grid, 0), "|21|22|");
  ExpectConsistent(grid);
  EXPECT_THROW(grid.InsertCol(9), EListError);
  EXPECT_THROW(grid.DeleteCol(5), EListError);
  EXPECT_THROW(grid.GetColumns(1)->SetColNo(3), Exception);
  EXPECT_THROW(grid.GetRows(0)->SetRowNo(-1), Exception);
  EXPECT_EQ(Row(grid, 0), "|21|22|") << "a refused move moves nothing";
  ExpectConsistent(grid);
  EXPECT_THROW(grid.SetRowCount(-1), EListError);
  EXPECT_EQ(grid.GetRowCount(), 0);
  EXPECT_EQ((grid.AddRow(), grid.InsertRow(0))->GetRowNo(), 0) << "the added row moves down";
  ExpectConsistent(grid);
}

TEST(Grid, RowNumberColumnIsAddedOnceAndNumbersFollowThePage) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetShowRowNumber(true);
  EXPECT_EQ(grid.GetColCount(), 2) << "no number column before Loaded";
  grid.Loaded();
  grid.SetShowRowNumber(true);
  EXPECT_EQ(grid.GetColCount(), 3);
  grid.SetPage(3), grid.SetRowCount(5);
  grid.AddRow();
  EXPECT_EQ(grid.GetCells(5, 0)->GetValue(), "86");
  EXPECT_EQ(grid.GetCells(5, 0)->GetNumericValue(), 86);
  grid.SetEditMode(true);
  EXPECT_FALSE(grid.GetColumns(0)->GetEditMode()) << "the number column never edits";
  EXPECT_TRUE(grid.GetColumns(2)->GetEditMode());
  grid.GetColumns(0)->SetCaption("data");
  grid.SetShowRowNumber(false);
  EXPECT_EQ(grid.GetColCount(), 2) << "removed whatever it holds";
  ExpectConsistent(grid);
}

TEST(Grid, SettingsReachTheCellsUnlessACellHasItsOwn) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(2), grid.SetRowCount(3);
  TZylColumn* column = grid.GetColumns(1);
  grid.GetCells(1, 1)->Font().SetHeight(-27);
  column->Font().SetSize(11);
  column->SetColor(0x00FF00);
  column->SetVAlign(VAlignment::alTop);
  grid.GetRows(2)->SetColor(0xC8FFC8);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(grid.GetCells(r, 1)->Font().GetSize(), 11);
    EXPECT_EQ(grid.GetCells(r, 1)->GetVAlign(), VAlignment::alTop);
  }
  EXPECT_EQ(grid.GetCells(2, 0)->GetColor(), 0xC8FFC8u);
  EXPECT_EQ(grid.GetCells(0, 0)->GetColor(), clNone);
  EXPECT_EQ(grid.AddRow()->GetItems(1)->GetColor(), 0x00FF00u) << "AddRow takes the column's";
  EXPECT_EQ(grid.InternalAddRow()->GetItems(1)->GetColor(), clNone);
  grid.SetShowGlyphs(false);
  EXPECT_FALSE(grid.AddCol()->GetShowGlyph()) << "new columns take the grid's value";
  grid.SetShowSelectors(true);
  column->SetSelectable(false);
  EXPECT_FALSE(column->GetShowSelector()) << "a selector needs a selectable column";
  grid.SetSelectable(false);
  grid.SetShowSelectors(true);
  EXPECT_FALSE(grid.GetShowSelectors());
}

TEST(Grid, LinksAreCheckedAndClearedWhenTheOtherGoes) {
  TZylHTMLGrid grid(nullptr);
  EXPECT_THAT([&] { grid.SetMasterGrid(&grid); },
              ::testing::ThrowsMessage<Exception>(
                  ::testing::StrEq("Circular references are not allowed!")));
  auto dataset = std::make_unique<TZylMemDataset>(nullptr);
  auto css = std::make_unique<TZylCSS>(nullptr);
  auto master = std::make_unique<TZylHTMLGrid>(nullptr);
  auto detail = std::make_unique<TZylHTMLGrid>(nullptr);
  grid.SetDetailGrid(detail.get());
  EXPECT_THAT([&] { grid.SetMasterGrid(detail.get()); },
              ::testing::ThrowsMessage<Exception>(
                  ::testing::StrEq("Master and Detail grid must be different!")));
  master->SetMaxRows(25);
  EXPECT_THROW((grid.SetMasterGrid(master.get()), grid.SetDetailGrid(master.get())), Exception);
  EXPECT_EQ(grid.GetRowsPerPage(), 25);
  grid.SetDataset(dataset.get()), grid.SetCSS(css.get());
  grid.SetFileName("/nonexistent/zyl-grid-test.txt");
  EXPECT_EQ(grid.GetDataset(), nullptr) << "a file name and a dataset exclude each other";
  grid.SetDataset(dataset.get());
  EXPECT_EQ(grid.GetFileName(), "");
  dataset.reset();
  css.reset();
  master.reset();
  detail.reset();
  EXPECT_EQ(grid.GetDataset(), nullptr);
  EXPECT_EQ(grid.GetCSS(), nullptr);
  EXPECT_EQ(grid.GetMasterGrid(), nullptr);
  EXPECT_EQ(grid.GetDetailGrid(), nullptr);
  TZylMemDataset outlives(nullptr);
  {
    TZylHTMLGrid gone(nullptr);
    gone.SetDataset(&outlives);
  }  // destroying `outlives` afterwards must not touch the freed grid
}

TEST(Grid, AssignAndMatricesShareCellsAndFreeThemOnce) {
  TZylHTMLGrid source(nullptr), target(nullptr);
  for (TZylHTMLGrid* g : {&source, &target}) g->SetColCount(2), g->SetRowCount(2);
  source.SetHeader("Orders");
  source.SetTextSum("Total:");  // not copied
  source.GetColumns(1)->Font().SetSize(12);
  source.GetCells(1, 1)->SetValue("Oslo");
  target.Assign(source);
  EXPECT_EQ(target.GetHeader(), "Orders");
  EXPECT_EQ(target.GetTextSum(), "Sum:");
  EXPECT_EQ(target.GetCells(1, 1)->GetValue(), "Oslo");
  EXPECT_EQ(target.GetCells(0, 1)->Font().GetSize(), 12);
  TZylRow row(&target);
  EXPECT_THAT([&] { target.Assign(row); }, ::testing::ThrowsMessage<EConvertError>(::testing::StrEq(
                                               "Cannot assign a TZylRow to a TZylHTMLGrid")));
  EXPECT_THROW(row.Assign(target), EConvertError);
  EXPECT_THROW(target.GetColumns(0)->Font().Assign(row), EConvertError);
  auto a = std::make_unique<TZylMatrix>(&source);
  a->BuildMatrix(2, 2);
  TZylField* cell = a->GetMatrix(1, 1);
  {
    TZylMatrix b(&source);
    b.BuildMatrix(1, 1);
    b.Assign(*a);
    EXPECT_EQ(b.GetMatrix(1, 1), cell) << "the same cells";
  }
  EXPECT_EQ(a->GetMatrix(1, 1), cell) << "still alive after the copy went";
  a.reset();  // freed here, once (the sanitizer run checks)
  std::unique_ptr<TZylField> back = source.SetCells(0, 0, std::make_unique<TZylField>(&source));
  EXPECT_NE(source.GetCells(0, 0), back.get()) << "a replaced cell goes back to the caller";
}

// A cell reads as the default font and empty texts until it gets its own;
// copying a cell copies exactly what it has, also back to "nothing".
TEST(GridTest, CellFontAndOverridesCopyAsTheyAre) {
  TZylHTMLGrid grid(nullptr);
  TZylField plain(&grid), styled(&grid);
  const TZylField& seen = plain;
  EXPECT_EQ(seen.Font().GetName(), "Arial");
  EXPECT_EQ(seen.Font().GetSize(), 8);
  EXPECT_EQ(seen.GetCSS(), "");
  EXPECT_EQ(seen.GetHTMLOverride(), "");
  styled.Font().SetSize(14);
  styled.Font().SetStyle(TFontStyles{TFontStyleFlag::fsBold});
  styled.SetCSS(".X { color: red }");
  styled.SetHTML("<TD>x</TD>");
  plain.Assign(styled);
  EXPECT_TRUE(seen.Font().SameAs(styled.Font()));
  EXPECT_EQ(seen.GetCSS(), ".X { color: red }");
  EXPECT_EQ(seen.GetHTMLOverride(), "<TD>x</TD>");
  int changes = 0;
  plain.Font().OnChange = [&changes](TFont&) { ++changes; };
  plain.Assign(TZylField(&grid));
  EXPECT_EQ(changes, 1) << "the cell's own font hears the assignment";
  EXPECT_TRUE(seen.Font().SameAs(TFont()));
  EXPECT_EQ(seen.GetCSS(), "");
  EXPECT_EQ(seen.GetHTMLOverride(), "");
  EXPECT_EQ(styled.Font().GetSize(), 14) << "the source keeps its own";
}

}  // namespace
}  // namespace zyl
