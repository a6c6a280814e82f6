// SQLiteCountCache: record counts of SQLite tables and queries kept across
// requests by a long-lived process, so paging a large table that nobody
// changes does not run count(*) for every page.
//
//   zyl::SQLiteCountCache counts;          // one per process
//   dataset.SetCountCache(&counts);        // before Open; not owned
//
// A count is reused only while the database file is provably unchanged. The
// cache keeps one read-only watcher connection per database file and, before
// reusing a count, checks `PRAGMA data_version` on it (changes committed by
// any other connection or process, rollback journal and WAL alike), the
// change counter in the file header (bytes 24-27, read through the
// watcher's own file handle) and the file's identity and size (stat). Any difference drops the count and the query runs again. Counts
// taken inside an open transaction and queries that depend on the clock or
// on random numbers are never kept.
//
// Thread-safe: one mutex guards the entries and the watchers; the count
// itself runs outside it, on the caller's connection.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace zyl {

class SQLiteCountCache {
 public:
  SQLiteCountCache();
  ~SQLiteCountCache();
  SQLiteCountCache(const SQLiteCountCache&) = delete;
  SQLiteCountCache& operator=(const SQLiteCountCache&) = delete;

  // The count of `countSql` on the database file `database`: the kept one
  // when the database has not changed since it was taken, else the result
  // of `count()` (run without the lock; kept for the next call). Errors of
  // `count()` propagate and keep nothing. When the file cannot be watched
  // (missing, not a database) `count()` runs and nothing is kept.
  std::int64_t Count(const std::string& database, const std::string& countSql,
                     const std::function<std::int64_t()>& count);
  // Drops the kept count of `countSql` (a read found it wrong).
  void Drop(const std::string& database, const std::string& countSql);
  // Drops every count and closes the watchers.
  void Clear();

  // True when a count of `sql` may be kept: not for text that calls the
  // clock or random numbers ("now", "random", "current_...").
  static bool Cacheable(const std::string& sql);

  // Diagnostics: counts answered from the cache, counts that ran.
  std::int64_t Hits() const;
  std::int64_t Misses() const;

  static constexpr std::size_t kMaxEntries = 512;  // counts kept before all are dropped
  static constexpr std::size_t kMaxWatchers = 64;  // database files watched

 private:
  struct Stamp;
  struct Watcher;
  struct Entry;

  // The current state of `database`; false when it cannot be read.
  bool Look(const std::string& database, Stamp& stamp);

  mutable std::mutex mutex_;
  std::map<std::string, std::unique_ptr<Watcher>> watchers_;  // by canonical file name
  std::map<std::pair<std::string, std::string>, std::unique_ptr<Entry>> entries_;
  std::int64_t hits_ = 0;
  std::int64_t misses_ = 0;
};

}  // namespace zyl
