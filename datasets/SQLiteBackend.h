// The SQLite backend of TZylSqlDataset: one connection to the database
// file, the source it describes (SQLiteSource.h) and the windowed reader
// (SQLiteReader.h). Stored values are SQLite's own storage classes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "datasets/SQLiteConnection.h"
#include "datasets/SQLiteReader.h"
#include "datasets/SQLiteSource.h"
#include "datasets/SqlBackend.h"

namespace zyl {
class SQLiteConnectionPool;
class SQLiteCountCache;
}  // namespace zyl

namespace zyl::sqlite {

class Backend : public SqlBackend {
 public:
  // Opens `database` (must exist) and the table `table`, or the query
  // `query` when the table is empty; read-only for a query. Counts go
  // through `cache` (not owned, may be null). Raises ESQLiteError or
  // zyl::Exception with the reason. The connection comes from `pool` and
  // goes back to it (not owned, may be null: a connection of its own).
  // `memoryMap` bytes of the file are read through a memory map
  // (Connection::SetMemoryMap).
  Backend(const std::string& database, const std::string& table, const std::string& query,
          int busyTimeoutMs, std::int64_t memoryMap, SQLiteCountCache* cache,
          SQLiteConnectionPool* pool);
  ~Backend() override;

  std::string ReadOnlyReason() const override { return "the records have no rowid or primary key"; }
  TVariant SetKeyFilter(int field, const TVariant& value) override;
  void SetOrder(const std::vector<SqlIndexTerm>& index) override;
  void SetBusyTimeout(int milliseconds) override { connection_->SetBusyTimeout(milliseconds); }
  std::int64_t Executions() const override { return connection_->Executions(); }
  void Begin() override { RunCommand("BEGIN IMMEDIATE", {}); }
  void Commit() override { RunCommand("COMMIT", {}); }
  void Rollback() override { RunCommand("ROLLBACK", {}); }

  TVariant ToValue(int field, const TVariant& stored) const override;
  TVariant TextToStored(int field, const std::string& text) const override;
  TVariant BooleanToStored(int field, bool value) const override;

 protected:
  std::string Table() const override { return source_.From(); }
  std::string ColumnSql(int field) const override { return Column(field).expr; }
  std::vector<std::string> KeySql() const override { return source_.KeyExpr(); }
  const std::vector<int>& KeyRaw() const override { return source_.KeyRaw(); }
  std::string Placeholder(std::size_t number) const override { return Parameter(number); }
  std::string LowerSql(const std::string& column) const override {
    return "zyl_lower(" + column + ")";
  }
  TVariant FilterOperand(FilterKind kind, const TVariant& operand) const override;
  SqlRow RunReturning(const std::string& sql, const std::vector<TVariant>& values) override;
  std::int64_t RunCommand(const std::string& sql, const std::vector<TVariant>& values) override;
  SqlRow RunSelect(const std::string& where, const std::vector<TVariant>& values) override;

 private:
  // The description of the source; a failure gives the connection back
  // before it propagates.
  Source DescribeOrGiveBack(const std::string& database, const std::string& table,
                            const std::string& query);
  // Runs `sql` with `values` bound; the first record it returns, or empty.
  SqlRow RunRows(const std::string& sql, const std::vector<TVariant>& values);
  const SourceColumn& Column(int field) const {
    return source_.Columns()[static_cast<std::size_t>(field)];
  }

  std::string database_;
  SQLiteCountCache* cache_;
  SQLiteConnectionPool* pool_;
  // Declared in this order: readers refer to the source and the connection.
  std::unique_ptr<Connection> connection_;
  Source source_;
  SqlKeyFilter filter_;
};

}  // namespace zyl::sqlite
