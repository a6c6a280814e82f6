// Update lock files: the shared cases (UpdateLockCases.h); name, content and
// permissions; look-alike names, links and other files that are no lock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "UpdateLockCases.h"
#include "platform/System.h"
#include "request/UpdateLocks.h"

namespace zyl {
namespace {

namespace fs = std::filesystem;
using testing::kGuid;
using testing::kOtherGuid;

// The lock files in the test's private temporary directory.
struct FileKit {
  UpdateLockStore* Store() { return &DefaultUpdateLockStore(); }
  std::string Reason() const { return {}; }
  std::vector<std::string> Locks() const {
    std::vector<std::string> locks;
    for (const auto& entry : fs::directory_iterator(TempDirectory())) {
      if (entry.path().extension() == ".upd") locks.push_back(entry.path().stem().string());
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

class LockFiles : public ::testing::Test {
 protected:
  LockFiles() {
    css_.SetModuleFileName("/srv/cgi-bin/grid.cgi");
    testing::MakeEditable(grid_, css_, kGuid);
  }
  std::string Touch(const std::string& name) const {
    std::ofstream(temp_.File(name)) << "x";
    return temp_.File(name);
  }
  harness::PrivateTempDir temp_;
  TZylCSS css_{nullptr};
  TZylHTMLGrid grid_{nullptr};
};

TEST_F(LockFiles, OneOwnerOnlyLineNamedAfterProgramAndPageAndLookAlikesStay) {
  ASSERT_TRUE(grid_.Done());
  std::string path = temp_.File("grid.cgi." + kGuid + ".upd");
  EXPECT_EQ(ReadFileBytes(path), kGuid + "\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const std::vector<std::string> lookAlikes = {"grid.cgi." + kOtherGuid + ".txt", "grid.cgi.notaguid.upd",
                                               "grid.cgi.x." + kOtherGuid + ".upd"};
  for (const std::string& name : lookAlikes) Touch(name);
  Touch("grid.cgi." + kOtherGuid + ".upd");
  grid_.CleanupEdits();
  EXPECT_EQ(temp_.Entries(), (std::vector<std::string>{lookAlikes[0], lookAlikes[1], "grid.cgi.upd.lock",
                                                        "grid.cgi.upd.sweep", lookAlikes[2]}))
      << "and the folder lock and sweep files, which stay";
}

TEST_F(LockFiles, LinksAndOtherFilesAreNoLocksAndStayUntouched) {
  std::string target = Touch("precious.txt");
  std::string path = temp_.File("grid.cgi." + kGuid + ".upd");
  for (int kind = 0; kind < 3; ++kind) {
    fs::remove(path);
    if (kind == 0) fs::create_symlink(target, path);
    if (kind == 1) fs::create_hard_link(target, path);
    if (kind == 2) { EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0); }  // must not block
    EXPECT_FALSE(grid_.CanUpdate()) << kind;
    EXPECT_THROW(grid_.Done(), EInOutError) << kind;
    EXPECT_EQ(ReadFileBytes(target), "x");
  }
}

}  // namespace
}  // namespace zyl
