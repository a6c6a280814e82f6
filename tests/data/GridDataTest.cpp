// A grid over data: reading a page (paging, columns, typed cells, a read that
// fails half-way), summary rows, sorting, pick lists, delimited text files.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "datasets/ZylMemDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "harness/PrivateTempDir.h"

namespace zyl {
namespace {

using Texts = std::vector<std::string>;
using FT = TFieldType;

// Fields ID, Name, Amount; record i holds i, "name<i>", i * 1.5. Opened.
void Numbered(TZylMemDataset& ds, int records) {
  ds.AddField("ID", FT::ftInteger);
  ds.AddField("Name", FT::ftString, 20);
  ds.AddField("Amount", FT::ftFloat);
  for (int i = 0; i < records; ++i) ds.AddRecord({i, "name" + std::to_string(i), i * 1.5});
  ds.Open();
}

Texts Column(TZylHTMLGrid& grid, int col) {
  Texts out;
  for (int r = 0; r < grid.GetRowCount(); ++r) out.push_back(grid.GetCells(r, col)->GetValue());
  return out;
}

Texts Captions(TZylHTMLGrid& grid) {
  Texts out;
  for (int c = 0; c < grid.GetColCount(); ++c) out.push_back(grid.GetColumns(c)->GetCaption());
  return out;
}

Texts Lines(const TStringList& list) {
  return {list.begin(), list.end()};
}
// A grid with its row-number column (as after streaming).
class GridData : public ::testing::Test {
 protected:
  void SetUp() override { grid_.Loaded(); }
  void Read(TDataSet& ds) {
    grid_.SetDataset(&ds);
    grid_.ReadValues();
  }
  TZylMemDataset ds_{nullptr};
  TZylHTMLGrid grid_{nullptr};
};

TEST_F(GridData, PagesAreClampedAndSized) {
  const struct {
    int records, rowsPerPage, maxRows, page;
    int pageAfter, rows, firstRecNo, pages;
  } cases[] = {
      {95, 40, 500, 3, 3, 15, 80, 3},       {95, 40, 500, 7, 3, 15, 80, 3},    // pulled back
      {95, 40, 500, INT_MAX, 3, 15, 80, 3}, {0, 40, 500, 4, 4, 0, -1, 0},      // nothing to read
      {1200, 0, 500, 1, 1, 500, 0, 3},      {1200, -5, 500, 1, 1, 500, 0, 3},  // every record
      {1200, 0, 0, 1, 1, 0, -1, 0},         {0, 0, 500, INT_MAX, INT_MAX, 0, -1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.records) + " records, page " + std::to_string(c.page));
    TZylMemDataset ds(nullptr);
    Numbered(ds, c.records);
    TZylHTMLGrid grid(nullptr);
    grid.Loaded(), grid.SetRowsPerPage(c.rowsPerPage), grid.SetMaxRows(c.maxRows);
    grid.SetPage(c.page), grid.SetDataset(&ds), grid.ReadValues();
    EXPECT_EQ(grid.GetPage(), c.pageAfter);
    ASSERT_EQ(grid.GetRowCount(), c.rows);
    EXPECT_EQ(grid.GetPageCount(), c.pages);
    EXPECT_EQ(c.rows > 0 ? grid.GetRows(0)->GetRecNo() : -1, c.firstRecNo);
  }
}

TEST_F(GridData, ReadsCellsColumnsAndTheCurrentRecord) {
  Numbered(ds_, 95);
  grid_.SetPage(2), grid_.SetRecNo(100), Read(ds_);
  EXPECT_EQ(grid_.GetRecNo(), 79) << "clamped into the page";
  EXPECT_EQ(ds_.FieldByName("ID")->AsString(), "79") << "the cursor moved there";
  EXPECT_EQ(grid_.GetCells(0, 0)->GetValue(), "41") << "row-number text";
  EXPECT_EQ(ds_.GetValue(94, 1).ToString(), "name94");
  EXPECT_THROW(ds_.GetValue(95, 0), EListError);
  EXPECT_THROW(ds_.AddField("ID", FT::ftString), Exception) << "a name is taken once";
  EXPECT_THROW(ds_.AddRecord({1, "x", 2.0, 3}), Exception) << "four values for three fields";

  TZylMemDataset typed(nullptr);                             // memo and blob fields get no column
  // clang-format off
  const std::pair<const char*, FT> fields[] = {
      {"Price", FT::ftCurrency}, {"Note", FT::ftMemo}, {"At", FT::ftDateTime},
      {"Picture", FT::ftBlob}, {"Ok", FT::ftBoolean}, {"Big", FT::ftLargeint}
  };  // clang-format on
  for (const auto& [name, type] : fields) typed.AddField(name, type);
  double day = EncodeDate(2023, 12, 24);
  typed.AddRecord(
      {12.5, "text", day + 0.75, "bytes", true, static_cast<std::int64_t>(5000000000LL)});
  typed.AddRecord({TVariant::Null(), "", 0.5, "", false, TVariant::Null()});
  typed.Open();
  grid_.SetPage(1), Read(typed);
  EXPECT_EQ(Captions(grid_), (Texts{"No:", "Price", "At", "Ok", "Big"}));
  EXPECT_EQ(grid_.GetColumns(3)->GetFieldIndex(), 4);
  EXPECT_EQ(Column(grid_, 1), (Texts{"12.5", ""}));
  EXPECT_TRUE(grid_.GetCells(1, 1)->GetVariantValue().IsNull());
  EXPECT_EQ(Column(grid_, 2), (Texts{"24.12.2023 18:00:00", "12:00:00"})) << "time only: no date";
  EXPECT_TRUE(grid_.GetCells(0, 3)->GetBooleanValue());
  EXPECT_EQ(grid_.GetCells(1, 3)->GetHAlign(), HAlignment::alCenter) << "booleans centre";
  EXPECT_DOUBLE_EQ(grid_.GetCells(0, 4)->GetNumericValue(), 5e9);
  const char* const posted[] = {"25.12.2023 06:00:00", "True", "7"};  // text a form sends back
  for (int c = 2; c <= 4; ++c) grid_.PopulateCell(1, c, posted[c - 2]);
  EXPECT_EQ(
      std::tuple(grid_.GetCells(1, 2)->GetDateValue(), grid_.GetCells(1, 3)->GetBooleanValue(),
                 grid_.GetCells(1, 4)->GetNumericValue()),
      std::tuple(day + 1.25, true, 7.0));
  grid_.SetShowMemos(true), grid_.SetShowBlobs(true), grid_.ReadValues();
  EXPECT_EQ(Captions(grid_), (Texts{"No:", "Price", "Note", "At", "Picture", "Ok", "Big"}));
}

TEST_F(GridData, ReadColumnsMakesTheColumnsOfAReadWithoutItsRows) {
  Numbered(ds_, 95);
  grid_.SetDataset(&ds_), grid_.ReadColumns();
  EXPECT_EQ(Captions(grid_), (Texts{"No:", "ID", "Name", "Amount"}));
  EXPECT_EQ(std::pair(grid_.GetRowCount(), grid_.GetColumns(2)->GetFieldIndex()), std::pair(0, 1));
  grid_.ReadValues();
  EXPECT_EQ(std::pair(grid_.GetRowCount(), Captions(grid_).size()), std::pair(40, std::size_t{4}));
}

// A dataset whose record 3 cannot be read: moving there fails, or
// (`inField`) reading its second field fails after the first was read.
class FailingDataset : public TZylMemDataset {
 public:
  explicit FailingDataset(bool inField) : TZylMemDataset(nullptr), inField_(inField) {}
  void Next() override {
    TZylMemDataset::Next();
    if (!inField_ && GetRecNo() == failAt) throw Exception("read error");
  }
  TField* GetField(int index) const override {
    TField* field = TZylMemDataset::GetField(index);
    if (!inField_ || index != 1 || GetRecNo() != failAt) return field;
    failing_.inner = field;
    return &failing_;
  }
  int failAt = 3;

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
  bool inField_;
  mutable FailingField failing_;
};

class ReadValuesFailure : public ::testing::TestWithParam<bool> {};

// The half-read row goes and the error box says the page is incomplete.
TEST_P(ReadValuesFailure, KeepsTheWholeRowsAndShowsTheError) {
  FailingDataset ds(GetParam());
  ds.AddField("ID", FT::ftInteger), ds.AddField("Name", FT::ftString, 10);
  for (int i = 0; i < 10; ++i) ds.AddRecord({i, "n" + std::to_string(i)});
  ds.Open();
  TZylHTMLGrid grid(nullptr);
  grid.Loaded(), grid.SetDataset(&ds), grid.SetDoMadeSum(true);
  bool after = false;
  grid.OnAfterReadData = [&](TObject*) { after = true; };
  EXPECT_NO_THROW(grid.ReadValues());
  EXPECT_EQ(Column(grid, 1), (Texts{"0", "1", "2", "3"})) << "three whole rows and the sum row";
  EXPECT_EQ(grid.GetCells(3, 0)->GetValue(), "Sum:");
  EXPECT_TRUE(after) << "the read goes on after the error";
  EXPECT_NE(grid.GetHTML().GetText().find("ERROR:\r\nREAD ERROR"), std::string::npos);
  ds.failAt = -1;
  grid.ReadValues();
  EXPECT_EQ(grid.GetHTML().GetText().find("READ ERROR"), std::string::npos)
      << "a good read clears it";
}

INSTANTIATE_TEST_SUITE_P(MovingOrReadingAField, ReadValuesFailure, ::testing::Bool());

TEST_F(GridData, SumAndAverageRows) {
  ds_.AddField("Qty", FT::ftInteger), ds_.AddField("Name", FT::ftString);
  ds_.AddField("Price", FT::ftFloat);
  ds_.AddRecord({3, "a", 0.1});
  ds_.AddRecord({TVariant::Null(), "b", 0.2});
  ds_.AddRecord({6, "c", 1.0 / 3});
  ds_.Open();
  grid_.SetDoMadeSum(true), grid_.SetDoMadeSA(true), Read(ds_);  // the sum wins
  EXPECT_EQ(Texts({grid_.GetCells(3, 0)->GetValue(), grid_.GetCells(3, 1)->GetValue(),
                   grid_.GetCells(3, 2)->GetValue(), grid_.GetCells(3, 3)->GetValue()}),
            (Texts{"Sum:", "9", "", "0.633333333333333"}));
  EXPECT_EQ(grid_.GetCells(3, 1)->GetColor(), 0xC8FFC8u);
  grid_.SetDoMadeSum(false), grid_.GetColumns(3)->SetVisible(false), grid_.ReadValues();
  EXPECT_EQ(Texts({grid_.GetCells(3, 0)->GetValue(), grid_.GetCells(3, 1)->GetValue(),
                   grid_.GetCells(3, 3)->GetValue()}),
            (Texts{"Average:", "3", ""}))
      << "empty cells count as rows; invisible columns stay empty";
  ds_.ClearRecords(), grid_.ReadValues();
  EXPECT_EQ(grid_.GetRowCount(), 0) << "no rows, no summary row";
}

TEST_F(GridData, SortingThePageKeepsRowsWholeAndStable) {
  ds_.AddField("Name", FT::ftString), ds_.AddField("Qty", FT::ftInteger);
  ds_.AddField("Day", FT::ftDate);
  ds_.AddRecord({"b", 10, EncodeDate(2024, 1, 3)});
  ds_.AddRecord({"B", 9, EncodeDate(2023, 12, 31)});
  ds_.AddRecord({"a", 100, EncodeDate(2024, 1, 3)});
  ds_.AddRecord({"c", 9, EncodeDate(2024, 2, 1)});
  ds_.Open(), Read(ds_);
  // clang-format off
  const struct { int col; TSortOrder order; Texts names; } cases[] = {
      {1, TSortOrder::soAscending, {"a", "b", "B", "c"}},   // locale order, case decides ties
      {2, TSortOrder::soDescending, {"a", "b", "B", "c"}},  // by number; equal 9s keep B, c
      {1, TSortOrder::soDescending, {"c", "B", "b", "a"}},  //
      {2, TSortOrder::soAscending, {"c", "B", "b", "a"}},   // stable: c before B as sorted
      {3, TSortOrder::soAscending, {"B", "b", "a", "c"}},   // by date
      {0, TSortOrder::soDescending, {"c", "a", "B", "b"}},  // the number column: reading order
  };  // clang-format on
  for (const auto& c : cases) {
    grid_.GetColumns(c.col)->SetSortOrder(c.order);
    EXPECT_EQ(Column(grid_, 1), c.names) << c.col;
    EXPECT_EQ(grid_.GetSortColumn(), c.col);
  }
  grid_.ReadValues();
  EXPECT_EQ(Column(grid_, 0), (Texts{"4", "3", "2", "1"})) << "the sort survives the read";
  EXPECT_EQ(ds_.GetIndexFieldNames(), "") << "without GlobalSorting the dataset is not asked";
}

// GlobalSorting: a click sorts the dataset and reads the page once in the
// new order; the clicked column object survives the read.
TEST_F(GridData, GlobalSortingSortsTheDatasetAndReadsOnce) {
  ds_.AddField("ID", FT::ftInteger), ds_.AddField("Picture", FT::ftBlob);
  ds_.AddField("City", FT::ftString);
  const char* cities[] = {"Oslo", "Bergen", "Alta", "Tromsø", "Bodø"};
  for (int i = 0; i < 95; ++i) ds_.AddRecord({i, "png", cities[i % 5]});
  ds_.Open();
  grid_.SetGlobalSorting(true), grid_.SetPage(2), Read(ds_);
  int reads = 0;
  grid_.OnAfterReadData = [&](TObject*) { ++reads; };
  TZylColumn* city = grid_.GetColumns(2);
  city->SetSortOrder(TSortOrder::soDescending);
  EXPECT_EQ(ds_.GetIndexFieldNames(), "City DESC");
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(grid_.GetColumns(2), city);
  EXPECT_EQ(city->GetFieldIndex(), 2);
  EXPECT_EQ(grid_.GetCells(0, 2)->GetValue(), "Bodø") << "record 40 of Tromsø, Oslo, Bodø...";
  EXPECT_EQ(grid_.GetColumns(2)->Glyph()->GetURLDSC(), "GDescA.gif");
}

// Pick lists from a dataset: distinct texts (ignoring case) or pairs; the
// grid's record stays current, also when an exception passes.
TEST_F(GridData, PickListsFromADataset) {
  Numbered(ds_, 3);
  grid_.SetShowRowNumber(false), Read(ds_), grid_.SetRecNo(2);
  grid_.PopulatePickList(&ds_, "1, x, 2", "1, 0, abc", true);  // bad pairs are skipped
  EXPECT_EQ(Lines(grid_.GetColumns(1)->PickList()), (Texts{"name0", "name1", "name2"}));
  grid_.PopulatePickListEX(&ds_, "Name", "ID", 0);
  EXPECT_EQ(Lines(grid_.GetColumns(0)->ValueList()), (Texts{"0", "1", "2"}));
  EXPECT_THROW(grid_.PopulatePickListEX(&ds_, "Town", "ID", 1), Exception);
  EXPECT_EQ(ds_.GetRecNo(), 2);
}

// ---------------------------------------------------------------- text files

class TextFile : public GridData {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_.File(name), std::ios::binary) << bytes;
    return dir_.File(name);
  }
  harness::PrivateTempDir dir_;
};

TEST(ParseLine, QuotedStretchesAndDelimiters) {
  // clang-format off
  const struct { const char* line; char delimiter; Texts fields; } cases[] = {
      {"a;\"b;c\";'d''e'", ';', {"a", "b;c", "d'e"}}, {"ab\"c;d\"e", ';', {"abc;de"}},
      {"x;;", ';', {"x", "", ""}}, {"", ';', {""}}, {"\"open;to the end", ';', {"open;to the end"}},
      {"\"a'b\"\t' c\"d '", '\t', {"a'b", " c\"d "}}, {"a;b\tc", '\t', {"a;b", "c"}}
  };  // clang-format on
  for (const auto& c : cases) {
    TStringList fields;
    TZylHTMLGrid::ParseLine(c.line, c.delimiter, fields);
    EXPECT_EQ(Lines(fields), c.fields) << c.line;
  }
}

TEST_F(TextFile, LoadsAPageAndLeavesNoStaleTextOrCaption) {
  std::string text = "\xEF\xBB\xBFID\tName\r\n";
  for (int i = 0; i < 95; ++i)
    text += std::to_string(i) + "\tn" + (i % 3 ? i % 3 == 1 ? "\r" : "\n" : "\r\n");
  grid_.SetPage(3);
  ASSERT_TRUE(grid_.LoadFromFile(Write("a.txt", text)));
  EXPECT_EQ(grid_.GetTotalRowCount(), 95);
  EXPECT_EQ(Captions(grid_), (Texts{"No:", "ID", "Name"}));
  EXPECT_EQ(Column(grid_, 0).front(), "81");
  EXPECT_EQ(grid_.GetRowCount(), 15);
  TZylHTMLGrid plain(nullptr);
  plain.SetShowRowNumber(false);
  ASSERT_TRUE(plain.LoadFromCSV(Write("b.csv", "A\r\n1;2;3\r\n4\r\n")));
  EXPECT_EQ(Captions(plain), (Texts{"A", "", ""})) << "ragged lines widen the grid";
  EXPECT_EQ(Column(plain, 2), (Texts{"3", ""}));
  ASSERT_TRUE(plain.LoadFromCSV(Write("c.csv", "Z;B;C\r\nx\r\n")));
  EXPECT_EQ(Column(plain, 1), (Texts{""})) << "no text of the earlier file";
  ASSERT_TRUE(plain.LoadFromCSV(Write("d.csv", "Y\r\n1;2;3\r\n")));
  EXPECT_EQ(Captions(plain), (Texts{"Y", "", ""})) << "no caption of the earlier file";
  EXPECT_FALSE(plain.LoadFromCSV(Write("e.csv", "")));
  EXPECT_FALSE(plain.LoadFromCSV(dir_.File("missing.csv")));
}

// A column keeps the type the host declared: numbers and dates are parsed
// (text that does not parse stays text and counts 0), so the column sorts
// by them and sums; booleans read their stored state.
TEST_F(TextFile, DeclaredColumnTypesSortAndSum) {
  // clang-format off
  const struct { FT type; std::string file; Texts ascending; std::string sum; } cases[] = {
      {FT::ftString, "N\r\n10\r\n9\r\n100\r\n", {"10", "100", "9"}, ""},
      {FT::ftInteger, "N\r\n10\r\n9\r\nx\r\n100\r\n", {"x", "9", "10", "100"}, "119"},
      {FT::ftFloat, "N\r\n2.5\r\n-1\r\n", {"-1", "2.5"}, "1.5"},
      {FT::ftDate, "N\r\n02.01.2024\r\n31.12.2023\r\n", {"31.12.2023", "02.01.2024"}, ""},
      {FT::ftBoolean, "N\r\nTrue\r\nFalse\r\n1\r\n", {"1", "False", "True"}, ""}
  };  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TZylHTMLGrid grid(nullptr);
    grid.Loaded(), grid.SetColCount(2), grid.GetColumns(1)->SetDataType(c.type);
    ASSERT_TRUE(grid.LoadFromCSV(Write("n.csv", c.file)));
    if (c.type == FT::ftBoolean) {
      EXPECT_EQ((std::vector<bool>{grid.GetCells(0, 1)->GetBooleanValue(),
                                   grid.GetCells(1, 1)->GetBooleanValue(),
                                   grid.GetCells(2, 1)->GetBooleanValue()}),
                (std::vector<bool>{true, false, true}));
    }
    grid.GetColumns(1)->SetSortOrder(TSortOrder::soAscending);
    EXPECT_EQ(Column(grid, 1), c.ascending);
    grid.CalcSum();  // into a new last row
    EXPECT_EQ(grid.GetCells(grid.GetRowCount() - 1, 1)->GetValue(), c.sum);
  }
}

TEST_F(TextFile, SavedValuesReadBackExactlyAndHiddenOnesAreNotWritten) {
  const Texts values = {"say \"hi\"", "\"",         "it's", "''",       "a;b",
                        "tab\there",  "  padded  ", "",     "x\"y'z;\t"};
  for (bool tab : {true, false}) {
    TZylHTMLGrid grid(nullptr);
    grid.SetShowRowNumber(false);
    grid.SetColCount(static_cast<int>(values.size()) + 1);
    for (int c = 0; c < grid.GetColCount() - 1; ++c) {
      grid.GetColumns(c)->SetCaption(values[static_cast<std::size_t>(c)]);
      grid.GetCells(0, c)->SetValue(values[values.size() - 1 - static_cast<std::size_t>(c)]);
    }
    grid.GetColumns(grid.GetColCount() - 1)->SetVisible(false);
    std::string file = dir_.File(tab ? "round.txt" : "round.csv");
    tab ? grid.SaveToFile(file) : grid.SaveToCSV(file);
    TZylHTMLGrid back(nullptr);
    back.SetShowRowNumber(false);
    ASSERT_TRUE(tab ? back.LoadFromFile(file) : back.LoadFromCSV(file));
    ASSERT_EQ(back.GetColCount(), static_cast<int>(values.size()))
        << "the hidden column is not written";
    for (int c = 0; c < back.GetColCount(); ++c) {
      EXPECT_EQ(back.GetColumns(c)->GetCaption(), grid.GetColumns(c)->GetCaption());
      EXPECT_EQ(back.GetCells(0, c)->GetValue(), grid.GetCells(0, c)->GetValue());
    }
  }
  EXPECT_THROW(grid_.SaveToFile(dir_.File("no/such/dir/out.txt")), EInOutError);
  EXPECT_EQ(dir_.Entries(), (Texts{"round.csv", "round.txt"})) << "no temporary file is left";
}

}  // namespace
}  // namespace zyl
