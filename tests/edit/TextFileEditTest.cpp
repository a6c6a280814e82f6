// Editing a text-file source through whole requests: the whole file is
// written whatever the visitor's page shows, appends and deletes move the
// page, checkboxes, failures reported in the page, stale pages refused.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "EditTestSupport.h"
#include "PrivateTempDir.h"
#include "data/DelimitedText.h"
#include "platform/StringList.h"
#include "platform/System.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using harness::Site;
using testing::CellControls;
using testing::PostCells;

// Columns on the page: 0 No, 1 ID, 2 Name, 3 Qty (integer), 4 Done (boolean).
class TextFileEditTest : public ::testing::Test {
 protected:
  TextFileEditTest()
      : file_(temp_.File("orders.txt")), site_([this](Components& c) {
          TZylHTMLGrid& grid = c.AddGrid("Grid1");
          grid.SetRowsPerPage(10);
          grid.SetFileName(file_);
          grid.GetColumns(3)->SetDataType(TFieldType::ftInteger);
          grid.GetColumns(4)->SetDataType(TFieldType::ftBoolean);
          grid.SetEditMode(true);
          if (setup_) setup_(grid);
        }) {
    Write(30);
  }

  void Write(int records) const {
    std::string text = "ID\tName\tQty\tDone\r\n";
    for (int i = 0; i < records; ++i) {
      text +=
          std::to_string(i) + "\tn" + std::to_string(i) + "\t" + std::to_string(i) + "\tFalse\r\n";
    }
    std::ofstream(file_, std::ios::binary) << text;
  }
  // The file's lines, header first, each split into its fields.
  std::vector<std::vector<std::string>> Records() const {
    TStringList lines;
    delimited::SplitLines(ReadFileBytes(file_), lines);
    std::vector<std::vector<std::string>> out;
    for (const std::string& line : lines) {
      TStringList fields;
      delimited::ParseLine(line, '\t', fields);
      out.emplace_back(fields.begin(), fields.end());
    }
    return out;
  }
  std::vector<std::string> Record(int recNo) const {
    return Records().at(static_cast<std::size_t>(recNo) + 1);
  }
  Response PageAt(const Response& page, int recNo) {
    return site_.Click(page, "Grid1_TABLE", "GRecNo" + std::to_string(recNo));
  }
  void DropLocks() {
    for (const std::string& name : temp_.Entries()) {
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".upd") == 0) {
        std::filesystem::remove(temp_.File(name));
      }
    }
  }

  harness::PrivateTempDir temp_;
  std::string file_;
  std::function<void(TZylHTMLGrid&)> setup_;
  Site site_;
};

using Fields = std::vector<std::string>;

TEST_F(TextFileEditTest, UpdateWritesTheWholeFileWhateverThePageShows) {
  // The visitor sees page 2 of 10 rows, without the Qty column.
  setup_ = [](TZylHTMLGrid& grid) { grid.GetColumns(3)->SetVisible(false); };
  Response second = site_.Click(site_.Open(), "TOOLBARTOP", "GNEXT");
  ASSERT_EQ(second.Grid("Grid1").GetPage(), 2);
  Response updated = site_.Click(PageAt(second, 14), "Grid1_TABLE", "GUPDATE",
                                 [](Form& f) { f.SetText("GCELL_14_0", "x"); });
  auto records = Records();
  ASSERT_EQ(records.size(), 31u);
  EXPECT_EQ(records[0], (Fields{"ID", "Name", "Qty", "Done"}));
  EXPECT_EQ(records[15], (Fields{"x", "n14", "14", "False"}));
  EXPECT_EQ(records[30], (Fields{"29", "n29", "29", "False"}));
  TZylHTMLGrid& grid = updated.Grid("Grid1");
  EXPECT_EQ(grid.GetPage(), 2);
  EXPECT_EQ(grid.GetRowCount(), 10) << "the visitor's page again";
  EXPECT_EQ(grid.GetCells(4, 1)->GetValue(), "x");
  EXPECT_FALSE(grid.GetColumns(3)->GetVisible());
}

TEST_F(TextFileEditTest, UpdateOfARowOfASortedPageWritesThatRecordInPlace) {
  Response page = site_.Open();
  Response sorted = site_.Click(page, "Grid1_SELECTORS", "GSortDESC_2");  // Name, descending
  ASSERT_EQ(sorted.Grid("Grid1").GetCells(0, 2)->GetValue(), "n9");
  Response updated = site_.Click(PageAt(sorted, 3), "Grid1_TABLE", "GUPDATE",
                                 [](Form& f) { f.SetText("GCELL_3_1", "three"); });
  EXPECT_EQ(Record(3), (Fields{"3", "three", "3", "False"}));
  EXPECT_EQ(Record(0), (Fields{"0", "n0", "0", "False"})) << "the file keeps its order";
  EXPECT_EQ(Record(9), (Fields{"9", "n9", "9", "False"}));
}

TEST_F(TextFileEditTest, TickedCheckboxIsTrueAndTheResetWritesFalse) {
  Response ticked = site_.Click(PageAt(site_.Open(), 2), "Grid1_TABLE", "GUPDATE",
                                [](Form& f) { f.SetChecked("GCELL_2_3", true); });
  EXPECT_EQ(ticked.ErrorText(), "");
  EXPECT_EQ(Record(2), (Fields{"2", "n2", "2", "True"}));
  EXPECT_TRUE(ticked.Grid("Grid1").GetCells(2, 4)->GetBooleanValue());

  PostCells(site_, ticked, {{"GCELL_2_1", "two"}});
  EXPECT_EQ(Record(2), (Fields{"2", "two", "2", "False"}));
}

TEST_F(TextFileEditTest, ValueTheColumnCannotTakeIsReportedOthersAreWritten) {
  Response updated =
      PostCells(site_, PageAt(site_.Open(), 2), {{"GCELL_2_2", "abc"}, {"GCELL_2_1", "ok"}});
  TZylHTMLGrid& grid = updated.Grid("Grid1");
  EXPECT_EQ(Record(2), (Fields{"2", "ok", "2", "False"}));
  EXPECT_NE(grid.GetLastUpdateError().find("'abc' is not a valid"), std::string::npos)
      << grid.GetLastUpdateError();
  EXPECT_EQ(updated.ErrorText(), grid.GetLastUpdateError());
  EXPECT_TRUE(grid.GetShowErrorBox());
}

TEST_F(TextFileEditTest, AddAppendsAndShowsThePageOfTheNewRecord) {
  Response adding = site_.Click(site_.Open(), "Grid1_TABLE", "GADD");
  Response added = site_.Click(adding, "Grid1_TABLE", "GUPDATE", [](Form& f) {
    f.SetText(CellControls(f, 0).at(0), "100");
    f.SetText(CellControls(f, 1).at(0), "new");
  });
  auto records = Records();
  ASSERT_EQ(records.size(), 32u);
  EXPECT_EQ(records[31], (Fields{"100", "new", "", ""})) << "an empty number stays empty";
  TZylHTMLGrid& grid = added.Grid("Grid1");
  EXPECT_EQ(grid.GetRecNo(), 30);
  EXPECT_EQ(grid.GetPage(), 4);
  EXPECT_EQ(grid.GetRowCount(), 1);
  EXPECT_EQ(added.ErrorText(), "");
}

TEST_F(TextFileEditTest, FailedAddLeavesTheFileAsItWas) {
  std::string before = ReadFileBytes(file_);
  Response second = site_.Click(site_.Open(), "TOOLBARTOP", "GNEXT");
  Response adding = site_.Click(second, "Grid1_TABLE", "GADD");
  Response failed = PostCells(
      site_, adding,
      {{"GCELL_0_0", "100"}, {"GCELL_0_1", "half"}, {"GCELL_0_2", "many"}, {"GCELL_0_3", "on"}});
  EXPECT_EQ(ReadFileBytes(file_), before);
  EXPECT_EQ(failed.ErrorText(), "Error:\\n" + failed.Grid("Grid1").GetLastUpdateError());
  EXPECT_TRUE(failed.Grid("Grid1").GetShowErrorBox());
  EXPECT_EQ(failed.Grid("Grid1").GetPage(), 2) << "the visitor stays where he was";
}

TEST_F(TextFileEditTest, DeleteOfTheLastRecordMovesToTheNewLast) {
  Response last = site_.Click(site_.Open(), "TOOLBARTOP", "GLAST");
  ASSERT_EQ(last.Grid("Grid1").GetPage(), 3);
  Response deleted = site_.Click(PageAt(last, 29), "Grid1_TABLE", "GDEL");
  EXPECT_EQ(Records().size(), 30u);
  EXPECT_EQ(Record(28), (Fields{"28", "n28", "28", "False"}));
  EXPECT_EQ(deleted.Grid("Grid1").GetRecNo(), 28);
  EXPECT_EQ(deleted.Grid("Grid1").GetPage(), 3);
}

TEST_F(TextFileEditTest, DeleteOfTheOnlyRecordOfTheLastPageMovesToThePageBefore) {
  Write(21);
  Response last = site_.Click(site_.Open(), "TOOLBARTOP", "GLAST");
  ASSERT_EQ(last.Grid("Grid1").GetPage(), 3);
  Response deleted = site_.Click(PageAt(last, 20), "Grid1_TABLE", "GDEL");
  EXPECT_EQ(Records().size(), 21u);
  EXPECT_EQ(deleted.Grid("Grid1").GetRecNo(), 19);
  EXPECT_EQ(deleted.Grid("Grid1").GetPage(), 2);
}

TEST_F(TextFileEditTest, DeleteWithoutCurrentRecordChangesNothing) {
  std::string before = ReadFileBytes(file_);
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  grid.SetFileName(file_);
  grid.SetRecNo(-1);
  EXPECT_TRUE(grid.DeleteTextRecord());
  EXPECT_EQ(ReadFileBytes(file_), before);
  grid.SetRecNo(500);
  EXPECT_TRUE(grid.DeleteTextRecord());
  EXPECT_EQ(ReadFileBytes(file_), before);
}

TEST_F(TextFileEditTest, StalePageIsRefusedAfterAnotherPageDeleted) {
  Response stale = PageAt(site_.Open(), 5);
  Response other = PageAt(site_.Open(), 1);
  site_.Click(other, "Grid1_TABLE", "GDEL");
  ASSERT_EQ(Record(1), (Fields{"2", "n2", "2", "False"}));

  Response refused =
      site_.Click(stale, "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_5_1", "five"); });
  EXPECT_EQ(Record(4), (Fields{"5", "n5", "5", "False"})) << "record 5 moved up; nothing written";
  EXPECT_EQ(Record(5), (Fields{"6", "n6", "6", "False"}));
  EXPECT_EQ(refused.ErrorText(), refused.Grid("Grid1").GetTextUpdateError());

  Response staleDelete = site_.Click(PageAt(site_.Open(), 5), "Grid1_TABLE", "GRecNo5");
  DropLocks();
  site_.Click(staleDelete, "Grid1_TABLE", "GDEL");
  EXPECT_EQ(Records().size(), 30u) << "a delete needs the lock too";
}

TEST_F(TextFileEditTest, MissingFileIsAnErrorNotAnEmptyFile) {
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  grid.SetFileName(file_);
  std::filesystem::remove(file_);
  EXPECT_THROW(grid.UpdateTextFile(), EInOutError);
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(grid.GetMaxRows(), 500) << "the page limits are back";
  EXPECT_EQ(grid.GetRowsPerPage(), 40);
}

TEST_F(TextFileEditTest, SummaryRowsAreNotWrittenIntoTheFile) {
  setup_ = [](TZylHTMLGrid& grid) { grid.SetUpdatByEnter(true); };
  Response page = PageAt(site_.Open(), 2);
  // Enter in a cell while the sum button's click is posted too.
  Response updated =
      PostCells(site_, page, {{"GCELL_2_1", "two"}, {"GSUM.x", "1"}, {"GSUM.y", "1"}}, "");
  EXPECT_EQ(updated.actions["Grid1"], TGridAction::gaUpdateData);
  EXPECT_EQ(Records().size(), 31u);
  EXPECT_EQ(Record(2), (Fields{"2", "two", "2", "False"}));
}

}  // namespace
}  // namespace zyl
