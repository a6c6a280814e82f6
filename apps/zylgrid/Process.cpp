#include "apps/zylgrid/Process.h"

#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <utility>

namespace zylgrid {

void KeepHeapForRequests() {
  mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 16 * 1024 * 1024);
  mallopt(M_TOP_PAD, 4 * 1024 * 1024);
  // Two arenas for all worker threads: each arena keeps what a large
  // download left behind, so a thread pool would otherwise hold one such
  // remnant per thread (four 70,000-row downloads: +52 MB with one arena a
  // thread, +10 MB with two; docs/PERFORMANCE.md, Export).
  mallopt(M_ARENA_MAX, 2);
}

void ReleaseFreeMemory() {
  malloc_trim(0);
}

std::string ServerTunables(const char* tunables) {
  const std::string cache = "glibc.malloc.tcache_count=" + std::to_string(kThreadCacheBlocks);
  if (tunables == nullptr || *tunables == '\0') return cache;
  const std::string given = tunables;
  if (given.find("glibc.malloc.tcache_count=") != std::string::npos) return given;
  return given + ":" + cache;
}

int ExecServeProgram(const std::string& program, char** argv) {
  const std::string serve = (std::filesystem::path(program).parent_path() / kServeProgram).string();
  const std::string tunables = ServerTunables(std::getenv("GLIBC_TUNABLES"));
  for (const auto& [name, value] :
       {std::pair<const char*, const std::string&>{kProgramVariable, program},
        {"GLIBC_TUNABLES", tunables}}) {
    if (::setenv(name, value.c_str(), 1) != 0) {
      std::cerr << "zylgrid: cannot set " << name << ": " << std::strerror(errno) << "\n";
      return 1;
    }
  }
  ::execv(serve.c_str(), argv);
  std::cerr << "zylgrid: cannot start " << serve
            << " (the HTTP modes live there): " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace zylgrid
