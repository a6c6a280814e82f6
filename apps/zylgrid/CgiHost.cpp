#include "apps/zylgrid/CgiHost.h"

#include <exception>
#include <memory>

#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/Log.h"
#include "apps/zylgrid/PageBuilder.h"
#include "datasets/SQLiteConnectionPool.h"
#include "request/RequestChannel.h"

namespace zylgrid {

int RunCgi(const std::string& configFile, const std::string& executable) {
  // The library's CGI channel: environment, standard input and output.
  zyl::ConsoleChannel channel;
  channel.SetExtraHeaders(AnswerHeaderLines());
  // The connection that checks an SQLite source at start serves the
  // request as well: the file is opened and its schema read once.
  zyl::SQLiteConnectionPool connections(1);
  SharedSourcesInUse sharedInUse({nullptr, &connections, nullptr});
  SiteConfig config;
  std::unique_ptr<PageBuilder> builder;
  try {
    config = LoadCheckedSite(configFile, executable);
    // The builder opens the update lock store, which may fail as well.
    builder = std::make_unique<PageBuilder>(
        config, [](const std::string& line) { LogLine("zylgrid: " + line); });
  } catch (const std::exception& e) {
    LogLine(std::string("zylgrid: ") + e.what());
    channel.SendPage(500, "text/plain; charset=UTF-8", "The site is not configured correctly.\n");
    return 1;
  }
  builder->Handle(channel);
  return 0;
}

}  // namespace zylgrid
