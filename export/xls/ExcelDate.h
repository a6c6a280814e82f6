// Dates in a workbook of the 1900 date system. A date is a serial day number
// with the time of day as its fraction: serial 1 is 1900-01-01, serial 60 the
// fictitious 1900-02-29, serial 61 is 1900-03-01, 2,958,465 is 9999-12-31.
// Serials below 1 are times of day without a date.
#pragma once

#include <optional>
#include <string>

namespace zyl::exporting::xls {

enum class DateKind {
  Date,      // a whole day
  DateTime,  // a day and a time of day
  Time,      // a time of day alone
};

struct ExcelDate {
  double serial = 0;
  DateKind kind = DateKind::Date;
};

// The serial for `days` (days since 1899-12-30, fraction = time of day, the
// form DateTimeValue holds). Values in [0, 1) are times of day. Returns nullopt
// for days with no serial: 1899-12-31 and earlier, after 9999-12-31, NaN, infinities.
std::optional<ExcelDate> ToExcelDate(double days);

// "yyyy-mm-dd", or "yyyy-mm-dd hh:mm:ss" when a time of day remains after
// rounding to the second; for the dates that have no serial. As in OLE dates,
// a negative value's fraction is the time after midnight of its day.
// Returns nullopt outside the years 1..9999 and for NaN and infinities.
std::optional<std::string> DateText(double days);

}  // namespace zyl::exporting::xls
