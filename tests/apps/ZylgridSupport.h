// Helpers of the zylgrid tests: files and small databases in a private
// temporary folder, one request to a page builder, and the zylgrid program
// in each of its modes driven as a web server or a browser would.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HtmlForms.h"
#include "PrivateTempDir.h"
#include "request/RequestChannel.h"

namespace zylgrid {
class PageBuilder;
}

namespace zylgrid::test {

using zyl::harness::PrivateTempDir;

// Writes `text` to `name` in `dir`; returns the full path.
std::string Write(const PrivateTempDir& dir, const std::string& name, const std::string& text);
// Runs SQL statements on the database file (creating it); returns the first
// column of the first row they give ("" when none); throws on failure.
std::string Sql(const std::string& path, const std::string& sql);
// shop.db in `dir`: customers(Id INTEGER PRIMARY KEY, Name TEXT) Ada, Bob, Cy;
// orders(OrderId, CustomerId, Item, Qty, Due DATE, Paid BOOLEAN, Status):
// 10 Lamp and 11 Desk of customer 1, 12 Pen of customer 2.
std::string MakeShopDb(const PrivateTempDir& dir);

// The answer of `builder` to one request as a web-module host hands it over.
zyl::WebModuleChannel::Answer Ask(const PageBuilder& builder, const std::string& method,
                                  const std::string& query = "", const std::string& body = "");

struct Reply {
  int status = 0;    // 0: no answer at all
  std::string head;  // the header lines
  std::string body;
};

// zylgrid in `mode` (serve, fcgi or cgi) for the site configuration `ini`,
// with `tmp` (created) as its temporary folder (update lock files, and
// server.log of a long-lived mode). A long-lived mode listens on a free
// loopback port, gets `options` after its own, and is stopped with SIGTERM
// with the object; fcgi is reached through libfcgi's cgi-fcgi, cgi is
// started once per request with the CGI variables (SCRIPT_NAME /shop.cgi)
// and the body on standard input.
class Zylgrid {
 public:
  Zylgrid(std::string mode, std::string ini, std::filesystem::path tmp,
          const std::vector<std::string>& options = {});
  ~Zylgrid();
  Zylgrid(const Zylgrid&) = delete;
  Zylgrid& operator=(const Zylgrid&) = delete;
  // False when a long-lived mode did not start (see tmp/server.log).
  bool Ready() const { return ready_; }
  // One request to "/"; `length` replaces CONTENT_LENGTH (cgi only).
  Reply Send(const std::string& method, const std::string& body = "",
             const std::string& length = "");
  // The exit status of the last cgi or cgi-fcgi run, or of a long-lived
  // mode that stopped at start.
  int ExitStatus() const { return exitStatus_; }
  // The page at "/" (the test fails on an answer other than 200).
  std::string Get();
  // Posts form `name` of `page` as a browser does when `button` is
  // clicked, after `fill` changed its controls; returns the page.
  std::string Click(const std::string& page, const std::string& name, const std::string& button,
                    const std::function<void(zyl::harness::Form&)>& fill = {});

 private:
  std::string mode_;
  std::string ini_;
  std::filesystem::path tmp_;
  int port_ = 0;
  int pid_ = -1;
  bool ready_ = true;
  int exitStatus_ = -1;
};

// True when cgi-fcgi is installed (scripts/install-deps browser).
bool HaveCgiFcgi();

}  // namespace zylgrid::test
