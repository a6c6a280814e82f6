// Sorting after a read: the page in the grid, and with GlobalSorting the
// whole dataset through its class's sort property.
#include <gtest/gtest.h>

#include "DataTestUtil.h"
#include "data/DatasetSort.h"

namespace zyl {
namespace {

using testing::ColumnTexts;
using testing::LoadedGrid;

class PageSortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_.AddField("Name", TFieldType::ftString);
    ds_.AddField("Qty", TFieldType::ftInteger);
    ds_.AddField("Day", TFieldType::ftDate);
    ds_.AddRecord({"b", 10, EncodeDate(2024, 1, 3)});
    ds_.AddRecord({"B", 9, EncodeDate(2023, 12, 31)});
    ds_.AddRecord({"a", 100, EncodeDate(2024, 1, 3)});
    ds_.AddRecord({"c", 9, EncodeDate(2024, 2, 1)});
    ds_.Open();
    grid_ = LoadedGrid();
    grid_->SetDataset(&ds_);
    grid_->ReadValues();
  }

  TZylMemDataset ds_{nullptr};
  std::unique_ptr<TZylHTMLGrid> grid_;
};

TEST_F(PageSortTest, ByTextNumberAndDate) {
  grid_->GetColumns(1)->SetSortOrder(TSortOrder::soAscending);
  EXPECT_EQ(ColumnTexts(*grid_, 1), (std::vector<std::string>{"a", "b", "B", "c"}));
  grid_->GetColumns(2)->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(ColumnTexts(*grid_, 2), (std::vector<std::string>{"100", "10", "9", "9"}))
      << "an integer column sorts by number";
  EXPECT_EQ(grid_->GetColumns(1)->GetSortOrder(), TSortOrder::soNone);
  grid_->GetColumns(3)->SetSortOrder(TSortOrder::soAscending);
  EXPECT_EQ(ColumnTexts(*grid_, 3),
            (std::vector<std::string>{"31.12.2023", "03.01.2024", "03.01.2024", "01.02.2024"}));
  EXPECT_EQ(grid_->GetSortColumn(), 3);
  EXPECT_EQ(ds_.GetIndexFieldNames(), "") << "without GlobalSorting the dataset is not asked";
}

TEST_F(PageSortTest, SortIsStableAcrossColumns) {
  grid_->GetColumns(1)->SetSortOrder(TSortOrder::soDescending);  // c b B a
  grid_->GetColumns(2)->SetSortOrder(TSortOrder::soAscending);
  EXPECT_EQ(ColumnTexts(*grid_, 1), (std::vector<std::string>{"c", "B", "b", "a"}))
      << "the equal quantities 9 keep the name order c, B";
  for (int r = 0; r < grid_->GetRowCount(); ++r) EXPECT_EQ(grid_->GetRows(r)->GetRowNo(), r);
}

TEST_F(PageSortTest, ReadingAgainSortsTheNewPageBeforeTheSummaryRow) {
  grid_->GetColumns(2)->SetSortOrder(TSortOrder::soAscending);
  grid_->SetDoMadeSum(true);
  grid_->ReadValues();
  EXPECT_EQ(ColumnTexts(*grid_, 2), (std::vector<std::string>{"9", "9", "10", "100", "128"}));
  EXPECT_EQ(grid_->GetColumns(2)->Glyph()->GetURLASC(), "GAscA.gif");
}

TEST_F(PageSortTest, NumberColumnSortSurvivesTheRead) {
  grid_->GetColumns(0)->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(ColumnTexts(*grid_, 1), (std::vector<std::string>{"c", "a", "B", "b"}));
  grid_->ReadValues();
  EXPECT_EQ(grid_->GetColumns(0)->GetSortOrder(), TSortOrder::soDescending);
  EXPECT_EQ(ColumnTexts(*grid_, 0), (std::vector<std::string>{"4", "3", "2", "1"}));
}

TEST(GlobalSortTest, ClickSortsTheDatasetAndReadsThePageOnceInTheNewOrder) {
  TZylMemDataset ds(nullptr);
  ds.AddField("ID", TFieldType::ftInteger);
  ds.AddField("City", TFieldType::ftString);
  const char* cities[] = {"Oslo", "Bergen", "Alta", "Tromsø", "Bodø"};
  for (int i = 0; i < 95; ++i) ds.AddRecord({i, cities[i % 5]});
  ds.Open();
  auto grid = LoadedGrid();
  grid->SetDataset(&ds);
  grid->SetGlobalSorting(true);
  grid->SetDoMadeSum(true);
  grid->SetPage(2);
  grid->ReadValues();
  int before = 0, after = 0;
  grid->OnBeforeReadData = [&](TObject*) { ++before; };
  grid->OnAfterReadData = [&](TObject*) { ++after; };

  grid->GetColumns(2)->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(ds.GetIndexFieldNames(), "City DESC");
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  ASSERT_EQ(grid->GetRowCount(), 41) << "one page and one sum row";
  for (int r = 0; r < 40; ++r) {
    EXPECT_EQ(grid->GetCells(r, 1)->GetValue(), ds.GetValue(40 + r, 0).ToString()) << "row " << r;
  }
  // Tromsø, Oslo, Bodø, Bergen, Alta with 19 records each: record 40 is a Bodø.
  EXPECT_EQ(grid->GetCells(0, 2)->GetValue(), "Bodø");
  EXPECT_EQ(grid->GetCells(40, 0)->GetValue(), "Sum:");
  EXPECT_EQ(grid->GetColumns(2)->Glyph()->GetURLDSC(), "GDescA.gif");

  grid->SetPage(3);
  grid->ReadValues();  // the next request's read: same key, one read
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 2);
  EXPECT_EQ(grid->GetRowCount(), 16);
  EXPECT_EQ(grid->GetCells(14, 2)->GetValue(), "Alta");
  EXPECT_EQ(grid->GetCells(15, 0)->GetValue(), "Sum:");
}

TEST(GlobalSortTest, ReadTakesTheKeyOfASortColumnSetBeforehand) {
  auto ds = testing::NumberedDataset(5);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetGlobalSorting(true);
  grid->ReadValues();
  grid->GetColumns(1)->StoreSortOrder(TSortOrder::soDescending);  // as the request state sets it
  grid->ReadValues();
  EXPECT_EQ(ds->GetIndexFieldNames(), "ID DESC");
  EXPECT_EQ(ColumnTexts(*grid, 1), (std::vector<std::string>{"4", "3", "2", "1", "0"}));
  EXPECT_EQ(ColumnTexts(*grid, 0), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST(GlobalSortTest, ColumnsAfterABlobFieldKeepTheirPlaceAcrossTheReRead) {
  TZylMemDataset ds(nullptr);
  ds.AddField("A", TFieldType::ftString);
  ds.AddField("Picture", TFieldType::ftBlob);
  ds.AddField("City", TFieldType::ftString);
  ds.AddRecord({"1", "png", "Oslo"});
  ds.AddRecord({"2", "gif", "Alta"});
  ds.Open();
  auto grid = LoadedGrid();
  grid->SetDataset(&ds);
  grid->SetGlobalSorting(true);
  grid->ReadValues();
  TZylColumn* city = grid->GetColumns(2);
  city->SetSortOrder(TSortOrder::soAscending);  // reads again while this setter runs
  EXPECT_EQ(grid->GetColumns(2), city) << "the clicked column object survives the read";
  EXPECT_EQ(city->GetFieldName(), "City");
  EXPECT_EQ(city->GetFieldIndex(), 2);
  EXPECT_EQ(city->GetSortOrder(), TSortOrder::soAscending);
  EXPECT_EQ(ds.GetIndexFieldNames(), "City ASC");
  EXPECT_EQ(ColumnTexts(*grid, 2), (std::vector<std::string>{"Alta", "Oslo"}));
}

TEST(GlobalSortTest, NumberColumnSortsThePageInTheGrid) {
  auto ds = testing::NumberedDataset(4);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetGlobalSorting(true);
  grid->ReadValues();
  grid->GetColumns(0)->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(ColumnTexts(*grid, 1), (std::vector<std::string>{"3", "2", "1", "0"}));
  EXPECT_EQ(ds->GetIndexFieldNames(), "") << "the number column names no field";
  grid->ReadValues();
  EXPECT_EQ(ColumnTexts(*grid, 1), (std::vector<std::string>{"3", "2", "1", "0"}));
  EXPECT_EQ(grid->GetColumns(0)->GetSortOrder(), TSortOrder::soDescending);
}

// A dataset that poses as another class and records what the grid sets.
class PosingDataset : public TZylMemDataset {
 public:
  explicit PosingDataset(std::string className) : TZylMemDataset(nullptr), className_(std::move(className)) {
    AddField("City", TFieldType::ftString);
    AddRecord({"x"});
    TZylMemDataset::Open();
  }
  std::string ClassName() const override { return className_; }
  bool SetStrProp(const std::string& name, const std::string& value) override {
    set.push_back(name + "=" + value);
    return true;
  }
  TStringList* GetStringListProp(const std::string& name) override {
    return name == "SortedBy" ? &sortedBy : nullptr;
  }
  void Open() override {
    ++opens;
    TZylMemDataset::Open();
  }
  void Close() override {
    ++closes;
    TZylMemDataset::Close();
  }

  std::vector<std::string> set;
  TStringList sortedBy;
  int opens = 0;
  int closes = 0;

 private:
  std::string className_;
};

TEST(GlobalSortTest, TheClassNameChoosesTheSortProperty) {
  for (const char* name : {"TTable", "TAdoDataset", "TaoADOQuery", "TZylSQLiteDataset"}) {
    PosingDataset ds(name);
    auto grid = LoadedGrid();
    grid->SetDataset(&ds);
    grid->SetGlobalSorting(true);
    grid->ReadValues();
    grid->GetColumns(1)->SetSortOrder(TSortOrder::soDescending);
    EXPECT_EQ(ds.set, (std::vector<std::string>{"IndexFieldNames=City DESC"})) << name;
  }
  {
    PosingDataset ds("TDaoTable");
    auto grid = LoadedGrid();
    grid->SetDataset(&ds);
    grid->SetGlobalSorting(true);
    grid->ReadValues();
    grid->GetColumns(1)->SetSortOrder(TSortOrder::soAscending);
    EXPECT_EQ(ds.set, (std::vector<std::string>{"Sort=City ASC"}));
  }
  {
    PosingDataset ds("TZylAdoTable");
    ds.sortedBy.Add("Old");
    ds.sortedBy.Add("Older");
    auto grid = LoadedGrid();
    grid->SetDataset(&ds);
    grid->SetGlobalSorting(true);
    grid->ReadValues();
    grid->GetColumns(1)->SetSortOrder(TSortOrder::soAscending);
    EXPECT_EQ(testing::Lines(ds.sortedBy),
              (std::vector<std::string>{"City ASC"}));
    EXPECT_EQ(ds.closes, 1) << "reopened once to take the order";
    EXPECT_EQ(ds.opens, 1);
    EXPECT_TRUE(ds.GetActive());
  }
  for (const char* name : {"TMyTable", "ttable", "TZylDataset"}) {
    PosingDataset ds(name);
    EXPECT_FALSE(ApplyDatasetSortKey(ds, "City ASC")) << name;
    EXPECT_TRUE(ds.set.empty()) << name;
  }
}

TEST(GlobalSortTest, SortDatasetAlwaysReturnsFalseAndKeysFollowTheOrder) {
  EXPECT_EQ(DatasetSortKey("City", TSortOrder::soAscending), "City ASC");
  EXPECT_EQ(DatasetSortKey("City", TSortOrder::soDescending), "City DESC");
  EXPECT_EQ(DatasetSortKey("City", TSortOrder::soNone), "City");
  auto ds = testing::NumberedDataset(3);
  TZylHTMLGrid grid(nullptr);
  grid.SetDataset(ds.get());
  grid.ReadValues();
  EXPECT_FALSE(grid.SortDataset(1, TSortOrder::soDescending));
  EXPECT_EQ(ds->GetIndexFieldNames(), "ID DESC");
  EXPECT_EQ(ColumnTexts(grid, 1), (std::vector<std::string>{"2", "1", "0"}));
}

}  // namespace
}  // namespace zyl
