// The FastCGI mode: one process answers many requests from a web server
// (nginx's fastcgi_pass), each through a request channel over the FastCGI
// request; the image set is served too when a request asks for it.
#pragma once

#include <string>

#include "apps/zylgrid/SiteConfig.h"

namespace zylgrid {

struct FcgiSettings {
  std::string socketPath;  // a Unix socket to create, or
  int port = 0;            // a loopback TCP port; neither: the socket on standard input
  bool countCache = true;  // keep SQLite record counts while the data is unchanged
};

// Serves until SIGINT or SIGTERM; returns the exit status.
int RunFcgi(const SiteConfig& config, const FcgiSettings& settings);

}  // namespace zylgrid
