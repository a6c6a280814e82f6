// Captions: the bevel, selector and marker cells, flat captions, the sort
// buttons, and the events and overrides around them.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"

namespace zyl {
namespace {

using test::Count;
using test::Lines;
using test::RenderGrid;

const std::string kDot = "<IMG SRC=\"img/Gt.gif\" WIDTH=\"2\" HEIGHT=\"2\">";

std::string SortButtons(int col, const char* asc, const char* desc) {
  std::string n = std::to_string(col);
  return "<TABLE BORDER=\"0\" WIDTH=\"100%\" HEIGHT=\"100%\" CELLSPACING=\"0\" CELLPADDING=\"0\">"
         "<TR><TD><INPUT TYPE=\"IMAGE\" NAME=\"GSortASC_" + n + "\" SRC=\"img/" + asc +
         "\" BORDER=\"0\" WIDTH=\"16\" HEIGHT=\"12\" ALIGN=\"MIDDLE\" ALT=\"Sort ascending\">"
         "</TD><TD><INPUT TYPE=\"IMAGE\" NAME=\"GSortDESC_" + n + "\" SRC=\"img/" + desc +
         "\" BORDER=\"0\" WIDTH=\"16\" HEIGHT=\"12\" ALIGN=\"MIDDLE\" ALT=\"Sort descending\">"
         "</TD></TR></TABLE>";
}

TEST(Caption, DefaultCaptionIsABevelOfThreeRowsOfFourCells) {
  RenderGrid g(2, 3);
  g.Column(1).SetCaption("Name");
  std::string html = g.Column(1).GetHTML();
  std::vector<std::string> expected = {
      "<TD HEIGHT=\"100%\">",
      "  <TABLE WIDTH=\"100%\" HEIGHT=\"100%\" BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\">",
      "     <TR>",
      "       <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#FFFFF7\">" + kDot + "</TD>",
      "       <TD HEIGHT=\"2\" BGCOLOR=\"#F4F0E8\"></TD>",
      "       <TD WIDTH=\"32\" HEIGHT=\"2\" BGCOLOR=\"#F4F0E8\"></TD>",
      "       <TD WIDTH=\"2\"  HEIGHT=\"2\" BGCOLOR=\"#B4B0A8\">" + kDot + "</TD>",
      "     </TR>",
      "     <TR>",
      "       <TD WIDTH=\"2\" BGCOLOR=\"#FFFFF7\"></TD>",
      "       <INPUT TYPE=\"HIDDEN\" NAME=\"GSel\" VALUE=1>",
      "       <TD BGCOLOR=\"#D4D0C8\" CLASS=\"GS0\">&nbsp;Name&nbsp;&nbsp;</TD>",
      "       <TD WIDTH=\"34\" BGCOLOR=\"#D4D0C8\">" + SortButtons(1, "GAsc.gif", "GDesc.gif") +
          "</TD>",
      "       <TD WIDTH=\"2\" BGCOLOR=\"#848078\"></TD>",
      "     </TR>",
      "     <TR>",
      "       <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#B4B0A8\">" + kDot + "</TD>",
      "       <TD HEIGHT=\"2\" BGCOLOR=\"#848078\"></TD>",
      "       <TD WIDTH=\"32\" HEIGHT=\"2\" BGCOLOR=\"#848078\"></TD>",
      "       <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#848078\">" + kDot + "</TD>",
      "     </TR>",
      "  </TABLE>",
      "</TD>",
  };
  EXPECT_EQ(Lines(html), expected);
  EXPECT_EQ(Count(html, "\n"), Count(html, "\r\n"));  // every break is CR LF
  EXPECT_EQ(Count(html, "<TD "), 1 + 3 * 4);  // the outer cell and the bevel
  EXPECT_EQ(Count(html, "<TD>"), 2);         // the two sort-button cells
  EXPECT_EQ(g.Sheet()[0].rfind(".GS0   { font-family: \"Arial\", sans-serif; font-size: 8pt;", 0),
            0u);
}

TEST(Caption, SelectorAndMarkerCellsWidenTheBevel) {
  RenderGrid g(1, 2);
  TZylColumn& column = g.Column(1);
  column.SetCaption("Qty");
  column.SetShowSelector(true);
  column.SetShowCurrent(true);
  column.SetCurrentHTML("<B>*</B>");
  column.SetShowGlyph(false);
  std::vector<std::string> lines = Lines(column.Build("Qty", false, false));
  ASSERT_GE(lines.size(), 16u);
  std::vector<std::string> middle(lines.begin() + 9, lines.begin() + 16);
  std::vector<std::string> expected = {
      "     <TR>",
      "       <TD WIDTH=\"2\" BGCOLOR=\"#FFFFF7\"></TD>",
      "       <TD WIDTH=\"16\" BGCOLOR=\"#D4D0C8\" CLASS=\"GS0\"><INPUT TYPE=\"CHECKBOX\" "
      "NAME=\"GSel\" VALUE=1 CHECKED></TD>",
      "       <TD WIDTH=\"16\" BGCOLOR=\"#D4D0C8\" CLASS=\"GS0\"><B>*</B></TD>",
      "       <TD BGCOLOR=\"#D4D0C8\" CLASS=\"GS0\">&nbsp;Qty&nbsp;&nbsp;</TD>",
      "       <TD WIDTH=\"2\" BGCOLOR=\"#848078\"></TD>",
      "     </TR>",
  };
  EXPECT_EQ(middle, expected);
  // Top and bottom edges get one more cell each for the selector and the marker.
  EXPECT_EQ(Count(lines[4] + lines[5] + lines[6], "<TD HEIGHT=\"2\" BGCOLOR=\"#F4F0E8\"></TD>"), 3);
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[18], "       <TD HEIGHT=\"2\" BGCOLOR=\"#848078\"></TD>");
  EXPECT_EQ(lines[19], lines[18]);
  EXPECT_EQ(lines[20], lines[18]);
}

TEST(Caption, WithoutFixedRowsCaptionsAreFlatInTheColumnColour) {
  RenderGrid g(1, 3);
  g.grid.SetFixedRows(0);
  g.Column(1).SetColor(0x00FF00);
  std::string flat = g.Column(1).GetHTML();
  EXPECT_EQ(Count(flat, "BGCOLOR=\"#00FF00\""), 12);
  EXPECT_EQ(Count(flat, "BGCOLOR=\""), 12);
  std::string unset = g.Column(2).GetHTML();  // no colour set: white
  EXPECT_EQ(Count(unset, "BGCOLOR=\"#FFFFFF\""), 12);
  // A fixed column keeps its bevel.
  std::string fixed = g.Column(0).GetHTML();
  EXPECT_EQ(Count(fixed, "BGCOLOR=\"#FFFFF7\""), 2);
  EXPECT_EQ(Count(fixed, "BGCOLOR=\"#848078\""), 4);
}

TEST(Caption, GridWithoutRowsKeepsAnEmptySortButtonCell) {
  RenderGrid g(0, 2);
  std::string html = g.Column(1).GetHTML();
  EXPECT_NE(html.find("\r\n       <TD WIDTH=\"34\" BGCOLOR=\"#D4D0C8\"></TD>\r\n"), std::string::npos);
  EXPECT_EQ(html.find("GSort"), std::string::npos);
  EXPECT_EQ(Count(html, "WIDTH=\"32\""), 2);
}

TEST(Caption, SelectableGridWritesOneHiddenSelectorPerCaptionAndNoneInFixedCells) {
  RenderGrid g(2, 3);
  std::string captions;
  for (int c = 0; c < 3; ++c) captions += g.Column(c).GetHTML();
  EXPECT_EQ(Count(captions, "<INPUT TYPE=\"HIDDEN\" NAME=\"GSel\""), 3);
  for (int c = 0; c < 3; ++c) {
    EXPECT_NE(captions.find("NAME=\"GSel\" VALUE=" + std::to_string(c) + ">"), std::string::npos);
  }
  std::string fixedCell = g.Cell(1, 0).GetHTML();
  EXPECT_EQ(fixedCell.find("GSel"), std::string::npos);
  EXPECT_EQ(fixedCell.find("GSort"), std::string::npos);

  g.grid.SetSelectable(false);
  EXPECT_EQ(g.Column(1).GetHTML().find("GSel"), std::string::npos);
}

TEST(Caption, SortButtonsFollowTheSortOrder) {
  RenderGrid g(3, 4);
  g.Column(2).SetSortOrder(TSortOrder::soDescending);
  for (int c = 1; c < 4; ++c) {
    std::string html = g.Column(c).GetHTML();
    if (c == 2) {
      EXPECT_NE(html.find(SortButtons(2, "GAsc.gif", "GDescA.gif")), std::string::npos);
    } else {
      EXPECT_NE(html.find(SortButtons(c, "GAsc.gif", "GDesc.gif")), std::string::npos) << c;
    }
  }
}

TEST(Caption, GlyphSizesAlignmentsAndOverride) {
  RenderGrid g(1, 2);
  TZylGlyph& glyph = *g.Column(1).Glyph();
  glyph.SetAlignASC(VAlignment::alBaseline);
  glyph.SetAlignDSC(VAlignment::alTop);
  glyph.SetWidthASC(-1);
  glyph.SetHeightDSC(-1);
  glyph.SetBorderDSC(2);
  g.grid.SetAltSortAscending("Up");
  EXPECT_EQ(glyph.Build(),
            "<TABLE BORDER=\"0\" WIDTH=\"100%\" HEIGHT=\"100%\" CELLSPACING=\"0\" CELLPADDING=\"0\">"
            "<TR><TD><INPUT TYPE=\"IMAGE\" NAME=\"GSortASC_1\" SRC=\"img/GAsc.gif\" BORDER=\"0\" "
            "HEIGHT=\"12\" ALIGN=\"\" ALT=\"Up\"></TD><TD><INPUT TYPE=\"IMAGE\" "
            "NAME=\"GSortDESC_1\" SRC=\"img/GDesc.gif\" BORDER=\"2\" WIDTH=\"16\" ALIGN=\"TOP\" "
            "ALT=\"Sort descending\"></TD></TR></TABLE>");
  glyph.SetHTML("<I>sort</I>");
  EXPECT_EQ(glyph.GetHTML(), "<I>sort</I>");
  EXPECT_NE(g.Column(1).GetHTML().find("BGCOLOR=\"#D4D0C8\"><I>sort</I></TD>"), std::string::npos);
}

TEST(Caption, OverrideAndEventReplaceTheCaption) {
  RenderGrid g(1, 2);
  g.Column(1).SetHTML("<TD>own</TD>");
  EXPECT_EQ(g.Column(1).GetHTML(), "<TD>own</TD>");
  EXPECT_EQ(g.Sheet().Count(), 0);  // nothing composed for an override

  int seenCol = -1;
  std::string seen;
  g.grid.OnGetCaptionCellHTML = [&](TObject* sender, TZylHTMLGrid* grid, int aCol,
                                    std::string& html) {
    EXPECT_EQ(sender, &g.Column(1));
    EXPECT_EQ(grid, &g.grid);
    seenCol = aCol;
    seen = html;
    html = "<TD>event</TD>";
  };
  EXPECT_EQ(g.Column(1).GetHTML(), "<TD>event</TD>");
  EXPECT_EQ(seenCol, 1);
  EXPECT_EQ(seen, "<TD>own</TD>");
  // Build itself fires nothing.
  EXPECT_EQ(g.Column(1).Build("x", false, false).rfind("<TD HEIGHT=\"100%\">", 0), 0u);
}

TEST(Caption, CaptionTextIsLineProcessed) {
  RenderGrid g(1, 2);
  g.Column(1).SetCaption("Unit\r\nPrice");
  EXPECT_NE(g.Column(1).GetHTML().find("&nbsp;Unit Price&nbsp;&nbsp;"), std::string::npos);
  g.Column(1).SetWordWrap(true);
  EXPECT_NE(g.Column(1).GetHTML().find("&nbsp;Unit<BR>Price&nbsp;&nbsp;"), std::string::npos);
}

TEST(Caption, WithoutLinkedSheetClassesAreEmpty) {
  RenderGrid g(1, 2, /*linkCss=*/false);
  g.Column(1).SetShowSelector(true);
  std::string html = g.Column(1).GetHTML();
  EXPECT_EQ(Count(html, "CLASS=\"\""), 2);
  EXPECT_EQ(html.find("CLASS=\"GS"), std::string::npos);
}

}  // namespace
}  // namespace zyl
