// Two `zylgrid serve` processes behind one imagined load balancer, with
// their update locks in one PostgreSQL table: a page got from one server is
// updated through the other, and a record added through one makes the
// pages of the other stale. Each server has a temporary directory of its
// own, so lock files could not carry this.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "AppTestSupport.h"
#include "HtmlForms.h"
#include "data/contract/PgServer.h"

namespace zylgrid {
namespace {

using zyl::harness::Form;
using zyl::harness::ScanForms;
using zyl::harness::UrlEncode;

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

// `zylgrid serve` on a free loopback port with a temporary directory of its
// own; stopped with SIGTERM when the object goes.
class Server {
 public:
  Server(const std::string& ini, const std::filesystem::path& tmp) : port_(FreePort()) {
    std::filesystem::create_directories(tmp);
    std::string log = (tmp / "server.log").string();
    std::string port = std::to_string(port_);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setenv("TMPDIR", tmp.c_str(), 1);
      FILE* out = std::freopen(log.c_str(), "w", stdout);
      if (out == nullptr || ::dup2(::fileno(stdout), 2) < 0) ::_exit(127);
      ::execl(ZYLGRID_BINARY, "zylgrid", "serve", "--config", ini.c_str(), "--port", port.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_read_timeout(30, 0);
    for (int i = 0; i < 200 && !ready_; ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      ready_ = static_cast<bool>(client_->Get("/images/GBevel.gif"));
      if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~Server() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  bool Ready() const { return ready_; }
  std::string Get() { return Body(client_->Get("/")); }
  // Posts form `name` of `page` with `button` clicked, after `fill`.
  std::string Click(const std::string& page, const std::string& name, const std::string& button,
                    const std::function<void(Form&)>& fill = {}) {
    for (Form& form : ScanForms(page)) {
      if (form.name != name) continue;
      if (fill) fill(form);
      std::string body = UrlEncode(form.Submission(button));
      return Body(client_->Post("/", body, "application/x-www-form-urlencoded"));
    }
    ADD_FAILURE() << "no form " << name;
    return std::string();
  }

 private:
  static std::string Body(const httplib::Result& result) {
    if (!result) {
      ADD_FAILURE() << "no answer";
      return std::string();
    }
    EXPECT_EQ(result->status, 200) << result->body;
    return result->body;
  }

  int port_;
  pid_t pid_ = -1;
  bool ready_ = false;
  std::unique_ptr<httplib::Client> client_;
};

// The first cell control of column `field` in the form.
std::string CellOf(const Form& form, int field) {
  std::string suffix = "_" + std::to_string(field);
  for (const auto& c : form.controls) {
    if (c.name.rfind("GCELL_", 0) == 0 && c.name.size() > suffix.size() &&
        c.name.compare(c.name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      return c.name;
    }
  }
  return std::string();
}

class ZylgridSharedLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    zyl::test::PgServer& server = zyl::test::PgServer::Get();
    if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
    db_ = test::MakeShopDb(dir_);
  }
  std::string Site(const std::string& locks) {
    return dir_.Write("site.ini", "[Page]\nLocks=" + locks +
                                      "\n[Customers]\nSource=sqlite:shop.db\nTable=customers\n"
                                      "Editable=1\nRowsPerPage=10\n");
  }
  std::string Name(int id) {
    return test::QueryText(db_, "SELECT Name FROM customers WHERE Id = " + std::to_string(id));
  }
  static std::string Rename(Server& server, const std::string& page, int recNo,
                            const std::string& name) {
    return server.Click(page, "Customers_TABLE", "GUPDATE",
                        [&](Form& f) { f.SetText("GCELL_" + std::to_string(recNo) + "_1", name); });
  }

  test::ScratchDir dir_;
  std::string db_;
};

constexpr const char* kRefused = "CANNOT UPDATE THE TABLE!";

TEST_F(ZylgridSharedLocks, APageOfOneServerIsUpdatedThroughTheOther) {
  std::string ini = Site("postgres:" + zyl::test::PgServer::Get().ConnInfo());
  Server a(ini, dir_.Path() / "tmp-a");
  Server b(ini, dir_.Path() / "tmp-b");
  ASSERT_TRUE(a.Ready() && b.Ready()) << "zylgrid serve did not start (see server.log)";

  std::string fromA = a.Click(a.Get(), "Customers_TABLE", "GRecNo1");
  std::string updated = Rename(b, fromA, 1, "Bea");
  EXPECT_EQ(Name(2), "Bea") << "the lock that A wrote lets B write";
  EXPECT_EQ(updated.find(kRefused), std::string::npos);

  // B adds a record: every page produced before, on either server, is stale.
  std::string stale = a.Click(a.Get(), "Customers_TABLE", "GRecNo2");
  std::string adding = b.Click(b.Get(), "Customers_TABLE", "GADD");
  b.Click(adding, "Customers_TABLE", "GUPDATE",
          [](Form& f) { f.SetText(CellOf(f, 1), "Dee"); });  // the Id comes from SQLite
  ASSERT_EQ(Name(4), "Dee");
  std::string refused = Rename(a, stale, 2, "late");
  EXPECT_EQ(Name(3), "Cy") << "a stale page of A writes nothing";
  EXPECT_NE(refused.find(kRefused), std::string::npos);

  Rename(a, refused, 2, "Cyd");
  EXPECT_EQ(Name(3), "Cyd") << "the refreshed page may write";
  for (const char* tmp : {"tmp-a", "tmp-b"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / tmp)) {
      EXPECT_NE(entry.path().extension(), ".upd") << entry.path() << ": no lock files";
    }
  }
}

TEST_F(ZylgridSharedLocks, LockFilesAreNotSharedBetweenServers) {
  std::string ini = Site("files");
  Server a(ini, dir_.Path() / "tmp-a");
  Server b(ini, dir_.Path() / "tmp-b");
  ASSERT_TRUE(a.Ready() && b.Ready()) << "zylgrid serve did not start (see server.log)";
  std::string fromA = a.Click(a.Get(), "Customers_TABLE", "GRecNo1");
  std::string refused = Rename(b, fromA, 1, "Bea");
  EXPECT_EQ(Name(2), "Bob") << "B has no lock file of A's page";
  EXPECT_NE(refused.find(kRefused), std::string::npos);
}

}  // namespace
}  // namespace zylgrid
