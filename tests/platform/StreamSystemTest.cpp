// Streams (memory, file) and operating-system services: temporary files,
// file operations, wildcard deletion, file-name parts and GUIDs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/Stream.h"
#include "platform/System.h"

namespace fs = std::filesystem;

namespace zyl {
namespace {

// Each test gets an empty directory of its own.
class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("zyl_platform_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Touch(const std::string& name, const std::string& content = "x") const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }

  fs::path dir_;
};

std::string ReadAll(TStream& s) {
  std::string out;
  char buf[7];  // small on purpose: several reads
  for (std::size_t n; (n = s.Read(buf, sizeof buf)) > 0;) out.append(buf, n);
  return out;
}

// ---------------------------------------------------------------- memory stream

TEST(MemoryStream, WritesReadsAndSeeks) {
  TMemoryStream s;
  s.Write("hello");
  EXPECT_EQ(s.GetPosition(), 5);
  EXPECT_EQ(s.GetSize(), 5);
  s.SetPosition(1);
  s.Write("EY");  // overwrites in place
  EXPECT_EQ(s.AsString(), "hEYlo");
  s.SetPosition(0);
  EXPECT_EQ(ReadAll(s), "hEYlo");
  EXPECT_EQ(s.Read(nullptr, 0), 0u);
  s.SetPosition(7);  // past the end: writing there fills the gap with zeros
  s.Write("!");
  EXPECT_EQ(s.AsString(), std::string("hEYlo\0\0!", 8));
  EXPECT_THROW(s.SetPosition(-1), EInOutError);
}

TEST(MemoryStream, ReadBufferRaisesWhenTheDataEnds) {
  TMemoryStream s;
  s.Write("abc");
  s.SetPosition(0);
  char buf[4] = {};
  s.ReadBuffer(buf, 2);
  EXPECT_EQ(std::string(buf, 2), "ab");
  try {
    s.ReadBuffer(buf, 2);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  s.SetPosition(3);
  EXPECT_THROW(s.ReadBuffer(buf, 1), EInOutError);
  s.ReadBuffer(buf, 0);  // nothing asked, nothing missing
}

TEST(MemoryStream, CopyFromTakesTheRestOfTheSource) {
  TMemoryStream source, target;
  std::string big(200000, 'z');
  big[0] = 'a';
  source.Write(big);
  source.SetPosition(1);
  target.Write("<");
  target.CopyFrom(source);
  EXPECT_EQ(target.GetSize(), 200000);
  EXPECT_EQ(target.AsString().substr(0, 2), "<z");
}

// ---------------------------------------------------------------- file stream

TEST_F(FileTest, FileStreamCreatesReadsAndSeeks) {
  std::string name = Path("data.bin");
  {
    TFileStream out(name, TFileStream::Mode::fmCreate);
    out.Write(std::string("one\0two", 7));
    EXPECT_EQ(out.GetSize(), 7);
    EXPECT_EQ(out.GetPosition(), 7);  // asking for the size does not move
    out.SetPosition(0);
    EXPECT_EQ(ReadAll(out), std::string("one\0two", 7));  // read after write
    out.SetPosition(3);
    out.Write("-");
    out.Write("X");  // write right after write
    EXPECT_EQ(out.GetPosition(), 5);
    EXPECT_EQ(ReadAll(out), "wo");  // read right after a write, no seek
  }
  TFileStream in(name, TFileStream::Mode::fmOpenRead);
  EXPECT_EQ(in.GetSize(), 7);
  EXPECT_EQ(ReadAll(in), "one-Xwo");
  char c;
  EXPECT_THROW(in.ReadBuffer(&c, 1), EInOutError);
  EXPECT_THROW(in.Write("no"), EInOutError);  // opened for reading only
  EXPECT_THROW(in.SetPosition(-1), EInOutError);
}

TEST_F(FileTest, CreateReplacesAndReadWriteKeeps) {
  std::string name = Path("f.txt");
  Touch("f.txt", "old content");
  { TFileStream(name, TFileStream::Mode::fmCreate).Write("new"); }
  EXPECT_EQ(ReadFileBytes(name), "new");
  {
    TFileStream rw(name, TFileStream::Mode::fmOpenReadWrite);
    char c;
    rw.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'n');
    rw.Write("E");  // write right after a read, no seek
    rw.SetPosition(rw.GetSize());
    rw.Write("!");
  }
  EXPECT_EQ(ReadFileBytes(name), "nEw!");
}

TEST_F(FileTest, OpeningAMissingFileNamesIt) {
  std::string name = Path("missing.txt");
  try {
    TFileStream s(name, TFileStream::Mode::fmOpenRead);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot open file \"" + name + "\""), std::string::npos)
        << e.what();
  }
  EXPECT_THROW(TFileStream(Path("no/such/dir.bin"), TFileStream::Mode::fmCreate), EInOutError);
}

TEST(StdStream, CannotSeek) {
  TStdStream out(TStdStream::Which::Output);
  EXPECT_EQ(out.GetPosition(), 0);
  out.SetPosition(0);  // staying put is allowed
  EXPECT_THROW(out.SetPosition(10), EInOutError);
}

// ---------------------------------------------------------------- temporary files

TEST_F(FileTest, TempFilesAreFreshEmptyPrivateAndUnique) {
  std::set<std::string> names;
  for (int i = 0; i < 200; ++i) {
    std::string name = CreateUniqueTempFile(dir_.string(), "zyl");
    EXPECT_TRUE(names.insert(name).second) << "repeated " << name;
    EXPECT_EQ(ExtractFilePath(name), dir_.string() + "/");
    EXPECT_EQ(ExtractFileName(name).substr(0, 3), "zyl");
    ASSERT_TRUE(FileExists(name));
    EXPECT_EQ(fs::file_size(name), 0u);
    struct stat st{};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
  EXPECT_THROW(CreateUniqueTempFile(Path("absent")), EInOutError);
}

TEST(TempDirectory, FollowsTmpdirAndEndsWithSlash) {
  std::string saved;
  bool had = GetEnvVar("TMPDIR", saved);
  ::setenv("TMPDIR", "/var/tmp", 1);
  EXPECT_EQ(TempDirectory(), "/var/tmp/");
  ::setenv("TMPDIR", "/var/tmp/", 1);
  EXPECT_EQ(TempDirectory(), "/var/tmp/");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(TempDirectory(), "/tmp/");
  std::string value;
  EXPECT_FALSE(GetEnvVar("TMPDIR", value));
  if (had) ::setenv("TMPDIR", saved.c_str(), 1);
}

// ---------------------------------------------------------------- file operations

TEST_F(FileTest, ExistsDeleteCopyRead) {
  Touch("a.txt", std::string("bin\0ary", 7));
  EXPECT_TRUE(FileExists(Path("a.txt")));
  EXPECT_FALSE(FileExists(Path("b.txt")));
  EXPECT_FALSE(FileExists(dir_.string()));  // a directory is no file
  Touch("b.txt", "older and longer content");
  CopyFile(Path("a.txt"), Path("b.txt"));
  EXPECT_EQ(ReadFileBytes(Path("b.txt")), std::string("bin\0ary", 7));
  EXPECT_THROW(CopyFile(Path("none.txt"), Path("c.txt")), EInOutError);
  EXPECT_TRUE(DeleteFile(Path("a.txt")));
  EXPECT_FALSE(DeleteFile(Path("a.txt")));
  EXPECT_THROW(ReadFileBytes(Path("a.txt")), EInOutError);
}

TEST_F(FileTest, DeleteFilesTouchesOnlyMatchingNames) {
  for (const char* name : {"grid.cgi.G1.upd", "grid.cgi.{ABC}.upd", "grid.cgi.upd", "other.upd",
                           "grid.cgi.txt", "xgrid.cgi.G.upd", "grid.cgi.G.upd.bak", "GRID.CGI.G.upd",
                           ".grid.cgi.G.upd"}) {
    Touch(name);
  }
  fs::create_directory(dir_ / "grid.cgi.dir.upd");
  fs::create_directory(dir_ / "sub");
  Touch("sub/grid.cgi.G.upd");

  EXPECT_EQ(DeleteFiles(dir_.string(), "grid.cgi*.upd"), 3);
  std::set<std::string> left;
  for (const auto& e : fs::directory_iterator(dir_)) left.insert(e.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"other.upd", "grid.cgi.txt", "xgrid.cgi.G.upd",
                                         "grid.cgi.G.upd.bak", "GRID.CGI.G.upd", ".grid.cgi.G.upd",
                                         "grid.cgi.dir.upd", "sub"}));
  EXPECT_TRUE(fs::exists(dir_ / "sub" / "grid.cgi.G.upd"));
  EXPECT_EQ(DeleteFiles(Path("absent"), "*"), 0);
}

TEST_F(FileTest, WildcardCharactersInAModuleNameAreTakenLiterally) {
  Touch("grid[1].cgi.G.upd");
  Touch("grid1.cgi.G.upd");
  Touch("grid?.cgi.G.upd");
  Touch("gridx.cgi.G.upd");
  EXPECT_EQ(DeleteFiles(dir_.string(), EscapeWildcards("grid[1].cgi") + "*.upd"), 1);
  EXPECT_EQ(DeleteFiles(dir_.string(), EscapeWildcards("grid?.cgi") + "*.upd"), 1);
  EXPECT_TRUE(FileExists(Path("grid1.cgi.G.upd")));
  EXPECT_TRUE(FileExists(Path("gridx.cgi.G.upd")));
  EXPECT_FALSE(FileExists(Path("grid[1].cgi.G.upd")));
  EXPECT_EQ(EscapeWildcards("a*b\\c"), "a\\*b\\\\c");
}

// ---------------------------------------------------------------- names

TEST(FileNames, PartsAndExtensions) {
  EXPECT_EQ(ExtractFileName("/srv/cgi-bin/grid.cgi"), "grid.cgi");
  EXPECT_EQ(ExtractFileName("grid.cgi"), "grid.cgi");
  EXPECT_EQ(ExtractFileName("/srv/cgi-bin/"), "");
  EXPECT_EQ(ExtractFilePath("/srv/cgi-bin/grid.cgi"), "/srv/cgi-bin/");
  EXPECT_EQ(ExtractFilePath("grid.cgi"), "");
  EXPECT_EQ(ExtractFilePath("/grid.cgi"), "/");
  EXPECT_EQ(ChangeFileExt("/tmp/zylA1b2C3", ".xls"), "/tmp/zylA1b2C3.xls");
  EXPECT_EQ(ChangeFileExt("/tmp/data.txt", ".dbf"), "/tmp/data.dbf");
  EXPECT_EQ(ChangeFileExt("archive.tar.gz", ".zip"), "archive.tar.zip");
  EXPECT_EQ(ChangeFileExt("/srv/v1.2/grid", ".ini"), "/srv/v1.2/grid.ini");  // dot in a folder
  EXPECT_EQ(ChangeFileExt("report.", ".pdf"), "report.pdf");
  EXPECT_EQ(ChangeFileExt("/tmp/data.txt", ""), "/tmp/data");
}

TEST(Module, FileNameIsThisProgram) {
  std::string name = ModuleFileName();
  EXPECT_EQ(name.front(), '/');
  EXPECT_EQ(ExtractFileName(name), "platform_tests");
  EXPECT_TRUE(FileExists(name));
}

// ---------------------------------------------------------------- GUIDs

TEST(Guid, FormIsUpperCaseHexWithDashes) {
  std::set<std::string> seen;
  for (int i = 0; i < 10000; ++i) {
    std::string g = CreateGuidString();
    ASSERT_EQ(g.size(), 36u) << g;
    for (std::size_t k = 0; k < g.size(); ++k) {
      char c = g[k];
      if (k == 8 || k == 13 || k == 18 || k == 23) {
        ASSERT_EQ(c, '-') << g;
      } else {
        ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << g;
      }
    }
    EXPECT_EQ(g[14], '4') << g;  // random (version 4)
    ASSERT_TRUE(IsGuidString(g));
    ASSERT_TRUE(seen.insert(g).second) << "repeated " << g;
  }
}

TEST(Guid, IsGuidStringChecksTheWholeForm) {
  EXPECT_TRUE(IsGuidString("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
  EXPECT_TRUE(IsGuidString("6f9619ff-8b86-d011-b42d-00c04fc964ff"));
  EXPECT_FALSE(IsGuidString("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
  EXPECT_FALSE(IsGuidString("6F9619FF-8B86-D011-B42D-00C04FC964F"));
  EXPECT_FALSE(IsGuidString("6F9619FF-8B86-D011-B42D-00C04FC964FFF"));
  EXPECT_FALSE(IsGuidString("6F9619FF8B86-D011-B42D-00C04FC964FF0"));
  EXPECT_FALSE(IsGuidString("6F9619FF-8B86-D011-B42D-00C04FC964FG"));
  EXPECT_FALSE(IsGuidString("../../../../etc/passwd-000000000000"));
  EXPECT_FALSE(IsGuidString(""));
}

}  // namespace
}  // namespace zyl
