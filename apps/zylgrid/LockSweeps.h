// Update lock stores whose sweeps of expired locks run beside the requests,
// so a crowded lock folder slows no request: in a server process (serve,
// fcgi) the page that falls due hands the sweep to a thread of its own; in a
// CGI process, whose request ends with the process, to a detached process.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "request/UpdateLockStore.h"

namespace zylgrid {

// A store that hands every call to another one (observed, or owned); the
// sweeping stores below change only how Sweep runs.
class ForwardingLockStore : public zyl::UpdateLockStore {
 public:
  // Over `store`, observed: it outlives this object.
  explicit ForwardingLockStore(zyl::UpdateLockStore& store) : store_(store) {}
  // Over `store`, owned.
  explicit ForwardingLockStore(std::unique_ptr<zyl::UpdateLockStore> store)
      : owned_(std::move(store)), store_(*owned_) {}
  ForwardingLockStore(const ForwardingLockStore&) = delete;
  ForwardingLockStore& operator=(const ForwardingLockStore&) = delete;

  void Write(const std::string& prefix, const std::string& guid) override {
    store_.Write(prefix, guid);
  }
  bool IsValid(const std::string& prefix, const std::string& guid, long maxAgeSeconds) override {
    return store_.IsValid(prefix, guid, maxAgeSeconds);
  }
  bool Delete(const std::string& prefix, const std::string& guid) override {
    return store_.Delete(prefix, guid);
  }
  int DeleteAll(const std::string& prefix) override { return store_.DeleteAll(prefix); }
  bool Claim(const std::string& prefix, const std::string& guid, long maxAgeSeconds) override {
    return store_.Claim(prefix, guid, maxAgeSeconds);
  }
  int DeleteOlderThan(const std::string& prefix, long maxAgeSeconds) override {
    return store_.DeleteOlderThan(prefix, maxAgeSeconds);
  }
  int DeleteOldestBeyond(const std::string& prefix, std::size_t keep) override {
    return store_.DeleteOldestBeyond(prefix, keep);
  }
  int Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
            std::size_t maxEntries) override {
    return store_.Sweep(prefix, maxAgeSeconds, intervalSeconds, maxEntries);
  }

 protected:
  zyl::UpdateLockStore& Store() { return store_; }

 private:
  std::unique_ptr<zyl::UpdateLockStore> owned_;  // null when observed
  zyl::UpdateLockStore& store_;
};

// The store of a server process: the sweep runs on a thread of its own.
class BackgroundSweeps : public ForwardingLockStore {
 public:
  using ForwardingLockStore::ForwardingLockStore;
  ~BackgroundSweeps() override { Wait(); }

  // Starts the store's sweep on the sweeping thread when the interval has
  // passed for `prefix` in this process and no sweep is under way; returns
  // 0 at once (what went is not known yet).
  int Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
            std::size_t maxEntries) override;
  // Waits for the sweep under way, if any.
  void Wait();

 private:
  std::mutex mutex_;
  bool busy_ = false;
  std::thread sweeper_;
  std::map<std::string, std::chrono::steady_clock::time_point> last_;  // by prefix
};

// The lock files of a CGI process (the library's file store, observed) with
// the sweep that falls due run by a detached process: its standard streams
// go to /dev/null, so the web server does not wait for it. Where no process
// can be started, the request sweeps itself.
class DetachedSweeps : public ForwardingLockStore {
 public:
  using ForwardingLockStore::ForwardingLockStore;

  // When the sweep is due for `prefix` (the program's shared sweep date),
  // starts it in a detached process and returns 0 at once.
  int Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
            std::size_t maxEntries) override;
};

}  // namespace zylgrid
