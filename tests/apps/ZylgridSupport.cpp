#include "ZylgridSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "apps/zylgrid/PageBuilder.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace zylgrid::test {

namespace {

constexpr const char* kCgiFcgi = "/usr/bin/cgi-fcgi";

// Runs `program` with `args` and exactly `environment`; standard input, output
// and error from and to files (empty: /dev/null).
pid_t Spawn(const char* program, const std::vector<std::string>& args,
            const std::vector<std::string>& environment, const std::string& in,
            const std::string& out, const std::string& err = "") {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  auto redirect = [](const std::string& name, int fd, int flags) {
    int opened = ::open(name.empty() ? "/dev/null" : name.c_str(), flags, 0600);
    if (opened < 0 || ::dup2(opened, fd) < 0) ::_exit(127);
    ::close(opened);
  };
  redirect(in, 0, O_RDONLY);
  redirect(out, 1, O_WRONLY | O_CREAT | O_APPEND);
  redirect(err, 2, O_WRONLY | O_CREAT | O_APPEND);
  std::vector<char*> argv{const_cast<char*>(program)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  ::execve(program, argv.data(), envp.data());
  ::_exit(127);
}

// A free loopback port (`port` 0), or whether `port` takes connections.
int LoopbackPort(int port) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  auto* a = reinterpret_cast<sockaddr*>(&address);
  int result = port != 0 ? ::connect(s, a, length) == 0
               : ::bind(s, a, length) == 0 && ::getsockname(s, a, &length) == 0
                   ? ntohs(address.sin_port)
                   : -1;
  ::close(s);
  return result;
}

}  // namespace

std::string Write(const PrivateTempDir& dir, const std::string& name, const std::string& text) {
  std::ofstream(dir.File(name), std::ios::binary | std::ios::trunc) << text;
  return dir.File(name);
}

std::string MakeShopDb(const PrivateTempDir& dir) {
  Sql(dir.File("shop.db"),
      "CREATE TABLE customers (Id INTEGER PRIMARY KEY, Name TEXT);"
      "INSERT INTO customers VALUES (1, 'Ada'), (2, 'Bob'), (3, 'Cy');"
      "CREATE TABLE orders (OrderId INTEGER PRIMARY KEY, CustomerId INTEGER, Item TEXT,"
      " Qty INTEGER, Due DATE, Paid BOOLEAN, Status TEXT);"
      "INSERT INTO orders VALUES (10, 1, 'Lamp', 2, '2024-03-01', 1, 'New'),"
      " (11, 1, 'Desk', 1, '2024-04-15', 0, 'Shipped'), (12, 2, 'Pen', 9, NULL, 0, 'New');");
  return dir.File("shop.db");
}

zyl::WebModuleChannel::Answer Ask(const PageBuilder& builder, const std::string& method,
                                  const std::string& query, const std::string& body) {
  zyl::WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", method);
  channel.SetVariable("QUERY_STRING", query);
  channel.SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
  channel.SetBody(body);
  builder.Handle(channel);
  return channel.GetAnswer();
}

bool HaveCgiFcgi() {
  return ::access(kCgiFcgi, X_OK) == 0;
}

Zylgrid::Zylgrid(std::string mode, std::string ini, std::filesystem::path tmp,
                 const std::vector<std::string>& options)
    : mode_(std::move(mode)), ini_(std::move(ini)), tmp_(std::move(tmp)) {
  std::filesystem::create_directories(tmp_);
  if (mode_ == "cgi") return;
  port_ = LoopbackPort(0);
  std::vector<std::string> args{mode_, "--port", std::to_string(port_)};
  if (mode_ != "demo") args.insert(args.end(), {"--config", ini_});
  args.insert(args.end(), options.begin(), options.end());
  tls_ = std::find(options.begin(), options.end(), "--tls-cert") != options.end();
  std::vector<std::string> environment{"TMPDIR=" + tmp_.string()};
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string(*e).rfind("TMPDIR=", 0) != 0) environment.emplace_back(*e);
  }
  std::string log = (tmp_ / "server.log").string();
  pid_ = Spawn(ZYLGRID_BINARY, args, environment, "", log, log);
  ready_ = false;
  for (int i = 0; i < 400 && !ready_; ++i) {  // until it listens, or gives up when it ends
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      pid_ = -1;
      break;
    }
    if (!(ready_ = LoopbackPort(port_) == 1))
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
}

Zylgrid::~Zylgrid() {
  if (pid_ > 0 && ::kill(pid_, SIGTERM) == 0) ::waitpid(pid_, nullptr, 0);
}

Reply Zylgrid::Send(const std::string& method, const std::string& body, const std::string& length) {
  Reply reply = SendOnce(method, body, length);
  for (std::size_t at = reply.head.find("Set-Cookie: "); keepCookie_ && at != std::string::npos;
       at = reply.head.find("Set-Cookie: ", at + 1)) {
    std::string line = reply.head.substr(at + 12, reply.head.find('\r', at) - at - 12);
    std::string pair = line.substr(0, line.find(';'));
    std::size_t eq = pair.find('=');
    if (eq == std::string::npos) continue;
    if (line.find("Max-Age=0") != std::string::npos) {
      cookies_.erase(pair.substr(0, eq));
    } else {
      cookies_[pair.substr(0, eq)] = pair.substr(eq + 1);
    }
  }
  return reply;
}

Reply Zylgrid::SendOnce(const std::string& method, const std::string& body, const std::string& length) {
  Reply reply;
  // The cookies kept, after those a "Cookie" header of the test names.
  std::vector<std::pair<std::string, std::string>> sent;
  std::string cookie;
  for (const auto& [name, value] : headers) {
    if (zyl::AsciiLowerCase(name) == "cookie") {
      cookie = value;
    } else {
      sent.emplace_back(name, value);
    }
  }
  for (const auto& [name, value] : cookies_) {
    if (("; " + cookie).find("; " + name + "=") != std::string::npos) continue;
    cookie += (cookie.empty() ? "" : "; ") + name + "=" + value;
  }
  if (!cookie.empty()) sent.emplace_back("Cookie", cookie);
  if (mode_ == "serve" && !length.empty()) {  // the head only; the body never comes
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval wait{10, 0};  // the server's own read timeout is 30 s
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string head = method + " / HTTP/1.1\r\nHost: x\r\nContent-Length: " + length + "\r\n\r\n";
    char answer[4096];
    ssize_t n = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                        ::write(s, head.data(), head.size()) > 0
                    ? ::read(s, answer, sizeof answer)
                    : 0;
    ::close(s);
    reply.head.assign(answer, n > 12 ? static_cast<std::size_t>(n) : 0);
    if (!reply.head.empty()) reply.status = std::stoi(reply.head.substr(9, 3));
    return reply;
  }
  if (mode_ == "serve" || mode_ == "demo") {
    httplib::Headers fields(sent.begin(), sent.end());
    std::string target = query.empty() ? "/" : "/?" + query;
    auto ask = [&](auto& client) {
      client.set_read_timeout(60, 0);
      return method == "POST"   ? client.Post(target, fields, body, "application/x-www-form-urlencoded")
             : method == "HEAD" ? client.Head(target, fields)
                                : client.Get(target, fields);
    };
    httplib::SSLClient secure("127.0.0.1", port_);
    secure.enable_server_certificate_verification(false);  // made by the test
    httplib::Client plain("127.0.0.1", port_);
    httplib::Result result = tls_ ? ask(secure) : ask(plain);
    if (!result) return reply;
    reply.status = result->status;
    for (const auto& [name, value] : result->headers) reply.head += name + ": " + value + "\r\n";
    reply.body = result->body;
    return reply;
  }
  // CGI: the answer is an optional "Status: ...", header lines, an empty line, the body.
  std::string in = tmp_ / "request-stdin", out = tmp_ / "request-stdout";
  std::ofstream(in, std::ios::binary) << body;
  std::filesystem::remove(out);
  // clang-format off
  std::vector<std::string> environment{"GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=" + method,
      "CONTENT_LENGTH=" + (length.empty() ? std::to_string(body.size()) : length), "QUERY_STRING=" + query,
      "CONTENT_TYPE=application/x-www-form-urlencoded", "TMPDIR=" + tmp_.string(), "DOCUMENT_URI=/",
      "REQUEST_URI=/", "REMOTE_ADDR=127.0.0.1", "SCRIPT_NAME=/shop.cgi", "ZYLGRID_CONFIG=" + ini_};
  // clang-format on
  for (auto [name, value] : sent) {  // Cookie: HTTP_COOKIE
    for (char& c : name) c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    environment.push_back("HTTP_" + name + "=" + value);
  }
  pid_t pid = mode_ == "cgi"
                  ? Spawn(ZYLGRID_BINARY, {}, environment, in, out)
                  : Spawn(kCgiFcgi, {"-bind", "-connect", "127.0.0.1:" + std::to_string(port_)},
                          environment, in, out);
  int status = 0;
  ::waitpid(pid, &status, 0);
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::string output = zyl::ReadFileBytes(out);
  std::size_t end = output.find("\r\n\r\n");
  if (end == std::string::npos) return reply;
  reply.head = output.substr(0, end + 2);
  reply.body = output.substr(end + 4);
  reply.status = reply.head.rfind("Status: ", 0) == 0 ? std::stoi(reply.head.substr(8, 3)) : 200;
  return reply;
}

std::string Zylgrid::Get() {
  Reply reply = Send("GET");
  EXPECT_EQ(reply.status, 200) << reply.body.substr(0, 400);
  return reply.body;
}

std::string Zylgrid::Click(const std::string& page, const std::string& name,
                           const std::string& button,
                           const std::function<void(zyl::harness::Form&)>& fill) {
  for (zyl::harness::Form& form : zyl::harness::ScanForms(page)) {
    if (form.name != name) continue;
    if (fill) fill(form);
    Reply reply = Send("POST", zyl::harness::UrlEncode(form.Submission(button)));
    EXPECT_EQ(reply.status, 200) << reply.body.substr(0, 400);
    return reply.body;
  }
  ADD_FAILURE() << "no form " << name;
  return std::string();
}

}  // namespace zylgrid::test
