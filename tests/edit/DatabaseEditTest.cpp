// Editing a dataset through whole requests, in memory and in SQLite.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "EditBackends.h"
#include "EditTestSupport.h"
#include "PrivateTempDir.h"
#include "harness/Golden.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using testing::CellControls;
using testing::PostCells;

class DatabaseEdit : public ::testing::TestWithParam<std::string> {
 protected:
  explicit DatabaseEdit(int records = 10)
      : backend_(GetParam() == "sqlite" ? temp_.File("shop.db") : "", records),
        site_([this](Components& c) {
          TZylHTMLGrid& grid = c.AddGrid("Grid1");
          grid.SetRowsPerPage(10);
          grid.SetDataset(&backend_.ForRequest(c));
          grid.ReadValues();
          grid.SetEditMode(true);
          if (setup_) setup_(grid);
        }) {}

  // A page whose current record (the row with edit controls) is `recNo`.
  Response PageAt(int recNo) {
    return site_.Click(site_.Open(), "Grid1_TABLE", "GRecNo" + std::to_string(recNo));
  }
  // The error the page shows, and whether the dataset is back to browsing.
  static std::string Shown(const Response& page) {
    TZylHTMLGrid& grid = page.Grid("Grid1");
    bool browsing = grid.GetDataset()->State() == TDataSetState::dsBrowse;
    return (grid.GetShowErrorBox() ? "box " : "") + page.ErrorText() + (browsing ? "" : " (editing)");
  }

  harness::PrivateTempDir temp_;
  testing::EditBackend backend_;
  std::function<void(TZylHTMLGrid&)> setup_;
  harness::Site site_;
};

// The cases: tests/edit/golden/updates.txt.
TEST_P(DatabaseEdit, PostedCellsAreStoredAsTheTableSays) {
  int n = 0;
  for (const auto& update : harness::ReadCases("edit/golden/updates.txt")) {
    SCOPED_TRACE(update.at(0));
    backend_ = testing::EditBackend(GetParam() == "sqlite" ? temp_.File(std::to_string(++n) + ".db") : "", 10);
    setup_ = [&](TZylHTMLGrid& grid) {
      if (update.size() > 6) grid.GetColumns(std::stoi(update[6]))->SetEditMode(false);
    };
    harness::FieldList cells;
    std::istringstream posted(update.at(2)), records(update.at(3));
    for (std::string cell; std::getline(posted, cell, '&');) {
      cells.emplace_back(cell.substr(0, cell.find('=')), cell.substr(cell.find('=') + 1));
    }
    std::string shown = Shown(PostCells(site_, PageAt(std::stoi(update.at(1))), cells)), stored;
    for (int recNo; records >> recNo;) stored += (stored.empty() ? "" : " / ") + backend_.Record(recNo);
    EXPECT_EQ(stored, update.at(4));
    const std::string error = update.size() > 5 ? update[5] : "";
    EXPECT_TRUE(error.empty() ? shown.empty() : shown.starts_with("box ") && shown.find(error) != std::string::npos) << shown;
  }
}

TEST_P(DatabaseEdit, UpdateFromTheRenderedControlsThenTheStalePageIsRefused) {
  Response page = PageAt(3);
  Response updated = site_.Click(page, "Grid1_TABLE", "GUPDATE", [](Form& f) {
    f.SetText("GCELL_3_1", "abc");
    f.SetChecked("GCELL_3_3", false);  // untick Paid, keep Active
  });
  EXPECT_EQ(backend_.Record(3), "3 abc 1 0 3");
  EXPECT_EQ(updated.Grid("Grid1").GetCells(3, 2)->GetValue(), "abc") << "the page is read again";
  EXPECT_EQ(Shown(updated), "");

  temp_.DropLocks();  // another page added or deleted a record
  Response refused = site_.Click(updated, "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_3_1", "new"); });
  EXPECT_EQ(backend_.Record(3), "3 abc 1 0 3");
  EXPECT_EQ(Shown(refused), "box " + refused.Grid("Grid1").GetTextUpdateError());
  EXPECT_NE(refused.html.find("CANNOT UPDATE THE TABLE!"), std::string::npos);
  EXPECT_EQ(refused.Grid("Grid1").GetRowCount(), 10) << "the data is read again";
  EXPECT_TRUE(refused.done["Grid1"]) << "the refreshed page holds a new lock";
  site_.Click(refused, "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_3_1", "new"); });
  EXPECT_EQ(backend_.Record(3), "3 new 1 0 3");
}

// The page takes its lock before it reads: a change claimed after the read
// (here, in the after event) leaves it without one, and Done does not bring it back.
TEST_P(DatabaseEdit, ALockRemovedAfterThePageWasReadStaysRemoved) {
  setup_ = [this](TZylHTMLGrid& grid) { grid.OnAfterDoDefaultAction = [this](TObject*, TGridAction) { temp_.DropLocks(); }; };
  Response page = site_.Open();
  EXPECT_TRUE(temp_.Entries(".upd").empty());
  setup_ = nullptr;
  EXPECT_EQ(Shown(PostCells(site_, page, {{"GCELL_0_1", "late"}})), "box " + page.Grid("Grid1").GetTextUpdateError());
  EXPECT_EQ(backend_.Record(0), "0 n0 1 1 0");
}

TEST_P(DatabaseEdit, AGridWithoutEditableColumnsHoldsNoLockAndWritesNothing) {
  setup_ = [](TZylHTMLGrid& grid) { grid.SetEditMode(false); };
  Response page = site_.Open();
  EXPECT_FALSE(page.done["Grid1"]);
  EXPECT_TRUE(temp_.Entries(".upd").empty());
  Response posted = PostCells(site_, page, {{"GCELL_3_1", "abc"}});
  EXPECT_EQ(posted.actions["Grid1"], TGridAction::gaUpdateData);
  EXPECT_EQ(backend_.Record(3), "3 n3 1 1 3");
  EXPECT_EQ(Shown(posted), "");
}

// A stale detail page's edit is refused like a master's, and says so in the
// detail's own error box (the master shows none).
TEST_P(DatabaseEdit, DetailGridRefusalShowsTheMessage) {
  testing::EditBackend details("", 3);
  harness::Site site([&](Components& c) {
    TZylHTMLGrid& master = c.AddGrid("Grid1");
    master.SetDataset(&backend_.ForRequest(c));
    TZylHTMLGrid& detail = c.AddGrid("Detail");
    detail.SetDataset(&details.ForRequest(c));
    detail.ReadValues();
    detail.SetEditMode(true);
    master.SetDetailGrid(&detail);
    detail.SetMasterGrid(&master);
  });
  Response current = site.Click(site.Open(), "Detail_TABLE", "GRecNo1");
  temp_.DropLocks();
  auto edit = [](Form& f) { f.SetText("GCELL_1_1", "abc"); };
  Response refused = site.Click(current, "Detail_TABLE", "GUPDATE", edit);
  EXPECT_EQ(details.Record(1), "1 n1 1 1 1");
  EXPECT_EQ(refused.ErrorText(), refused.Grid("Detail").GetTextUpdateError());
  EXPECT_TRUE(refused.Grid("Detail").GetShowErrorBox());
  EXPECT_FALSE(refused.Grid("Grid1").GetShowErrorBox());
  std::size_t box = refused.html.find("CANNOT UPDATE THE TABLE!");
  ASSERT_NE(box, std::string::npos);
  EXPECT_GT(box, refused.html.find("<A NAME=\"Detail\">"));
  EXPECT_EQ(refused.html.find("CANNOT UPDATE THE TABLE!", box + 1), std::string::npos);
  site.Click(refused, "Detail_TABLE", "GUPDATE", edit);
  EXPECT_EQ(details.Record(1), "1 abc 1 1 1");
}

TEST_P(DatabaseEdit, DeleteOfTheLastRecordTakesEveryLock) {
  Response other = site_.Open();
  Response deleted = site_.Click(PageAt(9), "Grid1_TABLE", "GDEL");
  TZylHTMLGrid& grid = deleted.Grid("Grid1");
  EXPECT_EQ(backend_.RecordCount(), 9);
  EXPECT_EQ(grid.GetRowCount(), 9);
  EXPECT_EQ(grid.GetRecNo(), 8);
  EXPECT_EQ(temp_.Entries(".upd"), (std::vector<std::string>{"grid.cgi." + grid.GetGUID() + ".upd"}))
      << "only the page just produced holds one";
}

class Append : public DatabaseEdit {
 protected:
  Append() : DatabaseEdit(25) {}
  Response Add(const std::string& id, const std::string& name) {
    Response page = site_.Click(site_.Open(), "Grid1_TABLE", "GADD");
    return site_.Click(page, "Grid1_TABLE", "GUPDATE", [&](Form& f) {
      f.SetText(CellControls(f, 0).at(0), id);
      f.SetText(CellControls(f, 1).at(0), name);
    });
  }
};

TEST_P(Append, GoesToThePageThatHoldsTheNewRecordAndItsPickList) {
  setup_ = [](TZylHTMLGrid& grid) {
    grid.GetColumns(2)->PickList().Add("n1");
    grid.GetColumns(2)->ValueList().Add("n1");
  };
  Response other = site_.Open();
  Response added = Add("100", "fresh");
  TZylHTMLGrid& grid = added.Grid("Grid1");
  EXPECT_EQ(backend_.Record(25), "100 fresh null null null") << "empty cells";
  EXPECT_EQ(grid.GetRecNo(), 25);
  EXPECT_EQ(grid.GetPage(), 3);
  EXPECT_EQ(Shown(added), "");
  EXPECT_EQ(grid.GetColumns(2)->PickList().IndexOf("fresh"), 1) << "the new value joins the list";
  EXPECT_EQ(grid.GetColumns(2)->ValueList().IndexOf("fresh"), 1);
  std::vector<std::string> locks = temp_.Entries(".upd");
  EXPECT_EQ(std::count(locks.begin(), locks.end(), "grid.cgi." + other.Grid("Grid1").GetGUID() + ".upd"), 0)
      << "it takes every other page's lock";
}

TEST_P(Append, AFailingCellOrARefusedPostLeavesNoRecord) {
  Response adding = site_.Click(site_.Open(), "Grid1_TABLE", "GADD");
  Response failed = PostCells(site_, adding, {{"GCELL_25_0", "100"}, {"GCELL_25_1", "half"}, {"GCELL_25_4", "x"},
                                              {"GCELL_25_2", "on"}, {"GCELL_25_3", "on"}});
  EXPECT_EQ(backend_.RecordCount(), 25);
  EXPECT_EQ(Shown(failed), "box Error:\\n" + failed.Grid("Grid1").GetLastUpdateError());
  EXPECT_NE(failed.Grid("Grid1").GetLastUpdateError().find("'x'"), std::string::npos);
  backend_.RefuseAppends();
  Response refused = Add("100", "lost");
  EXPECT_EQ(backend_.RecordCount(), 25);
  EXPECT_EQ(Shown(refused), "box Error:\\n" + refused.Grid("Grid1").GetLastUpdateError());
  EXPECT_NE(refused.ErrorText().find("disk full"), std::string::npos) << refused.ErrorText();
}

TEST_P(Append, AnAddWithoutCellsAddsNothingAndTakesNoLock) {
  Response other = site_.Open();
  Response adding = site_.Click(site_.Open(), "Grid1_TABLE", "GADD");
  Response none = PostCells(site_, adding, {});
  EXPECT_TRUE(none.Grid("Grid1").GetAddPending());
  EXPECT_EQ(backend_.RecordCount(), 25);
  EXPECT_EQ(Shown(none), "");
  std::vector<std::string> locks = temp_.Entries(".upd");
  EXPECT_EQ(std::count(locks.begin(), locks.end(), "grid.cgi." + other.Grid("Grid1").GetGUID() + ".upd"), 1);
}

TEST_P(Append, AStalePageCannotDeleteAfterAnotherPageAdded) {
  Response stale = PageAt(2);
  Add("100", "new");
  Response refused = site_.Click(stale, "Grid1_TABLE", "GDEL");
  EXPECT_EQ(backend_.RecordCount(), 26) << "nothing deleted by position from a stale page";
  EXPECT_EQ(Shown(refused), "box " + refused.Grid("Grid1").GetTextUpdateError());
  site_.Click(site_.Click(refused, "Grid1_TABLE", "GRecNo2"), "Grid1_TABLE", "GDEL");
  EXPECT_EQ(backend_.RecordCount(), 25);
  EXPECT_EQ(backend_.Record(2), "3 n3 1 1 3");
}

TEST(DatabaseEditAlone, AppendWithoutRowsPerPageStaysOnPageOne) {
  harness::PrivateTempDir temp;
  testing::EditBackend data("", 3);
  harness::Components page;
  TStringList posted;
  posted.Add("GCELL_0_1=x");
  page.Css().SetModuleType(TModuleType::WebModule);
  page.Css().SetPostData(posted);
  TZylHTMLGrid& grid = page.AddGrid("Grid1");
  grid.SetDataset(&data.ForRequest(page));
  grid.SetMaxRows(0);  // every page empty: no page size to divide by
  grid.ReadValues();
  grid.SetEditMode(true);
  EXPECT_TRUE(grid.AddDBRecord());
  EXPECT_EQ(data.RecordCount(), 4);
  EXPECT_EQ(grid.GetPage(), 1);
}

INSTANTIATE_TEST_SUITE_P(Datasets, DatabaseEdit, ::testing::Values("memory", "sqlite"));
INSTANTIATE_TEST_SUITE_P(Datasets, Append, ::testing::Values("memory", "sqlite"));

}  // namespace
}  // namespace zyl
