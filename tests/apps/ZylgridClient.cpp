#include "ZylgridClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace zylgrid::test {

namespace {

constexpr const char* kCgiFcgi = "/usr/bin/cgi-fcgi";

// Runs `program` with `args` and exactly `environment`; standard input from
// `in`, standard output to `out` and standard error to `err` (file names;
// empty: /dev/null). Returns the child's process id.
pid_t Spawn(const char* program, const std::vector<std::string>& args,
            const std::vector<std::string>& environment, const std::string& in,
            const std::string& out, const std::string& err) {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  auto redirect = [](const std::string& name, int fd, int flags) {
    int opened = ::open(name.empty() ? "/dev/null" : name.c_str(), flags, 0600);
    if (opened < 0 || ::dup2(opened, fd) < 0) ::_exit(127);
    ::close(opened);
  };
  redirect(in, 0, O_RDONLY);
  redirect(out, 1, O_WRONLY | O_CREAT | O_TRUNC);
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

std::string ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Splits CGI-style output ("Status: 404 ..." optional, header lines, an
// empty line, the body) into a reply.
Reply ParseCgiOutput(const std::string& output) {
  Reply reply;
  std::size_t end = output.find("\r\n\r\n");
  if (end == std::string::npos) return reply;
  reply.answered = true;
  reply.head = output.substr(0, end + 2);
  reply.body = output.substr(end + 4);
  reply.status = 200;
  if (reply.head.rfind("Status: ", 0) == 0) reply.status = std::stoi(reply.head.substr(8, 3));
  return reply;
}

// Runs `program` once with the CGI variables of a request (CONTENT_LENGTH
// set to `length`), TMPDIR and `more`, and `body` on standard input;
// returns standard output and the exit status in `exitStatus`.
std::string Run(const char* program, const std::vector<std::string>& args,
                const std::filesystem::path& tmp, const std::string& method,
                const std::string& query, const std::string& body, const std::string& length,
                std::vector<std::string> more, int& exitStatus) {
  std::filesystem::create_directories(tmp);
  std::string in = (tmp / "request-stdin").string();
  std::string out = (tmp / "request-stdout").string();
  std::ofstream(in, std::ios::binary) << body;
  more.insert(more.end(),
              {"GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=" + method, "CONTENT_LENGTH=" + length,
               "QUERY_STRING=" + query, "CONTENT_TYPE=application/x-www-form-urlencoded",
               "TMPDIR=" + tmp.string()});
  pid_t pid = Spawn(program, args, more, in, out, "");
  int status = 0;
  ::waitpid(pid, &status, 0);
  exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ReadFile(out);
}

int Connect(int port) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(s);
    return -1;
  }
  return s;
}

// zylgrid serve or fcgi on a free port, stopped with SIGTERM at the end.
class LongLived : public ZylgridClient {
 public:
  LongLived(const std::string& mode, const std::string& ini, const std::filesystem::path& tmp,
            const std::vector<std::string>& options)
      : port_(FreePort()) {
    std::vector<std::string> args{mode, "--config", ini, "--port", std::to_string(port_)};
    args.insert(args.end(), options.begin(), options.end());
    std::string log = (tmp / "server.log").string();
    std::vector<std::string> environment{"TMPDIR=" + tmp.string()};
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::string(*e).rfind("TMPDIR=", 0) != 0) environment.emplace_back(*e);
    }
    pid_ = Spawn(ZYLGRID_BINARY, args, environment, "", log, log);
    // Ready once the port takes connections, or given up when the program ends.
    for (int i = 0; i < 400 && !ready_; ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      int s = Connect(port_);
      ready_ = s >= 0;
      if (ready_) ::close(s);
      if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  }
  ~LongLived() override {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  bool Ready() const override { return ready_; }

 protected:
  int port_;

 private:
  pid_t pid_ = -1;
  bool ready_ = false;
};

class ServeClient : public LongLived {
 public:
  using LongLived::LongLived;
  Reply Send(const std::string& method, const std::string& query,
             const std::string& body) override {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(60, 0);
    std::string target = query.empty() ? "/" : "/?" + query;
    httplib::Result result = method == "POST"
                                 ? client.Post(target, body, "application/x-www-form-urlencoded")
                                 : client.Get(target);
    Reply reply;
    if (!result) return reply;
    reply.answered = true;
    reply.status = result->status;
    for (const auto& [name, value] : result->headers) reply.head += name + ": " + value + "\r\n";
    reply.body = result->body;
    return reply;
  }
};

// A FastCGI request as a web server sends it, through libfcgi's cgi-fcgi.
class FcgiClient : public LongLived {
 public:
  FcgiClient(const std::string& mode, const std::string& ini, const std::filesystem::path& tmp,
             const std::vector<std::string>& options)
      : LongLived(mode, ini, tmp, options), tmp_(tmp) {}
  Reply Send(const std::string& method, const std::string& query,
             const std::string& body) override {
    int exitStatus = -1;
    std::string output =
        Run(kCgiFcgi, {"-bind", "-connect", "127.0.0.1:" + std::to_string(port_)}, tmp_, method,
            query, body, std::to_string(body.size()),
            {"DOCUMENT_URI=/", "REQUEST_URI=/", "REMOTE_ADDR=127.0.0.1"}, exitStatus);
    return ParseCgiOutput(output);
  }

 private:
  std::filesystem::path tmp_;
};

class CgiClient : public ZylgridClient {
 public:
  CgiClient(std::string ini, std::filesystem::path tmp)
      : ini_(std::move(ini)), tmp_(std::move(tmp)) {}
  Reply Send(const std::string& method, const std::string& query,
             const std::string& body) override {
    int exitStatus = -1;
    std::string output =
        RunCgi(ini_, tmp_, method, query, body, std::to_string(body.size()), exitStatus);
    EXPECT_EQ(exitStatus, 0);
    return ParseCgiOutput(output);
  }

 private:
  std::string ini_;
  std::filesystem::path tmp_;
};

}  // namespace

int FreePort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = -1;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(s);
  return port;
}

std::string ZylgridClient::Get() {
  Reply reply = Send("GET", "", "");
  EXPECT_EQ(reply.status, 200) << reply.body.substr(0, 400);
  return reply.body;
}

std::string ZylgridClient::Click(const std::string& page, const std::string& name,
                                 const std::string& button,
                                 const std::function<void(zyl::harness::Form&)>& fill) {
  for (zyl::harness::Form& form : zyl::harness::ScanForms(page)) {
    if (form.name != name) continue;
    if (fill) fill(form);
    Reply reply = Send("POST", "", zyl::harness::UrlEncode(form.Submission(button)));
    EXPECT_EQ(reply.status, 200) << reply.body.substr(0, 400);
    return reply.body;
  }
  ADD_FAILURE() << "no form " << name;
  return std::string();
}

std::unique_ptr<ZylgridClient> StartZylgrid(const std::string& mode, const std::string& ini,
                                            const std::filesystem::path& tmp,
                                            const std::vector<std::string>& options) {
  std::filesystem::create_directories(tmp);
  if (mode == "cgi") return std::make_unique<CgiClient>(ini, tmp);
  if (mode == "fcgi") {
    if (::access(kCgiFcgi, X_OK) != 0) return nullptr;
    return std::make_unique<FcgiClient>(mode, ini, tmp, options);
  }
  return std::make_unique<ServeClient>(mode, ini, tmp, options);
}

std::string RunCgi(const std::string& ini, const std::filesystem::path& tmp,
                   const std::string& method, const std::string& query, const std::string& body,
                   const std::string& length, int& exitStatus) {
  return Run(ZYLGRID_BINARY, {}, tmp, method, query, body, length,
             {"SCRIPT_NAME=/shop.cgi", "ZYLGRID_CONFIG=" + ini}, exitStatus);
}

}  // namespace zylgrid::test
