// zylgrid: the host program of the ZylHG grids. See Options.cpp for the modes.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "apps/zylgrid/CgiHost.h"
#include "apps/zylgrid/DemoSite.h"
#include "apps/zylgrid/FcgiHost.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/HttpServer.h"
#include "apps/zylgrid/Options.h"
#include "apps/zylgrid/SiteConfig.h"
#include "platform/System.h"

int main(int argc, char** argv) {
  using namespace zylgrid;
  std::string executable = zyl::ModuleFileName();
  std::string gateway;
  bool isCgi = zyl::GetEnvVar("GATEWAY_INTERFACE", gateway);
  Options options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), isCgi);
  } catch (const UsageError& e) {
    std::cerr << e.what() << "\n\n" << UsageText();
    return 2;
  }
  if (options.mode == Mode::Cgi) return RunCgi(options.configFile, executable);
  if (options.mode == Mode::Help) {
    std::cout << UsageText();
    return 0;
  }
  try {
    if (options.mode == Mode::Demo) {
      return RunDemo(options.dataDir, options.bind, options.port, executable);
    }
    SiteConfig config = LoadSiteConfig(FindConfigFile(options.configFile, executable));
    if (config.imagesDir.empty()) config.imagesDir = DefaultImagesDir(executable);
    CheckSources(config);
    if (options.mode == Mode::Serve) {
      ServerSettings settings;
      settings.bind = options.bind;
      settings.port = options.port;
      settings.countCache = options.countCache;
      return RunHttpServer(config, settings);
    }
    FcgiSettings settings;
    settings.socketPath = options.socketPath;
    settings.port = options.port;
    settings.countCache = options.countCache;
    return RunFcgi(config, settings);
  } catch (const ConfigError& e) {
    std::cerr << "zylgrid: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "zylgrid: " << e.what() << "\n";
    return 1;
  }
}
