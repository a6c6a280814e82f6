#include "export/dbf/DbfFieldPlan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string_view>
#include <variant>

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "export/TableRows.h"
#include "export/dbf/CivilDate.h"
#include "export/dbf/DecimalText.h"
#include "platform/Exception.h"
#include "platform/Utf8.h"

namespace zyl::exporting {
namespace {

// Widths of the integer types' extreme values: -32768, -2147483648.
constexpr int kSmallIntLength = 6;
constexpr int kIntegerLength = 11;
constexpr int kBigIntLength = 20;
constexpr int kCurrencyDecimals = 4;
// A double column without any value.
constexpr int kEmptyDoubleLength = 20;
constexpr int kEmptyDoubleDecimals = 6;

std::string ColumnPrefix(const Column& column) {
  return "dBase writer: column '" + column.name + "'";
}

std::string RowPrefix(const Column& column, std::size_t row) {
  return ColumnPrefix(column) + ", row " + std::to_string(row + 1);
}

std::string WithArticle(std::string_view word) {
  const bool vowel = std::string_view("aeiou").find(word.front()) != std::string_view::npos;
  return (vowel ? "an " : "a ") + std::string(word);
}

// What each alternative of Value holds, in the variant's order.
constexpr std::array<const char*, 8> kValueKinds = {
    "null", "boolean", "integer", "floating-point", "currency", "date", "text", "binary"};
static_assert(std::variant_size_v<Value> == kValueKinds.size());

const char* KindOfValue(const Value& value) {
  return kValueKinds[value.index()];
}

const char* KindOfColumn(AdoType type) {
  switch (type) {
    case AdoType::SmallInt:
    case AdoType::Integer:
    case AdoType::BigInt:
      return "integer";
    case AdoType::Double:
      return "floating-point";
    case AdoType::Currency:
      return "currency";
    case AdoType::Date:
      return "date";
    case AdoType::Boolean:
      return "boolean";
    default:
      return "text";
  }
}

// Calls visit(value, row) for each non-null value of a column; throws when
// a value has another type than its column.
template <typename T>
void ForEachValue(const Table& table, std::size_t index, auto&& visit) {
  const Column& column = table.columns[index];
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    const Value& value = row[index];
    if (std::holds_alternative<std::monostate>(value)) return;
    const T* typed = std::get_if<T>(&value);
    if (typed == nullptr) {
      throw EConvertError(RowPrefix(column, r) + ": " + WithArticle(KindOfValue(value)) +
                          " value in " + WithArticle(KindOfColumn(column.type)) + " column");
    }
    visit(*typed, r);
  });
}

}  // namespace

std::string DbfUnstorable(const Value& value) {
  if (const auto* v = std::get_if<double>(&value)) {
    if (!std::isfinite(*v)) return DoubleForMessage(*v);
    const DecimalNumber number = ShortestDecimal(*v);
    if (number.IntegerDigits() + (number.negative ? 1 : 0) > kDbfMaxNumericLength) {
      return DoubleForMessage(*v) + " is wider than 20 characters";
    }
  } else if (const auto* c = std::get_if<CurrencyValue>(&value)) {
    const std::string text =
        FixedText(ScaledDecimal(c->scaled, kCurrencyDecimals), kCurrencyDecimals);
    if (static_cast<int>(text.size()) > kDbfMaxNumericLength) {
      return text + " is wider than 20 characters";
    }
  } else if (const auto* d = std::get_if<DateTimeValue>(&value)) {
    if (!DateOfValue(*d))
      return "date " + DoubleForMessage(d->days) + " outside the years 1 to 9999";
  }
  return "";
}

namespace {

DbfField PlanText(const Table& table, std::size_t index) {
  int longest = std::max(table.columns[index].size, 0);
  ForEachValue<std::string>(table, index, [&](const std::string& text, std::size_t) {
    if (longest >= kDbfMaxCharLength) return;
    longest = std::max(longest, static_cast<int>(std::min<std::size_t>(Utf8ToCp1252(text).size(),
                                                                       kDbfMaxCharLength)));
  });
  return DbfField{{}, 'C', std::clamp(longest, 1, kDbfMaxCharLength), 0};
}

DbfField PlanInteger(const Table& table, std::size_t index, int minLength) {
  int length = minLength;
  ForEachValue<std::int64_t>(table, index, [&](std::int64_t v, std::size_t) {
    length = std::max(length, static_cast<int>(std::to_string(v).size()));
  });
  return DbfField{{}, 'N', length, 0};
}

// Width and decimals that show each value's shortest round-trip form; when
// the width would pass 20 characters the decimals are cut (values are then
// rounded half to even), and a value whose integer part alone is too wide
// is refused.
DbfField PlanDouble(const Table& table, std::size_t index) {
  const Column& column = table.columns[index];
  bool any = false;
  int integerWidth = 1;  // sign and digits before the point
  int decimals = 0;
  ForEachValue<double>(table, index, [&](double v, std::size_t r) {
    if (!std::isfinite(v)) {
      throw EConvertError(RowPrefix(column, r) + ": value " + DoubleForMessage(v) +
                          " cannot be stored in a dBase numeric field");
    }
    const DecimalNumber number = ShortestDecimal(v);
    const int sign = number.negative ? 1 : 0;
    const int width = number.IntegerDigits() + sign;
    if (width > kDbfMaxNumericLength) {
      throw EConvertError(RowPrefix(column, r) + ": value " + DoubleForMessage(v) +
                          " does not fit a dBase numeric field (at most 20 characters)");
    }
    any = true;
    integerWidth = std::max({integerWidth, width, 1 + sign});
    decimals = std::max(decimals, number.DecimalsNeeded());
  });
  if (!any) return DbfField{{}, 'N', kEmptyDoubleLength, kEmptyDoubleDecimals};
  decimals =
      std::min({decimals, kDbfMaxDecimals, std::max(0, kDbfMaxNumericLength - integerWidth - 1)});
  return DbfField{{}, 'N', integerWidth + (decimals > 0 ? decimals + 1 : 0), decimals};
}

DbfField PlanCurrency(const Table& table, std::size_t index) {
  const Column& column = table.columns[index];
  ForEachValue<CurrencyValue>(table, index, [&](CurrencyValue v, std::size_t r) {
    const std::string text =
        FixedText(ScaledDecimal(v.scaled, kCurrencyDecimals), kCurrencyDecimals);
    if (static_cast<int>(text.size()) > kDbfMaxNumericLength) {
      throw EConvertError(RowPrefix(column, r) + ": value " + text +
                          " does not fit a dBase numeric field (at most 20 characters)");
    }
  });
  return DbfField{{}, 'N', kDbfMaxNumericLength, kCurrencyDecimals};
}

DbfField PlanDate(const Table& table, std::size_t index) {
  const Column& column = table.columns[index];
  ForEachValue<DateTimeValue>(table, index, [&](DateTimeValue v, std::size_t r) {
    if (!DateOfValue(v)) {
      throw EConvertError(RowPrefix(column, r) + ": date value " + DoubleForMessage(v.days) +
                          " (days since 30.12.1899) lies outside the years 1 to 9999");
    }
  });
  return DbfField{{}, 'D', 8, 0};
}

DbfField PlanColumn(const Table& table, std::size_t index) {
  const Column& column = table.columns[index];
  switch (column.type) {
    case AdoType::Char:
    case AdoType::VarWChar:
      return PlanText(table, index);
    case AdoType::SmallInt:
      return PlanInteger(table, index, kSmallIntLength);
    case AdoType::Integer:
      return PlanInteger(table, index, kIntegerLength);
    case AdoType::BigInt:
      return PlanInteger(table, index, kBigIntLength);
    case AdoType::Double:
      return PlanDouble(table, index);
    case AdoType::Currency:
      return PlanCurrency(table, index);
    case AdoType::Date:
      return PlanDate(table, index);
    case AdoType::Boolean:
      ForEachValue<bool>(table, index, [](bool, std::size_t) {});
      return DbfField{{}, 'L', 1, 0};
    case AdoType::LongVarWChar:
      throw Exception(
          ColumnPrefix(column) +
          ": memo columns cannot be stored in a dBase table (no .dbt memo file is written)");
    case AdoType::Binary:
    case AdoType::VarBinary:
    case AdoType::LongVarBinary:
      throw Exception(ColumnPrefix(column) + ": binary columns cannot be stored in a dBase table");
    case AdoType::Empty:
    case AdoType::Error:
      break;
  }
  throw Exception(ColumnPrefix(column) + ": column type " +
                  std::to_string(static_cast<int>(column.type)) + " has no dBase field type");
}

// The column name reduced to A-Z, 0-9 and '_' (accents dropped).
std::string AsciiName(const std::string& name) {
  const icu::UnicodeString decoded = icu::UnicodeString::fromUTF8(
      icu::StringPiece(name.data(), static_cast<std::int32_t>(name.size())));
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
  icu::UnicodeString decomposed;
  if (U_SUCCESS(status)) decomposed = nfkd->normalize(decoded, status);
  if (U_FAILURE(status)) decomposed = decoded;

  std::string out;
  for (std::int32_t i = 0; i < decomposed.length(); i = decomposed.moveIndex32(i, 1)) {
    const UChar32 cp = decomposed.char32At(i);
    if (cp >= 0x80) continue;
    const char c = static_cast<char>(cp);
    if (c >= 'a' && c <= 'z') {
      out += static_cast<char>(c - 'a' + 'A');
    } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
      out += c;
    } else {
      out += '_';
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> DbfFieldNames(const std::vector<std::string>& columnNames) {
  std::vector<std::string> names;
  names.reserve(columnNames.size());
  std::set<std::string> used;
  for (const std::string& columnName : columnNames) {
    std::string base = AsciiName(columnName);
    if (base.empty() || base.front() < 'A' || base.front() > 'Z') base.insert(0, 1, 'F');
    if (base.size() > kDbfMaxNameLength) base.resize(kDbfMaxNameLength);
    std::string name = base;
    for (int n = 1; used.contains(name); ++n) {
      std::string suffix = std::to_string(n);
      suffix.insert(suffix.begin(), '_');
      name.assign(base, 0, kDbfMaxNameLength - suffix.size());
      name.append(suffix);
    }
    used.insert(name);
    names.push_back(std::move(name));
  }
  return names;
}

std::vector<DbfField> PlanDbfFields(const Table& table) {
  const std::string tablePrefix = "dBase writer: table '" + table.name + "'";
  if (table.columns.empty()) throw Exception(tablePrefix + " has no columns");
  if (table.columns.size() > kDbfMaxFields) {
    throw Exception(tablePrefix + " has " + std::to_string(table.columns.size()) +
                    " columns, more than the 255 a dBase table holds");
  }
  if (RowCount(table) > std::numeric_limits<std::uint32_t>::max()) {
    throw Exception(tablePrefix + " has more rows than a dBase table holds");
  }
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    if (row.size() != table.columns.size()) {
      throw Exception(tablePrefix + ": row " + std::to_string(r + 1) + " has " +
                      std::to_string(row.size()) + " values for " +
                      std::to_string(table.columns.size()) + " columns");
    }
  });

  std::vector<std::string> columnNames;
  columnNames.reserve(table.columns.size());
  for (const Column& column : table.columns) columnNames.push_back(column.name);
  std::vector<std::string> names = DbfFieldNames(columnNames);

  std::vector<DbfField> fields;
  fields.reserve(table.columns.size());
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    fields.push_back(PlanColumn(table, i));
    fields.back().name = std::move(names[i]);
  }
  return fields;
}

}  // namespace zyl::exporting
