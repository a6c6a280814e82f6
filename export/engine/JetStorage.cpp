#include "export/engine/JetStorage.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

#include "export/TableRows.h"
#include "export/engine/EngineError.h"
#include "export/engine/ValueConversion.h"
#include "export/jet4/Jet4Writer.h"
#include "platform/Format.h"

namespace zyl::exporting {
namespace {

constexpr std::int64_t kMaxExactInDouble = std::int64_t{1} << 53;
constexpr std::size_t kJetTextChars = 255;
constexpr std::size_t kJetBinaryBytes = 510;

bool IsText(AdoType t) {
  return t == AdoType::Char || t == AdoType::VarWChar;
}
bool IsBinary(AdoType t) {
  return t == AdoType::Binary || t == AdoType::VarBinary;
}

// The storage form of column `c` judged by its values.
Column StorageColumn(const Table& table, std::size_t c) {
  Column column = table.columns[c];
  if (column.type == AdoType::BigInt) {
    bool exact = true;
    ForEachRow(table, [&](const std::vector<Value>& row, std::size_t) {
      if (const auto* v = std::get_if<std::int64_t>(&row[c])) {
        exact = exact && *v >= -kMaxExactInDouble && *v <= kMaxExactInDouble;
      }
    });
    column.type = exact ? AdoType::Double : AdoType::VarWChar;
    column.size = 0;
  } else if (column.size == 0 && (IsText(column.type) || IsBinary(column.type))) {
    std::size_t longest = 0;
    ForEachRow(table, [&](const std::vector<Value>& row, std::size_t) {
      if (const auto* s = std::get_if<std::string>(&row[c]))
        longest = std::max(longest, TextLength(*s));
      if (const auto* b = std::get_if<Bytes>(&row[c])) longest = std::max(longest, b->size());
    });
    const std::size_t limit = IsText(column.type) ? kJetTextChars : kJetBinaryBytes;
    if (longest > limit) column.size = static_cast<int>(longest);
  }
  return column;
}

// Access's Date/Time range: 1 January 100 up to the end of 31 December 9999.
constexpr double kFirstJetDate = -657434.0;
constexpr double kEndJetDate = 2958466.0;

// A value the file cannot hold: a non-finite double or a date outside
// Access's years; described for the note, or nullopt.
std::optional<std::string> Unstorable(const Value& value) {
  if (const auto* d = std::get_if<double>(&value)) {
    if (!std::isfinite(*d)) return std::isnan(*d) ? "NaN" : *d > 0 ? "inf" : "-inf";
  }
  if (const auto* t = std::get_if<DateTimeValue>(&value)) {
    if (!(t->days >= kFirstJetDate && t->days < kEndJetDate))
      return "date " + FloatToExactStr(t->days);
  }
  return std::nullopt;
}

Value StorageValue(const Column& stored, const Value& value) {
  if (const auto* v = std::get_if<std::int64_t>(&value)) {
    if (stored.type == AdoType::Double) return static_cast<double>(*v);
    if (stored.type == AdoType::VarWChar) return std::to_string(*v);
  }
  return value;
}

}  // namespace

Table JetStorageTable(const Table& table, Substitutions* noted) {
  Table stored;
  stored.name = table.name;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    stored.columns.push_back(StorageColumn(table, c));
  }
  bool changed = false;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    changed = changed || stored.columns[c].type != table.columns[c].type;
  }
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    std::vector<Value> out = row;
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (changed) out[c] = StorageValue(stored.columns[c], row[c]);
      if (auto what = Unstorable(out[c])) {
        out[c] = std::monostate{};
        if (noted != nullptr) noted->Note(table.columns[c].name, r + 1, *what, "blank");
      }
    }
    AddRow(stored, std::move(out), table.spilled != nullptr);
  });
  return stored;
}

void ValidateTableDefinition(const Table& definition) {
  Table columnsOnly{definition.name, definition.columns, {}};
  try {
    ValidateJet4Table(JetStorageTable(columnsOnly));
  } catch (const zyl::Exception& e) {
    throw EOleException("Jet engine: cannot create table '" + definition.name +
                        "': " + e.Message());
  }
}

}  // namespace zyl::exporting
