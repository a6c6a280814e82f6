// Text conversions as tables: numbers, colours, dates and variants. Refused
// text raises EConvertError with the documented message.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "harness/Golden.h"
#include "platform/Color.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Variant.h"

namespace zyl {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The message StrToX raises for refused `text`.
std::string NotValid(const std::string& text, const char* what) {
  return "'" + text + "' is not a valid " + what;
}

TEST(Numbers, FloatToStrShowsFifteenDigitsFixedOrScientific) {
  // clang-format off
  const struct { double value; const char* text; } cases[] = {
      {1234.5, "1234.5"}, {10, "10"}, {-0.0, "0"}, {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"}, {0.1 + 0.2, "0.3"}, {100.0 / 7, "14.2857142857143"},
      {0.00001, "0.00001"}, {-0.00001, "-0.00001"}, {123456789012345.0, "123456789012345"},
      {1e20, "1E20"}, {-1e20, "-1E20"}, {1.5e-7, "1.5E-7"}, {0.000001, "1E-6"},
      {1234567890123456.0, "1.23456789012346E15"}, {999999999999999.9, "1E15"},
      {1.7976931348623157e308, "1.79769313486232E308"}, {5e-324, "4.94065645841247E-324"},
      {-1234.56, "-1234.56"}, {0.000015, "0.000015"}, {0.123456789012345, "0.123456789012345"},
      {123456789.123456789, "123456789.123457"}, {2.5e-300, "2.5E-300"},
      {kNaN, "NAN"}, {kInf, "INF"}, {-kInf, "-INF"}
  };  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << c.text;
  std::mt19937_64 rng(42);  // and the text reads back as the same 15-digit value
  for (int i = 0; i < 1000; ++i) {
    double v = std::uniform_real_distribution<double>(-10, 10)(rng) *
               std::pow(10.0, std::uniform_int_distribution<int>(-30, 30)(rng));
    std::string text = FloatToStr(v);
    EXPECT_NEAR(StrToFloat(text), v, std::fabs(v) * 1e-14) << text;
    EXPECT_EQ(FloatToStr(StrToFloat(text)), text);
  }
}

TEST(Numbers, IntegerText) {
  constexpr long long kBad = std::numeric_limits<long long>::min();
  // clang-format off
  const struct { const char* text; long long value; } cases[] = {  // kBad: refused
      {"42", 42}, {"-42", -42}, {"+7", 7}, {"  12", 12}, {"007", 7}, {"$ff", 255}, {"0x1A", 26},
      {"-$10", -16}, {"$FFFFFFFF", -1}, {"2147483647", 2147483647}, {"-2147483648", -2147483648LL},
      {"", kBad}, {" ", kBad}, {"12abc", kBad}, {"1.5", kBad}, {"1e3", kBad}, {"12 ", kBad},
      {"- 1", kBad}, {"--1", kBad}, {"+-1", kBad}, {"$", kBad}, {"0x", kBad}, {"$G", kBad},
      {"2147483648", kBad}, {"-2147483649", kBad}, {"$100000000", kBad}, {"1,000", kBad}
  };  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int v = 1234;
    EXPECT_EQ(TryStrToInt(c.text, v), c.value != kBad);
    EXPECT_EQ(v, c.value != kBad ? c.value : 1234);
    EXPECT_EQ(harness::MessageOf([&] { StrToInt(c.text); }),
              c.value == kBad ? NotValid(c.text, "integer value") : "no error");
  }
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_EQ(IntToHex(0x123456, 2), "123456");  // never truncated
}

TEST(Numbers, FloatText) {
  for (const char* text : {"", "  ", "abc", "1,5", "1.2.3", "1e", "e5", "+-1", "-+1", "++1",
                           "1e400", "-1e400", "NAN", "INF", "0x10", "$10", "1 2"}) {
    double v = 7;
    EXPECT_FALSE(TryStrToFloat(text, v)) << text;
    EXPECT_EQ(v, 7) << text;
    EXPECT_EQ(harness::MessageOf([&] { StrToFloat(text); }), NotValid(text, "floating point value"));
  }
  EXPECT_DOUBLE_EQ(StrToFloat(" 1E20 "), 1e20);
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("5."), 5);
}

TEST(Colors, TextBothWaysAndTheClassicSystemScheme) {
  // clang-format off
  const struct { TColor color; const char* text; } named[] = {
      {clBlack, "clBlack"}, {clRed, "clRed"}, {clBtnFace, "clBtnFace"}, {clNone, "clNone"},
      {clInfoBk, "clInfoBk"}, {0x00C8D0D4, "$00C8D0D4"}, {0x80000019, "$80000019"},
      {0xFFFFFFFF, "$FFFFFFFF"}
  };  // clang-format on
  for (const auto& c : named) {
    EXPECT_EQ(ColorToString(c.color), c.text);
    EXPECT_EQ(StringToColor(c.text), c.color) << c.text;
  }
  EXPECT_EQ(StringToColor("CLRED"), clRed);
  EXPECT_EQ(StringToColor("0x8000000F"), clBtnFace);
  EXPECT_EQ(StringToColor("-2147483648"), 0x80000000u);
  for (const char* text : {"", "red", " clRed", "$", "$G0", "$123456789", "0x", "#FF0000",
                           "4294967296", "-2147483649", "1.5", "$-1"}) {
    EXPECT_EQ(harness::MessageOf([&] { StringToColor(text); }), NotValid(text, "integer value"));
  }
  // clang-format off
  const struct { TColor color, rgb; } resolved[] = {
      {clBtnFace, 0xC8D0D4}, {clWindow, 0xFFFFFF}, {clHighlight, 0x6A240A},
      {clBackground, 0xA56E3A}, {clInfoBk, 0xE1FFFF}, {clRed, clRed}, {0x00C8FFC8, 0xC8FFC8},
      {clNone, 0xFFFFFF}
  };  // clang-format on
  for (const auto& c : resolved) EXPECT_EQ(ResolveColor(c.color), c.rgb) << ColorToString(c.color);
}

// A date with a time, combined the way negative dates count their time.
TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  TDateTime date = EncodeDate(y, mo, d), time = EncodeTime(h, mi, s, ms);
  return date < 0 ? date - time : date + time;
}

const char* const kFull = "dd.mm.yyyy hh:nn:ss.zzz";

TEST(Dates, EncodingAroundThe30thOfDecember1899) {
  // clang-format off
  const struct { int y, m, d; int serial; } cases[] = {
      {1899, 12, 30, 0}, {1899, 12, 29, -1}, {1900, 1, 1, 2}, {2003, 12, 31, 37986},
      {9999, 12, 31, 2958465}, {1, 1, 1, -693593}
  };  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
  for (int day = -693593; day <= 2958465; day += 89) {
    int y = 0, m = 0, d = 0;
    DecodeDate(day, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), day);
  }
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
  EXPECT_TRUE(TryEncodeDate(1600, 2, 29, v));
  const int impossible[][3] = {{1900, 2, 29}, {2100, 2, 29}, {2003, 4, 31}, {2003, 13, 1},
                               {2003, 0, 1},  {0, 1, 1},     {10000, 1, 1}};
  for (const auto& d : impossible) EXPECT_FALSE(TryEncodeDate(d[0], d[1], d[2], v)) << d[0] << d[1];
  for (auto bad : {+[] { EncodeTime(24, 0, 0, 0); }, +[] { EncodeTime(0, 0, 0, 1000); },
                   +[] { EncodeTime(0, 60, -1, 0); }, +[] { EncodeDate(2003, 2, 29); }})
    EXPECT_THROW(bad(), EConvertError);
  // Negative values count their time forward from midnight.
  EXPECT_EQ(FormatDateTime(kFull, -1.25), "29.12.1899 06:00:00.000");
  EXPECT_EQ(DatePart(At(1800, 1, 1, 18, 30)), EncodeDate(1800, 1, 1));
}

TEST(Dates, FormatDateTime) {
  const TDateTime eve = At(2003, 12, 31, 10, 11, 12, 345), jan5 = At(2004, 1, 5, 7, 3, 9);
  const double ms = 1 / 86400000.0;
  // clang-format off
  const struct { const char* pattern; TDateTime value; const char* text; } cases[] = {
      {kFull, eve, "31.12.2003 10:11:12.345"}, {"DD/MM/YY", eve, "31/12/03"},
      {"d.m.yy h:n:s", jan5, "5.1.04 7:3:9"}, {"yyyy", EncodeDate(800, 1, 1), "0800"},
      {"ddd, d mmm yyyy", eve, "Wed, 31 Dec 2003"}, {"dddd d mmmm", eve, "Wednesday 31 December"},
      {"dddd", -1, "Friday"}, {"h:nn am/pm", At(2003, 1, 1, 13, 5), "1:05 pm"},
      {"hh:nn AM/PM", At(2003, 1, 1, 0, 30), "12:30 AM"}, {"h A/P", At(2003, 1, 1, 12), "12 P"},
      {"h:n am/pm", At(2003, 1, 1, 9, 5), "9:5 am"}, {"\"at\" h a/p A/P", At(2003, 1, 1, 13), "at 1 p P"},
      {"mm/dd/yyyy h:mm", jan5, "01/05/2004 7:03"},  // m after h: minutes
      {"hh:nn mm", jan5, "07:03 01"}, {"h mmm", jan5, "7 Jan"},
      {"'Date: 'dd.mm.yyyy", eve, "Date: 31.12.2003"}, {"hh 'o''clock'", eve, "10 oclock"},
      {"hh 'am/pm'", At(2003, 1, 1, 13), "13 am/pm"},  // quoted: no 12-hour clock
      {"'unterminated", eve, "unterminated"}, {"dd.mm.yyyy hh:nn", 2958465.5, "31.12.9999 12:00"},
      // Rounding to the millisecond never shows 24:00, before 1899 too.
      {kFull, EncodeDate(2003, 12, 31) + 1 - 0.4 * ms, "01.01.2004 00:00:00.000"},
      {kFull, EncodeDate(2003, 12, 31) + 1 - 0.6 * ms, "31.12.2003 23:59:59.999"},
      {kFull, EncodeDate(1800, 1, 1) - 1 + 0.4 * ms, "02.01.1800 00:00:00.000"}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.pattern, c.value), c.text) << c.pattern;
  for (double v : {kNaN, kInf, 1e300, -1e300, 2958466.0, -693594.0}) {
    EXPECT_EQ(harness::MessageOf([&] { FormatDateTime("dd", v); }), NotValid(FloatToStr(v), "date and time"));
  }
}

TEST(Dates, ReadingByPatternAndInTheCommonForms) {
  // clang-format off
  // pattern nullptr: TryStrToDateTime; `read` as kFull
  const struct { const char *text, *pattern, *read; } cases[] = {
      {"1.2.2003", "dd.mm.yyyy", "01.02.2003 00:00:00.000"},
      {"9:05", "h:mm", "30.12.1899 09:05:00.000"},
      {"31.12.2003 10:11", "dd.mm.yyyy hh:nn:ss", "31.12.2003 10:11:00.000"},
      {"01.01.75", "dd.mm.yy", "01.01.1975 00:00:00.000"},
      {"10:11:12.123456", "hh:nn:ss.zzz", "30.12.1899 10:11:12.123"},
      {"10:11:12.5  ", "hh:nn:ss.zzz", "30.12.1899 10:11:12.500"},
      {"01.01.1800 06:00", "dd.mm.yyyy hh:nn", "01.01.1800 06:00:00.000"},
      {"2003-12-31T10:11:12", nullptr, "31.12.2003 10:11:12.000"},
      {"2003-12-31 10:11:12.250", nullptr, "31.12.2003 10:11:12.250"},
      {" 12:30:15", nullptr, "30.12.1899 12:30:15.000"},
      {"01/02/2003", nullptr, "02.01.2003 00:00:00.000"},  // slashes: month first
      {"01.02.2003", nullptr, "01.02.2003 00:00:00.000"}
  };  // clang-format on
  for (const auto& c : cases) {
    TDateTime v = 0;
    bool ok = c.pattern ? TryParseDateTime(c.text, c.pattern, v) : TryStrToDateTime(c.text, v);
    EXPECT_TRUE(ok) << c.text;
    EXPECT_EQ(FormatDateTime(kFull, v), c.read) << c.text;
  }
  for (const char* text :
       {"31.02.2003", "29.02.2003", "00.01.2003", "31.13.2003", "31.12.2003 24:00:00",
        "31.12.2003 10:60", "", "abc", "31.12", "31.12.", "31.12.2003 10",
        "31.12.2003 10:", "31.12.2003x", "123.12.2003", "31.12.20031", "31..12.2003"}) {
    TDateTime v = 123;
    EXPECT_FALSE(TryParseDateTime(text, "dd.mm.yyyy hh:nn:ss", v)) << text;
    EXPECT_EQ(v, 123) << text;
  }
  for (const char* text : {"", "5", "2003", "hello", "31.12", "24:00", "12:30 pm junk", "2003-12-31Z",
                           "2003-02-30", "31/12/2003"}) {
    TDateTime v = 0;
    EXPECT_FALSE(TryStrToDateTime(text, v)) << text;
  }
  EXPECT_EQ(harness::MessageOf([] { StrToDateTime("soon"); }), NotValid("soon", "date and time"));
  for (const char* pattern : {"dd.mm.yyyy hh:nn:ss", "yyyy-mm-dd hh:nn:ss.zzz", "d.m.yyyy h:n:s"}) {
    for (TDateTime v : {At(2003, 12, 31, 23, 59, 59), At(1800, 6, 15, 1, 2, 3), At(1, 1, 1, 12)}) {
      TDateTime back = 0;
      ASSERT_TRUE(TryParseDateTime(FormatDateTime(pattern, v), pattern, back));
      EXPECT_NEAR(back, v, 1e-8) << FormatDateTime(pattern, v);
    }
  }
}

TEST(Variants, ConversionsAndTheirErrors) {
  TDateTime day = EncodeDate(2003, 12, 31);
  // clang-format off
  const struct { TVariant value; std::string text; } texts[] = {
      {TVariant::Null(), ""}, {TVariant(true), "True"}, {TVariant(1.0 / 3), "0.333333333333333"},
      {TVariant(std::int64_t{9007199254740993}), "9007199254740993"},
      {TVariant::FromDate(day + 0.5), "31.12.2003 12:00:00"}, {TVariant::FromDate(0.75), "18:00:00"},
      {TVariant::FromDate(day + 0.99999999999), "01.01.2004"},  // rounds to midnight: no time
      {TVariant(std::vector<std::uint8_t>{'a', 0, 'b'}), std::string("a\0b", 3)}};
  // clang-format on
  for (const auto& c : texts) EXPECT_EQ(c.value.ToString(), c.text);
  EXPECT_EQ(TVariant("2.75").ToInt64(), 3);
  EXPECT_EQ(TVariant(true).ToInt64() + TVariant().ToDouble() + TVariant::Null().ToDouble(), -1);
  EXPECT_EQ(TVariant("$FF").ToInt64(), 255);
  EXPECT_EQ(TVariant("37986.5").ToDateTime(), day + 0.5);
  EXPECT_EQ(TVariant("2003-12-31T12:00:00").ToDateTime(), day + 0.5);
  for (TVariant t : {TVariant("True"), TVariant("TRUE"), TVariant("1"), TVariant(-1), TVariant(.5)})
    EXPECT_TRUE(t.ToBoolean()) << t.ToString();
  for (TVariant t : {TVariant("false"), TVariant(), TVariant::Null(), TVariant(0.0)})
    EXPECT_FALSE(t.ToBoolean()) << t.ToString();
  // clang-format off
  const struct { std::function<void()> op; const char *from, *to; } errors[] = {
      {[] { TVariant("on").ToBoolean(); }, "String", "Boolean"},
      {[] { TVariant("abc").ToDouble(); }, "String", "Double"},
      {[] { TVariant(1e300).ToInt64(); }, "Double", "Int64"},
      {[] { TVariant("someday").ToDateTime(); }, "String", "Date"},
      {[] { TVariant(std::vector<std::uint8_t>{1}).ToBoolean(); }, "Array Byte", "Boolean"},
      {[] { TVariant(5).ToObject(); }, "Int64", "Dispatch"},
      {[] { TVariant::Null().ToObject(); }, "Null", "Dispatch"},
      {[] { TVariant::FromDate(1).ToObject(); }, "Date", "Dispatch"},
      {[] { TVariant(std::shared_ptr<IAutoObject>()).ToString(); }, "Dispatch", "String"},
      {[] { TVariant(std::vector<std::uint8_t>{1}).ToDouble(); }, "Array Byte", "Double"}};
  // clang-format on
  for (const auto& e : errors)
    EXPECT_EQ(harness::MessageOf(e.op), std::string("Could not convert variant of type (") + e.from +
                                 ") into type (" + e.to + ")");
  EXPECT_FALSE(TVariant("1") == TVariant(1) || TVariant(1) == TVariant(1.0) ||
               TVariant::Null() == TVariant());
}

}  // namespace
}  // namespace zyl
