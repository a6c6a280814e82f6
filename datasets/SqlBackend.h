// The database side of TZylSqlDataset (SqlDataset.h): what one kind of SQL
// database (SQLite, PostgreSQL) provides so that the shared dataset can
// offer the dataset contract over a table, a view or a query.
//
// Rows travel as "stored" values, one per raw column: what the database
// keeps, in the backend's own form (SQLite: its storage classes;
// PostgreSQL: the server's text), so that a record read is addressed again
// by exactly the key values it was read with. The backend turns a stored
// value into the field value the contract hands out, and text or a
// boolean a visitor enters into a stored value.
//
// Every identifier that reaches SQL comes from the database's own
// description and is quoted; every value is a bound parameter.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datasets/FieldType.h"
#include "platform/Variant.h"

namespace zyl {

// Stored values of one record: the fields, then key values that are not
// fields (a rowid, a hidden primary-key column).
using SqlRow = std::vector<TVariant>;

// One field the source offers.
struct SqlFieldInfo {
  std::string name;
  TFieldType type = TFieldType::ftString;
  int dataSize = 0;
  bool readOnly = false;  // rowid alias, generated or identity column, query column
};

// One term of IndexFieldNames: a field index and its direction.
struct SqlIndexTerm {
  int field = 0;
  bool descending = false;
};

class SqlBackend {
 public:
  virtual ~SqlBackend() = default;

  // Start of the backend's messages: "SQLite table 'Orders'".
  virtual const std::string& Context() const = 0;
  virtual const std::vector<SqlFieldInfo>& Fields() const = 0;
  virtual bool IsQuery() const = 0;
  // Records can be written: a table with a key, on a writable connection.
  virtual bool Editable() const = 0;
  // Why a table that is no query cannot be written ("the table has no
  // primary key").
  virtual std::string ReadOnlyReason() const = 0;

  // Only records whose field `field` equals `value` (Null matches nothing);
  // the value is converted to the column's stored form and bound. Call
  // before SetOrder. Returns the stored value a new record takes there.
  virtual TVariant SetKeyFilter(int field, const TVariant& value) = 0;
  // The record order: `index`, then the key (or every column) to break
  // ties. Raises zyl::Exception for a field that cannot be sorted.
  virtual void SetOrder(const std::vector<SqlIndexTerm>& index) = 0;

  // Reading a window: the number of records, the record at `position`
  // (0..Count()-1) in the order, or null when it is gone. The pointer lives
  // until the next call. Windows are kept until ForgetRows or Invalidate.
  virtual int Count() = 0;
  virtual const SqlRow* At(int position) = 0;
  // The position `row` (as stored, e.g. returned by Insert) has in the
  // order; -1 when it is not among the records.
  virtual int PositionOf(const SqlRow& row) = 0;
  // Forgets the window and the count (the data changed), or the window only.
  virtual void Invalidate() = 0;
  virtual void ForgetRows() = 0;
  // Statements run since the backend was made (diagnostics).
  virtual std::int64_t Executions() const = 0;
  // Changes how long a busy database is waited for, where that applies.
  virtual void SetBusyTimeout(int /*milliseconds*/) {}

  // Values: the field value of a stored one; the stored value for text or a
  // boolean entered into `field` (raise EConvertError naming the field).
  virtual TVariant ToValue(int field, const TVariant& stored) const = 0;
  virtual TVariant TextToStored(int field, const std::string& text) const = 0;
  virtual TVariant BooleanToStored(int field, bool value) const = 0;

  // Writing. `fields` are the fields set, `record` holds their stored values
  // (a full row); `original` is the row as read. Each returns the stored row
  // after the write, or an empty row when the record is not there.
  virtual SqlRow Insert(const std::vector<int>& fields, const SqlRow& record) = 0;
  virtual SqlRow Update(const SqlRow& original, const std::vector<int>& fields,
                        const SqlRow& record) = 0;
  // False when the record is not there.
  virtual bool Delete(const SqlRow& original) = 0;
};

// SQL text of the writes, with the placeholders a backend's driver takes
// ("?1" / "$1"); parameters are numbered in the order the columns are
// given, the key after the set columns.
using SqlPlaceholder = std::function<std::string(std::size_t number)>;

// "INSERT INTO <table> (a, b) VALUES (p1, p2)", or "... DEFAULT VALUES".
std::string SqlInsert(const std::string& table, const std::vector<std::string>& columns,
                      const SqlPlaceholder& placeholder);
// "UPDATE <table> SET a = p1, b = p2 WHERE k = p3".
std::string SqlUpdate(const std::string& table, const std::vector<std::string>& columns,
                      const std::vector<std::string>& keys, const SqlPlaceholder& placeholder);
// "DELETE FROM <table> WHERE k = p1".
std::string SqlDelete(const std::string& table, const std::vector<std::string>& keys,
                      const SqlPlaceholder& placeholder);
// "a = p<first> AND b = p<first+1>".
std::string SqlEqualsAll(const std::vector<std::string>& columns, std::size_t first,
                         const SqlPlaceholder& placeholder);

}  // namespace zyl
