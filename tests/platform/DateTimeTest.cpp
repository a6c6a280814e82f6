// Date-time values: encoding and decoding around 30 December 1899, the
// pattern formatter and the pattern reader.
#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/Exception.h"

namespace zyl {
namespace {

struct Ymd {
  int y, m, d;
  bool operator==(const Ymd&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Ymd& v) {
  return os << v.y << "-" << v.m << "-" << v.d;
}
Ymd DateOf(TDateTime v) {
  Ymd r{};
  DecodeDate(v, r.y, r.m, r.d);
  return r;
}
std::string TimeOf(TDateTime v) { return FormatDateTime("hh:nn:ss.zzz", v); }

// A date with a time, combined the way negative dates count their time.
TDateTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
  TDateTime date = EncodeDate(y, mo, d);
  TDateTime time = EncodeTime(h, mi, s, ms);
  return date < 0 ? date - time : date + time;
}

// ---------------------------------------------------------------- encoding

TEST(DateEncoding, DayZeroIsThe30thOfDecember1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(2003, 12, 31), 37986);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(DateOf(0), (Ymd{1899, 12, 30}));
  EXPECT_EQ(DateOf(-1), (Ymd{1899, 12, 29}));
}

TEST(DateEncoding, LeapYears) {
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
  EXPECT_TRUE(TryEncodeDate(2004, 2, 29, v));
  EXPECT_TRUE(TryEncodeDate(1600, 2, 29, v));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));
  EXPECT_FALSE(TryEncodeDate(2003, 2, 29, v));
  EXPECT_FALSE(TryEncodeDate(2100, 2, 29, v));
  EXPECT_EQ(EncodeDate(2004, 3, 1) - EncodeDate(2004, 2, 28), 2);
  EXPECT_EQ(EncodeDate(1900, 3, 1) - EncodeDate(1900, 2, 28), 1);
}

TEST(DateEncoding, ImpossibleDatesAndTimesRaise) {
  EXPECT_THROW(EncodeDate(2003, 2, 31), EConvertError);
  EXPECT_THROW(EncodeDate(2003, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2003, 0, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2003, 4, 31), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_THROW(EncodeTime(-1, 0, 0, 0), EConvertError);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DateEncoding, EveryDateRoundTrips) {
  for (int day = -693593; day <= 2958465; day += 89) {
    Ymd ymd = DateOf(day);
    EXPECT_EQ(EncodeDate(ymd.y, ymd.m, ymd.d), day) << ymd;
  }
  for (int y : {1, 1582, 1752, 1899, 1900, 2000, 2003, 9999}) {
    for (int m = 1; m <= 12; ++m) {
      EXPECT_EQ(DateOf(EncodeDate(y, m, 28)), (Ymd{y, m, 28}));
    }
  }
}

TEST(DateEncoding, NegativeValuesCountTheirTimeForward) {
  // -1.25 is 29 December 1899, 06:00: the fraction counts from midnight.
  EXPECT_EQ(DateOf(-1.25), (Ymd{1899, 12, 29}));
  EXPECT_EQ(TimeOf(-1.25), "06:00:00.000");
  TDateTime v = At(1800, 1, 1, 18, 30, 0, 0);
  EXPECT_LT(v, 0);
  EXPECT_EQ(DateOf(v), (Ymd{1800, 1, 1}));
  EXPECT_EQ(TimeOf(v), "18:30:00.000");
  EXPECT_EQ(DatePart(v), EncodeDate(1800, 1, 1));
  EXPECT_EQ(DatePart(At(2003, 12, 31, 23, 0, 0, 0)), 37986);
}

TEST(DateEncoding, DecodeTimeSplitsTheDay) {
  int h = 0, mi = 0, s = 0, ms = 0;
  DecodeTime(At(2003, 12, 31, 10, 11, 12, 345), h, mi, s, ms);
  EXPECT_EQ(h, 10);
  EXPECT_EQ(mi, 11);
  EXPECT_EQ(s, 12);
  EXPECT_EQ(ms, 345);
}

// ---------------------------------------------------------------- formatting

const TDateTime kNewYearsEve = At(2003, 12, 31, 10, 11, 12, 345);

TEST(FormatDateTime, NumericPatterns) {
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", kNewYearsEve), "31.12.2003");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss", kNewYearsEve), "31.12.2003 10:11:12");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd", kNewYearsEve), "2003-12-31");
  EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", kNewYearsEve), "10:11:12.345");
  EXPECT_EQ(FormatDateTime("DD.MM.YYYY", kNewYearsEve), "31.12.2003");
  TDateTime jan5 = At(2004, 1, 5, 7, 3, 9, 0);
  EXPECT_EQ(FormatDateTime("d.m.yy h:n:s", jan5), "5.1.04 7:3:9");
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", jan5), "05/01/2004");
  EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(800, 1, 1)), "0800");
}

TEST(FormatDateTime, TimeOfDayAlone) {
  EXPECT_EQ(FormatDateTime("hh:nn:ss", 0.5), "12:00:00");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", 0), "00:00:00");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", 0.75), "18:00:00");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", 0.75), "30.12.1899");
}

TEST(FormatDateTime, DayAndMonthNames) {
  EXPECT_EQ(FormatDateTime("ddd, d mmm yyyy", kNewYearsEve), "Wed, 31 Dec 2003");
  EXPECT_EQ(FormatDateTime("dddd d mmmm", kNewYearsEve), "Wednesday 31 December");
  EXPECT_EQ(FormatDateTime("dddd", 0), "Saturday");
  EXPECT_EQ(FormatDateTime("dddd", -1), "Friday");
  EXPECT_EQ(FormatDateTime("dddd", EncodeDate(1800, 1, 1)), "Wednesday");
  EXPECT_EQ(FormatDateTime("mmmm", EncodeDate(2003, 5, 1)), "May");
}

TEST(FormatDateTime, TwelveHourClock) {
  EXPECT_EQ(FormatDateTime("h:nn am/pm", At(2003, 1, 1, 13, 5, 0, 0)), "1:05 pm");
  EXPECT_EQ(FormatDateTime("hh:nn AM/PM", At(2003, 1, 1, 0, 30, 0, 0)), "12:30 AM");
  EXPECT_EQ(FormatDateTime("hh:nn AM/PM", At(2003, 1, 1, 12, 0, 0, 0)), "12:00 PM");
  EXPECT_EQ(FormatDateTime("h a/p", At(2003, 1, 1, 23, 0, 0, 0)), "11 p");
  EXPECT_EQ(FormatDateTime("h A/P", At(2003, 1, 1, 9, 0, 0, 0)), "9 A");
  EXPECT_EQ(FormatDateTime("hh:nn", At(2003, 1, 1, 13, 5, 0, 0)), "13:05");
}

TEST(FormatDateTime, MAfterAnHourMeansMinutes) {
  TDateTime v = At(2003, 12, 31, 9, 5, 0, 0);
  EXPECT_EQ(FormatDateTime("h:mm", v), "9:05");
  EXPECT_EQ(FormatDateTime("hh:m", v), "09:5");
  EXPECT_EQ(FormatDateTime("mm/dd/yyyy h:mm", v), "12/31/2003 9:05");
  EXPECT_EQ(FormatDateTime("hh:nn mm", v), "09:05 12");  // after minutes it is the month again
  EXPECT_EQ(FormatDateTime("h mmm", v), "9 Dec");      // names stay months
}

TEST(FormatDateTime, QuotedTextIsLiteral) {
  EXPECT_EQ(FormatDateTime("'Date: 'dd.mm.yyyy", kNewYearsEve), "Date: 31.12.2003");
  EXPECT_EQ(FormatDateTime("\"day\" d", kNewYearsEve), "day 31");
  EXPECT_EQ(FormatDateTime("hh 'o''clock'", kNewYearsEve), "10 oclock");
  // A quoted am/pm is text and does not switch to the twelve-hour clock.
  EXPECT_EQ(FormatDateTime("hh 'am/pm'", At(2003, 1, 1, 13, 0, 0, 0)), "13 am/pm");
  EXPECT_EQ(FormatDateTime("'unterminated", kNewYearsEve), "unterminated");
}

TEST(FormatDateTime, MillisecondsRoundWithoutShowingTwentyFourHours) {
  TDateTime day = EncodeDate(2003, 12, 31);
  const TDateTime msPerDay = 86400000.0;
  TDateTime almostMidnight = day + (msPerDay - 0.4) / msPerDay;  // 23:59:59.9996
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss.zzz", almostMidnight), "01.01.2004 00:00:00.000");
  EXPECT_EQ(FormatDateTime("dddd", almostMidnight), "Thursday");
  TDateTime justBefore = day + (msPerDay - 0.6) / msPerDay;  // 23:59:59.9994
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss.zzz", justBefore), "31.12.2003 23:59:59.999");
  // Before 1899 the day still moves forward.
  TDateTime old = EncodeDate(1800, 1, 1) - (msPerDay - 0.4) / msPerDay;
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss", old), "02.01.1800 00:00:00");
  int y = 0, m = 0, d = 0;
  DecodeDate(old, y, m, d);
  EXPECT_EQ((Ymd{y, m, d}), (Ymd{1800, 1, 2}));
}

TEST(FormatDateTime, ValuesOutsideTheCalendarRaise) {
  for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                   1e300, -1e300, 2958466.0, -693594.0}) {
    EXPECT_THROW(FormatDateTime("dd.mm.yyyy", v), EConvertError) << v;
    int y = 0, m = 0, d = 0;
    EXPECT_THROW(DecodeDate(v, y, m, d), EConvertError) << v;
  }
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn", 2958465.5), "31.12.9999 12:00");
}

// ---------------------------------------------------------------- parsing by pattern

bool Parse(std::string_view text, std::string_view pattern, TDateTime& v) {
  return TryParseDateTime(text, pattern, v);
}

TEST(ParseDateTime, ReadsTheFieldsThePatternNames) {
  TDateTime v = 0;
  ASSERT_TRUE(Parse("31.12.2003", "dd.mm.yyyy", v));
  EXPECT_EQ(v, 37986);
  ASSERT_TRUE(Parse("1.2.2003", "dd.mm.yyyy", v));  // one-digit day and month
  EXPECT_EQ(DateOf(v), (Ymd{2003, 2, 1}));
  ASSERT_TRUE(Parse("31.12.2003 10:11:12", "dd.mm.yyyy hh:nn:ss", v));
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss", v), "31.12.2003 10:11:12");
  ASSERT_TRUE(Parse("2003-12-31", "yyyy-mm-dd", v));
  EXPECT_EQ(v, 37986);
  ASSERT_TRUE(Parse("12:30", "hh:nn", v));
  EXPECT_DOUBLE_EQ(v, EncodeTime(12, 30, 0, 0));
  ASSERT_TRUE(Parse("9:05", "h:mm", v));  // minutes after the hour
  EXPECT_DOUBLE_EQ(v, EncodeTime(9, 5, 0, 0));
  ASSERT_TRUE(Parse("29.02.2004", "dd.mm.yyyy", v));
  ASSERT_TRUE(Parse("31.12.2003  ", "dd.mm.yyyy", v));  // trailing blanks
}

TEST(ParseDateTime, MissingTrailingTimeFieldsReadAsZero) {
  TDateTime v = 0;
  ASSERT_TRUE(Parse("31.12.2003", "dd.mm.yyyy hh:nn:ss", v));
  EXPECT_EQ(v, 37986);
  ASSERT_TRUE(Parse("31.12.2003 10:11", "dd.mm.yyyy hh:nn:ss", v));
  EXPECT_EQ(FormatDateTime("hh:nn:ss", v), "10:11:00");
  ASSERT_TRUE(Parse("10:11", "hh:nn:ss.zzz", v));
  EXPECT_DOUBLE_EQ(v, EncodeTime(10, 11, 0, 0));
}

TEST(ParseDateTime, RejectsImpossibleAndIncompleteText) {
  TDateTime v = 123;
  for (const char* text :
       {"31.02.2003", "29.02.2003", "32.01.2003", "00.01.2003", "31.13.2003", "31.12.2003 24:00:00",
        "31.12.2003 10:60", "31.12.2003 10:11:60", "", "abc", "31.12", "31.12.", "31",
        "31.12.2003 10", "31.12.2003 10:", "31.12.2003x", "123.12.2003", "31.12.20031",
        "31..12.2003"}) {
    EXPECT_FALSE(Parse(text, "dd.mm.yyyy hh:nn:ss", v)) << "'" << text << "'";
  }
  EXPECT_EQ(v, 123);  // untouched on failure
}

TEST(ParseDateTime, TwoDigitYearsAndFractions) {
  TDateTime v = 0;
  ASSERT_TRUE(Parse("31.12.03", "dd.mm.yy", v));
  EXPECT_EQ(DateOf(v), (Ymd{2003, 12, 31}));
  ASSERT_TRUE(Parse("01.01.75", "dd.mm.yy", v));
  EXPECT_EQ(DateOf(v), (Ymd{1975, 1, 1}));
  ASSERT_TRUE(Parse("10:11:12.5", "hh:nn:ss.zzz", v));  // a fraction of a second
  EXPECT_EQ(TimeOf(v), "10:11:12.500");
  ASSERT_TRUE(Parse("10:11:12.123456", "hh:nn:ss.zzz", v));
  EXPECT_EQ(TimeOf(v), "10:11:12.123");
  ASSERT_TRUE(Parse("10:11:12.045", "hh:nn:ss.zzz", v));
  EXPECT_EQ(TimeOf(v), "10:11:12.045");
}

TEST(ParseDateTime, DatesBefore1899KeepTheirTime) {
  TDateTime v = 0;
  ASSERT_TRUE(Parse("01.01.1800 06:00", "dd.mm.yyyy hh:nn", v));
  EXPECT_EQ(DateOf(v), (Ymd{1800, 1, 1}));
  EXPECT_EQ(TimeOf(v), "06:00:00.000");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn", v), "01.01.1800 06:00");
}

TEST(ParseDateTime, FormatAndParseRoundTrip) {
  for (const char* pattern : {"dd.mm.yyyy hh:nn:ss", "yyyy-mm-dd hh:nn:ss.zzz", "d.m.yyyy h:n:s"}) {
    for (TDateTime v : {At(2003, 12, 31, 23, 59, 59, 0), At(1800, 6, 15, 1, 2, 3, 0),
                        At(9999, 12, 31, 0, 0, 1, 0), At(1, 1, 1, 12, 0, 0, 0)}) {
      std::string text = FormatDateTime(pattern, v);
      TDateTime back = 0;
      ASSERT_TRUE(Parse(text, pattern, back)) << text;
      EXPECT_EQ(FormatDateTime(pattern, back), text);
      EXPECT_NEAR(back, v, 1e-8) << text;
    }
  }
}

// ---------------------------------------------------------------- common forms

TEST(StrToDateTime, ReadsTheCommonForms) {
  TDateTime v = 0;
  ASSERT_TRUE(TryStrToDateTime("31.12.2003", v));
  EXPECT_EQ(v, 37986);
  ASSERT_TRUE(TryStrToDateTime("2003-12-31", v));
  EXPECT_EQ(v, 37986);
  ASSERT_TRUE(TryStrToDateTime("2003-12-31T10:11:12", v));
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss", v), "31.12.2003 10:11:12");
  ASSERT_TRUE(TryStrToDateTime("2003-12-31 10:11:12.250", v));
  EXPECT_EQ(TimeOf(v), "10:11:12.250");
  ASSERT_TRUE(TryStrToDateTime("31.12.2003 10:11", v));
  EXPECT_EQ(TimeOf(v), "10:11:00.000");
  ASSERT_TRUE(TryStrToDateTime("12:30", v));
  EXPECT_DOUBLE_EQ(v, EncodeTime(12, 30, 0, 0));
  ASSERT_TRUE(TryStrToDateTime("12:30:15", v));
  EXPECT_DOUBLE_EQ(v, EncodeTime(12, 30, 15, 0));
  ASSERT_TRUE(TryStrToDateTime(" 31.12.2003 ", v));
}

TEST(StrToDateTime, SlashesMeanMonthFirst) {
  TDateTime v = 0;
  ASSERT_TRUE(TryStrToDateTime("12/31/2003", v));
  EXPECT_EQ(DateOf(v), (Ymd{2003, 12, 31}));
  ASSERT_TRUE(TryStrToDateTime("01/02/2003", v));
  EXPECT_EQ(DateOf(v), (Ymd{2003, 1, 2}));
  ASSERT_TRUE(TryStrToDateTime("01.02.2003", v));
  EXPECT_EQ(DateOf(v), (Ymd{2003, 2, 1}));
  EXPECT_FALSE(TryStrToDateTime("31/12/2003", v));
}

TEST(StrToDateTime, RejectsWhatIsNoDateOrTime) {
  TDateTime v = 0;
  for (const char* text : {"", "5", "12", "2003", "hello", "31.12", "31.02.2003", "24:00",
                           "12:30 pm junk", "2003-12-31Z", "2003-02-30"}) {
    EXPECT_FALSE(TryStrToDateTime(text, v)) << "'" << text << "'";
  }
  try {
    StrToDateTime("soon");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'soon' is not a valid date and time");
  }
}

}  // namespace
}  // namespace zyl
