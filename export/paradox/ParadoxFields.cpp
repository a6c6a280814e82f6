#include "export/paradox/ParadoxFields.h"

#include <optional>
#include <set>
#include <variant>

#include "export/TableRows.h"
#include "export/paradox/ParadoxValues.h"
#include "platform/Exception.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

namespace zyl::exporting::paradox {

namespace {

constexpr std::int64_t kShortLimit = 32767;      // -32768 would be all zero bytes
constexpr std::int64_t kLongLimit = 2147483647;  // likewise -2^31
constexpr std::int64_t kExactDoubleLimit = std::int64_t{1} << 53;

std::string ColumnContext(const Column& column) {
  return "Paradox writer: column '" + column.name + "': ";
}

// Size of a text or bytes field: the declared size, or 255 when none is given
// or it is larger.
int DeclaredLength(const Column& column) {
  return column.size >= 1 && column.size <= kMaxAlphaLength ? column.size : kMaxAlphaLength;
}

// The narrowest integer field, starting at `base`, that holds every value of
// the column. Values of other kinds are left for the encoder to report.
FieldType IntegerFieldType(const Table& table, std::size_t col, FieldType base) {
  int rank = base == FieldType::Short ? 0 : base == FieldType::Long ? 1 : 2;
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t) {
    const auto* v = std::get_if<std::int64_t>(&row[col]);
    if (v == nullptr) return;
    // Magnitude without overflow for INT64_MIN.
    const std::uint64_t mag =
        *v < 0 ? 0 - static_cast<std::uint64_t>(*v) : static_cast<std::uint64_t>(*v);
    if (rank < 1 && mag > kShortLimit) rank = 1;
    if (rank < 2 && mag > kLongLimit) rank = 2;
    if (rank < 3 && mag > static_cast<std::uint64_t>(kExactDoubleLimit)) rank = 3;
  });
  constexpr FieldType kByRank[] = {FieldType::Short, FieldType::Long, FieldType::Number,
                                   FieldType::Bcd};
  return kByRank[rank];
}

// Date fields when every value is a whole day, time fields when every value
// lies on 1899-12-30 (the day of a time-only value), timestamps otherwise.
FieldType DateFieldType(const Table& table, std::size_t col) {
  bool allWholeDays = true;
  bool allOnEpochDay = true;
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    const auto* v = std::get_if<DateTimeValue>(&row[col]);
    if (v == nullptr) return;
    SplitDateTime split;
    try {
      split = SplitDays(*v);
    } catch (const EConvertError& e) {
      throw EConvertError("Paradox writer: column '" + table.columns[col].name + "', row " +
                          std::to_string(r + 1) + ": " + e.Message());
    }
    allWholeDays = allWholeDays && split.msOfDay == 0;
    allOnEpochDay = allOnEpochDay && split.dateNumber == kEpochDateNumber;
  });
  if (allWholeDays) return FieldType::Date;
  return allOnEpochDay ? FieldType::Time : FieldType::Timestamp;
}

int FixedLength(FieldType type) {
  switch (type) {
    case FieldType::Logical:
      return 1;
    case FieldType::Short:
      return 2;
    case FieldType::Long:
    case FieldType::Date:
    case FieldType::Time:
      return 4;
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Timestamp:
      return 8;
    case FieldType::Bcd:
      return 17;
    case FieldType::Alpha:
    case FieldType::Bytes:
      break;
  }
  return 0;
}

// The field for one column, or nullopt for a column that is left out.
std::optional<FieldPlan> PlanColumn(const Table& table, std::size_t col) {
  const Column& column = table.columns[col];
  FieldPlan plan;
  plan.column = col;
  switch (column.type) {
    case AdoType::Char:
    case AdoType::VarWChar:
      plan.type = FieldType::Alpha;
      plan.length = DeclaredLength(column);
      break;
    case AdoType::Binary:
    case AdoType::VarBinary:
      plan.type = FieldType::Bytes;
      plan.length = DeclaredLength(column);
      break;
    case AdoType::SmallInt:
      plan.type = IntegerFieldType(table, col, FieldType::Short);
      break;
    case AdoType::Integer:
      plan.type = IntegerFieldType(table, col, FieldType::Long);
      break;
    case AdoType::BigInt:
      plan.type = IntegerFieldType(table, col, FieldType::Number);
      break;
    case AdoType::Double:
      plan.type = FieldType::Number;
      break;
    case AdoType::Currency:
      plan.type = FieldType::Money;
      break;
    case AdoType::Boolean:
      plan.type = FieldType::Logical;
      break;
    case AdoType::Date:
      plan.type = DateFieldType(table, col);
      break;
    case AdoType::LongVarWChar:
    case AdoType::LongVarBinary:
      return std::nullopt;  // memo and BLOB fields need a .MB file
    case AdoType::Empty:
    case AdoType::Error:
    default:
      throw EConvertError(ColumnContext(column) + "type " +
                          std::to_string(static_cast<int>(column.type)) +
                          " has no Paradox field type");
  }
  if (plan.length == 0) plan.length = FixedLength(plan.type);
  // BCD descriptors carry the number of decimals; integers have none.
  plan.sizeByte = plan.type == FieldType::Bcd ? 0 : static_cast<std::uint8_t>(plan.length);
  return plan;
}

bool IsDisturbing(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '[' || c == ']' || c == '{' || c == '}' || c == '(' ||
         c == ')' || c == '"';
}

std::string CleanName(std::string_view utf8, std::size_t position) {
  std::string name = Utf8ToCp1252(utf8);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsDisturbing(c) || (c == '>' && i > 0 && name[i - 1] == '-')) name[i] = '_';
  }
  name = Trim(name, " ");
  if (name.empty() || name == "#") name = "Field" + std::to_string(position + 1);
  if (name.size() > kMaxFieldNameLength) name = Trim(name.substr(0, kMaxFieldNameLength), " ");
  return name;
}

}  // namespace

std::string UpperCp1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
      ch = static_cast<char>(c - 0x20);
    } else if (c == 0x9A || c == 0x9C || c == 0x9E) {  // š œ ž
      ch = static_cast<char>(c - 0x10);
    } else if (c == 0xFF) {  // ÿ
      ch = static_cast<char>(0x9F);
    }
  }
  return out;
}

std::vector<std::string> MakeFieldNames(const std::vector<std::string_view>& names) {
  std::vector<std::string> out;
  out.reserve(names.size());
  std::set<std::string> taken;  // upper-cased names handed out so far
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string clean = CleanName(names[i], i);
    std::string name = clean;
    for (int n = 2; taken.count(UpperCp1252(name)) != 0; ++n) {
      std::string suffix(1, '_');
      suffix += std::to_string(n);
      name = Trim(clean.substr(0, kMaxFieldNameLength - suffix.size()), " ");
      name += suffix;
    }
    taken.insert(UpperCp1252(name));
    out.push_back(std::move(name));
  }
  return out;
}

std::vector<FieldPlan> PlanFields(const Table& table) {
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    if (row.size() != table.columns.size()) {
      throw EConvertError("Paradox writer: row " + std::to_string(r + 1) + " has " +
                          std::to_string(row.size()) + " values for " +
                          std::to_string(table.columns.size()) + " columns");
    }
  });
  std::vector<FieldPlan> fields;
  for (std::size_t col = 0; col < table.columns.size(); ++col) {
    if (auto plan = PlanColumn(table, col)) fields.push_back(std::move(*plan));
  }
  if (fields.empty()) {
    throw EConvertError("Paradox writer: table '" + table.name +
                        "' has no column that a Paradox table can hold");
  }
  if (fields.size() > static_cast<std::size_t>(kMaxFields)) {
    throw EConvertError("Paradox writer: table '" + table.name + "' has " +
                        std::to_string(fields.size()) + " columns; a Paradox table holds at most " +
                        std::to_string(kMaxFields));
  }
  std::vector<std::string_view> names;
  names.reserve(fields.size());
  for (const auto& f : fields) names.push_back(table.columns[f.column].name);
  auto cleaned = MakeFieldNames(names);
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i].name = std::move(cleaned[i]);
  return fields;
}

}  // namespace zyl::exporting::paradox
