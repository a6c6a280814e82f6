// ExportToFile: the calls and statements it issues for a grid, the columns
// and rows it exports, file naming, and the files it leaves behind.
#include <gtest/gtest.h>

#include "export/ExportStatements.h"
#include "export/ZylHTMLExport.h"
#include "export/engine/AutomationTrace.h"
#include "export/engine/EngineError.h"
#include "tests/export/engine/EngineTestSupport.h"

namespace zyl {
namespace {

using enginetest::MakeGrid;
using enginetest::ScopedTempDir;
using exporting::AutomationTrace;
using FT = TFieldType;

const char* kInsert = "INSERT INTO [ExportTable] ";

struct Result {
  std::string fileName;
  std::string tempFileName;
  AutomationTrace trace;
};

Result Export(TZylHTMLGrid& grid, TExportType type, std::string fileName) {
  Result r;
  r.fileName = std::move(fileName);
  EXPECT_TRUE(ExportToFile(r.fileName, r.tempFileName, grid, type, &r.trace));
  return r;
}

// The calls that define columns (Append and Attributes), in order.
std::vector<std::string> ColumnCalls(const AutomationTrace& trace) {
  std::vector<std::string> out;
  for (const std::string& call : trace.calls) {
    if (call.rfind("ADOX.Columns.Append", 0) == 0 || call.rfind("ADOX.Column.", 0) == 0 ||
        call.rfind("ADOX.Columns.Item", 0) == 0) {
      out.push_back(call);
    }
  }
  return out;
}

class ExportToFileTest : public ::testing::Test {
 protected:
  ScopedTempDir tmp_;
};

TEST_F(ExportToFileTest, StatementsCarryTextNumbersBooleansDatesEmptyAndQuotedValues) {
  const double day = EncodeDate(2003, 12, 31);
  auto grid = MakeGrid({{"Name", FT::ftString, 30},
                        {"Qty", FT::ftInteger},
                        {"Paid", FT::ftBoolean},
                        {"Ordered", FT::ftDate},
                        {"Note", FT::ftString, 40}},
                       {{"Smith", "12", "True", {"31.12.2003", day}, "say \"hi\""},
                        {"", "", "", "", ""},
                        {"O\"Neil", "-3", "False", {"x", day + 1}, "\"\""}});
  const Result r = Export(*grid, TExportType::Excel, tmp_.File("orders.txt"));
  const std::string list = "([Name], [Qty], [Paid], [Ordered], [Note])";
  ASSERT_EQ(r.trace.statements.size(), 4u);
  EXPECT_EQ(r.trace.statements[0], kInsert + list +
                                       " VALUES (\"Smith\", \"12\", True , \"31.12.2003\", "
                                       "\"say \"\"hi\"\"\");");
  EXPECT_EQ(r.trace.statements[1], kInsert + list + " VALUES (NULL, NULL, NULL, NULL, NULL);");
  EXPECT_EQ(r.trace.statements[2], kInsert + list +
                                       " VALUES (\"O\"\"Neil\", \"-3\", False , \"01.01.2004\", "
                                       "\"\"\"\"\"\");");
  EXPECT_EQ(r.trace.statements[3], "Select * INTO [ExportTable] IN \"" + tmp_.File("orders.xls") +
                                       "\"[Excel 8.0;] FROM [ExportTable]");
  EXPECT_EQ(r.fileName, tmp_.File("orders.xls"));
}

TEST_F(ExportToFileTest, BooleanLastAndDateTimeFormatsOfTheGrid) {
  const double moment = EncodeDate(2004, 2, 29) + EncodeTime(8, 5, 9, 0);
  auto grid = MakeGrid({{"At", FT::ftDateTime}, {"Time", FT::ftTime}, {"Ok", FT::ftBoolean}},
                       {{{"a", moment}, {"b", moment}, "-1"}});
  grid->SetDateTimeFormat("yyyy-mm-dd hh:nn:ss");
  const Result r = Export(*grid, TExportType::Access, tmp_.File("t"));
  ASSERT_EQ(r.trace.statements.size(), 1u);  // Access copies the file, no statement
  EXPECT_EQ(r.trace.statements[0],
            std::string(kInsert) +
                "([At], [Time], [Ok]) VALUES (\"2004-02-29 08:05:09\", \"08:05:09\", -1 );");
  EXPECT_EQ(r.fileName, tmp_.File("t.mdb"));
  EXPECT_EQ(ReadFileBytes(r.fileName), ReadFileBytes(r.tempFileName));
}

TEST_F(ExportToFileTest, BooleanTextThatIsNoWordOrNumberIsQuoted) {
  // Cell text goes unquoted into the statement only when it cannot change it.
  auto grid = MakeGrid({{"Ok", FT::ftBoolean}, {"N", FT::ftInteger}}, {{"1), (2", "5"}});
  Result r;
  r.fileName = tmp_.File("x");
  try {
    ExportToFile(r.fileName, r.tempFileName, *grid, TExportType::Excel, &r.trace);
    FAIL() << "exported";
  } catch (const exporting::EOleException& e) {
    EXPECT_NE(e.Message().find("column 'Ok' (Boolean)"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(r.trace.statements.at(0),
            std::string(kInsert) + "([Ok], [N]) VALUES (\"1), (2\", \"5\");");
}

TEST_F(ExportToFileTest, CallsFollowTheFixedOrder) {
  auto grid = MakeGrid({{"Name", FT::ftString, 20}, {"Paid", FT::ftBoolean}}, {{"a", "True"}});
  const Result r = Export(*grid, TExportType::dBase, tmp_.File("r.txt"));
  const std::string db = r.tempFileName;
  EXPECT_EQ(db.substr(db.size() - 4), ".mdb");
  EXPECT_EQ(db.rfind(tmp_.Dir(), 0), 0u) << "temporary database in the temporary directory";
  const std::vector<std::string> expected = {
      "CreateOleObject(\"ADOX.Catalog\")",
      "ADOX.Catalog.Create(\"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db + "\")",
      "CreateOleObject(\"ADOX.Table\")",
      "ADOX.Table.Name := \"ExportTable\"",
      "ADOX.Table.Columns",
      "ADOX.Columns.Append(\"Name\", 202, 20)",
      "ADOX.Table.Columns",
      "ADOX.Columns.Append(\"Paid\", 11)",
      "ADOX.Table.Columns",
      "ADOX.Columns.Item(0)",
      "ADOX.Column.Attributes := 2",
      "ADOX.Catalog.Tables",
      "ADOX.Tables.Append(<ADOX.Table>)",
      "CreateOleObject(\"ADODB.Connection\")",
      "ADODB.Connection.Provider := \"Microsoft.Jet.OLEDB.4.0\"",
      "ADODB.Connection.Username := \"Admin\"",
      "ADODB.Connection.Password := \"\"",
      "ADODB.Connection.ConnectionString := \"Data Source=\"" + db + "\"\"",
      "ADODB.Connection.Open()",
      "ADODB.Connection.Execute(\"" + std::string(kInsert) +
          "([Name], [Paid]) VALUES (\"a\", True );\", Empty, 128)",
      "ADODB.Connection.Execute(\"Select * INTO [r.dbf] IN \"" + tmp_.Dir() +
          "\"[dBase 5.0;] FROM [ExportTable]\", Empty, 128)",
      "ADODB.Connection.Close()",
  };
  EXPECT_EQ(r.trace.calls, expected);
}

TEST_F(ExportToFileTest, DBaseAndParadoxNameTheFileInItsDirectory) {
  auto grid = MakeGrid({{"Name", FT::ftString, 20}}, {{"a"}});
  const Result dbf = Export(*grid, TExportType::dBase, tmp_.File("report.txt"));
  EXPECT_EQ(dbf.fileName, tmp_.File("report.dbf"));
  EXPECT_EQ(dbf.trace.statements.back(),
            "Select * INTO [report.dbf] IN \"" + tmp_.Dir() + "\"[dBase 5.0;] FROM [ExportTable]");
  EXPECT_TRUE(FileExists(dbf.fileName));

  const Result px = Export(*grid, TExportType::Paradox, tmp_.File("report.txt"));
  EXPECT_EQ(px.fileName, tmp_.File("report.db"));
  EXPECT_EQ(px.trace.statements.back(),
            "Select * INTO [report.db] IN \"" + tmp_.Dir() + "\"[Paradox 7.X;] FROM [ExportTable]");
  EXPECT_TRUE(FileExists(px.fileName));
}

TEST_F(ExportToFileTest, HiddenColumnsAndRowsStayOutAndNamesCountExportedColumns) {
  auto grid =
      MakeGrid({{"", FT::ftString, 10, false}, {"", FT::ftString, 10}, {"", FT::ftString, 10}},
               {{"h", "Ann", "Rome"}, {"h", "Bob", "Oslo"}, {"h", "Cy", "Nice"}});
  grid->GetRows(1)->SetVisible(false);
  const Result r = Export(*grid, TExportType::Excel, tmp_.File("x"));
  ASSERT_EQ(r.trace.statements.size(), 3u);
  EXPECT_EQ(r.trace.statements[0],
            std::string(kInsert) + "([COLUMN 0], [COLUMN 1]) VALUES (\"Ann\", \"Rome\");");
  EXPECT_EQ(r.trace.statements[1],
            std::string(kInsert) + "([COLUMN 0], [COLUMN 1]) VALUES (\"Cy\", \"Nice\");");
}

TEST_F(ExportToFileTest, MemoAndBlobColumnsFollowTheTarget) {
  auto grid = MakeGrid({{"Id", FT::ftInteger}, {"Memo", FT::ftMemo}, {"Pic", FT::ftBlob}},
                       {{"1", "long text", "GIF89a"}});
  auto columnsFor = [&](TExportType type) {
    std::vector<std::string> names;
    for (const auto& c : exporting::ExportedColumns(*grid, type)) names.push_back(c.name);
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(columnsFor(TExportType::Excel), (V{"Id", "Memo"}));
  EXPECT_EQ(columnsFor(TExportType::Access), (V{"Id", "Memo", "Pic"}));
  EXPECT_EQ(columnsFor(TExportType::dBase), (V{"Id"}));
  EXPECT_EQ(columnsFor(TExportType::Paradox), (V{"Id"}));
  // And through the engine: each target is produced.
  for (TExportType type :
       {TExportType::Excel, TExportType::Access, TExportType::dBase, TExportType::Paradox}) {
    const Result r = Export(*grid, type, tmp_.File("m" + std::to_string(static_cast<int>(type))));
    EXPECT_TRUE(FileExists(r.fileName)) << r.fileName;
  }
}

TEST_F(ExportToFileTest, TypesSizesAndNullability) {
  // Every field type code: its ADO type.
  const int expected[] = {0, 202, 2,   3,   2,   11,  5,   6,   6,  7,   7,   7,  128, 204,
                          3, 205, 203, 205, 205, 205, 205, 205, 10, 129, 202, 20, 10,  10};
  for (int code = 0; code < 28; ++code) {
    EXPECT_EQ(exporting::AdoTypeForFieldType(code), expected[code]) << code;
  }
  // Sizes only for strings; every column but the boolean one is nullable.
  auto grid = MakeGrid({{"S", FT::ftString, 12},
                        {"W", FT::ftWideString, 12},
                        {"F", FT::ftFixedChar, 12},
                        {"B", FT::ftBoolean, 12},
                        {"L", FT::ftLargeint, 12}},
                       {{"a", "b", "c", "True", "9007199254740993"}});
  const Result r = Export(*grid, TExportType::Access, tmp_.File("t"));
  EXPECT_EQ(ColumnCalls(r.trace), (std::vector<std::string>{
                                      "ADOX.Columns.Append(\"S\", 202, 12)",
                                      "ADOX.Columns.Append(\"W\", 202)",
                                      "ADOX.Columns.Append(\"F\", 129)",
                                      "ADOX.Columns.Append(\"B\", 11)",
                                      "ADOX.Columns.Append(\"L\", 20)",
                                      "ADOX.Columns.Item(0)",
                                      "ADOX.Column.Attributes := 2",
                                      "ADOX.Columns.Item(1)",
                                      "ADOX.Column.Attributes := 2",
                                      "ADOX.Columns.Item(2)",
                                      "ADOX.Column.Attributes := 2",
                                      "ADOX.Columns.Item(4)",
                                      "ADOX.Column.Attributes := 2",
                                  }));
}

TEST_F(ExportToFileTest, TemporaryFilesAreGoneAfterSuccessOnceTheCallerDeletesThem) {
  auto grid = MakeGrid({{"Name", FT::ftString, 20}, {"N", FT::ftFloat}}, {{"a", "1.5"}});
  for (TExportType type :
       {TExportType::Excel, TExportType::Access, TExportType::dBase, TExportType::Paradox}) {
    Result r = Export(*grid, type, tmp_.File("out"));
    EXPECT_EQ(tmp_.Files(), (std::set<std::string>{ExtractFileName(r.fileName),
                                                   ExtractFileName(r.tempFileName)}));
    DeleteFile(r.fileName);
    DeleteFile(r.tempFileName);
    EXPECT_TRUE(tmp_.Files().empty());
  }
}

TEST_F(ExportToFileTest, AFailedExportLeavesNoFileBehind) {
  auto grid = MakeGrid({{"Name", FT::ftString, 20}, {"N", FT::ftFloat}},
                       {{"a", "1.5"}, {"b", "one and a half"}});
  for (TExportType type :
       {TExportType::Excel, TExportType::Access, TExportType::dBase, TExportType::Paradox}) {
    std::string fileName = tmp_.File("out");
    std::string tempFileName;
    try {
      ExportToFile(fileName, tempFileName, *grid, type);
      FAIL() << "exported";
    } catch (const exporting::EOleException& e) {
      EXPECT_NE(e.Message().find("column 'N' (Double)"), std::string::npos) << e.Message();
    }
    // Both names are returned; nothing is left under them or elsewhere.
    EXPECT_EQ(fileName, tmp_.File("out") + exporting::ExportExtension(type));
    EXPECT_EQ(tempFileName.substr(tempFileName.size() - 4), ".mdb");
    EXPECT_TRUE(tmp_.Files().empty());
  }
}

TEST_F(ExportToFileTest, AFailingCopyLeavesNoFileBehind) {
  // The target directory does not exist: the copy fails after the inserts.
  auto grid = MakeGrid({{"Name", FT::ftString, 20}}, {{"a"}});
  for (TExportType type : {TExportType::Excel, TExportType::dBase, TExportType::Paradox}) {
    std::string fileName = tmp_.File("missing/out");
    std::string tempFileName;
    EXPECT_THROW(ExportToFile(fileName, tempFileName, *grid, type), Exception);
    EXPECT_TRUE(tmp_.Files().empty());
  }
}

TEST_F(ExportToFileTest, AGridWithoutExportedColumnsFailsAtTableCreation) {
  auto grid = MakeGrid({{"Hidden", FT::ftString, 20, false}}, {{"a"}});
  std::string fileName = tmp_.File("out");
  std::string tempFileName;
  try {
    ExportToFile(fileName, tempFileName, *grid, TExportType::Excel);
    FAIL() << "exported";
  } catch (const exporting::EOleException& e) {
    EXPECT_NE(e.Message().find("cannot create table 'ExportTable'"), std::string::npos)
        << e.Message();
  }
  EXPECT_TRUE(tmp_.Files().empty());
}

TEST_F(ExportToFileTest, TabbedTextFillsTheDatabaseAndLeavesTheFileAlone) {
  auto grid = MakeGrid({{"Name", FT::ftString, 20}}, {{"a"}});
  const std::string mine = tmp_.File("mine.txt");
  {
    std::FILE* f = std::fopen(mine.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("keep", f);
    std::fclose(f);
  }
  const Result r = Export(*grid, TExportType::TabbedText, mine);
  EXPECT_EQ(r.fileName, mine);
  EXPECT_EQ(ReadFileBytes(mine), "keep");
  EXPECT_EQ(r.trace.statements.size(), 1u);
  DeleteFile(r.tempFileName);
}

}  // namespace
}  // namespace zyl
