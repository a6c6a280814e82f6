// Font and sort-button texts: their layout, round trips and the partial
// application of a text that fails half-way.
#include <gtest/gtest.h>

#include "config/ConfigText.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Color.h"

namespace zyl {
namespace {

TEST(FontText, PlainDefaultFont) {
  EXPECT_EQ(FontToString(TFont()), "Arial,8,0000,clBlack");
}

TEST(FontText, BoldUnderlinedTenPointArial) {
  TFont font;
  font.SetSize(10);
  font.SetStyle({TFontStyleFlag::fsBold, TFontStyleFlag::fsUnderline});
  font.SetColor(0x00336699);
  std::string text = FontToString(font);
  EXPECT_EQ(text.rfind("Arial,10,1010,", 0), 0u) << text;
  EXPECT_EQ(text, "Arial,10,1010," + ColorToString(0x00336699));

  TFont back;
  StringToFont(text, back);
  EXPECT_TRUE(back.SameAs(font));
}

TEST(FontText, EveryStyleAndIdentifierColourRoundTrip) {
  TFont font;
  font.SetName("Times New Roman");
  font.SetSize(-7);
  font.SetStyle({TFontStyleFlag::fsItalic, TFontStyleFlag::fsStrikeOut});
  font.SetColor(clNavy);
  EXPECT_EQ(FontToString(font), "Times New Roman,-7,0101,clNavy");
  TFont back;
  StringToFont(FontToString(font), back);
  EXPECT_TRUE(back.SameAs(font));
}

TEST(FontText, OnlyTheDigitOneSetsAFlag) {
  TFont font;
  StringToFont("Arial,9,1x2Y,$00FF0000", font);
  EXPECT_TRUE(font.GetStyle() == TFontStyles{TFontStyleFlag::fsBold});
  EXPECT_EQ(font.GetColor(), 0x00FF0000u);
}

TEST(FontText, ShortStyleFieldFailsAfterNameAndSize) {
  TFont font;
  font.SetName("Courier");
  font.SetSize(12);
  font.SetStyle({TFontStyleFlag::fsItalic});
  font.SetColor(clRed);
  try {
    StringToFont("Arial,8,01,clBlack", font);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Invalid font info");
  }
  EXPECT_EQ(font.GetName(), "Arial");
  EXPECT_EQ(font.GetSize(), 8);
  EXPECT_TRUE(font.GetStyle() == TFontStyles{TFontStyleFlag::fsItalic});
  EXPECT_EQ(font.GetColor(), clRed);
}

TEST(FontText, MissingCommasFail) {
  TFont font;
  EXPECT_THROW(StringToFont("", font), EConvertError);
  EXPECT_THROW(StringToFont("Arial", font), EConvertError);
  EXPECT_EQ(font.GetName(), "Arial");
  font.SetName("Courier");
  EXPECT_THROW(StringToFont("Verdana,8", font), EConvertError);
  EXPECT_EQ(font.GetName(), "Verdana");  // the name was cut and set first
  EXPECT_THROW(StringToFont("Arial,8,0000", font), EConvertError);
}

TEST(FontText, BadSizeOrColourRaisesTheConversionError) {
  TFont font;
  try {
    StringToFont("Arial,big,0000,clBlack", font);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "'big' is not a valid integer value");
  }
  try {
    StringToFont("Arial,11,1000,notacolour", font);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "'notacolour' is not a valid integer value");
  }
  EXPECT_EQ(font.GetSize(), 11);  // applied before the colour failed
  EXPECT_TRUE(font.GetStyle() == TFontStyles{TFontStyleFlag::fsBold});
}

TEST(FontText, AbsurdSizeIsRefused) {
  TFont font;
  EXPECT_THROW(StringToFont("Arial,1610612736,0000,clBlack", font), EConvertError);
  EXPECT_THROW(StringToFont("Arial,-2147483648,0000,clBlack", font), EConvertError);
  EXPECT_EQ(font.GetSize(), 8);
}

class GlyphText : public ::testing::Test {
 protected:
  TZylHTMLGrid grid_{nullptr};
  TZylGlyph& Glyph() { return *grid_.GetColumns(0)->Glyph(); }
};

TEST_F(GlyphText, DefaultButtons) {
  EXPECT_EQ(GlyphToString(Glyph()), "GAsc.gif,16,12,0,1,GDesc.gif,16,12,0,1");
}

TEST_F(GlyphText, EveryFieldRoundTrips) {
  TZylGlyph& g = Glyph();
  StringToGlyph("up.png,20,10,2,0,down.png,21,11,3,3", g);
  EXPECT_EQ(g.GetURLASC(), "up.png");
  EXPECT_EQ(g.GetWidthASC(), 20);
  EXPECT_EQ(g.GetHeightASC(), 10);
  EXPECT_EQ(g.GetBorderASC(), 2);
  EXPECT_EQ(g.GetAlignASC(), VAlignment::alTop);
  EXPECT_EQ(g.GetURLDSC(), "down.png");
  EXPECT_EQ(g.GetWidthDSC(), 21);
  EXPECT_EQ(g.GetHeightDSC(), 11);
  EXPECT_EQ(g.GetBorderDSC(), 3);
  EXPECT_EQ(g.GetAlignDSC(), VAlignment::alBaseline);
  EXPECT_EQ(GlyphToString(g), "up.png,20,10,2,0,down.png,21,11,3,3");
}

TEST_F(GlyphText, NineFieldsFailAfterEightAreApplied) {
  TZylGlyph& g = Glyph();
  try {
    StringToGlyph("a.gif,1,2,3,2,b.gif,5,6,7", g);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Invalid glyph info");
  }
  EXPECT_EQ(g.GetURLASC(), "a.gif");
  EXPECT_EQ(g.GetAlignASC(), VAlignment::alBottom);
  EXPECT_EQ(g.GetURLDSC(), "b.gif");
  EXPECT_EQ(g.GetHeightDSC(), 6);
  EXPECT_EQ(g.GetBorderDSC(), 0);  // the ninth field had no comma after it
}

TEST_F(GlyphText, TenthFieldIsTheRestOfTheText) {
  // The rest "1,2" is not an ordinal.
  EXPECT_THROW(StringToGlyph("a,1,2,3,1,b,5,6,7,1,2", Glyph()), EConvertError);
  EXPECT_EQ(Glyph().GetBorderDSC(), 7);
}

TEST_F(GlyphText, AlignmentOrdinalOutsideTheEnumerationFails) {
  try {
    StringToGlyph("a,1,2,3,4,b,5,6,7,1", Glyph());
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Invalid glyph info");
  }
  EXPECT_EQ(Glyph().GetBorderASC(), 3);
  EXPECT_EQ(Glyph().GetAlignASC(), VAlignment::alMiddle);
}

TEST_F(GlyphText, NumberFieldThatIsNoIntegerRaisesTheConversionError) {
  try {
    StringToGlyph("a,wide,2,3,1,b,5,6,7,1", Glyph());
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "'wide' is not a valid integer value");
  }
  EXPECT_EQ(Glyph().GetURLASC(), "a");
}

}  // namespace
}  // namespace zyl
