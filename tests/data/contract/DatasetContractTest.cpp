// The dataset contract, run over every dataset in AllFactories(): what the grid
// relies on to read a page, find a record number, sort and write posted values.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DatasetFactory.h"
#include "datasets/PgDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"

namespace zyl::test {
namespace {

using FT = TFieldType;
using Texts = std::vector<std::string>;
using testing::HasSubstr;

TVariant Day(int y, int m, int d, double time = 0) {
  return TVariant::FromDate(EncodeDate(y, m, d) + time);
}
double Time(int h, int n, int s) {
  return EncodeTime(h, n, s, 0);
}

// clang-format off
const std::vector<FieldSpec> kPeopleFields = {  // Notes: any length (SQLite TEXT, PostgreSQL text)
    {"Name", FT::ftString, 40, true}, {"Qty", FT::ftInteger}, {"Price", FT::ftFloat},
    {"Active", FT::ftBoolean}, {"Born", FT::ftDate}, {"Stamp", FT::ftDateTime}, {"At", FT::ftTime},
    {"Notes", FT::ftString}};  // clang-format on

std::vector<Record> PeopleRecords() {
  TVariant null = TVariant::Null();
  return {{"Ann", 3, 2.5, true, Day(1990, 5, 17), Day(2024, 2, 29, Time(13, 45, 30)),
           TVariant::FromDate(0.5), "first"},
          {"Bob", null, null, false, null, null, null, null},
          {"Cid", -7, 1e6, true, Day(2000, 1, 1), Day(1999, 12, 31, Time(23, 59, 59)),
           TVariant::FromDate(Time(0, 0, 1)), "x"},
          {"Dee", 0, -0.125, false, Day(1970, 1, 1), Day(1970, 1, 1),
           TVariant::FromDate(Time(23, 59, 59)), ""},
          {"Eve", 42, 3.75, null, Day(2024, 12, 31), Day(2024, 12, 31, 0.5),
           TVariant::FromDate(Time(6, 30, 0)), "last"}};
}

std::string Text(const TDataSet& ds, const char* field) {
  return ds.FieldByName(field)->AsString();
}
Texts Column(TDataSet& ds, const char* field = "Name") {
  Texts out;
  for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(Text(ds, field));
  return out;
}

// The grid's way of finding the current record number: Prior until the
// beginning, then MoveBy back.
int SlowRecNo(TDataSet& ds) {
  int k = -1;
  for (; !ds.Bof(); ++k) ds.Prior();
  ds.MoveBy(k);
  return k;
}

class DatasetContract : public testing::TestWithParam<FactoryEntry> {
 protected:
  void SetUp() override {
    factory_ = GetParam().make();
    if (factory_ == nullptr) GTEST_SKIP() << GetParam().name << " is not available here";
  }
  std::unique_ptr<TDataSet> People() { return factory_->Create(kPeopleFields, PeopleRecords()); }
  std::unique_ptr<TDataSet> Cities() {  // b1 a2 c3 b4 a5 b6
    return factory_->Create({{"City", FT::ftString, 20}, {"Id", FT::ftInteger}},
                            {{"b", 1}, {"a", 2}, {"c", 3}, {"b", 4}, {"a", 5}, {"b", 6}});
  }
  std::unique_ptr<DatasetFactory> factory_;
};

TEST_P(DatasetContract, FieldsDescribeTheSource) {
  auto ds = People();
  ASSERT_EQ(ds->FieldCount(), 8);
  for (int i = 0; i < 8; ++i) {
    const FieldSpec& want = kPeopleFields[static_cast<std::size_t>(i)];
    EXPECT_EQ(ds->GetField(i)->DisplayName(), want.name);
    EXPECT_EQ(ds->GetField(i)->DataType(), want.type) << want.name;
    EXPECT_FALSE(ds->GetField(i)->ReadOnly());
  }
  EXPECT_EQ(ds->GetField(0)->DataSize(), 40);
  EXPECT_EQ(ds->FieldByName("price"), ds->GetField(2));
  EXPECT_EQ(ds->FindField("Nope"), nullptr);
  EXPECT_THAT([&] { ds->FieldByName("Nope"); },
              testing::ThrowsMessage<Exception>("Field 'Nope' not found"));
  for (int bad : {8, -1}) EXPECT_THROW(ds->GetField(bad), EListError);
}

TEST_P(DatasetContract, CursorStopsAtBothEnds) {
  auto ds = People();
  EXPECT_EQ(ds->RecordCount(), 5);
  ds->First();
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(ds->MoveBy(2), 2);
  EXPECT_EQ(Text(*ds, "Name"), "Cid");
  EXPECT_EQ(ds->MoveBy(100), 2);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Text(*ds, "Name"), "Eve") << "past the end stays on the last record";
  EXPECT_EQ(ds->MoveBy(1), 0);
  EXPECT_EQ(ds->MoveBy(-1), -1);
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(SlowRecNo(*ds), 3);
  EXPECT_EQ(Text(*ds, "Name"), "Dee");
  EXPECT_EQ(ds->MoveBy(-100), -3);
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(ds->MoveBy(-1), 0);
  ds->First();
  EXPECT_EQ(SlowRecNo(*ds), -1) << "right after First the beginning flag is already set";
  ds->Next(), ds->Next(), ds->Prior();
  EXPECT_EQ(Text(*ds, "Name"), "Bob");
  auto empty = factory_->Create(kPeopleFields, {});
  empty->First();
  EXPECT_TRUE(empty->Eof() && empty->Bof());
  EXPECT_EQ(empty->MoveBy(5), 0);
  EXPECT_TRUE(empty->FieldByName("Qty")->IsNull());
}

TEST_P(DatasetContract, PagesDeepInALargeDatasetAndWalksBothWays) {
  std::vector<Record> records;
  for (int i = 0; i < 1000; ++i) records.push_back({i, "row " + std::to_string(i)});
  auto ds = factory_->Create({{"N", FT::ftInteger}, {"Label", FT::ftString, 20}}, records);
  ASSERT_EQ(ds->RecordCount(), 1000);
  ds->First();
  EXPECT_EQ(ds->MoveBy(900), 900);
  for (int i = 0; i < 40; ++i, ds->Next())
    ASSERT_EQ(Text(*ds, "Label"), "row " + std::to_string(900 + i));
  EXPECT_EQ(SlowRecNo(*ds), 940);
  ds->MoveBy(-850);
  EXPECT_EQ(ds->FieldByName("N")->AsFloat(), 90);
  int expected = 0;
  for (ds->First(); !ds->Eof(); ds->Next())
    ASSERT_EQ(ds->FieldByName("N")->Value().ToInt64(), expected++);
  EXPECT_EQ(expected, 1000);
  for (expected = 999; !ds->Bof(); ds->Prior())
    ASSERT_EQ(ds->FieldByName("N")->Value().ToInt64(), expected--);
  EXPECT_EQ(expected, -1);
}

// A page read at once (from the end, where a dataset reads so) holds what a
// walk from the first record meets there: ties and Nulls in the sort column,
// both directions, with a filter. An estimated count (PostgreSQL, estimating
// from one record on) still ends on the last records, and the grid's toolbar
// says "about"; a page number past the end shows the last page, also
// refreshed after reading it.
TEST_P(DatasetContract, PagesReadAtOnceMatchAWalkFromTheFirstRecord) {
  std::vector<Record> records;
  for (int i = 0; i < 300; ++i)
    records.push_back({i % 7 ? TVariant(i % 5) : TVariant::Null(), i, i % 2});
  factory_->Create({{"Grp", FT::ftInteger}, {"N", FT::ftInteger}, {"Part", FT::ftInteger}},
                   records);
  RowFilter fromHundred{{{1, FilterKind::kNumber, FilterOp::kCompare, TVariant(100)}}, "", {}};
  const std::pair<RowFilter, const char*> filters[] = {{{}, ""}, {fromHundred, ""}, {{}, "Part"}};
  for (const char* key : {"Grp", "Grp DESC", "Grp DESC;N"}) {
    for (const auto& pair : filters) {
      const RowFilter& filter = pair.first;
      const char* keyField = pair.second;
      auto open = [&](int estimateAbove) {
        std::unique_ptr<TDataSet> ds =
            *keyField ? factory_->ReopenWhere(keyField, TVariant(0)) : factory_->Reopen();
        if (auto* pg = dynamic_cast<TZylPgDataset*>(ds.get()); pg && estimateAbove > 0)
          pg->Close(), pg->SetEstimateCountAbove(estimateAbove), pg->Open();
        if (ds != nullptr) ds->SetStrProp("IndexFieldNames", key), ds->SetRowFilter(filter);
        return ds;
      };
      if (open(0) == nullptr) continue;  // no key filter
      const Texts all = Column(*open(0), "N");
      for (int estimateAbove : {0, 100}) {
        auto ds = open(estimateAbove);
        const int count = ds->RecordCount();
        bool pgTable = dynamic_cast<TZylPgDataset*>(ds.get()) && filter.Empty() && !*keyField;
        if (pgTable && estimateAbove > 0) {
          EXPECT_TRUE(ds->RecordCountEstimated());
        }
        for (int first : {count - 40, count - 100, count / 2 + 3}) {
          SCOPED_TRACE(std::string(key) + " filtered " + std::to_string(!filter.Empty()) + " " +
                       keyField + " estimated " + std::to_string(estimateAbove) + " from " +
                       std::to_string(first));
          if (first < 0 || (ds->RecordCountEstimated() && first != count - 40)) continue;
          ds->First(), ds->MoveBy(first);
          Texts page;
          for (int i = 0; i < 40 && !ds->Eof(); ++i, ds->Next()) page.push_back(Text(*ds, "N"));
          std::size_t at = first == count - 40 ? all.size() - 40 : static_cast<std::size_t>(first);
          EXPECT_EQ(page, Texts(all.begin() + static_cast<long>(at),
                                all.begin() + static_cast<long>(at + 40)));
        }
        // Refreshed on the last page: the next count reads that page again with it.
        if (auto* sql = dynamic_cast<TZylSqlDataset*>(ds.get())) sql->Refresh();
        TZylHTMLGrid grid(nullptr);
        grid.Loaded(), grid.SetPage(100000), grid.SetDataset(ds.get()), grid.ReadValues();
        EXPECT_EQ(grid.GetCells(grid.GetRowCount() - 1, 2)->GetValue(), all.back());
        EXPECT_EQ(grid.GetToolbar(true).find("&nbsp;about&nbsp;") != std::string::npos,
                  ds->RecordCountEstimated());
        grid.SetDataset(nullptr);
      }
    }
  }
  if (auto query = factory_->Query("SELECT \"N\" FROM \"T\" ORDER BY \"N\"")) {
    query->First(), query->MoveBy(260);
    EXPECT_EQ(Text(*query, "N"), "260") << "a query's own order, read past the middle";
  }
}

// The current record holds `record`'s values; Null is not 0 or "".
void ExpectRecord(TDataSet& ds, const Record& record) {
  for (std::size_t i = 0; i < kPeopleFields.size(); ++i) {
    SCOPED_TRACE(Text(ds, "Name") + "." + kPeopleFields[i].name);
    TField* f = ds.GetField(static_cast<int>(i));
    const TVariant& v = record[i];
    ASSERT_EQ(f->IsNull(), v.IsNull());
    if (v.IsNull() || v.GetKind() == TVariant::Kind::String) {
      EXPECT_EQ(f->AsString(), v.ToString());
    } else if (v.GetKind() == TVariant::Kind::Boolean) {
      EXPECT_EQ(f->AsString(), v.ToBoolean() ? "True" : "False");
    } else if (v.GetKind() == TVariant::Kind::Date) {
      EXPECT_NEAR(f->AsDateTime(), v.ToDateTime(), 1e-9);
    } else {
      EXPECT_EQ(f->AsFloat(), v.ToDouble());
    }
    TFieldCell cell;  // one read, as the grid reads, gives what the single reads give
    const TFieldType t = f->DataType();
    f->ReadCell(t, true, cell);
    EXPECT_EQ(cell.value, f->Value());
    EXPECT_EQ(cell.text, f->AsString());
    double got = 0, want = 0;  // and the number, date or flag the column's type takes
    if (IsNumberType(t)) got = cell.number, want = f->AsFloat();
    if (IsDateType(t)) got = cell.date, want = f->AsDateTime();
    if (t == FT::ftBoolean) got = cell.flag, want = f->AsBoolean();
    EXPECT_EQ(got, want);
  }
}

TEST_P(DatasetContract, StoredValuesRead) {
  auto ds = People();
  ds->First();
  for (const Record& record : PeopleRecords()) ExpectRecord(*ds, record), ds->Next();
  EXPECT_TRUE(ds->Eof());
}

TEST_P(DatasetContract, EditsAppendsDeletesAndCancelsAreStored) {
  auto ds = People();
  ds->First(), ds->MoveBy(2), ds->Edit();
  EXPECT_EQ(ds->State(), TDataSetState::dsEdit);
  const char* const edits[][2] = {{"Qty", "12"},          {"Price", "0.75"},
                                  {"Born", "2001-02-03"}, {"Stamp", "2001-02-03 04:05:06"},
                                  {"At", "07:08:09"},     {"Notes", "changed"},
                                  {"Active", "FALSE"}};
  for (const auto& e : edits) ds->FieldByName(e[0])->SetAsString(e[1]);
  EXPECT_EQ(Text(*ds, "Qty"), "12") << "the edited record shows the new values";
  ds->Post();
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  ds->First(), ds->Edit();
  ds->FieldByName("Name")->SetAsString("Zed");
  ds->Cancel(), ds->Append();
  ds->FieldByName("Name")->SetAsString("Fay");
  ds->FieldByName("Born")->SetAsString("29.02.2004");
  ds->Post();
  EXPECT_EQ(Text(*ds, "Name"), "Fay");
  EXPECT_EQ(SlowRecNo(*ds), 5) << "a posted append is current";
  ds->Append();
  ds->FieldByName("Name")->SetAsString("New");
  ds->Cancel(), ds->First(), ds->Next(), ds->Delete();
  EXPECT_EQ(Text(*ds, "Name"), "Cid") << "the next record becomes current";
  ds->MoveBy(10), ds->Delete();
  EXPECT_EQ(Text(*ds, "Name"), "Eve") << "deleting the last record moves to the new last";
  ds->First(), ds->Edit();
  ds->FieldByName("Qty")->Clear();
  ds->FieldByName("Price")->SetAsString("");  // empty text for a number is Null, not 0
  ds->FieldByName("Active")->Clear();
  ds->Next();  // moving while editing posts
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);

  std::vector<Record> stored = PeopleRecords();
  TVariant null = TVariant::Null();
  stored[0] = {"Ann", null, null, null, stored[0][4], stored[0][5], stored[0][6], "first"};
  // clang-format off
  stored[1] = {"Cid", 12, 0.75, false, Day(2001, 2, 3), Day(2001, 2, 3, Time(4, 5, 6)),
               TVariant::FromDate(Time(7, 8, 9)), "changed"};  // clang-format on
  stored.erase(stored.begin() + 2);
  auto again = factory_->Reopen();
  again->First();
  for (const Record& record : stored) ExpectRecord(*again, record), again->Next();
  EXPECT_TRUE(again->Eof());
  while (again->RecordCount() > 0) again->Delete();
  EXPECT_THROW(again->Delete(), Exception);
}

TEST_P(DatasetContract, RefusedWritesChangeNothing) {
  auto ds = People();
  ds->First();
  EXPECT_THROW(ds->FieldByName("Name")->SetAsString("Zed"), Exception) << "not in edit or insert";
  EXPECT_THROW(ds->FieldByName("Qty")->Clear(), Exception);
  EXPECT_THROW(ds->Post(), Exception);
  ds->Edit();
  EXPECT_THAT([&] { ds->FieldByName("Qty")->SetAsString("x"); },
              testing::ThrowsMessage<Exception>(HasSubstr("'x' is not a valid integer value")));
  const char* const refused[][2] = {
      {"Price", "1.2.3"}, {"Born", "31.02.2024"}, {"At", "soon"}, {"Active", "maybe"}};
  for (const auto& r : refused) EXPECT_THROW(ds->FieldByName(r[0])->SetAsString(r[1]), Exception);
  EXPECT_EQ(ds->FieldByName("Qty")->AsFloat(), 3) << "a refused value leaves the field";
  ds->FieldByName("Name")->Clear();  // required
  EXPECT_THROW(ds->Post(), Exception);
  ds->Cancel(), ds->Append(), ds->FieldByName("Qty")->SetAsString("1");
  EXPECT_THAT([&] { ds->Post(); }, testing::ThrowsMessage<Exception>(HasSubstr("Name")));
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert) << "the record can still be corrected";
  ds->Cancel();
  auto again = factory_->Reopen();
  EXPECT_EQ(Column(*again), (Texts{"Ann", "Bob", "Cid", "Dee", "Eve"}));
  again->First();
  EXPECT_EQ(again->FieldByName("Qty")->AsFloat(), 3);
}

TEST_P(DatasetContract, ATransactionStoresItsWritesTogetherOrNone) {
  auto ds = Cities();  // b1 a2 c3 b4 a5 b6
  {
    TransactionScope transaction(*ds);
    EXPECT_THROW(ds->StartTransaction(), Exception) << "one at a time";
    ds->First(), ds->Edit(), ds->FieldByName("City")->SetAsString("z"), ds->Post();
    ds->Next(), ds->Delete();
    ds->Append(), ds->FieldByName("Id")->SetAsString("7"), ds->Post();
  }  // no Commit: rolled back
  EXPECT_EQ(Column(*ds, "City"), (Texts{"b", "a", "c", "b", "a", "b"}));
  TransactionScope transaction(*ds);
  ds->First(), ds->Edit(), ds->FieldByName("City")->SetAsString("y");
  ds->Next(), ds->Delete();
  transaction.Commit();  // posts the edit first
  ds->Rollback();        // none open: nothing
  EXPECT_EQ(Column(*factory_->Reopen(), "City"), (Texts{"y", "c", "b", "a", "b"}));
}

TEST_P(DatasetContract, IndexFieldNamesSortsAndRefusesNamesThatAreNoFields) {
  auto ds = Cities();
  // clang-format off
  const struct { const char* key; Texts ids; } orders[] = {
      {"Id DESC", {"6", "5", "4", "3", "2", "1"}}, {"City", {"2", "5", "1", "4", "6", "3"}},  // ties stored
      {"City DESC", {"3", "1", "4", "6", "2", "5"}},
      {"City DESC;Id DESC", {"3", "6", "4", "1", "5", "2"}},
      {"city asc", {"2", "5", "1", "4", "6", "3"}}, {"", {"1", "2", "3", "4", "5", "6"}}
  };  // clang-format on
  std::string value;
  for (const auto& o : orders) {
    ASSERT_TRUE(ds->SetStrProp("IndexFieldNames", o.key));
    ASSERT_TRUE(ds->GetStrProp("IndexFieldNames", value));
    EXPECT_EQ(value, o.key);
    EXPECT_EQ(Column(*ds, "Id"), o.ids) << o.key;
  }
  ds->SetStrProp("IndexFieldNames", "City DESC");
  for (const char* bad :
       {"Town", "City; DROP TABLE T", "City DESC, 1", "(SELECT 1)", "Id DOWN", "City\"--"}) {
    EXPECT_THROW(ds->SetStrProp("IndexFieldNames", bad), Exception) << bad;
  }
  ds->Close();
  EXPECT_EQ(ds->State(), TDataSetState::dsInactive);
  EXPECT_EQ(ds->FieldCount(), 0);
  ds->SetActive(true);
  ds->GetStrProp("IndexFieldNames", value);
  EXPECT_EQ(value, "City DESC") << "a refused key keeps the order, Close and Open too";
  EXPECT_EQ(Column(*ds, "Id"), (Texts{"3", "1", "4", "6", "2", "5"}));
  EXPECT_FALSE(ds->SetStrProp("NoSuchProperty", "x"));
  ds->SetStrProp("IndexFieldNames", "City");  // a2 a5 b1 b4 b6 c3
  ds->First(), ds->Edit();
  ds->FieldByName("City")->SetAsString("d");
  ds->Post();
  EXPECT_EQ(Text(*ds, "Id"), "2");
  EXPECT_EQ(SlowRecNo(*ds), 5) << "the cursor moves with the record";
  ds->Append(), ds->FieldByName("City")->SetAsString("b");
  ds->FieldByName("Id")->SetAsString("7"), ds->Post();
  EXPECT_EQ(SlowRecNo(*ds), 4) << "after b1 b4 b6";
  EXPECT_EQ(factory_->Reopen()->RecordCount(), 7);
}

TEST_P(DatasetContract, InjectionLookingValuesAreStoredVerbatim) {
  auto ds = People();
  const Texts values = {"Robert'); DROP TABLE T;--", "\"q\" 'x'", "a%_b\\", "1 OR 1=1", "Zoë ☃"};
  const std::string tail = "\n--" + std::string(300, 'n');  // beyond a display size
  for (const std::string& v : values) {
    ds->Append();
    ds->FieldByName("Name")->SetAsString(v);
    ds->FieldByName("Notes")->SetAsString(v + tail);
    ds->Post();
  }
  auto again = factory_->Reopen();
  again->First(), again->MoveBy(5);
  for (const std::string& v : values) {
    EXPECT_EQ(Text(*again, "Name"), v);
    EXPECT_EQ(Text(*again, "Notes"), v + tail);
    again->Next();
  }
}

// A detail grid's dataset: only the records whose field equals the master's
// value, bound as a parameter; the field is fixed and new records take it.
TEST_P(DatasetContract, KeyFilterReadsOnlyTheMatchingRecords) {
  Cities();
  auto ds = factory_->ReopenWhere("city", TVariant("b"));
  if (ds == nullptr) GTEST_SKIP() << "no key filter";
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->SetStrProp("IndexFieldNames", "Id DESC");
  EXPECT_EQ(Column(*ds, "Id"), (Texts{"6", "4", "1"}));
  EXPECT_TRUE(ds->FieldByName("City")->ReadOnly());
  ds->Append(), ds->FieldByName("Id")->SetAsString("7"), ds->Post();
  EXPECT_EQ(SlowRecNo(*ds), 0) << "first in Id DESC order";
  ds->Next(), ds->Delete();  // Id 6
  EXPECT_EQ(Column(*ds, "Id"), (Texts{"7", "4", "1"}));
  auto all = factory_->Reopen();
  all->SetStrProp("IndexFieldNames", "Id");
  EXPECT_EQ(Column(*all, "City"), (Texts{"b", "a", "c", "b", "a", "b"}));
  for (const TVariant& none : {TVariant::Null(), TVariant("b' OR '1'='1"), TVariant("B")}) {
    EXPECT_EQ(factory_->ReopenWhere("City", none)->RecordCount(), 0) << none.ToString();
  }
  EXPECT_EQ(Column(*factory_->ReopenWhere("Id", TVariant("4")), "City"), (Texts{"b"}))
      << "a value in text form is compared as the field's type";
  EXPECT_THROW(factory_->ReopenWhere("Town", TVariant("b")), Exception);
  EXPECT_THROW(factory_->ReopenWhere("City; DROP TABLE T", TVariant("b")), Exception);
}

// A stored value a numeric field cannot hold (text in an SQLite INTEGER
// column) shows as the stored text, and the rest of the page still reads.
TEST_P(DatasetContract, StoredTextANumericFieldCannotHoldShowsAsItIs) {
  DatasetFactory::Unfit unfit = factory_->UnfitValue();
  if (!unfit) GTEST_SKIP() << "the store keeps typed values only";
  factory_->Create({{"Name", FT::ftString, 10}, {"Qty", unfit->first}},
                   {{"a", 1}, {"b", unfit->second}, {"c", 3}});
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  auto ds = factory_->Reopen();
  grid.SetDataset(ds.get());
  grid.ReadValues();
  ASSERT_EQ(grid.GetRowCount(), 3);
  EXPECT_EQ(grid.GetCells(1, 2)->GetValue(), unfit->second);
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
  EXPECT_TRUE(ds->GetField(0)->ReadOnly());
  if (GetParam().name != "Postgres") {  // open fault: its ORDER BY gives way to the stable order
    EXPECT_EQ(Column(*ds, "City"), (Texts{"c", "b", "a"})) << "the query's own order";
  }
  for (auto write : {&TDataSet::Edit, &TDataSet::Append, &TDataSet::Delete}) {
    EXPECT_THAT([&] { ((*ds).*write)(); },
                testing::ThrowsMessage<Exception>(HasSubstr("read-only")));
  }
  ds->SetStrProp("IndexFieldNames", "Total DESC");
  EXPECT_EQ(Column(*ds, "City"), (Texts{"b", "a", "c"}));
  for (const char* sql :
       {"DELETE FROM \"T\"", "SELECT 1; DELETE FROM \"T\"", "UPDATE \"T\" SET \"Id\" = 2",
        "WITH d AS (DELETE FROM \"T\" RETURNING \"Id\") SELECT * FROM d",
        "SELECT * FROM \"T\") AS x; DELETE FROM \"T\"; SELECT (1", "SELEC 1"}) {
    EXPECT_THROW(factory_->Query(sql), Exception) << sql;
  }
  EXPECT_EQ(factory_->Reopen()->RecordCount(), 6);
}

// Changes made past the dataset show after Refresh; a record that vanished ends
// the records (a grid reads its page again), reads as Null, cannot be written.
TEST_P(DatasetContract, ChangesByOthersShowAfterRefresh) {
  auto ds = Cities();
  ASSERT_EQ(ds->RecordCount(), 6);
  if (!factory_->Exec("DELETE FROM \"T\" WHERE \"Id\" >= 5")) GTEST_SKIP() << "no SQL";
  EXPECT_EQ(ds->RecordCount(), 6) << "the count is kept";
  ds->First(), ds->MoveBy(5);
  EXPECT_TRUE(ds->Eof()) << "a counted record that is gone ends the records";
  EXPECT_TRUE(ds->FieldByName("Id")->IsNull());
  EXPECT_EQ(ds->RecordCount(), 4) << "counted again";
  factory_->Exec("DELETE FROM \"T\" WHERE \"Id\" = 4");  // a page then read past the count kept:
  TZylHTMLGrid grid(nullptr);                            // page 2 of 3 rows is gone, page 1 whole
  grid.Loaded(), grid.SetRowsPerPage(3), grid.SetPage(2), grid.SetDataset(ds.get()),
      grid.ReadValues();
  EXPECT_EQ(std::pair(grid.GetPage(), grid.GetRowCount()), std::pair(1, 3));
  ds->First(), ds->Edit();
  factory_->Exec("DELETE FROM \"T\" WHERE \"Id\" = 1");
  ds->FieldByName("City")->SetAsString("x");
  EXPECT_THAT([&] { ds->Post(); }, testing::ThrowsMessage<Exception>(HasSubstr("not found")));
  ds->Cancel();
  dynamic_cast<TZylSqlDataset&>(*ds).Refresh();
  EXPECT_EQ(Column(*ds, "Id"), (Texts{"2", "3"}));
}

// A record found again by its key wherever it is; a checked write to a
// record changed past the dataset since Edit read it writes nothing.
TEST_P(DatasetContract, RecordsFoundByKeyAndCheckedWrites) {
  auto ds = Cities();
  ds->First(), ds->MoveBy(3);
  const std::string key = ds->RecordKey();
  ds->First();
  ASSERT_TRUE(ds->LocateKey(key));
  EXPECT_EQ(Text(*ds, "Id"), "4");
  EXPECT_FALSE(ds->LocateKey("S1:x")) << "no record has that key";
  ds->SetCheckedWrites(true);
  ds->Edit();
  if (!factory_->Exec("UPDATE \"T\" SET \"City\" = 'z' WHERE \"Id\" = 4")) GTEST_SKIP() << "no SQL";
  ds->FieldByName("City")->SetAsString("x");
  EXPECT_THROW(ds->Post(), ERecordChanged);
  ds->Cancel();
  auto fresh = factory_->Reopen();
  ASSERT_TRUE(fresh->LocateKey(key));
  EXPECT_EQ(Text(*fresh, "City"), "z") << "the other program's value stays";
}

INSTANTIATE_TEST_SUITE_P(Datasets, DatasetContract, testing::ValuesIn(AllFactories()),
                         [](const testing::TestParamInfo<FactoryEntry>& p) {
                           return p.param.name;
                         });

}  // namespace
}  // namespace zyl::test
