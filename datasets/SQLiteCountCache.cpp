#include "datasets/SQLiteCountCache.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>

namespace zyl {

// What a count was taken against. Two equal stamps of one file mean that no
// transaction was committed in between.
struct SQLiteCountCache::Stamp {
  std::uint64_t generation = 0;  // watcher that read dataVersion
  std::int64_t dataVersion = 0;
  std::uint32_t changeCounter = 0;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;

  bool operator==(const Stamp&) const = default;
};

// The long-lived read-only connection that observes one database file.
struct SQLiteCountCache::Watcher {
  sqlite3* db = nullptr;
  sqlite3_stmt* dataVersion = nullptr;
  std::uint64_t generation = 0;
  dev_t device = 0;
  ino_t inode = 0;

  ~Watcher() {
    sqlite3_finalize(dataVersion);
    sqlite3_close_v2(db);
  }
};

struct SQLiteCountCache::Entry {
  Stamp stamp;
  std::int64_t count = 0;
};

namespace {

std::uint64_t NextGeneration() {
  static std::atomic<std::uint64_t> generation{0};
  return ++generation;
}

std::string Canonical(const std::string& path) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  return error ? path : canonical.string();
}

// The change counter in the header of the watcher's database file, read
// through SQLite's own file handle: opening and closing the file outside
// SQLite would drop the POSIX locks that other connections of this process
// hold on it.
bool ReadChangeCounter(sqlite3* db, std::uint32_t& counter) {
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
      file == nullptr || file->pMethods == nullptr) {
    return false;
  }
  unsigned char bytes[4] = {};
  if (file->pMethods->xRead(file, bytes, sizeof bytes, 24) != SQLITE_OK) return false;
  counter = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
            (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
  return true;
}

}  // namespace

SQLiteCountCache::SQLiteCountCache() = default;
SQLiteCountCache::~SQLiteCountCache() = default;

bool SQLiteCountCache::Cacheable(const std::string& sql) {
  std::string lower(sql);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* word : {"now", "random", "current_", "julianday(", "strftime(", "unixepoch"}) {
    if (lower.find(word) != std::string::npos) return false;
  }
  return true;
}

bool SQLiteCountCache::Look(const std::string& database, Stamp& stamp) {
  struct stat info {};
  if (::stat(database.c_str(), &info) != 0) return false;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  auto it = watchers_.find(database);
  if (it != watchers_.end() &&
      (it->second->device != stamp.device || it->second->inode != stamp.inode)) {
    watchers_.erase(it);  // the file was replaced: watch the new one
    it = watchers_.end();
  }
  if (it == watchers_.end()) {
    if (watchers_.size() >= kMaxWatchers) {
      watchers_.clear();
      entries_.clear();
    }
    auto watcher = std::make_unique<Watcher>();
    if (sqlite3_open_v2(database.c_str(), &watcher->db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v3(watcher->db, "PRAGMA data_version", -1, SQLITE_PREPARE_PERSISTENT,
                           &watcher->dataVersion, nullptr) != SQLITE_OK) {
      return false;
    }
    watcher->generation = NextGeneration();
    watcher->device = stamp.device;
    watcher->inode = stamp.inode;
    it = watchers_.emplace(database, std::move(watcher)).first;
  }
  Watcher& watcher = *it->second;
  // A busy database (a commit in progress) counts as changed.
  bool ok = sqlite3_step(watcher.dataVersion) == SQLITE_ROW;
  if (ok) stamp.dataVersion = sqlite3_column_int64(watcher.dataVersion, 0);
  sqlite3_reset(watcher.dataVersion);
  stamp.generation = watcher.generation;
  return ok && ReadChangeCounter(watcher.db, stamp.changeCounter);
}

std::int64_t SQLiteCountCache::Count(const std::string& database, const std::string& countSql,
                                     const std::function<std::int64_t()>& count) {
  std::pair<std::string, std::string> key(Canonical(database), countSql);
  Stamp stamp;
  bool watched = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    watched = Look(key.first, stamp);
    auto it = entries_.find(key);
    if (watched && it != entries_.end() && it->second->stamp == stamp) {
      ++hits_;
      return it->second->count;
    }
    ++misses_;
  }
  // Counted after the stamp was taken: a commit in between changes the next
  // stamp, so the count is never kept past a change.
  std::int64_t n = count();
  if (!watched || !Cacheable(countSql)) return n;
  std::lock_guard<std::mutex> lock(mutex_);
  if (entries_.size() >= kMaxEntries) entries_.clear();
  auto& entry = entries_[key];
  if (entry == nullptr) entry = std::make_unique<Entry>();
  entry->stamp = stamp;
  entry->count = n;
  return n;
}

void SQLiteCountCache::Drop(const std::string& database, const std::string& countSql) {
  std::pair<std::string, std::string> key(Canonical(database), countSql);
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.erase(key);
}

void SQLiteCountCache::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
  watchers_.clear();
}

std::int64_t SQLiteCountCache::Hits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hits_;
}

std::int64_t SQLiteCountCache::Misses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return misses_;
}

}  // namespace zyl
