// The typed table that the export engine hands to the file-format writers
// (Excel, Access, dBase, Paradox). The writers depend on nothing but this
// header, export/TableRows.h, platform/Exception.h and platform/ByteSink.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
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
using Value = std::variant<std::monostate, bool, std::int64_t, double, CurrencyValue, DateTimeValue,
                           std::string, Bytes>;

struct Column {
  std::string name;  // UTF-8
  AdoType type = AdoType::VarWChar;
  int size = 0;  // declared size for text and binary columns; 0 = none given
  bool nullable = true;
};

// The values a writer or the engine could not keep as they are and wrote as
// their format's documented substitute (a blank, "?", #NUM!), counted for
// the host's log. `first` describes the first of them, its value cut to 80
// bytes: "column 'Weight', row 3: inf -> #NUM!".
struct Substitutions {
  std::size_t count = 0;
  std::string first;

  void Note(const std::string& column, std::size_t row, const std::string& value,
            const char* substitute) {
    if (count++ != 0) return;
    std::size_t cut = std::min<std::size_t>(value.size(), 80);
    while (cut < value.size() && cut > 0 &&
           (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) {
      --cut;  // never inside a UTF-8 sequence
    }
    first = "column '" + column + "', row " + std::to_string(row) + ": " + value.substr(0, cut) +
            (cut < value.size() ? "..." : "") + " -> " + substitute;
  }
  void Add(const Substitutions& other) {
    if (count == 0) first = other.first;
    count += other.count;
  }
};

// The note on `noted` for the grid's LastExportNote; "" when none.
inline std::string SubstitutionNote(const Substitutions& noted) {
  if (noted.count == 0) return "";
  return std::to_string(noted.count) +
         (noted.count == 1 ? " value the format cannot hold was"
                           : " values the format cannot hold were") +
         " written as substitutes; the first: " + noted.first;
}

class SpilledRows;

// A table's rows are its spilled rows (export/TableRows.h), if any, then
// `rows`; read them with RowReader or ForEachRow.
struct Table {
  std::string name;  // UTF-8 table name, e.g. "ExportTable"
  std::vector<Column> columns;
  std::vector<std::vector<Value>> rows;            // every row has columns.size() values
  std::shared_ptr<SpilledRows> spilled = nullptr;  // shared by copies; append-only
};

}  // namespace zyl::exporting
