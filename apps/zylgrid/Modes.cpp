#include "apps/zylgrid/Modes.h"

#include <exception>
#include <iostream>
#include <vector>

#include "apps/zylgrid/CgiHost.h"
#include "apps/zylgrid/FcgiHost.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/SiteConfig.h"
#include "platform/System.h"

namespace zylgrid {

int RunProgram(int argc, char** argv, const std::string& program, const HttpModes& http) {
  std::string gateway;
  bool isCgi = zyl::GetEnvVar("GATEWAY_INTERFACE", gateway);
  Options options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), isCgi);
  } catch (const UsageError& e) {
    std::cerr << e.what() << "\n\n" << UsageText();
    return 2;
  }
  if (options.mode == Mode::Cgi) return RunCgi(options.configFile, program);
  if (options.mode == Mode::Help) {
    std::cout << UsageText();
    return 0;
  }
  try {
    if (options.mode == Mode::Serve || options.mode == Mode::Demo) return http(options);
    FcgiSettings settings;
    settings.socketPath = options.socketPath;
    settings.port = options.port;
    settings.countCache = options.countCache;
    return RunFcgi(LoadCheckedSite(options.configFile, program), settings);
  } catch (const ConfigError& e) {
    std::cerr << "zylgrid: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "zylgrid: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace zylgrid
