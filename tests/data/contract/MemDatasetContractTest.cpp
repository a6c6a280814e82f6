// The in-memory dataset's side of the contract beyond the shared suite:
// required fields, sorting from the order of adding, and fields hidden by
// Close but still usable for setting the dataset up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datasets/ZylMemDataset.h"
#include "platform/Exception.h"

namespace zyl::test {
namespace {

using FT = TFieldType;

std::vector<int> Ids(TZylMemDataset& ds) {
  std::vector<int> ids;
  for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(static_cast<int>(ds.GetField(0)->AsFloat()));
  return ids;
}

TEST(MemDatasetRequired, NullRequiredFieldIsRefusedBeforeAnInjectedFailure) {
  TZylMemDataset ds(nullptr);
  ds.SetName("People");
  ds.AddField("Id", FT::ftInteger);
  ds.AddField("Name", FT::ftString, 20)->SetRequired(true);
  ds.AddRecord({1, TVariant::Null()});  // stored records are not checked
  ds.Open();
  ds.SetPostError("disk full");
  ds.Append();
  ds.FieldByName("Id")->SetAsString("2");
  try {
    ds.Post();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TZylMemDataset 'People': cannot post: field 'Name' must have a value");
  }
  EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
  EXPECT_THROW(ds.Next(), Exception) << "moving posts first, and the post is refused";
  EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
  ds.FieldByName("Name")->SetAsString("");  // empty text is a value
  EXPECT_THROW(ds.Post(), Exception);       // now the injected failure
  ds.SetPostError("");
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(MemDatasetSorting, TiesFollowTheOrderOfAddingAfterEverySort) {
  TZylMemDataset ds(nullptr);
  ds.AddField("Id", FT::ftInteger);
  ds.AddField("Group", FT::ftString);
  ds.AddField("Rank", FT::ftInteger);
  ds.AddRecord({1, "b", 3});
  ds.AddRecord({2, "a", 1});
  ds.AddRecord({3, "b", 2});
  ds.AddRecord({4, "a", 2});
  ds.Open();
  ds.SetIndexFieldNames("Rank DESC");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 3, 4, 2}));
  ds.SetIndexFieldNames("Group");
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 4, 1, 3})) << "not 4 2 1 3 as Rank DESC left them";
  ds.Append();
  ds.GetField(0)->SetAsString("5");
  ds.GetField(1)->SetAsString("a");
  ds.Post();
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 4, 5, 1, 3}));
  std::vector<int> stored;
  for (const auto& values : ds.StoredRecords())
    stored.push_back(static_cast<int>(values[0].ToInt64()));
  EXPECT_EQ(stored, (std::vector<int>{1, 2, 3, 4, 5})) << "stored order ignores the sort";
}

TEST(MemDatasetOpenClose, CloseHidesTheFieldsUntilOpen) {
  TZylMemDataset ds(nullptr);
  TZylMemField* id = ds.AddField("Id", FT::ftInteger);
  EXPECT_EQ(ds.FieldCount(), 1) << "a dataset being set up shows its fields";
  ds.AddRecord({2});
  ds.AddRecord({1});
  ds.Open();
  ds.Close();
  EXPECT_EQ(ds.FieldCount(), 0);
  EXPECT_EQ(ds.FindField("Id"), nullptr);
  EXPECT_THROW(ds.GetField(0), EListError);
  EXPECT_THROW(ds.AddField("ID", FT::ftString), Exception) << "hidden fields still count";
  ds.SetIndexFieldNames("Id");  // set up while closed
  EXPECT_EQ(ds.GetValue(0, 0).ToInt64(), 1);
  ds.AddField("Note", FT::ftString);
  ds.Open();
  ASSERT_EQ(ds.FieldCount(), 2);
  EXPECT_EQ(ds.GetField(0), id) << "the same field objects come back";
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace zyl::test
