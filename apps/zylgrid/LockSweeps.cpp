#include "apps/zylgrid/LockSweeps.h"

namespace zylgrid {

int BackgroundSweeps::Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
                            std::size_t maxEntries) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  auto last = last_.find(prefix);
  if (busy_ || (intervalSeconds > 0 && last != last_.end() &&
                now - last->second < std::chrono::seconds(intervalSeconds))) {
    return 0;
  }
  last_[prefix] = now;
  if (sweeper_.joinable()) sweeper_.join();  // done: it is not busy
  busy_ = true;
  sweeper_ = std::thread([this, prefix, maxAgeSeconds, intervalSeconds, maxEntries] {
    try {
      store_.Sweep(prefix, maxAgeSeconds, intervalSeconds, maxEntries);
    } catch (...) {
      // A sweep that fails leaves the locks for the next one.
    }
    std::lock_guard<std::mutex> done(mutex_);
    busy_ = false;
  });
  return 0;
}

void BackgroundSweeps::Wait() {
  std::thread sweeper;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sweeper = std::move(sweeper_);
  }
  if (sweeper.joinable()) sweeper.join();
}

}  // namespace zylgrid
