// TZylSQLiteDataset: the dataset contract over a table (or view) of an SQLite
// database, or over a read-only query.
//
//   TZylSQLiteDataset orders(owner);
//   orders.SetDatabase("/srv/shop.db");
//   orders.SetTableName("Orders");          // or SetSQL("SELECT ...")
//   orders.SetStrProp("IndexFieldNames", "Customer;Date DESC");
//   orders.Open();
//
// Records keep one order from request to request: IndexFieldNames, else the
// primary key, else the rowid; ties are broken by the rowid (or primary key),
// so a record number always means the same record while the data stays the
// same. Reading is windowed (see SQLiteReader.h): First plus MoveBy(n) plus a
// page of Next costs one LIMIT/OFFSET query, and RecordCount one count(*),
// kept until the data changes through this dataset or Refresh.
//
// Editing (tables with a rowid or primary key only) writes through
// parameterised statements that address the record by its rowid or primary
// key. Field types follow the declared column types (SQLiteTypes.h); an
// INTEGER PRIMARY KEY column is an auto-increment field and read-only. A query
// source and a view are read-only. SQLite's refusals raise ESQLiteError with
// SQLite's message; busy databases are retried for BusyTimeout milliseconds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/SQLiteError.h"
#include "data/RecordCursor.h"

namespace zyl {

class SQLiteCountCache;

namespace sqlite {
class Connection;
class Source;
class Reader;
class Field;
}  // namespace sqlite

class TZylSQLiteDataset : public TDataSet {
 public:
  explicit TZylSQLiteDataset(TComponent* owner);
  ~TZylSQLiteDataset() override;
  std::string ClassName() const override { return "TZylSQLiteDataset"; }

  // The source. Set while closed (raise zyl::Exception when open). Setting a
  // table name clears the SQL and the other way round.
  void SetDatabase(const std::string& path);
  const std::string& GetDatabase() const { return database_; }
  void SetTableName(const std::string& name);
  const std::string& GetTableName() const { return tableName_; }
  void SetSQL(const std::string& select);
  const std::string& GetSQL() const { return sql_; }
  // Milliseconds a busy database is retried (default 5000).
  void SetBusyTimeout(int milliseconds);
  int GetBusyTimeout() const { return busyTimeout_; }
  // The sort order: field names separated by ";" or ",", each with an
  // optional " ASC" or " DESC". Names must be fields of the source; anything
  // else raises zyl::Exception and keeps the previous order. Setting it on
  // an open dataset re-sorts and moves to the first record.
  void SetIndexFieldNames(const std::string& names);
  const std::string& GetIndexFieldNames() const { return indexFieldNames_; }

  // Record counts shared by the datasets of a long-lived process (see
  // SQLiteCountCache.h): RecordCount reuses a count while the database file
  // has not changed. Not owned; it must outlive the dataset. nullptr (the
  // default) counts once per Open/Refresh. Takes effect at the next Open.
  void SetCountCache(SQLiteCountCache* cache) { countCache_ = cache; }
  SQLiteCountCache* GetCountCache() const { return countCache_; }

  // True when records cannot be edited: a query, a view, a table without
  // rowid or primary key.
  bool IsReadOnly() const;
  // Forgets the cached record count and window, to see changes made by
  // other connections. The cursor stays at its record number.
  void Refresh();
  // Statements run since Open (diagnostics: shows the cost of a read).
  std::int64_t QueriesRun() const;

  bool GetActive() const override { return active_; }
  // Opens the database and the source; raises ESQLiteError or zyl::Exception
  // with the reason (missing file or table, bad SQL, bad IndexFieldNames).
  void Open() override;
  // Closes the database; a pending edit is cancelled.
  void Close() override;

  int FieldCount() const override;
  TField* GetField(int index) const override;

  int RecordCount() const override;
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

  // "IndexFieldNames".
  bool SetStrProp(const std::string& name, const std::string& value) override;
  bool GetStrProp(const std::string& name, std::string& value) const override;

 private:
  friend class sqlite::Field;

  // The field value of the current (or edited) record.
  TVariant FieldValue(int index) const;
  // Writes a stored value into the record being edited or appended.
  void SetFieldStored(int index, const TVariant& stored);
  void CheckWritable(int index) const;
  void CheckActive() const;
  void CheckNotActive() const;
  void CheckEditable() const;
  // Posts a modified edit, cancels an unmodified one (before cursor moves).
  void CheckBrowseMode();
  void BuildFields();
  std::string KeyWhere(int firstParameter) const;
  std::string Context() const;

  std::string database_;
  std::string tableName_;
  std::string sql_;
  std::string indexFieldNames_;
  int busyTimeout_ = 5000;
  SQLiteCountCache* countCache_ = nullptr;  // not owned

  // Declared in this order: the reader refers to the source and the
  // connection, the source to nothing.
  std::unique_ptr<sqlite::Connection> connection_;
  std::unique_ptr<sqlite::Source> source_;
  std::unique_ptr<sqlite::Reader> reader_;
  std::vector<std::unique_ptr<sqlite::Field>> fields_;

  bool active_ = false;
  TDataSetState state_ = TDataSetState::dsInactive;
  RecordCursor cursor_;  // current record number and ends reached
  // The record being edited or appended (stored values, one per raw column),
  // which of its fields were set, and the record as read before the edit.
  std::vector<TVariant> buffer_;
  std::vector<bool> modified_;
  std::vector<TVariant> original_;
};

}  // namespace zyl
