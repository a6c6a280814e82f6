#include "apps/zylgrid/LockSweeps.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "request/UpdateLocks.h"

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
      Store().Sweep(prefix, maxAgeSeconds, intervalSeconds, maxEntries);
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

int DetachedSweeps::Sweep(const std::string& prefix, long maxAgeSeconds, long intervalSeconds,
                          std::size_t maxEntries) {
  if (prefix.find('/') != std::string::npos) return 0;  // no lock is named so
  if (!zyl::updatelock::SweepDue(prefix, intervalSeconds)) return 0;
  // Twice forked, so the sweeping process is nobody's child to wait for.
  const pid_t child = ::fork();
  if (child < 0) return Store().Sweep(prefix, maxAgeSeconds, 0, maxEntries);
  if (child > 0) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
  }
  if (::fork() == 0) {
    ::setsid();
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    for (int fd = 0; fd <= 2 && null >= 0; ++fd) ::dup2(null, fd);
    ::close_range(3, ~0U, 0);  // holds none of the request's files (nor their flocks)
    try {
      Store().Sweep(prefix, maxAgeSeconds, 0, maxEntries);
    } catch (...) {
      // A sweep that fails leaves the locks for the next one.
    }
  }
  ::_exit(0);  // neither process runs the request's exit handlers
}

}  // namespace zylgrid
