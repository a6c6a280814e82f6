// Cells, rows, columns, sort buttons and the matrix.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"

namespace zyl {
namespace {

TEST(Elements, ColumnCreatedWithoutGlyphsKeepsItsSetting) {
  TZylHTMLGrid grid(nullptr);
  grid.SetShowGlyphs(false);
  TZylColumn* column = grid.AddCol();
  EXPECT_FALSE(column->GetShowGlyph());
}

TEST(Elements, SelectorNeedsASelectableColumn) {
  TZylHTMLGrid grid(nullptr);
  TZylColumn* column = grid.GetColumns(0);
  column->SetShowSelector(true);
  EXPECT_TRUE(column->GetShowSelector());
  column->SetSelectable(false);
  EXPECT_FALSE(column->GetShowSelector());
  column->SetShowSelector(true);
  EXPECT_FALSE(column->GetShowSelector());
}

TEST(Elements, ColumnSettersReachEveryCell) {
  TZylHTMLGrid grid(nullptr);
  grid.SetRowCount(3);
  TZylColumn* column = grid.GetColumns(0);
  grid.GetCells(1, 0)->Font().SetSize(20);  // a cell with its own font
  column->Font().SetSize(11);
  column->Font().SetColor(clRed);
  column->SetColor(0x00FF00);
  column->SetWidth(70);
  column->SetVAlign(VAlignment::alTop);
  column->SetFontStyle(TFontStyle::fsSerif);
  for (int r = 0; r < 3; ++r) {
    const TZylField* cell = grid.GetCells(r, 0);
    EXPECT_EQ(cell->Font().GetSize(), 11);
    EXPECT_EQ(cell->Font().GetColor(), clRed);
    EXPECT_EQ(cell->GetColor(), 0x00FF00u);
    EXPECT_EQ(cell->GetWidth(), 70);
    EXPECT_EQ(cell->GetVAlign(), VAlignment::alTop);
    EXPECT_EQ(cell->GetFontStyle(), TFontStyle::fsSerif);
  }
  TFont big;
  big.SetName("Verdana");
  column->SetFont(big);
  EXPECT_EQ(grid.GetCells(2, 0)->Font().GetName(), "Verdana");
}

TEST(Elements, RowColourReachesItsCells) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(2);
  grid.GetRows(1)->SetColor(0xC8FFC8);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(grid.GetCells(1, c)->GetColor(), 0xC8FFC8u);
    EXPECT_EQ(grid.GetCells(0, c)->GetColor(), clNone);
  }
}

TEST(Elements, RowAndColumnItemsAddressTheMatrix) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetRowCount(2);
  EXPECT_EQ(grid.GetRows(1)->GetItems(0), grid.GetCells(1, 0));
  EXPECT_EQ(grid.GetColumns(1)->GetItems(0), grid.GetCells(0, 1));
  EXPECT_THROW(grid.GetRows(0)->GetItems(2), EListError);
}

TEST(Elements, MatrixIndexOfAndBuild) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetRowCount(4);
  EXPECT_EQ(grid.Matrix().IndexOf(grid.GetCells(3, 1)), (TPoint{3, 1}));
  TZylField stray(&grid);
  EXPECT_EQ(grid.Matrix().IndexOf(&stray), (TPoint{-1, -1}));

  TZylMatrix matrix(&grid);
  matrix.BuildMatrix(1, 3);
  matrix.BuildMatrix(2, 3);
  EXPECT_EQ(matrix.RowListCount(), 3);
  EXPECT_EQ(matrix.GetRowCount(), 2);
  EXPECT_EQ(matrix.GetColCount(), 3);
  matrix.Clear();
  EXPECT_EQ(matrix.RowListCount(), 0);
  EXPECT_EQ(matrix.GetRowCount(), 2);
}

TEST(Elements, MatrixAssignSharesRowsAndFreesThemOnce) {
  TZylHTMLGrid grid(nullptr);
  auto a = std::make_unique<TZylMatrix>(&grid);
  a->BuildMatrix(2, 2);
  TZylField* cell = a->GetMatrix(1, 1);
  {
    TZylMatrix b(&grid);
    b.BuildMatrix(1, 1);
    b.Assign(*a);
    EXPECT_EQ(b.GetMatrix(1, 1), cell);  // the same cells
    EXPECT_EQ(b.GetRowCount(), 2);
  }
  EXPECT_EQ(a->GetMatrix(1, 1), cell);  // still alive after b went away
  a.reset();                             // freed here, once (ASan checks)
}

TEST(Elements, AssignCopiesAndRejectsOtherClasses) {
  TZylHTMLGrid grid(nullptr);
  TZylField a(&grid), b(&grid);
  a.SetValue("x");
  a.SetNumericValue(2.5);
  a.SetVariantValue(TVariant(std::int64_t{7}));
  a.Font().SetSize(15);
  b.Assign(a);
  EXPECT_EQ(b.GetValue(), "x");
  EXPECT_EQ(b.GetNumericValue(), 2.5);
  EXPECT_EQ(b.GetVariantValue().ToInt64(), 7);
  EXPECT_EQ(b.Font().GetSize(), 15);

  TZylGlyph glyph(&grid, grid.GetColumns(0));
  glyph.SetURLASC("up.gif");
  glyph.SetAlignASC(VAlignment::alBaseline);
  grid.GetColumns(0)->Glyph()->Assign(glyph);
  EXPECT_EQ(grid.GetColumns(0)->Glyph()->GetURLASC(), "up.gif");
  try {
    glyph.Assign(a);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TZylField to a TZylGlyph");
  }
}

TEST(Elements, ReplacedGlyphIsUsedButNotOwned) {
  TZylHTMLGrid grid(nullptr);
  TZylGlyph mine(&grid, grid.GetColumns(0));
  TZylGlyph* own = grid.GetColumns(0)->Glyph();
  grid.GetColumns(0)->SetGlyph(&mine);
  EXPECT_EQ(grid.GetColumns(0)->Glyph(), &mine);
  grid.GetColumns(0)->SetGlyph(own);  // the column still owns its first glyph
}

}  // namespace
}  // namespace zyl
