// TZylSqlDataset: the dataset contract over a table (or view) of an SQL
// database, or over a read-only query, read one window at a time. The
// database itself is reached through a backend (SqlBackend.h); the
// datasets a host uses are TZylSQLiteDataset and TZylPgDataset.
//
// Records keep one order from request to request: IndexFieldNames, then
// the key (a query or a keyless source: its columns) to break ties, so a
// record number means the same record while the data stays the same.
// First plus MoveBy(n) plus a page of Next reads one window; RecordCount
// is one count, kept until the data changes through this dataset or
// Refresh (or, where the database has one and the dataset is asked to,
// the planner's estimate: RecordCountEstimated).
//
// A key filter (SetKeyFilter) limits the records to those whose field
// equals a value, bound as a query parameter: a detail grid reads the
// records of its master's current record, a window at a time. The filter
// field is read-only and a new record takes the value there.
//
// Editing (tables with a key only) writes through parameterised statements
// that address the record by its key as it was read; after a post the
// cursor moves to the stored record's place in the order. Refusals of the
// database raise its own exception type with its message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "datasets/DataSet.h"
#include "datasets/RecordCursor.h"
#include "datasets/SqlBackend.h"

namespace zyl {

class SqlField;

class TZylSqlDataset : public TDataSet {
 public:
  // Closes the dataset.
  ~TZylSqlDataset() override;

  // The source. Set while closed (raise zyl::Exception when open). Setting a
  // table name clears the SQL and the other way round.
  void SetTableName(const std::string& name);
  const std::string& GetTableName() const { return tableName_; }
  void SetSQL(const std::string& select);
  const std::string& GetSQL() const { return sql_; }
  // The sort order: field names separated by ";" or ",", each with an
  // optional " ASC" or " DESC", names optionally in double quotes or
  // brackets. Names must be fields of the source; anything else raises
  // zyl::Exception and keeps the previous order. Setting it on an open
  // dataset re-sorts and moves to the first record.
  void SetIndexFieldNames(const std::string& names);
  const std::string& GetIndexFieldNames() const { return indexFieldNames_; }
  // Only the records whose field `fieldName` (ignoring case) equals `value`;
  // Null matches no record, an empty name removes the filter. Set while
  // closed; Open raises zyl::Exception when the source has no such field.
  void SetKeyFilter(const std::string& fieldName, const TVariant& value);
  const std::string& GetKeyFilterField() const { return filterField_; }
  const TVariant& GetKeyFilterValue() const { return filterValue_; }

  // Row filter (datasets/RowFilter.h): a WHERE clause with bound operands
  // on every count and read, with the key filter; set while open re-reads
  // from the first record. Aggregate is one SUM or AVG over the same.
  bool SetRowFilter(const RowFilter& filter) override;
  bool Aggregate(int field, bool average, double& value) override;

  // True when records cannot be edited: a query, a view, a table without key.
  bool IsReadOnly() const;
  // Forgets the kept record count and window, to see changes made by other
  // connections. The cursor stays at its record number.
  void Refresh();
  // Statements run since Open (diagnostics: shows the cost of a read).
  std::int64_t QueriesRun() const;

  bool GetActive() const override { return backend_ != nullptr; }
  // Connects and describes the source; raises the database's exception or
  // zyl::Exception with the reason (missing table, bad SQL, bad
  // IndexFieldNames or key filter field).
  void Open() override;
  // Disconnects; a pending edit is cancelled.
  void Close() override;

  int FieldCount() const override;
  TField* GetField(int index) const override;

  int RecordCount() const override;
  bool RecordCountEstimated() const override;
  void First() override;
  void Next() override;
  void Prior() override;
  int MoveBy(int distance) override;
  bool Eof() const override;
  bool Bof() const override;

  TDataSetState State() const override { return state_; }
  void Edit() override;
  void Append() override;
  // Stores the record; on a refusal raises and stays in edit or insert
  // state, so the caller can correct the values or Cancel.
  void Post() override;
  void Cancel() override;
  void Delete() override;
  // One transaction on the dataset's connection (SQLite takes the write
  // lock at the start); only where records can be written. Commit posts a modified edit first; a
  // failed commit rolls back and raises. Rollback forgets the count and the window read inside the
  // transaction. Close rolls back an open one.
  void StartTransaction() override;
  void Commit() override;
  void Rollback() override;

  // Row identity (tables with a key): the key values as read; LocateKey
  // reads the record by its key (within the key filter) and finds its
  // place in the order; checked writes compare every field in the
  // statement that writes.
  std::string RecordKey() const override;
  bool LocateKey(const std::string& key) override;
  void SetCheckedWrites(bool on) override { checked_ = on; }

  // "IndexFieldNames".
  bool SetStrProp(const std::string& name, const std::string& value) override;
  bool GetStrProp(const std::string& name, std::string& value) const override;

 protected:
  // `kind` names the database in messages ("SQLite", "PostgreSQL").
  TZylSqlDataset(TComponent* owner, std::string kind);
  // Connects and describes the table or query that the properties name.
  virtual std::unique_ptr<SqlBackend> OpenBackend() = 0;
  // The open backend; null while closed.
  SqlBackend* Backend() const { return backend_.get(); }
  void CheckNotActive() const;
  // Sets a property that describes the source: only while closed.
  void SetSourceText(std::string& property, const std::string& value);
  // "SQLite table 'Orders'", "PostgreSQL query", ...
  std::string Context() const;

 private:
  friend class SqlField;

  // The record at the cursor (null when it is gone); raises what the read
  // raises.
  const SqlRow* CurrentRow() const;
  // The reader for anything but CurrentRow and counts: forgets the record
  // CurrentRow remembers.
  SqlReader& Reader() const;
  // The stored value of field `index` in the record being edited or at the
  // cursor; null when closed or the record is gone.
  const TVariant* StoredValue(int index) const;
  TVariant FieldValue(int index) const;
  // The display text of `stored` (null: none, ""), through `value` (its
  // field value, when already converted) unless the backend tells it.
  std::string FieldText(int index, const TVariant* stored, const TVariant* value) const;
  void SetFieldStored(int index, const TVariant& stored);
  void CheckWritable(int index) const;
  void CheckActive() const;
  void CheckEditable() const;
  // Posts a modified edit, cancels an unmodified one (before cursor moves).
  void CheckBrowseMode();
  void BuildFields();
  void ResetEdit();

  std::string kind_;
  std::string tableName_;
  std::string sql_;
  std::string indexFieldNames_;
  RowFilter rowFilter_;
  std::string filterField_;
  TVariant filterValue_ = TVariant::Null();

  std::unique_ptr<SqlBackend> backend_;
  std::vector<std::unique_ptr<SqlField>> fields_;
  int filterIndex_ = -1;   // the filter's field while open
  TVariant filterStored_;  // the stored value new records take there

  TDataSetState state_ = TDataSetState::dsInactive;
  RecordCursor cursor_;
  // The record CurrentRow read last, at `position` under `count`.
  struct {
    const SqlRow* row = nullptr;
    int position = 0;
    int count = 0;
  } mutable current_;
  // The record being edited or appended (stored values), which of its
  // fields were set, and the record as read before the edit.
  SqlRow buffer_;
  std::vector<bool> modified_;
  SqlRow original_;
  bool inTransaction_ = false;
  bool checked_ = false;
};

}  // namespace zyl
