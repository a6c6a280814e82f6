#include "export/paradox/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zyl::exporting::paradox::Utf8ToCp1252;

TEST(Cp1252, AsciiAndLatin1KeepTheirValues) {
  EXPECT_EQ(Utf8ToCp1252("Plain ASCII ~!\t\r\n"), "Plain ASCII ~!\t\r\n");
  EXPECT_EQ(Utf8ToCp1252("\xC2\xA0\xC2\xA9 Z\xC3\xBCrich \xC3\xBF"), "\xA0\xA9 Z\xFCrich \xFF");
  EXPECT_EQ(Utf8ToCp1252(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(Utf8ToCp1252(""), "");
}

TEST(Cp1252, WindowsCharactersMapToBytes80To9F) {
  // euro, low quote, florin, ellipsis, dagger, S caron, OE, Z caron, quotes,
  // bullet, dashes, trade mark, s caron, oe, z caron, Y diaeresis
  EXPECT_EQ(Utf8ToCp1252("€‚ƒ„…†ŠŒŽ‘’“”•–—™šœžŸ"),
            "\x80\x82\x83\x84\x85\x86\x8A\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x99\x9A\x9C\x9E"
            "\x9F");
}

TEST(Cp1252, CharactersTheCodePageLacksBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("Ελλάδα"), "??????");
  EXPECT_EQ(Utf8ToCp1252("Москва 東京"), "?????? ??");
  EXPECT_EQ(Utf8ToCp1252("x\xF0\x9F\x98\x80y"), "x?y");  // outside the BMP
  EXPECT_EQ(Utf8ToCp1252("\xC2\x81\xC2\x9D"), "??");     // C1 controls, unused bytes
  EXPECT_EQ(Utf8ToCp1252("u\xCC\x88"), "u?");            // combining diaeresis
}

TEST(Cp1252, MalformedUtf8BecomesOneQuestionMarkPerByte) {
  EXPECT_EQ(Utf8ToCp1252("a\x80z"), "a?z");             // lone continuation byte
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");               // cut short at the end
  EXPECT_EQ(Utf8ToCp1252("a\xE2\x82z"), "a??z");        // cut short before a letter
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");            // overlong '/'
  EXPECT_EQ(Utf8ToCp1252("\xE0\x80\xAF"), "???");       // overlong, three bytes
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");       // UTF-16 surrogate
  EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "????");  // beyond U+10FFFF
  EXPECT_EQ(Utf8ToCp1252("\xF5\xFF"), "??");
}

}  // namespace
