// The update lock cases every lock store passes, through the grid's
// CanUpdate, Done and CleanupEdits, instantiated per store with a kit:
//   UpdateLockStore* Store();  std::string Reason() const;  // null: skipped, why
//   std::vector<std::string> Locks();       // "prefix.guid" of every lock, sorted
//   void Plant(prefix, guid); void Age(prefix, guid, long seconds);
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "PrivateTempDir.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Exception.h"
#include "request/UpdateLockStore.h"
#include "request/ZylCSS.h"

namespace zyl::testing {

inline const std::string kGuid = "0F8FAD5B-D9CB-469F-A165-70867728950E";
inline const std::string kOtherGuid = "7C9E6679-7425-40DE-944B-E07FC1F90AE7";
inline const std::string kThirdGuid = "11111111-2222-4333-8444-555555555555";

inline void MakeEditable(TZylHTMLGrid& grid, TZylCSS& css, const std::string& guid) {
  grid.SetCSS(&css);
  grid.SetColCount(3);
  grid.SetEditMode(true);
  grid.SetGUID(guid);
}

template <class Kit>
class UpdateLockCases : public ::testing::Test {
 protected:
  UpdateLockCases() {
    css_.SetModuleFileName("/srv/cgi-bin/grid.cgi");
    grid_.SetName("Grid1");
    MakeEditable(grid_, css_, kGuid);
    grid_.Loaded();
  }
  void SetUp() override {
    store_ = kit_.Store();
    if (store_ == nullptr) GTEST_SKIP() << kit_.Reason();
    css_.SetUpdateLockStore(store_);
  }
  // Plants a lock of another page under each prefix, cleans up, returns the prefixes left.
  std::vector<std::string> CleanupLeaves(const std::vector<std::string>& prefixes) {
    for (const std::string& prefix : prefixes) kit_.Plant(prefix, kOtherGuid);
    grid_.CleanupEdits();
    std::vector<std::string> left = kit_.Locks();
    for (std::string& lock : left) lock = lock.substr(0, lock.size() - kOtherGuid.size() - 1);
    return left;
  }

  harness::PrivateTempDir temp_;  // lock files of this test only
  Kit kit_;
  UpdateLockStore* store_ = nullptr;
  TZylCSS css_{nullptr};
  TZylHTMLGrid grid_{nullptr};
};

TYPED_TEST_SUITE_P(UpdateLockCases);

TYPED_TEST_P(UpdateLockCases, APageMayUpdateOnlyWithTheLockItsDoneWrote) {
  EXPECT_FALSE(this->grid_.CanUpdate()) << "no lock before the page was produced";
  EXPECT_EQ(this->css_.GetErrorText(), this->grid_.GetTextUpdateError());
  this->css_.SetErrorText("");
  TZylHTMLGrid detail(nullptr);  // a detail's refusal sets no page message
  MakeEditable(detail, this->css_, kGuid);
  detail.SetMasterGrid(&this->grid_);
  EXPECT_FALSE(detail.CanUpdate());
  EXPECT_EQ(this->css_.GetErrorText(), "");
  ASSERT_TRUE(this->grid_.Done());
  ASSERT_TRUE(this->grid_.Done()) << "a second Done renews the same lock";
  EXPECT_EQ(this->kit_.Locks(), std::vector<std::string>{"grid.cgi." + kGuid});
  EXPECT_TRUE(this->grid_.CanUpdate());
  EXPECT_EQ(this->css_.GetErrorText(), "");
}

TYPED_TEST_P(UpdateLockCases, NoLockWithoutEditableColumnsPageIdentityOrPage) {
  this->grid_.SetEditMode(false);
  EXPECT_FALSE(this->grid_.Done());
  EXPECT_FALSE(this->grid_.CanUpdate());
  EXPECT_EQ(this->css_.GetErrorText(), "") << "no message for a grid that cannot edit";
  this->grid_.SetEditMode(true);
  for (const char* guid : {"../../etc/passwd", "G", "", "0F8FAD5B-D9CB-469F-A165-70867728950E'"}) {
    this->grid_.SetGUID(guid);
    EXPECT_FALSE(this->grid_.Done()) << guid;
    EXPECT_FALSE(this->grid_.CanUpdate()) << guid;
  }
  TZylHTMLGrid loose(nullptr);  // no TZylCSS
  loose.SetColCount(2);
  loose.SetEditMode(true);
  loose.SetGUID(kGuid);
  EXPECT_FALSE(loose.Done());
  EXPECT_FALSE(loose.CanUpdate());
  EXPECT_TRUE(this->kit_.Locks().empty());
}

TYPED_TEST_P(UpdateLockCases, CleanupEditsRemovesEveryLockOfThisProgramOnly) {
  ASSERT_TRUE(this->grid_.Done());
  EXPECT_EQ(this->CleanupLeaves({"grid.cgi", "grid.cgi2", "grid.cg", "other.cgi"}),
            (std::vector<std::string>{"grid.cg", "grid.cgi2", "other.cgi"}));
  EXPECT_FALSE(this->grid_.CanUpdate());
  // Wildcards of the store's language match only themselves.
  this->css_.SetModuleFileName("/srv/cgi-bin/g*[1]%_.cgi");
  ASSERT_TRUE(this->grid_.Done());
  EXPECT_EQ(this->CleanupLeaves({"g*[1]%_.cgi", "grid1%_.cgi", "g1%x.cgi", "g*[1]%_.cgi.x"}),
            (std::vector<std::string>{"g*[1]%_.cgi.x", "g1%x.cgi", "grid.cg", "grid.cgi2",
                                      "grid1%_.cgi", "other.cgi"}));
  ASSERT_TRUE(this->grid_.Done());
  this->grid_.SetEditMode(false);
  this->grid_.CleanupEdits();
  EXPECT_EQ(this->kit_.Locks().size(), 7u) << "a grid that cannot edit cleans nothing";
}

TYPED_TEST_P(UpdateLockCases, OldLocksAreStaleAndGoWhenAPageWritesItsLock) {
  ASSERT_TRUE(this->grid_.Done());
  this->kit_.Plant("grid.cgi", kOtherGuid);
  this->kit_.Plant("other.cgi", kOtherGuid);
  for (const auto& [prefix, guid] : {std::pair{"grid.cgi", kGuid}, {"grid.cgi", kOtherGuid},
                                     {"other.cgi", kOtherGuid}}) {
    this->kit_.Age(prefix, guid, 2 * 24 * 3600);
  }
  EXPECT_FALSE(this->grid_.CanUpdate()) << "older than a day: refused like a missing lock";
  EXPECT_EQ(this->css_.GetErrorText(), this->grid_.GetTextUpdateError());
  this->css_.SetMaxLockAge(3 * 24 * 3600);
  EXPECT_TRUE(this->grid_.CanUpdate());
  this->css_.SetMaxLockAge(0);
  EXPECT_TRUE(this->grid_.CanUpdate()) << "no age limit";
  this->css_.SetMaxLockAge(24 * 3600);
  TZylHTMLGrid other(nullptr);
  MakeEditable(other, this->css_, kThirdGuid);
  ASSERT_TRUE(other.Done());
  EXPECT_EQ(this->kit_.Locks().size(), 4u) << "swept by the first page a moment ago";
  this->css_.SetLockSweepInterval(0);
  ASSERT_TRUE(other.Done());
  EXPECT_EQ(this->kit_.Locks(),
            (std::vector<std::string>{"grid.cgi." + kThirdGuid, "other.cgi." + kOtherGuid}))
      << "old locks of this program go, other programs' stay";
  const std::string fourth = "44444444-2222-4333-8444-555555555555";
  this->kit_.Age("grid.cgi", kThirdGuid, 100);
  this->kit_.Plant("grid.cgi", kGuid);
  this->css_.SetMaxLocks(1);
  MakeEditable(other, this->css_, fourth);
  ASSERT_TRUE(other.Done());
  EXPECT_EQ(this->kit_.Locks(), (std::vector<std::string>{"grid.cgi." + kGuid, "grid.cgi." + fourth,
                                                           "other.cgi." + kOtherGuid}))
      << "the newest up to the cap, then the page's own";
}

TYPED_TEST_P(UpdateLockCases, StoreOperationsAndRefusedNames) {
  UpdateLockStore& store = *this->store_;
  EXPECT_THROW(store.Write("grid.cgi", "../../etc/passwd"), Exception);
  EXPECT_THROW(store.Write("cgi-bin/grid.cgi", kGuid), Exception);
  EXPECT_FALSE(store.IsValid("grid.cgi", "../x", 0));
  EXPECT_FALSE(store.Delete("grid.cgi", "x"));
  store.Write("grid.cgi", kGuid);
  store.Write("grid.cgi", kOtherGuid);
  EXPECT_TRUE(store.IsValid("grid.cgi", kGuid, 60));
  EXPECT_FALSE(store.IsValid("grid.cgi", kThirdGuid, 60));
  EXPECT_FALSE(store.IsValid("grid.cg", kGuid, 60));
  EXPECT_TRUE(store.Delete("grid.cgi", kGuid));
  EXPECT_FALSE(store.Delete("grid.cgi", kGuid)) << "already gone";
  EXPECT_EQ(this->kit_.Locks(), std::vector<std::string>{"grid.cgi." + kOtherGuid});
  this->kit_.Age("grid.cgi", kOtherGuid, 100);
  EXPECT_EQ(store.DeleteOlderThan("grid.cgi", 0), 0) << "no age limit: nothing is old";
  EXPECT_EQ(store.DeleteOlderThan("grid.cgi", 200), 0);
  EXPECT_TRUE(store.IsValid("grid.cgi", kOtherGuid, LONG_MAX)) << "the longest limit";
  EXPECT_EQ(store.DeleteOlderThan("grid.cgi", LONG_MAX), 0);
  EXPECT_EQ(store.DeleteOlderThan("grid.cgi", 50), 1);
  store.Write("grid.cgi", kGuid);
  store.Write("grid.cgi", kOtherGuid);
  EXPECT_EQ(store.DeleteAll("grid.cgi"), 2);
  EXPECT_EQ(store.DeleteAll("grid.cgi"), 0);
  const std::string hostile = "x'); DROP TABLE zyl_update_locks; --";  // names are data, not statement text
  store.Write(hostile, kGuid);
  EXPECT_TRUE(store.IsValid(hostile, kGuid, 0));
  EXPECT_EQ(store.DeleteAll("x%"), 0) << "prefixes match exactly, not as patterns";
  EXPECT_EQ(store.DeleteAll(hostile), 1);
}

// Ten pages claim at once: one finds its lock, which clears them all; the
// others find theirs gone. A lock too old or missing clears nothing.
TYPED_TEST_P(UpdateLockCases, AClaimTestsAndClearsInOneStep) {
  UpdateLockStore& store = *this->store_;
  std::vector<std::string> guids;
  for (int i = 0; i < 10; ++i) guids.push_back(kGuid.substr(0, 35) + std::to_string(i));
  for (const std::string& guid : guids) store.Write("grid.cgi", guid);
  this->kit_.Plant("other.cgi", kGuid);
  std::vector<int> valid(guids.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < guids.size(); ++i) {
    threads.emplace_back([&, i] { valid[i] = store.Claim("grid.cgi", guids[i], 60); });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::count(valid.begin(), valid.end(), 1), 1);
  EXPECT_EQ(this->kit_.Locks(), std::vector<std::string>{"other.cgi." + kGuid});
  EXPECT_FALSE(store.Claim("grid.cgi", guids[0], 60));
  EXPECT_FALSE(store.Claim("grid.cgi", "../x", 0));
  store.Write("grid.cgi", kOtherGuid);
  this->kit_.Age("grid.cgi", kOtherGuid, 100);
  EXPECT_FALSE(store.Claim("grid.cgi", kOtherGuid, 50));
  EXPECT_EQ(this->kit_.Locks().size(), 2u) << "a refused claim removes nothing";
  EXPECT_TRUE(store.Claim("grid.cgi", kOtherGuid, 0)) << "no age limit";
  EXPECT_EQ(this->kit_.Locks().size(), 1u);
}

REGISTER_TYPED_TEST_SUITE_P(UpdateLockCases, APageMayUpdateOnlyWithTheLockItsDoneWrote,
                            NoLockWithoutEditableColumnsPageIdentityOrPage,
                            CleanupEditsRemovesEveryLockOfThisProgramOnly,
                            OldLocksAreStaleAndGoWhenAPageWritesItsLock,
                            StoreOperationsAndRefusedNames, AClaimTestsAndClearsInOneStep);

}  // namespace zyl::testing
