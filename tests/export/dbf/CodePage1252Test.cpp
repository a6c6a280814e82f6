#include "export/dbf/CodePage1252.h"

#include <gtest/gtest.h>

namespace zyl::exporting {
namespace {

TEST(CodePage1252, AsciiAndLatin1PassThroughUnchanged) {
  EXPECT_EQ(Utf8ToCp1252("Plain ASCII 0-9 ~"), "Plain ASCII 0-9 ~");
  EXPECT_EQ(Utf8ToCp1252("Z\xC3\xBCrich \xC3\xA9\xC3\xBF\xC2\xA0"), "Z\xFCrich \xE9\xFF\xA0");
}

TEST(CodePage1252, WindowsCharactersUseTheBytes80To9F) {
  // Euro sign, left/right double quotes, em dash, OE ligature, Y diaeresis.
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC \xE2\x80\x9C\xE2\x80\x9D \xE2\x80\x94 \xC5\x92 \xC5\xB8"),
            "\x80 \x93\x94 \x97 \x8C \x9F");
}

TEST(CodePage1252, MissingCharactersBecomeQuestionMarks) {
  // Greek, CJK, an emoji (4-byte UTF-8) and the unassigned C1 control U+0081.
  EXPECT_EQ(Utf8ToCp1252("\xCE\x95\xCE\xBB \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80 \xC2\x81"),
            "?? ?? ? ?");
  EXPECT_FALSE(CodePointToCp1252(0x81).has_value());
  EXPECT_FALSE(CodePointToCp1252(0x0391).has_value());
}

TEST(CodePage1252, InvalidUtf8BecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252(std::string("a\xFF"
                                     "b\xC3",
                                     4)),
            "a?b?");
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80x"), "???x");  // an encoded surrogate
}

TEST(CodePage1252, DecomposedAccentsAreComposedFirst) {
  EXPECT_EQ(Utf8ToCp1252("e\xCC\x81t\xC3\xA9"), "\xE9t\xE9");  // e + U+0301
}

TEST(CodePage1252, EveryAssignedByteRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1252ToUtf8(byte);
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      EXPECT_EQ(utf8, "\xEF\xBF\xBD") << b;
    } else {
      EXPECT_EQ(Utf8ToCp1252(utf8), byte) << b;
    }
  }
}

}  // namespace
}  // namespace zyl::exporting
