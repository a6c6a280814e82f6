// The shared text helpers: UTF-8 and code page 1252, HTML escaping,
// trimming and ASCII case, and the scope guard.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/ScopeExit.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

namespace zyl {
namespace {

struct Utf8Case {
  std::string utf8;
  std::string cp1252;  // what Utf8ToCp1252 makes of it
  bool valid;
};

class Utf8Text : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Text, DecodesToCp1252AndUtf16) {
  const Utf8Case& c = GetParam();
  EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
  EXPECT_EQ(IsValidUtf8(c.utf8), c.valid);
  EXPECT_EQ(Utf8ToUtf16(c.utf8).has_value(), c.valid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Text,
    ::testing::Values(
        Utf8Case{"Plain ASCII ~!\t\r\n", "Plain ASCII ~!\t\r\n", true},
        Utf8Case{std::string("a\0b", 3), std::string("a\0b", 3), true}, Utf8Case{"", "", true},
        Utf8Case{"Z\xC3\xBCrich \xC3\xA9\xC3\xBF\xC2\xA0", "Z\xFCrich \xE9\xFF\xA0", true},
        // Windows characters take the bytes 0x80-0x9F.
        Utf8Case{"€‚ƒ„…†ŠŒŽ‘’“”•–—™šœžŸ",
                 "\x80\x82\x83\x84\x85\x86\x8A\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x99\x9A\x9C"
                 "\x9E\x9F",
                 true},
        // Characters the code page lacks: one '?' each.
        Utf8Case{"Ελλάδα Москва 東京", "?????? ?????? ??", true},
        Utf8Case{"x\xF0\x9F\x98\x80y", "x?y", true},        // beyond the BMP
        Utf8Case{"\xC2\x81\xC2\x9D", "??", true},           // C1 controls, unused bytes
        Utf8Case{"e\xCC\x81t\xC3\xA9", "\xE9t\xE9", true},  // composed first
        Utf8Case{"u\xCC\x88", "\xFC", true},
        // Malformed: one '?' per byte.
        Utf8Case{"a\x80z", "a?z", false},             // lone continuation byte
        Utf8Case{"a\xC3", "a?", false},               // cut short at the end
        Utf8Case{"a\xE2\x82z", "a??z", false},        // cut short before a letter
        Utf8Case{"\xC0\xAF", "??", false},            // overlong '/'
        Utf8Case{"\xE0\x80\xAF", "???", false},       // overlong, three bytes
        Utf8Case{"\xED\xA0\x80x", "???x", false},     // UTF-16 surrogate
        Utf8Case{"\xF4\x90\x80\x80", "????", false},  // beyond U+10FFFF
        Utf8Case{"\xF8\x88\x80\x80\x80", "?????", false}, Utf8Case{"\xF5\xFF", "??", false}));

TEST(Utf8, Utf16RoundTripAndEveryCp1252Byte) {
  const std::string text = "Z\xC3\xBCrich \xE6\x9D\xB1 \xF0\x9F\x98\x80";
  EXPECT_EQ(Utf8ToUtf16(text), std::u16string(u"Z\u00FCrich \u6771 \U0001F600"));
  EXPECT_EQ(Utf16ToUtf8(*Utf8ToUtf16(text)), text);
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1252ToUtf8(byte);
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      EXPECT_EQ(utf8, "\xEF\xBF\xBD") << b;
      EXPECT_FALSE(CodePointToCp1252(static_cast<char32_t>(b)).has_value()) << b;
    } else {
      EXPECT_EQ(Utf8ToCp1252(utf8), byte) << b;
    }
  }
}

TEST(Text, EscapeHtml) {
  struct Case {
    std::string text, crlf, html;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"a&b<c>d\"e'f", "", "a&amp;b&lt;c&gt;d&quot;e&#39;f"},
           {"&amp;", "", "&amp;amp;"},  // escaped once more: the value is text
           {"Größe ½", "", "Größe ½"},
           {"", "<BR>", ""},
           {"a\r\nc", "", "a\r\nc"},
           {"a<b\r\nc", "<BR>", "a&lt;b<BR>c"},
           {"a\r\n\r\nb", " ", "a  b"},
           {"a\rb\nc\n\r", "<BR>", "a\rb\nc\n\r"},  // only CR LF pairs
           {"tail\r", " ", "tail\r"},
       }) {
    std::string out = "x";
    AppendEscapedHtml(out, c.text, c.crlf);
    EXPECT_EQ(out, "x" + c.html) << c.text;
    if (c.crlf.empty()) {
      EXPECT_EQ(EscapeHtml(c.text), c.html);
    }
  }
}

TEST(Text, TrimCaseAndHex) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(Trim("\t a \t", " "), "\t a \t");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(TrimRightView("1, 2  ", " "), "1, 2");
  EXPECT_EQ(AsciiUpperCase("abz AZ äé{}@[`"), "ABZ AZ äé{}@[`");
  EXPECT_EQ(AsciiLowerCase("ABZ az ÄÉ{}@[`"), "abz az ÄÉ{}@[`");
  EXPECT_TRUE(SameAsciiText("Data Source", "DATA source"));
  EXPECT_FALSE(SameAsciiText("Ä", "ä"));
  EXPECT_FALSE(SameAsciiText("ab", "abc"));
  EXPECT_TRUE(IsAscii("0123456789abcdef~"));
  EXPECT_FALSE(IsAscii("0123456789abcdef\x80"));
  EXPECT_EQ(HexDigitValue('f'), 15);
  EXPECT_EQ(HexDigitValue('G'), -1);
  std::string hex;
  AppendHex(hex, 0x1A0B0C, 6);
  AppendHex(hex, 0xFFF, 2);  // the low digits only
  EXPECT_EQ(hex, "1A0B0CFF");
}

TEST(ScopeExit, RunsWhenTheScopeEndsByAnException) {
  int runs = 0;
  bool flag = false;
  try {
    ScopeExit count([&] { ++runs; });
    auto set = ValueForScope(flag, true);
    EXPECT_TRUE(flag);
    throw std::runtime_error("leave");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(flag);
}

}  // namespace
}  // namespace zyl
