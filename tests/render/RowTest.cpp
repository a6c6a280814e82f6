// Rows: the row element, its colour for the rendering, hidden rows, the
// override and the row event.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"

namespace zyl {
namespace {

using test::RenderGrid;

TEST(Row, RowIsItsCellsBetweenTrTagsWithoutLineBreaks) {
  RenderGrid g(2, 3);
  g.Cell(1, 1).SetValue("a");
  g.Cell(1, 2).SetValue("b");
  std::string row = g.grid.GetRows(1)->Build();
  EXPECT_EQ(row, "<TR>" + g.Cell(1, 0).GetHTML() + g.Cell(1, 1).GetHTML() +
                     g.Cell(1, 2).GetHTML() + "</TR>");
  EXPECT_TRUE(row.ends_with("</TD><TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">a</TD>"
                            "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">b</TD></TR>"))
      << row;
}

TEST(Row, HiddenRowIsEmptyAndItsNeighboursRender) {
  RenderGrid g(3, 2);
  g.grid.SetOddRowColor(0x00FF00);
  g.grid.GetRows(1)->SetVisible(false);
  EXPECT_EQ(g.grid.GetRows(1)->GetHTML(), "");
  EXPECT_EQ(g.grid.GetRows(1)->GetColor(), clNone);  // nothing changed
  EXPECT_EQ(g.grid.GetRows(0)->GetHTML().rfind("<TR><TD HEIGHT=\"100%\">", 0), 0u);
  std::string last = g.grid.GetRows(2)->GetHTML();
  EXPECT_EQ(last.rfind("<TR>", 0), 0u);
  EXPECT_EQ(last.substr(last.size() - 5), "</TR>");
}

TEST(Row, RowColoursDependOnCurrentRecordAndParity) {
  RenderGrid g(4, 2);
  g.grid.SetRecNo(2);
  g.grid.SetOddRowColor(0x111111);
  g.grid.GetRows(0)->StoreColor(0x222222);  // no even colour: the row keeps its own
  for (int r = 0; r < 4; ++r) g.grid.GetRows(r)->GetHTML();
  EXPECT_EQ(g.grid.GetRows(0)->GetColor(), 0x222222u);
  EXPECT_EQ(g.grid.GetRows(1)->GetColor(), 0x111111u);
  EXPECT_EQ(g.grid.GetRows(2)->GetColor(), 0xE0FFFFu);  // current record, row numbers on
  EXPECT_EQ(g.grid.GetRows(3)->GetColor(), 0x111111u);

  g.grid.SetAddingRecord(true);  // no current-record colour while adding
  g.grid.SetEvenRowColor(0x333333);
  g.grid.GetRows(2)->GetHTML();
  EXPECT_EQ(g.grid.GetRows(2)->GetColor(), 0x333333u);
}

TEST(Row, OverrideAndEventReplaceTheRow) {
  RenderGrid g(2, 2);
  g.grid.GetRows(1)->SetRecNo(9);
  g.grid.GetRows(1)->SetHTML("<TR><TD>own</TD></TR>");
  EXPECT_EQ(g.grid.GetRows(1)->GetHTML(), "<TR><TD>own</TD></TR>");
  EXPECT_EQ(g.grid.GetRows(1)->GetColor(), clNone);  // an override builds nothing

  std::string seen;
  g.grid.OnGetRowHTML = [&](TObject* sender, TZylHTMLGrid* grid, int aRow, int aRecNo,
                            std::string& html) {
    EXPECT_EQ(sender, g.grid.GetRows(aRow));
    EXPECT_EQ(grid, &g.grid);
    seen = std::to_string(aRow) + "," + std::to_string(aRecNo) + "," + html;
    html = "<TR></TR>";
  };
  EXPECT_EQ(g.grid.GetRows(1)->GetHTML(), "<TR></TR>");
  EXPECT_EQ(seen, "1,9,<TR><TD>own</TD></TR>");
  g.grid.GetRows(0)->SetVisible(false);
  EXPECT_EQ(g.grid.GetRows(0)->GetHTML(), "<TR></TR>");  // the event sees hidden rows too
  EXPECT_EQ(seen, "0,0,");
}

}  // namespace
}  // namespace zyl
