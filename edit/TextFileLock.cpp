#include "edit/TextFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/Exception.h"

namespace zyl::edit {

namespace {

// Locks this thread holds, by lock-file name, with their nesting depth.
thread_local std::map<std::string, int> heldLocks;

}  // namespace

TextFileLock::TextFileLock(const std::string& fileName) : lockName_(fileName + ".lock") {
  int& depth = heldLocks[lockName_];
  if (depth > 0) {
    ++depth;
    return;
  }
  int fd =
      ::open(lockName_.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  struct stat st {};
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    fd = -1;
    errno = EINVAL;
  }
  int result = -1;
  if (fd >= 0) {
    do {
      result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
  }
  if (result != 0) {
    std::string error = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    heldLocks.erase(lockName_);
    throw EInOutError("text file lock '" + lockName_ + "': cannot lock: " + error);
  }
  fd_ = fd;
  depth = 1;
}

TextFileLock::~TextFileLock() {
  auto it = heldLocks.find(lockName_);
  if (it == heldLocks.end()) return;
  if (--it->second > 0) return;
  heldLocks.erase(it);
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace zyl::edit
