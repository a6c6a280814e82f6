// The embedded HTTP server: the page at "/" (each request through a request
// channel over the server's request and response), the image set under the
// configured ImagesURL, concurrent requests, one log line per request, clean
// stop on SIGINT and SIGTERM.
#pragma once

#include <string>

#include "apps/zylgrid/ConnectionGuard.h"
#include "apps/zylgrid/SiteConfig.h"

namespace zylgrid {

struct ServerSettings {
  std::string bind = "127.0.0.1";
  int port = 8080;
  std::string banner;  // printed once listening ("" prints the address)
  bool countCache = true;  // keep SQLite record counts while the data is unchanged
  // --tls-cert, --tls-key: PEM files; both given: HTTPS instead of HTTP.
  std::string tlsCert, tlsKey;
  // --max-per-address, --head-timeout: what one client may hold.
  ConnectionLimits limits;
};

// Worker threads of the server: a slow or idle client holds one for at
// most kReadTimeout seconds per read, so this many must be held at once
// before a visitor waits.
inline constexpr int kServerThreads = 64;
inline constexpr int kReadTimeout = 10;

// Serves until SIGINT or SIGTERM; returns the exit status (0 after a clean
// stop, 1 when the address cannot be bound, 2 when the TLS certificate or
// key cannot be used).
int RunHttpServer(const SiteConfig& config, const ServerSettings& settings);

}  // namespace zylgrid
