// zylgrid as a web server runs it: serve over HTTP, fcgi, cgi once per request.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "ZylgridSupport.h"
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
  if (std::string(GetParam()) == "serve") {  // refused before the body is awaited
    EXPECT_EQ(zylgrid_->Send("POST", "", "99999999999").status, 413);
    EXPECT_EQ(zylgrid_->Send("POST", "", "99999999999999999999999").status, 413);
  }
  for (const auto& [name, value] : kAnswerHeaders) {  // never framed, never sniffed
    for (const test::Reply* reply : {&page, &download}) {
      EXPECT_NE(reply->head.find(std::string(name) + ": " + value + "\r\n"), std::string::npos) << reply->head;
    }
  }
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
  EXPECT_EQ(page.head, "Content-Type: text/html; charset=UTF-8\r\n" + AnswerHeaderLines());
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
TEST(ZylgridServe, SlowClientsDoNotBlockAndTlsServes) {
  test::PrivateTempDir dir;
  test::MakeShopDb(dir);
  std::string ini =
      test::Write(dir, "site.ini", "[Customers]\nSource=sqlite:shop.db\nTable=customers\n");
  test::Zylgrid plain("serve", ini, dir.Path() / "plain");
  ASSERT_TRUE(plain.Ready());
  std::vector<int> slow;
  for (int i = 0; i < 50; ++i) {
    slow.push_back(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{
        AF_INET, htons(static_cast<std::uint16_t>(plain.Port())), {htonl(INADDR_LOOPBACK)}, {}};
    ASSERT_EQ(::connect(slow.back(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_GT(::write(slow.back(), "GET / HTTP/1.1\r\nHost: x\r\n", 25), 0);
  }
  httplib::Client visitor("127.0.0.1", plain.Port());
  visitor.set_read_timeout(8, 0);  // they hold their workers longer than that
  httplib::Result page = visitor.Get("/");
  ASSERT_TRUE(page) << "no answer while they wait";
  EXPECT_NE(page->body.find(">Ada<"), std::string::npos);
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
