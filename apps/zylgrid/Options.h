// The command line of zylgrid: which host mode runs and its settings.
#pragma once

#include <string>
#include <vector>

#include "platform/Exception.h"

namespace zylgrid {

enum class Mode { Serve, Cgi, FastCgi, Demo, Help, Passwd };

struct Options {
  Mode mode = Mode::Help;
  std::string configFile;  // --config; empty: ZYLGRID_CONFIG or beside the executable
  std::string bind = "127.0.0.1";
  int port = 8080;         // serve, demo; fcgi only with --port
  std::string socketPath;  // fcgi --socket
  std::string dataDir;     // demo --data: where the sample database lives
  bool countCache = true;  // serve, fcgi: --no-count-cache counts on every request
  std::string usersFile, user;  // passwd FILE USER
  std::string tlsCert, tlsKey;  // serve --tls-cert, --tls-key
  int maxPerAddress = 16;       // serve --max-per-address: open connections from one address
  int headTimeout = 10;         // serve --head-timeout: seconds for a connection's first request head
};

// A command line that cannot be used; the message names the argument.
class UsageError : public zyl::Exception {
 public:
  using zyl::Exception::Exception;
};

// Reads the arguments after the program name. `gatewayInterface` is true when
// the environment has GATEWAY_INTERFACE: the program then runs as a CGI
// program whatever the arguments say (a web server may pass query words).
// Raises UsageError for unknown modes or options and bad values.
Options ParseOptions(const std::vector<std::string>& args, bool gatewayInterface);

// The text printed for `zylgrid help` and after a usage error.
std::string UsageText();

}  // namespace zylgrid
