// Style rules: the rule text, class naming and reuse in the shared style
// sheet, and the inline style of edit controls.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "platform/Locale.h"

namespace zyl {
namespace {

using test::RenderGrid;

constexpr const char* kArialRule =
    "{ font-family: \"Arial\", sans-serif; font-size: 8pt; font-style: normal; "
    "font-weight: normal; text-align: left; white-space: nowrap; color: #000000; "
    "padding-left: 3pt; padding-right: 3pt; }";

// Composes through the grid with the defaults of a data cell and returns
// the class name.
std::string Compose(TZylHTMLGrid& grid, const TFont& font, int indent = 3,
                    HAlignment align = HAlignment::alLeft, bool wrap = false,
                    TFontStyle family = TFontStyle::fsSanSerif) {
  std::string name;
  grid.ComposeCSS(font, family, wrap, align, VAlignment::alMiddle, ".", indent, name);
  return name;
}

TEST(StyleSheet, FirstRuleBecomesGS0WithItsUsageCount) {
  RenderGrid g(1, 1);
  std::string name;
  std::string rule = g.grid.ComposeCSS(TFont(), TFontStyle::fsSanSerif, false, HAlignment::alLeft,
                                       VAlignment::alTop, ".", 3, name);
  EXPECT_EQ(rule, kArialRule);
  EXPECT_EQ(name, "GS0");
  ASSERT_EQ(g.Sheet().Count(), 1);
  EXPECT_EQ(g.Sheet()[0], std::string(".GS0   ") + kArialRule);
  EXPECT_EQ(g.Sheet().GetObject(0), 1);
}

TEST(StyleSheet, EqualRulesShareAClassAndCountTheirUses) {
  RenderGrid g(1, 1);
  TFont bold;
  bold.SetStyle({TFontStyleFlag::fsBold});
  EXPECT_EQ(Compose(g.grid, TFont()), "GS0");
  EXPECT_EQ(Compose(g.grid, bold), "GS1");
  EXPECT_EQ(Compose(g.grid, TFont()), "GS0");
  EXPECT_EQ(Compose(g.grid, TFont()), "GS0");
  ASSERT_EQ(g.Sheet().Count(), 2);
  EXPECT_EQ(g.Sheet().GetObject(0), 3);
  EXPECT_EQ(g.Sheet().GetObject(1), 1);
}

// Repeated rules skip the search while the sheet is unchanged; any change
// a host makes to the lines in between is still seen.
TEST(StyleSheet, RepeatedRulesFollowEditsOfTheSheet) {
  RenderGrid g(1, 1);
  TFont bold;
  bold.SetStyle({TFontStyleFlag::fsBold});
  EXPECT_EQ(Compose(g.grid, TFont()), "GS0");
  EXPECT_EQ(Compose(g.grid, bold), "GS1");
  EXPECT_EQ(Compose(g.grid, bold), "GS1");
  // A host line in front holding the bold rule (in other case) wins.
  std::string boldRule = g.Sheet()[1].substr(g.Sheet()[1].find("{"));
  g.Sheet().Insert(0, ".Mine   " + AnsiUpperCase(boldRule), 0);
  EXPECT_EQ(Compose(g.grid, bold), "Mine");
  // Editing the line in place so it no longer holds the rule.
  g.Sheet().Put(0, ".Mine   { color: red; }");
  EXPECT_EQ(Compose(g.grid, bold), "GS1");
  EXPECT_EQ(Compose(g.grid, TFont()), "GS0");
  g.Sheet().Clear();
  EXPECT_EQ(Compose(g.grid, bold), "GS0");
  EXPECT_EQ(g.Sheet().Count(), 1);
  EXPECT_EQ(g.Sheet().GetObject(0), 1);
}

TEST(StyleSheet, ReuseIgnoresCaseAndKeepsTheFirstForm) {
  RenderGrid g(1, 1);
  TFont lower, upper;
  lower.SetName("arial");
  upper.SetName("ARIAL");
  EXPECT_EQ(Compose(g.grid, lower), "GS0");
  EXPECT_EQ(Compose(g.grid, upper), "GS0");
  ASSERT_EQ(g.Sheet().Count(), 1);
  EXPECT_NE(g.Sheet()[0].find("\"arial\""), std::string::npos);
  EXPECT_EQ(g.Sheet().GetObject(0), 2);
  // Locale lower-casing covers letters beyond ASCII.
  TFont umlaut1, umlaut2;
  umlaut1.SetName("Ärial Ünicode");
  umlaut2.SetName("äRIAL üNICODE");
  EXPECT_EQ(Compose(g.grid, umlaut1), "GS1");
  EXPECT_EQ(Compose(g.grid, umlaut2), "GS1");
}

TEST(StyleSheet, HostLinesCountAndAreReusedWhenTheyHoldTheRule) {
  RenderGrid g(1, 1);
  g.Sheet().Add("body { margin: 0 }");
  g.Sheet().Add("table { border: 0 }");
  g.Sheet().Add("td { padding: 0 }");
  EXPECT_EQ(Compose(g.grid, TFont()), "GS3");
  EXPECT_EQ(g.Sheet()[3].rfind(".GS3   {", 0), 0u);

  RenderGrid h(1, 1);
  h.Sheet().Add(std::string(".MyCells   ") + kArialRule + " /* mine */");
  EXPECT_EQ(Compose(h.grid, TFont()), "MyCells");
  EXPECT_EQ(h.Sheet().Count(), 1);
  EXPECT_EQ(h.Sheet().GetObject(0), 1);  // a host line starts uncounted
  // A line without three blanks names its class by the whole line.
  RenderGrid k(1, 1);
  k.Sheet().Add(std::string(".x") + kArialRule);
  EXPECT_EQ(Compose(k.grid, TFont()), std::string("x") + kArialRule);
}

TEST(StyleSheet, HostLinesMatchIgnoringCaseAtAnyPosition) {
  RenderGrid g(1, 1);
  g.Sheet().Add(".a   { color: red }");
  g.Sheet().Add(".B   {{ x } " + AnsiUpperCase(kArialRule) + " {");
  EXPECT_EQ(Compose(g.grid, TFont()), "B");
  EXPECT_EQ(g.Sheet().Count(), 2);
  // A line that is not ASCII is lower-cased by the locale rules first.
  RenderGrid h(1, 1);
  h.Sheet().Add(".Ü   /* ÜBER */ " + AnsiUpperCase(kArialRule));
  EXPECT_EQ(Compose(h.grid, TFont()), "Ü");
  // A rule cut short by the end of the line does not match.
  RenderGrid k(1, 1);
  std::string cut = kArialRule;
  k.Sheet().Add(".c   " + cut.substr(0, cut.size() - 1));
  EXPECT_EQ(Compose(k.grid, TFont()), "GS1");
}

TEST(StyleSheet, RuleTextFollowsTheFontAndSettings) {
  RenderGrid g(1, 1);
  TFont font;
  font.SetName("Times");
  font.SetSize(12);
  font.SetColor(clRed);
  font.SetStyle({TFontStyleFlag::fsItalic, TFontStyleFlag::fsBold, TFontStyleFlag::fsUnderline,
                 TFontStyleFlag::fsStrikeOut});
  std::string name;
  std::string rule = g.grid.ComposeCSS(font, TFontStyle::fsSerif, true, HAlignment::alChar,
                                       VAlignment::alBottom, ",", 0, name);
  EXPECT_EQ(rule,
            "{ font-family: \"Times\", serif; font-size: 12pt; font-style: italic; "
            "font-weight: bold; text-align: \",\"; text-decoration: underline; "
            "text-decoration: line-through; color: #FF0000; padding-left: 0pt; "
            "padding-right: 0pt; }");
  EXPECT_TRUE(g.css.GetWordWrap());
}

TEST(StyleSheet, SystemFontColoursAreResolved) {
  RenderGrid g(1, 1);
  TFont system;
  system.SetColor(clHighlight);  // the classic scheme's highlight, 0x6A240A as TColor
  std::string name;
  std::string text = g.grid.ComposeCSS(system, TFontStyle::fsSanSerif, false, HAlignment::alLeft,
                                       VAlignment::alMiddle, ".", -1, name);
  EXPECT_NE(text.find(" color: #0A246A;"), std::string::npos) << text;
}

TEST(StyleSheet, PixelsUseTheFontHeightAndIndentRules) {
  RenderGrid g(1, 1);
  g.grid.SetCSSUnits(TCSSUnits::cuPixels);
  TFont font;
  font.SetHeight(-11);
  std::string name;
  std::string rule = g.grid.ComposeCSS(font, TFontStyle::fsSanSerif, false, HAlignment::alLeft,
                                       VAlignment::alMiddle, ".", 4, name);
  EXPECT_NE(rule.find(" font-size: 11px;"), std::string::npos) << rule;
  EXPECT_NE(rule.find(" padding-left: 4px; padding-right: 4px; }"), std::string::npos) << rule;
  EXPECT_EQ(g.css.GetCSSUnits(), TCSSUnits::cuPixels);

  g.grid.SetCSSUnits(TCSSUnits::cuPoints);
  rule = g.grid.ComposeCSS(font, TFontStyle::fsSanSerif, false, HAlignment::alLeft,
                           VAlignment::alMiddle, ".", -1, name);
  EXPECT_EQ(rule.find("padding"), std::string::npos);
  EXPECT_TRUE(rule.ends_with(" white-space: nowrap; color: #000000; }")) << rule;
  rule = g.grid.ComposeCSS(font, TFontStyle::fsSanSerif, false, HAlignment::alLeft,
                           VAlignment::alMiddle, ".", -7, name);
  EXPECT_EQ(rule.find("padding"), std::string::npos);  // below -1 acts like -1
}

TEST(StyleSheet, WithoutLinkedSheetNothingIsComposed) {
  RenderGrid g(1, 1, /*linkCss=*/false);
  std::string name = "kept";
  EXPECT_EQ(g.grid.ComposeCSS(TFont(), TFontStyle::fsSanSerif, false, HAlignment::alLeft,
                              VAlignment::alMiddle, ".", 3, name),
            "");
  EXPECT_EQ(name, "kept");
  EXPECT_EQ(g.Sheet().Count(), 0);
}

TEST(StyleSheet, InlineStyleOfEditControls) {
  RenderGrid g(1, 1);
  EXPECT_EQ(g.grid.ComposeSTYLE("100%", "100%", "", clBlack, clWhite),
            "width: 100%;height: 100%;color: #000000;background-color: #FFFFFF;");
  EXPECT_EQ(g.grid.ComposeSTYLE("", "", "1px solid", clRed, 0xE0FFFF),
            "border: 1px solid;color: #FF0000;background-color: #FFFFE0;");
  g.grid.SetUseControlStyles(false);
  EXPECT_EQ(g.grid.ComposeSTYLE("100%", "100%", "1px", clRed, clBlue), "");
}

}  // namespace
}  // namespace zyl
