#include "edit/TextFileLock.h"

#include <map>

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
  try {
    lock_.emplace(lockName_, "text file lock", 0644, false);
  } catch (...) {
    heldLocks.erase(lockName_);
    throw;
  }
  depth = 1;
}

TextFileLock::~TextFileLock() {
  auto it = heldLocks.find(lockName_);
  if (it == heldLocks.end()) return;
  if (--it->second > 0) return;
  heldLocks.erase(it);
}  // lock_ goes with the object, releasing the file

}  // namespace zyl::edit
