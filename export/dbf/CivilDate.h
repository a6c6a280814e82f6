// Calendar dates of the export's date-time values (days since 30 December
// 1899, the fraction being the time of day).
#pragma once

#include <optional>

#include "export/ExportTable.h"

namespace zyl::exporting {

// A proleptic Gregorian calendar date.
struct CivilDate {
  int year = 1900;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
  bool operator==(const CivilDate&) const = default;
};

// The day of a date-time value; its time of day is dropped after rounding
// to the millisecond (so 23:59:59.9999 counts as the next day). The day of
// a negative value is its integer part: -1.25 is 29 December 1899, 06:00.
// Nothing when the value is not finite or the day lies outside the years
// 1-9999.
std::optional<CivilDate> DateOfValue(DateTimeValue value);

// Today's date in local time.
CivilDate TodayLocal();

}  // namespace zyl::exporting
