// Record encodings of Paradox field values: big-endian numbers with the sign
// bit flipped, so that all-zero bytes mean blank (NULL). Internal to the
// Paradox writer; see docs/formats/paradox.md.
#pragma once

#include <cstdint>

#include "export/ExportTable.h"
#include "export/paradox/ParadoxFields.h"

namespace zyl::exporting::paradox {

inline constexpr std::int32_t kEpochDateNumber = 693594;  // 1899-12-30; 0001-01-01 is 1
inline constexpr std::int32_t kLastDateNumber = 3652059;  // 9999-12-31
inline constexpr std::int32_t kMsPerDay = 86400000;

struct SplitDateTime {
  std::int32_t dateNumber = 0;  // days with 0001-01-01 = 1 (proleptic Gregorian)
  std::int32_t msOfDay = 0;     // 0..86399999
};

// Splits days since 1899-12-30 into date number and time of day, rounded to
// the millisecond. Before 1899-12-30 the whole part counts the days back and
// the fraction is still the time of day (-1.25 = 1899-12-29 06:00).
// Throws EConvertError for NaN, infinities and dates outside 0001..9999.
SplitDateTime SplitDays(DateTimeValue value);

// Why `value` has no Paradox form (a NaN or infinite double, a date-time
// outside 0001-01-01..9999-12-31), or "" when it has one. WriteParadox
// writes such values blank.
std::string ParadoxUnstorable(const Value& value);

// Writes the record bytes of `value` for `field` to out[0, field.length).
// REQUIRES: those bytes are zero on entry; a NULL leaves them so (blank).
// Throws EConvertError, with a message naming the value but not the column,
// when the value's kind does not suit the field or the value cannot be stored.
void EncodeValue(const FieldPlan& field, const Value& value, std::uint8_t* out);

}  // namespace zyl::exporting::paradox
