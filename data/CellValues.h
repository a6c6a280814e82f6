// Typed cell values from text: what a text file's field or a value typed
// into a cell means in a column the host declared numeric, a date or a
// boolean (internal to data/).
#pragma once

#include <string>
#include <string_view>

#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"

namespace zyl {

// The grid's pattern for values of a date `type`: DateFormat for ftDate,
// TimeFormat for ftTime, DateTimeFormat otherwise.
const std::string& DatePatternFor(const TZylHTMLGrid& grid, TFieldType type);

// Reads `text` as a value of the date `type`: by the grid's pattern for the
// type, a date-time also by DateFormat, else in a form TryStrToDateTime
// knows. False when none of them reads it.
bool TryParseCellDate(const TZylHTMLGrid& grid, TFieldType type, std::string_view text,
                      TDateTime& date);

// Gives `cell` the typed value of its text `text` in a column of `type`:
// booleans are true for "True" (as editing writes it), "1", "-1", "on" and
// "yes"; numbers (the number codes and ftLargeint) and dates are parsed,
// and a text that does not parse gets 0, so that sums leave it out. Other
// types leave the cell's typed values alone.
void SetTypedValueFromText(const TZylHTMLGrid& grid, TZylField& cell, TFieldType type,
                           const std::string& text);

}  // namespace zyl
