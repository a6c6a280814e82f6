#include "export/engine/JetDatabase.h"

#include <variant>

#include "export/engine/EngineError.h"
#include "export/engine/IsamTargets.h"
#include "export/engine/JetStorage.h"
#include "export/engine/SqlLexer.h"
#include "export/engine/SqlParser.h"
#include "export/jet4/Jet4Writer.h"
#include "platform/FileSink.h"
#include "platform/Text.h"

namespace zyl::exporting {
namespace {

std::size_t ColumnIndex(const Table& table, std::string_view name) {
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (SameAsciiText(table.columns[c].name, name)) return c;
  }
  return table.columns.size();
}

}  // namespace

JetDatabase::JetDatabase(std::string path) : path_(std::move(path)) {}

void JetDatabase::WriteFile() {
  std::vector<Table> stored;
  stored.reserve(tables_.size());
  for (const Table& t : tables_) stored.push_back(JetStorageTable(t));
  FileSink sink(path_);
  WriteJet4Database(stored, sink);
  sink.Commit();
  changed_ = false;
}

void JetDatabase::Flush() {
  if (changed_) WriteFile();
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

long JetDatabase::Execute(std::string_view command, const RegionalSettings& settings) {
  const sql::Statement statement = sql::ParseStatement(command);
  if (const auto* insert = std::get_if<sql::InsertStatement>(&statement)) {
    return Insert(*insert, settings);
  }
  return SelectInto(std::get<sql::SelectIntoStatement>(statement));
}

long JetDatabase::Insert(const sql::InsertStatement& st, const RegionalSettings& settings) {
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
  for (std::size_t i = 0; i < targets.size(); ++i) {
    row[targets[i]] = ConvertLiteral(st.values[i], table->columns[targets[i]], settings);
  }
  for (std::size_t c = 0; c < row.size(); ++c) {
    const Column& column = table->columns[c];
    if (!std::holds_alternative<std::monostate>(row[c])) continue;
    if (column.type == AdoType::Boolean) {
      row[c] = false;
    } else if (!column.nullable) {
      throw EOleException("Jet engine: The field '" + table->name + "." + column.name +
                          "' cannot contain a Null value because it is not nullable.");
    }
  }
  table->rows.push_back(std::move(row));
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
  WriteIsamTable(*table, target);
  return static_cast<long>(table->rows.size());
}

}  // namespace zyl::exporting
