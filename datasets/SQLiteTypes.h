// Field types of SQLite columns and the conversions between the values
// SQLite stores and the values the dataset contract hands out.
//
// Declared type -> field type (the name before any "(", ignoring case):
//   INTEGER, INT, MEDIUMINT, INT4            ftInteger
//   BIGINT, INT8, UNSIGNED BIG INT, INT64    ftLargeint
//   SMALLINT, TINYINT, INT2                  ftSmallint
//   REAL, FLOAT, DOUBLE [PRECISION]          ftFloat
//   NUMERIC, DECIMAL, NUMBER                 ftBCD
//   MONEY, SMALLMONEY, CURRENCY              ftCurrency
//   BOOLEAN, BOOL, BIT, LOGICAL              ftBoolean
//   DATE / TIME / DATETIME, TIMESTAMP        ftDate / ftTime / ftDateTime
//   BLOB, BINARY, VARBINARY, IMAGE, BYTEA    ftBlob
//   MEMO, CLOB, LONGTEXT, MEDIUMTEXT, NTEXT  ftMemo
//   TEXT, VARCHAR(n), CHAR(n), NVARCHAR(n)   ftString, DataSize n
// Text types without a length get DataSize 255 as a display size and take
// text of any length; a declared length is enforced when a value is set, and
// lengths above 32767 make a memo. Other names follow SQLite's affinity
// rules (containing INT: ftInteger; CHAR, CLOB or TEXT: ftString; BLOB:
// ftBlob; REAL, FLOA or DOUB: ftFloat); anything else, and columns without a
// declared type, are ftString.
//
// Stored forms: dates as ISO text "YYYY-MM-DD", date-times as "YYYY-MM-DD
// HH:MM:SS", times as "HH:MM:SS" (".SSS" added when there are milliseconds);
// booleans as 1 and 0. A number found in a date column is read as a Julian
// day number, as SQLite's own date functions read it.
#pragma once

#include <string>
#include <string_view>

#include "datasets/FieldType.h"
#include "platform/DateTime.h"
#include "platform/Variant.h"

namespace zyl::sqlite {

// Display size of text columns declared without a length.
inline constexpr int kDefaultStringSize = 255;
// Longest declared length that still makes a string field.
inline constexpr int kMaxStringSize = 32767;

struct ColumnType {
  TFieldType type = TFieldType::ftString;
  int dataSize = 0;    // DataSize of the field
  bool sized = false;  // the declared length limits the text
};

ColumnType MapDeclaredType(std::string_view declared);
// Type of a result column that has no declared type, from the storage class
// (SQLITE_INTEGER, ...) of its first value.
ColumnType MapStorageClass(int storageClass);

// The value a field of `type` shows for the stored value `stored`. Stored
// text that does not fit the type is handed out as text.
TVariant StoredToValue(const TVariant& stored, TFieldType type);

// A column as the conversions below need it.
struct ColumnSpec {
  std::string name;
  ColumnType type;
};

// The value to store for `text` entered into `column`. Empty text is Null
// for all but text and blob columns. Raises EConvertError "Field 'Qty': 'x'
// is not a valid integer value" and the like.
TVariant TextToStored(std::string_view text, const ColumnSpec& column);
// The value to store for a boolean set into `column`: 1/0 for boolean and
// integer columns, "True"/"False" for text. Raises EConvertError for others.
TVariant BooleanToStored(bool value, const ColumnSpec& column);

// Reads ISO 8601 text: "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (or with
// "T"), "HH:MM[:SS[.fff]]"; a trailing "Z" or "+HH:MM" is ignored.
bool TryParseIsoDateTime(std::string_view text, TDateTime& value);
// The stored text of a date (ftDate), time (ftTime) or date-time.
std::string FormatIsoDateTime(TDateTime value, TFieldType type);

}  // namespace zyl::sqlite
