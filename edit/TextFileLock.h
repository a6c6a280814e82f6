// An exclusive advisory lock that serialises the read-modify-write of a
// text file among all processes and threads that edit it: flock() on the
// file "<name>.lock" beside it. The text file itself is replaced by a
// rename on every write, so it cannot carry the lock.
//
// The lock is re-entrant within one thread: a lock taken while the same
// thread already holds one for the same name only counts, so the request
// step that checks the page's update lock and the editing operation it
// then calls share one critical section.
#pragma once

#include <optional>
#include <string>

#include "platform/System.h"

namespace zyl::edit {

class TextFileLock {
 public:
  // Blocks until the lock is held. Throws EInOutError when the lock file
  // cannot be opened or locked.
  explicit TextFileLock(const std::string& fileName);
  ~TextFileLock();
  TextFileLock(const TextFileLock&) = delete;
  TextFileLock& operator=(const TextFileLock&) = delete;

 private:
  std::string lockName_;
  std::optional<ExclusiveFileLock> lock_;  // held only by the outermost holder of this thread
};

}  // namespace zyl::edit
