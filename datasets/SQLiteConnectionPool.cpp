#include "datasets/SQLiteConnectionPool.h"

#include <sys/stat.h>

#include "datasets/SQLiteConnection.h"

namespace zyl {

namespace {

// Whether `path` is still the file `connection` opened.
bool SameFile(const sqlite::Connection& connection, const std::string& path) {
  struct stat file {};
  return ::stat(path.c_str(), &file) == 0 &&
         static_cast<std::uint64_t>(file.st_dev) == connection.Device() &&
         static_cast<std::uint64_t>(file.st_ino) == connection.Inode();
}

}  // namespace

SQLiteConnectionPool::SQLiteConnectionPool(std::size_t idlePerDatabase)
    : idlePerDatabase_(idlePerDatabase) {}

SQLiteConnectionPool::~SQLiteConnectionPool() = default;

std::unique_ptr<sqlite::Connection> SQLiteConnectionPool::Take(const std::string& path,
                                                               bool readOnly, int busyTimeoutMs) {
  std::unique_ptr<sqlite::Connection> kept;
  {
    std::lock_guard lock(mutex_);
    auto it = idle_.find(Key(path, readOnly));
    if (it != idle_.end() && !it->second.empty()) {
      kept = std::move(it->second.back());
      it->second.pop_back();
    }
  }
  if (kept != nullptr && SameFile(*kept, path)) {
    kept->SetBusyTimeout(busyTimeoutMs);
    kept->ResetContext();
    return kept;
  }
  kept.reset();  // the file was replaced: closed outside the lock
  return std::make_unique<sqlite::Connection>(path, readOnly, busyTimeoutMs);
}

void SQLiteConnectionPool::Give(std::unique_ptr<sqlite::Connection> connection) {
  if (connection == nullptr || !connection->Settle()) return;
  std::lock_guard lock(mutex_);
  auto& idle = idle_[Key(connection->Path(), connection->ReadOnly())];
  // A surplus connection closes when the parameter ends, after the lock.
  if (idle.size() < idlePerDatabase_) idle.push_back(std::move(connection));
}

std::size_t SQLiteConnectionPool::Idle() const {
  std::lock_guard lock(mutex_);
  std::size_t count = 0;
  for (const auto& [key, connections] : idle_) count += connections.size();
  return count;
}

}  // namespace zyl
