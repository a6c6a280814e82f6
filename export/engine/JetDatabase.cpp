#include "export/engine/JetDatabase.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <variant>

#include "export/TableRows.h"
#include "export/engine/EngineError.h"
#include "export/engine/IsamTargets.h"
#include "export/engine/JetStorage.h"
#include "export/engine/SqlLexer.h"
#include "export/engine/SqlParser.h"
#include "export/jet4/Jet4Writer.h"
#include "platform/FileSink.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

namespace zyl::exporting {
namespace {

std::size_t ColumnIndex(const Table& table, std::string_view name) {
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (SameAsciiText(table.columns[c].name, name)) return c;
  }
  return table.columns.size();
}

bool IsInteger(AdoType t) {
  return t == AdoType::SmallInt || t == AdoType::Integer || t == AdoType::BigInt;
}

// Integer types by their range (SmallInt < Integer < BigInt).
int RangeRank(AdoType t) {
  return t == AdoType::SmallInt ? 0 : t == AdoType::Integer ? 1 : 2;
}
bool ByRange(AdoType a, AdoType b) {
  return RangeRank(a) < RangeRank(b);
}

// The narrowest integer type that holds `v`.
AdoType IntegerTypeFor(std::int64_t v) {
  if (v >= -32768 && v <= 32767) return AdoType::SmallInt;
  if (v >= std::numeric_limits<std::int32_t>::min() &&
      v <= std::numeric_limits<std::int32_t>::max()) {
    return AdoType::Integer;
  }
  return AdoType::BigInt;
}

}  // namespace

JetDatabase::JetDatabase(std::string path, bool stagingOnly)
    : path_(std::move(path)), stagingOnly_(stagingOnly) {}

void JetDatabase::WriteFile() {
  std::vector<Table> stored;
  stored.reserve(tables_.size());
  Substitutions noted;
  for (const Table& t : tables_) stored.push_back(JetStorageTable(t, &noted));
  FileSink sink(path_);
  WriteJet4Database(stored, sink);
  sink.Commit();
  lastFile_ = noted;
  changed_ = false;
}

Substitutions JetDatabase::Substituted() const {
  Substitutions all = inserted_;
  all.Add(lastFile_);
  return all;
}

void JetDatabase::Flush() {
  if (changed_ && !stagingOnly_) WriteFile();
}

void JetDatabase::AddTable(Table table) {
  if (Find(table.name) != nullptr) {
    throw EOleException("Jet engine: Table '" + table.name + "' already exists.");
  }
  ValidateTableDefinition(table);
  tables_.push_back(std::move(table));
  changed_ = true;
}

const Table* JetDatabase::FindTable(std::string_view name) const {
  for (const Table& t : tables_) {
    if (SameAsciiText(t.name, name)) return &t;
  }
  return nullptr;
}

Table* JetDatabase::Find(std::string_view name) {
  return const_cast<Table*>(std::as_const(*this).FindTable(name));
}

long JetDatabase::Execute(std::string_view command, const SessionSettings& settings) {
  const sql::Statement statement = sql::ParseStatement(command);
  if (const auto* insert = std::get_if<sql::InsertStatement>(&statement)) {
    return Insert(*insert, settings);
  }
  return SelectInto(std::get<sql::SelectIntoStatement>(statement));
}

long JetDatabase::Insert(const sql::InsertStatement& st, const SessionSettings& settings) {
  Table* table = Find(st.table);
  if (table == nullptr) {
    throw EOleException("Jet engine: The engine cannot find the output table '" + st.table + "'.");
  }
  // Destination column of each value.
  std::vector<std::size_t> targets;
  if (st.columns.empty()) {
    for (std::size_t c = 0; c < table->columns.size(); ++c) targets.push_back(c);
  } else {
    for (const std::string& name : st.columns) {
      const std::size_t c = ColumnIndex(*table, name);
      if (c == table->columns.size()) {
        throw EOleException(
            "Jet engine: The INSERT INTO statement contains the following unknown "
            "field name: '" +
            name + "'.");
      }
      for (std::size_t earlier : targets) {
        if (earlier == c)
          throw EOleException("Jet engine: Duplicate output destination '" + name + "'.");
      }
      targets.push_back(c);
    }
  }
  if (targets.size() != st.values.size()) {
    throw EOleException(
        "Jet engine: Number of query values and destination fields are not the "
        "same. (" +
        std::to_string(st.values.size()) + " values for " + std::to_string(targets.size()) +
        " fields)");
  }
  std::vector<Value> row(table->columns.size());
  Substitutions noted;
  std::vector<std::size_t> widened(table->columns.size());  // text sizes to grow to
  std::vector<AdoType> widerType(table->columns.size(), AdoType::SmallInt);  // integers
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const Column& column = table->columns[targets[i]];
    if (!settings.keepEveryRow) {
      row[targets[i]] = ConvertLiteral(st.values[i], column, settings);
      continue;
    }
    sql::Literal literal = st.values[i];
    if (literal.kind == sql::Literal::Kind::String && !IsValidUtf8(literal.text)) {
      noted.Note(column.name, RowCount(*table) + 1, literal.text, "'?' for each bad byte");
      literal.text = WithValidUtf8(literal.text);
    }
    // Texts and integers are taken whatever their length; the column grows.
    Column unsized = column;
    if (column.type == AdoType::Char || column.type == AdoType::VarWChar) unsized.size = 0;
    if (IsInteger(column.type)) unsized.type = AdoType::BigInt;
    try {
      row[targets[i]] = ConvertLiteral(literal, unsized, settings);
    } catch (const EOleException&) {
      noted.Note(column.name, RowCount(*table) + 1, literal.text, "blank");
      continue;
    }
    if (const auto* text = std::get_if<std::string>(&row[targets[i]])) {
      widened[targets[i]] = TextLength(*text);
    } else if (const auto* n = std::get_if<std::int64_t>(&row[targets[i]])) {
      widerType[targets[i]] = std::max(widerType[targets[i]], IntegerTypeFor(*n), ByRange);
    }
  }
  for (std::size_t c = 0; c < row.size(); ++c) {
    const Column& column = table->columns[c];
    if (!std::holds_alternative<std::monostate>(row[c])) continue;
    if (!column.nullable && column.type != AdoType::Boolean) {
      throw EOleException("Jet engine: The field '" + table->name + "." + column.name +
                          "' cannot contain a Null value because it is not nullable.");
    }
  }
  for (std::size_t c = 0; c < widened.size(); ++c) {
    Column& column = table->columns[c];
    if (IsInteger(column.type)) column.type = std::max(column.type, widerType[c], ByRange);
    if (column.size > 0 && widened[c] > static_cast<std::size_t>(column.size)) {
      column.size = static_cast<int>(widened[c]);
    }
  }
  AddRow(*table, std::move(row), settings.spillRows);
  inserted_.Add(noted);
  changed_ = true;
  return 1;
}

long JetDatabase::SelectInto(const sql::SelectIntoStatement& st) {
  const Table* table = FindTable(st.source);
  if (table == nullptr) {
    throw EOleException("Jet engine: The engine cannot find the input table or query '" +
                        st.source + "'.");
  }
  const IsamTarget target = ResolveIsamTarget(st);
  Flush();
  Substitutions noted;
  WriteIsamTable(*table, target, &noted);
  lastFile_ = noted;
  return static_cast<long>(RowCount(*table));
}

}  // namespace zyl::exporting
