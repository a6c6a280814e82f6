// Colours, style rules and the shared style sheet, and the HTML writer.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "harness/Golden.h"
#include "platform/Locale.h"
#include "render/HtmlWriter.h"

namespace zyl {
namespace {

using G = TZylHTMLGrid;
using test::RenderGrid;

TEST(Colors, ChannelsBrightnessAndMixing) {
  struct Case { TColor got, want; const char* what; };
  const Case cases[] = {
      {G::ColorToRGB(0x0000FF), 0xFF0000, "red and blue swap"},
      {G::ColorToRGB(clNone), 0xFFFFFF, "no colour is white"},
      {G::ColorToRGB(clBtnFace), 0x0F0000, "system colours are not resolved"},
      {G::AddBrigthness(0xC8D0D4, 47), 0xF7FFFF, "each channel clamps"},
      {G::AddBrigthness(0xC8D0D4, -80), 0x788084, "darker"},
      {G::AddBrigthness(clNone, 32), 0xFFFFFF, "no colour"},
      {G::AddBrigthness(0x102030, 0x7FFFFFFF), 0xFFFFFF, "largest shift"},
      {G::AddBrigthness(0x102030, -0x7FFFFFFF - 1), 0x000000, "smallest shift"},
      {G::MixColors(clNone, clNone), clNone, "nothing to mix"},
      {G::MixColors(0xFFFFFF, 0x0000FF), 0x0000FF, "white is neutral"},
      {G::MixColors(0x123456, clNone), 0x123456, "no colour is neutral"},
      {G::MixColors(0x0000FF, 0xFF0000), 0x800080, "127.5 rounds to 128"},
      {G::MixColors(0x000402, 0x000503), 0x000402, "halves round to even"},
      {G::MixColors(0x80000010, 0x00000030), 0x000020, "high byte dropped"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

std::string Compose(TZylHTMLGrid& grid, const TFont& font) {
  std::string name;
  grid.ComposeCSS(font, TFontStyle::fsSanSerif, false, HAlignment::alLeft, VAlignment::alMiddle, ".", 3, name);
  return name;
}
std::string Compose(TZylHTMLGrid& grid, const std::string& fontName, bool bold = false) {
  TFont font;
  font.SetName(fontName);
  if (bold) font.SetStyle({TFontStyleFlag::fsBold});
  return Compose(grid, font);
}

constexpr const char* kArialRule =
    "{ font-family: \"Arial\", sans-serif; font-size: 8pt; font-style: normal; "
    "font-weight: normal; text-align: left; white-space: nowrap; color: #000000; "
    "padding-left: 3pt; padding-right: 3pt; }";

TEST(StyleSheet, EqualRulesShareAClassIgnoringCaseAndCountTheirUses) {
  RenderGrid g(1, 1);
  const std::pair<const char*, const char*> cases[] = {
      {"arial", "GS0"}, {"Arial*", "GS1"}, {"ARIAL", "GS0"}, {"Arial", "GS0"},
      {"Ärial Ünicode", "GS2"}, {"äRIAL üNICODE", "GS2"}};  // "*": bold
  for (const auto& [font, name] : cases) {
    std::string plain = font;
    bool bold = plain.back() == '*';
    if (bold) plain.pop_back();
    EXPECT_EQ(Compose(g.grid, plain, bold), name) << font;
  }
  ASSERT_EQ(g.Sheet().Count(), 3);
  EXPECT_NE(g.Sheet()[0].find("\"arial\""), std::string::npos) << "the first form is kept";
  EXPECT_EQ(g.Sheet().GetObject(0), 3);
  EXPECT_EQ(g.Sheet().GetObject(1), 1);
}

// Repeated rules skip the search while the sheet is unchanged; a host's edit is still seen.
TEST(StyleSheet, RepeatedRulesFollowEditsOfTheSheet) {
  RenderGrid g(1, 1);
  EXPECT_EQ(Compose(g.grid, TFont()), "GS0");
  EXPECT_EQ(Compose(g.grid, "Arial", true), "GS1");
  EXPECT_EQ(Compose(g.grid, "Arial", true), "GS1");
  std::string boldRule = g.Sheet()[1].substr(g.Sheet()[1].find('{'));
  g.Sheet().Insert(0, ".Mine   " + AnsiUpperCase(boldRule), 0);
  EXPECT_EQ(Compose(g.grid, "Arial", true), "Mine");
  g.Sheet().Put(0, ".Mine   { color: red; }");
  EXPECT_EQ(Compose(g.grid, "Arial", true), "GS1");
  g.Sheet().Clear();
  EXPECT_EQ(Compose(g.grid, "Arial", true), "GS0");
  EXPECT_EQ(g.Sheet().GetObject(0), 1);
}

// The cells of a column take their class again without composing it; the
// classes, their uses and a host's edit of the sheet come out as when every
// cell composes its own (a cell with a font of its own always does).
TEST(StyleSheet, ColumnsReuseTheirClassAsComposingWould) {
  auto render = [](bool ownFonts) {
    RenderGrid g(4, 3);
    g.Column(1).SetHAlign(HAlignment::alRight);
    g.Column(2).SetWordWrap(true);
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 3; ++c) {
        g.Cell(r, c).SetValue("v");
        if (ownFonts) g.Cell(r, c).Font();  // the default font, as its own
      }
    }
    g.Cell(2, 1).SetHAlign(HAlignment::alCenter);
    std::string html = g.Row(0) + g.Row(1);
    std::string rule = g.Sheet()[0].substr(g.Sheet()[0].find('{'));
    g.Sheet().Insert(0, ".Host   " + rule, 0);  // from here the host's line holds it
    html += g.Row(2) + g.Row(3);
    std::string uses;
    for (int i = 0; i < g.Sheet().Count(); ++i) uses += std::to_string(g.Sheet().GetObject(i)) + " ";
    return html + g.SheetText() + "\n-- uses " + uses;
  };
  const std::string reused = render(false);
  EXPECT_EQ(reused, render(true));
  EXPECT_NE(reused.find("CLASS=\"Host\""), std::string::npos) << reused;
}

TEST(StyleSheet, HostLinesAreReusedWhenTheyHoldTheRule) {
  const std::string arial = kArialRule;
  struct Case { std::vector<std::string> host; std::string name; };
  const Case cases[] = {
      {{"body { margin: 0 }", "table { border: 0 }", "td { padding: 0 }"}, "GS3"},
      {{".MyCells   " + arial + " /* mine */"}, "MyCells"},
      {{".x" + arial}, "x" + arial},  // no three blanks: the whole line names it
      {{".a   { color: red }", ".B   {{ x } " + AnsiUpperCase(arial) + " {"}, "B"},
      {{".Ü   /* ÜBER */ " + AnsiUpperCase(arial)}, "Ü"},
      {{".c   " + arial.substr(0, arial.size() - 1)}, "GS1"},  // cut short: no match
  };
  for (const Case& c : cases) {
    RenderGrid g(1, 1);
    for (const std::string& line : c.host) g.Sheet().Add(line);
    EXPECT_EQ(Compose(g.grid, TFont()), c.name) << c.host.back();
    EXPECT_EQ(g.Sheet().Count(), static_cast<int>(c.host.size()) + (c.name.rfind("GS", 0) == 0));
  }
}

TEST(StyleSheet, RuleTextFollowsFontUnitsAndIndent) {
  RenderGrid g(1, 1);
  TFont font;
  font.SetName("Times");
  font.SetSize(12);
  font.SetColor(clRed);
  font.SetStyle({TFontStyleFlag::fsItalic, TFontStyleFlag::fsBold, TFontStyleFlag::fsUnderline,
                 TFontStyleFlag::fsStrikeOut});
  TFont system;
  system.SetColor(clHighlight);
  TFont pixels;
  pixels.SetHeight(-11);
  std::string name, rules;
  auto rule = [&](const TFont& f, int indent, VAlignment v = VAlignment::alMiddle) {
    rules += g.grid.ComposeCSS(f, TFontStyle::fsSanSerif, false, HAlignment::alLeft, v, ".", indent, name) + "\n";
  };
  rule(TFont(), 3, VAlignment::alTop);
  rules += g.grid.ComposeCSS(font, TFontStyle::fsSerif, true, HAlignment::alChar, VAlignment::alBottom, ",", 0, name) + "\n";
  EXPECT_TRUE(g.css.GetWordWrap());
  rule(system, -1);
  g.grid.SetCSSUnits(TCSSUnits::cuPixels);
  rule(pixels, 4);
  rule(pixels, -7);
  rules.pop_back();
  harness::ExpectGolden("render/golden/style_rules.css", rules);
  EXPECT_EQ(g.css.GetCSSUnits(), TCSSUnits::cuPixels);
  RenderGrid lone(1, 1, false);
  EXPECT_EQ(Compose(lone.grid, TFont()), "") << "no linked sheet: nothing composed";
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

// The contexts choose what CR LF becomes (escaping: tests/platform/TextTest.cpp).
TEST(HtmlWriter, LineContextsMatchTheGridsLineProcessingOfEscapedText) {
  std::string out = "<TR>";
  render::HtmlWriter writer(out);
  writer.Literal("<TD a=\"'&'\">").Number(-42).Hex6(0xFF0000).Hex6(0x0A0B0C);
  EXPECT_EQ(writer.TakeFrom(4), "<TD a=\"'&'\">-42FF00000A0B0C");
  EXPECT_EQ(out, "<TR>");
  auto value = [](const std::string& text, render::HtmlContext context) {
    std::string written;
    render::HtmlWriter(written).Value(text, context);
    return written;
  };
  for (std::string text : {"", "\r\n", "\r\r\n\n", "x\r\n\r\ny", "\r", "tail\r", "<a>\r\n'b'"}) {
    EXPECT_EQ(value(text, render::HtmlContext::Text), EscapeHtml(text));
    EXPECT_EQ(value(text, render::HtmlContext::Attribute), EscapeHtml(text));
    EXPECT_EQ(value(text, render::HtmlContext::Line), G::ProcessLine(EscapeHtml(text), false));
    EXPECT_EQ(value(text, render::HtmlContext::WrappedLine), G::ProcessLine(EscapeHtml(text), true));
  }
}

}  // namespace
}  // namespace zyl
