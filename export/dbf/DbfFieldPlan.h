// The dBase fields of an export table: names, types and widths, chosen so
// that every value of the table fits and reads back as written. Planning
// checks every value, so a table that cannot be stored is refused before
// the first byte is written. Layout: docs/formats/dbase-dbf.md.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "export/ExportTable.h"

namespace zyl::exporting {

// Limits of the dBase formats that the writer keeps to.
inline constexpr int kDbfMaxNameLength = 10;
inline constexpr int kDbfMaxCharLength = 254;
inline constexpr int kDbfMaxNumericLength = 20;
inline constexpr int kDbfMaxDecimals = 15;
inline constexpr std::size_t kDbfMaxFields = 255;

struct DbfField {
  std::string name;  // 1-10 characters of A-Z, 0-9, '_', starting with a letter
  char type = 'C';   // 'C' character, 'N' numeric, 'L' logical, 'D' date
  int length = 1;    // bytes per record: C 1-254, N 1-20, L 1, D 8
  int decimals = 0;  // digits after the point (N only)
};

// dBase field names for the given UTF-8 column names, in order: accents
// dropped (NFKD, non-ASCII removed), other characters turned into '_', upper
// case, 'F' before a name that does not start with a letter, at most 10
// characters, and made unique by replacing the tail with _1, _2, ...
std::vector<std::string> DbfFieldNames(const std::vector<std::string>& columnNames);

// Why `value` fits no dBase field ("inf", "1e+300 is wider than 20
// characters", "date -700000 outside the years 1 to 9999"), or "" when it
// fits. WriteDbf writes such values blank.
std::string DbfUnstorable(const Value& value);

// One field per column of `table`, in column order. Throws zyl::Exception
// naming the column (and row and value) when a column type has no dBase
// field, a value does not match its column's type or fits no dBase field,
// a row has the wrong number of values, or the table exceeds the format's
// limits (no columns, more than 255, 2^32 rows or more).
std::vector<DbfField> PlanDbfFields(const Table& table);

}  // namespace zyl::exporting
