#include "apps/zylgrid/FcgiHost.h"

#include <fcgiapp.h>
#include <signal.h>

#include <charconv>
#include <cstring>
#include <iostream>
#include <memory>
#include <utility>
#include <vector>

#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/ImageSet.h"
#include "apps/zylgrid/Log.h"
#include "apps/zylgrid/PageBuilder.h"
#include "apps/zylgrid/Process.h"
#include "datasets/PgEstimateCache.h"
#include "datasets/SQLiteConnectionPool.h"
#include "datasets/SQLiteCountCache.h"
#include "platform/Stream.h"
#include "request/RequestChannel.h"

namespace zylgrid {

namespace {

constexpr long long kMaxBody = 16LL * 1024 * 1024;

void OnStop(int) {
  FCGX_ShutdownPending();
}

std::string Param(const FCGX_Request& request, const char* name) {
  const char* value = FCGX_GetParam(name, request.envp);
  return value == nullptr ? std::string() : std::string(value);
}

void Send(FCGX_Request& request, int status, const std::string& contentType,
          const std::string& fileName, std::string_view body,
          const std::vector<std::pair<std::string, std::string>>& extra = {}) {
  std::string head =
      "Status: " + std::to_string(status) + "\r\nContent-Type: " + contentType + "\r\n";
  if (!fileName.empty())
    head += "Content-Disposition: attachment; " + zyl::DispositionFileName(fileName) + "\r\n";
  head += AnswerHeaderLines();
  for (const auto& [name, value] : extra) head += name + ": " + value + "\r\n";
  head += "\r\n";
  FCGX_PutStr(head.data(), static_cast<int>(head.size()), request.out);
  std::size_t done = 0;
  while (done < body.size()) {
    int chunk = static_cast<int>(std::min<std::size_t>(body.size() - done, 1 << 20));
    if (FCGX_PutStr(body.data() + done, chunk, request.out) < 0) break;
    done += static_cast<std::size_t>(chunk);
  }
}

// The request channel of one FastCGI request: the method (HEAD renders the
// page read-only), the query and the body read before; the visitor's address, HTTPS
// and the request headers (HTTP_*) as the web server passed them. Script
// and server names stay empty, so the page's forms post back to the
// address the page came from, whatever the web server's script mapping. The answer is written at
// once; its status and size are kept for the log line.
class FcgiChannel : public zyl::WebModuleChannel {
 public:
  FcgiChannel(FCGX_Request& request, std::string body) : request_(request) {
    SetVariable("REQUEST_METHOD", Param(request, "REQUEST_METHOD"));
    SetVariable("QUERY_STRING", Param(request, "QUERY_STRING"));
    SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
    for (const char* name :
         {"HTTP_COOKIE", "HTTP_HOST", "HTTP_ORIGIN", "HTTP_SEC_FETCH_SITE", "HTTPS"}) {
      SetVariable(name, Param(request, name));
    }
    SetBody(std::move(body));
  }
  std::string GetVariable(const std::string& name) const override {
    if (name == "REMOTE_ADDR" || name == "HTTPS" || name.rfind("HTTP_", 0) == 0)
      return Param(request_, name.c_str());
    return zyl::WebModuleChannel::GetVariable(name);
  }
  void SendPage(int status, const std::string& contentType, std::string body) override {
    Send(request_, status, contentType, "", body, GetAnswerHeaders());
    status_ = status;
    bytes_ = body.size();
  }
  void SendDownload(const std::string& contentType, const std::string& fileName,
                    zyl::TStream& content) override {
    content.SetPosition(0);
    std::string bytes(static_cast<std::size_t>(content.GetSize()), '\0');
    if (!bytes.empty()) content.ReadBuffer(bytes.data(), bytes.size());
    Send(request_, 200, contentType, fileName, bytes, GetAnswerHeaders());
    status_ = 200;
    bytes_ = bytes.size();
  }

  int Status() const { return status_; }
  std::size_t Bytes() const { return bytes_; }

 private:
  FCGX_Request& request_;
  int status_ = 500;
  std::size_t bytes_ = 0;
};

// The body of a POST, or false when its announced length is missing, out of
// range or not delivered in full.
bool ReadBody(FCGX_Request& request, std::string& body) {
  std::string text = Param(request, "CONTENT_LENGTH");
  long long length = 0;
  if (!text.empty()) {
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (ec != std::errc() || ptr != text.data() + text.size() || length < 0) return false;
  }
  if (length > kMaxBody) return false;
  body.assign(static_cast<std::size_t>(length), '\0');
  std::size_t got = 0;
  while (got < body.size()) {
    int n = FCGX_GetStr(body.data() + got, static_cast<int>(body.size() - got), request.in);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int RunFcgi(const SiteConfig& config, const FcgiSettings& settings) {
  if (FCGX_Init() != 0) {
    std::cerr << "zylgrid fcgi: cannot initialise FastCGI\n";
    return 1;
  }
  int socket = 0;
  std::string where = "standard input";
  if (!settings.socketPath.empty()) {
    where = settings.socketPath;
  } else if (settings.port != 0) {
    where = "127.0.0.1:" + std::to_string(settings.port);
  }
  if (where != "standard input") {
    socket = FCGX_OpenSocket(where.c_str(), 64);
    if (socket < 0) {
      std::cerr << "zylgrid fcgi: cannot listen on " << where << "\n";
      return 1;
    }
  }
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a blocked accept returns
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<zyl::SQLiteCountCache> counts;
  if (settings.countCache) counts = std::make_unique<zyl::SQLiteCountCache>();
  zyl::SQLiteConnectionPool connections;
  zyl::PgEstimateCache estimates;
  SharedSourcesInUse sharedInUse({counts.get(), &connections, &estimates});
  KeepHeapForRequests();
  PageBuilder builder(
      config, [](const std::string& line) { LogLine(line); }, true);
  FCGX_Request request;
  FCGX_InitRequest(&request, socket, FCGI_FAIL_ACCEPT_ON_INTR);
  LogLine("FastCGI responder on " + where);
  while (FCGX_Accept_r(&request) >= 0) {
    std::string method = Param(request, "REQUEST_METHOD");
    std::string uri = Param(request, "DOCUMENT_URI");
    if (uri.empty())
      uri = Param(request, "REQUEST_URI").substr(0, Param(request, "REQUEST_URI").find('?'));
    int status = 200;
    std::size_t sent = 0;
    const std::string& images = config.imagesURL;
    if (method == "GET" && uri.size() > images.size() &&
        uri.compare(0, images.size(), images) == 0) {
      std::string name = uri.substr(images.size());
      std::string bytes;
      if (ReadImage(config.imagesDir, name, bytes)) {
        Send(request, 200, ImageContentType(name), "", bytes);
        sent = bytes.size();
      } else {
        status = 404;
        Send(request, 404, "text/plain; charset=UTF-8", "", "Not found\n");
      }
    } else {
      std::string body;
      if (method == "POST" && !ReadBody(request, body)) {
        status = 400;
        Send(request, 400, "text/plain; charset=UTF-8", "", "Bad request\n");
      } else {
        FcgiChannel channel(request, std::move(body));
        builder.Handle(channel);
        status = channel.Status();
        sent = channel.Bytes();
      }
    }
    LogLine(Param(request, "REMOTE_ADDR") + " " + method + " " + uri + " " +
            std::to_string(status) + " " + std::to_string(sent));
    FCGX_Finish_r(&request);
  }
  LogLine("stopped");
  return 0;
}

}  // namespace zylgrid
