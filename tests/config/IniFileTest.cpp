// The INI file object behind the configuration: defaults, case, what stays
// untouched, values that need the quoted form, and writes that fail.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "ConfigTestSupport.h"
#include "config/IniFile.h"
#include "platform/Exception.h"

namespace zyl {
namespace {

using config::IniFile;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

TEST(IniFile, MissingFileAndKeysReadAsDefaults) {
  ScratchDir dir;
  IniFile ini(dir.File("absent.ini"));
  EXPECT_FALSE(ini.SectionExists("GRID"));
  EXPECT_EQ(ini.ReadString("GRID", "Header", "def"), "def");
  EXPECT_EQ(ini.ReadInteger("GRID", "Width", 7), 7);
  EXPECT_TRUE(ini.ReadBool("GRID", "WordWrap", true));
  ini.UpdateFile();  // nothing written: no file appears
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(IniFile, IntegersAndBooleans) {
  ScratchDir dir;
  WriteFile(dir.File("a.ini"), "[S]\nA=12\nB=$10\nC=0x10\nD=twelve\nE=\nF=2\nG=0\n");
  IniFile ini(dir.File("a.ini"));
  EXPECT_EQ(ini.ReadInteger("S", "A", 0), 12);
  EXPECT_EQ(ini.ReadInteger("S", "B", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "C", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "D", -1), -1);  // not an integer: the default
  EXPECT_EQ(ini.ReadInteger("S", "E", -1), -1);
  EXPECT_TRUE(ini.ReadBool("S", "F", false));  // any value but 0 is true
  EXPECT_FALSE(ini.ReadBool("S", "G", true));
  EXPECT_TRUE(ini.ReadBool("S", "D", true));
  EXPECT_EQ(ini.ReadString("S", "E", "def"), "");  // present but empty
}

TEST(IniFile, NamesIgnoreCaseAndKeepTheirSpelling) {
  ScratchDir dir;
  std::string name = dir.File("case.ini");
  WriteFile(name, "[grid]\nheader=old\n");
  {
    IniFile ini(name);
    EXPECT_EQ(ini.ReadString("GRID", "Header", ""), "old");
    ini.WriteString("Grid", "HEADER", "new");
    ini.UpdateFile();
  }
  EXPECT_EQ(ReadFile(name), "[grid]\nheader=new\n");
}

TEST(IniFile, SectionsKeysAndCommentsNotWrittenStay) {
  ScratchDir dir;
  std::string name = dir.File("keep.ini");
  WriteFile(name, "; kept comment\n\n[Other]\nX=1\n\n[GRID]\nHeader=old\nExtra=yes\n");
  {
    IniFile ini(name);
    ini.WriteString("GRID", "Header", "new");
    ini.WriteString("GRID", "Width", "5");
    ini.WriteString("COLUMN 0", "Caption", "A");
    ini.UpdateFile();
  }
  // SimpleIni separates sections by two empty lines.
  EXPECT_EQ(ReadFile(name),
            "; kept comment\n\n\n[Other]\nX=1\n\n\n[GRID]\nHeader=new\nExtra=yes\nWidth=5\n\n\n"
            "[COLUMN 0]\nCaption=A\n");
}

TEST(IniFile, EveryValueStandsOnOneLineAndReadsBackExactly) {
  ScratchDir dir;
  std::string name = dir.File("values.ini");
  const std::vector<std::string> values = {" Cannot update!\\n Try again.",
                                           "trailing ",
                                           "two\nlines",
                                           "ends in a break\r\n",
                                           "\n",
                                           "",
                                           "  ",
                                           "\t",
                                           "[GRID]",
                                           "; no comment",
                                           "\"quoted\",\"list\"",
                                           "\"New York\"",
                                           "\" x\"",
                                           "\"a\\nb\"",
                                           "C:\\temp\\",
                                           "<<",
                                           "<<<TAG",
                                           "one\nEND_OF_TEXT\ntwo",
                                           "\"\"x\"\"",
                                           std::string(100001, '"')};  // no deep nesting
  {
    IniFile ini(name);
    for (std::size_t i = 0; i < values.size(); ++i) {
      ini.WriteString("S", "K" + std::to_string(i), values[i]);
    }
    ini.UpdateFile();
  }
  const std::string text = ReadFile(name);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(values.size() + 1));
  EXPECT_NE(text.find("K0=\" Cannot update!\\\\n Try again.\"\n"), std::string::npos);
  EXPECT_NE(text.find("K11=\"New York\"\n"), std::string::npos) << "needs no quotes";
  IniFile back(name);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(back.ReadString("S", "K" + std::to_string(i), "?"), values[i]) << i;
  }
}

TEST(IniFile, MultiLineBlocksOfEarlierFilesAreReadAndWrittenQuoted) {
  ScratchDir dir;
  std::string name = dir.File("old.ini");
  WriteFile(name, "[S]\nK=<<<END_OF_TEXT\n Cannot\\n update\nagain\nEND_OF_TEXT\nL=12\n");
  IniFile ini(name);
  EXPECT_EQ(ini.ReadString("S", "K", ""), " Cannot\\n update\nagain");
  ini.WriteInteger("S", "L", 13);
  ini.UpdateFile();
  EXPECT_EQ(ReadFile(name), "[S]\nK=\" Cannot\\\\n update\\nagain\"\nL=13\n");
}

TEST(IniFile, FileLargerThanTheLimitIsRefused) {
  ScratchDir dir;
  WriteFile(dir.File("big.ini"), "[S]\nK=" + std::string(200, 'x') + "\n");
  EXPECT_THROW(IniFile(dir.File("big.ini"), 100), EInOutError);
  EXPECT_NO_THROW(IniFile(dir.File("big.ini"), 1000));
  EXPECT_THROW(IniFile(dir.Path().string()), EInOutError);  // a folder
}

TEST(IniFile, SymbolicLinkIsFollowedAndModeKept) {
  ScratchDir dir;
  std::string real = dir.File("real.ini");
  std::string link = dir.File("link.ini");
  WriteFile(real, "[S]\nK=old\n");
  ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  {
    IniFile ini(link);
    ini.WriteString("S", "K", "new");
    ini.UpdateFile();
  }
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(real), "[S]\nK=new\n");
}

// The file system refuses the bytes half-way (as a full disk would): the
// old file stays complete and no temporary file is left behind.
TEST(IniFile, WriteThatFailsHalfWayLeavesTheOldFile) {
  ScratchDir dir;
  std::string name = dir.File("full.ini");
  const std::string old = "[GRID]\nHeader=old\n";
  WriteFile(name, old);

  IniFile ini(name);
  for (int i = 0; i < 500; ++i) ini.WriteString("ROW " + std::to_string(i), "CSS", "color: red");

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(ini.UpdateFile(), EInOutError);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadFile(name), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"full.ini"});
}

TEST(IniFile, UnwritableFolderOrFileLeavesTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write wherever it likes";
  ScratchDir dir;
  std::string name = dir.File("ro.ini");
  WriteFile(name, "[S]\nK=old\n");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
  {
    IniFile ini(name);
    ini.WriteString("S", "K", "new");
    EXPECT_THROW(ini.UpdateFile(), EInOutError);
  }
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(ReadFile(name), "[S]\nK=old\n");

  // A read-only file in a writable folder is not replaced either.
  ASSERT_EQ(::chmod(name.c_str(), 0444), 0);
  IniFile ini(name);
  ini.WriteString("S", "K", "new");
  EXPECT_THROW(ini.UpdateFile(), EInOutError);
  EXPECT_EQ(ReadFile(name), "[S]\nK=old\n");
}

TEST(IniFile, MissingFolderIsAnError) {
  ScratchDir dir;
  IniFile ini(dir.File("no/such/folder.ini"));
  ini.WriteString("S", "K", "v");
  EXPECT_THROW(ini.UpdateFile(), EInOutError);
}

}  // namespace
}  // namespace zyl
