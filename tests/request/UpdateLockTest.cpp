// Update lock files: names, content and permissions, what CleanupEdits and
// the age limit remove, and refusing names that are not plain lock files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "PrivateTempDir.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Exception.h"
#include "platform/System.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

namespace fs = std::filesystem;

const std::string kGuid = "0F8FAD5B-D9CB-469F-A165-70867728950E";
const std::string kOtherGuid = "7C9E6679-7425-40DE-944B-E07FC1F90AE7";

class UpdateLockTest : public ::testing::Test {
 protected:
  UpdateLockTest() : css_(nullptr), grid_(nullptr) {
    css_.SetModuleFileName("/srv/cgi-bin/grid.cgi");
    grid_.SetName("Grid1");
    grid_.SetCSS(&css_);
    grid_.Loaded();
    grid_.SetColCount(3);
    grid_.SetEditMode(true);
    grid_.SetGUID(kGuid);
  }

  std::string Touch(const std::string& name) const {
    std::ofstream(temp_.File(name)) << "x";
    return temp_.File(name);
  }
  static void Age(const std::string& path, long seconds) {
    auto when = fs::last_write_time(path) - std::chrono::seconds(seconds);
    fs::last_write_time(path, when);
  }

  harness::PrivateTempDir temp_;
  TZylCSS css_;
  TZylHTMLGrid grid_;
};

TEST_F(UpdateLockTest, DoneWritesOneOwnerOnlyLineNamedAfterModuleAndGuid) {
  ASSERT_TRUE(grid_.Done());
  ASSERT_TRUE(grid_.Done()) << "a second Done rewrites the same file";
  std::string path = temp_.File("grid.cgi." + kGuid + ".upd");
  EXPECT_EQ(temp_.Entries(), (std::vector<std::string>{"grid.cgi." + kGuid + ".upd"}));
  EXPECT_EQ(ReadFileBytes(path), kGuid + "\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(grid_.CanUpdate());
}

TEST_F(UpdateLockTest, NoLockWithoutEditableColumnsOrPageIdentity) {
  grid_.SetEditMode(false);
  EXPECT_FALSE(grid_.Done());
  EXPECT_FALSE(grid_.CanUpdate());
  EXPECT_EQ(css_.GetErrorText(), "") << "no message for a grid that cannot edit";

  grid_.SetEditMode(true);
  grid_.SetGUID("../../etc/passwd");
  EXPECT_FALSE(grid_.Done());
  EXPECT_TRUE(temp_.Entries().empty());

  TZylHTMLGrid loose(nullptr);  // no TZylCSS
  loose.SetColCount(2);
  loose.SetEditMode(true);
  loose.SetGUID(kGuid);
  EXPECT_FALSE(loose.Done());
  EXPECT_FALSE(loose.CanUpdate());
}

TEST_F(UpdateLockTest, MissingLockSetsTheMessageForGridsWithoutMaster) {
  EXPECT_FALSE(grid_.CanUpdate());
  EXPECT_EQ(css_.GetErrorText(), grid_.GetTextUpdateError());
  EXPECT_FALSE(grid_.GetShowErrorBox());

  css_.SetErrorText("");
  TZylHTMLGrid detail(nullptr);
  detail.SetCSS(&css_);
  detail.SetColCount(2);
  detail.SetEditMode(true);
  detail.SetGUID(kGuid);
  detail.SetMasterGrid(&grid_);
  EXPECT_FALSE(detail.CanUpdate());
  EXPECT_EQ(css_.GetErrorText(), "");
}

TEST_F(UpdateLockTest, CleanupEditsRemovesOnlyThisProgramsLocks) {
  ASSERT_TRUE(grid_.Done());
  Touch("grid.cgi." + kOtherGuid + ".upd");
  Touch("grid.cgi.notaguid.upd");
  Touch("grid.cgi2." + kOtherGuid + ".upd");
  Touch("other.cgi." + kOtherGuid + ".upd");
  Touch("grid.cgi." + kOtherGuid + ".txt");
  grid_.CleanupEdits();
  EXPECT_EQ(temp_.Entries(),
            (std::vector<std::string>{"grid.cgi." + kOtherGuid + ".txt", "grid.cgi.notaguid.upd",
                                      "grid.cgi2." + kOtherGuid + ".upd",
                                      "other.cgi." + kOtherGuid + ".upd"}));
}

TEST_F(UpdateLockTest, WildcardsInTheModuleNameMatchOnlyThemselves) {
  css_.SetModuleFileName("/srv/cgi-bin/g*[1].cgi");
  ASSERT_TRUE(grid_.Done());
  Touch("g*[1].cgi." + kOtherGuid + ".upd");
  Touch("grid1.cgi." + kOtherGuid + ".upd");
  Touch("g1.cgi." + kOtherGuid + ".upd");
  grid_.CleanupEdits();
  EXPECT_EQ(temp_.Entries(), (std::vector<std::string>{"g1.cgi." + kOtherGuid + ".upd",
                                                       "grid1.cgi." + kOtherGuid + ".upd"}));
}

TEST_F(UpdateLockTest, CleanupWithoutEditModeDoesNothing) {
  ASSERT_TRUE(grid_.Done());
  grid_.SetEditMode(false);
  grid_.CleanupEdits();
  EXPECT_EQ(temp_.Entries().size(), 1u);
}

TEST_F(UpdateLockTest, LinksAndOtherFilesAreNotLockFiles) {
  std::string target = Touch("precious.txt");
  std::string path = temp_.File("grid.cgi." + kGuid + ".upd");
  fs::create_symlink(target, path);
  EXPECT_FALSE(grid_.CanUpdate()) << "a link does not count as a lock";
  EXPECT_THROW(grid_.Done(), EInOutError);
  EXPECT_EQ(ReadFileBytes(target), "x");

  fs::remove(path);
  fs::create_hard_link(target, path);
  EXPECT_FALSE(grid_.CanUpdate());
  EXPECT_THROW(grid_.Done(), EInOutError);
  EXPECT_EQ(ReadFileBytes(target), "x");

  fs::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_THROW(grid_.Done(), EInOutError) << "a FIFO neither blocks nor counts";
}

TEST_F(UpdateLockTest, OldLocksAreStaleAndRemovedWhenAPageWritesItsLock) {
  ASSERT_TRUE(grid_.Done());
  std::string mine = temp_.File("grid.cgi." + kGuid + ".upd");
  std::string old = Touch("grid.cgi." + kOtherGuid + ".upd");
  Age(mine, 2 * 24 * 3600);
  Age(old, 2 * 24 * 3600);
  EXPECT_FALSE(grid_.CanUpdate()) << "older than a day: refused like a missing lock";
  EXPECT_EQ(css_.GetErrorText(), grid_.GetTextUpdateError());

  css_.SetMaxLockAge(3 * 24 * 3600);
  EXPECT_TRUE(grid_.CanUpdate());
  css_.SetMaxLockAge(24 * 3600);

  TZylHTMLGrid other(nullptr);
  other.SetCSS(&css_);
  other.SetColCount(2);
  other.SetEditMode(true);
  other.SetGUID("11111111-2222-4333-8444-555555555555");
  ASSERT_TRUE(other.Done());
  EXPECT_FALSE(fs::exists(old));
  EXPECT_FALSE(fs::exists(mine));
  EXPECT_TRUE(other.CanUpdate());
}

TEST_F(UpdateLockTest, TempFileNamesAreFreshEmptyFiles) {
  std::string a = TZylHTMLGrid::GetTempFileName();
  std::string b = TZylHTMLGrid::GetTempFileName();
  EXPECT_NE(a, b);
  EXPECT_EQ(ExtractFilePath(a), temp_.Path().string() + "/");
  EXPECT_TRUE(FileExists(a));
  EXPECT_EQ(fs::file_size(a), 0u);
}

}  // namespace
}  // namespace zyl
