// The grid component: defaults, setter side effects, links and their
// notifications, copying.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

// A dataset with no records: enough to link and to be destroyed.
class StubDataSet : public TDataSet {
 public:
  explicit StubDataSet(TComponent* owner = nullptr) : TDataSet(owner) {}
  bool GetActive() const override { return active_; }
  void Open() override { active_ = true; }
  void Close() override { active_ = false; }
  int FieldCount() const override { return 0; }
  TField* GetField(int index) const override { throw EListError::OutOfBounds(index); }
  int RecordCount() const override { return 0; }
  void First() override {}
  void Next() override {}
  void Prior() override {}
  int MoveBy(int) override { return 0; }
  bool Eof() const override { return true; }
  bool Bof() const override { return true; }
  TDataSetState State() const override { return TDataSetState::dsBrowse; }
  void Edit() override {}
  void Append() override {}
  void Post() override {}
  void Cancel() override {}
  void Delete() override {}

 private:
  bool active_ = false;
};

TEST(GridModel, NewGridHasOneCellAndNoNumberColumn) {
  TZylHTMLGrid grid(nullptr);
  EXPECT_EQ(grid.GetRowCount(), 1);
  EXPECT_EQ(grid.GetColCount(), 1);
  EXPECT_EQ(grid.GetPage(), 1);
  EXPECT_EQ(grid.GetRowsPerPage(), 40);
  EXPECT_TRUE(grid.GetShowRowNumber());
  EXPECT_EQ(grid.GetColumns(0)->GetCaption(), "");  // not the number column
  EXPECT_EQ(grid.GetColumns(0)->GetDataType(), TFieldType::ftString);
  EXPECT_EQ(grid.GetMaxCols(), 256);
  EXPECT_EQ(grid.GetMaxRows(), 500);
  EXPECT_EQ(grid.GetTextNumber(), "No:");
  EXPECT_EQ(grid.GetTextUpdateError(),
            " Cannot update the table!\\n Another user has modifyed the table!\\n Please try again.");
  EXPECT_EQ(grid.GetCurrentRowColor(), 0xE0FFFFu);
  EXPECT_EQ(grid.GetBackground(), 0xC8D0D4u);
  EXPECT_EQ(grid.HeaderFont().GetName(), "Arial");
  EXPECT_EQ(grid.GetCells(0, 0)->GetColor(), clNone);
  EXPECT_EQ(grid.GetSaveAsType(), TExportType::Excel);
}

TEST(GridModel, LoadedAddsTheNumberColumnOnce) {
  TZylHTMLGrid grid(nullptr);
  grid.BeginLoading();
  grid.SetShowRowNumber(true);  // deferred while loading
  grid.SetShowGlyphs(false);
  EXPECT_EQ(grid.GetColCount(), 1);
  grid.Loaded();
  EXPECT_EQ(grid.GetColCount(), 2);
  EXPECT_EQ(grid.GetColumns(0)->GetCaption(), "No:");
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "1");
  EXPECT_FALSE(grid.GetGlyphToggle());
}

TEST(GridModel, PageBelowOneIsStoredAsOne) {
  TZylHTMLGrid grid(nullptr);
  grid.SetPage(0);
  EXPECT_EQ(grid.GetPage(), 1);
  grid.SetPage(-7);
  EXPECT_EQ(grid.GetPage(), 1);
  grid.SetPage(3);
  EXPECT_EQ(grid.GetPage(), 3);
}

TEST(GridModel, GridSettersReachEveryColumn) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetShowGlyphs(false);
  for (int c = 0; c < 3; ++c) EXPECT_FALSE(grid.GetColumns(c)->GetShowGlyph());
  EXPECT_FALSE(grid.AddCol()->GetShowGlyph());  // new columns take the grid's value
  grid.SetWordWrap(true);
  for (int c = 0; c < 4; ++c) EXPECT_TRUE(grid.GetColumns(c)->GetWordWrap());

  grid.SetShowSelectors(true);
  EXPECT_TRUE(grid.GetColumns(1)->GetShowSelector());
  grid.SetSelectable(false);
  EXPECT_FALSE(grid.GetShowSelectors());
  for (int c = 0; c < 4; ++c) EXPECT_FALSE(grid.GetColumns(c)->GetShowSelector());
  grid.SetShowSelectors(true);
  EXPECT_FALSE(grid.GetShowSelectors());
}

TEST(GridModel, EditModeSkipsTheNumberColumn) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(3);
  EXPECT_FALSE(grid.GetEditMode());
  grid.Loaded();  // adds the number column
  grid.SetEditMode(true);
  EXPECT_TRUE(grid.GetEditMode());
  EXPECT_FALSE(grid.GetColumns(0)->GetEditMode());
  for (int c = 1; c < 4; ++c) EXPECT_TRUE(grid.GetColumns(c)->GetEditMode());
  grid.SetColCount(0);
  EXPECT_FALSE(grid.GetEditMode());
}

TEST(GridModel, MasterAndDetailLinksRefuseCycles) {
  TZylHTMLGrid a(nullptr), b(nullptr);
  try {
    a.SetMasterGrid(&a);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Circular references are not allowed!");
  }
  EXPECT_THROW(a.SetDetailGrid(&a), Exception);
  a.SetDetailGrid(&b);
  try {
    a.SetMasterGrid(&b);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Master and Detail grid must be different!");
  }
  EXPECT_EQ(a.GetMasterGrid(), nullptr);  // the previous link stays
  EXPECT_EQ(a.GetDetailGrid(), &b);
}

TEST(GridModel, MasterGridSetsRowsPerPageFromItsMaxRows) {
  TZylHTMLGrid master(nullptr), detail(nullptr);
  master.SetMaxRows(25);
  detail.SetMasterGrid(&master);
  EXPECT_EQ(detail.GetRowsPerPage(), 25);
}

TEST(GridModel, DestroyedLinksAreCleared) {
  TZylHTMLGrid grid(nullptr);
  auto dataset = std::make_unique<StubDataSet>();
  auto css = std::make_unique<TZylCSS>(nullptr);
  auto master = std::make_unique<TZylHTMLGrid>(nullptr);
  auto detail = std::make_unique<TZylHTMLGrid>(nullptr);
  grid.SetDataset(dataset.get());
  grid.SetCSS(css.get());
  grid.SetMasterGrid(master.get());
  grid.SetDetailGrid(detail.get());
  dataset.reset();
  EXPECT_EQ(grid.GetDataset(), nullptr);
  css.reset();
  EXPECT_EQ(grid.CSSLink(), nullptr);
  EXPECT_EQ(grid.GetCSS(), nullptr);
  master.reset();
  EXPECT_EQ(grid.GetMasterGrid(), nullptr);
  detail.reset();
  EXPECT_EQ(grid.GetDetailGrid(), nullptr);
  grid.SetRowCount(3);  // the grid stays usable
  EXPECT_EQ(grid.GetRowCount(), 3);
}

TEST(GridModel, GridDestroyedFirstLeavesNoDanglingLink) {
  StubDataSet dataset;
  {
    TZylHTMLGrid grid(nullptr);
    grid.SetDataset(&dataset);
  }
  SUCCEED();  // destroying the dataset afterwards must not touch the freed grid
}

TEST(GridModel, OwnerFreesGridAndDataset) {
  TComponent owner(nullptr);
  auto* grid = new TZylHTMLGrid(&owner);  // owned by `owner`
  auto* dataset = new StubDataSet(&owner);
  grid->SetDataset(dataset);
  EXPECT_EQ(owner.ComponentCount(), 2);
}

TEST(GridModel, FileNameAndDatasetClearEachOther) {
  TZylHTMLGrid grid(nullptr);
  StubDataSet dataset;
  grid.SetDataset(&dataset);
  grid.SetFileName("/nonexistent/zyl-grid-test.txt");
  EXPECT_EQ(grid.GetDataset(), nullptr);
  grid.SetDataset(&dataset);
  EXPECT_EQ(grid.GetFileName(), "");
}

TEST(GridModel, FieldNameIsKeptWhileTheDatasetIsOpen) {
  TZylHTMLGrid grid(nullptr);
  StubDataSet dataset;
  grid.SetDataset(&dataset);
  grid.GetColumns(0)->SetFieldName("City");
  dataset.Open();
  grid.GetColumns(0)->SetFieldName("Town");
  EXPECT_EQ(grid.GetColumns(0)->GetFieldName(), "City");
}

TEST(GridModel, AssignCopiesSettingsColumnsAndCells) {
  TZylHTMLGrid source(nullptr), target(nullptr);
  source.SetColCount(2);
  source.SetRowCount(2);
  target.SetColCount(2);
  target.SetRowCount(2);
  source.SetHeader("Orders");
  source.SetTextSum("Total:");  // not copied
  source.SetAltSave("Download");
  source.GetColumns(1)->SetCaption("City");
  source.GetColumns(1)->Font().SetSize(12);
  source.GetCells(1, 1)->SetValue("Oslo");
  source.SetShowGlyphs(false);
  target.Assign(source);
  EXPECT_EQ(target.GetHeader(), "Orders");
  EXPECT_EQ(target.GetTextSum(), "Sum:");
  EXPECT_EQ(target.GetAltSave(), "Download");
  EXPECT_EQ(target.GetColumns(1)->GetCaption(), "City");
  EXPECT_EQ(target.GetCells(1, 1)->GetValue(), "Oslo");
  EXPECT_EQ(target.GetCells(0, 1)->Font().GetSize(), 12);  // via the font's change handler
  EXPECT_FALSE(target.GetShowGlyphs());

  TZylRow row(&target);
  try {
    target.Assign(row);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TZylRow to a TZylHTMLGrid");
  }
}

TEST(GridModel, ElementAccessOutsideTheListsRaisesListErrors) {
  TZylHTMLGrid grid(nullptr);
  EXPECT_THROW(grid.GetCells(1, 0), EListError);
  EXPECT_THROW(grid.GetColumns(-1), EListError);
  try {
    grid.GetRows(5);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  grid.SetRow(0);
  EXPECT_EQ(grid.GetFields(0), grid.GetCells(0, 0));
}

TEST(GridModel, ReplacedCellsAndColumnsGoBackToTheCaller) {
  TZylHTMLGrid grid(nullptr);
  TZylField* old = grid.GetCells(0, 0);
  std::unique_ptr<TZylField> back = grid.SetCells(0, 0, std::make_unique<TZylField>(&grid));
  EXPECT_EQ(back.get(), old);
  EXPECT_NE(grid.GetCells(0, 0), old);
  std::unique_ptr<TZylMatrix> oldMatrix = grid.SetMatrix(std::make_unique<TZylMatrix>(&grid));
  grid.SetMatrix(std::move(oldMatrix));  // put the real one back
  EXPECT_EQ(grid.GetCells(0, 0)->Grid(), &grid);
}

}  // namespace
}  // namespace zyl
