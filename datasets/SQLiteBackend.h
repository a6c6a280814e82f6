// The SQLite backend of TZylSqlDataset: one connection to the database
// file, the source it describes (SQLiteSource.h) and the windowed reader
// (SQLiteReader.h). Stored values are SQLite's own storage classes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "datasets/SQLiteConnection.h"
#include "datasets/SQLiteReader.h"
#include "datasets/SQLiteSource.h"
#include "datasets/SqlBackend.h"

namespace zyl {
class SQLiteCountCache;
}

namespace zyl::sqlite {

class Backend : public SqlBackend {
 public:
  // Opens `database` (must exist) and the table `table`, or the query
  // `query` when the table is empty; read-only for a query. Counts go
  // through `cache` (not owned, may be null). Raises ESQLiteError or
  // zyl::Exception with the reason.
  Backend(const std::string& database, const std::string& table, const std::string& query,
          int busyTimeoutMs, SQLiteCountCache* cache);

  const std::string& Context() const override { return source_.Context(); }
  const std::vector<SqlFieldInfo>& Fields() const override { return fields_; }
  bool IsQuery() const override { return source_.IsQuery(); }
  bool Editable() const override { return source_.Editable(); }
  std::string ReadOnlyReason() const override { return "the records have no rowid or primary key"; }

  TVariant SetKeyFilter(int field, const TVariant& value) override;
  void SetOrder(const std::vector<SqlIndexTerm>& index) override;

  int Count() override { return reader_->Count(); }
  const SqlRow* At(int position) override { return reader_->At(position); }
  int PositionOf(const SqlRow& row) override { return reader_->PositionOf(row); }
  void Invalidate() override { reader_->Invalidate(); }
  void ForgetRows() override { reader_->ForgetRows(); }
  std::int64_t Executions() const override { return connection_->Executions(); }
  void SetBusyTimeout(int milliseconds) override { connection_->SetBusyTimeout(milliseconds); }

  TVariant ToValue(int field, const TVariant& stored) const override;
  TVariant TextToStored(int field, const std::string& text) const override;
  TVariant BooleanToStored(int field, bool value) const override;

  SqlRow Insert(const std::vector<int>& fields, const SqlRow& record) override;
  SqlRow Update(const SqlRow& original, const std::vector<int>& fields,
                const SqlRow& record) override;
  bool Delete(const SqlRow& original) override;

 private:
  const SourceColumn& Column(int field) const {
    return source_.Columns()[static_cast<std::size_t>(field)];
  }
  // Runs a write that returns the stored record; empty when none.
  SqlRow WriteReturning(const std::string& sql, const std::vector<TVariant>& values);

  std::string database_;
  SQLiteCountCache* cache_;
  // Declared in this order: the reader refers to the source and the
  // connection.
  std::unique_ptr<Connection> connection_;
  Source source_;
  std::vector<SqlFieldInfo> fields_;
  ReaderFilter filter_;
  std::unique_ptr<Reader> reader_;
};

}  // namespace zyl::sqlite
