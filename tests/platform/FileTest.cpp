// Files: atomic replacement, private temporary files, wildcard deletion of
// lock files, GUIDs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "harness/PrivateTempDir.h"
#include "platform/FileSink.h"
#include "platform/Stream.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace zyl {
namespace {

namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.File(name); }
  void Touch(const std::string& name, const std::string& content = "x") const {
    std::ofstream(Path(name), std::ios::binary) << content;
  }
  std::set<std::string> Entries() const {
    std::vector<std::string> names = dir_.Entries();
    return {names.begin(), names.end()};
  }
  harness::PrivateTempDir dir_;
};

TEST_F(FileTest, FileSinkReplacesTheTargetOnlyOnCommit) {
  Touch("out.bin", "old");
  {
    FileSink sink(Path("out.bin"));
    sink.Write("new content");
    EXPECT_EQ(ReadFileBytes(Path("out.bin")), "old");
    sink.Commit();
  }
  EXPECT_EQ(ReadFileBytes(Path("out.bin")), "new content");
  FileSink(Path("never.bin")).Write("half");  // abandoned
  EXPECT_EQ(Entries(), (std::set<std::string>{"out.bin"})) << "no partial or temporary file";
}

// What a memory or file stream was given reads back; faults of streams and
// files raise EInOutError.
TEST_F(FileTest, StreamsReadBackAndFaultsRaise) {
  using Mode = TFileStream::Mode;
  TMemoryStream memory;
  memory.Write("abcd", 4), memory.SetPosition(2), memory.Write("XYZ", 3), memory.SetPosition(0);
  TFileStream file(Path("s.bin"), Mode::fmCreate), readOnly(Path("s.bin"), Mode::fmOpenRead);
  char buf[4] = {};
  file.CopyFrom(memory), file.SetPosition(1), file.ReadBuffer(buf, 2), file.Write("!", 1);
  EXPECT_EQ(file.GetSize(), 5);
  EXPECT_EQ(ReadFileBytes(Path("s.bin")), "abX!Z");
  for (const auto& fault : std::initializer_list<std::function<void()>>{
           [&] { memory.ReadBuffer(buf, 1); }, [&] { memory.SetPosition(-1); }, [&] { file.SetPosition(-1); },
           [&] { readOnly.Write("x", 1); }, [&] { TFileStream(Path(""), Mode::fmOpenRead).Read(buf, 1); },
           [&] { TFileStream(Path("absent"), Mode::fmOpenRead); }, [&] { FileSink(Path("no/such/dir.bin")); },
           [&] { TFileStream(Path("no/such"), Mode::fmOpenReadWrite); }, [&] { ReadFileBytes(Path("absent")); },
           [&] { TStdStream(TStdStream::Which::Output).SetPosition(1); }, [&] { CopyFile(Path("absent"), Path("c")); },
           [&] { CreateUniqueTempFile(Path("absent")); }})
    EXPECT_THROW(fault(), EInOutError);
}

TEST_F(FileTest, TempFilesAreFreshPrivateAndUnique) {
  std::set<std::string> names;
  for (int i = 0; i < 200; ++i) {
    std::string name = CreateUniqueTempFile(TempDirectory(), "zyl");  // TMPDIR: the test's folder
    ASSERT_TRUE(names.insert(name).second) << "repeated " << name;
    ASSERT_EQ(ExtractFilePath(name), dir_.Path().string() + "/");
    struct stat st {};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 0);
  }
}

TEST_F(FileTest, DeleteFilesTouchesOnlyMatchingNamesAndEscapedWildcardsAreLiteral) {
  for (const char* name : {"grid.cgi.G1.upd", "grid.cgi.upd", "other.upd", "grid.cgi.txt",
                           "xgrid.cgi.G.upd", "grid.cgi.G.upd.bak", "GRID.CGI.G.upd",
                           ".grid.cgi.G.upd", "grid[1].cgi.G.upd", "grid1.cgi.G.upd"}) {
    Touch(name);
  }
  fs::create_directory(Path("grid.cgi.dir.upd"));
  EXPECT_EQ(DeleteFiles(dir_.Path().string(), "grid.cgi*.upd"), 2);
  EXPECT_EQ(DeleteFiles(dir_.Path().string(), EscapeWildcards("grid[1].cgi") + "*.upd"), 1);
  EXPECT_EQ(Entries(),
            (std::set<std::string>{"other.upd", "grid.cgi.txt", "xgrid.cgi.G.upd",
                                   "grid.cgi.G.upd.bak", "GRID.CGI.G.upd", ".grid.cgi.G.upd",
                                   "grid1.cgi.G.upd", "grid.cgi.dir.upd"}));
  EXPECT_EQ(DeleteFiles(Path("absent"), "*"), 0);
  EXPECT_EQ(EscapeWildcards("a*b?c\\d"), "a\\*b\\?c\\\\d");
}

TEST(Guid, UpperCaseVersionFourAndChecked) {
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    std::string g = CreateGuidString();
    ASSERT_TRUE(IsGuidString(g)) << g;
    ASSERT_EQ(g[14], '4') << g;
    ASSERT_TRUE(seen.insert(g).second) << "repeated " << g;
  }
  EXPECT_TRUE(IsGuidString("6f9619ff-8b86-d011-b42d-00c04fc964ff"));
  for (const char* bad :
       {"{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "6F9619FF-8B86-D011-B42D-00C04FC964F",
        "6F9619FF8B86-D011-B42D-00C04FC964FF0", "6F9619FF-8B86-D011-B42D-00C04FC964FG",
        "../../../../etc/passwd-000000000000", ""}) {
    EXPECT_FALSE(IsGuidString(bad)) << bad;
  }
}

}  // namespace
}  // namespace zyl
