// Sum, average and new-record rows appended after a read.
#include <gtest/gtest.h>

#include "DataTestUtil.h"

namespace zyl {
namespace {

using testing::LoadedGrid;

bool Bold(const TZylField* cell) { return cell->Font().GetStyle().Has(TFontStyleFlag::fsBold); }

class SummaryRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_.AddField("Qty", TFieldType::ftInteger);
    ds_.AddField("Name", TFieldType::ftString);
    ds_.AddField("Price", TFieldType::ftFloat);
    ds_.AddField("Big", TFieldType::ftLargeint);
    ds_.AddRecord({3, "a", 0.1, 1});
    ds_.AddRecord({TVariant::Null(), "b", 0.2, 2});
    ds_.AddRecord({6, "c", 1.0 / 3, 3});
    ds_.Open();
    grid_ = LoadedGrid();
    grid_->SetDataset(&ds_);
  }

  TZylMemDataset ds_{nullptr};
  std::unique_ptr<TZylHTMLGrid> grid_;
};

TEST_F(SummaryRowsTest, SumRowTotalsNumericVisibleColumns) {
  grid_->SetDoMadeSum(true);
  grid_->ReadValues();
  ASSERT_EQ(grid_->GetRowCount(), 4);
  EXPECT_EQ(grid_->GetCells(3, 0)->GetValue(), "Sum:");
  EXPECT_TRUE(Bold(grid_->GetCells(3, 0)));
  EXPECT_EQ(grid_->GetCells(3, 1)->GetValue(), "9");
  EXPECT_TRUE(Bold(grid_->GetCells(3, 1)));
  EXPECT_EQ(grid_->GetCells(3, 2)->GetValue(), "") << "text columns stay empty";
  EXPECT_EQ(grid_->GetCells(3, 3)->GetValue(), "0.633333333333333");
  EXPECT_EQ(grid_->GetCells(3, 4)->GetValue(), "6") << "large integers are numeric";
  for (int c = 0; c < grid_->GetColCount(); ++c) {
    EXPECT_EQ(grid_->GetCells(3, c)->GetColor(), 0xC8FFC8u) << "column " << c;
  }
  EXPECT_EQ(grid_->GetRows(3)->GetColor(), 0xC8FFC8u);
}

TEST_F(SummaryRowsTest, AverageCountsRowsWithEmptyCells) {
  grid_->ReadValues();
  grid_->GetColumns(3)->SetVisible(false);  // columns live on from read to read
  grid_->SetDoMadeSA(true);
  grid_->ReadValues();
  ASSERT_EQ(grid_->GetRowCount(), 4);
  EXPECT_EQ(grid_->GetCells(3, 0)->GetValue(), "Average:");
  EXPECT_EQ(grid_->GetCells(3, 1)->GetValue(), "3") << "3, empty and 6 average 3";
  EXPECT_EQ(grid_->GetCells(3, 1)->Font().GetStyle(), TFontStyles{TFontStyleFlag::fsBold});
  EXPECT_EQ(grid_->GetCells(3, 3)->GetValue(), "") << "an invisible column stays empty";
  EXPECT_EQ(grid_->GetCells(3, 4)->GetValue(), "2");
}

TEST_F(SummaryRowsTest, SumWinsOverAverageAndNewRecordRow) {
  grid_->SetDoMadeSum(true);
  grid_->SetDoMadeSA(true);
  grid_->SetAddingRecord(true);
  grid_->ReadValues();
  EXPECT_EQ(grid_->GetRowCount(), 4);
  EXPECT_EQ(grid_->GetCells(3, 0)->GetValue(), "Sum:");

  grid_->SetDoMadeSum(false);
  grid_->SetDoMadeSA(false);
  grid_->ReadValues();
  ASSERT_EQ(grid_->GetRowCount(), 4);
  EXPECT_EQ(grid_->GetRows(3)->GetColor(), 0xE0FFFFu);
  EXPECT_EQ(grid_->GetCells(3, 1)->GetValue(), "");
  EXPECT_EQ(grid_->GetCells(3, 1)->GetColor(), 0xE0FFFFu);
}

TEST_F(SummaryRowsTest, NoRowsNoSummaryRow) {
  ds_.ClearRecords();
  grid_->SetDoMadeSum(true);
  grid_->ReadValues();
  EXPECT_EQ(grid_->GetRowCount(), 0);
  grid_->CalcSA();
  EXPECT_EQ(grid_->GetRowCount(), 0);
}

TEST_F(SummaryRowsTest, WithoutRowNumbersColumnZeroIsSummedAndUnlabelled) {
  grid_->SetShowRowNumber(false);
  grid_->ReadValues();
  grid_->CalcSum();
  ASSERT_EQ(grid_->GetRowCount(), 4);
  EXPECT_EQ(grid_->GetCells(3, 0)->GetValue(), "9");
  EXPECT_EQ(grid_->GetCells(3, 1)->GetValue(), "");
}

TEST(SummaryRowTypes, NumericAndDateColumnTypes) {
  TZylHTMLGrid grid(nullptr);
  const TFieldType numeric[] = {TFieldType::ftSmallint, TFieldType::ftInteger, TFieldType::ftWord,
                                TFieldType::ftFloat,    TFieldType::ftCurrency, TFieldType::ftBCD,
                                TFieldType::ftAutoInc,  TFieldType::ftLargeint};
  for (TFieldType t : numeric) {
    grid.GetColumns(0)->SetDataType(t);
    EXPECT_TRUE(grid.IsNumeric(0)) << static_cast<int>(t);
    EXPECT_FALSE(grid.IsDate(0));
  }
  for (TFieldType t : {TFieldType::ftString, TFieldType::ftBoolean, TFieldType::ftMemo}) {
    grid.GetColumns(0)->SetDataType(t);
    EXPECT_FALSE(grid.IsNumeric(0)) << static_cast<int>(t);
  }
  for (TFieldType t : {TFieldType::ftDate, TFieldType::ftTime, TFieldType::ftDateTime}) {
    grid.GetColumns(0)->SetDataType(t);
    EXPECT_TRUE(grid.IsDate(0));
    EXPECT_FALSE(grid.IsNumeric(0));
  }
  EXPECT_THROW(grid.IsNumeric(1), EListError);
}

}  // namespace
}  // namespace zyl
