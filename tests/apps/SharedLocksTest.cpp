// Two `zylgrid serve` processes behind one imagined load balancer, with
// their update locks in one PostgreSQL table: a page got from one server is
// updated through the other, and a record added through one makes the
// pages of the other stale. Each server has a temporary directory of its
// own, so lock files could not carry this.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "AppTestSupport.h"
#include "ZylgridClient.h"
#include "data/contract/PgServer.h"
#include "edit/EditTestSupport.h"

namespace zylgrid {
namespace {

using zyl::harness::Form;
using Server = std::unique_ptr<test::ZylgridClient>;

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
    return server->Click(page, "Customers_TABLE", "GUPDATE", [&](Form& f) {
      f.SetText("GCELL_" + std::to_string(recNo) + "_1", name);
    });
  }
  Server Start(const std::string& ini, const char* tmp) {
    return test::StartZylgrid("serve", ini, dir_.Path() / tmp);
  }

  test::ScratchDir dir_;
  std::string db_;
};

constexpr const char* kRefused = "CANNOT UPDATE THE TABLE!";

TEST_F(ZylgridSharedLocks, APageOfOneServerIsUpdatedThroughTheOther) {
  std::string ini = Site("postgres:" + zyl::test::PgServer::Get().ConnInfo());
  Server a = Start(ini, "tmp-a");
  Server b = Start(ini, "tmp-b");
  ASSERT_TRUE(a->Ready() && b->Ready()) << "zylgrid serve did not start (see server.log)";

  std::string fromA = a->Click(a->Get(), "Customers_TABLE", "GRecNo1");
  std::string updated = Rename(b, fromA, 1, "Bea");
  EXPECT_EQ(Name(2), "Bea") << "the lock that A wrote lets B write";
  EXPECT_EQ(updated.find(kRefused), std::string::npos);

  // B adds a record: every page produced before, on either server, is stale.
  std::string stale = a->Click(a->Get(), "Customers_TABLE", "GRecNo2");
  std::string adding = b->Click(b->Get(), "Customers_TABLE", "GADD");
  b->Click(adding, "Customers_TABLE", "GUPDATE", [](Form& f) {
    f.SetText(zyl::testing::CellControls(f, 1).at(0), "Dee");  // the Id comes from SQLite
  });
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
  Server a = Start(ini, "tmp-a");
  Server b = Start(ini, "tmp-b");
  ASSERT_TRUE(a->Ready() && b->Ready()) << "zylgrid serve did not start (see server.log)";
  std::string fromA = a->Click(a->Get(), "Customers_TABLE", "GRecNo1");
  std::string refused = Rename(b, fromA, 1, "Bea");
  EXPECT_EQ(Name(2), "Bob") << "B has no lock file of A's page";
  EXPECT_NE(refused.find(kRefused), std::string::npos);
}

}  // namespace
}  // namespace zylgrid
