// Filling column pick lists from a dataset.
#include <gtest/gtest.h>

#include "DataTestUtil.h"

namespace zyl {
namespace {

using testing::Lines;

class PickListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_.AddField("City", TFieldType::ftString);
    ds_.AddField("Code", TFieldType::ftString);
    ds_.AddField("Since", TFieldType::ftDate);
    ds_.AddRecord({"Oslo", "OSL", EncodeDate(2001, 5, 1)});
    ds_.AddRecord({"bergen", "BGO", EncodeDate(1999, 1, 2)});
    ds_.AddRecord({"OSLO", "OS2", TVariant::Null()});
    ds_.AddRecord({"Alta", "ALF", EncodeDate(2001, 5, 1)});
    ds_.Open();
    grid_.SetShowRowNumber(false);
    grid_.SetDataset(&ds_);
    grid_.ReadValues();
    grid_.SetRecNo(2);
  }

  TZylMemDataset ds_{nullptr};
  TZylHTMLGrid grid_{nullptr};
};

TEST_F(PickListTest, DistinctTextsInReadingOrderOrSorted) {
  grid_.GetColumns(0)->PickList().Add("stale");
  grid_.PopulatePickList(&ds_, "0", "0", false);
  EXPECT_EQ(Lines(grid_.GetColumns(0)->PickList()), (std::vector<std::string>{"Oslo", "bergen", "Alta"}))
      << "OSLO is a duplicate of Oslo ignoring case";
  EXPECT_EQ(Lines(grid_.GetColumns(0)->ValueList()), Lines(grid_.GetColumns(0)->PickList()));

  grid_.PopulatePickList(&ds_, "0", "0", true);
  EXPECT_EQ(Lines(grid_.GetColumns(0)->PickList()), (std::vector<std::string>{"Alta", "bergen", "Oslo"}));
  EXPECT_EQ(Lines(grid_.GetColumns(0)->ValueList()), (std::vector<std::string>{"Alta", "bergen", "Oslo"}));
}

TEST_F(PickListTest, PairsAreHandledOneByOneAndBadEntriesSkipped) {
  grid_.GetColumns(0)->PickList().Add("stale");
  grid_.GetColumns(2)->PickList().Add("untouched");
  // Pairs: field 2 -> column 1; "x" -> column 0 (no field); 0 -> "abc"
  // (no column); 1 -> nothing.
  grid_.PopulatePickList(&ds_, "2, x, 0, 1", "1, 0 ,abc", false);
  EXPECT_EQ(Lines(grid_.GetColumns(1)->PickList()),
            (std::vector<std::string>{"01.05.2001", "02.01.1999", ""}))
      << "column 1 is a text column: the date field's own text, nulls empty";
  EXPECT_TRUE(grid_.GetColumns(0)->PickList().Empty()) << "listed columns are cleared";
  EXPECT_EQ(Lines(grid_.GetColumns(2)->PickList()), (std::vector<std::string>{"untouched"}));
  EXPECT_NO_THROW(grid_.PopulatePickList(&ds_, "0", "99", false));
  EXPECT_NO_THROW(grid_.PopulatePickList(nullptr, "0", "0", false));
}

TEST_F(PickListTest, CursorIsRestoredAndReadOnlyColumnsAreLeftAlone) {
  grid_.GetColumns(2)->SetReadOnly(true);
  grid_.GetColumns(2)->PickList().Add("kept");
  grid_.PopulatePickList(&ds_, "2", "2", false);
  EXPECT_TRUE(grid_.GetColumns(2)->PickList().Empty()) << "cleared, then skipped";
  EXPECT_EQ(ds_.GetRecNo(), 2) << "the cursor is back on the grid's record";
}

TEST_F(PickListTest, DateColumnsUseTheGridFormats) {
  grid_.SetDateFormat("yyyy-mm-dd");
  grid_.PopulatePickList(&ds_, "2", "2", false);
  EXPECT_EQ(Lines(grid_.GetColumns(2)->PickList()),
            (std::vector<std::string>{"2001-05-01", "1999-01-02", ""}));
}

TEST_F(PickListTest, PickListEXKeepsEveryRecordPaired) {
  grid_.GetColumns(0)->PickList().SetSorted(true);
  grid_.PopulatePickListEX(&ds_, "City", "Code", 0);
  EXPECT_EQ(Lines(grid_.GetColumns(0)->PickList()),
            (std::vector<std::string>{"Oslo", "bergen", "OSLO", "Alta"}));
  EXPECT_EQ(Lines(grid_.GetColumns(0)->ValueList()),
            (std::vector<std::string>{"OSL", "BGO", "OS2", "ALF"}));
  EXPECT_EQ(ds_.GetRecNo(), 2);

  EXPECT_THROW(grid_.PopulatePickListEX(&ds_, "Town", "Code", 1), Exception);
  EXPECT_EQ(ds_.GetRecNo(), 2) << "restored even when an exception passes";
  grid_.GetColumns(1)->SetReadOnly(true);
  grid_.GetColumns(1)->PickList().Add("kept");
  grid_.PopulatePickListEX(&ds_, "City", "Code", 1);
  EXPECT_EQ(Lines(grid_.GetColumns(1)->PickList()), (std::vector<std::string>{"kept"}));
}

}  // namespace
}  // namespace zyl
