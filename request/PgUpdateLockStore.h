// Update locks in a PostgreSQL table, for several web servers that run the
// same grid program against one shared database: a page produced by one
// server can be updated through another, and a record added through any of
// them makes the pages produced before stale on all of them.
//
// The table (created when missing):
//   zyl_update_locks (prefix text, guid text, created timestamptz,
//                     primary key (prefix, guid))
// one row per lock: the program's prefix, the page's GUID and when the lock
// was written. Ages are measured with the database server's clock, so the
// web servers' clocks need not agree.
//
// Statements go through pg::Connection with parameters only. Failures
// raise EPgError carrying the server's message. One connection is shared by
// all threads under a lock; a connection the server dropped is made again
// once per operation.
//
// Claim is one transaction: it takes a transaction-scoped advisory lock
// named by the table and the prefix (so claims of one program on every
// server run one after the other), deletes the page's own row when it is
// young enough and, only then, every row of the prefix.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "datasets/PgConnection.h"
#include "request/UpdateLockStore.h"

namespace zyl {

class PgUpdateLockStore : public UpdateLockStore {
 public:
  // Connects with the libpq connection string `conninfo` and creates table
  // `table` when it is missing. Raises EPgError when either fails.
  explicit PgUpdateLockStore(std::string conninfo, std::string table = "zyl_update_locks");
  ~PgUpdateLockStore() override;
  PgUpdateLockStore(const PgUpdateLockStore&) = delete;
  PgUpdateLockStore& operator=(const PgUpdateLockStore&) = delete;

  // Raises EInOutError for names not of the lock form, EPgError when the
  // server refuses the row.
  void Write(const std::string& prefix, const std::string& guid) override;
  bool IsValid(const std::string& prefix, const std::string& guid, long maxAgeSeconds) override;
  bool Delete(const std::string& prefix, const std::string& guid) override;
  int DeleteAll(const std::string& prefix) override;
  int DeleteOlderThan(const std::string& prefix, long maxAgeSeconds) override;
  int DeleteOldestBeyond(const std::string& prefix, std::size_t keep) override;
  bool Claim(const std::string& prefix, const std::string& guid, long maxAgeSeconds) override;

  // The table's name as given.
  const std::string& Table() const { return table_; }

 private:
  // Runs one statement under the lock, connecting first when needed and
  // once more when the connection was lost.
  pg::Result Exec(const std::string& sql, const std::vector<pg::Text>& parameters);
  // The statements of Claim in one transaction on the open connection.
  bool ClaimOnce(const std::string& prefix, const std::string& guid, long maxAgeSeconds);
  void Connect();
  void CreateTable();

  std::string conninfo_;
  std::string table_;
  std::string context_;
  std::string quoted_;  // the table's name quoted as an identifier
  std::mutex mutex_;
  std::unique_ptr<pg::Connection> connection_;
};

}  // namespace zyl
