// Conversions between field values and their text, shared by datasets that
// keep typed values: text typed by a visitor into the field's type, and a
// stored value into the dataset's display text.
#pragma once

#include <string>

#include "datasets/FieldType.h"
#include "platform/Variant.h"

namespace zyl {

// True for the codes whose values are kept as text (string, memo, fixed
// and wide strings, formatted memo, unknown, cursor).
bool IsTextFieldType(TFieldType type);
// True for the binary codes (bytes, blobs, graphics, OLE, typed binary).
bool IsBinaryFieldType(TFieldType type);

// Converts `text` into a value of `type`: integers within the range of the
// integer kind, floats, dates / times / date-times, booleans ("true",
// "false", "1", "0", ignoring case), bytes for binary codes, text as it is.
// An empty text gives Null for every non-text type. Raises EConvertError
// naming `fieldName`: "'x' is not a valid integer value for field 'Qty'",
// "70000 is not a valid value for field 'Qty'. The allowed range is -32768
// to 32767", "... valid floating point value ...", "... valid date ...",
// "... valid time ...", "... valid date and time ...", "... valid boolean
// value ...".
TVariant FieldValueFromText(const std::string& text, TFieldType type, const std::string& fieldName);

// Brings a value into the form a field of `type` keeps: Empty becomes Null,
// text for a non-text type is converted as FieldValueFromText does,
// numbers for a date type become dates, numbers for a boolean become
// booleans. Other values are kept.
TVariant NormalizeFieldValue(const TVariant& value, TFieldType type, const std::string& fieldName);

// Display text of a value: "" for Null; dates "dd.mm.yyyy", times
// "hh:nn:ss", date-times "dd.mm.yyyy hh:nn:ss" (a whole day without its
// time, a value of day 0 as its time only); numbers in the general
// 15-digit format; booleans "True"/"False".
std::string FieldDisplayText(const TVariant& value, TFieldType type);

}  // namespace zyl
