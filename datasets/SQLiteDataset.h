// TZylSQLiteDataset: the dataset contract over a table (or view) of an SQLite
// database, or over a read-only query (TZylSqlDataset over SQLite).
//
//   TZylSQLiteDataset orders(owner);
//   orders.SetDatabase("/srv/shop.db");
//   orders.SetTableName("Orders");          // or SetSQL("SELECT ...")
//   orders.SetStrProp("IndexFieldNames", "Customer;Date DESC");
//   orders.SetKeyFilter("CustomerId", TVariant(std::int64_t{7}));  // optional
//   orders.Open();
//
// The key is the rowid (or the primary key of a WITHOUT ROWID table); a
// view and a query have none and are read-only. Reading is windowed (see
// SQLiteReader.h): First plus MoveBy(n) plus a page of Next costs one
// LIMIT/OFFSET query, and RecordCount one count(*). Field types follow the
// declared column types (SQLiteTypes.h); an INTEGER PRIMARY KEY column is an
// auto-increment field and read-only. SQLite's refusals raise ESQLiteError
// with SQLite's message; busy databases are retried for BusyTimeout
// milliseconds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "datasets/SQLiteError.h"
#include "datasets/SqlDataset.h"

namespace zyl {

class SQLiteConnectionPool;
class SQLiteCountCache;

class TZylSQLiteDataset : public TZylSqlDataset {
 public:
  explicit TZylSQLiteDataset(TComponent* owner);
  std::string ClassName() const override { return "TZylSQLiteDataset"; }

  // The database file. Set while closed (raises zyl::Exception when open).
  void SetDatabase(const std::string& path) { SetSourceText(database_, path); }
  const std::string& GetDatabase() const { return database_; }
  // Milliseconds a busy database is retried (default 5000).
  void SetBusyTimeout(int milliseconds);
  int GetBusyTimeout() const { return busyTimeout_; }
  // Bytes of the database file read through a memory map instead of system
  // calls (SQLite's mmap_size): faster reads of large tables, but an I/O
  // error on the file while it is read (a failing disk, a network file
  // system) ends the process with SIGBUS instead of an error. 0 (the
  // default) maps nothing. Takes effect at the next Open.
  void SetMemoryMap(std::int64_t bytes) { memoryMap_ = bytes < 0 ? 0 : bytes; }
  std::int64_t GetMemoryMap() const { return memoryMap_; }
  // Record counts shared by the datasets of a long-lived process (see
  // SQLiteCountCache.h): RecordCount reuses a count while the database file
  // has not changed. Not owned; it must outlive the dataset. nullptr (the
  // default) counts once per Open/Refresh. Takes effect at the next Open.
  void SetCountCache(SQLiteCountCache* cache) { countCache_ = cache; }
  SQLiteCountCache* GetCountCache() const { return countCache_; }
  // Connections kept open across the datasets of a long-lived process (see
  // SQLiteConnectionPool.h): Open takes one, Close gives it back. Not owned;
  // it must outlive the dataset. nullptr (the default) opens a connection
  // per Open. Takes effect at the next Open.
  void SetConnectionPool(SQLiteConnectionPool* pool) { connectionPool_ = pool; }
  SQLiteConnectionPool* GetConnectionPool() const { return connectionPool_; }

 protected:
  std::unique_ptr<SqlBackend> OpenBackend() override;

 private:
  std::string database_;
  int busyTimeout_ = 5000;
  std::int64_t memoryMap_ = 0;
  SQLiteCountCache* countCache_ = nullptr;          // not owned
  SQLiteConnectionPool* connectionPool_ = nullptr;  // not owned
};

}  // namespace zyl
