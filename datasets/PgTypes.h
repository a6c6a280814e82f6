// Field types of PostgreSQL columns and the conversions between the text
// form the server exchanges and the values the dataset contract hands out.
//
//   int2                         ftSmallint
//   int4, oid                    ftInteger
//   int8                         ftLargeint
//   float4, float8               ftFloat
//   numeric                      ftBCD (read as a double)
//   money                        ftCurrency (read through numeric)
//   bool                         ftBoolean
//   date / time, timetz          ftDate / ftTime
//   timestamp, timestamptz       ftDateTime (the offset is not applied)
//   varchar(n), char(n)          ftString, DataSize n
//   text, varchar, name, uuid... ftString, DataSize 255 (display size)
//   json, jsonb, xml             ftMemo
//   bytea                        ftBlob
// Other types read as text (ftString). Values the type cannot represent
// ("infinity" dates, NaN) are handed out as their text.
#pragma once

#include <string>
#include <string_view>

#include "datasets/FieldType.h"
#include "datasets/PgConnection.h"
#include "platform/Variant.h"

namespace zyl::pg {

inline constexpr int kDefaultStringSize = 255;

struct ColumnType {
  TFieldType type = TFieldType::ftString;
  int dataSize = 0;
  unsigned oid = 0;
  bool orderable = true;  // has a default sort order (json, xml, point: no)
};

// The field type of a column of type `oid` with modifier `typmod`.
ColumnType MapType(unsigned oid, int typmod);

// The value of a field of `type` for the server's text `text` (not Null).
TVariant TextToValue(std::string_view text, const ColumnType& type);
// The display text of the server's text `text` of a column of `type`,
// TextToValue(text, type).ToString(), for the forms the server writes
// numbers, booleans and dates in by default; false (leaving `display`
// alone) for others.
bool TextToDisplay(std::string_view text, const ColumnType& type, std::string& display);
// The server's text form of `value` for a column of `type` (a parameter).
Text ValueToText(const TVariant& value, const ColumnType& type);
// The value for `text` entered into field `name` of `type`: empty text is
// Null for all but text and binary fields; dates take ISO 8601 or the
// locale's form. Raises EConvertError naming the field.
TVariant InputToValue(const std::string& text, const ColumnType& type, const std::string& name);

}  // namespace zyl::pg
