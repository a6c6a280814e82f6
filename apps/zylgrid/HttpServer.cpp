#include "apps/zylgrid/HttpServer.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <chrono>
#include <iostream>
#include <memory>
#include <thread>
#include <utility>

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

constexpr std::size_t kMaxBody = 16u * 1024u * 1024u;

// True when the request announces a body longer than the limit (or a
// length too large to read as a number).
bool AnnouncesTooMuch(const httplib::Request& request) {
  if (!request.has_header("Content-Length")) return false;
  const std::string text = request.get_header_value("Content-Length");
  unsigned long long length = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
  if (error == std::errc::result_out_of_range) return true;
  return error == std::errc() && end == text.data() + text.size() && length > kMaxBody;
}

std::string QueryOf(const std::string& target) {
  std::size_t q = target.find('?');
  return q == std::string::npos ? std::string() : target.substr(q + 1);
}

// The request headers the page's guards read, with their CGI variable names.
constexpr std::pair<const char*, const char*> kGuardHeaders[] = {
    {"Cookie", "HTTP_COOKIE"},
    {"Host", "HTTP_HOST"},
    {"Origin", "HTTP_ORIGIN"},
    {"Sec-Fetch-Site", "HTTP_SEC_FETCH_SITE"},
};

// The request channel of one HTTP request: the method (HEAD renders the
// page read-only), the target's query, the body the server read, the visitor's
// address, HTTPS and the request headers as CGI names them (HTTP_*); the
// answer goes into the server's response, never cached.
class HttpChannel : public zyl::WebModuleChannel {
 public:
  HttpChannel(const httplib::Request& request, std::string body, httplib::Response& response,
              bool tls)
      : request_(request), response_(response) {
    SetVariable("REQUEST_METHOD", request.method);
    SetVariable("REMOTE_ADDR", request.remote_addr);
    if (tls) SetVariable("HTTPS", "on");
    SetVariable("QUERY_STRING", QueryOf(request.target));
    SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
    for (const auto& [header, variable] : kGuardHeaders) {
      if (request.has_header(header)) SetVariable(variable, request.get_header_value(header));
    }
    SetBody(std::move(body));
  }
  std::string GetVariable(const std::string& name) const override {
    if (name.rfind("HTTP_", 0) != 0) return zyl::WebModuleChannel::GetVariable(name);
    std::string header;  // HTTP_X_REMOTE_USER: X-Remote-User (header names ignore case)
    for (char c : name.substr(5)) header += c == '_' ? '-' : c;
    return request_.get_header_value(header);
  }
  void SendPage(int status, const std::string& contentType, std::string body) override {
    for (const auto& [name, value] : GetAnswerHeaders()) response_.set_header(name, value);
    response_.status = status;
    response_.headers.erase("Content-Disposition");
    response_.set_header("Cache-Control", "no-store");
    // The page moves into the response instead of being copied (it can be
    // megabytes for a table with many pages).
    response_.body = std::move(body);
    response_.set_header("Content-Type", contentType);
  }
  void SendDownload(const std::string& contentType, const std::string& fileName,
                    zyl::TStream& content) override {
    for (const auto& [name, value] : GetAnswerHeaders()) response_.set_header(name, value);
    response_.status = 200;
    response_.set_header("Content-Disposition",
                         "attachment; " + zyl::DispositionFileName(fileName));
    response_.set_header("Cache-Control", "no-store");
    content.SetPosition(0);
    response_.body.assign(static_cast<std::size_t>(content.GetSize()), '\0');
    if (!response_.body.empty()) content.ReadBuffer(response_.body.data(), response_.body.size());
    response_.set_header("Content-Type", contentType);
  }

 private:
  const httplib::Request& request_;
  httplib::Response& response_;
};

void Answer(const PageBuilder& builder, const httplib::Request& req, std::string body,
            httplib::Response& res, bool tls) {
  HttpChannel channel(req, std::move(body), res, tls);
  builder.Handle(channel);
}

}  // namespace

int RunHttpServer(const SiteConfig& config, const ServerSettings& settings) {
  KeepHeapForRequests();
  // SIGINT and SIGTERM are taken by one thread that stops the server; every
  // other thread (the server's pool included) inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<zyl::SQLiteCountCache> counts;
  if (settings.countCache) counts = std::make_unique<zyl::SQLiteCountCache>();
  zyl::SQLiteConnectionPool connections;
  zyl::PgEstimateCache estimates;
  SharedSourcesInUse sharedInUse({counts.get(), &connections, &estimates});
  PageBuilder builder(
      config, [](const std::string& line) { LogLine(line); }, true);
  const bool tls = !settings.tlsCert.empty();
  std::unique_ptr<httplib::Server> serverOwner;
  if (tls) {
    serverOwner =
        std::make_unique<httplib::SSLServer>(settings.tlsCert.c_str(), settings.tlsKey.c_str());
    if (!serverOwner->is_valid()) {
      std::cerr << "zylgrid: cannot use the TLS certificate " << settings.tlsCert << " with key "
                << settings.tlsKey << "\n";
      return 2;
    }
  } else {
    serverOwner = std::make_unique<httplib::Server>();
  }
  httplib::Server& server = *serverOwner;
  server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  httplib::Headers answerHeaders;
  for (const auto& [name, value] : kAnswerHeaders) answerHeaders.emplace(name, value);
  server.set_default_headers(answerHeaders);
  server.set_payload_max_length(kMaxBody);
  server.set_read_timeout(kReadTimeout, 0);
  server.set_write_timeout(30, 0);
  server.set_keep_alive_timeout(5);
  ConnectionGuard guard(settings.limits);

  // A body announced over the limit gets its 413 before it is read: the
  // server would otherwise read the whole announced length (or wait for it
  // until the read timeout) to throw it away.
  server.set_pre_routing_handler([&guard](const httplib::Request& req, httplib::Response& res) {
    guard.HeadRead(req.remote_addr, req.remote_port);
    if (!AnnouncesTooMuch(req)) return httplib::Server::HandlerResponse::Unhandled;
    res.status = 413;
    res.set_header("Connection", "close");
    res.set_content("Request too large\n", "text/plain; charset=UTF-8");
    return httplib::Server::HandlerResponse::Handled;
  });
  const std::string images = config.imagesURL;
  const std::string imagesDir = config.imagesDir;
  auto route = [&](const httplib::Request& req, std::string body, httplib::Response& res) {
    if (req.path == "/" || req.path == "/index.html") {
      Answer(builder, req, std::move(body), res, tls);
      return;
    }
    if (req.method != "POST" && req.path.size() > images.size() &&
        req.path.compare(0, images.size(), images) == 0) {
      std::string name = req.path.substr(images.size());
      std::string bytes;
      if (ReadImage(imagesDir, name, bytes)) {
        res.set_header("Cache-Control", "public, max-age=86400");
        res.set_content(bytes, ImageContentType(name).c_str());
        return;
      }
    }
    res.status = 404;
    res.set_content("Not found\n", "text/plain; charset=UTF-8");
  };
  server.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
    route(req, std::string(), res);
  });
  // Posted forms are read through a content reader: the server's own form
  // parsing would refuse bodies above 8 KiB, which a page of edits exceeds.
  server.Post(".*", [&](const httplib::Request& req, httplib::Response& res,
                        const httplib::ContentReader& reader) {
    std::string body;
    bool complete = reader([&](const char* data, std::size_t length) {
      if (body.size() + length > kMaxBody) return false;
      body.append(data, length);
      return true;
    });
    if (!complete) {
      res.status = 413;
      res.set_content("Request too large\n", "text/plain; charset=UTF-8");
      return;
    }
    route(req, std::move(body), res);
  });
  // Other methods: 405 with the methods the program answers.
  auto notAllowed = [](const httplib::Request&, httplib::Response& res) {
    res.status = 405;
    res.set_header("Allow", "GET, HEAD, POST");
    res.set_content("Method not allowed\n", "text/plain; charset=UTF-8");
  };
  server.Put(".*", notAllowed);
  server.Patch(".*", notAllowed);
  server.Delete(".*", notAllowed);
  server.Options(".*", notAllowed);
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
        try {
          if (error) std::rethrow_exception(error);
        } catch (const std::exception& e) {
          LogLine(std::string("request failed: ") + e.what());
        } catch (...) {
          LogLine("request failed: unknown error");
        }
        res.status = 500;
        res.set_content("Internal error\n", "text/plain; charset=UTF-8");
      });
  server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    std::string path = req.path.size() > 200 ? req.path.substr(0, 200) + "..." : req.path;
    LogLine(req.remote_addr + " " + req.method + " " + path + " " + std::to_string(res.status) +
            " " + std::to_string(res.body.size()));
  });

  if (!server.bind_to_port(settings.bind, settings.port)) {
    std::cerr << "zylgrid: cannot listen on " << settings.bind << ":" << settings.port << "\n";
    return 1;
  }
  std::thread stopper([&server, &stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    if (signal != SIGUSR1)
      LogLine(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
    server.stop();
  });
  std::string address =
      (tls ? "https://" : "http://") + settings.bind + ":" + std::to_string(settings.port) + "/";
  if (settings.banner.empty()) {
    std::cout << "zylgrid: serving " << address << std::endl;
  } else {
    std::cout << settings.banner << std::endl;
  }
  LogLine("listening on " + address);
  server.listen_after_bind();
  pthread_kill(stopper.native_handle(), SIGUSR1);
  stopper.join();
  LogLine("stopped");
  return 0;
}

}  // namespace zylgrid
