// TZylPgDataset: the dataset contract over a PostgreSQL table (or view), or
// over a read-only query, through libpq.
//
//   TZylPgDataset orders(owner);
//   orders.SetConnectionInfo("host=localhost dbname=shop user=web");
//   orders.SetTableName("orders");           // or SetSQL("SELECT ...")
//   orders.SetStrProp("IndexFieldNames", "customer;placed DESC");
//   orders.Open();
//
// Records keep one order from request to request: IndexFieldNames, then the
// primary key to break ties (a query or a keyless table: every column), so a
// record number means the same record while the data stays the same.
// Reading is windowed (PgReader.h). Editing needs a table with a primary
// key (row ids are not stable across updates); other sources are read-only.
// Values travel as parameters of PQexecParams; identifiers come from the
// catalog and are quoted. The server's refusals raise EPgError with its
// message.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/PgError.h"
#include "data/RecordCursor.h"

namespace zyl {

namespace pg {
class Connection;
class Source;
class Reader;
class Field;
}  // namespace pg

class TZylPgDataset : public TDataSet {
 public:
  explicit TZylPgDataset(TComponent* owner);
  ~TZylPgDataset() override;
  std::string ClassName() const override { return "TZylPgDataset"; }

  // The source. Set while closed (raise zyl::Exception when open). Setting a
  // table name clears the SQL and the other way round.
  void SetConnectionInfo(const std::string& conninfo);
  const std::string& GetConnectionInfo() const { return connectionInfo_; }
  void SetTableName(const std::string& name);
  const std::string& GetTableName() const { return tableName_; }
  void SetSQL(const std::string& select);
  const std::string& GetSQL() const { return sql_; }
  // Table columns not offered as fields, separated by ";" or "," (a
  // surrogate key, say); hidden primary-key columns still address records.
  void SetHiddenFields(const std::string& names);
  const std::string& GetHiddenFields() const { return hiddenFields_; }
  // The sort order: field names separated by ";" or ",", each with an
  // optional " ASC" or " DESC". Names must be fields; anything else raises
  // zyl::Exception and keeps the previous order. On an open dataset it
  // re-sorts and moves to the first record.
  void SetIndexFieldNames(const std::string& names);
  const std::string& GetIndexFieldNames() const { return indexFieldNames_; }

  // True for a query, a view or a table without a primary key.
  bool IsReadOnly() const;
  // Forgets the cached count and rows to see other connections' changes.
  void Refresh();
  // Statements run since Open (diagnostics).
  std::int64_t QueriesRun() const;

  bool GetActive() const override { return active_; }
  // Connects and describes the source; raises EPgError or zyl::Exception.
  void Open() override;
  // Disconnects; a pending edit is cancelled.
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
  // state so the values can be corrected or the edit cancelled.
  void Post() override;
  void Cancel() override;
  void Delete() override;

  // "IndexFieldNames".
  bool SetStrProp(const std::string& name, const std::string& value) override;
  bool GetStrProp(const std::string& name, std::string& value) const override;

 private:
  friend class pg::Field;

  TVariant FieldValue(int index) const;
  void SetFieldValue(int index, const TVariant& value);
  void CheckWritable(int index) const;
  void CheckActive() const;
  void CheckNotActive() const;
  void CheckEditable() const;
  void CheckBrowseMode();
  void BuildFields();
  void ResetEdit();
  std::string Context() const;

  std::string connectionInfo_;
  std::string tableName_;
  std::string sql_;
  std::string hiddenFields_;
  std::string indexFieldNames_;

  std::unique_ptr<pg::Connection> connection_;
  std::unique_ptr<pg::Source> source_;
  std::unique_ptr<pg::Reader> reader_;
  std::vector<std::unique_ptr<pg::Field>> fields_;

  bool active_ = false;
  TDataSetState state_ = TDataSetState::dsInactive;
  RecordCursor cursor_;
  // The record being edited or appended (field values), which fields were
  // set, and the record as read before the edit (server text).
  std::vector<TVariant> buffer_;
  std::vector<bool> modified_;
  std::vector<std::optional<std::string>> original_;
};

}  // namespace zyl
