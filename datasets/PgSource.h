// What a PostgreSQL dataset reads: a table (or view) found in the catalog,
// or a read-only query. Describes the columns with their field types, the
// primary key that addresses one record, and the record order. Every
// identifier that goes into SQL comes from the catalog or the query's result
// description and is quoted with PQescapeIdentifier.
#pragma once

#include <string>
#include <vector>

#include "datasets/PgConnection.h"
#include "datasets/PgTypes.h"
#include "datasets/SqlBackend.h"

namespace zyl::pg {

struct SourceColumn {
  std::string name;
  ColumnType type;
  bool readOnly = false;  // generated, identity ALWAYS, query column
  // NOT NULL with a default (serial, identity BY DEFAULT): a new record
  // that leaves it Null gets the default instead of a refusal.
  bool defaultForNull = false;
  std::string quoted;     // the quoted name
  std::string select;     // the column in the select list
};

class Source {
 public:
  // The table or view `name`: an exact (case-sensitive) name visible on the
  // search path, else a name as SQL reads it ("Sales.orders"). Columns named
  // in `hidden` (ignoring case) are not offered as fields; primary-key
  // columns among them are still read to address records. Raises EPgError
  // when there is no such table.
  static Source ForTable(Connection& connection, const std::string& name,
                         const std::vector<std::string>& hidden);
  // A query: one SELECT (or VALUES / WITH ... SELECT) that takes no
  // parameters; read-only.
  static Source ForQuery(Connection& connection, const std::string& sql);

  // The fields, followed by the hidden key columns (RawWidth in all).
  const std::vector<SourceColumn>& Columns() const { return columns_; }
  int FieldWidth() const { return fieldWidth_; }
  int RawWidth() const { return static_cast<int>(columns_.size()); }
  const std::string& From() const { return from_; }
  std::string SelectList() const;
  bool IsQuery() const { return isQuery_; }
  bool Editable() const { return !isQuery_ && !keyRaw_.empty(); }
  const std::vector<int>& KeyRaw() const { return keyRaw_; }
  const std::string& Context() const { return context_; }

  // The full record order for `index`: its terms, then the primary key (or,
  // without one, every orderable column) to break ties. Raises
  // zyl::Exception for a field that has no sort order (json, xml, point).
  std::vector<SqlIndexTerm> Order(const std::vector<SqlIndexTerm>& index) const;

 private:
  std::vector<SourceColumn> columns_;
  int fieldWidth_ = 0;
  std::vector<int> keyRaw_;
  std::string from_;
  std::string context_;
  bool isQuery_ = false;
};

}  // namespace zyl::pg
