// A page's update lock with many lock files in the folder: what Done (the
// sweep when it is due, then the page's own lock) costs a request with an
// empty folder and with 300,000 stale lock files of the program, the
// sweep not due (every request but one a minute) and due (that one: it
// deletes them all). The files are made once, in a private TMPDIR.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "grid/ZylHTMLGrid.h"
#include "platform/System.h"
#include "request/ZylCSS.h"

namespace {

constexpr int kStale = 300000;

std::string Folder() {
  static const std::string folder = [] {
    std::string dir = std::filesystem::temp_directory_path() / "zyl-lock-sweep-XXXXXX";
    std::string made = ::mkdtemp(dir.data());
    ::setenv("TMPDIR", made.c_str(), 1);
    return made + "/";
  }();
  return folder;
}

// Stale lock files of program "grid.cgi", two days old, up to `count`.
void Plant(int count) {
  const timespec old[2] = {{std::time(nullptr) - 2 * 86400, 0},
                           {std::time(nullptr) - 2 * 86400, 0}};
  for (int i = 0; i < count; ++i) {
    char name[80];
    std::snprintf(name, sizeof name, "grid.cgi.%08X-0000-4000-8000-000000000000.upd", i);
    int fd = ::open((Folder() + name).c_str(), O_WRONLY | O_CREAT, 0600);
    if (fd >= 0) ::futimens(fd, old), ::close(fd);
  }
}

// One page's Done; `sweepDue` removes the sweep file first.
void PageDone(bool sweepDue) {
  if (sweepDue) std::filesystem::remove(Folder() + "grid.cgi.upd.sweep");
  zyl::TZylCSS css(nullptr);
  css.SetModuleFileName("/srv/grid.cgi");
  zyl::TZylHTMLGrid grid(nullptr);
  grid.SetCSS(&css), grid.SetColCount(3), grid.SetEditMode(true);
  grid.SetGUID("0F8FAD5B-D9CB-469F-A165-70867728950E");  // the same lock rewritten
  benchmark::DoNotOptimize(grid.Done());
}

void BM_DoneEmptyFolder(benchmark::State& state) {
  Folder();
  for (auto _ : state) PageDone(false);
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    std::filesystem::remove(entry);
}
BENCHMARK(BM_DoneEmptyFolder);

void BM_DoneStaleLocksSweepNotDue(benchmark::State& state) {
  Plant(kStale);
  PageDone(false);  // dates the sweep file unless it is there
  Plant(kStale);
  for (auto _ : state) PageDone(false);
}
BENCHMARK(BM_DoneStaleLocksSweepNotDue);

void BM_DoneStaleLocksSweepDue(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Plant(kStale);
    state.ResumeTiming();
    PageDone(true);
  }
  std::filesystem::remove_all(Folder());
}
BENCHMARK(BM_DoneStaleLocksSweepDue)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
