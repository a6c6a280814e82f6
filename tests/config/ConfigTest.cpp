// Saving and loading grid configurations: the golden file (every key with a
// value other than its default) loads and saves back byte for byte; the INI
// file keeps every value on one line and replaces files whole or not at
// all; font and sort-button texts; files that are wrong or hostile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "config/ConfigText.h"
#include "config/GridConfig.h"
#include "config/IniFile.h"
#include "grid/ZylHTMLGrid.h"
#include "harness/Golden.h"
#include "harness/PrivateTempDir.h"

namespace zyl {
namespace {

using config::IniFile;
using Texts = std::vector<std::string>;

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
}

// Runs `op` with files limited to `bytes` (as a full disk would refuse
// them); returns what it raised.
std::string WithFileSizeLimit(rlim_t bytes, const std::function<void()>& op) {
  rlimit saved{}, small{};
  getrlimit(RLIMIT_FSIZE, &saved);
  small = saved;
  small.rlim_cur = bytes;
  auto handler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  std::string error = harness::MessageOf(op);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, handler);
  return error;
}

class Config : public ::testing::Test {
 protected:
  void SetUp() override { grid_.Loaded(); }
  harness::PrivateTempDir dir_;
  std::string file_ = dir_.File("grid.ini");
  TZylHTMLGrid grid_{nullptr};
};

TEST_F(Config, GoldenFileLoadsAndSavesBackByteForByte) {
  const std::string golden = ZYL_SOURCE_DIR "/tests/config/golden-grid.ini";
  grid_.LoadConfig(golden);
  grid_.SaveConfig(file_);
  EXPECT_EQ(ReadFile(file_), ReadFile(golden));
  EXPECT_EQ(grid_.GetTextUpdateError(), "  Fehler!\\n Nochmals versuchen. ")
      << "leading blanks kept";
  EXPECT_EQ(grid_.GetAltOK(), "\" Los \"");
  EXPECT_EQ(grid_.GetAltGraph(), "<<<Grafik>>>");
  EXPECT_EQ(grid_.GetColCount(), 5) << "the number column and four saved ones";
  EXPECT_EQ(grid_.GetColumns(1)->GetCaption(), "Town");
  EXPECT_EQ(Texts(grid_.GetColumns(1)->PickList().begin(), grid_.GetColumns(1)->PickList().end()),
            (Texts{"New York", "Boston", "\"Big\" Apple, NY"}));
  EXPECT_EQ(grid_.GetRows(4)->GetHTMLOverride(), "<TR><TD>C:\\temp</TD></TR>\r\n");
  EXPECT_EQ(grid_.GetCells(2, 0)->GetValue(), "3") << "fresh row numbers";

  TZylHTMLGrid fresh(nullptr);  // a default grid round-trips too
  fresh.Loaded();
  fresh.SaveConfig(file_);
  const std::string defaults = ReadFile(file_);
  grid_.LoadConfig(file_);
  grid_.SaveConfig(file_);
  EXPECT_EQ(ReadFile(file_), defaults);
}

TEST_F(Config, RowNumbersSurplusSectionsAndOtherSectionsOfTheFile) {
  WriteFile(file_, "; layout of the orders page\n[grid]\nheader=From file\n\n[MyApp]\nKey=1\n");
  grid_.SetColCount(3);
  grid_.SetRowCount(3);
  grid_.LoadConfig(file_);
  EXPECT_EQ(grid_.GetHeader(), "From file") << "names ignore case";
  grid_.GetColumns(1)->SetCaption("First");
  grid_.GetColumns(0)->SetWidth(77);  // the number column's own settings are not kept
  grid_.GetCells(2, 2)->SetWidth(99);
  grid_.SaveConfig(file_);
  grid_.SetColCount(2);
  grid_.SetRowCount(2);
  grid_.SaveConfig(file_);
  const std::string text = ReadFile(file_);
  EXPECT_EQ(text.rfind("; layout of the orders page\n\n\n[grid]\nheader=From file\n", 0), 0u)
      << text;
  EXPECT_THAT(text, ::testing::HasSubstr("[MyApp]\nKey=1\n"));
  EXPECT_THAT(text, ::testing::HasSubstr("ColCount=2\n"));
  EXPECT_THAT(text, ::testing::HasSubstr("[CELL 2,1]\n")) << "surplus sections stay";
  EXPECT_EQ(grid_.GetColumns(0)->GetWidth(), -1) << "the number column is made anew";
  EXPECT_EQ(grid_.GetColumns(1)->GetCaption(), "First");

  TZylHTMLGrid plain(nullptr);  // a numbered file into a grid without numbers
  plain.Loaded();
  plain.SetShowRowNumber(false);
  plain.LoadConfig(file_);
  EXPECT_TRUE(plain.GetShowRowNumber());
  EXPECT_EQ(plain.GetColCount(), 3);
  EXPECT_EQ(plain.GetColumns(1)->GetCaption(), "First");
  plain.LoadConfig(dir_.File("missing.ini"));  // runs every setter again
  EXPECT_EQ(plain.GetColCount(), 3);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("missing.ini")));
}

TEST_F(Config, WrongValuesKeepTheSettingAndAnErrorEndsTheLoadWhereItHappens) {
  WriteFile(file_,
            "[GRID]\nWidth=wide\nHeaderHAlign=9\nCSSUnits=-1\nWordWrap=yes\nTextIndent=$10\n"
            "[COLUMN 0]\nDataType=26\nHAlign=4\n");
  grid_.SetWidth(12);
  grid_.LoadConfig(file_);
  EXPECT_EQ(grid_.GetWidth(), 12);
  EXPECT_EQ(grid_.GetHeaderHAlign(), HAlignment::alLeft);
  EXPECT_EQ(grid_.GetCSSUnits(), TCSSUnits::cuPoints);
  EXPECT_FALSE(grid_.GetWordWrap());
  EXPECT_EQ(grid_.GetTextIndent(), 16);
  EXPECT_EQ(grid_.GetColumns(1)->GetDataType(), TFieldType::ftString);
  WriteFile(
      file_,
      "[GRID]\nHeader=applied\nBorderColor=purple-ish\nBorderWidth=9\n[COLUMN 0]\nCaption=A\n");
  EXPECT_THAT([&] { grid_.LoadConfig(file_); },
              ::testing::ThrowsMessage<EConvertError>(
                  ::testing::StrEq("'purple-ish' is not a valid integer value")));
  EXPECT_EQ(grid_.GetHeader(), "applied");
  EXPECT_EQ(grid_.GetBorderWidth(), 1) << "keys after the failing one are not read";
  WriteFile(file_, "[GRID]\nMaxCols=2000000000\nRowCount=2000000000\nColCount=2000000000\n");
  ConfigLimits limits;
  limits.maxRows = 500;
  limits.maxCols = 40;
  limits.maxCells = 2000;
  LoadGridConfig(grid_, file_, limits);
  EXPECT_EQ(grid_.GetColCount(), 40) << "hostile counts are bounded";
  EXPECT_EQ(grid_.GetRowCount(), 50) << "2000 cells over 40 columns";
  WriteFile(file_, "[GRID]\nRowCount=-4\n");
  EXPECT_THROW(grid_.LoadConfig(file_), EListError);
}

TEST_F(Config, SaveThatCannotCompleteLeavesTheOldFile) {
  grid_.SetHeader("old");
  grid_.SaveConfig(file_);
  const std::string old = ReadFile(file_);
  grid_.SetRowCount(300);
  for (int r = 0; r < 300; ++r) grid_.GetCells(r, 0)->SetWidth(r);
  EXPECT_NE(WithFileSizeLimit(old.size() + 100, [&] { grid_.SaveConfig(file_); }), "no error");
  EXPECT_EQ(ReadFile(file_), old);
  EXPECT_EQ(dir_.Entries(), Texts{"grid.ini"}) << "no temporary file is left";
  EXPECT_EQ(grid_.GetColCount(), 2) << "the number column is back";
  EXPECT_THROW(grid_.SaveConfig(dir_.File("missing/folder/grid.ini")), EInOutError);
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(file_.c_str(), 0444), 0);
    EXPECT_THROW(grid_.SaveConfig(file_), EInOutError);
    EXPECT_EQ(ReadFile(file_), old);
  }
}

TEST_F(Config, IniValuesStandOnOneLineAndReadBackExactly) {
  const Texts values = {" Cannot update!\\n Try again.",
                        "trailing ",
                        "two\nlines",
                        "ends in a break\r\n",
                        "",
                        "\t",
                        "[GRID]",
                        "; no comment",
                        "\"quoted\",\"list\"",
                        "\"New York\"",
                        "\" x\"",
                        "C:\\temp\\",
                        "<<<TAG",
                        "one\nEND_OF_TEXT\ntwo",
                        std::string(100001, '"')};
  {
    IniFile ini(file_);
    for (std::size_t i = 0; i < values.size(); ++i)
      ini.WriteString("S", "K" + std::to_string(i), values[i]);
    ini.UpdateFile();
  }
  const std::string text = ReadFile(file_);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(values.size() + 1));
  EXPECT_THAT(text, ::testing::HasSubstr("K0=\" Cannot update!\\\\n Try again.\"\n"));
  EXPECT_THAT(text, ::testing::HasSubstr("K9=\"New York\"\n")) << "needs no quotes";
  IniFile back(file_);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(back.ReadString("S", "K" + std::to_string(i), "?"), values[i]) << i;
  }
  WriteFile(file_,
            "[s]\nK=<<<END_OF_TEXT\n Cannot\\n update\nEND_OF_TEXT\nL=$10\nM=x\n");  // older files
  IniFile old(file_);
  EXPECT_EQ(old.ReadString("S", "k", ""), " Cannot\\n update");
  EXPECT_EQ(old.ReadInteger("S", "L", 0), 16);
  EXPECT_EQ(old.ReadInteger("S", "M", -1), -1);
  old.WriteInteger("S", "L", 13);
  old.UpdateFile();
  EXPECT_EQ(ReadFile(file_), "[s]\nK=\" Cannot\\\\n update\"\nL=13\nM=x\n");
  EXPECT_THROW(IniFile(file_, 10), EInOutError) << "larger than the limit";
}

TEST_F(Config, IniFileReplacesTheTargetOfALinkWholeOrNotAtAll) {
  std::string link = dir_.File("link.ini");
  WriteFile(file_, "[S]\nK=old\n");
  ASSERT_EQ(chmod(file_.c_str(), 0600), 0);
  ASSERT_EQ(symlink(file_.c_str(), link.c_str()), 0);
  IniFile ini(link);
  for (int i = 0; i < 500; ++i) ini.WriteString("ROW " + std::to_string(i), "CSS", "color: red");
  EXPECT_NE(WithFileSizeLimit(4096, [&] { ini.UpdateFile(); }), "no error");
  EXPECT_EQ(ReadFile(file_), "[S]\nK=old\n");
  IniFile small(link);
  small.WriteString("S", "K", "new");
  small.UpdateFile();
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(file_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(file_), "[S]\nK=new\n");
  EXPECT_EQ(dir_.Entries(), (Texts{"grid.ini", "link.ini"}));
}

TEST(ConfigText, FontsAndSortButtons) {
  // clang-format off
  const struct {
    const char* text;
    const char* after;  // FontToString of the font read, or the error
  } fonts[] = {
      {"Times New Roman,-7,0101,clNavy", "Times New Roman,-7,0101,clNavy"},
      {"Arial,9,1x2Y,$00FF0000", "Arial,9,1000,clBlue"},  // only '1' sets a flag
      {"Arial,8,01,clBlack", "Invalid font info"},  // name and size applied first
      {"Verdana,8", "Invalid font info"},
      {"Arial,big,0000,clBlack", "'big' is not a valid integer value"},
      {"Arial,11,1000,notacolour", "'notacolour' is not a valid integer value"},
      {"Arial,1610612736,0000,clBlack", "Invalid font info"}
  };
  // clang-format on
  for (const auto& f : fonts) {
    TFont font;
    font.SetColor(clRed);
    std::string error = harness::MessageOf([&] { StringToFont(f.text, font); });
    EXPECT_EQ(error == "no error" ? FontToString(font) : error, f.after) << f.text;
  }
  TZylHTMLGrid grid(nullptr);
  TZylGlyph& glyph = *grid.GetColumns(0)->Glyph();
  EXPECT_EQ(GlyphToString(glyph), "GAsc.gif,16,12,0,1,GDesc.gif,16,12,0,1");
  StringToGlyph("up.png,20,10,2,0,down.png,21,11,3,3", glyph);
  EXPECT_EQ(GlyphToString(glyph), "up.png,20,10,2,0,down.png,21,11,3,3");
  for (const char* bad :
       {"a.gif,1,2,3,2,b.gif,5,6,7", "a,1,2,3,1,b,5,6,7,1,2", "a,1,2,3,4,b,5,6,7,1"}) {
    EXPECT_THROW(StringToGlyph(bad, glyph), EConvertError) << bad;
  }
  EXPECT_EQ(glyph.GetURLASC(), "a") << "fields before the error are applied";
}

}  // namespace
}  // namespace zyl
