// The cost of zylgrid's sign-in on every request of a signed-in visitor:
// Access::Admit with a valid session cookie (the cookie parsed, the user
// looked up in the users file, whose stamp is checked, the HMAC made and
// compared, the roles of three grids settled), and the check of the
// cookie alone.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "apps/zylgrid/Access.h"
#include "request/RequestChannel.h"

namespace {

struct Site {
  Site() {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "zyl-bench-session";
    std::filesystem::create_directories(dir);
    users = (dir / "users").string();
    zylgrid::SetUserPassword(users, "ann", "ann-pw");
    config.access.usersFile = users;
    for (const char* name : {"Customers", "Orders", "Notes"}) {
      zylgrid::GridSettings grid;
      grid.name = name;
      grid.editable = true;
      grid.editors = {"ann"};
      config.grids.push_back(grid);
    }
  }
  std::string users;
  zylgrid::SiteConfig config;
};

void BM_SessionCookie(benchmark::State& state) {
  static Site site;
  zylgrid::Access access(site.config, "a secret of the benchmark site");
  std::string cookie = access.SessionValue("ann", 4000000000);
  for (auto _ : state) benchmark::DoNotOptimize(access.SessionUser(cookie, 1000));
}
BENCHMARK(BM_SessionCookie);

void BM_AdmitSignedInVisitor(benchmark::State& state) {
  static Site site;
  zylgrid::Access access(site.config, "a secret of the benchmark site");
  zyl::WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", "GET");
  channel.SetVariable("REMOTE_ADDR", "10.0.0.7");
  channel.SetVariable("HTTP_COOKIE", "theme=dark; " + std::string(zylgrid::kSessionCookie) + "=" +
                                         access.SessionValue("ann", 4000000000));
  for (auto _ : state) {
    auto visitor = access.Admit(channel, [](const std::string&, const std::string&) {});
    if (!visitor || visitor->user != "ann") state.SkipWithError("not admitted");
    benchmark::DoNotOptimize(visitor);
  }
}
BENCHMARK(BM_AdmitSignedInVisitor);

}  // namespace

BENCHMARK_MAIN();
