// What an SQLite dataset reads: a table (or view) of the database, or a
// read-only query. Describes its columns with their field types, the key that
// addresses one record (the rowid, or the primary key of a WITHOUT ROWID
// table), and the order of the records. Every name that goes into SQL comes
// from the database schema and is quoted; nothing a caller passes is spliced.
#pragma once

#include <string>
#include <vector>

#include "datasets/SQLiteConnection.h"
#include "datasets/SQLiteTypes.h"
#include "datasets/SqlBackend.h"

namespace zyl::sqlite {

struct SourceColumn {
  ColumnSpec field;       // name and field type
  bool readOnly = false;  // rowid alias, generated column, query column
  bool notNull = false;
  std::string expr;  // the column in SQL: quoted name, or position in a query
};

// One term of the record order: the value at `rawIndex` of a read row.
struct OrderTerm {
  std::string expr;
  int rawIndex = 0;
  bool descending = false;
};

class Source {
 public:
  // The table or view `name` (found ignoring case). Raises ESQLiteError when
  // the database has no such table or view.
  static Source ForTable(Connection& connection, const std::string& name);
  // A query: exactly one read-only statement that returns rows and takes no
  // parameters. Raises ESQLiteError with SQLite's message when it does not
  // prepare, zyl::Exception for the other conditions.
  static Source ForQuery(Connection& connection, const std::string& sql);

  const std::vector<SourceColumn>& Columns() const { return columns_; }
  // Values of a read row: the columns, then the key values that are not
  // columns themselves (the rowid).
  int RawWidth() const { return static_cast<int>(columns_.size() + extraKeys_.size()); }
  const std::string& From() const { return from_; }
  // The select list of a read: every column, then the extra key values.
  std::string SelectList() const;
  // True for a table or view with a key (records can be addressed one by one).
  bool HasKey() const { return !keyRaw_.empty(); }
  bool IsQuery() const { return isQuery_; }
  // The records can be edited: a table with a key on a writable connection.
  bool Editable() const { return !isQuery_ && HasKey(); }
  // Raw indices and SQL expressions of the key values.
  const std::vector<int>& KeyRaw() const { return keyRaw_; }
  const std::vector<std::string>& KeyExpr() const { return keyExpr_; }
  // The table's name, or "query".
  const std::string& DisplayName() const { return displayName_; }
  // Start of messages: "SQLite table 'Orders'" or "SQLite query".
  const std::string& Context() const { return context_; }

  // The full record order for `index` (empty: the primary key or rowid of a
  // table; a query's own order). Ties are broken by the key, or for a query
  // or keyless view by all columns, so that positions stay stable.
  std::vector<OrderTerm> Order(const std::vector<SqlIndexTerm>& index) const;

 private:
  std::vector<SourceColumn> columns_;
  std::vector<std::string> extraKeys_;  // key expressions read after the columns
  std::vector<int> keyRaw_;
  std::vector<std::string> keyExpr_;
  std::vector<int> defaultOrder_;  // columns of the primary key, in key order
  std::string from_;
  std::string displayName_;
  std::string context_;
  bool isQuery_ = false;
};

}  // namespace zyl::sqlite
