// Saving and loading configurations (the file's layout is pinned by the
// golden file of RoundTripTest.cpp): the row-number column, files from
// elsewhere, surplus sections, errors and bounds on what a file may ask for.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>

#include "ConfigTestSupport.h"
#include "config/GridConfig.h"
#include "config/Sections.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Color.h"

namespace zyl {
namespace {

using testing::FindSection;
using testing::ParseIni;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

// A grid as a host has it after streaming: with its number column.
class GridConfig : public ::testing::Test {
 protected:
  void SetUp() override { grid_.Loaded(); }
  std::vector<testing::IniSection> Saved() {
    grid_.SaveConfig(file_);
    return ParseIni(ReadFile(file_));
  }

  ScratchDir dir_;
  std::string file_ = dir_.File("grid.ini");
  TZylHTMLGrid grid_{nullptr};
};

TEST_F(GridConfig, SavingWithTheNumberColumnStoresOnlyTheOthers) {
  grid_.SetColCount(3);
  grid_.SetRowCount(2);
  grid_.GetColumns(1)->SetCaption("First");
  grid_.GetColumns(2)->SetCaption("Second");
  grid_.GetColumns(0)->SetWidth(77);  // the number column's own settings are not kept
  auto sections = Saved();
  EXPECT_EQ(*FindSection(sections, "GRID")->Find("ColCount"), "3");
  EXPECT_EQ(*FindSection(sections, "COLUMN 0")->Find("Caption"), "First");
  EXPECT_EQ(*FindSection(sections, "COLUMN 1")->Find("Caption"), "Second");
  EXPECT_EQ(FindSection(sections, "COLUMN 2"), nullptr);

  // The number column is recreated with fresh numbers.
  ASSERT_EQ(grid_.GetColCount(), 3);
  EXPECT_EQ(grid_.GetColumns(0)->GetCaption(), "No:");
  EXPECT_EQ(grid_.GetColumns(0)->GetWidth(), -1);
  EXPECT_EQ(grid_.GetCells(1, 0)->GetValue(), "2");
  EXPECT_EQ(grid_.GetColumns(1)->GetCaption(), "First");
}

TEST_F(GridConfig, NumberedFileIntoAGridWithoutNumbersGivesOneMoreColumn) {
  grid_.SetColCount(3);
  grid_.GetColumns(1)->SetCaption("First");
  grid_.GetColumns(2)->SetCaption("Second");
  grid_.SaveConfig(file_);

  TZylHTMLGrid plain(nullptr);
  plain.Loaded();
  plain.SetShowRowNumber(false);
  plain.LoadConfig(file_);
  EXPECT_TRUE(plain.GetShowRowNumber());
  ASSERT_EQ(plain.GetColCount(), 4);
  EXPECT_EQ(plain.GetColumns(0)->GetCaption(), "No:");
  EXPECT_EQ(plain.GetColumns(1)->GetCaption(), "First");
  EXPECT_EQ(plain.GetColumns(2)->GetCaption(), "Second");
  EXPECT_EQ(plain.GetColumns(3)->GetCaption(), "");  // read no section
}

TEST_F(GridConfig, GridSectionWithoutShowRowNumberKeepsTheSetting) {
  WriteFile(file_, "[GRID]\nHeader=Hello\n");
  grid_.SetColCount(3);
  grid_.LoadConfig(file_);
  EXPECT_EQ(grid_.GetHeader(), "Hello");
  EXPECT_TRUE(grid_.GetShowRowNumber());
  EXPECT_EQ(grid_.GetColCount(), 3);

  TZylHTMLGrid plain(nullptr);
  plain.Loaded();
  plain.SetShowRowNumber(false);
  plain.LoadConfig(file_);
  EXPECT_FALSE(plain.GetShowRowNumber());
  EXPECT_EQ(plain.GetColCount(), 1);
}

TEST_F(GridConfig, MissingFileRunsEverySetterAgain) {
  grid_.SetColCount(2);
  grid_.SetRowCount(2);
  grid_.SetHeader("kept");
  TZylColumn& col = *grid_.GetColumns(1);
  col.SetColor(0x00CCDDEE);
  col.SetHAlign(HAlignment::alRight);
  TZylField& cell = *grid_.GetCells(1, 1);
  cell.SetColor(clRed);
  cell.SetHAlign(HAlignment::alCenter);
  cell.Font().SetName("Symbol");
  cell.SetWidth(33);
  cell.SetValue("data stays");

  grid_.LoadConfig(dir_.File("missing.ini"));
  EXPECT_EQ(grid_.GetHeader(), "kept");
  EXPECT_EQ(grid_.GetColCount(), 2);
  EXPECT_EQ(grid_.GetRowCount(), 2);
  EXPECT_TRUE(grid_.GetShowRowNumber());
  EXPECT_EQ(col.GetColor(), 0x00CCDDEEu);
  const TZylField& after = *grid_.GetCells(1, 1);
  EXPECT_EQ(after.GetColor(), 0x00CCDDEEu);  // the row has no colour: the column's
  EXPECT_EQ(after.GetHAlign(), HAlignment::alRight);
  EXPECT_EQ(after.Font().GetName(), "Arial");
  EXPECT_EQ(after.GetWidth(), -1);
  EXPECT_EQ(after.GetValue(), "data stays");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("missing.ini")));
}

TEST_F(GridConfig, RowColourReachesItsCellsMixedWithTheColumns) {
  grid_.SetColCount(3);
  grid_.SetRowCount(2);
  grid_.GetColumns(1)->SetColor(0x000000FF);
  grid_.GetRows(1)->SetColor(0x00FF0000);  // every cell of row 1 takes it
  grid_.SaveConfig(file_);
  auto sections = ParseIni(ReadFile(file_));
  EXPECT_NE(FindSection(sections, "CELL 1,0"), nullptr);  // blue differs from the mix
  EXPECT_EQ(FindSection(sections, "CELL 1,1"), nullptr);  // no column colour: the row's

  TZylHTMLGrid other(nullptr);
  other.Loaded();
  other.LoadConfig(file_);
  EXPECT_EQ(other.GetCells(0, 1)->GetColor(), 0x000000FFu);
  EXPECT_EQ(other.GetCells(0, 2)->GetColor(), clNone);
  EXPECT_EQ(other.GetCells(1, 1)->GetColor(), 0x00FF0000u);
  EXPECT_EQ(other.GetCells(1, 2)->GetColor(), 0x00FF0000u);
}

TEST_F(GridConfig, SurplusSectionsStayAndAreReadAgain) {
  grid_.SetColCount(3);
  grid_.SetRowCount(3);
  grid_.GetCells(0, 1)->SetHAlign(HAlignment::alCenter);
  grid_.GetCells(2, 2)->SetWidth(99);
  grid_.SaveConfig(file_);

  // Smaller now, and cell (0, 0) equals its column again.
  grid_.SetColCount(2);
  grid_.SetRowCount(2);
  grid_.GetCells(0, 1)->SetHAlign(HAlignment::alLeft);
  auto sections = Saved();
  EXPECT_EQ(*FindSection(sections, "GRID")->Find("RowCount"), "2");
  EXPECT_NE(FindSection(sections, "COLUMN 1"), nullptr);
  EXPECT_NE(FindSection(sections, "ROW 2"), nullptr);
  EXPECT_NE(FindSection(sections, "CELL 2,1"), nullptr);
  EXPECT_NE(FindSection(sections, "CELL 0,0"), nullptr);

  TZylHTMLGrid other(nullptr);
  other.Loaded();
  other.LoadConfig(file_);
  EXPECT_EQ(other.GetCells(0, 1)->GetHAlign(), HAlignment::alCenter);  // the old difference
}

TEST_F(GridConfig, ToolbarAndHeaderFontStylesAreIndependent) {
  WriteFile(file_, "[GRID]\nToolbarFontStyle=1\n");
  grid_.LoadConfig(file_);
  EXPECT_EQ(grid_.GetToolbarFontStyle(), TFontStyle::fsSerif);
  EXPECT_EQ(grid_.GetHeaderFontStyle(), TFontStyle::fsSanSerif);

  WriteFile(file_, "[GRID]\nHeaderFontStyle=1\nToolbarFontStyle=0\n");
  grid_.LoadConfig(file_);
  EXPECT_EQ(grid_.GetToolbarFontStyle(), TFontStyle::fsSanSerif);
  EXPECT_EQ(grid_.GetHeaderFontStyle(), TFontStyle::fsSerif);

  grid_.SetToolbarFontStyle(TFontStyle::fsSerif);
  grid_.SetHeaderFontStyle(TFontStyle::fsSanSerif);
  auto sections = Saved();
  EXPECT_EQ(*FindSection(sections, "GRID")->Find("ToolbarFontStyle"), "1");
  EXPECT_EQ(*FindSection(sections, "GRID")->Find("HeaderFontStyle"), "0");
}

TEST_F(GridConfig, NamesIgnoreCaseAndOtherSectionsSurviveASave) {
  WriteFile(file_, "; layout of the orders page\n[grid]\nheader=From file\n\n[MyApp]\nKey=1\n");
  grid_.LoadConfig(file_);
  EXPECT_EQ(grid_.GetHeader(), "From file");
  grid_.SaveConfig(file_);
  std::string text = ReadFile(file_);
  auto sections = ParseIni(text);
  EXPECT_EQ(sections[0].name, "grid");
  EXPECT_EQ(sections[0].entries[0], (std::pair<std::string, std::string>{"header", "From file"}));
  EXPECT_EQ(FindSection(sections, "GRID"), nullptr);
  EXPECT_NE(FindSection(sections, "MyApp"), nullptr);
  EXPECT_EQ(text.rfind("; layout of the orders page\n", 0), 0u);
}

TEST_F(GridConfig, UnusableValuesKeepTheCurrentSetting) {
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
  EXPECT_EQ(grid_.GetColumns(1)->GetHAlign(), HAlignment::alChar);
}

TEST_F(GridConfig, ErrorEndsTheLoadWhereItHappens) {
  grid_.SetColCount(3);
  WriteFile(file_,
            "[GRID]\nHeader=applied\nBorderColor=purple-ish\nBorderWidth=9\n"
            "[COLUMN 0]\nCaption=A\n");
  try {
    grid_.LoadConfig(file_);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "'purple-ish' is not a valid integer value");
  }
  EXPECT_EQ(grid_.GetHeader(), "applied");
  EXPECT_EQ(grid_.GetBorderWidth(), 1);  // after the failing key
  EXPECT_EQ(grid_.GetColumns(1)->GetCaption(), "");

  // A failure among the columns leaves the number column off.
  WriteFile(file_, "[COLUMN 0]\nCaption=A\n[COLUMN 1]\nCaption=B\nFont=Arial,8,01,clBlack\n");
  EXPECT_THROW(grid_.LoadConfig(file_), EConvertError);
  EXPECT_FALSE(grid_.GetShowRowNumber());
  ASSERT_EQ(grid_.GetColCount(), 2);
  EXPECT_EQ(grid_.GetColumns(0)->GetCaption(), "A");
  EXPECT_EQ(grid_.GetColumns(1)->GetCaption(), "B");
}

TEST_F(GridConfig, SaveThatCannotCompleteLeavesTheOldFile) {
  grid_.SetHeader("old");
  grid_.SaveConfig(file_);
  std::string old = ReadFile(file_);

  grid_.SetHeader("new");
  grid_.SetRowCount(300);
  for (int r = 0; r < 300; ++r) grid_.GetCells(r, 0)->SetWidth(r);

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = old.size() + 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(grid_.SaveConfig(file_), EInOutError);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadFile(file_), old);
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"grid.ini"});
  EXPECT_EQ(grid_.GetColCount(), 1 + 1);  // number column restored
  EXPECT_THROW(grid_.SaveConfig(dir_.File("missing/folder/grid.ini")), EInOutError);
}

TEST_F(GridConfig, HostileCountsAreBounded) {
  WriteFile(file_, "[GRID]\nMaxCols=2000000000\nRowCount=2000000000\nColCount=2000000000\n");
  ConfigLimits limits;
  limits.maxRows = 500;
  limits.maxCols = 40;
  limits.maxCells = 2000;
  LoadGridConfig(grid_, file_, limits);
  EXPECT_EQ(grid_.GetMaxCols(), 2000000000);
  EXPECT_EQ(grid_.GetColCount(), 40);  // the number column among them
  EXPECT_EQ(grid_.GetRowCount(), 50);  // 2000 cells over 40 columns

  WriteFile(file_, "[GRID]\nRowCount=2000000000\nColCount=2\n");
  TZylHTMLGrid plain(nullptr);
  plain.LoadConfig(file_);  // the default limits
  EXPECT_EQ(plain.GetRowCount(), ConfigLimits{}.maxRows);
  EXPECT_EQ(plain.GetColCount(), 2);

  WriteFile(file_, "[GRID]\nRowCount=-4\n");
  EXPECT_THROW(plain.LoadConfig(file_), EListError);  // the row count setter's own error
}

TEST(GridConfigKeys, LoadOrdersReadEveryWrittenKeyOnce) {
  auto written = config::GridKeysWritten();
  auto loaded = config::GridKeysLoaded();
  EXPECT_EQ(written.size(), 88u);
  std::sort(written.begin(), written.end());
  std::sort(loaded.begin(), loaded.end());
  EXPECT_EQ(written, loaded);
  EXPECT_EQ(std::adjacent_find(loaded.begin(), loaded.end()), loaded.end());

  auto columnWritten = config::ColumnKeysWritten();
  auto columnLoaded = config::ColumnKeysLoaded();
  EXPECT_EQ(columnWritten.size(), 31u);
  std::sort(columnWritten.begin(), columnWritten.end());
  std::sort(columnLoaded.begin(), columnLoaded.end());
  EXPECT_EQ(columnWritten, columnLoaded);
}

TEST(GridConfigColours, MixingRule) {
  using config::MixCellColors;
  EXPECT_EQ(MixCellColors(clNone, clNone), clNone);
  EXPECT_EQ(MixCellColors(clNone, clWhite), clWhite);
  EXPECT_EQ(MixCellColors(0x00123456, clNone), 0x00123456u);
  EXPECT_EQ(MixCellColors(clWhite, 0x000000FF), 0x000000FFu);
  EXPECT_EQ(MixCellColors(0x000000FF, clWhite), 0x000000FFu);
  EXPECT_EQ(MixCellColors(0x000000FF, 0x00FF0000), 0x00800080u);  // 127.5 -> 128
  EXPECT_EQ(MixCellColors(0x00000002, 0x00000003), 0x00000002u);  // 2.5 -> 2
}

// Every seed of the fuzz corpus goes through what the fuzz target does
// with it, with the same limits: no crash; conversion errors are expected
// for some of them.
TEST(GridConfigCorpus, SeedsLoad) {
  std::filesystem::path corpus = std::filesystem::path(ZYL_SOURCE_DIR) / "fuzz/corpus/config";
  ASSERT_TRUE(std::filesystem::is_directory(corpus));
  ConfigLimits limits;
  limits.maxRows = 64;
  limits.maxCols = 32;
  limits.maxCells = 512;
  limits.maxFileBytes = 1 << 20;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    SCOPED_TRACE(entry.path().string());
    std::string text = ReadFile(entry.path().string());
    TZylHTMLGrid grid(nullptr);
    grid.Loaded();
    try {
      LoadGridConfig(grid, entry.path().string(), limits);
    } catch (const Exception&) {
    }
    TFont font;
    try {
      StringToFont(text, font);
    } catch (const Exception&) {
    }
    try {
      StringToGlyph(text, *grid.GetColumns(0)->Glyph());
    } catch (const Exception&) {
    }
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace zyl
