#include "apps/zylgrid/CgiHost.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/Log.h"
#include "apps/zylgrid/PageBuilder.h"

namespace zylgrid {

int RunCgi(const std::string& configFile, const std::string& executable) {
  SiteConfig config;
  std::unique_ptr<PageBuilder> builder;
  try {
    config = LoadSiteConfig(FindConfigFile(configFile, executable));
    if (config.imagesDir.empty()) config.imagesDir = DefaultImagesDir(executable);
    CheckSources(config);
    // The builder opens the update lock store, which may fail as well.
    builder = std::make_unique<PageBuilder>(
        config, [](const std::string& line) { LogLine("zylgrid: " + line); });
  } catch (const std::exception& e) {
    LogLine(std::string("zylgrid: ") + e.what());
    std::fputs(
        "Status: 500 Internal Server Error\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n"
        "The site is not configured correctly.\n",
        stdout);
    std::fflush(stdout);
    return 1;
  }
  builder->HandleConsole(stdout);
  return 0;
}

}  // namespace zylgrid
