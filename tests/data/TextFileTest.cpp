// Delimited text files: splitting lines, loading a page, writing the
// visible content, and round trips through files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DataTestUtil.h"
#include "platform/System.h"

namespace zyl {
namespace {

using testing::Captions;
using testing::ColumnTexts;
using testing::LoadedGrid;

std::vector<std::string> Split(const std::string& line, char delimiter) {
  TStringList fields;
  TZylHTMLGrid::ParseLine(line, delimiter, fields);
  return testing::Lines(fields);
}

TEST(ParseLine, QuotedStretchesAndDelimiters) {
  EXPECT_EQ(Split("a;\"b;c\";'d''e'", ';'), (std::vector<std::string>{"a", "b;c", "d'e"}));
  EXPECT_EQ(Split("ab\"c;d\"e", ';'), (std::vector<std::string>{"abc;de"}));
  EXPECT_EQ(Split("x;;", ';'), (std::vector<std::string>{"x", "", ""}));
  EXPECT_EQ(Split("", ';'), (std::vector<std::string>{""}));
  EXPECT_EQ(Split("\"open;to the end", ';'), (std::vector<std::string>{"open;to the end"}));
  EXPECT_EQ(Split("'it''s';\"say \"\"hi\"\"\"", ';'),
            (std::vector<std::string>{"it's", "say \"hi\""}));
  EXPECT_EQ(Split("\"a'b\"\t' c\"d '", '\t'), (std::vector<std::string>{"a'b", " c\"d "}))
      << "the other quote is ordinary inside a stretch; blanks stay";
  EXPECT_EQ(Split("a;b\tc", '\t'), (std::vector<std::string>{"a;b", "c"}));
  EXPECT_EQ(Split("\"\"", ';'), (std::vector<std::string>{""}));
}

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zyl-textfile-" + CreateGuidString());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out << bytes;
    return Path(name);
  }
  // A header "ID<TAB>Name" and records "<i><TAB>n<i>".
  std::string Numbered(int records) const {
    std::string text = "ID\tName\r\n";
    for (int i = 0; i < records; ++i) text += std::to_string(i) + "\tn" + std::to_string(i) + "\r\n";
    return Write("numbered.txt", text);
  }

  std::filesystem::path dir_;
};

TEST_F(TextFileTest, LoadsOnePageWithRowNumbers) {
  auto grid = LoadedGrid();
  grid->SetPage(3);
  ASSERT_TRUE(grid->LoadFromFile(Numbered(95)));
  EXPECT_EQ(grid->GetTotalRowCount(), 95);
  EXPECT_EQ(grid->GetPageCount(), 3);
  ASSERT_EQ(grid->GetRowCount(), 15);
  EXPECT_EQ(Captions(*grid), (std::vector<std::string>{"No:", "ID", "Name"}));
  EXPECT_EQ(grid->GetRows(0)->GetRecNo(), 80);
  EXPECT_EQ(grid->GetCells(0, 0)->GetValue(), "81");
  EXPECT_EQ(grid->GetCells(0, 2)->GetValue(), "n80");
  EXPECT_EQ(grid->GetCells(14, 1)->GetValue(), "94");
  EXPECT_EQ(grid->GetColumns(2)->GetFieldIndex(), 1);
  EXPECT_EQ(grid->GetRecNo(), 80) << "the current record is clamped into the page";

  grid->SetPage(7);
  ASSERT_TRUE(grid->LoadFromFile(Numbered(95)));
  EXPECT_EQ(grid->GetPage(), 3);
  grid->SetPage(1);
  ASSERT_TRUE(grid->LoadFromFile(Numbered(95)));
  EXPECT_EQ(grid->GetRowCount(), 40) << "the rows of the longer page are reused and added";
  EXPECT_EQ(grid->GetCells(39, 0)->GetValue(), "40");
  EXPECT_EQ(grid->GetRecNo(), 39);
}

TEST_F(TextFileTest, AllRowsAreCappedAtMaxRowsAndHugePagesAreSafe) {
  auto grid = LoadedGrid();
  grid->SetRowsPerPage(0);
  grid->SetMaxRows(30);
  grid->SetPage(INT_MAX);
  ASSERT_TRUE(grid->LoadFromFile(Numbered(95)));
  EXPECT_EQ(grid->GetRowsPerPage(), 30);
  EXPECT_EQ(grid->GetPage(), 4);
  EXPECT_EQ(grid->GetRowCount(), 5);
}

TEST_F(TextFileTest, HeaderOnlyGivesCaptionsAndNoRows) {
  auto grid = LoadedGrid();
  ASSERT_TRUE(grid->LoadFromFile(Write("header.txt", "Name\tCity\r\n")));
  EXPECT_EQ(grid->StoredTotalRowCount(), 0);
  EXPECT_EQ(grid->GetRowCount(), 0);
  EXPECT_EQ(Captions(*grid), (std::vector<std::string>{"No:", "Name", "City"}));
  EXPECT_EQ(grid->GetPageCount(), 0);
}

TEST_F(TextFileTest, EmptyOrMissingFileReturnsFalse) {
  auto grid = LoadedGrid();
  int before = 0, after = 0;
  grid->OnBeforeReadData = [&](TObject*) { ++before; };
  grid->OnAfterReadData = [&](TObject*) { ++after; };
  int cols = grid->GetColCount();
  EXPECT_FALSE(grid->LoadFromFile(Write("empty.txt", "")));
  EXPECT_EQ(grid->StoredTotalRowCount(), -1);
  EXPECT_EQ(grid->GetTotalRowCount(), -1);
  EXPECT_EQ(grid->GetColCount(), cols) << "nothing else changes";
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  EXPECT_FALSE(grid->LoadFromFile(Path("missing.txt")));
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 1) << "no after-read event for a missing file";
}

TEST_F(TextFileTest, WideFilesKeepMaxColsColumns) {
  std::string header, line;
  for (int i = 0; i < 300; ++i) {
    header += (i ? ";" : "") + std::string("c") + std::to_string(i);
    line += (i ? ";" : "") + std::to_string(i);
  }
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  ASSERT_TRUE(grid.LoadFromCSV(Write("wide.csv", header + "\r\n" + line + "\r\n")));
  EXPECT_EQ(grid.GetColCount(), 256);
  EXPECT_EQ(grid.GetColumns(255)->GetCaption(), "c255");
  EXPECT_EQ(grid.GetCells(0, 255)->GetValue(), "255");
}

TEST_F(TextFileTest, RaggedLinesWidenTheGridAndShortLinesLeaveNoStaleText) {
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  ASSERT_TRUE(grid.LoadFromCSV(Write("a.csv", "A\r\n1;2;3\r\n4\r\n")));
  EXPECT_EQ(grid.GetColCount(), 3);
  EXPECT_EQ(Captions(grid), (std::vector<std::string>{"A", "", ""}));
  EXPECT_EQ(ColumnTexts(grid, 2), (std::vector<std::string>{"3", ""}));
  ASSERT_TRUE(grid.LoadFromCSV(Write("b.csv", "A;B;C\r\nx\r\n")));
  EXPECT_EQ(grid.GetRowCount(), 1);
  EXPECT_EQ(grid.GetCells(0, 0)->GetValue(), "x");
  EXPECT_EQ(grid.GetCells(0, 1)->GetValue(), "") << "no text of the earlier record";
  EXPECT_EQ(grid.GetCells(0, 2)->GetValue(), "");
  ASSERT_TRUE(grid.LoadFromCSV(Write("c.csv", "Z\r\n1;2;3\r\n")));
  EXPECT_EQ(Captions(grid), (std::vector<std::string>{"Z", "", ""})) << "no caption of the earlier file";
}

TEST_F(TextFileTest, ByteOrderMarkAndEveryLineEndAreRead) {
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  ASSERT_TRUE(grid.LoadFromCSV(Write("ends.csv", "\xEF\xBB\xBFName\r\nCR\rLF\nCRLF\r\nlast")));
  EXPECT_EQ(grid.GetColumns(0)->GetCaption(), "Name");
  EXPECT_EQ(ColumnTexts(grid, 0), (std::vector<std::string>{"CR", "LF", "CRLF", "last"}));
  EXPECT_EQ(grid.StoredTotalRowCount(), 4);
  ASSERT_TRUE(grid.LoadFromCSV(Write("final.csv", "Name\nx\n")));
  EXPECT_EQ(grid.StoredTotalRowCount(), 1) << "a final line end adds no empty line";
}

TEST_F(TextFileTest, WritesQuotedFieldsWithCrLf) {
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  grid.SetColCount(2);
  grid.GetColumns(0)->SetCaption("Name");
  grid.GetColumns(1)->SetCaption("City");
  grid.GetCells(0, 0)->SetValue("Ann");
  grid.GetCells(0, 1)->SetValue("Oslo");
  grid.SaveToFile(Path("out.txt"));
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "\"Name\"\t\"City\"\r\n\"Ann\"\t\"Oslo\"\r\n");
  grid.SaveToCSV(Path("out.csv"));
  EXPECT_EQ(ReadFileBytes(Path("out.csv")), "\"Name\";\"City\"\r\n\"Ann\";\"Oslo\"\r\n");
}

TEST_F(TextFileTest, HiddenRowsAndColumnsAreNotWritten) {
  auto grid = LoadedGrid();
  ASSERT_TRUE(grid->LoadFromCSV(Write("in.csv", "A;B;C\r\n1;2;3\r\n4;5;6\r\n7;8;9\r\n")));
  grid->GetColumns(2)->SetVisible(false);
  grid->GetRows(1)->SetVisible(false);
  TStringList lines;
  grid->SaveToStringList(lines, ';', false);
  EXPECT_EQ(testing::Lines(lines),
            (std::vector<std::string>{"\"A\";\"C\"", "\"1\";\"3\"", "\"7\";\"9\""}));
  grid->SaveToStringList(lines, ';', true);
  EXPECT_EQ(lines.Get(0), "\"No:\";\"A\";\"C\"");
  EXPECT_EQ(lines.Get(2), "\"3\";\"7\";\"9\"");

  grid->SetDoMadeSum(true);
  grid->ApplySettings();
  grid->SaveToStringList(lines, ';', false);
  EXPECT_EQ(grid->GetCells(3, 0)->GetValue(), "Sum:") << "writing leaves the number column alone";
  EXPECT_EQ(grid->GetColCount(), 4);

  TZylHTMLGrid plain(nullptr);
  plain.SetShowRowNumber(false);
  ASSERT_TRUE(plain.LoadFromCSV(Path("in.csv")));
  plain.GetColumns(1)->SetVisible(false);
  plain.GetRows(1)->SetVisible(false);
  TStringList plainLines;
  plain.SaveToStringList(plainLines, ';', false);
  EXPECT_EQ(plainLines.GetText(), "\"A\";\"C\"\r\n\"1\";\"3\"\r\n\"7\";\"9\"\r\n")
      << "the same columns with or without row numbers";
}

TEST_F(TextFileTest, EveryValueWithoutLineBreakRoundTripsExactly) {
  const std::vector<std::string> values = {
      "say \"hi\"", "\"", "\"\"", "it's", "''", "a;b", "tab\there", "  padded  ", "", "x\"y'z;\t"};
  for (const char* kind : {"tab", "csv"}) {
    TZylHTMLGrid grid(nullptr);
    grid.SetShowRowNumber(false);
    grid.SetColCount(static_cast<int>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
      int c = static_cast<int>(i);
      grid.GetColumns(c)->SetCaption(values[i]);
      grid.GetCells(0, c)->SetValue(values[values.size() - 1 - i]);
    }
    bool tab = std::string(kind) == "tab";
    std::string file = Path(std::string("round.") + kind);
    tab ? grid.SaveToFile(file) : grid.SaveToCSV(file);

    TZylHTMLGrid back(nullptr);
    back.SetShowRowNumber(false);
    ASSERT_TRUE(tab ? back.LoadFromFile(file) : back.LoadFromCSV(file)) << kind;
    ASSERT_EQ(back.GetColCount(), static_cast<int>(values.size())) << kind;
    ASSERT_EQ(back.GetRowCount(), 1) << kind;
    for (std::size_t i = 0; i < values.size(); ++i) {
      int c = static_cast<int>(i);
      EXPECT_EQ(back.GetColumns(c)->GetCaption(), values[i]) << kind;
      EXPECT_EQ(back.GetCells(0, c)->GetValue(), values[values.size() - 1 - i]) << kind;
    }
  }
}

TEST_F(TextFileTest, SavingReplacesTheWholeFileOrNothing) {
  TZylHTMLGrid grid(nullptr);
  grid.SetShowRowNumber(false);
  std::string file = Write("keep.txt", std::string(5000, 'x'));
  grid.SetColCount(1);
  grid.GetColumns(0)->SetCaption("A");
  grid.SaveToFile(file);
  EXPECT_EQ(ReadFileBytes(file), "\"A\"\r\n\"\"\r\n");
  EXPECT_THROW(grid.SaveToFile(Path("no/such/dir/out.txt")), EInOutError);
  EXPECT_FALSE(FileExists(Path("no/such/dir/out.txt")));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
}

TEST_F(TextFileTest, FileNameLoadsAtOnceAndDetachesTheDataset) {
  auto ds = testing::NumberedDataset(2);
  auto grid = LoadedGrid();
  grid->SetDataset(ds.get());
  grid->SetFileName(Numbered(3));
  EXPECT_EQ(grid->GetDataset(), nullptr);
  EXPECT_EQ(grid->GetRowCount(), 3);
  EXPECT_EQ(grid->GetCells(2, 2)->GetValue(), "n2");
  grid->SetDataset(ds.get());
  EXPECT_EQ(grid->GetFileName(), "");
}

// A column keeps the type the host declared for it: numbers and dates get
// typed values (a text that does not parse counts 0), so the column sorts
// by them and sums; an undeclared column sorts as text; booleans show
// their state.
TEST_F(TextFileTest, DeclaredColumnTypesSortAndSum) {
  struct Case {
    TFieldType type;
    std::string file;
    std::vector<std::string> ascending;
    std::string sum;
  };
  for (const Case& c : std::initializer_list<Case>{
           {TFieldType::ftString, "N\r\n10\r\n9\r\n100\r\n", {"10", "100", "9"}, ""},
           {TFieldType::ftInteger, "N\r\n10\r\n9\r\nx\r\n100\r\n", {"x", "9", "10", "100"}, "119"},
           {TFieldType::ftFloat, "N\r\n2.5\r\n-1\r\n", {"-1", "2.5"}, "1.5"},
           {TFieldType::ftDate,
            "N\r\n02.01.2024\r\n31.12.2023\r\n",
            {"31.12.2023", "02.01.2024"},
            ""},
           {TFieldType::ftBoolean, "N\r\nTrue\r\nFalse\r\n1\r\n", {"1", "False", "True"}, ""},
       }) {
    SCOPED_TRACE(static_cast<int>(c.type));
    auto grid = LoadedGrid();
    grid->SetColCount(2);
    grid->GetColumns(1)->SetDataType(c.type);
    ASSERT_TRUE(grid->LoadFromCSV(Write("n.csv", c.file)));
    if (c.type == TFieldType::ftBoolean) {
      EXPECT_TRUE(grid->GetCells(0, 1)->GetBooleanValue());
      EXPECT_FALSE(grid->GetCells(1, 1)->GetBooleanValue());
      EXPECT_TRUE(grid->GetCells(2, 1)->GetBooleanValue());
    }
    grid->GetColumns(1)->SetSortOrder(TSortOrder::soAscending);
    EXPECT_EQ(ColumnTexts(*grid, 1), c.ascending);
    grid->CalcSum();
    EXPECT_EQ(grid->GetCells(grid->GetRowCount() - 1, 1)->GetValue(), c.sum);
  }

  auto grid = LoadedGrid();
  ASSERT_TRUE(grid->LoadFromCSV(Path("n.csv")));
  grid->GetColumns(0)->SetSortOrder(TSortOrder::soDescending);
  ASSERT_TRUE(grid->LoadFromCSV(Path("n.csv")));
  EXPECT_EQ(grid->GetColumns(0)->GetSortOrder(), TSortOrder::soDescending)
      << "the number column keeps its sort order across a load";
  EXPECT_EQ(ColumnTexts(*grid, 1), (std::vector<std::string>{"1", "False", "True"}));
}

}  // namespace
}  // namespace zyl
