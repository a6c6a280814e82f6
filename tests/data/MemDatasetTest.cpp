// TZylMemDataset beyond the dataset contract (tests/data/contract runs the
// shared suite over it): fields set up in code, its display text and typed
// setters, sorting by IndexFieldNames, required fields and injected
// post failures, and fields hidden by Close.
#include <gtest/gtest.h>

#include <functional>

#include "datasets/ZylMemDataset.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"

namespace zyl {
namespace {

using FT = TFieldType;

int CurrentId(TDataSet& ds) { return static_cast<int>(ds.FieldByName("ID")->Value().ToInt64()); }

std::vector<int> Ids(TZylMemDataset& ds) {
  std::vector<int> out;
  for (int r = 0; r < ds.RecordCount(); ++r) out.push_back(static_cast<int>(ds.GetValue(r, 0).ToInt64()));
  return out;
}

TEST(MemDatasetFields, DescribeThemselvesAndAreFoundByNameIgnoringCase) {
  TZylMemDataset ds(nullptr);
  ds.AddField("Price", TFieldType::ftCurrency, 0, true, "Unit price");
  ds.AddField("Note", TFieldType::ftMemo, 100);
  EXPECT_EQ(ds.FieldCount(), 2);
  TField* price = ds.FieldByName("PRICE");
  EXPECT_EQ(price->FieldName(), "Price");
  EXPECT_EQ(price->DisplayName(), "Unit price");
  EXPECT_EQ(price->DataType(), TFieldType::ftCurrency);
  EXPECT_TRUE(price->ReadOnly());
  EXPECT_EQ(ds.GetField(1)->DisplayName(), "Note");
  EXPECT_EQ(ds.GetField(1)->DataSize(), 100);
  EXPECT_THROW(ds.GetField(2), EListError);
  try {
    ds.FieldByName("Missing");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Field 'Missing' not found");
  }
  EXPECT_THROW(ds.AddField("price", TFieldType::ftString), Exception);
}


TEST(MemDatasetFields, DisplayTextFollowsTheFieldType) {
  TZylMemDataset ds(nullptr);
  ds.AddField("D", TFieldType::ftDate);
  ds.AddField("T", TFieldType::ftTime);
  ds.AddField("DT", TFieldType::ftDateTime);
  ds.AddField("F", TFieldType::ftFloat);
  ds.AddField("B", TFieldType::ftBoolean);
  double stamp = EncodeDate(2024, 3, 9) + EncodeTime(14, 5, 0, 0);
  ds.AddRecord({stamp, stamp, stamp, 1.0 / 3, true});
  ds.AddRecord({TVariant::FromDate(0.5), TVariant::Null(), EncodeDate(2024, 3, 9), 10.0, false});
  ds.Open();
  EXPECT_EQ(ds.GetField(0)->AsString(), "09.03.2024");
  EXPECT_EQ(ds.GetField(1)->AsString(), "14:05:00");
  EXPECT_EQ(ds.GetField(2)->AsString(), "09.03.2024 14:05:00");
  EXPECT_EQ(ds.GetField(3)->AsString(), "0.333333333333333");
  EXPECT_EQ(ds.GetField(4)->AsString(), "True");
  EXPECT_TRUE(ds.GetField(4)->AsBoolean());
  ds.Next();
  EXPECT_EQ(ds.GetField(0)->AsString(), "30.12.1899") << "a date field keeps the day only";
  EXPECT_EQ(ds.GetField(2)->AsString(), "09.03.2024");
  EXPECT_EQ(ds.GetField(3)->AsString(), "10");
  EXPECT_DOUBLE_EQ(ds.GetField(2)->AsDateTime(), EncodeDate(2024, 3, 9));
}


TEST(MemDatasetEditing, TypedSettersConvertTextOrRaiseClearly) {
  TZylMemDataset ds(nullptr);
  ds.SetName("Orders");
  ds.AddField("Qty", TFieldType::ftSmallint);
  ds.AddField("Price", TFieldType::ftFloat);
  ds.AddField("Due", TFieldType::ftDate);
  ds.AddField("Paid", TFieldType::ftBoolean);
  ds.AddRecord({});
  ds.Open();
  ds.Edit();
  TField* qty = ds.GetField(0);
  qty->SetAsString("12");
  EXPECT_EQ(qty->Value(), TVariant(static_cast<std::int64_t>(12)));
  auto message = [](const std::function<void()>& fn) {
    try {
      fn();
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("no exception");
  };
  EXPECT_EQ(message([&] { qty->SetAsString("x"); }),
            "'x' is not a valid integer value for field 'Qty'");
  EXPECT_EQ(message([&] { qty->SetAsString("70000"); }),
            "70000 is not a valid value for field 'Qty'. The allowed range is -32768 to 32767");
  EXPECT_EQ(message([&] { ds.GetField(1)->SetAsString("1,5"); }),
            "'1,5' is not a valid floating point value for field 'Price'");
  EXPECT_EQ(message([&] { ds.GetField(2)->SetAsString("31.02.2024"); }),
            "'31.02.2024' is not a valid date for field 'Due'");
  EXPECT_EQ(message([&] { ds.GetField(3)->SetAsString("maybe"); }),
            "'maybe' is not a valid boolean value for field 'Paid'");
  EXPECT_EQ(qty->AsString(), "12") << "a failed conversion leaves the value";

  ds.GetField(1)->SetAsString("2.25");
  ds.GetField(2)->SetAsString("2024-02-29");
  ds.GetField(3)->SetAsString("TRUE");
  qty->SetAsString("");
  ds.Post();
  EXPECT_TRUE(qty->IsNull()) << "empty text makes a number field null";
  EXPECT_DOUBLE_EQ(ds.GetField(1)->AsFloat(), 2.25);
  EXPECT_EQ(ds.GetField(2)->AsString(), "29.02.2024");
  EXPECT_TRUE(ds.GetField(3)->AsBoolean());
  ds.Edit();
  ds.GetField(3)->SetAsBoolean(false);
  ds.GetField(1)->Clear();
  ds.Post();
  EXPECT_FALSE(ds.GetField(3)->AsBoolean());
  EXPECT_TRUE(ds.GetField(1)->IsNull());
}


TEST(MemDatasetContent, AddRecordConvertsTextAndRejectsTooManyValues) {
  TZylMemDataset ds(nullptr);
  ds.AddField("N", TFieldType::ftInteger);
  ds.AddRecord({"41"});
  EXPECT_EQ(ds.GetValue(0, 0).GetKind(), TVariant::Kind::Integer);
  EXPECT_THROW(ds.AddRecord({"4x"}), EConvertError);
  EXPECT_THROW(ds.AddRecord({1, 2}), Exception);
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), 1);
}


TEST(MemDatasetIndex, IndexFieldNamesSortsStablyAndKeepsTheCurrentRecord) {
  TZylMemDataset ds(nullptr);
  ds.AddField("ID", TFieldType::ftInteger);
  ds.AddField("City", TFieldType::ftString);
  ds.AddField("Score", TFieldType::ftFloat);
  ds.AddRecord({0, "Oslo", 2.0});
  ds.AddRecord({1, "Bergen", 10.0});
  ds.AddRecord({2, "Oslo", 1.0});
  ds.AddRecord({3, "Bergen", TVariant::Null()});
  ds.Open();
  ds.MoveBy(2);  // record ID 2
  EXPECT_TRUE(ds.SetStrProp("IndexFieldNames", "City"));
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 3, 0, 2})) << "equal cities keep their order";
  EXPECT_EQ(CurrentId(ds), 2);
  ds.SetIndexFieldNames("Score DESC");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 0, 2, 3})) << "numbers compare as numbers, null last";
  ds.SetIndexFieldNames("city desc; Score ASC");
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 0, 3, 1}));
  std::string value;
  EXPECT_TRUE(ds.GetStrProp("indexfieldnames", value));
  EXPECT_EQ(value, "city desc; Score ASC");

  try {
    ds.SetIndexFieldNames("Town DESC");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TZylMemDataset: IndexFieldNames: field 'Town' not found");
  }
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 0, 3, 1})) << "a refused key changes nothing";

  ds.Append();
  ds.GetField(0)->SetAsString("4");
  ds.GetField(1)->SetAsString("Narvik");
  ds.Post();
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 0, 4, 3, 1})) << "a posted record goes to its place";
  EXPECT_EQ(CurrentId(ds), 4);
  ds.SetIndexFieldNames("City");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 3, 4, 0, 2})) << "ties as added, not as last sorted";

  ds.SetIndexFieldNames("");
  EXPECT_EQ(Ids(ds), (std::vector<int>{0, 1, 2, 3, 4})) << "no key: the order of adding";
  EXPECT_FALSE(ds.SetStrProp("Sort", "City"));
  EXPECT_FALSE(ds.GetStrProp("SortedBy", value));
  EXPECT_EQ(ds.GetStringListProp("SortedBy"), nullptr);
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
}  // namespace zyl
