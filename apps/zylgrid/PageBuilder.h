// The page builder shared by every host mode: for one request it creates the
// page's components (one TZylCSS, the configured grids, their data sources),
// lets each grid read the request through the host's request channel and
// carry out its action, and answers through the channel with the HTML5
// document, or the grid's download when a save-as click asked for one.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "apps/zylgrid/Access.h"
#include "apps/zylgrid/SiteConfig.h"

namespace zyl {
class RequestChannel;
class UpdateLockStore;
}  // namespace zyl

namespace zylgrid {

// The headers of every answer zylgrid gives, in every mode: the page is
// never framed, its content type never guessed, and other sites never learn
// its addresses from the Referer.
inline constexpr std::pair<const char*, const char*> kAnswerHeaders[] = {
    {"X-Frame-Options", "DENY"},
    {"Content-Security-Policy", "frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "same-origin"},
};
// kAnswerHeaders as CGI header lines ("Name: value" CR LF each).
std::string AnswerHeaderLines();

// Receives one line per failure with its detail (the visitor sees none).
using ErrorLog = std::function<void(const std::string&)>;

class PageBuilder {
 public:
  // `config` must outlive the builder. Safe to use from many threads at
  // once: every request gets its own components. The builder owns the
  // update lock store that config.locks names and hands it to every
  // request's TZylCSS (lock files need none: the library's default store).
  // In a `server` process (serve, fcgi) the store sweeps expired locks on a
  // thread of its own (BackgroundSweeps) rather than in a request.
  // Raises ConfigError naming [Page] Locks when the store cannot be opened,
  // and one naming [Page] SecretFile when the site's secret cannot be had.
  PageBuilder(const SiteConfig& config, ErrorLog log, bool server = false);
  ~PageBuilder();
  PageBuilder(const PageBuilder&) = delete;
  PageBuilder& operator=(const PageBuilder&) = delete;

  // Answers the request that `channel` carries (the one request path of
  // every mode): 405 for a method other than GET, HEAD and POST, else the
  // page or a download. Never throws: a failure answers 500 with a short
  // generic page and logs its detail. On a site that signs visitors in
  // (Access), the sign-in page, sign-in and sign-out come first; headers
  // the answer needs (cookies, a redirect) go to the channel's answer headers.
  void Handle(zyl::RequestChannel& channel) const;

 private:
  const SiteConfig& config_;
  ErrorLog log_;
  std::unique_ptr<zyl::UpdateLockStore> locks_;  // swept beside the requests
  std::string secret_;                           // signs the rows' identities ("": one per process)
  std::unique_ptr<Access> access_;
};

}  // namespace zylgrid
