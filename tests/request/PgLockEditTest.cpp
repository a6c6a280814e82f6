// Editing through whole requests with the update locks in a PostgreSQL
// table: a page's own lock lets its edits through, a page made stale by an
// append elsewhere is refused with the error box, deletes need the lock,
// and two sites sharing the table (two web servers) honour each other's
// locks.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "datasets/PgConnection.h"
#include "datasets/ZylMemDataset.h"
#include "data/contract/PgServer.h"
#include "edit/EditTestSupport.h"
#include "request/PgUpdateLockStore.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using harness::Site;

class PgLockEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PgServer& server = test::PgServer::Get();
    if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
    pg::Connection admin(server.ConnInfo(), "lock test");
    admin.Exec("DROP TABLE IF EXISTS zyl_update_locks");
    storeA_ = std::make_unique<PgUpdateLockStore>(server.ConnInfo());
    storeB_ = std::make_unique<PgUpdateLockStore>(server.ConnInfo());
    data_ = std::make_unique<TZylMemDataset>(nullptr);
    data_->AddField("ID", TFieldType::ftInteger);
    data_->AddField("Name", TFieldType::ftString, 20);
    for (int i = 0; i < 25; ++i) data_->AddRecord({TVariant(i), TVariant("n" + std::to_string(i))});
    data_->Open();
  }

  // The grid program of one web server, its locks in `store`.
  Site SiteOn(PgUpdateLockStore& store) {
    return Site([this, &store](Components& c) {
      c.Css().SetUpdateLockStore(&store);
      TZylHTMLGrid& grid = c.AddGrid("Grid1");
      grid.SetRowsPerPage(10);
      grid.SetDataset(data_.get());
      grid.ReadValues();
      grid.SetEditMode(true);
    });
  }
  static Response PageAt(const Site& site, int recNo) {
    return site.Click(site.Open(), "Grid1_TABLE", "GRecNo" + std::to_string(recNo));
  }
  static Response Rename(const Site& site, const Response& page, int recNo,
                         const std::string& name) {
    std::string cell = "GCELL_" + std::to_string(recNo) + "_1";
    return site.Click(page, "Grid1_TABLE", "GUPDATE", [&](Form& f) { f.SetText(cell, name); });
  }
  static Response Append(const Site& site, const std::string& id, const std::string& name) {
    Response page = site.Click(site.Open(), "Grid1_TABLE", "GADD");
    return site.Click(page, "Grid1_TABLE", "GUPDATE", [&](Form& f) {
      f.SetText(testing::CellControls(f, 0).at(0), id);
      f.SetText(testing::CellControls(f, 1).at(0), name);
    });
  }
  std::string Name(int recNo) { return data_->GetValue(recNo, 1).ToString(); }
  static void ExpectRefused(const Response& refused) {
    TZylHTMLGrid& grid = refused.Grid("Grid1");
    EXPECT_EQ(refused.ErrorText(), grid.GetTextUpdateError());
    EXPECT_TRUE(grid.GetShowErrorBox()) << "the visitor learns the edit was not written";
    EXPECT_NE(refused.html.find("CANNOT UPDATE THE TABLE!"), std::string::npos);
    EXPECT_TRUE(refused.done.at("Grid1")) << "the refreshed page holds a new lock";
  }

  harness::PrivateTempDir temp_;
  std::unique_ptr<PgUpdateLockStore> storeA_;
  std::unique_ptr<PgUpdateLockStore> storeB_;
  std::unique_ptr<TZylMemDataset> data_;
};

TEST_F(PgLockEditTest, AnUpdateWithItsPagesLockIsWritten) {
  Site site = SiteOn(*storeA_);
  Response page = PageAt(site, 3);
  std::string guid = page.Grid("Grid1").GetGUID();
  EXPECT_TRUE(storeA_->IsValid("grid.cgi", guid, 0));
  EXPECT_TRUE(temp_.Entries().empty()) << "no lock files beside the table";

  Response updated = Rename(site, page, 3, "abc");
  EXPECT_EQ(updated.actions["Grid1"], TGridAction::gaUpdateData);
  EXPECT_EQ(Name(3), "abc");
  EXPECT_EQ(updated.ErrorText(), "");
}

TEST_F(PgLockEditTest, AStalePageIsRefusedAfterAnotherPageAdded) {
  Site site = SiteOn(*storeA_);
  Response stale = PageAt(site, 3);
  Append(site, "100", "new");
  ASSERT_EQ(data_->RecordCount(), 26);

  Response refused = Rename(site, stale, 3, "abc");
  EXPECT_EQ(Name(3), "n3");
  ExpectRefused(refused);
  Rename(site, refused, 3, "abc");
  EXPECT_EQ(Name(3), "abc") << "the refreshed page may write";
}

TEST_F(PgLockEditTest, ADeleteNeedsTheLock) {
  Site site = SiteOn(*storeA_);
  Response stale = PageAt(site, 2);
  Append(site, "100", "new");
  Response refused = site.Click(stale, "Grid1_TABLE", "GDEL");
  EXPECT_EQ(refused.actions["Grid1"], TGridAction::gaDeleteCurrent);
  EXPECT_EQ(data_->RecordCount(), 26) << "nothing deleted by position from a stale page";
  ExpectRefused(refused);

  Response current = site.Click(refused, "Grid1_TABLE", "GRecNo2");
  Response other = site.Open();
  site.Click(current, "Grid1_TABLE", "GDEL");
  EXPECT_EQ(data_->RecordCount(), 25);
  EXPECT_EQ(Name(2), "n3");
  EXPECT_FALSE(storeA_->IsValid("grid.cgi", other.Grid("Grid1").GetGUID(), 0))
      << "a delete takes the lock of every other page";
}

TEST_F(PgLockEditTest, TwoServersShareTheLocks) {
  Site a = SiteOn(*storeA_);
  Site b = SiteOn(*storeB_);
  Response fromA = PageAt(a, 4);
  Response updated = Rename(b, fromA, 4, "via b");
  EXPECT_EQ(Name(4), "via b") << "a page of server A updated through server B";
  EXPECT_EQ(updated.ErrorText(), "");

  Response again = PageAt(a, 5);
  Append(b, "100", "new");
  Response refused = Rename(a, again, 5, "late");
  EXPECT_EQ(Name(5), "n5") << "an append on B makes A's page stale";
  ExpectRefused(refused);
}

}  // namespace
}  // namespace zyl
