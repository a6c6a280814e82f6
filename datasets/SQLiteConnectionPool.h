// SQLiteConnectionPool: SQLite connections kept open across requests by a
// long-lived process, so a request neither opens the database file, nor
// reads its schema, nor prepares the statements it ran the time before.
//
//   zyl::SQLiteConnectionPool connections;   // one per process
//   dataset.SetConnectionPool(&connections); // before Open; not owned
//
// A dataset takes a connection when it opens and gives it back when it
// closes; in between no other dataset uses it. A connection comes back
// settled (no statement in use, no transaction open: an open one is rolled
// back) or is closed. A kept connection is used again only while its file
// is the one it opened (same device and inode: a file replaced by another
// gets a new connection). Each database keeps at most `idlePerDatabase`
// idle connections (default 8); past that, given-back ones are closed.
//
// Thread-safe: one mutex guards the idle connections.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zyl {

namespace sqlite {
class Connection;
}

class SQLiteConnectionPool {
 public:
  explicit SQLiteConnectionPool(std::size_t idlePerDatabase = 8);
  ~SQLiteConnectionPool();
  SQLiteConnectionPool(const SQLiteConnectionPool&) = delete;
  SQLiteConnectionPool& operator=(const SQLiteConnectionPool&) = delete;

  // A connection to `path` (read-only or not) with the busy timeout set: a
  // kept one, or a new one. Raises ESQLiteError as opening does.
  std::unique_ptr<sqlite::Connection> Take(const std::string& path, bool readOnly,
                                           int busyTimeoutMs);
  // Takes `connection` back for a later Take (null is ignored).
  void Give(std::unique_ptr<sqlite::Connection> connection);

  // Connections kept idle now, of every database.
  std::size_t Idle() const;

 private:
  using Key = std::pair<std::string, bool>;  // path, read-only
  const std::size_t idlePerDatabase_;
  mutable std::mutex mutex_;
  std::map<Key, std::vector<std::unique_ptr<sqlite::Connection>>> idle_;
};

}  // namespace zyl
