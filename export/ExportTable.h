// The typed table that the export engine hands to the file-format writers
// (Excel, Access, dBase, Paradox). The writers depend on nothing but this
// header, platform/Exception.h and platform/ByteSink.h.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zyl::exporting {

// Column data types by their ADO type codes, as the export defines them.
enum class AdoType : int {
  Empty = 0,
  SmallInt = 2,
  Integer = 3,
  Double = 5,
  Currency = 6,
  Date = 7,
  Error = 10,
  Boolean = 11,
  BigInt = 20,
  Binary = 128,
  Char = 129,
  VarWChar = 202,
  LongVarWChar = 203,
  VarBinary = 204,
  LongVarBinary = 205,
};

// A date-time as days since 30 December 1899 (fraction = time of day).
struct DateTimeValue {
  double days = 0;
  bool operator==(const DateTimeValue&) const = default;
};

// A currency amount in units of 1/10000 (the fixed-point form all four
// formats' currency types can take exactly).
struct CurrencyValue {
  std::int64_t scaled = 0;
  bool operator==(const CurrencyValue&) const = default;
};

using Bytes = std::vector<std::uint8_t>;

// One cell, already converted into its column's type:
//   monostate (NULL), bool (Boolean), int64 (SmallInt, Integer, BigInt),
//   double (Double), CurrencyValue (Currency), DateTimeValue (Date),
//   std::string (Char, VarWChar, LongVarWChar; UTF-8 text),
//   Bytes (Binary, VarBinary, LongVarBinary).
using Value = std::variant<std::monostate, bool, std::int64_t, double, CurrencyValue,
                           DateTimeValue, std::string, Bytes>;

struct Column {
  std::string name;  // UTF-8
  AdoType type = AdoType::VarWChar;
  int size = 0;      // declared size for text and binary columns; 0 = none given
  bool nullable = true;
};

struct Table {
  std::string name;  // UTF-8 table name, e.g. "ExportTable"
  std::vector<Column> columns;
  std::vector<std::vector<Value>> rows;  // every row has columns.size() values
};

}  // namespace zyl::exporting
