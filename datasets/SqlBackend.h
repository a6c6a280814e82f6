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
#include <memory>
#include <string>
#include <vector>

#include "datasets/FieldType.h"
#include "datasets/RowFilter.h"
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

// A condition in SQL and its operands (stored values, bound as parameters):
// `parts` are the texts around the operands' placeholders, one more than
// the operands; none for no condition.
struct SqlCondition {
  std::vector<std::string> parts;
  std::vector<TVariant> values;
  bool Active() const { return !parts.empty(); }
  // The SQL with the placeholders `placeholder` makes, numbered from `first`.
  template <typename Placeholder>
  std::string Sql(std::size_t first, Placeholder placeholder) const {
    std::string sql = parts.empty() ? std::string() : parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) sql += placeholder(first + i - 1) + parts[i];
    return sql;
  }
};

// Only the records whose field `field` equals `value` (a stored value,
// bound as a parameter); none at all when `never` is set (Null, or a value
// the column's type cannot hold). `where` (a row filter) limits them too;
// its operands follow the key filter's value.
struct SqlKeyFilter {
  int field = -1;  // -1: every record
  TVariant value;
  bool never = false;
  SqlCondition where;
  bool Active() const { return field >= 0; }
};

// A window on the records in their order: the number of records and the
// record at a position, read a window of consecutive records at a time.
class SqlReader {
 public:
  virtual ~SqlReader() = default;
  virtual int Count() = 0;
  // True when the last Count is the planner's estimate.
  virtual bool CountEstimated() const { return false; }
  // The record at `position` (0..Count()-1), or null when it is gone. The
  // pointer lives until the next call.
  virtual const SqlRow* At(int position) = 0;
  // The position `row` (as stored, e.g. returned by a write) has in the
  // order; -1 when it is not among the records.
  virtual int PositionOf(const SqlRow& row) = 0;
  // The sum (or, `average`, the mean) of field `field` over the records;
  // false when none has a value there.
  virtual bool Aggregate(int field, bool average, double& value) = 0;
  // Forgets the window and the count (the data changed), or the window only.
  virtual void Invalidate() = 0;
  virtual void ForgetRows() = 0;
  // Puts `row` in the window at `position` when the window holds it (an
  // update that kept the record's place in the order).
  virtual void Replace(int position, const SqlRow& row) = 0;
};

class SqlBackend {
 public:
  virtual ~SqlBackend() = default;

  // Start of the backend's messages: "SQLite table 'Orders'".
  const std::string& Context() const { return context_; }
  const std::vector<SqlFieldInfo>& Fields() const { return fields_; }
  bool IsQuery() const { return isQuery_; }
  // Records can be written: a table with a key, on a writable connection.
  bool Editable() const { return editable_; }
  // Why a table that is no query cannot be written ("the table has no
  // primary key").
  virtual std::string ReadOnlyReason() const = 0;

  // Only records whose field `field` equals `value` (Null matches nothing);
  // the value is converted to the column's stored form and bound. Call
  // before SetOrder. Returns the stored value a new record takes there.
  virtual TVariant SetKeyFilter(int field, const TVariant& value) = 0;
  // Only the records that pass `filter` as well (datasets/RowFilter.h):
  // its conditions become SQL on the quoted columns with bound operands.
  // Raises zyl::Exception for a field the source does not have. Call
  // before SetOrder.
  void SetRowFilter(const RowFilter& filter);
  // The record order: `index`, then the key (or every column) to break
  // ties; makes the reader. Raises zyl::Exception for a field that cannot
  // be sorted (and keeps the reader it had).
  virtual void SetOrder(const std::vector<SqlIndexTerm>& index) = 0;
  // The records in the order and filter set last.
  SqlReader& Rows() { return *rows_; }
  // Statements run since the backend was made (diagnostics).
  virtual std::int64_t Executions() const = 0;
  // Changes how long a busy database is waited for, where that applies.
  virtual void SetBusyTimeout(int /*milliseconds*/) {}

  // Values: the field value of a stored one; the stored value for text or a
  // boolean entered into `field` (raise EConvertError naming the field).
  virtual TVariant ToValue(int field, const TVariant& stored) const = 0;
  // The display text of a stored value (ToValue(...).ToString()) when the
  // backend can tell it without converting the value; false otherwise.
  virtual bool ShortText(int /*field*/, const TVariant& /*stored*/, std::string& /*text*/) const {
    return false;
  }
  virtual TVariant TextToStored(int field, const std::string& text) const = 0;
  virtual TVariant BooleanToStored(int field, bool value) const = 0;

  // The stored record whose key columns hold `key` (in KeyRaw order), or
  // an empty row when there is none (or the key's types cannot hold those
  // values). Ignores the key filter.
  SqlRow Find(const std::vector<TVariant>& key);
  // The key values of a stored row, in KeyRaw order, and their number.
  std::vector<TVariant> KeyOf(const SqlRow& row) const;
  std::size_t KeyWidth() const { return KeyRaw().size(); }

  // Writing, with parameters only. `fields` are the fields set, `record`
  // holds their stored values; `original` is the row as read, whose key
  // values address the record. Each returns the stored row after the
  // write, or an empty row when the record is not there. `checked` writes
  // only while every field still holds its value in `original`: one
  // statement, so the comparison and the write are one step.
  SqlRow Insert(const std::vector<int>& fields, const SqlRow& record);
  SqlRow Update(const SqlRow& original, const std::vector<int>& fields, const SqlRow& record,
                bool checked = false);
  // False when the record is not there (or, `checked`, has changed).
  bool Delete(const SqlRow& original, bool checked = false);

  // A transaction on the backend's connection: begun (taking the right to
  // write at once, where the database has such a lock), committed, rolled
  // back. Raise the database's exception.
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;

 protected:
  // The table in SQL; a field's column in SQL.
  virtual std::string Table() const = 0;
  virtual std::string ColumnSql(int field) const = 0;
  // The key's columns in SQL and the raw indices of their values in a row.
  virtual std::vector<std::string> KeySql() const = 0;
  virtual const std::vector<int>& KeyRaw() const = 0;
  // The driver's placeholder for parameter `number` (from 1).
  virtual std::string Placeholder(std::size_t number) const = 0;
  // Runs `sql` with `values` bound, returning the stored record written
  // (RETURNING the select list); empty when no record was written.
  virtual SqlRow RunReturning(const std::string& sql, const std::vector<TVariant>& values) = 0;
  // Runs "SELECT <select list> FROM <table>" + `where` with `values`
  // bound; the first record read, or an empty row.
  virtual SqlRow RunSelect(const std::string& where, const std::vector<TVariant>& values) = 0;
  // The condition "field `field` holds the stored value bound at
  // `placeholder`", true for two Nulls.
  virtual std::string SameValueSql(int field, const std::string& placeholder) const {
    return ColumnSql(field) + " IS " + placeholder;
  }
  // Runs `sql` with `values` bound; the number of records changed.
  virtual std::int64_t RunCommand(const std::string& sql, const std::vector<TVariant>& values) = 0;
  // True when a new record leaves `field` out with `value` in it (a Null
  // in a key the database numbers).
  virtual bool TakesDefault(int /*field*/, const TVariant& /*value*/) const { return false; }

  // Row filters: a text column lower-cased as RowFilter does; "part is
  // inside text"; what follows the placeholder of an operand compared with
  // field `field` (a cast); the stored form of a filter operand.
  virtual std::string LowerSql(const std::string& column) const = 0;
  virtual std::string ContainsSql(const std::string& text, const std::string& part) const {
    return "instr(" + text + ", " + part + ") > 0";
  }
  virtual std::string OperandCast(FilterKind /*kind*/, int /*field*/,
                                  const TVariant& /*operand*/) const {
    return "";
  }
  virtual TVariant FilterOperand(FilterKind kind, const TVariant& operand) const = 0;

  // " WHERE" + the record's key (and, `checked`, every field as in
  // `original`), its values appended to `values`.
  std::string RecordCondition(const SqlRow& original, bool checked,
                              std::vector<TVariant>& values) const;

  // Filled by the backend when it opens the source.
  std::string context_;
  std::vector<SqlFieldInfo> fields_;
  bool isQuery_ = false;
  bool editable_ = false;
  std::unique_ptr<SqlReader> rows_;  // made by SetOrder
  SqlCondition where_;               // set by SetRowFilter, for SetOrder
};

}  // namespace zyl
