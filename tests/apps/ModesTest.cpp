// zylgrid as a web server runs it: serve over HTTP, fcgi, cgi once per request.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "ZylgridSupport.h"
#include "apps/zylgrid/LockSweeps.h"
#include "apps/zylgrid/PageBuilder.h"
#include "edit/EditTestSupport.h"
#include "platform/System.h"

namespace zylgrid {
namespace {

using zyl::harness::Form;

// Line breaks (CR LF and LF), a tab, quotes, and non-ASCII text.
const std::string kValue =
    "line one\r\nline two\nthree\tafter a tab \"double\" 'single' & = % + Gr\xC3\xBC\xC3\x9F"
    "e \xE2\x82\xAC";

const std::vector<std::pair<std::string, std::string>> kHeaders = {
    {"Sec-Fetch-Site", "same-origin"}};

class ZylgridModes : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::string(GetParam()) == "fcgi" && !test::HaveCgiFcgi()) {
      GTEST_SKIP() << "cgi-fcgi is not installed (scripts/install-deps browser)";
    }
    test::Sql(db_,
              "CREATE TABLE notes (Id INTEGER PRIMARY KEY, Note TEXT, Memo MEMO);"
              "INSERT INTO notes VALUES (1, 'n1', 'm1'), (2, 'n2', 'm2');");
    zylgrid_ = std::make_unique<test::Zylgrid>(
        GetParam(),
        test::Write(dir_, "site.ini",
                    "[Audit]\nFile=audit.jsonl\n[Notes]\nSource=sqlite:shop.db\nTable="
                    "notes\nEditable=1\nShowMemos=1\n"
                    "[Customers]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=2\nHeader=My "
                    "\"best\"\n"),
        dir_.Path() / "tmp");
    ASSERT_TRUE(zylgrid_->Ready()) << "zylgrid did not start (see tmp/server.log)";
  }
  std::string Stored(int id) {  // Note|Memo
    return test::Sql(db_, "SELECT Note || '|' || Memo FROM notes WHERE Id = " + std::to_string(id));
  }

  test::PrivateTempDir dir_;
  std::string db_ = test::MakeShopDb(dir_);
  std::unique_ptr<test::Zylgrid> zylgrid_;
};

// A value posted from a text input and a memo's text area is stored exactly
// by an update and by an add.
TEST_P(ZylgridModes, PostedValuesAreStoredExactly) {
  std::string page = zylgrid_->Click(zylgrid_->Get(), "Notes_TABLE", "GRecNo1");
  zylgrid_->Click(page, "Notes_TABLE", "GUPDATE", [](Form& f) {
    f.SetText("GCELL_1_1", kValue);
    f.SetText("GCELL_1_2", kValue);
  });
  EXPECT_EQ(Stored(2), kValue + "|" + kValue);
  std::string adding = zylgrid_->Click(zylgrid_->Get(), "Notes_TABLE", "GADD");
  zylgrid_->Click(adding, "Notes_TABLE", "GUPDATE", [](Form& f) {
    f.SetText(zyl::testing::CellControls(f, 1).at(0), kValue);  // the Id comes from SQLite
    f.SetText(zyl::testing::CellControls(f, 2).at(0), kValue);
  });
  EXPECT_EQ(Stored(3), kValue + "|" + kValue);
  EXPECT_EQ(Stored(1), "n1|m1");
  std::string audit = zyl::ReadFileBytes(dir_.File("audit.jsonl"));  // one line each
  EXPECT_NE(audit.find("\"action\":\"add\",\"record\":\"3\",\"old\":{},\"new\":{\"Id\":\"3\""),
            std::string::npos)
      << audit;
}

TEST_P(ZylgridModes, PagesAndDownloads) {
  test::Reply page = zylgrid_->Send("POST", "GName=Customers&GPage=1&GRPP=2&GNEXT.x=1&GNEXT.y=1");
  EXPECT_NE(page.head.find("text/html"), std::string::npos) << page.head;
  EXPECT_NE(page.body.find(">Cy<"), std::string::npos);
  EXPECT_EQ(page.body.find(">Ada<"), std::string::npos);
  test::Reply download =
      zylgrid_->Send("POST", "GName=Customers&GSave=TXT&GSAVEAS.x=1&GSAVEAS.y=1");
  EXPECT_NE(download.head.find("text/plain"), std::string::npos) << download.head;
  EXPECT_NE(download.head.find("\"My best.txt\""), std::string::npos) << download.head;
  EXPECT_NE(download.body.find("\"Ada\""), std::string::npos);
  // zylgrid (cgi, fcgi) loads the XLSX writer with its first workbook.
  test::Reply book = zylgrid_->Send("POST", "GName=Customers&GSave=XLSX&GSAVEAS.x=1&GSAVEAS.y=1");
  EXPECT_EQ(book.body.rfind("PK\x03\x04", 0), 0u) << book.head;
  if (std::string(GetParam()) == "serve") {  // refused before the body is awaited
    EXPECT_EQ(zylgrid_->Send("POST", "", "99999999999").status, 413);
    EXPECT_EQ(zylgrid_->Send("POST", "", "99999999999999999999999").status, 413);
  }
  for (const auto& [name, value] : kAnswerHeaders) {  // never framed, never sniffed
    for (const test::Reply* reply : {&page, &download}) {
      EXPECT_NE(reply->head.find(std::string(name) + ": " + value + "\r\n"), std::string::npos)
          << reply->head;
    }
  }
}

// A HEAD request's page is thrown away: it writes no update lock; a view
// of the page does.
TEST_P(ZylgridModes, HeadWritesNoLock) {
  auto locks = [&] {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / "tmp"))
      n += entry.path().extension() == ".upd";
    return n;
  };
  EXPECT_EQ(zylgrid_->Send("HEAD").status, 200);
  EXPECT_EQ(locks(), 0);
  zylgrid_->Get();
  EXPECT_GT(locks(), 0);
}

// A lock store that holds nothing; the sweep tests count its sweeps.
struct NoLocks : zyl::UpdateLockStore {
  void Write(const std::string&, const std::string&) override {}
  bool IsValid(const std::string&, const std::string&, long) override { return false; }
  bool Delete(const std::string&, const std::string&) override { return false; }
  int DeleteAll(const std::string&) override { return 0; }
  bool Claim(const std::string&, const std::string&, long) override { return false; }
  int DeleteOlderThan(const std::string&, long) override { return 0; }
};

// A server process sweeps beside the request that falls due: Sweep returns
// while the store's sweep still runs (it would hang here otherwise), and a
// page within the interval starts none.
TEST(BackgroundSweeps, TheRequestDoesNotWaitForTheSweep) {
  struct Store : NoLocks {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> sweeps{0};
    int Sweep(const std::string&, long, long, std::size_t) override {
      ++sweeps;
      released.wait();
      return 1;
    }
  } store;
  BackgroundSweeps sweeping(store);
  EXPECT_EQ(sweeping.Sweep("zylgrid", 60, 60, 0), 0);
  EXPECT_EQ(sweeping.Sweep("zylgrid", 60, 60, 0), 0);
  store.release.set_value();
  sweeping.Wait();
  EXPECT_EQ(store.sweeps, 1);
}

// A CGI request hands the sweep that falls due to a detached process: the
// store sweeps there (at once: the date was taken), never in the request.
TEST(DetachedSweeps, TheStoreSweepsInAnotherProcess) {
  test::PrivateTempDir dir;
  struct Store : NoLocks {
    std::string marker;
    int sweeps = 0;
    int Sweep(const std::string&, long, long interval, std::size_t) override {
      std::ofstream(marker + std::to_string(interval)) << ::getpid();
      return ++sweeps;
    }
  } store;
  store.marker = dir.File("swept-");
  const std::string prefix = "zylgrid-detached-" + std::to_string(::getpid());
  EXPECT_EQ(DetachedSweeps(store).Sweep(prefix, 60, 60, 0), 0);
  for (int i = 0; i < 600 && !std::filesystem::exists(store.marker + "0"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_NE(zyl::ReadFileBytes(store.marker + "0"), std::to_string(::getpid()));
  EXPECT_EQ(store.sweeps, 0);
  std::filesystem::remove(zyl::TempDirectory() + prefix + ".upd.sweep");
}

// A change needs the GUID the site issued to this browser: posts from
// another site, with a GUID made up, or without the browser's cookie change
// nothing and say so; the page's own post goes through.
TEST_P(ZylgridModes, ForgedChangesAreRefused) {
  std::string page = zylgrid_->Click(zylgrid_->Get(), "Notes_TABLE", "GRecNo1");
  for (const auto& [header, value, guid] :
       std::initializer_list<std::tuple<std::string, std::string, std::string>>{
           {"Origin", "http://evil.example", ""},
           {"Sec-Fetch-Site", "cross-site", ""},
           {"", "", "0F8FAD5B-D9CB-469F-A165-70867728950E"},
           {"", "no cookie", ""}}) {
    zylgrid_->SetHeaders(header.empty() ? decltype(kHeaders){}
                                        : decltype(kHeaders){{header, value}});
    zylgrid_->KeepCookie(value != "no cookie");
    std::string answer = zylgrid_->Click(page, "Notes_TABLE", "GUPDATE", [&, made = guid](Form& f) {
      f.SetText("GCELL_1_1", "forged");
      if (!made.empty()) f.SetText("GUID", made);
    });
    EXPECT_NE(answer.find("NOTHING WAS CHANGED"), std::string::npos) << header << value << guid;
    EXPECT_EQ(Stored(2), "n2|m2") << header << value << guid;
  }
  zylgrid_->SetHeaders(kHeaders), zylgrid_->KeepCookie(true);
  test::Reply first = zylgrid_->Send("GET");
  for (const char* part : {"Set-Cookie: zylgrid_af=", "HttpOnly; SameSite=Strict",
                           "script-src 'unsafe-hashes' 'sha256-"})
    EXPECT_NE(first.head.find(part), std::string::npos) << first.head;
  page = zylgrid_->Click(first.body, "Notes_TABLE", "GRecNo1");
  zylgrid_->Click(page, "Notes_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_1_1", "own"); });
  EXPECT_EQ(Stored(2), "own|m2");
}

// serve and fcgi keep record counts: an insert by another connection shows
// on the next request all the same.
TEST_P(ZylgridModes, AnInsertShowsOnTheNextRequest) {
  EXPECT_NE(zylgrid_->Get().find(">Bob<"), std::string::npos);
  zylgrid_->Get();
  test::Sql(db_, "INSERT INTO customers VALUES (0, 'Dora')");
  EXPECT_NE(zylgrid_->Get().find(">Dora<"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Modes, ZylgridModes, ::testing::Values("serve", "cgi", "fcgi"));

TEST(ZylgridCgi, TheScriptIsTheFormActionAndBadRequestsGetAnAnswer) {
  test::PrivateTempDir dir;
  test::MakeShopDb(dir);
  std::string ini =
      test::Write(dir, "site.ini", "[Customers]\nSource=sqlite:shop.db\nTable=customers\n");
  test::Zylgrid cgi("cgi", ini, dir.Path());
  test::Reply page = cgi.Send("GET");
  EXPECT_EQ(page.head.rfind("Content-Type: text/html; charset=UTF-8\r\n" + AnswerHeaderLines(), 0),
            0u);
  EXPECT_EQ(page.body.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.body.find("ACTION=\"/shop.cgi#Customers\""), std::string::npos);
  EXPECT_EQ(cgi.ExitStatus(), 0);
  EXPECT_EQ(cgi.Send("POST", "GName=Customers", "5000").status, 500) << "a short body";
  EXPECT_EQ(cgi.ExitStatus(), 0);
  for (const char* length : {"-5", "abc", "99999999999999999999"}) {
    EXPECT_NE(cgi.Send("POST", "GName=Customers", length).body.find("</html>"), std::string::npos)
        << length;
    EXPECT_EQ(cgi.ExitStatus(), 0);
  }
  test::Write(dir, "site.ini", "[Customers]\nSource=sqlite:shop.db\nTable=nothere\n");
  page = cgi.Send("GET");
  EXPECT_EQ(page.status, 500);
  EXPECT_EQ(page.body.find("nothere"), std::string::npos) << "says nothing about the configuration";
}

// 50 clients that never finish their headers leave workers for others; with
// a certificate the same page comes over HTTPS only.
// A client that connects from `from` (a loopback address) and sends half a
// request head; the socket waits up to 60 s for an answer.
int HalfHead(const char* from, int port) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{AF_INET, 0, {::inet_addr(from)}, {}};
  sockaddr_in server{
      AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
  timeval wait{60, 0};
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  bool sent = ::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
              ::connect(s, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0 &&
              ::write(s, "GET / HTTP/1.1\r\nHost: x\r\n", 25) > 0;
  EXPECT_TRUE(sent);
  return s;
}

// Slow clients from one address hold at most its cap of connections, each
// until the deadline of its first request head; the server closes the
// others at once and answers a visitor meanwhile.
TEST(ZylgridServe, SlowClientsDoNotBlockAndTlsServes) {
  test::PrivateTempDir dir;
  test::MakeShopDb(dir);
  std::string ini =
      test::Write(dir, "site.ini", "[Customers]\nSource=sqlite:shop.db\nTable=customers\n");
  test::Zylgrid plain("serve", ini, dir.Path() / "plain",
                      {"--max-per-address", "4", "--head-timeout", "2"});
  ASSERT_TRUE(plain.Ready());
  std::vector<int> slow;
  for (int i = 0; i < 50; ++i) slow.push_back(HalfHead("127.0.0.2", plain.Port()));
  httplib::Client visitor("127.0.0.1", plain.Port());
  visitor.set_read_timeout(8, 0);
  httplib::Result page = visitor.Get("/");
  ASSERT_TRUE(page) << "no answer while they wait";
  EXPECT_NE(page->body.find(">Ada<"), std::string::npos);
  // They go on sending a header line a second, so only a deadline on the
  // whole head ends them (the server's read timeout never runs out).
  std::vector<pollfd> waiting;
  for (int s : slow) waiting.push_back({s, POLLIN, 0});
  int closed = 0;
  for (int round = 0; round < 30 && closed < 50; ++round) {
    ::poll(waiting.data(), waiting.size(), 1000);
    for (pollfd& w : waiting) {
      if (w.fd < 0) continue;
      if (w.revents != 0) {
        ::close(w.fd), w.fd = -1, ++closed;
      } else {
        ::send(w.fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL);  // (closed meanwhile: seen next round)
      }
    }
  }
  EXPECT_EQ(closed, 50);
  for (const pollfd& w : waiting) {
    if (w.fd >= 0) ::close(w.fd);
  }
  // The default head deadline keeps slow clients from every address out of
  // the 64 workers' way too.
  test::Zylgrid open("serve", ini, dir.Path() / "open");
  ASSERT_TRUE(open.Ready());
  for (int i = 0; i < 50; ++i)
    slow[static_cast<std::size_t>(i)] = HalfHead(i % 2 ? "127.0.0.3" : "127.0.0.4", open.Port());
  EXPECT_NE(open.Get().find(">Ada<"), std::string::npos);
  for (int s : slow) ::close(s);

  std::string key = dir.File("key.pem"), cert = dir.File("cert.pem");
  ASSERT_EQ(std::system(
                ("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost -keyout " +
                 key + " -out " + cert + " 2>/dev/null")
                    .c_str()),
            0);
  test::Zylgrid secure("serve", ini, dir.Path() / "tls", {"--tls-cert", cert, "--tls-key", key});
  ASSERT_TRUE(secure.Ready());
  EXPECT_NE(secure.Get().find(">Ada<"), std::string::npos);
  httplib::Client cleartext("127.0.0.1", secure.Port());
  EXPECT_FALSE(cleartext.Get("/")) << "no HTTP on the HTTPS port";
}

TEST(ZylgridDemo, CreatesTheSampleDatabaseAndServesItsPage) {
  test::PrivateTempDir dir;
  test::Zylgrid demo("demo", "", dir.Path() / "tmp", {"--data", dir.File("demo")});
  ASSERT_TRUE(demo.Ready()) << "zylgrid demo did not start (see tmp/server.log)";
  EXPECT_NE(demo.Get().find("ZylHG demo: customers and orders"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("demo/zylgrid-demo.db")));
}

}  // namespace
}  // namespace zylgrid
