// Number text: the 15-digit general format, integer and float parsing, and
// the locale text services beside them (case mapping, comparison).
#include "platform/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "platform/Exception.h"
#include "platform/Locale.h"

namespace zyl {
namespace {

// ---------------------------------------------------------------- FloatToStr

TEST(FloatToStr, ShortestFormWithFifteenDigits) {
  EXPECT_EQ(FloatToStr(1234.5), "1234.5");
  EXPECT_EQ(FloatToStr(10), "10");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(FloatToStr(-2.5), "-2.5");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToStr(100.0 / 7), "14.2857142857143");
  EXPECT_EQ(FloatToStr(3), "3");  // an average of 3
}

TEST(FloatToStr, FixedFromOneHundredThousandthToFifteenIntegerDigits) {
  EXPECT_EQ(FloatToStr(0.00001), "0.00001");
  EXPECT_EQ(FloatToStr(-0.00001), "-0.00001");
  EXPECT_EQ(FloatToStr(0.000123), "0.000123");
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(-123456789012345.0), "-123456789012345");
  EXPECT_EQ(FloatToStr(100000000000000.0), "100000000000000");
}

TEST(FloatToStr, ScientificOutsideThatRange) {
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(-1e20), "-1E20");
  EXPECT_EQ(FloatToStr(1e-7), "1E-7");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(0.000001), "1E-6");
  EXPECT_EQ(FloatToStr(1234567890123456.0), "1.23456789012346E15");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(999999999999999.9), "1E15");  // rounding adds a digit
  EXPECT_EQ(FloatToStr(1.7976931348623157e308), "1.79769313486232E308");
  EXPECT_EQ(FloatToStr(5e-324), "4.94065645841247E-324");
}

TEST(FloatToStr, NonFiniteValuesHaveNames) {
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FloatToStr, TextReadsBackAsTheFifteenDigitValue) {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 2000; ++i) {
    double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    std::string text = FloatToStr(v);
    double back = StrToFloat(text);
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << text;
    EXPECT_EQ(FloatToStr(back), text);
    EXPECT_EQ(text.find(','), std::string::npos);
  }
}

// ---------------------------------------------------------------- integers

TEST(StrToInt, DecimalAndHexText) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("-42"), -42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("  12"), 12);  // leading blanks
  EXPECT_EQ(StrToInt("007"), 7);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("$ff"), 255);
  EXPECT_EQ(StrToInt("0x1A"), 26);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);  // 32 bits of hex wrap like the value they spell
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
}

TEST(StrToInt, RejectsJunkOverflowAndBlanksAfter) {
  for (const char* text : {"", " ", "abc", "12abc", "1.5", "1e3", "12 ", "- 1", "--1", "+-1", "$",
                           "0x", "$G", "2147483648", "-2147483649", "$100000000",
                           "99999999999999999999", "1,000"}) {
    int v = 1234;
    EXPECT_FALSE(TryStrToInt(text, v)) << "'" << text << "'";
    EXPECT_EQ(v, 1234) << "value changed for '" << text << "'";
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(StrToInt, SixtyFourBitRange) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(StrToInt64("2147483648"), 2147483648LL);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_THROW(StrToInt64("-9223372036854775809"), EConvertError);
  std::int64_t v = 0;
  EXPECT_TRUE(TryStrToInt64("$7FFFFFFFFFFFFFFF", v));
  EXPECT_EQ(v, std::numeric_limits<std::int64_t>::max());
}

TEST(IntText, DecimalAndHex) {
  EXPECT_EQ(IntToStr(-12), "-12");
  EXPECT_EQ(IntToStr(std::numeric_limits<long long>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 2), "FF");
  EXPECT_EQ(IntToHex(255, 6), "0000FF");
  EXPECT_EQ(IntToHex(0x123456, 2), "123456");  // never truncated
  EXPECT_EQ(IntToHex(0, 0), "0");
}

// ---------------------------------------------------------------- floats

TEST(StrToFloat, DecimalTextWithExponentAndBlanks) {
  EXPECT_DOUBLE_EQ(StrToFloat("1234.5"), 1234.5);
  EXPECT_DOUBLE_EQ(StrToFloat("-2.5"), -2.5);
  EXPECT_DOUBLE_EQ(StrToFloat("+3"), 3);
  EXPECT_DOUBLE_EQ(StrToFloat(" 1E20 "), 1e20);
  EXPECT_DOUBLE_EQ(StrToFloat("1.5e-7"), 1.5e-7);
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("5."), 5);
  EXPECT_DOUBLE_EQ(StrToFloat("0.00001"), 0.00001);
}

TEST(StrToFloat, RejectsJunkAndValuesOutOfRange) {
  for (const char* text : {"", "  ", "abc", "1,5", "1.2.3", "1e", "e5", "+-1", "-+1", "++1",
                           "1e400", "-1e400", "NAN", "INF", "inf", "nan", "0x10", "$10", "1 2"}) {
    double v = 7;
    EXPECT_FALSE(TryStrToFloat(text, v)) << "'" << text << "'";
    EXPECT_EQ(v, 7) << "value changed for '" << text << "'";
    try {
      StrToFloat(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()),
                "'" + std::string(text) + "' is not a valid floating point value");
    }
  }
}

// ---------------------------------------------------------------- locale text

TEST(LocaleText, CaseMappingCoversNonAscii) {
  EXPECT_EQ(AnsiUpperCase("Arial, sans-serif"), "ARIAL, SANS-SERIF");
  EXPECT_EQ(AnsiUpperCase("äpfel größe"), "ÄPFEL GRÖSSE");
  EXPECT_EQ(AnsiLowerCase("ÄPFEL Ölbaum"), "äpfel ölbaum");
  EXPECT_EQ(AnsiLowerCase("{ FONT-FAMILY: \"Tahoma\" }"), "{ font-family: \"tahoma\" }");
}

TEST(LocaleText, SameTextIgnoresOnlyCase) {
  EXPECT_TRUE(AnsiSameText("GName", "gname"));
  EXPECT_TRUE(AnsiSameText("ÄPFEL", "äpfel"));
  EXPECT_FALSE(AnsiSameText("äpfel", "apfel"));
  EXPECT_FALSE(AnsiSameText("abc", "abcd"));
  EXPECT_TRUE(AnsiSameText("", ""));
}

TEST(LocaleText, ComparisonUsesLocaleOrder) {
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);  // not byte order
  EXPECT_LT(AnsiCompareText("Äpfel", "Birne"), 0);
  EXPECT_EQ(AnsiCompareText("ÄPFEL", "äpfel"), 0);
  EXPECT_NE(AnsiCompareText("äpfel", "apfel"), 0);
  EXPECT_NE(AnsiCompareText("ab", "a\u200Bb"), 0);  // equal only when equal ignoring case
  EXPECT_GT(AnsiCompareText("b", "a"), 0);
  // Case-sensitive: equal only for identical texts, and antisymmetric.
  EXPECT_NE(AnsiCompareStr("a", "A"), 0);
  EXPECT_EQ(AnsiCompareStr("a", "A"), -AnsiCompareStr("A", "a"));
  EXPECT_LT(AnsiCompareStr("a", "B"), 0);
  EXPECT_LT(AnsiCompareStr("10", "9"), 0);  // text, not numbers
  EXPECT_EQ(AnsiCompareStr("same", "same"), 0);
}

TEST(LocaleText, BytesOfAnotherCodePageSurvive) {
  // "Äpfel" and "Öl" in Latin-1: not UTF-8.
  EXPECT_EQ(AnsiUpperCase("\xC4pfel"), "\xC4PFEL");
  EXPECT_EQ(AnsiLowerCase("\xD6L \xC4"), "\xD6l \xC4");
  EXPECT_EQ(AnsiUpperCase("\xC4pfel und äpfel"), "\xC4PFEL UND ÄPFEL");
  EXPECT_EQ(AnsiUpperCase("cut \xC3"), "CUT \xC3");  // a sequence cut off at the end
  EXPECT_FALSE(AnsiSameText("\xC4pfel", "\xD6pfel"));
  EXPECT_TRUE(AnsiSameText("\xC4PFEL", "\xC4pfel"));
  EXPECT_NE(AnsiCompareText("\xC4pfel", "\xD6pfel"), 0);
  EXPECT_EQ(AnsiCompareText("\xC4pfel", "\xD6pfel"), -AnsiCompareText("\xD6pfel", "\xC4pfel"));
  EXPECT_NE(AnsiCompareStr("\xC4", "\xD6"), 0);
}

TEST(LocaleText, FindTextIgnoresCase) {
  EXPECT_EQ(FindText("{ font-family: \"Arial\" }", "ARIAL"), 16u);
  EXPECT_EQ(FindText("abc", "x"), std::string::npos);
  EXPECT_EQ(FindText("Größe", "GRÖ"), 0u);
}

}  // namespace
}  // namespace zyl
