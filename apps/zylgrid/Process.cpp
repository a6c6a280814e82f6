#include "apps/zylgrid/Process.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <thread>

namespace zylgrid {

void KeepHeapForRequests() {
  mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 16 * 1024 * 1024);
  mallopt(M_TOP_PAD, 4 * 1024 * 1024);
  // Two arenas a core (at least 2, at most 16) for all worker threads: each
  // arena keeps what a large download left behind, so a thread pool would
  // otherwise hold one such remnant per thread (four 70,000-row downloads:
  // +52 MB with one arena a thread); fewer arenas than running threads, and
  // the threads wait for each other's allocations (docs/PERFORMANCE.md).
  mallopt(M_ARENA_MAX,
          static_cast<int>(std::clamp(2U * std::thread::hardware_concurrency(), 2U, 16U)));
}

void ReleaseFreeMemory() {
  malloc_trim(0);
}

int ExecServeProgram(const std::string& program, char** argv) {
  const std::string serve = (std::filesystem::path(program).parent_path() / kServeProgram).string();
  if (::setenv(kProgramVariable, program.c_str(), 1) != 0) {
    std::cerr << "zylgrid: cannot set " << kProgramVariable << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  ::execv(serve.c_str(), argv);
  std::cerr << "zylgrid: cannot start " << serve
            << " (the HTTP modes live there): " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace zylgrid
