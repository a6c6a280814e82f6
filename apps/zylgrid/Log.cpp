#include "apps/zylgrid/Log.h"

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <mutex>

#include "platform/Text.h"

namespace zylgrid {

void LogLine(const std::string& text) {
  static std::mutex mutex;
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  gmtime_r(&now, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ ", &tm);
  std::string line = stamp + zyl::MaskPasswords(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  line += '\n';
  std::lock_guard<std::mutex> lock(mutex);
  std::size_t done = 0;
  while (done < line.size()) {
    ssize_t n = ::write(2, line.data() + done, line.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace zylgrid
