// Update lock files and the file lock store (request/UpdateLocks.h).
#include "request/UpdateLocks.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/Exception.h"
#include "platform/System.h"

namespace zyl {

namespace updatelock {

namespace {

constexpr const char* kHex = "[0-9A-Fa-f]";

std::string HexRun(int digits) {
  std::string out;
  for (int i = 0; i < digits; ++i) out += kHex;
  return out;
}

// This user's plain file with one link, as lstat sees it.
bool IsOwnPlainFile(const struct stat& st) {
  return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
}

std::string ErrnoText() {
  return std::strerror(errno);
}

}  // namespace

std::string Directory() {
  return TempDirectory();
}

std::string PathFor(const std::string& prefix, const std::string& guid) {
  if (!IsGuidString(guid) || prefix.find('/') != std::string::npos) return std::string();
  return Directory() + prefix + "." + guid + ".upd";
}

std::string Pattern(const std::string& prefix) {
  return EscapeWildcards(prefix) + "." + HexRun(8) + "-" + HexRun(4) + "-" + HexRun(4) + "-" +
         HexRun(4) + "-" + HexRun(12) + ".upd";
}

void Write(const std::string& path, const std::string& guid) {
  int fd = -1;
  struct stat st {};
  // A lock that another page's CleanupEdits removes between the open and
  // the check has no links left; it is created again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    // O_NONBLOCK keeps a FIFO planted under the name from blocking the
    // open; the check below refuses it.
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) throw EInOutError("update lock '" + path + "': cannot create: " + ErrnoText());
    if (::fstat(fd, &st) != 0 || st.st_nlink != 0) break;
    ::close(fd);
    fd = -1;
  }
  if (fd < 0) return;  // removed again at once: as if the cleanup came after
  if (!IsOwnPlainFile(st)) {
    ::close(fd);
    throw EInOutError("update lock '" + path + "': the name is taken by another kind of file");
  }
  std::string content = guid + "\r\n";
  bool ok = ((st.st_mode & 07777) == 0600 || ::fchmod(fd, 0600) == 0) && ::ftruncate(fd, 0) == 0 &&
            ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  std::string error = ok ? std::string() : ErrnoText();
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = ErrnoText();
  }
  if (!ok) throw EInOutError("update lock '" + path + "': cannot write: " + error);
}

bool IsValid(const std::string& path, long maxAgeSeconds) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !IsOwnPlainFile(st)) return false;
  if (maxAgeSeconds <= 0) return true;
  return std::time(nullptr) - st.st_mtime <= maxAgeSeconds;
}

int DeleteAll(const std::string& prefix) {
  return DeleteFiles(Directory(), Pattern(prefix));
}

std::string FolderLock::PathOf(const std::string& prefix) {
  if (prefix.find('/') != std::string::npos) {
    throw EInOutError("update locks: the prefix '" + prefix + "' holds a '/'");
  }
  return Directory() + prefix + ".upd.lock";
}

FolderLock::FolderLock(const std::string& prefix)
    : lock_(PathOf(prefix), "update lock folder lock", 0600, true) {}

int DeleteOlderThan(const std::string& prefix, long maxAgeSeconds) {
  if (maxAgeSeconds <= 0) return 0;
  return Sweep(prefix, maxAgeSeconds, 0);
}

bool SweepDue(const std::string& prefix, long intervalSeconds) {
  if (intervalSeconds <= 0) return true;
  // The sweep file's date is the last sweep of any process of the program.
  std::string path = Directory() + prefix + ".upd.sweep";
  struct stat st {};
  std::time_t now = std::time(nullptr);
  if (::lstat(path.c_str(), &st) == 0 && IsOwnPlainFile(st) && st.st_mtime <= now &&
      now - st.st_mtime < intervalSeconds) {
    return false;
  }
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // a sweep too many rather than none
  bool own = ::fstat(fd, &st) == 0 && IsOwnPlainFile(st);
  if (own) ::futimens(fd, nullptr);
  ::close(fd);
  return own;
}

int Sweep(const std::string& prefix, long maxAgeSeconds, std::size_t maxEntries) {
  std::string dir = Directory();
  std::string pattern = Pattern(prefix);
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return 0;
  int deleted = 0;
  std::time_t now = std::time(nullptr);
  std::vector<std::pair<std::time_t, std::string>> kept;  // date and name of each lock kept
  while (const dirent* entry = ::readdir(d)) {
    if (::fnmatch(pattern.c_str(), entry->d_name, FNM_PERIOD) != 0) continue;
    std::string path = dir + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (maxAgeSeconds > 0 && now - st.st_mtime > maxAgeSeconds) {
      if (::unlink(path.c_str()) == 0) ++deleted;
    } else if (maxEntries > 0) {
      kept.emplace_back(st.st_mtime, std::move(path));
    }
  }
  ::closedir(d);
  if (maxEntries > 0 && kept.size() > maxEntries) {
    std::size_t excess = kept.size() - maxEntries;
    std::nth_element(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(excess), kept.end());
    for (std::size_t i = 0; i < excess; ++i) {
      if (::unlink(kept[i].second.c_str()) == 0) ++deleted;
    }
  }
  return deleted;
}

}  // namespace updatelock

bool IsUpdateLockKey(const std::string& prefix, const std::string& guid) {
  return IsGuidString(guid) && prefix.find('/') == std::string::npos;
}

void FileUpdateLockStore::Write(const std::string& prefix, const std::string& guid) {
  std::string path = updatelock::PathFor(prefix, guid);
  if (path.empty()) {
    throw EInOutError("update lock: the page identity is not a GUID or the prefix holds a '/'");
  }
  updatelock::Write(path, guid);
}

bool FileUpdateLockStore::IsValid(const std::string& prefix, const std::string& guid,
                                  long maxAgeSeconds) {
  return updatelock::IsValid(updatelock::PathFor(prefix, guid), maxAgeSeconds);
}

bool FileUpdateLockStore::Delete(const std::string& prefix, const std::string& guid) {
  std::string path = updatelock::PathFor(prefix, guid);
  return !path.empty() && ::unlink(path.c_str()) == 0;
}

int FileUpdateLockStore::DeleteAll(const std::string& prefix) {
  if (prefix.find('/') != std::string::npos) return 0;  // no lock is named so
  updatelock::FolderLock lock(prefix);
  return updatelock::DeleteAll(prefix);
}

bool FileUpdateLockStore::Claim(const std::string& prefix, const std::string& guid,
                                long maxAgeSeconds) {
  std::string path = updatelock::PathFor(prefix, guid);
  if (path.empty()) return false;
  updatelock::FolderLock lock(prefix);
  if (!updatelock::IsValid(path, maxAgeSeconds)) return false;
  updatelock::DeleteAll(prefix);
  return true;
}

int FileUpdateLockStore::DeleteOlderThan(const std::string& prefix, long maxAgeSeconds) {
  return updatelock::DeleteOlderThan(prefix, maxAgeSeconds);
}

int UpdateLockStore::DeleteOldestBeyond(const std::string& /*prefix*/, std::size_t /*keep*/) {
  return 0;
}

int UpdateLockStore::Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
                           std::size_t maxEntries) {
  static std::mutex mutex;
  static std::map<std::pair<const void*, std::string>, std::time_t> lastSweep;
  std::time_t now = std::time(nullptr);
  {
    std::lock_guard<std::mutex> guard(mutex);
    std::time_t& last = lastSweep[{this, prefix}];
    if (intervalSeconds > 0 && last != 0 && now - last < intervalSeconds) return 0;
    last = now;
  }
  int deleted = DeleteOlderThan(prefix, maxAgeSeconds);
  if (maxEntries > 0) deleted += DeleteOldestBeyond(prefix, maxEntries);
  return deleted;
}

int FileUpdateLockStore::Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
                               std::size_t maxEntries) {
  if (prefix.find('/') != std::string::npos) return 0;  // no lock is named so
  if (!updatelock::SweepDue(prefix, intervalSeconds)) return 0;
  return updatelock::Sweep(prefix, maxAgeSeconds, maxEntries);
}

int FileUpdateLockStore::DeleteOldestBeyond(const std::string& prefix, std::size_t keep) {
  if (prefix.find('/') != std::string::npos) return 0;
  return updatelock::Sweep(prefix, 0, keep);
}

UpdateLockStore& DefaultUpdateLockStore() {
  static FileUpdateLockStore store;
  return store;
}

}  // namespace zyl
