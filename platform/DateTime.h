// Date-time values and their text forms. A TDateTime counts days since
// 30 December 1899; the fraction is the time of day (for dates before
// that day the fraction still counts forward from midnight: -1.25 is
// 29 December 1899, 06:00). The calendar runs from 1 January 0001 to
// 31 December 9999 (proleptic Gregorian).
//
// Patterns: d dd ddd dddd (day, names), m mm mmm mmmm (month, names; m or mm
// right after an hour token means minutes), yy yyyy, h hh, n nn, s ss,
// z zzz (milliseconds), am/pm and a/p (12-hour clock), text in single or
// double quotes literally; any other character is copied. Names are English.
#pragma once

#include <string>
#include <string_view>

namespace zyl {

using TDateTime = double;

// Raise EConvertError for impossible dates or times.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);
// Decoding rounds to the nearest millisecond; a time that rounds to 24:00
// gives midnight of the next day. Values outside the calendar (NaN and
// infinities included) raise EConvertError "'<value>' is not a valid date
// and time", here and in DatePart and FormatDateTime.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
// The date part (whole days) of a value, after rounding as above.
double DatePart(TDateTime value);

// The value as text by `pattern` (tokens above). am/pm and a/p inside
// quotes are text and do not select the 12-hour clock.
std::string FormatDateTime(std::string_view pattern, TDateTime value);

// The value as a date-time variant shows it, decided on the value rounded
// to the millisecond: "hh:nn:ss" on day 0, "dd.mm.yyyy" at midnight, else
// "dd.mm.yyyy hh:nn:ss".
std::string DateTimeToStr(TDateTime value);

// Reads `text` by `pattern` (numeric tokens d/dd, m/mm, yy/yyyy, h/hh, n/nn,
// s/ss, z/zzz; other pattern characters must match a non-digit separator).
// Day, month, hour, minute and second fields take one or two digits; a
// two-digit year below 50 is 20xx, else 19xx. "zzz" reads a fraction of a
// second (".5" is 500 ms, digits past the third are dropped). The text may
// end before the pattern's trailing time fields, which then read as 0, but
// not before its date fields, not between an hour and its minutes and not
// right after a separator. Trailing blanks are allowed. Returns false,
// leaving `result` alone, for text that does not fit or an impossible
// date or time (31.02.2003, 24:00:00).
bool TryParseDateTime(std::string_view text, std::string_view pattern, TDateTime& result);

// Reads the common forms, told apart by the separator after the first
// number: "dd.mm.yyyy[ hh:nn[:ss[.zzz]]]", "yyyy-mm-dd[ or T hh:nn[:ss[.zzz]]]",
// "mm/dd/yyyy[ hh:nn[:ss[.zzz]]]", "hh:nn[:ss[.zzz]]". The separators must
// be the ones shown; leading and trailing blanks are allowed.
bool TryStrToDateTime(std::string_view text, TDateTime& result);
// As TryStrToDateTime; raises EConvertError "'<text>' is not a valid date
// and time" when nothing fits.
TDateTime StrToDateTime(std::string_view text);

}  // namespace zyl
