// Sign-in, sessions and roles of zylgrid in each mode, as raw HTTP requests.
#include <gtest/gtest.h>

#include <algorithm>

#include "ZylgridSupport.h"
#include "apps/zylgrid/Access.h"
#include "apps/zylgrid/Audit.h"
#include "platform/System.h"

namespace zylgrid {
namespace {

using zyl::harness::Form;

// ann edits Notes and reads Customers; rob only reads Notes.
const char kSite[] =
    "[Page]\nUsersFile=users\nSessionMinutes=5\n[Audit]\nFile=audit.jsonl\n"
    "[Notes]\nSource=sqlite:shop.db\nTable=notes\nEditable=1\nEditors=ann\nReaders=rob\n"
    "[Customers]\nSource=sqlite:shop.db\nTable=customers\nReaders=ann\n";

class ZylgridAccess : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::string(GetParam()) == "fcgi" && !test::HaveCgiFcgi()) GTEST_SKIP() << "no cgi-fcgi";
    test::Sql(db_,
              "CREATE TABLE notes (Id INTEGER PRIMARY KEY, Note TEXT);"
              "INSERT INTO notes VALUES (1, 'n1'), (2, 'n2');");
    for (const char* user : {"ann", "rob"})
      SetUserPassword(dir_.File("users"), user, user + std::string("-pw"));
    zylgrid_ = std::make_unique<test::Zylgrid>(GetParam(), test::Write(dir_, "site.ini", kSite),
                                               dir_.Path() / "tmp");
    ASSERT_TRUE(zylgrid_->Ready());
  }
  // Signs `user` in; returns the Cookie header that carries the session.
  std::string SignIn(const std::string& user, const std::string& password, int status = 303) {
    zylgrid_->query = "zg=signin", zylgrid_->headers.clear();
    test::Reply reply = zylgrid_->Send("POST", "zg_user=" + user + "&zg_password=" + password);
    zylgrid_->query.clear();
    zylgrid_->ForgetCookie("zg_session");  // the tests send it themselves
    EXPECT_EQ(reply.status, status) << reply.body;
    std::size_t at = reply.head.find("zg_session=");
    return at == std::string::npos ? "" : reply.head.substr(at, reply.head.find(';', at) - at);
  }
  test::Reply As(const std::string& cookie, const std::string& body = "") {
    zylgrid_->headers = {{"Cookie", cookie}};
    return zylgrid_->Send(body.empty() ? "GET" : "POST", body);
  }

  test::PrivateTempDir dir_;
  std::string db_ = test::MakeShopDb(dir_);
  std::unique_ptr<test::Zylgrid> zylgrid_;
};

TEST_P(ZylgridAccess, SessionsAndRoles) {
  test::Reply signedOut = zylgrid_->Send("GET");
  EXPECT_EQ(signedOut.status, 401);
  EXPECT_NE(signedOut.body.find("action=\"?zg=signin\""), std::string::npos);
  EXPECT_EQ(SignIn("rob", "wrong", 401), "") << "no cookie for a wrong password";

  // Read-only: no edit controls, no other grid, and a crafted edit is refused.
  const std::string rob = SignIn("rob", "rob-pw"), ann = SignIn("ann", "ann-pw");
  ASSERT_FALSE(rob.empty());
  test::Reply page = As(rob);
  for (const auto& [text, shown] :
       std::initializer_list<std::pair<const char*, bool>>{{"Signed in as rob", true},
                                                           {"n1", true},
                                                           {"GCELL_", false},
                                                           {"GDEL", false},
                                                           {">Ada<", false}}) {
    EXPECT_EQ(page.body.find(text) != std::string::npos, shown) << text;
  }
  zylgrid_->headers = {{"Cookie", ann}};
  std::string annPage = zylgrid_->Click(zylgrid_->Get(), "Notes_TABLE", "GRecNo1");
  EXPECT_NE(annPage.find(">Ada<"), std::string::npos);
  zylgrid_->headers = {{"Cookie", rob}};
  std::string refused = zylgrid_->Click(annPage, "Notes_TABLE", "GUPDATE",
                                        [](Form& f) { f.SetText("GCELL_1_1", "forged"); });
  EXPECT_NE(refused.find("YOU MAY NOT CHANGE"), std::string::npos);
  EXPECT_EQ(test::Sql(db_, "SELECT Note FROM notes WHERE Id = 2"), "n2");
  zylgrid_->headers = {{"Cookie", ann}};
  std::string updated = zylgrid_->Click(annPage, "Notes_TABLE", "GUPDATE",
                                        [](Form& f) { f.SetText("GCELL_1_1", "mine\t\""); });
  EXPECT_EQ(test::Sql(db_, "SELECT Note FROM notes WHERE Id = 2"), "mine\t\"");
  zylgrid_->Click(updated, "Notes_TABLE", "GDEL");
  EXPECT_EQ(test::Sql(db_, "SELECT count(*) FROM notes"), "1");
  // The audit trail: one line per stored record, none for the refused post.
  std::string audit = zyl::ReadFileBytes(dir_.File("audit.jsonl"));
  const std::string tail = R"(","user":"ann","address":"127.0.0.1","grid":"Notes","action":")";
  for (const std::string& line :
       {tail + R"(update","record":"2","old":{"Note":"n2"},"new":{"Note":"mine\u0009\""}})",
        tail + R"(delete","record":"2","old":{"Id":"2","Note":"mine\u0009\""},"new":{}})"}) {
    EXPECT_NE(audit.find(line + "\n"), std::string::npos) << line << "\n" << audit;
  }
  EXPECT_EQ(std::count(audit.begin(), audit.end(), '\n'), 2);

  // Cookies that are not a live session of a user: the sign-in page.
  const std::int64_t kLater = 4000000000;
  SiteConfig config = LoadSiteConfig(dir_.File("site.ini"));
  Access site(config, LoadSiteSecret(config)), other(config, "another secret of the site");
  std::string forged =
      rob.substr(0, rob.size() - 3) + (rob.substr(rob.size() - 3) == "AAA" ? "BBB" : "AAA");
  for (const std::string& cookie : {std::string("zg_session=") + site.SessionValue("rob", 1000),
                                    "zg_session=" + other.SessionValue("rob", kLater),
                                    "zg_session=" + site.SessionValue("eve", kLater), forged,
                                    std::string("zg_session=a.b.c"), std::string()}) {
    EXPECT_EQ(As(cookie).status, 401) << cookie;
  }
  EXPECT_EQ(As("zg_session=" + site.SessionValue("rob", kLater)).status, 200);

  zylgrid_->query = "zg=signout";
  test::Reply out = As(rob, "x=1");
  EXPECT_EQ(out.status, 303);
  EXPECT_NE(out.head.find("zg_session=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict"),
            std::string::npos);
}

// Another site's form signs nobody in, with the right password either.
TEST_P(ZylgridAccess, AnotherSitesFormSignsNobodyIn) {
  zylgrid_->query = "zg=signin";
  zylgrid_->headers = {{"Sec-Fetch-Site", "cross-site"}};
  test::Reply reply = zylgrid_->Send("POST", "zg_user=ann&zg_password=ann-pw");
  EXPECT_EQ(reply.status, 403);
  EXPECT_EQ(reply.head.find("zg_session="), std::string::npos);
}

// Signing in returns to the view the visitor asked for; anything but a plain
// query string returns to the start page.
TEST_P(ZylgridAccess, SigningInReturnsToTheViewAskedFor) {
  zylgrid_->query = "GName=Notes&GPage=2";
  EXPECT_NE(zylgrid_->Send("GET").body.find(R"(name="zg_back" value="GName=Notes&amp;GPage=2")"),
            std::string::npos);
  for (const auto& [posted, location] : std::initializer_list<std::pair<const char*, const char*>>{
           {"GName%3DNotes%26GPage%3D2", "Location: ?GName=Notes&GPage=2\r"},
           {"x%0D%0ASet-Cookie%3A+a%3Db", "Location: ?\r"},
           {"zg%3Dsignout", "Location: ?\r"}}) {
    zylgrid_->query = "zg=signin", zylgrid_->headers.clear();
    test::Reply reply =
        zylgrid_->Send("POST", "zg_user=ann&zg_password=ann-pw&zg_back=" + std::string(posted));
    EXPECT_NE(reply.head.find(location), std::string::npos) << posted << "\n" << reply.head;
    EXPECT_EQ(reply.head.find("a=b"), std::string::npos);
  }
}

// Failed sign-ins hold the address back, the right password included.
TEST_P(ZylgridAccess, FailedSignInsHoldTheAddressBack) {
  for (int i = 0; i < 5; ++i) SignIn("ann", "guess" + std::to_string(i), 401);
  EXPECT_EQ(SignIn("ann", "ann-pw", 429), "");
}

TEST(ZylgridAudit, AnAddedRecordAndNullsInJson) {
  Visitor visitor{"", "::1", {}};
  zyl::TRecordChange add{zyl::TRecordChangeKind::rcAdd,
                         "3",
                         {{"A", std::nullopt, "x"}, {"B", std::nullopt, std::nullopt}, {"C", std::nullopt, "a\xff"}}};
  EXPECT_EQ(AuditLine(0, visitor, "G", add),
            R"({"time":"1970-01-01T00:00:00Z","user":"","address":"::1","grid":"G","action":"add",)"
            R"("record":"3","old":{},"new":{"A":"x","B":null,"C":"a?"}})"
            "\n");
}

INSTANTIATE_TEST_SUITE_P(Modes, ZylgridAccess, ::testing::Values("serve", "cgi", "fcgi"));

// A reverse proxy's user header counts only from the configured addresses.
TEST(ZylgridProxy, TheUserHeaderCountsOnlyFromTrustedAddresses) {
  for (const auto& [proxy, status] : {std::pair{"127.0.0.1", 200}, {"10.9.9.9", 403}}) {
    test::PrivateTempDir dir;
    test::MakeShopDb(dir);
    test::Zylgrid cgi(
        "cgi",
        test::Write(dir, "site.ini",
                    std::string("[Page]\nTrustedProxy=") + proxy +
                        "\nRemoteUserHeader=X-Remote-User\n"
                        "[Customers]\nSource=sqlite:shop.db\nTable=customers\nReaders=ann\n"),
        dir.Path());
    cgi.headers = {{"X-Remote-User", "ann"}};
    test::Reply reply = cgi.Send("GET");
    EXPECT_EQ(reply.status, status) << proxy;
    EXPECT_EQ(reply.body.find("Signed in as ann") != std::string::npos, status == 200);
    cgi.headers = {{"X-Remote-User", "bob"}};
    EXPECT_EQ(cgi.Send("GET").status, status == 200 ? 403 : status) << "bob reads nothing";
  }
}

}  // namespace
}  // namespace zylgrid
