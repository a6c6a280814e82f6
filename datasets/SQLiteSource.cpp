#include "datasets/SQLiteSource.h"

#include <sqlite3.h>

#include <algorithm>

#include "datasets/SQLiteError.h"
#include "platform/Exception.h"

namespace zyl::sqlite {

namespace {

// Rows a query's expressions are typed from.
constexpr int kProbeRows = 100;

bool SameName(const std::string& a, const std::string& b) {
  return sqlite3_stricmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

Source Source::ForTable(Connection& connection, const std::string& name) {
  Source source;
  std::string kind;
  {
    Statement find(connection,
                   "SELECT type, name FROM sqlite_master WHERE type IN ('table', 'view') "
                   "AND name = ?1 COLLATE NOCASE ORDER BY name = ?1 DESC LIMIT 1");
    ResetGuard guard(find);
    find.Bind(1, TVariant(name));
    if (!find.Step()) {
      throw ESQLiteError(connection.Context() + ": no table or view named '" + name + "'",
                         SQLITE_ERROR);
    }
    kind = find.Column(0).ToString();
    source.displayName_ = find.Column(1).ToString();
  }
  source.from_ = QuoteIdentifier(source.displayName_);
  source.context_ = "SQLite table '" + source.displayName_ + "'";
  connection.SetContext(source.context_);

  std::vector<std::pair<int, int>> primaryKey;  // (order in key, column)
  std::vector<std::string> declared;
  {
    Statement info(connection,
                   "SELECT name, type, \"notnull\", pk, hidden FROM pragma_table_xinfo(?1)");
    ResetGuard guard(info);
    info.Bind(1, TVariant(source.displayName_));
    while (info.Step()) {
      std::int64_t hidden = info.ColumnInt64(4);
      if (hidden == 1) continue;  // hidden columns of virtual tables
      SourceColumn column;
      column.field.name = info.Column(0).ToString();
      declared.push_back(info.Column(1).ToString());
      column.field.type = MapDeclaredType(declared.back());
      column.notNull = info.ColumnInt64(2) != 0;
      column.readOnly = hidden != 0;  // generated columns
      column.expr = QuoteIdentifier(column.field.name);
      int pk = static_cast<int>(info.ColumnInt64(3));
      if (pk > 0) primaryKey.emplace_back(pk, static_cast<int>(source.columns_.size()));
      source.columns_.push_back(std::move(column));
    }
  }
  std::sort(primaryKey.begin(), primaryKey.end());
  for (const auto& [order, column] : primaryKey) source.defaultOrder_.push_back(column);

  if (kind == "view") return source;  // a view's rowid is always Null: no key

  // The rowid under a name that no column shadows; a WITHOUT ROWID table has none.
  std::string rowid;
  for (const char* alias : {"rowid", "_rowid_", "oid"}) {
    bool shadowed =
        std::any_of(source.columns_.begin(), source.columns_.end(),
                    [&](const SourceColumn& c) { return SameName(c.field.name, alias); });
    if (shadowed) continue;
    std::string sql = "SELECT ";
    sql += alias;
    sql += " FROM " + source.from_ + " LIMIT 0";
    sqlite3_stmt* probe = nullptr;
    int rc = sqlite3_prepare_v2(connection.Handle(), sql.c_str(), -1, &probe, nullptr);
    sqlite3_finalize(probe);
    if (rc == SQLITE_OK) rowid = alias;
    break;
  }

  if (!rowid.empty()) {
    // A single INTEGER PRIMARY KEY column is the rowid itself: numbered by
    // SQLite, so it is an auto-increment field that cannot be written.
    if (primaryKey.size() == 1) {
      int c = primaryKey.front().second;
      SourceColumn& column = source.columns_[static_cast<std::size_t>(c)];
      if (sqlite3_stricmp(declared[static_cast<std::size_t>(c)].c_str(), "INTEGER") == 0) {
        column.field.type = {TFieldType::ftAutoInc, 0, false};
        column.readOnly = true;
      }
    }
    source.extraKeys_.push_back(rowid);
    source.keyRaw_.push_back(static_cast<int>(source.columns_.size()));
    source.keyExpr_.push_back(rowid);
  } else if (!primaryKey.empty()) {
    for (int c : source.defaultOrder_) {
      source.keyRaw_.push_back(c);
      source.keyExpr_.push_back(source.columns_[static_cast<std::size_t>(c)].expr);
    }
  }
  return source;
}

Source Source::ForQuery(Connection& connection, const std::string& sql) {
  Source source;
  source.isQuery_ = true;
  source.displayName_ = "query";
  source.context_ = "SQLite query";
  connection.SetContext(source.context_);
  std::string_view tail;
  Statement statement(connection, sql, &tail);
  if (HoldsStatement(connection, tail)) {
    throw Exception("SQLite query: the SQL must be a single SELECT statement");
  }
  if (!statement.ReadOnly() || statement.ColumnCount() == 0) {
    throw Exception("SQLite query: only a read-only SELECT can be a dataset's source");
  }
  if (statement.ParameterCount() > 0) {
    throw Exception("SQLite query: parameters are not supported in a dataset's SQL");
  }
  std::string text(std::string_view(sql).substr(0, sql.size() - tail.size()));
  while (!text.empty() && (text.back() == ';' || text.back() == ' ' || text.back() == '\n' ||
                           text.back() == '\r' || text.back() == '\t')) {
    text.pop_back();
  }
  source.from_ = "(\n" + text + "\n)";

  // Expressions have no declared type: they are typed by their first
  // non-Null value among the first rows (text when there is none).
  std::vector<int> untyped;
  for (int i = 0; i < statement.ColumnCount(); ++i) {
    SourceColumn column;
    column.field.name = statement.ColumnName(i);
    column.readOnly = true;
    column.expr = std::to_string(i + 1);
    std::string declared = statement.ColumnDeclType(i);
    column.field.type = MapDeclaredType(declared);
    if (declared.empty()) untyped.push_back(i);
    source.columns_.push_back(std::move(column));
  }
  for (int row = 0; row < kProbeRows && !untyped.empty() && statement.Step(); ++row) {
    for (auto it = untyped.begin(); it != untyped.end();) {
      int storage = statement.ColumnStorageClass(*it);
      if (storage == SQLITE_NULL) {
        ++it;
        continue;
      }
      source.columns_[static_cast<std::size_t>(*it)].field.type = MapStorageClass(storage);
      it = untyped.erase(it);
    }
  }
  statement.Reset();
  return source;
}

std::string Source::SelectList() const {
  if (isQuery_) return "*";
  std::string list;
  for (const SourceColumn& c : columns_) {
    if (!list.empty()) list += ", ";
    list += c.expr;
  }
  for (const std::string& key : extraKeys_) list += ", " + key;
  return list;
}

std::vector<OrderTerm> Source::Order(const std::vector<SqlIndexTerm>& index) const {
  std::vector<OrderTerm> terms;
  auto has = [&](int raw) {
    return std::any_of(terms.begin(), terms.end(),
                       [&](const OrderTerm& t) { return t.rawIndex == raw; });
  };
  for (const SqlIndexTerm& term : index) {
    if (has(term.field)) continue;
    terms.push_back(
        {columns_[static_cast<std::size_t>(term.field)].expr, term.field, term.descending});
  }
  if (HasKey()) {
    if (index.empty()) {
      for (int c : defaultOrder_)
        terms.push_back({columns_[static_cast<std::size_t>(c)].expr, c, false});
    }
    for (std::size_t k = 0; k < keyRaw_.size(); ++k) {
      if (!has(keyRaw_[k])) terms.push_back({keyExpr_[k], keyRaw_[k], false});
    }
  } else if (!index.empty()) {
    // No key: ties fall back to all columns; a query without IndexFieldNames
    // keeps its own order.
    for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
      if (!has(c)) terms.push_back({columns_[static_cast<std::size_t>(c)].expr, c, false});
    }
  }
  return terms;
}

}  // namespace zyl::sqlite
