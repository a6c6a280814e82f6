// The update lock store of a server process (serve, fcgi) with its sweeps
// beside the requests: the page that falls due for the sweep of expired
// locks hands it to a thread of its own and writes its lock at once, so a
// crowded lock folder slows no request. (A CGI process sweeps within the
// request that falls due: the process ends with it.)
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "request/UpdateLockStore.h"

namespace zylgrid {

class BackgroundSweeps : public zyl::UpdateLockStore {
 public:
  // Over `store`, observed: it outlives this object.
  explicit BackgroundSweeps(zyl::UpdateLockStore& store) : store_(store) {}
  // Over `store`, owned.
  explicit BackgroundSweeps(std::unique_ptr<zyl::UpdateLockStore> store)
      : owned_(std::move(store)), store_(*owned_) {}
  ~BackgroundSweeps() override { Wait(); }
  BackgroundSweeps(const BackgroundSweeps&) = delete;
  BackgroundSweeps& operator=(const BackgroundSweeps&) = delete;

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
  // Starts the store's sweep on the sweeping thread when the interval has
  // passed for `prefix` in this process and no sweep is under way; returns
  // 0 at once (what went is not known yet).
  int Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
            std::size_t maxEntries) override;
  // Waits for the sweep under way, if any.
  void Wait();

 private:
  std::unique_ptr<zyl::UpdateLockStore> owned_;  // null when observed
  zyl::UpdateLockStore& store_;
  std::mutex mutex_;
  bool busy_ = false;
  std::thread sweeper_;
  std::map<std::string, std::chrono::steady_clock::time_point> last_;  // by prefix
};

}  // namespace zylgrid
