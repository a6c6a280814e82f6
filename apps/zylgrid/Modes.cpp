#include "apps/zylgrid/Modes.h"

#include <termios.h>
#include <unistd.h>

#include <exception>
#include <iostream>
#include <vector>

#include "apps/zylgrid/Access.h"
#include "apps/zylgrid/CgiHost.h"
#include "apps/zylgrid/FcgiHost.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/SiteConfig.h"
#include "platform/System.h"

namespace zylgrid {

namespace {

// `zylgrid passwd`: the password from standard input (a terminal: asked
// for, without echo), hashed into the users file.
int RunPasswd(const Options& options) {
  const bool tty = ::isatty(0) != 0;
  termios saved{};
  if (tty) {
    std::cerr << "Password for " << options.user << ": " << std::flush;
    ::tcgetattr(0, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(0, TCSAFLUSH, &quiet);
  }
  std::string password;
  std::getline(std::cin, password);
  if (tty) {
    ::tcsetattr(0, TCSAFLUSH, &saved);
    std::cerr << "\n";
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  if (password.empty()) {
    std::cerr << "zylgrid passwd: no password given\n";
    return 1;
  }
  SetUserPassword(options.usersFile, options.user, password);
  return 0;
}

}  // namespace

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
    if (options.mode == Mode::Passwd) return RunPasswd(options);
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
