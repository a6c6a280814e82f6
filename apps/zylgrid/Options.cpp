#include "apps/zylgrid/Options.h"

#include <charconv>

namespace zylgrid {

namespace {

int ParsePort(const std::string& option, const std::string& text) {
  int port = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, port);
  if (ec != std::errc() || ptr != end || port < 1 || port > 65535) {
    throw UsageError("zylgrid: " + option + ": '" + text + "' is not a port number (1-65535)");
  }
  return port;
}

// A whole number from 1 to `most` for `option`.
int ParseCount(const std::string& option, const std::string& text, int most) {
  int n = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, n);
  if (ec != std::errc() || ptr != end || n < 1 || n > most) {
    throw UsageError("zylgrid: " + option + ": '" + text + "' is not a number from 1 to " +
                     std::to_string(most));
  }
  return n;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args, bool gatewayInterface) {
  Options options;
  if (gatewayInterface) {
    options.mode = Mode::Cgi;
    return options;
  }
  if (args.empty()) throw UsageError("zylgrid: no mode given");
  const std::string& mode = args[0];
  if (mode == "serve") {
    options.mode = Mode::Serve;
  } else if (mode == "cgi") {
    options.mode = Mode::Cgi;
  } else if (mode == "fcgi") {
    options.mode = Mode::FastCgi;
    options.port = 0;
  } else if (mode == "demo") {
    options.mode = Mode::Demo;
  } else if (mode == "passwd") {
    if (args.size() != 3) throw UsageError("zylgrid passwd: give the users file and the user name");
    options.mode = Mode::Passwd;
    options.usersFile = args[1];
    options.user = args[2];
    return options;
  } else if (mode == "help" || mode == "--help" || mode == "-h") {
    options.mode = Mode::Help;
    return options;
  } else {
    throw UsageError("zylgrid: unknown mode '" + mode + "'");
  }

  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    bool hasValue = false;
    std::string name = arg;
    if (std::size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    auto next = [&]() -> const std::string& {
      if (!hasValue) {
        if (i + 1 >= args.size()) throw UsageError("zylgrid: " + name + " needs a value");
        value = args[++i];
        hasValue = true;
      }
      return value;
    };
    bool allowed = false;
    if (name == "--config" && options.mode != Mode::Demo) {
      options.configFile = next();
      allowed = true;
    } else if (name == "--bind" && (options.mode == Mode::Serve || options.mode == Mode::Demo)) {
      options.bind = next();
      allowed = true;
    } else if (name == "--port" && options.mode != Mode::Cgi) {
      options.port = ParsePort(name, next());
      allowed = true;
    } else if (name == "--socket" && options.mode == Mode::FastCgi) {
      options.socketPath = next();
      allowed = true;
    } else if (name == "--no-count-cache" && !hasValue &&
               (options.mode == Mode::Serve || options.mode == Mode::FastCgi)) {
      options.countCache = false;
      allowed = true;
    } else if ((name == "--tls-cert" || name == "--tls-key") && options.mode == Mode::Serve) {
      (name == "--tls-cert" ? options.tlsCert : options.tlsKey) = next();
      allowed = true;
    } else if (name == "--max-per-address" && options.mode == Mode::Serve) {
      options.maxPerAddress = ParseCount(name, next(), 10000);
      allowed = true;
    } else if (name == "--head-timeout" && options.mode == Mode::Serve) {
      options.headTimeout = ParseCount(name, next(), 3600);
      allowed = true;
    } else if (name == "--data" && options.mode == Mode::Demo) {
      options.dataDir = next();
      allowed = true;
    }
    if (!allowed) throw UsageError("zylgrid " + mode + ": unknown option '" + name + "'");
  }
  if (options.mode == Mode::FastCgi && !options.socketPath.empty() && options.port != 0) {
    throw UsageError("zylgrid fcgi: give either --socket or --port, not both");
  }
  if (options.bind.empty()) throw UsageError("zylgrid: --bind needs an address");
  if (options.tlsCert.empty() != options.tlsKey.empty()) {
    throw UsageError("zylgrid serve: --tls-cert and --tls-key go together");
  }
  return options;
}

std::string UsageText() {
  return "usage:\n"
         "  zylgrid serve [--config FILE] [--bind 127.0.0.1] [--port 8080] [--no-count-cache]\n"
         "                [--tls-cert CERT.pem --tls-key KEY.pem]\n"
         "                [--max-per-address 16] [--head-timeout 10]\n"
         "        embedded HTTP server (HTTPS with a certificate and its key; connections\n"
         "        one address may hold, seconds a connection has for its first request head)\n"
         "  zylgrid cgi [--config FILE]\n"
         "        one request as a CGI program (chosen by itself when GATEWAY_INTERFACE is set)\n"
         "  zylgrid fcgi [--config FILE] [--socket PATH | --port N] [--no-count-cache]\n"
         "        FastCGI responder (standard input as the socket when neither is given)\n"
         "serve and fcgi keep SQLite record counts while the database file is unchanged;\n"
         "--no-count-cache counts on every request.\n"
         "  zylgrid demo [--port 8080] [--bind 127.0.0.1] [--data DIR]\n"
         "        creates the sample database when missing and serves the demo page\n"
         "  zylgrid passwd FILE USER\n"
         "        adds USER to the users file or changes their password (read from standard "
         "input)\n"
         "The site configuration comes from --config, else $ZYLGRID_CONFIG, else the file\n"
         "beside the executable named after it with \".ini\".\n";
}

}  // namespace zylgrid
