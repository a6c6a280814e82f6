// zylgrid over PostgreSQL, on the throwaway test server: tables as sources,
// and update locks shared by two `zylgrid serve` processes in one table.
#include <gtest/gtest.h>

#include <filesystem>

#include "ZylgridSupport.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/PageBuilder.h"
#include "edit/EditTestSupport.h"
#include "harness/Golden.h"
#include "harness/PgServer.h"

namespace zylgrid {
namespace {

using zyl::harness::Form;

class ZylgridPostgres : public ::testing::Test {
 protected:
  void SetUp() override {
    zyl::test::PgServer& server = zyl::test::PgServer::Get();
    if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
    conninfo_ = server.ConnInfo();
    db_ = test::MakeShopDb(dir_);
  }
  std::string Name(int id) {
    return test::Sql(db_, "SELECT Name FROM customers WHERE Id = " + std::to_string(id));
  }
  test::PrivateTempDir dir_;
  std::string conninfo_, db_;
};

// A PostgreSQL detail reads its master's records only, its text columns
// shown (not hidden as memos); a missing table names section and key.
TEST_F(ZylgridPostgres, TablesAreShownAndMasterADetail) {
  zyl::test::PgExec(
      "DROP TABLE IF EXISTS zg_customers, zg_orders;"
      "CREATE TABLE zg_customers (id integer PRIMARY KEY, name varchar(40));"
      "INSERT INTO zg_customers VALUES (1, 'Ada'), (2, 'Bob'), (3, 'Cy');"
      "CREATE TABLE zg_orders (id serial PRIMARY KEY, customer integer, item text);"
      "INSERT INTO zg_orders (customer, item) VALUES (1, 'Lamp'), (2, 'Pen'), (1, 'Desk')");
  std::string source = "Source=postgres:" + conninfo_ + "\n";
  SiteConfig config = LoadSiteConfig(
      test::Write(dir_, "site.ini",
                  "[Customers]\n" + source + "Table=zg_customers\nRowsPerPage=2\n[Orders]\n" +
                      source + "Table=zg_orders\nMaster=Customers\nDetailKey=customer=id\n"));
  CheckSources(config);
  std::string log;
  PageBuilder builder(config, [&](const std::string& line) { log += line; });
  std::string page = test::Ask(builder, "GET").body;
  for (const char* shown : {">Ada<", "Lamp", "Desk"})
    EXPECT_NE(page.find(shown), std::string::npos) << log;
  EXPECT_EQ(page.find("Pen"), std::string::npos);
  page =
      test::Ask(builder, "POST", "", "GName=Customers&GPage=1&GRPP=2&GRecNo1.x=1&GRecNo1.y=1").body;
  EXPECT_NE(page.find("Pen"), std::string::npos) << log;
  EXPECT_EQ(page.find("Lamp"), std::string::npos);
  const std::string message = zyl::harness::MessageOf([&] {
    CheckSources(LoadSiteConfig(test::Write(dir_, "site.ini", "[Customers]\n" + source + "Table=zg_nothere\n")));
  });
  EXPECT_NE(message.find("[Customers] Table: "), std::string::npos) << message;
}

// Two servers behind one imagined load balancer, each with a temporary
// folder of its own (lock files would not be shared): with the locks in
// PostgreSQL a page of one is updated through the other, and a record added
// through one makes the pages of both stale.
TEST_F(ZylgridPostgres, UpdateLocksAreSharedThroughTheirTable) {
  std::string ini = test::Write(dir_, "site.ini",
                                "[Page]\nLocks=postgres:" + conninfo_ +
                                    "\n[Customers]\nSource=sqlite:shop.db\nTable=customers\n"
                                    "Editable=1\nRowsPerPage=10\n");
  test::Zylgrid a("serve", ini, dir_.Path() / "a");
  test::Zylgrid b("serve", ini, dir_.Path() / "b");
  ASSERT_TRUE(a.Ready() && b.Ready()) << "zylgrid serve did not start (see server.log)";
  auto rename = [](test::Zylgrid& server, const std::string& page, int recNo, const char* name) {
    return server.Click(page, "Customers_TABLE", "GUPDATE",
                        [&](Form& f) { f.SetText("GCELL_" + std::to_string(recNo) + "_1", name); });
  };
  const char* kRefused = "CANNOT UPDATE THE TABLE!";
  std::string page = a.Click(a.Get(), "Customers_TABLE", "GRecNo1");
  b.UseCookieOf(a);  // one browser, one site behind both servers
  std::string updated = rename(b, page, 1, "Bea");
  EXPECT_EQ(Name(2), "Bea") << "the lock that A wrote lets B write";
  EXPECT_EQ(updated.find(kRefused), std::string::npos);
  std::string stale = a.Click(a.Get(), "Customers_TABLE", "GRecNo2");
  b.Click(b.Click(b.Get(), "Customers_TABLE", "GADD"), "Customers_TABLE", "GUPDATE",
          [](Form& f) { f.SetText(zyl::testing::CellControls(f, 1).at(0), "Dee"); });
  ASSERT_EQ(Name(4), "Dee");
  std::string refused = rename(a, stale, 2, "late");
  EXPECT_EQ(Name(3), "Cy") << "a stale page of A writes nothing";
  EXPECT_NE(refused.find(kRefused), std::string::npos);
  rename(a, refused, 2, "Cyd");
  EXPECT_EQ(Name(3), "Cyd") << "the refreshed page may write";
  for (const char* server : {"a", "b"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / server)) {
      EXPECT_NE(entry.path().extension(), ".upd") << entry.path() << ": no lock files";
    }
  }
}

}  // namespace
}  // namespace zylgrid
