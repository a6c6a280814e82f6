// Where update locks are kept. A page with editable columns holds a lock,
// named by the program's prefix (the file-name part of its module file,
// "grid.cgi") and the page's GUID, from the moment it was produced until
// another page of the same program adds or deletes a record; only while the
// lock exists (and is not older than the age limit) may the page write
// edits.
//
// Two stores: lock files in the system's temporary directory (the default,
// request/UpdateLocks.h) and a table in a PostgreSQL database that several
// web servers share (request/PgUpdateLockStore.h).
//
// Which store a grid uses: the one set on its TZylCSS
// (TZylCSS::SetUpdateLockStore, not owned), else the process-wide file
// store (DefaultUpdateLockStore). Stores are used from many request threads
// at once and must be safe for that. Every operation raises an Exception
// when the store cannot be reached (a database that is down); the request
// then fails rather than writing without a lock.
#pragma once

#include <cstddef>
#include <string>

namespace zyl {

class UpdateLockStore {
 public:
  virtual ~UpdateLockStore() = default;

  // Creates or renews the lock of page `guid` of program `prefix`, dated now.
  // Precondition: IsUpdateLockKey(prefix, guid); raises an Exception when the
  // lock cannot be written.
  virtual void Write(const std::string& prefix, const std::string& guid) = 0;
  // True when the lock exists and, for a positive `maxAgeSeconds`, is not
  // older than that. False for names not of the lock form.
  virtual bool IsValid(const std::string& prefix, const std::string& guid, long maxAgeSeconds) = 0;
  // Deletes the lock of one page; true when there was one.
  virtual bool Delete(const std::string& prefix, const std::string& guid) = 0;
  // Deletes every lock of `prefix`; returns how many.
  virtual int DeleteAll(const std::string& prefix) = 0;
  // Tests the lock of page `guid` as IsValid does and, only when it is
  // valid, deletes every lock of `prefix` (that one included), as one step:
  // no other Claim of the same prefix comes between the test and the
  // deletion, so of pages that claim at the same moment at most one finds
  // its lock valid. True when the page's lock was valid. An add or a
  // delete claims before it changes the data (positions move for every
  // other page).
  virtual bool Claim(const std::string& prefix, const std::string& guid, long maxAgeSeconds) = 0;
  // Deletes the locks of `prefix` older than `maxAgeSeconds` (nothing for an
  // age of 0 or below); returns how many.
  virtual int DeleteOlderThan(const std::string& prefix, long maxAgeSeconds) = 0;
  // Deletes the oldest locks of `prefix` beyond the newest `keep`; returns
  // how many. The default keeps every lock.
  virtual int DeleteOldestBeyond(const std::string& prefix, std::size_t keep);
  // The upkeep a page runs before it writes its lock: at most once per
  // `intervalSeconds` for this store and prefix (every time for 0 or
  // below), deletes the locks older than `maxAgeSeconds` and then the
  // oldest beyond `maxEntries` (no cap for 0); returns how many went. The
  // default times the interval within the process and calls
  // DeleteOlderThan and DeleteOldestBeyond.
  virtual int Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
                    std::size_t maxEntries);

 protected:
  UpdateLockStore() = default;
  UpdateLockStore(const UpdateLockStore&) = default;
  UpdateLockStore& operator=(const UpdateLockStore&) = default;
};

// True when a lock can be named by `prefix` and `guid`: the GUID in its
// 8-4-4-4-12 hex form and a prefix without "/". Only such locks are ever
// written, tested or deleted.
bool IsUpdateLockKey(const std::string& prefix, const std::string& guid);

// The process-wide lock file store, used by every TZylCSS that was given no
// other store. Lives as long as the process.
UpdateLockStore& DefaultUpdateLockStore();

}  // namespace zyl
