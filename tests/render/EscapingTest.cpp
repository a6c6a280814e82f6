// Text from data is escaped wherever it is written (golden file
// render/golden/escaping.html); what the host sets as HTML is not; stored
// values never change.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "harness/Golden.h"

namespace zyl {
namespace {

using test::RenderGrid;

const std::string kAttack = "<img src=x onerror=alert(1)>";
const std::string kQuote = "\" onfocus='alert(1)' x=\"";

TEST(Escaping, DataTextRendersInertEverywhere) {
  RenderGrid g(1, 6);
  g.Cell(0, 0).SetValue(kAttack + "\r\nnext");  // a fixed cell's value as caption text
  g.Cell(0, 1).SetValue(kAttack);
  g.Column(1).SetCaption(kAttack);
  g.Column(2).PickList().Add(kAttack);
  g.Column(2).ValueList().Add("v");
  g.Cell(0, 2).SetValue("v");
  for (int c = 3; c < 6; ++c) g.Column(c).SetEditMode(true);
  g.Cell(0, 3).SetValue(kQuote);
  g.Column(4).SetDataType(TFieldType::ftMemo);
  g.Cell(0, 4).SetValue("</TEXTAREA>" + kAttack);
  g.Column(5).PickList().Add(kAttack);
  g.Column(5).ValueList().Add(kQuote);
  g.Cell(0, 5).SetValue(kQuote);
  std::string html = g.Row(0) + "\n" + g.Column(1).GetHTML() + "\n";
  g.Column(0).SetWordWrap(true);
  html += g.Cell(0, 0).GetHTML() + "\n";
  for (int c = 3; c < 6; ++c) html += g.Cell(0, c).GetHTML() + "\n";
  ::setenv("SCRIPT_NAME", "/cgi-bin/grid.cgi\"><script>", 1);
  g.grid.SetName("G");
  std::string page = g.grid.GetHTML().GetText();
  ::unsetenv("SCRIPT_NAME");
  html += page.substr(page.find("<FORM"), page.find('\n', page.find("<FORM")) - page.find("<FORM"));
  EXPECT_EQ(html.find("<img"), std::string::npos) << html;
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(html.find("'alert"), std::string::npos);
  harness::ExpectGolden("render/golden/escaping.html", html);
  EXPECT_EQ(g.Cell(0, 1).GetValue(), kAttack);
  EXPECT_EQ(g.Column(1).GetCaption(), kAttack);
  EXPECT_EQ(g.Column(2).PickList()[0], kAttack);
  EXPECT_EQ(g.Cell(0, 3).GetValue(), kQuote);
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
