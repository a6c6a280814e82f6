// zylgrid-serve: zylgrid with the HTTP modes (the embedded server and the
// demo), started by `zylgrid serve|demo` or directly with the same command
// line. The site configuration is named after the program `zylgrid` was
// started as (ZYLGRID_PROGRAM), else after this one.
#include "apps/zylgrid/DemoSite.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/HttpServer.h"
#include "apps/zylgrid/Modes.h"
#include "apps/zylgrid/Process.h"
#include "platform/System.h"

int main(int argc, char** argv) {
  using namespace zylgrid;
  std::string program;
  if (!zyl::GetEnvVar(kProgramVariable, program) || program.empty()) {
    program = zyl::ModuleFileName();
  }
  return RunProgram(argc, argv, program, [&](const Options& options) {
    if (options.mode == Mode::Demo) {
      return RunDemo(options.dataDir, options.bind, options.port, program);
    }
    ServerSettings settings;
    settings.bind = options.bind;
    settings.port = options.port;
    settings.countCache = options.countCache;
    settings.tlsCert = options.tlsCert;
    settings.tlsKey = options.tlsKey;
    settings.limits.perAddress = options.maxPerAddress;
    settings.limits.firstHead = std::chrono::seconds(options.headTimeout);
    return RunHttpServer(LoadCheckedSite(options.configFile, program), settings);
  });
}
