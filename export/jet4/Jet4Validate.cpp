// Definition checks of the Access writer: table and column names, column
// types and counts, before any page is built.
#include <set>
#include <string>

#include "export/TableRows.h"
#include "export/jet4/Jet4Columns.h"
#include "export/jet4/Jet4Text.h"
#include "export/jet4/Jet4Writer.h"

namespace zyl::exporting {

using namespace jet4;

namespace {

void CheckTableName(const std::string& name) {
  const std::string what = "table name '" + name + "'";
  CheckObjectName(name, what);
  for (char c : name) {
    if (c == '"') Fail(what + " contains '\"', which Access does not allow in table names");
    if (NameSortCode(c).empty()) {
      // Only the table name becomes a key of the catalog's name index, and
      // only characters with a plain "General" sort code can be encoded.
      Fail(what + ": the character '" + std::string(1, c) +
           "' is not supported in table names (use ASCII letters, digits, blanks and "
           "punctuation other than ' and -)");
    }
  }
  if (FoldedName(name).starts_with(U"msys")) {
    Fail(what + " is reserved: names starting with MSys belong to the system tables");
  }
}

}  // namespace

void ValidateJet4Table(const Table& table) {
  CheckTableName(table.name);
  const std::string where = "table '" + table.name + "'";
  if (table.columns.empty()) Fail(where + " has no columns");
  if (table.columns.size() > kMaxColumns) {
    Fail(where + " has " + std::to_string(table.columns.size()) + " columns; Jet 4 allows " +
         std::to_string(kMaxColumns));
  }
  std::set<std::u32string> seen;
  std::size_t longValueColumns = 0;
  for (const Column& column : table.columns) {
    CheckObjectName(column.name, where + " column name '" + column.name + "'");
    if (!seen.insert(FoldedName(column.name)).second) {
      Fail(where + " has two columns named '" + column.name +
           "' (Access compares names regardless of case)");
    }
    const JetColumn jet = ColumnFromExport(column, where + " column '" + column.name + "'");
    if (IsLongValue(jet.type)) ++longValueColumns;
  }
  if (longValueColumns > kMaxLongValueColumns) {
    Fail(where + " has " + std::to_string(longValueColumns) +
         " memo/OLE columns; the writer supports " + std::to_string(kMaxLongValueColumns));
  }
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t i) {
    if (row.size() != table.columns.size()) {
      Fail(where + " row " + std::to_string(i + 1) + " has " + std::to_string(row.size()) +
           " values for " + std::to_string(table.columns.size()) + " columns");
    }
  });
}

void ValidateJet4Tables(std::span<const Table> tables) {
  // The catalog keeps its rows and name-index entries on single pages; the
  // exact number of tables that fit depends on the names and is checked
  // when the catalog is built.
  constexpr std::size_t kMaxTables = 100;
  if (tables.size() > kMaxTables) {
    Fail(std::to_string(tables.size()) + " tables; the writer puts at most " +
         std::to_string(kMaxTables) + " into one database");
  }
  std::set<std::u32string> seen;
  for (const Table& table : tables) {
    ValidateJet4Table(table);
    if (!seen.insert(FoldedName(table.name)).second) {
      Fail("two tables are named '" + table.name + "' (Access compares names regardless of case)");
    }
  }
}

}  // namespace zyl::exporting
