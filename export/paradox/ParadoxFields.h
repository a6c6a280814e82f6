// How the columns of an export table become the fields of a Paradox table:
// field type, record length and field name per column. Internal to the
// Paradox writer; the layout is described in docs/formats/paradox.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/ExportTable.h"

namespace zyl::exporting::paradox {

// Paradox field type codes, as stored in the field descriptors.
enum class FieldType : std::uint8_t {
  Alpha = 0x01,
  Date = 0x02,
  Short = 0x03,
  Long = 0x04,
  Money = 0x05,
  Number = 0x06,
  Logical = 0x09,
  Time = 0x14,
  Timestamp = 0x15,
  Bcd = 0x17,
  Bytes = 0x18,
};

inline constexpr int kMaxFields = 255;
inline constexpr int kMaxAlphaLength = 255;
inline constexpr std::size_t kMaxFieldNameLength = 25;

// One field of the table to write.
struct FieldPlan {
  std::size_t column = 0;  // index into Table::columns
  FieldType type = FieldType::Alpha;
  int length = 0;             // bytes the field takes in a record
  std::uint8_t sizeByte = 0;  // descriptor size byte: length, or decimals for BCD
  std::string name;           // code page 1252, 1-25 bytes, unique ignoring case
};

// Chooses a field for every column that a single-file Paradox table can hold.
// Memo and long binary columns are skipped (they would need a .MB companion
// file). Integer and date columns look at their values: an integer field is
// widened when a value does not fit, and date columns become date, time or
// timestamp fields by what their values hold.
// Throws EConvertError for a column type without a Paradox counterpart, a
// date outside 0001-01-01..9999-12-31, or no writable column at all.
std::vector<FieldPlan> PlanFields(const Table& table);

// Turns UTF-8 column names into valid Paradox field names in code page 1252:
// characters that disturb Paradox become '_', leading and trailing blanks go,
// an empty name becomes "Field<n>" (n = position from 1), names are cut to 25
// bytes, and a name equal to an earlier one ignoring case gets "_2", "_3"...
std::vector<std::string> MakeFieldNames(const std::vector<std::string_view>& names);

// Upper-cases a code page 1252 string, as Paradox compares field names.
std::string UpperCp1252(std::string_view text);

}  // namespace zyl::exporting::paradox
