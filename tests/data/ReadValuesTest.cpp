// Reading one page of a dataset: paging, the current record, columns of
// blob and memo fields, cell texts and typed values, swallowed errors.
#include <gtest/gtest.h>

#include <climits>

#include "DataTestUtil.h"

namespace zyl {
namespace {

using testing::ColumnTexts;
using testing::LoadedGrid;
using testing::NumberedDataset;

TEST(ReadValuesPaging, LastPageOfNinetyFiveRecords) {
  auto ds = NumberedDataset(95);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetPage(3);
  grid->ReadValues();
  EXPECT_EQ(grid->GetPageCount(), 3);
  EXPECT_EQ(grid->GetTotalRowCount(), 95);
  ASSERT_EQ(grid->GetRowCount(), 15);
  EXPECT_EQ(grid->GetRows(0)->GetRecNo(), 80);
  EXPECT_EQ(grid->GetRows(14)->GetRecNo(), 94);
  EXPECT_EQ(grid->GetCells(0, 0)->GetValue(), "81") << "row-number text";
  EXPECT_EQ(grid->GetCells(0, 1)->GetValue(), "80") << "field ID of record 80";
  EXPECT_EQ(grid->GetCells(14, 2)->GetValue(), "name94");
  EXPECT_EQ(testing::Captions(*grid), (std::vector<std::string>{"No:", "ID", "Name", "Amount"}));
  EXPECT_EQ(grid->GetColumns(2)->GetFieldName(), "Name");
  EXPECT_EQ(grid->GetColumns(2)->GetFieldIndex(), 1);
  EXPECT_EQ(grid->GetColumns(2)->GetDataSize(), 20);
  EXPECT_EQ(grid->GetColumns(3)->GetDataType(), TFieldType::ftFloat);
}

TEST(ReadValuesPaging, PageBeyondTheEndIsPulledBack) {
  auto ds = NumberedDataset(95);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetPage(7);
  grid->ReadValues();
  EXPECT_EQ(grid->GetPage(), 3);
  EXPECT_EQ(grid->GetRows(0)->GetRecNo(), 80);

  grid->SetPage(INT_MAX);  // a request value: no overflow on the way back
  grid->ReadValues();
  EXPECT_EQ(grid->GetPage(), 3);
  EXPECT_EQ(grid->GetRowCount(), 15);
}

TEST(ReadValuesPaging, EmptyDatasetLeavesThePageAndReadsNoRows) {
  auto ds = NumberedDataset(0);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetPage(4);
  grid->ReadValues();
  EXPECT_EQ(grid->GetPage(), 4);
  EXPECT_EQ(grid->GetRowCount(), 0);
  EXPECT_EQ(grid->GetPageCount(), 0);
  EXPECT_EQ(grid->GetColCount(), 4) << "the columns come from the fields";

  grid->SetPage(INT_MAX);
  grid->SetRowsPerPage(0);
  grid->ReadValues();  // page size 0 and a huge page: nothing divides by zero or overflows
  EXPECT_EQ(grid->GetRowsPerPage(), 0);
  EXPECT_EQ(grid->GetPageCount(), 0);
  EXPECT_EQ(grid->GetRowCount(), 0);
}

TEST(ReadValuesPaging, AllRecordsAreCappedAtMaxRows) {
  auto ds = NumberedDataset(1200);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetRowsPerPage(0);
  grid->ReadValues();
  EXPECT_EQ(grid->GetRowsPerPage(), 500);
  EXPECT_EQ(grid->GetRowCount(), 500);
  EXPECT_EQ(grid->GetPageCount(), 3);

  grid->SetRowsPerPage(-5);  // a request value: read as "every record"
  grid->ReadValues();
  EXPECT_EQ(grid->GetRowsPerPage(), 500);
  EXPECT_EQ(grid->GetRowCount(), 500);

  grid->SetMaxRows(0);
  grid->ReadValues();
  EXPECT_EQ(grid->GetRowsPerPage(), 0);
  EXPECT_EQ(grid->GetRowCount(), 0);
  EXPECT_EQ(grid->GetPageCount(), 0);
}

TEST(ReadValuesPaging, RecNoIsClampedIntoThePageAndMovesTheCursor) {
  auto ds = NumberedDataset(95);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetPage(2);
  grid->SetRecNo(5);
  grid->ReadValues();
  EXPECT_EQ(grid->GetRecNo(), 40);
  EXPECT_EQ(ds->GetRecNo(), 40);
  grid->SetRecNo(100);
  grid->ReadValues();
  EXPECT_EQ(grid->GetRecNo(), 79);
  EXPECT_EQ(ds->GetRecNo(), 79);
  EXPECT_EQ(ds->FieldByName("ID")->AsString(), "79");
}

TEST(ReadValuesPaging, NothingHappensWithoutAnOpenDataset) {
  auto ds = NumberedDataset(3);
  ds->Close();
  auto grid = LoadedGrid();
  int events = 0;
  grid->OnBeforeReadData = [&](TObject*) { ++events; };
  grid->ReadValues();
  grid->SetDataset(ds.get());
  grid->ReadValues();
  EXPECT_EQ(events, 0);
  EXPECT_EQ(grid->GetRowCount(), 1);
}

TEST(ReadValuesPaging, EventsSurroundTheRead) {
  auto ds = NumberedDataset(3);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  std::vector<std::string> seen;
  grid->OnBeforeReadData = [&](TObject* sender) {
    EXPECT_EQ(sender, grid.get());
    seen.push_back("before " + std::to_string(grid->GetRowCount()));
  };
  grid->OnAfterReadData = [&](TObject*) { seen.push_back("after " + std::to_string(grid->GetRowCount())); };
  grid->ReadValues();
  EXPECT_EQ(seen, (std::vector<std::string>{"before 1", "after 3"}));
}

TEST(ReadValuesColumns, MemoAndBlobFieldsGetNoColumnButOthersKeepTheirFieldIndex) {
  TZylMemDataset ds(nullptr);
  ds.AddField("A", TFieldType::ftString);
  ds.AddField("Note", TFieldType::ftMemo);
  ds.AddField("B", TFieldType::ftInteger);
  ds.AddField("Picture", TFieldType::ftBlob);
  ds.AddField("C", TFieldType::ftString);
  ds.AddRecord({"a", "long text", 2, "bytes", "c"});
  ds.Open();
  auto grid = LoadedGrid();
  grid->SetDataset(&ds);
  grid->ReadValues();
  EXPECT_EQ(testing::Captions(*grid), (std::vector<std::string>{"No:", "A", "B", "C"}));
  EXPECT_EQ(grid->GetColumns(2)->GetFieldIndex(), 2);
  EXPECT_EQ(grid->GetColumns(3)->GetFieldIndex(), 4);
  EXPECT_EQ(grid->GetCells(0, 3)->GetValue(), "c");

  grid->SetShowMemos(true);
  grid->SetShowBlobs(true);
  grid->ReadValues();
  EXPECT_EQ(testing::Captions(*grid),
            (std::vector<std::string>{"No:", "A", "Note", "B", "Picture", "C"}));
  EXPECT_EQ(grid->GetCells(0, 2)->GetValue(), "long text");
}

TEST(ReadValuesColumns, ColumnsBeyondMaxColsAreNotRead) {
  auto ds = NumberedDataset(2);
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  grid.SetMaxCols(2);
  grid.SetDataset(ds.get());
  grid.ReadValues();
  EXPECT_EQ(grid.GetColCount(), 2);
  EXPECT_EQ(grid.GetCells(1, 1)->GetValue(), "name1");
}

TEST(ReadValuesCells, NullFieldsGiveEmptyTextAlsoInNumericColumns) {
  TZylMemDataset ds(nullptr);
  ds.AddField("N", TFieldType::ftInteger);
  ds.AddField("S", TFieldType::ftString);
  ds.AddField("D", TFieldType::ftDateTime);
  ds.AddRecord({7, "x", 1.0});
  ds.AddRecord({TVariant::Null(), TVariant::Null(), TVariant::Null()});
  ds.Open();
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  grid.SetDataset(&ds);
  grid.ReadValues();
  ASSERT_EQ(grid.GetRowCount(), 2);
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "7");
  EXPECT_EQ(grid.GetCells(0, 0)->GetNumericValue(), 7);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(grid.GetCells(1, c)->GetValue(), "") << "column " << c;
    EXPECT_TRUE(grid.GetCells(1, c)->GetVariantValue().IsNull());
  }
}

TEST(ReadValuesCells, TypedValuesAndTexts) {
  TZylMemDataset ds(nullptr);
  ds.AddField("Price", TFieldType::ftCurrency);
  ds.AddField("Day", TFieldType::ftDate);
  ds.AddField("At", TFieldType::ftDateTime);
  ds.AddField("Ok", TFieldType::ftBoolean);
  ds.AddField("Big", TFieldType::ftLargeint);
  double day = EncodeDate(2023, 12, 24);
  ds.AddRecord({12.5, day, day + 0.75, true, static_cast<std::int64_t>(5000000000LL)});
  ds.AddRecord({0.0, day, 0.5, false, TVariant::Null()});
  ds.Open();
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  grid.SetDataset(&ds);
  grid.ReadValues();
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "12.5");
  EXPECT_DOUBLE_EQ(grid.GetCells(0, 0)->GetNumericValue(), 12.5);
  EXPECT_EQ(grid.GetCells(0, 1)->GetValue(), "24.12.2023");
  EXPECT_DOUBLE_EQ(grid.GetCells(0, 1)->GetDateValue(), day);
  EXPECT_EQ(grid.GetCells(0, 2)->GetValue(), "24.12.2023 18:00:00");
  EXPECT_TRUE(grid.GetCells(0, 3)->GetBooleanValue());
  EXPECT_EQ(grid.GetCells(0, 3)->GetValue(), "True");
  EXPECT_EQ(grid.GetColumns(3)->GetHAlign(), HAlignment::alCenter) << "boolean columns centre";
  EXPECT_EQ(grid.GetCells(1, 3)->GetHAlign(), HAlignment::alCenter);
  EXPECT_EQ(grid.GetCells(0, 4)->GetValue(), "5000000000");
  EXPECT_DOUBLE_EQ(grid.GetCells(0, 4)->GetNumericValue(), 5e9);
  EXPECT_EQ(grid.GetCells(1, 2)->GetValue(), "12:00:00") << "a time-only date-time shows its time";

  grid.SetDateTimeFormat("yyyy-mm-dd hh:nn");
  grid.SetDateFormat("d/m/yy");
  grid.SetTimeFormat("hh.nn");
  grid.SetEditMode(true);  // no row-number column: every column edits
  grid.ReadValues();
  EXPECT_EQ(grid.GetCells(0, 1)->GetValue(), "24/12/23");
  EXPECT_EQ(grid.GetCells(0, 2)->GetValue(), "2023-12-24 18:00");
  EXPECT_EQ(grid.GetCells(1, 2)->GetValue(), "12.00") << "the time-only rule holds in edit mode too";
}

// A dataset whose record `failAt` cannot be read: moving there fails, or
// (`inField`) reading its second field fails after the first was read.
class FailingDataset : public TZylMemDataset {
 public:
  FailingDataset(int failAt, bool inField)
      : TZylMemDataset(nullptr), failAt_(failAt), inField_(inField) {}
  void Next() override {
    TZylMemDataset::Next();
    if (!inField_ && GetRecNo() == failAt_) throw Exception("read error");
  }
  void Heal() { failAt_ = -1; }
  TField* GetField(int index) const override {
    TField* field = TZylMemDataset::GetField(index);
    if (inField_ && index == 1 && GetRecNo() == failAt_) {
      failing_.inner = field;
      return &failing_;
    }
    return field;
  }

 private:
  struct FailingField : TField {
    TField* inner = nullptr;
    const std::string& FieldName() const override { return inner->FieldName(); }
    TFieldType DataType() const override { return inner->DataType(); }
    TVariant Value() const override { throw Exception("read error"); }
    void SetAsString(const std::string&) override {}
    void SetAsBoolean(bool) override {}
    void Clear() override {}
  };
  int failAt_;
  bool inField_;
  mutable FailingField failing_;
};

class ReadValuesFailure : public ::testing::TestWithParam<bool> {};

TEST_P(ReadValuesFailure, AnErrorEndsTheReadingKeepsTheWholeRowsAndShowsTheErrorBox) {
  FailingDataset ds(3, GetParam());
  ds.AddField("ID", TFieldType::ftInteger);
  ds.AddField("Name", TFieldType::ftString, 10);
  for (int i = 0; i < 10; ++i) ds.AddRecord({i, "n" + std::to_string(i)});
  ds.Open();
  auto grid = LoadedGrid();
  grid->SetDataset(&ds);
  grid->SetDoMadeSum(true);
  bool after = false;
  grid->OnAfterReadData = [&](TObject*) { after = true; };
  EXPECT_NO_THROW(grid->ReadValues());
  ASSERT_EQ(grid->GetRowCount(), 4) << "three whole rows and the sum row";
  EXPECT_EQ(ColumnTexts(*grid, 1), (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_EQ(grid->GetCells(3, 0)->GetValue(), "Sum:");
  EXPECT_TRUE(after) << "the read goes on after the error";
  EXPECT_NE(grid->GetHTML().GetText().find("ERROR:\r\nREAD ERROR"), std::string::npos)
      << "the page says that it is incomplete";
  ds.Heal();
  grid->ReadValues();
  EXPECT_EQ(grid->GetHTML().GetText().find("READ ERROR"), std::string::npos)
      << "a later read that succeeds clears the message";
}

INSTANTIATE_TEST_SUITE_P(MovingOrReadingAField, ReadValuesFailure, ::testing::Bool());

TEST(ReadValuesCursor, SlowRecNoCountsBackToTheBeginning) {
  auto ds = NumberedDataset(10);
  TZylHTMLGrid grid(nullptr);
  grid.SetDataset(ds.get());
  ds->First();
  ds->MoveBy(6);
  EXPECT_EQ(grid.GetSlowRecNo(), 6);
  EXPECT_EQ(ds->GetRecNo(), 6) << "the cursor goes back where it was";
  ds->First();
  EXPECT_EQ(grid.GetSlowRecNo(), -1) << "the beginning flag is already set";
  EXPECT_EQ(ds->GetRecNo(), 0);
  ds->Next();
  ds->Prior();
  EXPECT_EQ(grid.GetSlowRecNo(), 0);
}

TEST(ReadValuesCells, PopulateCellConvertsByTheColumnType) {
  TZylHTMLGrid grid(nullptr);
  grid.SetColCount(4);
  grid.GetColumns(0)->SetDataType(TFieldType::ftFloat);
  grid.GetColumns(1)->SetDataType(TFieldType::ftDateTime);
  grid.GetColumns(2)->SetDataType(TFieldType::ftBoolean);
  grid.PopulateCell(0, 0, "2.5");
  EXPECT_DOUBLE_EQ(grid.GetCells(0, 0)->GetNumericValue(), 2.5);
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "2.5");
  grid.PopulateCell(0, 1, "01.02.2024 10:30:00");
  EXPECT_DOUBLE_EQ(grid.GetCells(0, 1)->GetDateValue(), EncodeDate(2024, 2, 1) + EncodeTime(10, 30, 0, 0));
  grid.PopulateCell(0, 1, "06:00:00");
  EXPECT_EQ(grid.GetCells(0, 1)->GetValue(), "06:00:00");
  EXPECT_DOUBLE_EQ(grid.GetCells(0, 1)->GetDateValue(), 0.25);
  grid.PopulateCell(0, 2, "true");
  EXPECT_TRUE(grid.GetCells(0, 2)->GetBooleanValue());
  grid.PopulateCell(0, 3, "as typed");
  EXPECT_EQ(grid.GetCells(0, 3)->GetValue(), "as typed");

  EXPECT_THROW(grid.PopulateCell(0, 0, "abc"), EConvertError);
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "2.5") << "a failed conversion leaves the cell";
  EXPECT_THROW(grid.PopulateCell(0, 1, "someday"), EConvertError);
  EXPECT_THROW(grid.PopulateCell(0, 2, "perhaps"), EConvertError);
}

}  // namespace
}  // namespace zyl
