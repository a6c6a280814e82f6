// Editing a dataset through whole requests: updates with the checkbox
// reset, appends with their page, deletes, the update lock, and failures
// reported in the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "EditBackends.h"
#include "EditTestSupport.h"
#include "PrivateTempDir.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using harness::Site;
using testing::CellControls;
using testing::PostCells;

// Fields ID, Name, Active, Paid, Qty; record i: i, "n<i>", true, true, i.
std::unique_ptr<TZylMemDataset> Orders(int records) {
  auto ds = std::make_unique<TZylMemDataset>(nullptr);
  ds->AddField("ID", TFieldType::ftInteger);
  ds->AddField("Name", TFieldType::ftString, 20);
  ds->AddField("Active", TFieldType::ftBoolean);
  ds->AddField("Paid", TFieldType::ftBoolean);
  ds->AddField("Qty", TFieldType::ftInteger);
  for (int i = 0; i < records; ++i) {
    ds->AddRecord({TVariant(i), TVariant("n" + std::to_string(i)), TVariant(true), TVariant(true),
                   TVariant(i)});
  }
  ds->Open();
  return ds;
}

class DatabaseEditTest : public ::testing::TestWithParam<std::string> {
 protected:
  DatabaseEditTest()
      : site_([this](Components& c) {
          TZylHTMLGrid& grid = c.AddGrid("Grid1");
          grid.SetRowsPerPage(10);
          grid.SetDataset(&backend_->ForRequest(c));
          grid.ReadValues();
          grid.SetEditMode(true);
          if (setup_) setup_(grid);
        }) {
    if (GetParam() == "sqlite") {
      backend_ = std::make_unique<testing::SQLiteBackend>(temp_.File("shop.db"));
    } else {
      backend_ = std::make_unique<testing::MemoryBackend>();
    }
    backend_->CreateOrders(10);
  }

  // A page whose current record (the row with edit controls) is `recNo`.
  Response PageAt(int recNo) {
    return site_.Click(site_.Open(), "Grid1_TABLE", "GRecNo" + std::to_string(recNo));
  }
  std::string Text(int recNo, int field) { return backend_->Value(recNo, field).ToString(); }
  bool Flag(int recNo, int field) { return backend_->Value(recNo, field).ToBoolean(); }
  bool IsNull(int recNo, int field) { return backend_->Value(recNo, field).IsNull(); }
  int Records() { return backend_->RecordCount(); }
  // Removes every update lock: another page added or deleted a record.
  void DropLocks() {
    for (const std::string& name : temp_.Entries()) {
      if (name.find(".upd") != std::string::npos) std::filesystem::remove(temp_.File(name));
    }
  }
  // The update lock files of the test's temporary directory.
  std::vector<std::string> Locks() const {
    std::vector<std::string> locks;
    for (const std::string& name : temp_.Entries()) {
      if (name.find(".upd") != std::string::npos) locks.push_back(name);
    }
    return locks;
  }
  static bool Browsing(const Response& page) {
    return page.Grid("Grid1").GetDataset()->State() == TDataSetState::dsBrowse;
  }

  harness::PrivateTempDir temp_;
  std::unique_ptr<testing::EditBackend> backend_;
  std::function<void(TZylHTMLGrid&)> setup_;
  Site site_;
};

TEST_P(DatabaseEditTest, UpdateFromTheRenderedControls) {
  Response page = PageAt(3);
  Response updated = site_.Click(page, "Grid1_TABLE", "GUPDATE", [](Form& f) {
    f.SetText("GCELL_3_1", "abc");
    f.SetChecked("GCELL_3_3", false);  // untick Paid, keep Active
  });
  EXPECT_EQ(updated.actions["Grid1"], TGridAction::gaUpdateData);
  EXPECT_EQ(Text(3, 1), "abc");
  EXPECT_TRUE(Flag(3, 2));
  EXPECT_FALSE(Flag(3, 3));
  EXPECT_EQ(Text(3, 4), "3");
  EXPECT_EQ(Text(4, 1), "n4");
  EXPECT_EQ(updated.Grid("Grid1").GetCells(3, 2)->GetValue(), "abc") << "the page is read again";
  EXPECT_EQ(updated.ErrorText(), "");
}

TEST_P(DatabaseEditTest, ACellResetsTheCheckboxesOfItsRecordFirst) {
  Response updated = PostCells(site_, PageAt(3), {{"GCELL_3_1", "abc"}});
  EXPECT_EQ(Text(3, 1), "abc");
  EXPECT_FALSE(Flag(3, 2));
  EXPECT_FALSE(Flag(3, 3));
  EXPECT_TRUE(Flag(2, 2)) << "other records keep their values";
}

TEST_P(DatabaseEditTest, TwoCheckboxesOneTicked) {
  PostCells(site_, PageAt(2), {{"GCELL_2_2", "on"}});
  EXPECT_TRUE(Flag(2, 2));
  EXPECT_FALSE(Flag(2, 3));
}

TEST_P(DatabaseEditTest, OneResetPerRunOfCellsOfARecord) {
  PostCells(site_, PageAt(7), {{"GCELL_7_2", "ON"}, {"GCELL_7_1", "x"}, {"GCELL_6_1", "y"}});
  EXPECT_TRUE(Flag(7, 2)) << "not reset again by the record's second cell";
  EXPECT_EQ(Text(7, 1), "x");
  EXPECT_FALSE(Flag(7, 3));
  EXPECT_EQ(Text(6, 1), "y");
  EXPECT_FALSE(Flag(6, 2));
}

TEST_P(DatabaseEditTest, ResetLeavesColumnsThePageCouldNotEdit) {
  setup_ = [](TZylHTMLGrid& grid) { grid.GetColumns(4)->SetEditMode(false); };  // Paid
  PostCells(site_, PageAt(3), {{"GCELL_3_1", "abc"}, {"GCELL_3_3", ""}});
  EXPECT_FALSE(Flag(3, 2));
  EXPECT_TRUE(Flag(3, 3)) << "neither reset nor written: the page showed no checkbox";
}

TEST_P(DatabaseEditTest, EmptyTextStoresNull) {
  PostCells(site_, PageAt(3), {{"GCELL_3_4", ""}});
  EXPECT_TRUE(IsNull(3, 4));
}

TEST_P(DatabaseEditTest, TypeErrorIsReportedAndTheOtherCellsAreStored) {
  Response updated = PostCells(site_, PageAt(3), {{"GCELL_3_4", "x"}, {"GCELL_3_1", "ok"}});
  TZylHTMLGrid& grid = updated.Grid("Grid1");
  EXPECT_EQ(Text(3, 1), "ok");
  EXPECT_EQ(Text(3, 4), "3");
  EXPECT_NE(grid.GetLastUpdateError().find("'x'"), std::string::npos) << grid.GetLastUpdateError();
  EXPECT_EQ(updated.ErrorText(), grid.GetLastUpdateError());
  EXPECT_TRUE(grid.GetShowErrorBox());
  EXPECT_NE(updated.html.find("&#39;X&#39;"), std::string::npos)
      << "the error box shows the message";
  EXPECT_TRUE(Browsing(updated));
}

TEST_P(DatabaseEditTest, CellNamesThatAreNotNumbersAreIgnored) {
  Response updated = PostCells(site_, PageAt(3),
                               {{"GCELL_x_1", "bad"},
                                {"GCELL_3_y", "bad"},
                                {"GCELL_3", "bad"},
                                {"GCELL_3_1", "fine"},
                                {"GCELL_99_1", "nowhere"}});
  EXPECT_EQ(Text(3, 1), "fine");
  for (int i = 0; i < 10; ++i) EXPECT_NE(Text(i, 1), "bad");
  EXPECT_NE(Text(9, 1), "nowhere") << "a record past the end is not the last one";
  EXPECT_NE(updated.Grid("Grid1").GetLastUpdateError().find("record 99 does not exist"),
            std::string::npos);
}

TEST_P(DatabaseEditTest, ColumnsWithoutEditControlsAreNotWrittenFromARequest) {
  setup_ = [](TZylHTMLGrid& grid) { grid.GetColumns(1)->SetEditMode(false); };  // ID
  PostCells(site_, PageAt(3), {{"GCELL_3_0", "999"}, {"GCELL_3_1", "abc"}});
  EXPECT_EQ(Text(3, 0), "3");
  EXPECT_EQ(Text(3, 1), "abc");
}

TEST_P(DatabaseEditTest, UpdateWithoutTheLockIsRefused) {
  Response page = PageAt(3);
  DropLocks();
  Response refused =
      site_.Click(page, "Grid1_TABLE", "GUPDATE", [](Form& f) { f.SetText("GCELL_3_1", "abc"); });
  TZylHTMLGrid& grid = refused.Grid("Grid1");
  EXPECT_EQ(Text(3, 1), "n3");
  EXPECT_EQ(refused.ErrorText(), grid.GetTextUpdateError());
  EXPECT_TRUE(grid.GetShowErrorBox()) << "the visitor learns the edit was not written";
  EXPECT_NE(refused.html.find("CANNOT UPDATE THE TABLE!"), std::string::npos);
  EXPECT_EQ(grid.GetRowCount(), 10) << "the data is read again";
  EXPECT_TRUE(refused.done["Grid1"]) << "the refreshed page holds a new lock";

  Response again = site_.Click(refused, "Grid1_TABLE", "GUPDATE",
                               [](Form& f) { f.SetText("GCELL_3_1", "abc"); });
  EXPECT_EQ(Text(3, 1), "abc");
}

TEST_P(DatabaseEditTest, UpdateOfAGridWithoutEditableColumnsIsNotWritten) {
  setup_ = [](TZylHTMLGrid& grid) { grid.SetEditMode(false); };
  Response page = site_.Open();
  EXPECT_FALSE(page.done["Grid1"]);
  EXPECT_TRUE(Locks().empty());
  Response posted = PostCells(site_, page, {{"GCELL_3_1", "abc"}});
  EXPECT_EQ(posted.actions["Grid1"], TGridAction::gaUpdateData);
  EXPECT_EQ(Text(3, 1), "n3");
  EXPECT_EQ(posted.ErrorText(), "");
  EXPECT_EQ(posted.Grid("Grid1").GetRowCount(), 10);
}

// A stale detail page's edit is refused like a master's, and says so in the
// detail's own error box (the master shows none).
TEST_P(DatabaseEditTest, DetailGridRefusalShowsTheMessage) {
  auto details = Orders(3);
  Site site([&](Components& c) {
    TZylHTMLGrid& master = c.AddGrid("Grid1");
    master.SetDataset(&backend_->ForRequest(c));
    TZylHTMLGrid& detail = c.AddGrid("Detail");
    detail.SetDataset(details.get());
    detail.ReadValues();
    detail.SetEditMode(true);
    master.SetDetailGrid(&detail);
    detail.SetMasterGrid(&master);
  });
  Response page = site.Open();
  Response current = site.Click(page, "Detail_TABLE", "GRecNo1");
  DropLocks();
  Response refused = site.Click(current, "Detail_TABLE", "GUPDATE",
                                [](Form& f) { f.SetText("GCELL_1_1", "abc"); });
  EXPECT_EQ(refused.actions["Detail"], TGridAction::gaUpdateData);
  EXPECT_EQ(details->GetValue(1, 1).ToString(), "n1");
  EXPECT_EQ(refused.ErrorText(), refused.Grid("Detail").GetTextUpdateError());
  EXPECT_TRUE(refused.Grid("Detail").GetShowErrorBox());
  EXPECT_FALSE(refused.Grid("Grid1").GetShowErrorBox());
  std::string::size_type box = refused.html.find("CANNOT UPDATE THE TABLE!");
  ASSERT_NE(box, std::string::npos);
  EXPECT_GT(box, refused.html.find("<A NAME=\"Detail\">"));
  EXPECT_EQ(refused.html.find("CANNOT UPDATE THE TABLE!", box + 1), std::string::npos);

  Response written = site.Click(refused, "Detail_TABLE", "GUPDATE",
                                [](Form& f) { f.SetText("GCELL_1_1", "abc"); });
  EXPECT_EQ(details->GetValue(1, 1).ToString(), "abc");
}

class AppendTest : public DatabaseEditTest {
 protected:
  AppendTest() { backend_->CreateOrders(25); }
  // The page with the new-record row, its ID and Name filled in.
  Response Append(const std::string& id, const std::string& name) {
    Response page = site_.Click(site_.Open(), "Grid1_TABLE", "GADD");
    return site_.Click(page, "Grid1_TABLE", "GUPDATE", [&](Form& f) {
      f.SetText(CellControls(f, 0).at(0), id);
      f.SetText(CellControls(f, 1).at(0), name);
    });
  }
};

TEST_P(AppendTest, AppendGoesToThePageThatHoldsTheNewRecord) {
  Response other = site_.Open();
  std::string otherLock = "grid.cgi." + other.Grid("Grid1").GetGUID() + ".upd";
  Response added = Append("100", "new");
  TZylHTMLGrid& grid = added.Grid("Grid1");
  ASSERT_EQ(Records(), 26);
  EXPECT_EQ(Text(25, 0), "100");
  EXPECT_EQ(Text(25, 1), "new");
  EXPECT_TRUE(IsNull(25, 4)) << "an empty number";
  EXPECT_EQ(grid.GetRecNo(), 25);
  EXPECT_EQ(grid.GetPage(), 3);
  EXPECT_EQ(grid.GetLastUpdateError(), "");
  std::vector<std::string> locks = Locks();
  EXPECT_EQ(std::count(locks.begin(), locks.end(), otherLock), 0)
      << "an append takes the lock of every other page";
}

TEST_P(AppendTest, NewValueJoinsTheDropDownList) {
  setup_ = [](TZylHTMLGrid& grid) {
    TZylColumn* name = grid.GetColumns(2);
    name->PickList().Add("n1");
    name->ValueList().Add("n1");
  };
  Response added = Append("100", "fresh");
  TZylColumn* name = added.Grid("Grid1").GetColumns(2);
  EXPECT_EQ(name->PickList().Count(), 2);
  EXPECT_EQ(name->PickList().IndexOf("fresh"), 1);
  EXPECT_EQ(name->ValueList().IndexOf("fresh"), 1);
}

TEST_P(AppendTest, AFailingCellLeavesNoHalfRecord) {
  Response adding = site_.Click(site_.Open(), "Grid1_TABLE", "GADD");
  // Five cells, the third of which the Qty field cannot take.
  Response failed = PostCells(site_, adding,
                              {{"GCELL_25_0", "100"},
                               {"GCELL_25_1", "half"},
                               {"GCELL_25_4", "x"},
                               {"GCELL_25_2", "on"},
                               {"GCELL_25_3", "on"}});
  TZylHTMLGrid& grid = failed.Grid("Grid1");
  EXPECT_EQ(Records(), 25);
  EXPECT_TRUE(Browsing(failed));
  EXPECT_NE(grid.GetLastUpdateError().find("'x'"), std::string::npos) << grid.GetLastUpdateError();
  EXPECT_EQ(failed.ErrorText(), "Error:\\n" + grid.GetLastUpdateError());
  EXPECT_TRUE(grid.GetShowErrorBox());
}

TEST_P(AppendTest, ARefusedPostLeavesNoRecord) {
  backend_->RefuseAppends();
  Response failed = Append("100", "lost");
  EXPECT_EQ(Records(), 25);
  EXPECT_TRUE(Browsing(failed));
  const std::string& message = failed.Grid("Grid1").GetLastUpdateError();
  EXPECT_NE(message.find("disk full"), std::string::npos) << message;
  EXPECT_EQ(failed.ErrorText(), "Error:\\n" + message);
}

TEST_P(AppendTest, StalePageCannotDeleteAfterAnotherPageAdded) {
  Response stale = PageAt(2);
  Append("100", "new");
  Response refused = site_.Click(stale, "Grid1_TABLE", "GDEL");
  EXPECT_EQ(refused.actions["Grid1"], TGridAction::gaDeleteCurrent);
  EXPECT_EQ(Records(), 26) << "nothing deleted by position from a stale page";
  EXPECT_EQ(Text(2, 1), "n2");
  EXPECT_EQ(refused.ErrorText(), refused.Grid("Grid1").GetTextUpdateError());
  EXPECT_TRUE(refused.Grid("Grid1").GetShowErrorBox());

  Response deleted =
      site_.Click(site_.Click(refused, "Grid1_TABLE", "GRecNo2"), "Grid1_TABLE", "GDEL");
  EXPECT_EQ(Records(), 25);
  EXPECT_EQ(Text(2, 1), "n3");
}

TEST_P(DatabaseEditTest, DeleteOfTheLastRecord) {
  Response other = site_.Open();
  Response page = PageAt(9);
  Response deleted = site_.Click(page, "Grid1_TABLE", "GDEL");
  TZylHTMLGrid& grid = deleted.Grid("Grid1");
  EXPECT_EQ(Records(), 9);
  EXPECT_EQ(grid.GetRowCount(), 9);
  EXPECT_EQ(grid.GetRecNo(), 8);
  // Every lock of the program went; only the page just produced has one.
  EXPECT_EQ(Locks(), (std::vector<std::string>{"grid.cgi." + grid.GetGUID() + ".upd"}));
  EXPECT_NE(other.Grid("Grid1").GetGUID(), grid.GetGUID());
}

TEST(DatabaseEdit, AppendWithoutRowsPerPageStaysOnPageOne) {
  harness::PrivateTempDir temp;
  auto ds = Orders(3);
  TZylCSS css(nullptr);
  css.SetModuleType(TModuleType::WebModule);
  TStringList posted;
  posted.Add("GCELL_0_1=x");
  css.SetPostData(posted);
  TZylHTMLGrid grid(nullptr);
  grid.SetCSS(&css);
  grid.Loaded();
  grid.SetDataset(ds.get());
  grid.SetMaxRows(0);  // every page empty: no page size to divide by
  grid.ReadValues();
  grid.SetEditMode(true);
  EXPECT_TRUE(grid.AddDBRecord());
  EXPECT_EQ(ds->RecordCount(), 4);
  EXPECT_EQ(grid.GetPage(), 1);
}

INSTANTIATE_TEST_SUITE_P(Datasets, DatabaseEditTest, ::testing::Values("memory", "sqlite"));
INSTANTIATE_TEST_SUITE_P(Datasets, AppendTest, ::testing::Values("memory", "sqlite"));

}  // namespace
}  // namespace zyl
