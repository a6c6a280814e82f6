// Talking to the zylgrid program in each of its modes as a web server or a
// browser would: `zylgrid serve` over HTTP, `zylgrid fcgi` over FastCGI
// (through libfcgi's cgi-fcgi) and `zylgrid cgi` started once per request
// with the CGI variables and the body on standard input.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HtmlForms.h"

namespace zylgrid::test {

// A free loopback TCP port.
int FreePort();

struct Reply {
  bool answered = false;  // false: no answer at all (connection refused or broken)
  int status = 0;
  std::string head;  // the header lines
  std::string body;
};

class ZylgridClient {
 public:
  virtual ~ZylgridClient() = default;
  // False when the program did not start (its log says why).
  virtual bool Ready() const { return true; }
  // One request to "/" with `method`, the URL's `query` and a URL-encoded body.
  virtual Reply Send(const std::string& method, const std::string& query,
                     const std::string& body) = 0;

  // The page at "/"; the test fails on an answer other than 200.
  std::string Get();
  // Posts form `name` of `page` as a browser does when `button` is clicked,
  // after `fill` changed its controls; returns the page (the test fails on
  // an answer other than 200).
  std::string Click(const std::string& page, const std::string& name, const std::string& button,
                    const std::function<void(zyl::harness::Form&)>& fill = {});
};

// zylgrid in `mode` ("serve", "fcgi" or "cgi") for the site configuration
// `ini`, with `tmp` (created) as its temporary directory: its update lock
// files, and the log of a long-lived mode (tmp/server.log). `options` go
// after the mode's own. A long-lived mode listens on a free loopback port
// and is stopped with SIGTERM when the client goes. Null for fcgi when
// cgi-fcgi is not installed (scripts/install-deps browser).
std::unique_ptr<ZylgridClient> StartZylgrid(const std::string& mode, const std::string& ini,
                                            const std::filesystem::path& tmp,
                                            const std::vector<std::string>& options = {});

// One run of `zylgrid cgi` as a web server starts it: only the CGI
// variables (CONTENT_LENGTH set to `length`, SCRIPT_NAME "/shop.cgi") and
// ZYLGRID_CONFIG, TMPDIR; `body` on standard input. Returns standard output
// and the exit status in `exitStatus`.
std::string RunCgi(const std::string& ini, const std::filesystem::path& tmp,
                   const std::string& method, const std::string& query, const std::string& body,
                   const std::string& length, int& exitStatus);

}  // namespace zylgrid::test
