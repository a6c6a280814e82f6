// Update lock files: the cases every lock store passes (UpdateLockCases.h),
// and what is particular to files: names, content and permissions, names
// that only look like locks, and refusing names that are not plain lock
// files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "PrivateTempDir.h"
#include "UpdateLockCases.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Exception.h"
#include "platform/System.h"
#include "request/UpdateLocks.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

namespace fs = std::filesystem;

using testing::kGuid;
using testing::kOtherGuid;

// The lock files in the test's private temporary directory.
class FileKit {
 public:
  UpdateLockStore* Store() { return &DefaultUpdateLockStore(); }
  std::string Reason() const { return std::string(); }
  std::vector<std::string> Locks() const {
    std::vector<std::string> locks;
    for (const auto& entry : fs::directory_iterator(TempDirectory())) {
      std::string name = entry.path().filename().string();
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".upd") == 0) {
        locks.push_back(name.substr(0, name.size() - 4));
      }
    }
    std::sort(locks.begin(), locks.end());
    return locks;
  }
  void Plant(const std::string& prefix, const std::string& guid) const {
    std::ofstream(TempDirectory() + prefix + "." + guid + ".upd") << "x";
  }
  void Age(const std::string& prefix, const std::string& guid, long seconds) const {
    fs::path path = TempDirectory() + prefix + "." + guid + ".upd";
    fs::last_write_time(path, fs::last_write_time(path) - std::chrono::seconds(seconds));
  }
};

}  // namespace

namespace testing {
INSTANTIATE_TYPED_TEST_SUITE_P(Files, UpdateLockCases, ::testing::Types<FileKit>);
}  // namespace testing

namespace {

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

TEST_F(UpdateLockTest, CleanupEditsLeavesNamesThatOnlyLookLikeLocks) {
  ASSERT_TRUE(grid_.Done());
  Touch("grid.cgi." + kOtherGuid + ".upd");
  Touch("grid.cgi.notaguid.upd");
  Touch("grid.cgi." + kOtherGuid + ".txt");
  Touch("grid.cgi.x." + kOtherGuid + ".upd");
  grid_.CleanupEdits();
  EXPECT_EQ(temp_.Entries(),
            (std::vector<std::string>{"grid.cgi." + kOtherGuid + ".txt", "grid.cgi.notaguid.upd",
                                      "grid.cgi.x." + kOtherGuid + ".upd"}));
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
