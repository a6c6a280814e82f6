// The page builder shared by every host mode: for one request it creates the
// page's components (one TZylCSS, the configured grids, their data sources),
// lets each grid read the request and carry out its action, and assembles
// the HTML5 document, or the download a save-as click asks for.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "apps/zylgrid/SiteConfig.h"

namespace zyl {
class UpdateLockStore;
}

namespace zylgrid {

// A request as a web-module host (embedded server, FastCGI) receives it.
struct WebRequest {
  std::string method;  // "GET", "POST", ...
  std::string query;   // raw query string, without "?"
  std::string body;    // raw POST body (application/x-www-form-urlencoded)
};

struct WebResponse {
  int status = 200;
  std::string contentType = "text/html; charset=UTF-8";
  std::string fileName;  // set for downloads: Content-Disposition attachment
  std::string body;
};

// Receives one line per failure with its detail (the visitor sees none).
using ErrorLog = std::function<void(const std::string&)>;

class PageBuilder {
 public:
  // `config` must outlive the builder. Safe to use from many threads at
  // once: every request gets its own components. The builder owns the
  // update lock store that config.locks names and hands it to every
  // request's TZylCSS (lock files need none: the library's default store).
  // Raises ConfigError naming [Page] Locks when the store cannot be opened.
  PageBuilder(const SiteConfig& config, ErrorLog log);
  ~PageBuilder();
  PageBuilder(const PageBuilder&) = delete;
  PageBuilder& operator=(const PageBuilder&) = delete;

  // Web-module host kind: the builder hands the request's fields to the
  // grids itself and returns the page or the download. Never throws: a
  // failure gives status 500 with a short generic page.
  WebResponse Handle(const WebRequest& request) const;

  // Console (CGI) host kind: the library reads the request from the
  // environment and standard input and writes downloads to standard
  // output; the page goes to `out` with its CGI header. Never throws.
  void HandleConsole(std::FILE* out) const;

  // The posted fields of a urlencoded body as the library's console path
  // makes them: "&" becomes CR, the text is URL-decoded, then split.
  static std::string DecodeBody(const std::string& body);
  // The field text for ProcessParametersData: for a GET the decoded query
  // (empty query: empty text), for a POST the grid's query string (empty)
  // plus CR LF plus the posted fields.
  static std::string FieldText(const std::string& method, const std::string& query,
                               const std::string& decodedBody);
  // Content type and file extension of a save-as type index (TExportType).
  static void DownloadType(int exportType, std::string& contentType, std::string& extension);
  // A file name fit for Content-Disposition: CR, LF and double quotes removed.
  static std::string SafeFileName(const std::string& name);
  // `text` with &, <, >, " and ' written as entities.
  static std::string EscapeText(const std::string& text);

 private:
  const SiteConfig& config_;
  ErrorLog log_;
  std::unique_ptr<zyl::UpdateLockStore> locks_;  // null: the default lock files
};

}  // namespace zylgrid
