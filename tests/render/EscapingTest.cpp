// Text from data is escaped wherever it is written; what the host sets as
// HTML is not; stored values never change.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"

namespace zyl {
namespace {

using test::RenderGrid;

const std::string kAttack = "<img src=x onerror=alert(1)>";
const std::string kInert = "&lt;img src=x onerror=alert(1)&gt;";

TEST(Escaping, CellTextPickListAndCaptionRenderInert) {
  RenderGrid g(1, 3);
  g.Cell(0, 1).SetValue(kAttack);
  g.Column(1).SetCaption(kAttack);
  g.Column(2).PickList().Add(kAttack);
  g.Column(2).ValueList().Add("v");
  g.Cell(0, 2).SetValue("v");

  std::string row = g.grid.GetRows(0)->GetHTML();
  std::string caption = g.Column(1).GetHTML();
  EXPECT_NE(row.find(">" + kInert + "</TD>"), std::string::npos);  // cell text
  EXPECT_EQ(row.find("<img"), std::string::npos);
  EXPECT_NE(caption.find("&nbsp;" + kInert + "&nbsp;&nbsp;"), std::string::npos);
  EXPECT_EQ(caption.find("<img"), std::string::npos);
  EXPECT_EQ(g.Cell(0, 1).GetValue(), kAttack);
  EXPECT_EQ(g.Column(1).GetCaption(), kAttack);
  EXPECT_EQ(g.Column(2).PickList()[0], kAttack);
}

TEST(Escaping, EditControlsEscapeValuesAndOptions) {
  RenderGrid g(1, 4);
  for (int c = 1; c < 4; ++c) g.Column(c).SetEditMode(true);
  const std::string quote = "\" onfocus='alert(1)' x=\"";
  g.Cell(0, 1).SetValue(quote);
  g.Column(2).SetDataType(TFieldType::ftMemo);
  g.Cell(0, 2).SetValue("</TEXTAREA>" + kAttack);
  g.Column(3).PickList().Add(kAttack);
  g.Column(3).ValueList().Add(quote);
  g.Cell(0, 3).SetValue(quote);

  std::string text = g.Cell(0, 1).GetHTML();
  EXPECT_NE(text.find(" VALUE=\"&quot; onfocus=&#39;alert(1)&#39; x=&quot;\" CLASS="),
            std::string::npos);
  std::string memo = g.Cell(0, 2).GetHTML();
  EXPECT_NE(memo.find("\">&lt;/TEXTAREA&gt;" + kInert + "</TEXTAREA></TD>"), std::string::npos);
  std::string select = g.Cell(0, 3).GetHTML();
  EXPECT_NE(select.find("<OPTION VALUE=\"&quot; onfocus=&#39;alert(1)&#39; x=&quot;\" SELECTED>" +
                        kInert + "</SELECT>"),
            std::string::npos);
  EXPECT_EQ(g.Cell(0, 1).GetValue(), quote);
}

TEST(Escaping, FixedCellValueIsEscapedAsCaptionText) {
  RenderGrid g(1, 2);
  g.Cell(0, 0).SetValue(kAttack + "\r\nnext");
  std::string html = g.Cell(0, 0).GetHTML();
  EXPECT_NE(html.find("&nbsp;" + kInert + " next&nbsp;&nbsp;"), std::string::npos);
  g.Column(0).SetWordWrap(true);
  EXPECT_NE(g.Cell(0, 0).GetHTML().find("&nbsp;" + kInert + "<BR>next&nbsp;&nbsp;"),
            std::string::npos);
}

TEST(Escaping, ScriptNameInFormActionsRendersInert) {
  ::setenv("SCRIPT_NAME", "/cgi-bin/grid.cgi\"><script>", 1);
  RenderGrid g(1, 2);
  g.grid.SetName("G");
  std::string page = g.grid.GetHTML().GetText();
  ::unsetenv("SCRIPT_NAME");
  EXPECT_NE(page.find("ACTION=\"/cgi-bin/grid.cgi&quot;&gt;&lt;script&gt;#G\" NAME=\"TOOLBARTOP\">"),
            std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
}

TEST(Escaping, HostHtmlIsWrittenAsItIs) {
  RenderGrid g(1, 3);
  g.grid.SetAltCurrentRecord("<b>now</b>");
  g.grid.SetImagesURL("/i?a=1&b=2/");
  g.Cell(0, 1).SetHTML("<TD><img src=logo.gif></TD>");
  g.Column(2).SetHTML("<TD><i>caption</i></TD>");
  g.Column(1).Glyph()->SetHTML("<b>&uarr;</b>");
  g.grid.GetRows(0)->SetRecNo(0);

  EXPECT_EQ(g.Cell(0, 1).GetHTML(), "<TD><img src=logo.gif></TD>");
  EXPECT_EQ(g.Column(2).GetHTML(), "<TD><i>caption</i></TD>");
  EXPECT_NE(g.Column(1).GetHTML().find("<b>&uarr;</b>"), std::string::npos);
  std::string marker = g.Cell(0, 0).GetHTML();
  EXPECT_NE(marker.find("SRC=\"/i?a=1&b=2/GCurrent.gif\""), std::string::npos);
  EXPECT_NE(marker.find("ALT=\"<b>now</b>\""), std::string::npos);
}

}  // namespace
}  // namespace zyl
