// Date-time values and their text forms. A TDateTime counts days since
// 30 December 1899; the fraction is the time of day (for dates before
// that day the fraction still counts forward from midnight).
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
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
// The date part (whole days) of a value.
double DatePart(TDateTime value);

std::string FormatDateTime(std::string_view pattern, TDateTime value);

// Reads `text` by `pattern` (numeric tokens d/dd, m/mm, yy/yyyy, h/hh, n/nn,
// s/ss, z/zzz; other pattern characters must match a non-digit separator).
// Day and month fields take one or two digits. Missing trailing time fields
// read as 0. Returns false for text that does not fit or an impossible value.
bool TryParseDateTime(std::string_view text, std::string_view pattern, TDateTime& result);

// Reads the common forms: "dd.mm.yyyy[ hh:nn[:ss]]", "yyyy-mm-dd[ or T
// hh:nn[:ss[.zzz]]]", "mm/dd/yyyy[ hh:nn[:ss]]", "hh:nn[:ss]".
bool TryStrToDateTime(std::string_view text, TDateTime& result);
// As TryStrToDateTime; raises EConvertError "'<text>' is not a valid date
// and time" when nothing fits.
TDateTime StrToDateTime(std::string_view text);

}  // namespace zyl
