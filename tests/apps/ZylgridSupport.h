// Helpers of the zylgrid tests: files and databases in a private folder, one
// request to a page builder, the program in its modes as a web server runs it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HtmlForms.h"
#include "PrivateTempDir.h"
#include "Sqlite.h"
#include "request/RequestChannel.h"

namespace zylgrid {
class PageBuilder;
}

namespace zylgrid::test {

using zyl::harness::PrivateTempDir;

// Writes `text` to file `name` in `dir`; returns its path.
std::string Write(const PrivateTempDir& dir, const std::string& name, const std::string& text);
inline constexpr auto Sql = &zyl::harness::SqliteExec;
// shop.db in `dir`: customers(Id INTEGER PRIMARY KEY, Name TEXT) Ada, Bob, Cy;
// orders(OrderId, CustomerId, Item, Qty, Due DATE, Paid BOOLEAN, Status):
// 10 Lamp and 11 Desk of customer 1, 12 Pen of customer 2.
std::string MakeShopDb(const PrivateTempDir& dir);

// The answer of `builder` to one request as a web-module host hands it over.
zyl::WebModuleChannel::Answer Ask(const PageBuilder& builder, const std::string& method,
                                  const std::string& query = "", const std::string& body = "");

struct Reply {
  int status = 0;  // 0: no answer at all
  std::string head, body;
};

// zylgrid in `mode` (serve, fcgi, cgi; demo ignores `ini`) for the site configuration `ini`, with
// `tmp` as its temporary folder (lock files, server.log). serve and fcgi listen
// on a free loopback port until the object goes (SIGTERM); fcgi is reached
// through cgi-fcgi; cgi runs once per request (SCRIPT_NAME /shop.cgi).
class Zylgrid {
 public:
  Zylgrid(std::string mode, std::string ini, std::filesystem::path tmp,
          const std::vector<std::string>& options = {});
  ~Zylgrid();
  Zylgrid(const Zylgrid&) = delete;
  Zylgrid& operator=(const Zylgrid&) = delete;
  bool Ready() const { return ready_; }  // false: it did not start (see server.log)
  int Port() const { return port_; }
  // One request to "/"; `length` replaces CONTENT_LENGTH (cgi), or is the
  // Content-Length of a request whose body never comes (serve: the head of
  // the answer within 10 s, status 0 for none).
  Reply Send(const std::string& method, const std::string& body = "",
             const std::string& length = "");
  // Of the last cgi or cgi-fcgi run, or of a server that stopped at start.
  int ExitStatus() const { return exitStatus_; }
  std::string Get();  // the page at "/" (the test fails on another status than 200)
  // The query string and the request headers of the requests that follow.
  std::string query;
  std::vector<std::pair<std::string, std::string>> headers;
  // Posts form `name` of `page` with `button` clicked, after `fill` changed it.
  std::string Click(const std::string& page, const std::string& name, const std::string& button,
                    const std::function<void(zyl::harness::Form&)>& fill = {});

 private:
  std::string mode_, ini_;
  std::filesystem::path tmp_;
  int port_ = 0, pid_ = -1, exitStatus_ = -1;
  bool tls_ = false;  // serve --tls-cert: requests over HTTPS
  bool ready_ = true;
};

bool HaveCgiFcgi();  // installed by scripts/install-deps browser

}  // namespace zylgrid::test
