// The update lock cases every lock store must pass, run through the grid's
// CanUpdate, Done and CleanupEdits. A test program instantiates them for its
// store with a kit:
//
//   struct Kit {
//     // Null when the store cannot be used; Reason() then tells why.
//     UpdateLockStore* Store();
//     std::string Reason() const;
//     // "prefix.guid" of every lock in the store, sorted.
//     std::vector<std::string> Locks();
//     // A lock made without the grid.
//     void Plant(const std::string& prefix, const std::string& guid);
//     // Moves a lock `seconds` into the past.
//     void Age(const std::string& prefix, const std::string& guid, long seconds);
//   };
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Files, UpdateLockCases, ::testing::Types<FileKit>);
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
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

template <class Kit>
class UpdateLockCases : public ::testing::Test {
 protected:
  UpdateLockCases() : css_(nullptr), grid_(nullptr) {
    css_.SetModuleFileName("/srv/cgi-bin/grid.cgi");
    grid_.SetName("Grid1");
    grid_.SetCSS(&css_);
    grid_.Loaded();
    grid_.SetColCount(3);
    grid_.SetEditMode(true);
    grid_.SetGUID(kGuid);
  }

  void SetUp() override {
    store_ = kit_.Store();
    if (store_ == nullptr) GTEST_SKIP() << kit_.Reason();
    css_.SetUpdateLockStore(store_);
  }

  // Another editable grid of the same program with page identity `guid`.
  std::unique_ptr<TZylHTMLGrid> OtherPage(const std::string& guid) {
    auto other = std::make_unique<TZylHTMLGrid>(nullptr);
    other->SetCSS(&css_);
    other->SetColCount(2);
    other->SetEditMode(true);
    other->SetGUID(guid);
    return other;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  harness::PrivateTempDir temp_;  // lock files of this test only
  Kit kit_;
  UpdateLockStore* store_ = nullptr;
  TZylCSS css_;
  TZylHTMLGrid grid_;
};

TYPED_TEST_SUITE_P(UpdateLockCases);

TYPED_TEST_P(UpdateLockCases, DoneWritesOneLockThatCanUpdateFinds) {
  EXPECT_FALSE(this->grid_.CanUpdate()) << "no lock before the page was produced";
  this->css_.SetErrorText("");
  ASSERT_TRUE(this->grid_.Done());
  ASSERT_TRUE(this->grid_.Done()) << "a second Done renews the same lock";
  EXPECT_EQ(this->kit_.Locks(), std::vector<std::string>{"grid.cgi." + kGuid});
  EXPECT_TRUE(this->grid_.CanUpdate());
  EXPECT_EQ(this->css_.GetErrorText(), "");
}

TYPED_TEST_P(UpdateLockCases, NoLockWithoutEditableColumnsOrPageIdentity) {
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
  EXPECT_TRUE(this->kit_.Locks().empty());

  TZylHTMLGrid loose(nullptr);  // no TZylCSS
  loose.SetColCount(2);
  loose.SetEditMode(true);
  loose.SetGUID(kGuid);
  EXPECT_FALSE(loose.Done());
  EXPECT_FALSE(loose.CanUpdate());
}

TYPED_TEST_P(UpdateLockCases, MissingLockSetsTheMessageForGridsWithoutMaster) {
  EXPECT_FALSE(this->grid_.CanUpdate());
  EXPECT_EQ(this->css_.GetErrorText(), this->grid_.GetTextUpdateError());
  EXPECT_FALSE(this->grid_.GetShowErrorBox());

  this->css_.SetErrorText("");
  auto detail = this->OtherPage(kGuid);
  detail->SetMasterGrid(&this->grid_);
  EXPECT_FALSE(detail->CanUpdate());
  EXPECT_EQ(this->css_.GetErrorText(), "");
}

TYPED_TEST_P(UpdateLockCases, CleanupEditsRemovesEveryLockOfThisProgramOnly) {
  ASSERT_TRUE(this->grid_.Done());
  this->kit_.Plant("grid.cgi", kOtherGuid);
  this->kit_.Plant("grid.cgi2", kOtherGuid);
  this->kit_.Plant("grid.cg", kOtherGuid);
  this->kit_.Plant("other.cgi", kOtherGuid);
  this->grid_.CleanupEdits();
  EXPECT_EQ(this->kit_.Locks(), this->Sorted({"grid.cg." + kOtherGuid, "grid.cgi2." + kOtherGuid,
                                              "other.cgi." + kOtherGuid}));
  EXPECT_FALSE(this->grid_.CanUpdate());
}

TYPED_TEST_P(UpdateLockCases, WildcardsInTheModuleNameMatchOnlyThemselves) {
  this->css_.SetModuleFileName("/srv/cgi-bin/g*[1]%_.cgi");
  ASSERT_TRUE(this->grid_.Done());
  this->kit_.Plant("g*[1]%_.cgi", kOtherGuid);
  this->kit_.Plant("grid1%_.cgi", kOtherGuid);
  this->kit_.Plant("g1%x.cgi", kOtherGuid);
  this->kit_.Plant("g*[1]%_.cgi.x", kOtherGuid);
  this->grid_.CleanupEdits();
  EXPECT_EQ(this->kit_.Locks(),
            this->Sorted({"g*[1]%_.cgi.x." + kOtherGuid, "g1%x.cgi." + kOtherGuid,
                          "grid1%_.cgi." + kOtherGuid}));
}

TYPED_TEST_P(UpdateLockCases, CleanupWithoutEditModeDoesNothing) {
  ASSERT_TRUE(this->grid_.Done());
  this->grid_.SetEditMode(false);
  this->grid_.CleanupEdits();
  EXPECT_EQ(this->kit_.Locks().size(), 1u);
}

TYPED_TEST_P(UpdateLockCases, OldLocksAreStaleAndRemovedWhenAPageWritesItsLock) {
  ASSERT_TRUE(this->grid_.Done());
  this->kit_.Plant("grid.cgi", kOtherGuid);
  this->kit_.Plant("other.cgi", kOtherGuid);
  this->kit_.Age("grid.cgi", kGuid, 2 * 24 * 3600);
  this->kit_.Age("grid.cgi", kOtherGuid, 2 * 24 * 3600);
  this->kit_.Age("other.cgi", kOtherGuid, 2 * 24 * 3600);
  EXPECT_FALSE(this->grid_.CanUpdate()) << "older than a day: refused like a missing lock";
  EXPECT_EQ(this->css_.GetErrorText(), this->grid_.GetTextUpdateError());

  this->css_.SetMaxLockAge(3 * 24 * 3600);
  EXPECT_TRUE(this->grid_.CanUpdate());
  this->css_.SetMaxLockAge(0);
  EXPECT_TRUE(this->grid_.CanUpdate()) << "no age limit";
  this->css_.SetMaxLockAge(24 * 3600);

  auto other = this->OtherPage(kThirdGuid);
  ASSERT_TRUE(other->Done());
  EXPECT_EQ(this->kit_.Locks(), this->Sorted({"grid.cgi." + kThirdGuid, "other.cgi." + kOtherGuid}))
      << "old locks of this program go, other programs' stay";
  EXPECT_TRUE(other->CanUpdate());
}

TYPED_TEST_P(UpdateLockCases, StoreOperationsOnSingleLocks) {
  UpdateLockStore& store = *this->store_;
  store.Write("grid.cgi", kGuid);
  store.Write("grid.cgi", kOtherGuid);
  EXPECT_TRUE(store.IsValid("grid.cgi", kGuid, 60));
  EXPECT_FALSE(store.IsValid("grid.cgi", kThirdGuid, 60));
  EXPECT_FALSE(store.IsValid("grid.cg", kGuid, 60));
  EXPECT_TRUE(store.Delete("grid.cgi", kGuid));
  EXPECT_FALSE(store.Delete("grid.cgi", kGuid)) << "already gone";
  EXPECT_FALSE(store.IsValid("grid.cgi", kGuid, 60));
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
}

TYPED_TEST_P(UpdateLockCases, NamesNotOfTheLockFormAreRefused) {
  UpdateLockStore& store = *this->store_;
  EXPECT_THROW(store.Write("grid.cgi", "../../etc/passwd"), Exception);
  EXPECT_THROW(store.Write("cgi-bin/grid.cgi", kGuid), Exception);
  EXPECT_FALSE(store.IsValid("grid.cgi", "../x", 0));
  EXPECT_FALSE(store.Delete("grid.cgi", "x"));
  EXPECT_TRUE(this->kit_.Locks().empty());
}

REGISTER_TYPED_TEST_SUITE_P(UpdateLockCases, DoneWritesOneLockThatCanUpdateFinds,
                            NoLockWithoutEditableColumnsOrPageIdentity,
                            MissingLockSetsTheMessageForGridsWithoutMaster,
                            CleanupEditsRemovesEveryLockOfThisProgramOnly,
                            WildcardsInTheModuleNameMatchOnlyThemselves,
                            CleanupWithoutEditModeDoesNothing,
                            OldLocksAreStaleAndRemovedWhenAPageWritesItsLock,
                            StoreOperationsOnSingleLocks, NamesNotOfTheLockFormAreRefused);

}  // namespace zyl::testing
