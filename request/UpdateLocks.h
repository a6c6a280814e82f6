// Update lock files: the small files in the system's temporary directory
// that let a page write edits only while no other page of the same program
// has added or deleted records since the page was produced. The default
// update lock store (request/UpdateLockStore.h).
//
// Name: <prefix> "." <GUID> ".upd", where the prefix is the file-name part
// of the program's module file ("grid.cgi") and the GUID is the page's
// 36-character identity. Content: the GUID and CR LF; it is never read.
// Only names of exactly this form (the GUID in its 8-4-4-4-12 hex form) are
// ever written, tested or deleted, so a GUID or module name taken from
// outside can neither reach another directory nor widen a deletion.
//
// Files are created without following symbolic links and kept owner-only
// (0600); a name that exists as anything but a regular file of this user
// with a single link is refused.
//
// Claim and DeleteAll hold an exclusive lock (flock) on the program's
// folder lock file "<prefix>.upd.lock" in the same directory (created like
// the locks, never deleted, never matched by a lock name), so two claims of
// separate processes are one after the other. Write and IsValid need no
// lock: a lock written while a claim deletes is either deleted or survives,
// and a page that wrote it reads its data only afterwards; the claimer
// deletes the locks once more after its change is stored.
#pragma once

#include <cstddef>
#include <string>

#include "platform/System.h"

#include "request/UpdateLockStore.h"

namespace zyl {

// The lock files as an update lock store. Holds no state: one instance
// serves every thread (DefaultUpdateLockStore returns one).
class FileUpdateLockStore : public UpdateLockStore {
 public:
  // Raises EInOutError when the file cannot be written or the name is taken
  // by something that is not this user's plain file, or for a name not of
  // the lock form.
  void Write(const std::string& prefix, const std::string& guid) override;
  bool IsValid(const std::string& prefix, const std::string& guid, long maxAgeSeconds) override;
  bool Delete(const std::string& prefix, const std::string& guid) override;
  int DeleteAll(const std::string& prefix) override;
  int DeleteOlderThan(const std::string& prefix, long maxAgeSeconds) override;
  int DeleteOldestBeyond(const std::string& prefix, std::size_t keep) override;
  // Times the interval by the date of the sweep file "<prefix>.upd.sweep"
  // beside the locks (created like them, never matched by a lock name), so
  // the processes of a CGI program share it; one scan of the folder both
  // removes the expired locks and applies the cap.
  int Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
            std::size_t maxEntries) override;
  // Raises EInOutError when the folder lock file cannot be opened or locked.
  bool Claim(const std::string& prefix, const std::string& guid, long maxAgeSeconds) override;
};

namespace updatelock {

// The directory lock files live in: the system's temporary directory
// ($TMPDIR, else /tmp), with a trailing "/".
std::string Directory();

// "<prefix>.<guid>.upd" in Directory(); empty when `guid` is not of the
// GUID form or `prefix` holds a "/".
std::string PathFor(const std::string& prefix, const std::string& guid);

// The shell wildcard that matches the lock names of `prefix` and nothing
// else: the prefix with its wildcard characters escaped, ".", a GUID-shaped
// hex pattern, ".upd".
std::string Pattern(const std::string& prefix);

// Creates or rewrites the lock at `path` with `guid` and CR LF. Throws
// EInOutError when it cannot be written or the name is taken by something
// that is not this user's plain file.
void Write(const std::string& path, const std::string& guid);

// True when `path` is this user's regular file (not a link) and, for a
// positive `maxAgeSeconds`, not older than that.
bool IsValid(const std::string& path, long maxAgeSeconds);

// Deletes every lock of `prefix`; returns how many.
int DeleteAll(const std::string& prefix);

// Holds the exclusive lock on the folder lock file of `prefix` while it
// lives. Raises EInOutError when the file cannot be opened (the name taken
// by something that is not this user's plain file, a prefix with "/") or
// locked.
class FolderLock {
 public:
  explicit FolderLock(const std::string& prefix);

 private:
  static std::string PathOf(const std::string& prefix);
  ExclusiveFileLock lock_;
};

// Deletes the locks of `prefix` older than `maxAgeSeconds` (nothing for an
// age of 0 or below); returns how many.
int DeleteOlderThan(const std::string& prefix, long maxAgeSeconds);

// True when a sweep of `prefix` is due: always for an interval of 0 or
// below, else when the sweep file is missing or older than the interval;
// a due sweep dates the file now.
bool SweepDue(const std::string& prefix, long intervalSeconds);

// One scan of the folder: deletes the locks of `prefix` older than
// `maxAgeSeconds` (none for 0 or below), then the oldest of the rest
// beyond `maxEntries` (no cap for 0); returns how many.
int Sweep(const std::string& prefix, long maxAgeSeconds, std::size_t maxEntries);

}  // namespace updatelock

}  // namespace zyl
