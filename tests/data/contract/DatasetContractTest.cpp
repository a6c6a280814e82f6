// The dataset contract, run over every dataset in AllFactories(): what the
// grid relies on when it reads a page, walks back to find a record number,
// sorts through IndexFieldNames and writes posted values.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "DatasetFactory.h"
#include "datasets/SqlDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"

namespace zyl::test {
namespace {

using FT = TFieldType;
using testing::HasSubstr;

TVariant Date(int y, int m, int d) {
  return TVariant::FromDate(EncodeDate(y, m, d));
}
TVariant Time(int h, int n, int s) {
  return TVariant::FromDate(EncodeTime(h, n, s, 0));
}
TVariant Stamp(int y, int m, int d, int h, int n, int s) {
  return TVariant::FromDate(EncodeDate(y, m, d) + EncodeTime(h, n, s, 0));
}

std::vector<FieldSpec> PeopleFields() {
  return {{"Name", FT::ftString, 40, true},
          {"Qty", FT::ftInteger},
          {"Price", FT::ftFloat},
          {"Active", FT::ftBoolean},
          {"Born", FT::ftDate},
          {"Stamp", FT::ftDateTime},
          {"At", FT::ftTime},
          {"Notes", FT::ftString}};  // text of any length: SQLite TEXT, PostgreSQL text
}

std::vector<Record> PeopleRecords() {
  TVariant null = TVariant::Null();
  return {
      {"Ann", 3, 2.5, true, Date(1990, 5, 17), Stamp(2024, 2, 29, 13, 45, 30), Time(12, 0, 0),
       "first"},
      {"Bob", null, null, false, null, null, null, null},
      {"Cid", -7, 1e6, true, Date(2000, 1, 1), Stamp(1999, 12, 31, 23, 59, 59), Time(0, 0, 1), "x"},
      {"Dee", 0, -0.125, false, Date(1970, 1, 1), Stamp(1970, 1, 1, 0, 0, 0), Time(23, 59, 59), ""},
      {"Eve", 42, 3.75, null, Date(2024, 12, 31), Stamp(2024, 12, 31, 12, 0, 0), Time(6, 30, 0),
       "last"},
  };
}

std::string Text(const TDataSet& ds, const char* field) {
  return ds.FieldByName(field)->AsString();
}

// Names of all records from the first to the end.
std::vector<std::string> Names(TDataSet& ds, const char* field = "Name") {
  std::vector<std::string> names;
  for (ds.First(); !ds.Eof(); ds.Next()) names.push_back(Text(ds, field));
  return names;
}

// The grid's way of finding the current record number: Prior until the
// beginning, then MoveBy back.
int SlowRecNo(TDataSet& ds) {
  int k = -1;
  while (!ds.Bof()) {
    ds.Prior();
    ++k;
  }
  ds.MoveBy(k);
  return k;
}

class DatasetContract : public testing::TestWithParam<FactoryEntry> {
 protected:
  void SetUp() override {
    factory_ = GetParam().make();
    if (factory_ == nullptr) GTEST_SKIP() << GetParam().name << " is not available here";
  }
  std::unique_ptr<TDataSet> People() { return factory_->Create(PeopleFields(), PeopleRecords()); }
  std::unique_ptr<TDataSet> Numbers(int count) {
    std::vector<Record> records;
    for (int i = 0; i < count; ++i) records.push_back({i, "row " + std::to_string(i)});
    return factory_->Create({{"N", FT::ftInteger}, {"Label", FT::ftString, 20}}, records);
  }
  std::unique_ptr<TDataSet> Cities() {
    return factory_->Create({{"City", FT::ftString, 20}, {"Id", FT::ftInteger}},
                            {{"b", 1}, {"a", 2}, {"c", 3}, {"b", 4}, {"a", 5}, {"b", 6}});
  }
  std::unique_ptr<DatasetFactory> factory_;
};

TEST_P(DatasetContract, FieldsDescribeTheSource) {
  auto ds = People();
  ASSERT_TRUE(ds->GetActive());
  ASSERT_EQ(ds->FieldCount(), 8);
  std::vector<FieldSpec> fields = PeopleFields();
  for (int i = 0; i < ds->FieldCount(); ++i) {
    SCOPED_TRACE(fields[static_cast<std::size_t>(i)].name);
    EXPECT_EQ(ds->GetField(i)->FieldName(), fields[static_cast<std::size_t>(i)].name);
    EXPECT_EQ(ds->GetField(i)->DisplayName(), fields[static_cast<std::size_t>(i)].name);
    EXPECT_EQ(ds->GetField(i)->DataType(), fields[static_cast<std::size_t>(i)].type);
    EXPECT_FALSE(ds->GetField(i)->ReadOnly());
  }
  EXPECT_EQ(ds->GetField(0)->DataSize(), 40);
  EXPECT_EQ(ds->GetField(0), ds->GetField(0)) << "fields keep their identity";
}

TEST_P(DatasetContract, FieldLookupIgnoresCaseAndReportsMissingNames) {
  auto ds = People();
  EXPECT_EQ(ds->FieldByName("price"), ds->GetField(2));
  EXPECT_EQ(ds->FindField("Nope"), nullptr);
  try {
    ds->FieldByName("Nope");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Field 'Nope' not found");
  }
  EXPECT_THROW(ds->GetField(8), EListError);
  EXPECT_THROW(ds->GetField(-1), EListError);
}

TEST_P(DatasetContract, RecordCountAndCursorAtBothEnds) {
  auto ds = People();
  EXPECT_EQ(ds->RecordCount(), 5);
  ds->First();
  EXPECT_TRUE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(Text(*ds, "Name"), "Ann");
  ds->Next();
  EXPECT_FALSE(ds->Bof());
  EXPECT_EQ(Text(*ds, "Name"), "Bob");
  ds->MoveBy(3);
  EXPECT_EQ(Text(*ds, "Name"), "Eve");
  EXPECT_FALSE(ds->Eof()) << "standing on the last record is not the end yet";
  ds->Next();
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Text(*ds, "Name"), "Eve") << "Next past the end stays on the last record";
  ds->Prior();
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(Text(*ds, "Name"), "Dee");
  ds->First();
  ds->Prior();
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(Text(*ds, "Name"), "Ann");
  EXPECT_EQ(Names(*ds), (std::vector<std::string>{"Ann", "Bob", "Cid", "Dee", "Eve"}));
}

TEST_P(DatasetContract, MoveByStopsAtEitherEndAndReturnsTheDistance) {
  auto ds = People();
  ds->First();
  EXPECT_EQ(ds->MoveBy(2), 2);
  EXPECT_EQ(Text(*ds, "Name"), "Cid");
  EXPECT_EQ(ds->MoveBy(100), 2);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Text(*ds, "Name"), "Eve");
  EXPECT_EQ(ds->MoveBy(1), 0);
  EXPECT_EQ(ds->MoveBy(-1), -1);
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(ds->MoveBy(-100), -3);
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(Text(*ds, "Name"), "Ann");
  EXPECT_EQ(ds->MoveBy(-1), 0);
  EXPECT_EQ(ds->MoveBy(0), 0);
}

TEST_P(DatasetContract, EmptyDatasetIsAtBothEnds) {
  auto ds = factory_->Create(PeopleFields(), {});
  EXPECT_EQ(ds->RecordCount(), 0);
  ds->First();
  EXPECT_TRUE(ds->Eof());
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(ds->MoveBy(5), 0);
  EXPECT_TRUE(ds->FieldByName("Qty")->IsNull());
  EXPECT_TRUE(Names(*ds).empty());
}

TEST_P(DatasetContract, SlowRecNoFindsTheCurrentRecord) {
  auto ds = People();
  ds->First();
  ds->MoveBy(3);
  EXPECT_EQ(SlowRecNo(*ds), 3);
  EXPECT_EQ(Text(*ds, "Name"), "Dee");
  ds->First();
  EXPECT_EQ(SlowRecNo(*ds), -1) << "right after First the beginning flag is already set";
}

TEST_P(DatasetContract, JumpDeepIntoALargeDatasetReadsThePage) {
  auto ds = Numbers(1000);
  ASSERT_EQ(ds->RecordCount(), 1000);
  ds->First();
  EXPECT_EQ(ds->MoveBy(900), 900);
  for (int i = 0; i < 40; ++i) {
    ASSERT_FALSE(ds->Eof());
    ASSERT_EQ(ds->FieldByName("N")->Value().ToInt64(), 900 + i);
    ASSERT_EQ(Text(*ds, "Label"), "row " + std::to_string(900 + i));
    ds->Next();
  }
  EXPECT_EQ(SlowRecNo(*ds), 940);
  EXPECT_EQ(ds->FieldByName("N")->AsFloat(), 940);
  ds->MoveBy(-850);
  EXPECT_EQ(ds->FieldByName("N")->AsFloat(), 90);
  ds->First();
  ds->MoveBy(960);
  int read = 0;
  while (!ds->Eof() && read < 100) {
    ++read;
    ds->Next();
  }
  EXPECT_EQ(read, 40) << "the last page holds the remaining 40 records";
}

TEST_P(DatasetContract, WalksALargeDatasetBothWays) {
  auto ds = Numbers(1000);
  int expected = 0;
  for (ds->First(); !ds->Eof(); ds->Next()) {
    ASSERT_EQ(ds->FieldByName("N")->Value().ToInt64(), expected++);
  }
  EXPECT_EQ(expected, 1000);
  for (expected = 999; !ds->Bof(); ds->Prior()) {
    ASSERT_EQ(ds->FieldByName("N")->Value().ToInt64(), expected--);
  }
  EXPECT_EQ(expected, -1);
}

TEST_P(DatasetContract, NullsReadAsNull) {
  auto ds = People();
  ds->First();
  ds->Next();  // Bob: every field but the name is Null
  for (const char* name : {"Qty", "Price", "Born", "Stamp", "At", "Notes"}) {
    SCOPED_TRACE(name);
    TField* f = ds->FieldByName(name);
    EXPECT_TRUE(f->IsNull());
    EXPECT_TRUE(f->Value().IsNull());
    EXPECT_EQ(f->AsString(), "");
  }
  ds->First();
  EXPECT_FALSE(ds->FieldByName("Qty")->IsNull());
  ds->MoveBy(3);
  EXPECT_FALSE(ds->FieldByName("Qty")->IsNull()) << "zero is not Null";
  EXPECT_FALSE(ds->FieldByName("Notes")->IsNull()) << "empty text is not Null";
}

TEST_P(DatasetContract, NumbersBooleansAndDatesRead) {
  auto ds = People();
  ds->First();
  EXPECT_EQ(ds->FieldByName("Qty")->AsFloat(), 3);
  EXPECT_EQ(Text(*ds, "Qty"), "3");
  EXPECT_EQ(ds->FieldByName("Price")->AsFloat(), 2.5);
  EXPECT_TRUE(ds->FieldByName("Active")->AsBoolean());
  EXPECT_EQ(Text(*ds, "Active"), "True");
  EXPECT_DOUBLE_EQ(ds->FieldByName("Born")->AsDateTime(), EncodeDate(1990, 5, 17));
  EXPECT_NEAR(ds->FieldByName("Stamp")->AsDateTime(),
              EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 30, 0), 1e-9);
  EXPECT_DOUBLE_EQ(ds->FieldByName("At")->AsDateTime(), 0.5);
  ds->Next();
  EXPECT_FALSE(ds->FieldByName("Active")->AsBoolean());
  EXPECT_EQ(Text(*ds, "Active"), "False");
  ds->Next();
  EXPECT_EQ(ds->FieldByName("Qty")->AsFloat(), -7);
  EXPECT_EQ(ds->FieldByName("Price")->AsFloat(), 1e6);
  EXPECT_DOUBLE_EQ(ds->FieldByName("At")->AsDateTime(), EncodeTime(0, 0, 1, 0));
}

TEST_P(DatasetContract, EditAndPostStoresTheValues) {
  auto ds = People();
  ds->First();
  ds->MoveBy(2);
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  ds->Edit();
  EXPECT_EQ(ds->State(), TDataSetState::dsEdit);
  ds->FieldByName("Qty")->SetAsString("12");
  ds->FieldByName("Price")->SetAsString("0.75");
  ds->FieldByName("Born")->SetAsString("2001-02-03");
  ds->FieldByName("Stamp")->SetAsString("2001-02-03 04:05:06");
  ds->FieldByName("At")->SetAsString("07:08:09");
  ds->FieldByName("Active")->SetAsBoolean(false);
  ds->FieldByName("Notes")->SetAsString("changed");
  EXPECT_EQ(Text(*ds, "Qty"), "12") << "the edited record shows the new values";
  ds->Post();
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Text(*ds, "Name"), "Cid");
  EXPECT_EQ(ds->RecordCount(), 5);

  auto again = factory_->Reopen();
  again->First();
  again->MoveBy(2);
  EXPECT_EQ(Text(*again, "Name"), "Cid");
  EXPECT_EQ(again->FieldByName("Qty")->AsFloat(), 12);
  EXPECT_EQ(again->FieldByName("Price")->AsFloat(), 0.75);
  EXPECT_DOUBLE_EQ(again->FieldByName("Born")->AsDateTime(), EncodeDate(2001, 2, 3));
  EXPECT_NEAR(again->FieldByName("Stamp")->AsDateTime(),
              EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0), 1e-9);
  EXPECT_NEAR(again->FieldByName("At")->AsDateTime(), EncodeTime(7, 8, 9, 0), 1e-9);
  EXPECT_FALSE(again->FieldByName("Active")->AsBoolean());
  EXPECT_EQ(Text(*again, "Notes"), "changed");
}

TEST_P(DatasetContract, CancelDiscardsAnEditAndAnAppend) {
  auto ds = People();
  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Zed");
  ds->Cancel();
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Text(*ds, "Name"), "Ann");
  ds->Append();
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  ds->FieldByName("Name")->SetAsString("New");
  ds->Cancel();
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(Names(*factory_->Reopen()),
            (std::vector<std::string>{"Ann", "Bob", "Cid", "Dee", "Eve"}));
}

TEST_P(DatasetContract, AppendAndPostAddsARecordAndMovesToIt) {
  auto ds = People();
  ds->First();
  ds->Append();
  ds->FieldByName("Name")->SetAsString("Fay");
  ds->FieldByName("Qty")->SetAsString("5");
  ds->FieldByName("Active")->SetAsBoolean(true);
  ds->FieldByName("Born")->SetAsString("29.02.2004");
  ds->Post();
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 6);
  EXPECT_EQ(Text(*ds, "Name"), "Fay");
  EXPECT_EQ(SlowRecNo(*ds), 5);
  EXPECT_TRUE(ds->FieldByName("Price")->IsNull()) << "fields not set stay Null";

  auto again = factory_->Reopen();
  EXPECT_EQ(again->RecordCount(), 6);
  again->First();
  again->MoveBy(5);
  EXPECT_EQ(Text(*again, "Name"), "Fay");
  EXPECT_EQ(again->FieldByName("Qty")->AsFloat(), 5);
  EXPECT_TRUE(again->FieldByName("Active")->AsBoolean());
  EXPECT_DOUBLE_EQ(again->FieldByName("Born")->AsDateTime(), EncodeDate(2004, 2, 29));
}

TEST_P(DatasetContract, DeleteRemovesTheCurrentRecord) {
  auto ds = People();
  ds->First();
  ds->MoveBy(1);
  ds->Delete();
  EXPECT_EQ(ds->RecordCount(), 4);
  EXPECT_EQ(Text(*ds, "Name"), "Cid") << "the next record becomes current";
  ds->MoveBy(10);
  ds->Delete();
  EXPECT_EQ(Text(*ds, "Name"), "Dee") << "deleting the last record moves to the new last";
  EXPECT_EQ(Names(*factory_->Reopen()), (std::vector<std::string>{"Ann", "Cid", "Dee"}));
  while (ds->RecordCount() > 0) ds->Delete();
  ds->First();
  EXPECT_TRUE(ds->Eof());
  EXPECT_TRUE(ds->Bof());
  EXPECT_THROW(ds->Delete(), Exception);
}

TEST_P(DatasetContract, ClearAndEmptyTextStoreNull) {
  auto ds = People();
  ds->First();
  ds->Edit();
  ds->FieldByName("Qty")->Clear();
  ds->FieldByName("Price")->SetAsString("");
  ds->FieldByName("Born")->SetAsString("");
  ds->FieldByName("Active")->Clear();
  ds->Post();
  auto again = factory_->Reopen();
  again->First();
  EXPECT_TRUE(again->FieldByName("Qty")->IsNull());
  EXPECT_TRUE(again->FieldByName("Price")->IsNull()) << "empty text for a number is Null, not 0";
  EXPECT_TRUE(again->FieldByName("Born")->IsNull());
  EXPECT_TRUE(again->FieldByName("Active")->IsNull());
}

TEST_P(DatasetContract, TextThatDoesNotFitATypedFieldIsRefused) {
  auto ds = People();
  ds->First();
  ds->Edit();
  try {
    ds->FieldByName("Qty")->SetAsString("x");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_THAT(e.Message(), HasSubstr("'x' is not a valid integer value"));
  }
  EXPECT_THROW(ds->FieldByName("Price")->SetAsString("1.2.3"), Exception);
  EXPECT_THROW(ds->FieldByName("Born")->SetAsString("31.02.2024"), Exception);
  EXPECT_THROW(ds->FieldByName("At")->SetAsString("soon"), Exception);
  EXPECT_EQ(ds->FieldByName("Qty")->AsFloat(), 3) << "a refused value leaves the field";
  ds->FieldByName("Name")->SetAsString("Ann B");
  ds->Post();
  auto again = factory_->Reopen();
  again->First();
  EXPECT_EQ(again->FieldByName("Qty")->AsFloat(), 3);
  EXPECT_EQ(Text(*again, "Name"), "Ann B");
}

TEST_P(DatasetContract, WritingOutsideEditOrInsertIsRefused) {
  auto ds = People();
  ds->First();
  EXPECT_THROW(ds->FieldByName("Name")->SetAsString("Zed"), Exception);
  EXPECT_THROW(ds->FieldByName("Active")->SetAsBoolean(true), Exception);
  EXPECT_THROW(ds->FieldByName("Qty")->Clear(), Exception);
  EXPECT_THROW(ds->Post(), Exception);
  EXPECT_EQ(Text(*ds, "Name"), "Ann");
}

TEST_P(DatasetContract, FailedPostRaisesWithTheMessageAndCanBeCancelled) {
  auto ds = People();
  ds->Append();
  ds->FieldByName("Qty")->SetAsString("1");  // Name is required and not set
  try {
    ds->Post();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_THAT(e.Message(), HasSubstr("Name"));
  }
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert) << "the record can still be corrected";
  ds->Cancel();
  EXPECT_EQ(ds->RecordCount(), 5);

  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->Clear();
  EXPECT_THROW(ds->Post(), Exception);
  ds->Cancel();
  EXPECT_EQ(Names(*factory_->Reopen()).front(), "Ann");
}

TEST_P(DatasetContract, IndexFieldNamesSortsAscendingAndDescending) {
  auto ds = Cities();
  std::string value;
  ASSERT_TRUE(ds->SetStrProp("IndexFieldNames", "Id DESC"));
  ASSERT_TRUE(ds->GetStrProp("IndexFieldNames", value));
  EXPECT_EQ(value, "Id DESC");
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"6", "5", "4", "3", "2", "1"}));
  ASSERT_TRUE(ds->SetStrProp("IndexFieldNames", "City"));
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"2", "5", "1", "4", "6", "3"}))
      << "ties keep the stored order";
  ASSERT_TRUE(ds->SetStrProp("IndexFieldNames", "City DESC"));
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"3", "1", "4", "6", "2", "5"}));
  ASSERT_TRUE(ds->SetStrProp("IndexFieldNames", "City DESC;Id DESC"));
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"3", "6", "4", "1", "5", "2"}));
  ASSERT_TRUE(ds->SetStrProp("IndexFieldNames", "city asc"));
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"2", "5", "1", "4", "6", "3"}));
  ASSERT_TRUE(ds->SetStrProp("IndexFieldNames", ""));
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
}

TEST_P(DatasetContract, IndexFieldNamesKeepsPositionsFromReadToRead) {
  auto ds = Cities();
  ds->SetStrProp("IndexFieldNames", "City DESC");
  ds->First();
  ds->MoveBy(3);
  EXPECT_EQ(Text(*ds, "Id"), "6");
  ds->Close();
  ds->Open();
  std::string value;
  ds->GetStrProp("IndexFieldNames", value);
  EXPECT_EQ(value, "City DESC") << "the order survives Close and Open";
  ds->First();
  ds->MoveBy(3);
  EXPECT_EQ(Text(*ds, "Id"), "6");
}

TEST_P(DatasetContract, IndexFieldNamesRejectsNamesThatAreNotFields) {
  auto ds = Cities();
  ds->SetStrProp("IndexFieldNames", "Id DESC");
  for (const char* bad :
       {"Town", "City; DROP TABLE T", "City DESC, 1", "(SELECT 1)", "Id DOWN", "City\"--"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ds->SetStrProp("IndexFieldNames", bad), Exception);
  }
  std::string value;
  ds->GetStrProp("IndexFieldNames", value);
  EXPECT_EQ(value, "Id DESC") << "a refused order keeps the previous one";
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"6", "5", "4", "3", "2", "1"}));
  EXPECT_EQ(factory_->Reopen()->RecordCount(), 6);
}

TEST_P(DatasetContract, UnknownStringPropertiesAreNotOffered) {
  auto ds = Cities();
  std::string value = "unchanged";
  EXPECT_FALSE(ds->SetStrProp("NoSuchProperty", "x"));
  EXPECT_FALSE(ds->GetStrProp("NoSuchProperty", value));
  EXPECT_EQ(value, "unchanged");
}

TEST_P(DatasetContract, EditingTheSortKeyMovesTheCursorWithTheRecord) {
  auto ds = Cities();
  ds->SetStrProp("IndexFieldNames", "City");  // a2 a5 b1 b4 b6 c3
  ds->First();
  ds->Edit();
  ds->FieldByName("City")->SetAsString("d");
  ds->Post();
  EXPECT_EQ(Text(*ds, "Id"), "2");
  EXPECT_EQ(SlowRecNo(*ds), 5);
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"5", "1", "4", "6", "3", "2"}));
  ds->Append();
  ds->FieldByName("City")->SetAsString("b");
  ds->FieldByName("Id")->SetAsString("7");
  ds->Post();
  EXPECT_EQ(Text(*ds, "Id"), "7");
  EXPECT_EQ(SlowRecNo(*ds), 4) << "after b1 b4 b6";
}

TEST_P(DatasetContract, InjectionLookingValuesAreStoredVerbatim) {
  auto ds = People();
  const std::vector<std::string> values = {"Robert'); DROP TABLE T;--", "\"q\" 'x'", "a%_b\\",
                                           "1 OR 1=1", "Zoë ☃"};
  const std::string tail = "\n--" + std::string(300, 'n');  // text beyond a display size
  for (const std::string& v : values) {
    ds->Append();
    ds->FieldByName("Name")->SetAsString(v);
    ds->FieldByName("Notes")->SetAsString(v + tail);
    ds->Post();
  }
  auto again = factory_->Reopen();
  ASSERT_EQ(again->RecordCount(), 5 + static_cast<int>(values.size()));
  again->First();
  again->MoveBy(5);
  for (const std::string& v : values) {
    EXPECT_EQ(Text(*again, "Name"), v);
    EXPECT_EQ(Text(*again, "Notes"), v + tail);
    again->Next();
  }
}

TEST_P(DatasetContract, MovingWhileEditingPostsTheChange) {
  auto ds = People();
  ds->First();
  ds->Edit();
  ds->FieldByName("Qty")->SetAsString("9");
  ds->Next();
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Text(*ds, "Name"), "Bob");
  auto again = factory_->Reopen();
  again->First();
  EXPECT_EQ(Text(*again, "Qty"), "9");
}

// A detail grid's dataset: only the records whose field equals the master's
// value, bound as a parameter; the field is fixed and new records take it.
TEST_P(DatasetContract, KeyFilterReadsOnlyTheMatchingRecords) {
  Cities();  // b1 a2 c3 b4 a5 b6
  auto ds = factory_->ReopenWhere("city", TVariant("b"));
  if (ds == nullptr) GTEST_SKIP() << "no key filter";
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"1", "4", "6"}));
  ds->SetStrProp("IndexFieldNames", "Id DESC");
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"6", "4", "1"}));
  EXPECT_TRUE(ds->FieldByName("City")->ReadOnly());
  EXPECT_FALSE(ds->FieldByName("Id")->ReadOnly());
  ds->Append();
  ds->FieldByName("Id")->SetAsString("7");
  ds->Post();
  EXPECT_EQ(Text(*ds, "Id"), "7");
  EXPECT_EQ(SlowRecNo(*ds), 0) << "first in Id DESC order";
  ds->First();
  ds->MoveBy(1);
  ds->Delete();  // Id 6
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"7", "4", "1"}));
  auto all = factory_->Reopen();
  all->SetStrProp("IndexFieldNames", "Id");
  EXPECT_EQ(Names(*all, "City"), (std::vector<std::string>{"b", "a", "c", "b", "a", "b"}));
  EXPECT_EQ(Names(*all, "Id"), (std::vector<std::string>{"1", "2", "3", "4", "5", "7"}));

  for (const TVariant& none : {TVariant::Null(), TVariant("b' OR '1'='1"), TVariant("B")}) {
    EXPECT_EQ(factory_->ReopenWhere("City", none)->RecordCount(), 0) << none.ToString();
  }
  EXPECT_EQ(Names(*factory_->ReopenWhere("Id", TVariant("4")), "City"),
            (std::vector<std::string>{"b"}))
      << "a value in text form is compared as the field's type";
  EXPECT_THROW(factory_->ReopenWhere("Town", TVariant("b")), Exception);
  EXPECT_THROW(factory_->ReopenWhere("City; DROP TABLE T", TVariant("b")), Exception);
}

// A value the store keeps in a numeric column that is no number shows as
// the stored text, and the rest of the page still reads.
TEST_P(DatasetContract, StoredTextANumericFieldCannotHoldShowsAsItIs) {
  DatasetFactory::Unfit unfit = factory_->UnfitValue();
  if (!unfit) GTEST_SKIP() << "the store keeps typed values only";
  const std::string& text = unfit->second;
  factory_->Create({{"Name", FT::ftString, 10}, {"Qty", unfit->first}},
                   {{"a", 1}, {"b", text}, {"c", 3}});
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  auto ds = factory_->Reopen();
  grid.SetDataset(ds.get());
  grid.ReadValues();
  ASSERT_EQ(grid.GetRowCount(), 3);
  EXPECT_EQ(grid.GetCells(1, 2)->GetValue(), text);
  EXPECT_EQ(grid.GetCells(1, 2)->GetNumericValue(), 0) << "counts as nothing in a sum";
  EXPECT_EQ(grid.GetCells(2, 2)->GetValue(), "3");
  grid.SetDataset(nullptr);
}

// Queries: read-only, in their own order unless sorted, and never a write.
TEST_P(DatasetContract, QuerySourcesOnlyRead) {
  Cities();
  std::unique_ptr<TDataSet> ds = factory_->Query(
      "SELECT \"City\", count(*) AS \"N\", sum(\"Id\") AS \"Total\" FROM \"T\" "
      "GROUP BY \"City\" ORDER BY \"City\" DESC;\n");
  if (ds == nullptr) GTEST_SKIP() << "no queries";
  ASSERT_EQ(ds->FieldCount(), 3);
  EXPECT_TRUE(dynamic_cast<TZylSqlDataset&>(*ds).IsReadOnly());
  EXPECT_TRUE(ds->GetField(0)->ReadOnly());
  EXPECT_EQ(ds->RecordCount(), 3);
  for (auto write : {&TDataSet::Edit, &TDataSet::Append, &TDataSet::Delete}) {
    try {
      ((*ds).*write)();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_THAT(e.Message(), HasSubstr("read-only"));
    }
  }
  ds->SetStrProp("IndexFieldNames", "Total DESC");
  EXPECT_EQ(Names(*ds, "City"), (std::vector<std::string>{"b", "a", "c"}));
  for (const char* sql : {"DELETE FROM \"T\"", "SELECT 1; DELETE FROM \"T\"",
                          "UPDATE \"T\" SET \"Id\" = 2",
                          "WITH d AS (DELETE FROM \"T\" RETURNING \"Id\") SELECT * FROM d",
                          "SELECT * FROM \"T\") AS x; DELETE FROM \"T\"; SELECT (1", "SELEC 1"}) {
    SCOPED_TRACE(sql);
    EXPECT_THROW(factory_->Query(sql), Exception);
  }
  EXPECT_EQ(factory_->Reopen()->RecordCount(), 6);
}

// Changes made past the dataset show after Refresh; a record that vanished
// reads as Null and cannot be written.
TEST_P(DatasetContract, ChangesByOthersShowAfterRefresh) {
  auto ds = Cities();
  ASSERT_EQ(ds->RecordCount(), 6);
  if (!factory_->Exec("DELETE FROM \"T\" WHERE \"Id\" >= 5")) GTEST_SKIP() << "no SQL";
  EXPECT_EQ(ds->RecordCount(), 6) << "the count is kept";
  ds->First();
  ds->MoveBy(5);
  EXPECT_TRUE(ds->FieldByName("Id")->IsNull());
  ds->First();
  ds->Edit();
  factory_->Exec("DELETE FROM \"T\" WHERE \"Id\" = 1");
  ds->FieldByName("City")->SetAsString("x");
  EXPECT_THAT([&] { ds->Post(); }, testing::ThrowsMessage<Exception>(HasSubstr("not found")));
  ds->Cancel();
  dynamic_cast<TZylSqlDataset&>(*ds).Refresh();
  EXPECT_EQ(Names(*ds, "Id"), (std::vector<std::string>{"2", "3", "4"}));
}

TEST_P(DatasetContract, ClosedDatasetIsInactiveAndReopens) {
  auto ds = People();
  ds->Close();
  EXPECT_FALSE(ds->GetActive());
  EXPECT_EQ(ds->State(), TDataSetState::dsInactive);
  EXPECT_EQ(ds->FieldCount(), 0);
  ds->SetActive(true);
  EXPECT_TRUE(ds->GetActive());
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(Names(*ds).back(), "Eve");
}

INSTANTIATE_TEST_SUITE_P(Datasets, DatasetContract, testing::ValuesIn(AllFactories()),
                         [](const testing::TestParamInfo<FactoryEntry>& param) {
                           return param.param.name;
                         });

}  // namespace
}  // namespace zyl::test
