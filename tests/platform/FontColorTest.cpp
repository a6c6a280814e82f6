// TFont (defaults, size and height at 96 dpi, change events, assignment) and
// colours (identifiers both ways, "$" hex text, system colour resolution).
#include <gtest/gtest.h>

#include <string>

#include "platform/Color.h"
#include "platform/Font.h"

namespace zyl {
namespace {

using enum TFontStyleFlag;

// ---------------------------------------------------------------- TFont

TEST(Font, StartsAsArialEightPointBlack) {
  TFont font;
  EXPECT_EQ(font.GetName(), "Arial");
  EXPECT_EQ(font.GetSize(), 8);
  EXPECT_EQ(font.GetHeight(), -11);
  EXPECT_EQ(font.GetColor(), clBlack);
  EXPECT_TRUE(font.GetStyle().Empty());
  EXPECT_EQ(font.ClassName(), "TFont");
}

TEST(Font, SizeAndHeightFollowEachOtherAt96Dpi) {
  TFont font;
  const struct {
    int size, height;
  } table[] = {{8, -11}, {9, -12}, {10, -13}, {11, -15}, {12, -16}, {14, -19}, {36, -48}, {1, -1}};
  for (const auto& row : table) {
    font.SetSize(row.size);
    EXPECT_EQ(font.GetHeight(), row.height) << "size " << row.size;
    font.SetHeight(row.height);
    EXPECT_EQ(font.GetSize(), row.size) << "height " << row.height;
  }
  font.SetHeight(-13);
  EXPECT_EQ(font.GetSize(), 10);  // 9.75 points round to 10
  EXPECT_EQ(font.GetHeight(), -13);  // the height is kept as set
}

TEST(Font, EveryChangeFiresOnChangeOnce) {
  TFont font;
  int changes = 0;
  font.OnChange = [&](TFont&) { ++changes; };
  font.SetName("Verdana");
  font.SetSize(10);
  font.SetHeight(-20);
  font.SetColor(clRed);
  font.SetStyle({fsBold, fsUnderline});
  EXPECT_EQ(changes, 5);
  font.SetName("Verdana");  // setting the same value is no change
  font.SetSize(font.GetSize());
  font.SetColor(clRed);
  font.SetStyle({fsUnderline, fsBold});
  EXPECT_EQ(changes, 5);
}

TEST(Font, StyleSetHoldsTheFourFlags) {
  TFontStyles style{fsBold, fsStrikeOut};
  EXPECT_TRUE(style.Has(fsBold));
  EXPECT_FALSE(style.Has(fsItalic));
  style.Include(fsItalic);
  style.Exclude(fsBold);
  EXPECT_EQ(style, (TFontStyles{fsItalic, fsStrikeOut}));
  style.Exclude(fsItalic);
  style.Exclude(fsStrikeOut);
  EXPECT_TRUE(style.Empty());
}

TEST(Font, AssignCopiesEverythingButTheHandlerAndFiresOnce) {
  TFont source;
  source.SetName("Courier New");
  source.SetSize(12);
  source.SetColor(clBtnFace);
  source.SetStyle({fsItalic});
  int sourceChanges = 0;
  source.OnChange = [&](TFont&) { ++sourceChanges; };

  TFont target;
  int changes = 0;
  TFont* sender = nullptr;
  target.OnChange = [&](TFont& f) {
    ++changes;
    sender = &f;
  };
  target.Assign(source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(sender, &target);
  EXPECT_TRUE(target.SameAs(source));
  EXPECT_EQ(target.GetHeight(), -16);
  target.SetSize(20);  // the target keeps its own handler
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(sourceChanges, 0);
}

class TZylGlyph : public TPersistent {
 public:
  std::string ClassName() const override { return "TZylGlyph"; }
};

TEST(Font, AssignFromANonFontRaisesAndKeepsTheFont) {
  TFont font;
  font.SetName("Tahoma");
  int changes = 0;
  font.OnChange = [&](TFont&) { ++changes; };
  TZylGlyph glyph;
  try {
    font.Assign(glyph);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TZylGlyph to a TFont");
  }
  EXPECT_EQ(font.GetName(), "Tahoma");
  EXPECT_EQ(changes, 0);
}

// ---------------------------------------------------------------- colours

TEST(Color, IdentifiersConvertBothWays) {
  const struct {
    TColor color;
    const char* text;
  } table[] = {
      {clBlack, "clBlack"},       {clWhite, "clWhite"},     {clRed, "clRed"},
      {clBlue, "clBlue"},         {clBtnFace, "clBtnFace"}, {clNone, "clNone"},
      {clDefault, "clDefault"},   {clInfoBk, "clInfoBk"},   {cl3DDkShadow, "cl3DDkShadow"},
      {clMoneyGreen, "clMoneyGreen"},
  };
  for (const auto& row : table) {
    EXPECT_EQ(ColorToString(row.color), row.text);
    EXPECT_EQ(StringToColor(row.text), row.color) << row.text;
  }
  EXPECT_EQ(clBtnFace, 0x8000000Fu);
  EXPECT_EQ(clNone, 0x1FFFFFFFu);
  EXPECT_EQ(clRed, 0x0000FFu);  // red in the low byte
}

TEST(Color, ValuesWithoutIdentifierAreDollarAndEightHexDigits) {
  EXPECT_EQ(ColorToString(0x00C8D0D4), "$00C8D0D4");
  EXPECT_EQ(ColorToString(0x00C8FFC8), "$00C8FFC8");
  EXPECT_EQ(ColorToString(0x1), "$00000001");
  EXPECT_EQ(ColorToString(0x80000019), "$80000019");  // beyond the system colours named
  EXPECT_EQ(StringToColor("$00C8D0D4"), 0x00C8D0D4u);
  EXPECT_EQ(StringToColor("$00c8d0d4"), 0x00C8D0D4u);
  EXPECT_EQ(StringToColor("$000000FF"), clRed);  // hex form of a named colour
  EXPECT_EQ(StringToColor("$FF"), 0xFFu);
  EXPECT_EQ(StringToColor("0x8000000F"), clBtnFace);
  EXPECT_EQ(StringToColor("16777215"), clWhite);
}

TEST(Color, EveryValueRoundTrips) {
  for (TColor c : {0x0u, 0xFFFFFFu, 0x123456u, 0x80000000u, 0x8000000Fu, 0x1FFFFFFFu,
                   0x20000000u, 0xFFFFFFFFu, 0x7F000001u}) {
    EXPECT_EQ(StringToColor(ColorToString(c)), c) << ColorToString(c);
  }
}

TEST(Color, IdentifiersIgnoreCase) {
  EXPECT_EQ(StringToColor("CLRED"), clRed);
  EXPECT_EQ(StringToColor("clbtnface"), clBtnFace);
  EXPECT_EQ(StringToColor("ClNone"), clNone);
  TColor c = 0;
  EXPECT_TRUE(IdentToColor("CLWHITE", c));
  EXPECT_EQ(c, clWhite);
  std::string ident;
  EXPECT_FALSE(ColorToIdent(0x00C8D0D4, ident));
}

TEST(Color, InvalidTextRaisesTheConversionError) {
  for (const char* text :
       {"", "red", "clRedd", " clRed", "$", "$G0", "$123456789", "0x", "12abc", "#FF0000",
        "99999999999", "4294967296", "-2147483649", "1.5", "$-1"}) {
    try {
      StringToColor(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(Color, ResolveColorGivesTheClassicSchemeForSystemColours) {
  EXPECT_EQ(ResolveColor(clBtnFace), 0xC8D0D4u);
  EXPECT_EQ(ResolveColor(clWindow), 0xFFFFFFu);
  EXPECT_EQ(ResolveColor(clWindowText), 0x000000u);
  EXPECT_EQ(ResolveColor(clHighlight), 0x6A240Au);
  EXPECT_EQ(ResolveColor(clBtnShadow), 0x808080u);
  EXPECT_EQ(ResolveColor(clInfoBk), 0xE1FFFFu);
  EXPECT_EQ(ResolveColor(clBackground), 0xA56E3Au);
  // Plain colours pass with the high byte cleared.
  EXPECT_EQ(ResolveColor(clRed), clRed);
  EXPECT_EQ(ResolveColor(0x00C8FFC8), 0xC8FFC8u);
  EXPECT_EQ(ResolveColor(clNone), 0xFFFFFFu);
}

}  // namespace
}  // namespace zyl
