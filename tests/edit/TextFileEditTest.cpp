// Editing a text-file source through whole requests: the whole file is
// written whatever the page shows; adds, deletes, checkboxes, stale pages.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "EditBackends.h"
#include "EditTestSupport.h"
#include "PrivateTempDir.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using testing::PostCells;

// Columns on the page: 0 No, 1 ID, 2 Name, 3 Qty (integer), 4 Done (boolean).
class TextFileEdit : public ::testing::Test {
 protected:
  TextFileEdit() { Write(30); }
  void Write(int records) const {
    std::string text = "ID\tName\tQty\tDone\r\n";
    for (int i = 0; i < records; ++i) {
      std::string n = std::to_string(i);
      text += n + "\tn" + n + "\t" + n + "\tFalse\r\n";
    }
    std::ofstream(file_, std::ios::binary) << text;
  }
  // Record `recNo` of the file ("ID Name Qty Done"), or the header at -1.
  std::string Record(int recNo) const {
    std::string text;
    auto records = testing::TextRecords(file_);
    for (const std::string& field : records.at(recNo + 1)) text += (text.empty() ? "" : " ") + field;
    return text;
  }
  int Records() const { return static_cast<int>(testing::TextRecords(file_).size()) - 1; }
  Response Click(const Response& page, const std::string& form, const std::string& button,
                 const std::function<void(Form&)>& fill = {}) {
    return site_.Click(page, form, button, fill);
  }
  Response PageAt(const Response& page, int recNo) { return Click(page, "Grid1_TABLE", "GRecNo" + std::to_string(recNo)); }
  std::string Shown(const Response& page) {
    TZylHTMLGrid& grid = page.Grid("Grid1");
    return "page " + std::to_string(grid.GetPage()) + " record " + std::to_string(grid.GetRecNo()) + " rows " +
           std::to_string(grid.GetRowCount()) + (grid.GetShowErrorBox() ? " box " : "") + page.ErrorText();
  }

  harness::PrivateTempDir temp_;
  std::string file_ = temp_.File("orders.txt");
  std::function<void(TZylHTMLGrid&)> setup_;
  harness::Site site_{[this](Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowsPerPage(10);
    grid.SetFileName(file_);
    grid.GetColumns(3)->SetDataType(TFieldType::ftInteger);
    grid.GetColumns(4)->SetDataType(TFieldType::ftBoolean);
    grid.SetEditMode(true);
    if (setup_) setup_(grid);
  }};
};

TEST_F(TextFileEdit, UpdateWritesTheWholeFileWhateverThePageShows) {
  setup_ = [](TZylHTMLGrid& grid) { grid.GetColumns(3)->SetVisible(false); };  // page 2, no Qty
  Response second = Click(site_.Open(), "TOOLBARTOP", "GNEXT");
  Response updated = Click(PageAt(second, 14), "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_14_0", "x"); });
  EXPECT_EQ(Record(-1) + " | " + Record(14) + " | " + Record(29), "ID Name Qty Done | x n14 14 False | 29 n29 29 False");
  EXPECT_EQ(Records(), 30);
  EXPECT_EQ(Shown(updated), "page 2 record 14 rows 10") << "the visitor's page again";
  EXPECT_EQ(updated.Grid("Grid1").GetCells(4, 1)->GetValue(), "x");
  // A row of a sorted page is written in its place; the file keeps its order.
  Response sorted = Click(site_.Open(), "Grid1_SELECTORS", "GSortDESC_2");
  ASSERT_EQ(sorted.Grid("Grid1").GetCells(0, 2)->GetValue(), "n9");
  Click(PageAt(sorted, 3), "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_3_1", "three"); });
  EXPECT_EQ(Record(0) + " | " + Record(3) + " | " + Record(9), "0 n0 0 False | 3 three 3 False | 9 n9 9 False");
}

TEST_F(TextFileEdit, CheckboxesBadValuesAndSummaryRows) {
  Response ticked = Click(PageAt(site_.Open(), 2), "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetChecked("GCELL_2_3", true); });
  EXPECT_EQ(Record(2), "2 n2 2 True");
  EXPECT_TRUE(ticked.Grid("Grid1").GetCells(2, 4)->GetBooleanValue());
  PostCells(site_, ticked, {{"GCELL_2_1", "two"}});
  EXPECT_EQ(Record(2), "2 two 2 False") << "the reset writes False";
  Response bad = PostCells(site_, PageAt(site_.Open(), 2), {{"GCELL_2_2", "abc"}, {"GCELL_2_1", "ok"}});
  EXPECT_EQ(Record(2), "2 ok 2 False");
  EXPECT_NE(bad.ErrorText().find("'abc' is not a valid"), std::string::npos) << bad.ErrorText();
  EXPECT_TRUE(bad.Grid("Grid1").GetShowErrorBox());
  // Enter in a cell while the sum button's click is posted too.
  setup_ = [](TZylHTMLGrid& grid) { grid.SetUpdatByEnter(true); };
  Response summed = PostCells(site_, PageAt(site_.Open(), 2), {{"GCELL_2_1", "two"}, {"GSUM.x", "1"}, {"GSUM.y", "1"}}, "");
  EXPECT_EQ(summed.actions["Grid1"], TGridAction::gaUpdateData);
  EXPECT_EQ(Records(), 30) << "the summary row is not written";
  EXPECT_EQ(Record(2), "2 two 2 False");
}

TEST_F(TextFileEdit, AddAppendsAndShowsThePageOfTheNewRecordAFailedOneNothing) {
  Response added = Click(Click(site_.Open(), "Grid1_TABLE", "GADD"), "Grid1_TABLE", "GUPDATE", [](Form& f) {
    f.SetText(testing::CellControls(f, 0).at(0), "100");
    f.SetText(testing::CellControls(f, 1).at(0), "new");
  });
  EXPECT_EQ(Record(30), "100 new  ") << "an empty number stays empty";
  EXPECT_EQ(Shown(added), "page 4 record 30 rows 1");
  std::string before = ReadFileBytes(file_);
  Response adding = Click(Click(site_.Open(), "TOOLBARTOP", "GNEXT"), "Grid1_TABLE", "GADD");
  Response failed = PostCells(site_, adding, {{"GCELL_0_0", "100"}, {"GCELL_0_1", "half"}, {"GCELL_0_2", "many"},
                                               {"GCELL_0_3", "on"}});
  EXPECT_EQ(ReadFileBytes(file_), before);
  EXPECT_EQ(failed.ErrorText(), "Error:\\n" + failed.Grid("Grid1").GetLastUpdateError());
  EXPECT_EQ(Shown(failed).substr(0, 6), "page 2") << "the visitor stays where he was";
}

TEST_F(TextFileEdit, DeleteMovesToTheNewLastRecordOrThePageBeforeAMissingFileIsAnError) {
  Response deleted = Click(PageAt(Click(site_.Open(), "TOOLBARTOP", "GLAST"), 29), "Grid1_TABLE", "GDEL");
  EXPECT_EQ(Records(), 29);
  EXPECT_EQ(Shown(deleted), "page 3 record 28 rows 9");
  Write(21);
  deleted = Click(PageAt(Click(site_.Open(), "TOOLBARTOP", "GLAST"), 20), "Grid1_TABLE", "GDEL");
  EXPECT_EQ(Records(), 20);
  EXPECT_EQ(Shown(deleted), "page 2 record 19 rows 10");
  std::string before = ReadFileBytes(file_);
  TZylHTMLGrid grid(nullptr);  // without a current record nothing changes
  grid.Loaded();
  grid.SetFileName(file_);
  for (int recNo : {-1, 500}) {
    grid.SetRecNo(recNo);
    EXPECT_TRUE(grid.DeleteTextRecord());
    EXPECT_EQ(ReadFileBytes(file_), before);
  }
  std::filesystem::remove(file_);  // a missing file is an error, not an empty file
  EXPECT_THROW(grid.UpdateTextFile(), EInOutError);
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(grid.GetMaxRows(), 500) << "the page limits are back";
  EXPECT_EQ(grid.GetRowsPerPage(), 40);
}

TEST_F(TextFileEdit, StalePagesAreRefused) {
  Response stale = PageAt(site_.Open(), 5);
  Click(PageAt(site_.Open(), 1), "Grid1_TABLE", "GDEL");
  Response refused = Click(stale, "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_5_1", "five"); });
  EXPECT_EQ(Record(4) + " | " + Record(5), "5 n5 5 False | 6 n6 6 False") << "record 5 moved up; nothing written";
  EXPECT_EQ(refused.ErrorText(), refused.Grid("Grid1").GetTextUpdateError());
  Response staleDelete = PageAt(site_.Open(), 5);
  temp_.DropLocks();
  Click(staleDelete, "Grid1_TABLE", "GDEL");
  EXPECT_EQ(Records(), 29) << "a delete needs the lock too";
}

}  // namespace
}  // namespace zyl
