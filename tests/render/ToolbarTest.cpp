// The horizontal toolbars: frame, full and reduced content, page lists.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  TStringList list;
  list.SetText(text);
  return {list.begin(), list.end()};
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(Toolbar, FrameShadesComeFromTheBackground) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  std::vector<std::string> lines = SplitLines(grid.GetToolbar(true));
  ASSERT_GE(lines.size(), 21u);
  EXPECT_EQ(lines[0], "      <TABLE BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\" WIDTH=\"100%\">");
  EXPECT_EQ(lines[1], "       <TR><TD>");
  EXPECT_EQ(lines[4],
            "             <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#FFFFF7\"><IMG SRC=\"Gt.gif\" "
            "WIDTH=\"2\" HEIGHT=\"2\"></TD>");
  EXPECT_EQ(lines[5], "             <TD HEIGHT=\"2\" BGCOLOR=\"#F4F0E8\"></TD>");
  EXPECT_EQ(lines[6],
            "             <TD WIDTH=\"2\"  HEIGHT=\"2\" BGCOLOR=\"#B4B0A8\"><IMG SRC=\"Gt.gif\" "
            "WIDTH=\"2\" HEIGHT=\"2\"></TD>");
  EXPECT_EQ(lines.back(), "      </TABLE>");
  EXPECT_EQ(lines[lines.size() - 2], "       </TD></TR>");
  EXPECT_EQ(lines[lines.size() - 10], "             <TD WIDTH=\"2\" BGCOLOR=\"#848078\"></TD>");
}

TEST(Toolbar, FullToolbarLines) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  std::string text = grid.GetToolbar(false);
  std::vector<std::string> lines = SplitLines(text);
  EXPECT_EQ(lines[10],
            "             <TD BGCOLOR=\"#D4D0C8\">             <TABLE BORDER=\"0\" CELLPADDING=\"0\" "
            "CELLSPACING=\"0\" CLASS=\"\">");
  EXPECT_EQ(lines[11], "              <TR>");
  EXPECT_EQ(lines[12], "                <FORM METHOD=\"POST\" ACTION=\"#G\" NAME=\"TOOLBARBOTTOM\">");
  EXPECT_EQ(lines[14], "                <TD BGCOLOR=\"#D4D0C8\">&nbsp;</TD>");
  EXPECT_EQ(lines[15],
            "                <TD BGCOLOR=\"#D4D0C8\"><INPUT TYPE=\"IMAGE\" NAME=\"GFIRST\" BORDER=\"0\" "
            "SRC=\"GFirstPage.gif\" WIDTH=\"24\" HEIGHT=\"24\" ALT=\"First Page\"></TD>");
  EXPECT_NE(text.find("                    <SELECT SIZE=\"1\" NAME=\"GPage\" CLASS=\"\">\r\n"
                      "                     <OPTION VALUE=\"1\" SELECTED>1\r\n"
                      "                    </SELECT>\r\n                </TD>\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("                   <INPUT TYPE=\"TEXT\" NAME=\"GOf\" SIZE=\"3\" VALUE=\"1\" "
                      "CLASS=\"\" STYLE=\"width:30\">\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("<INPUT TYPE=\"TEXT\" NAME=\"GRPP\" VALUE=\"40\" SIZE=\"3\" CLASS=\"\" "
                      "STYLE=\"width:30\"></TD>\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("                     <SELECT SIZE=\"1\" NAME=\"GSave\" CLASS=\"\">\r\n"
                      "                     <OPTION VALUE=\"XLS\" SELECTED>Excel\r\n"
                      "                     <OPTION VALUE=\"TXT\">Text\r\n"
                      "                     <OPTION VALUE=\"MDB\">Access\r\n"
                      "                     <OPTION VALUE=\"DBF\">dBase\r\n"
                      "                     <OPTION VALUE=\"DB\">Paradox\r\n"
                      "                     </SELECT>\r\n                </TD>\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("SRC=\"GPrint.gif\" WIDTH=\"24\" HEIGHT=\"24\" ALT=\"Print\" "
                      "onclick=\"top.print();return false;\"></TD>"),
            std::string::npos);
  EXPECT_NE(text.find("<INPUT TYPE=\"IMAGE\"  NAME=\"GSUM\" SRC=\"GSum.gif\" WIDTH=\"24\" "
                      "HEIGHT=\"24\" BORDER=\"0\" ALT=\"Calculate sum\"></TD>"),
            std::string::npos);
  EXPECT_NE(text.find("                </FORM>\r\n             </TR>\r\n            </TABLE></TD>"),
            std::string::npos);
  // The toolbar's hidden state leaves out page, rows per page and sorting.
  EXPECT_EQ(text.find("NAME=\"GPage\" VALUE"), std::string::npos);
  EXPECT_NE(text.find("NAME=\"GRecNo0.x\""), std::string::npos);
}

TEST(Toolbar, PageListsFollowTheTotal) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetRowCount(0);
  std::string none = grid.GetToolbar(true);
  EXPECT_NE(none.find("<OPTION VALUE=\"0\" SELECTED>0\r\n"), std::string::npos);
  EXPECT_NE(none.find("NAME=\"GOf\" SIZE=\"3\" VALUE=\"0\""), std::string::npos);

  grid.SetTotalRowCount(81);
  grid.SetPage(2);
  std::string three = grid.GetToolbar(true);
  EXPECT_EQ(Count(three, "<OPTION VALUE=\"") - 5, 3);  // five save-as options
  EXPECT_NE(three.find("<OPTION VALUE=\"2\" SELECTED>2"), std::string::npos);
  EXPECT_NE(three.find("NAME=\"GOf\" SIZE=\"3\" VALUE=\"3\""), std::string::npos);

  grid.SetTotalRowCount(80);
  EXPECT_EQ(Count(grid.GetToolbar(true), "<OPTION VALUE=\"") - 5, 2);
  grid.SetPage(9);  // beyond the count: nothing selected
  EXPECT_EQ(Count(grid.GetToolbar(true), "\" SELECTED>"), 1);  // Excel only

  grid.SetRowsPerPage(0);  // every record on one page
  std::string all = grid.GetToolbar(true);
  EXPECT_NE(all.find("<OPTION VALUE=\"1\">1\r\n"), std::string::npos);
  EXPECT_NE(all.find("NAME=\"GOf\" SIZE=\"3\" VALUE=\"1\""), std::string::npos);
}

TEST(Toolbar, ReducedToolbarOnlyForDetailsWithSmallToolbar) {
  TZylHTMLGrid master(nullptr), detail(nullptr);
  master.SetName("M");
  detail.SetName("D");
  EXPECT_NE(detail.GetToolbar(true).find("GFIRST"), std::string::npos);  // no master yet
  detail.SetMasterGrid(&master);
  std::string reduced = detail.GetToolbar(true);
  EXPECT_EQ(reduced.find("GFIRST"), std::string::npos);
  EXPECT_EQ(reduced.find("GPage\" CLASS"), std::string::npos);
  EXPECT_NE(reduced.find("                 <TD BGCOLOR=\"#D4D0C8\">&nbsp;&nbsp;Save:&nbsp;</TD>"),
            std::string::npos);
  EXPECT_NE(reduced.find("                 </FORM>\r\n              </TR>\r\n             </TABLE>"),
            std::string::npos);
  EXPECT_NE(reduced.find("NAME=\"GPage\" VALUE=\""), std::string::npos);  // full hidden state
  detail.SetSmallToolbar(false);
  EXPECT_NE(detail.GetToolbar(true).find("GFIRST"), std::string::npos);
}

TEST(Toolbar, FormNamesAndEscapedAction) {
  ::setenv("SCRIPT_NAME", "/cgi-bin/grid.cgi\"><script>", 1);
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetCSS(&css);
  std::string topBar = grid.GetToolbar(true), bottomBar = grid.GetToolbar(false);
  EXPECT_NE(topBar.find("ACTION=\"/cgi-bin/grid.cgi&quot;&gt;&lt;script&gt;#G\" NAME=\"TOOLBARTOP\">"),
            std::string::npos);
  EXPECT_NE(bottomBar.find("#G\" NAME=\"TOOLBARBOTTOM\">"), std::string::npos);
  ::unsetenv("SCRIPT_NAME");
}

TEST(Toolbar, HiddenVariablesEventSeesTheTextSoFar) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  std::string seen;
  grid.OnAddToolbarHiddenVariables = [&](TObject*, std::string html) {
    seen = html;
    html += "ignored";
  };
  std::string bar = grid.GetToolbar(true);
  EXPECT_NE(seen.find("NAME=\"GName\""), std::string::npos);
  EXPECT_EQ(bar.find("ignored"), std::string::npos);
}

}  // namespace
}  // namespace zyl
