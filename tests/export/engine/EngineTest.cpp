// The export engine behind ExportToFile: the automation calls and SQL
// statements it issues (golden traces, one per save-as format), the files
// it leaves, how it converts the grid's texts, and what it refuses. The
// files themselves are checked by the read-back test (tests/export/readback).
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "PrivateTempDir.h"
#include "export/ZylHTMLExport.h"
#include "export/engine/AutomationTrace.h"
#include "export/engine/EngineError.h"
#include "export/engine/JetDatabase.h"
#include "export/engine/OleFactory.h"
#include "export/engine/SqlParser.h"
#include "grid/ZylHTMLGrid.h"
#include "harness/Golden.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/System.h"

namespace zyl {
namespace {

using exporting::AdoType;
using exporting::Value;
using FT = TFieldType;

struct Col {
  const char* name;
  FT type;
  int size = 20;
  bool visible = true;
};

// A grid of `columns`; a cell "a|37986.5" has the text "a" and that date value.
std::unique_ptr<TZylHTMLGrid> Grid(const std::vector<Col>& columns,
                                   const std::vector<std::vector<std::string>>& rows) {
  auto grid = std::make_unique<TZylHTMLGrid>(nullptr);
  grid->SetColCount(static_cast<int>(columns.size()));
  grid->SetRowCount(static_cast<int>(rows.size()));
  for (std::size_t c = 0; c < columns.size(); ++c) {
    TZylColumn* column = grid->GetColumns(static_cast<int>(c));
    column->SetFieldName(columns[c].name);
    column->SetDataType(columns[c].type);
    column->SetDataSize(columns[c].size);
    column->SetVisible(columns[c].visible);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      TZylField* cell = grid->GetCells(static_cast<int>(r), static_cast<int>(c));
      const std::string& text = rows[r][c];
      const std::size_t bar = text.find('|');
      cell->SetValue(text.substr(0, bar));
      if (bar != std::string::npos) cell->SetDateValue(std::stod(text.substr(bar + 1)));
    }
  }
  return grid;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) { return StringReplace(text, from, to, {TReplaceFlag::rfReplaceAll}); }

struct Format {
  const char* name;  // of the golden file engine/golden/NAME.trace
  TExportType type;
};
void PrintTo(const Format& f, std::ostream* os) { *os << f.name; }

class TraceGolden : public ::testing::TestWithParam<Format> {};

// Every call and statement of one export, the temporary database written
// $DB and the test's directory $TMP; then the files it leaves.
TEST_P(TraceGolden, CallsAndStatementsOfOneExport) {
  harness::PrivateTempDir tmp;
  const std::string day = std::to_string(EncodeDate(2003, 12, 31));
  const std::string moment = FloatToExactStr(EncodeDate(2004, 2, 29) + EncodeTime(8, 5, 9, 0));
  auto grid = Grid({{"Name", FT::ftString, 30}, {"Qty", FT::ftInteger}, {"Paid", FT::ftBoolean},
                    {"Ordered", FT::ftDate}, {"At", FT::ftDateTime}, {"Time", FT::ftTime},
                    {"Note", FT::ftMemo}, {"Pic", FT::ftBlob}, {"W", FT::ftWideString, 12},
                    {"F", FT::ftFixedChar, 12}, {"L", FT::ftLargeint}, {"Gone", FT::ftString, 9, false},
                    {"", FT::ftFloat}, {"By", FT::ftBytes, 4}, {"VBy", FT::ftVarBytes, 8}},
                   {{"Smith", "12", "True", "x|" + day, "x|" + moment, "x|" + moment, "memo", "GIF89a",
                     "w", "f", "9007199254740993", "g", "1.5"},
                    {"", "", "", "", "", "", "", "", "", "", "", "g", ""},
                    {"O\"Neil \"\"", "-3", "-1", "x|" + day, "x|" + moment, "x|" + moment, "", "", "",
                     "", "-7", "g", "-0.25"},
                    {"hidden row", "1", "1", "x|1", "x|1", "x|1", "", "", "", "", "1", "g", "1"}});
  grid->GetRows(3)->SetVisible(false);
  grid->SetDateTimeFormat("yyyy-mm-dd hh:nn:ss");
  std::string fileName = tmp.File("orders.txt");
  std::string temp;
  exporting::AutomationTrace trace;
  ASSERT_TRUE(ExportToFile(fileName, temp, *grid, GetParam().type, &trace));

  std::string text = "file " + fileName + "\n";
  for (const std::string& call : trace.calls) text += call + "\n";
  text = Replaced(Replaced(text, temp, "$DB"), tmp.Path().string(), "$TMP");
  harness::ExpectGolden(std::string("export/engine/golden/") + GetParam().name + ".trace", text);

  // The caller deletes both files; nothing else is left.
  std::vector<std::string> left{ExtractFileName(temp)};
  if (GetParam().type != TExportType::TabbedText) left.insert(left.begin(), ExtractFileName(fileName));
  std::sort(left.begin(), left.end());
  EXPECT_EQ(tmp.Entries(), left);
}

INSTANTIATE_TEST_SUITE_P(Formats, TraceGolden,
                         ::testing::Values(Format{"tabbed", TExportType::TabbedText},
                                           Format{"xls", TExportType::Excel},
                                           Format{"mdb", TExportType::Access},
                                           Format{"dbf", TExportType::dBase},
                                           Format{"db", TExportType::Paradox}),
                         [](const auto& test) { return std::string(test.param.name); });

// A failed export raises, returns both names, and leaves no file behind.
struct FailureCase {
  const char* what;
  TExportType type;
  std::vector<Col> columns;
  std::vector<std::vector<std::string>> rows;
  const char* target;   // file name under the test's directory
  const char* message;  // part of the exception's message
};

const FailureCase kFailures[] = {
    {"no columns", TExportType::Excel, {{"Hidden", FT::ftString, 20, false}}, {{"a"}}, "out",
     "cannot create table 'ExportTable'"},
    {"type", TExportType::Access, {{"U", FT::ftUnknown}}, {{"a"}}, "out", "column 'U': type Empty (0) is not a column type"},
    {"type", TExportType::Access, {{"C", FT::ftCursor}}, {{"a"}}, "out", "column 'C': type Error (10) is not a column type"},
    {"copy", TExportType::Excel, {{"Name", FT::ftString}}, {{"a"}}, "missing/out", ""},
    {"copy", TExportType::dBase, {{"Name", FT::ftString}}, {{"a"}}, "missing/out", ""},
    {"copy", TExportType::Paradox, {{"Name", FT::ftString}}, {{"a"}}, "missing/out", ""},
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.what; }

class ExportFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ExportFailure, RaisesAndLeavesNoFile) {
  const FailureCase& c = GetParam();
  harness::PrivateTempDir tmp;
  auto grid = Grid(c.columns, c.rows);
  std::string fileName = tmp.File(c.target);
  std::string temp;
  const std::string message = harness::MessageOf([&] { ExportToFile(fileName, temp, *grid, c.type); });
  EXPECT_NE(message.find(c.message), std::string::npos) << message;
  EXPECT_EQ(temp.substr(temp.size() - 4), ".mdb");
  EXPECT_TRUE(tmp.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ExportFailure, ::testing::ValuesIn(kFailures));

// A value the format cannot hold never fails the export: it becomes the
// format's substitute, noted in the grid's LastExportNote; a longer text or
// a wider integer than the column's makes the column grow.
TEST(ExportSubstitutes, AreNotedAndTheExportSucceeds) {
  const char* kOne = "1 value the format cannot hold was written as substitutes; the first: ";
  const std::string badUtf8 = "column 'S', row 1: a\xFF" + std::string(78, 'b') + "... -> '?' for each bad byte";
  const FailureCase cases[] = {  // message: the note after kOne, "" for none
      {"value", TExportType::Excel, {{"Name", FT::ftString}, {"N", FT::ftFloat}},
       {{"a", "1.5"}, {"b", "one and a half"}}, "out", "column 'N', row 2: one and a half -> blank"},
      {"value", TExportType::Access, {{"N", FT::ftFloat}}, {{"1,23.5"}}, "out", "column 'N', row 1: 1,23.5 -> blank"},
      {"value", TExportType::dBase, {{"N", FT::ftFloat}}, {{"INF"}}, "out", "column 'N', row 1: inf -> blank"},
      {"value", TExportType::Excel, {{"N", FT::ftFloat}}, {{"-inf"}}, "out", "column 'N', row 1: -inf -> #NUM!"},
      {"value", TExportType::Paradox, {{"D", FT::ftCurrency}}, {{"1e300"}}, "out", "column 'D', row 1: 1e300 -> blank"},
      {"injection", TExportType::Excel, {{"Ok", FT::ftBoolean}, {"N", FT::ftInteger}}, {{"1), (2", "5"}},
       "out", "column 'Ok', row 1: 1), (2 -> blank"},
      {"bad UTF-8", TExportType::Paradox, {{"S", FT::ftString}}, {{"a\xFF" + std::string(90, 'b')}}, "out",
       badUtf8.c_str()},
      {"text longer than its column", TExportType::Access, {{"S", FT::ftString, 3}}, {{std::string(300, 'x')}}, "out", ""},
      {"integer wider than its column", TExportType::dBase, {{"I", FT::ftInteger}}, {{"-9223372036854775808"}}, "out", ""},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.message);
    harness::PrivateTempDir tmp;
    auto grid = Grid(c.columns, c.rows);
    std::string fileName = tmp.File(c.target), temp;
    ASSERT_TRUE(ExportToFile(fileName, temp, *grid, c.type));
    EXPECT_EQ(grid->GetLastExportNote(), *c.message ? kOne + std::string(c.message) : "");
    EXPECT_TRUE(FileExists(fileName));
  }
}

// The engine's database: what a literal becomes in a column of each type.
struct Conversion {
  const char* column;
  std::string literal;
  Value stored;                   // when `error` is empty
  const char* error = "";         // part of the error message otherwise
  bool dayFirst = false;          // regional date pattern dd/mm/yyyy
};

exporting::DateTimeValue Day(int y, int m, int d, double time = 0) { return {EncodeDate(y, m, d) + time}; }

const std::vector<Conversion>& Conversions() {
  static const std::vector<Conversion> cases = {
      {"Qty", "\" 12 \"", std::int64_t{12}},
      {"Qty", "\"2.5\"", std::int64_t{2}},  // half to even
      {"Qty", "\"3.5\"", std::int64_t{4}},
      {"Qty", "-32768", std::int64_t{-32768}},
      {"Qty", "True", std::int64_t{-1}},
      {"Qty", "40000", {}, "40000 is out of the column's range"},
      {"Qty", "\"12x\"", {}, "column 'Qty' (SmallInt): data type mismatch: '12x' is not a number"},
      {"Serial", "\"9223372036854775807\"", std::numeric_limits<std::int64_t>::max()},
      {"Serial", "\"-9223372036854775808\"", std::numeric_limits<std::int64_t>::min()},
      {"Weight", "\"1,234.5\"", 1234.5},
      {"Weight", "\"-1.5E-3\"", -0.0015},
      {"Weight", "\"1,23.5\"", {}, "column 'Weight'"},
      {"Weight", "\" \"", {}, "column 'Weight'"},
      {"Weight", "\"-Inf\"", -std::numeric_limits<double>::infinity()},
      {"Price", "\"0.1\"", exporting::CurrencyValue{1000}},
      {"Price", "\"1.00005\"", exporting::CurrencyValue{10000}},
      {"Price", "\"1.00015\"", exporting::CurrencyValue{10002}},
      {"Price", "\"1.000051\"", exporting::CurrencyValue{10001}},
      {"Price", "\"922337203685477.5807\"", exporting::CurrencyValue{9223372036854775807}},
      {"Price", "\"922337203685477.5808\"", {}, "out of the currency range"},
      {"Day", "\"31.12.2003\"", Day(2003, 12, 31)},
      {"Day", "\"31.12.2003 14:30:05\"", Day(2003, 12, 31, EncodeTime(14, 30, 5, 0))},
      {"Day", "\"14:30:05\"", exporting::DateTimeValue{EncodeTime(14, 30, 5, 0)}},
      {"Day", "\"2003-12-31T14:30:05\"", Day(2003, 12, 31, EncodeTime(14, 30, 5, 0))},
      {"Day", "37986", exporting::DateTimeValue{37986}},
      {"Day", "\"03/04/2005\"", Day(2005, 3, 4)},
      {"Day", "\"03/04/2005\"", Day(2005, 4, 3), "", true},
      {"Day", "\"31.13.2003\"", {}, "column 'Day' (Date)"},
      {"Day", "\"31.12.0099\"", Day(99, 12, 31)},  // the .mdb file keeps years 100 to 9999
      {"Day", "\"31.12.0000\"", {}, "column 'Day' (Date)"},
      {"Paid", "Yes", true},
      {"Paid", "\"on\"", true},
      {"Paid", "\"-1\"", true},
      {"Paid", "Off", false},
      {"Paid", "\"0\"", false},
      {"Paid", "NULL", std::monostate{}},  // the .mdb file's Yes/No column stores No
      {"Paid", "\"maybe\"", {}, "column 'Paid' (Boolean)"},
      {"Paid", "Maybe", {}, "column 'Paid': 'Maybe' is not a value"},
      {"Name", "-1.50", std::string("-1.50")},
      {"Name", "\"Zürich 123\"", std::string("Zürich 123")},  // sizes count characters
      {"Name", "\"eleven char\"", {}, "column 'Name' (Text(10)): data type mismatch: 'eleven char'"},
      {"Note", "\"" + std::string(300, 'x') + "\"", std::string(300, 'x')},
      {"Raw", "\"12345\"", {}, "column 'Raw'"},
  };
  return cases;
}

TEST(EngineDatabase, LiteralsConvertIntoTheirColumnsType) {
  harness::PrivateTempDir tmp;
  for (const Conversion& c : Conversions()) {
    SCOPED_TRACE(std::string(c.column) + " <- " + c.literal);
    exporting::JetDatabase db(tmp.File("t.mdb"));
    db.AddTable({"T",
                 {{"Name", AdoType::VarWChar, 10}, {"Qty", AdoType::SmallInt},
                  {"Serial", AdoType::BigInt}, {"Weight", AdoType::Double},
                  {"Price", AdoType::Currency}, {"Day", AdoType::Date},
                  {"Paid", AdoType::Boolean, 0, false}, {"Note", AdoType::LongVarWChar},
                  {"Raw", AdoType::VarBinary, 4}},
                 {}});
    exporting::SessionSettings settings;
    if (c.dayFirst) settings.datePatterns = {"dd/mm/yyyy"};
    const std::string error = harness::MessageOf([&] {
      db.Execute("INSERT INTO [T] ([" + std::string(c.column) + "]) VALUES (" + c.literal + ")", settings);
    });
    const exporting::Table& t = *db.FindTable("T");
    if (*c.error != '\0') {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      EXPECT_TRUE(t.rows.empty()) << "a refused statement adds no row";
    } else {
      EXPECT_EQ(error, "no error");
      std::size_t i = 0;
      while (t.columns[i].name != c.column) ++i;
      EXPECT_TRUE(t.rows.at(0)[i] == c.stored);
    }
  }
}

// Everything the engine refuses, with the words of its message: statements
// the SQL front end does not take, automation calls out of place, and
// database rules.
struct Refusal {
  const char* message;
  std::function<void(exporting::OleFactory&, exporting::JetDatabase&, const std::string&)> act;
};

TEST(EngineRefusals, NameWhatIsWrong) {
  using Obj = std::shared_ptr<IAutoObject>;
  auto open = [](exporting::OleFactory& com, const std::string& path, const char* user,
                 const char* password) {
    Obj c = com.CreateOleObject("ADODB.Connection");
    c->Put("Provider", "Microsoft.Jet.OLEDB.4.0"), c->Put("Username", user), c->Put("Password", password);
    c->Put("ConnectionString", "Data Source=\"" + path + "\"");
    c->Call("Open");
    return c;
  };
  auto create = [](exporting::OleFactory& com, const std::string& path) {
    Obj catalog = com.CreateOleObject("ADOX.Catalog");
    catalog->Call("Create", {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path});
    return catalog;
  };
  auto columns = [](exporting::OleFactory& com) { return com.CreateOleObject("ADOX.Table")->Get("Columns").ToObject(); };
  auto parse = [](const char* sql) {
    return [sql](exporting::OleFactory&, exporting::JetDatabase&, const std::string&) { exporting::sql::ParseStatement(sql); };
  };
  auto run = [](std::string sql) {
    return [sql](exporting::OleFactory&, exporting::JetDatabase& db, const std::string&) { db.Execute(sql, {}); };
  };
  auto size = [&](TVariant v) {  // a column size of `v`
    return [&columns, v](exporting::OleFactory& com, auto&, auto&) { columns(com)->Call("Append", {"A", 202.0, v}); };
  };
  auto catalog = [](std::string text) {  // a catalog created with connection string `text`
    return [text](exporting::OleFactory& com, auto&, auto&) { com.CreateOleObject("ADOX.Catalog")->Call("Create", {text}); };
  };
  const char* kInsert = "Jet engine: Syntax error in INSERT INTO statement";
  const std::vector<Refusal> cases = {
      {kInsert, parse("INSERT INTO [t] ([a]) VALUES (\"x\"")},
      {kInsert, parse("INSERT INTO [t] ([a] VALUES (1)")},
      {kInsert, parse("INSERT [t] ([a]) VALUES (1)")},
      {kInsert, parse("INSERT INTO [t] ([a]) VALUES (1); DROP TABLE t")},
      {kInsert, parse("INSERT INTO [t] ([a]) VALUES (-)")},
      {kInsert, parse("INSERT INTO [t] ([a]) VALUES (+)")},
      {kInsert, parse("INSERT INTO [] ([a]) VALUES (1)")},
      {"expected ',' or ')' in the value list at offset 32, found a number '2'.",
       parse("INSERT INTO [t] ([a]) VALUES (1 2)")},
      {"Syntax error in string in query expression '\"abc)'.", parse("INSERT INTO [t] ([a]) VALUES (\"abc)")},
      {"Syntax error in string", parse("INSERT INTO [t] ([a]) VALUES (\"x\"\")")},
      {"Invalid bracketing of name '[a) VALUES (1)'.", parse("INSERT INTO [t] ([a) VALUES (1)")},
      {"Invalid SQL statement; expected 'DELETE', 'INSERT'", parse("CREATE TABLE x (a int)")},
      {"Invalid SQL statement", parse("")},
      {"Syntax error in SELECT INTO statement", parse("SELECT * FROM [t]")},
      {"cannot find the output table 'Orders'.", run("INSERT INTO [Orders] ([Name]) VALUES (\"x\")")},
      {"unknown field name: 'Nmae'.", run("INSERT INTO [T] ([Nmae]) VALUES (\"x\")")},
      {"Number of query values and destination fields are not the same. (1 values for 2 fields)",
       run("INSERT INTO [T] ([Name], [B]) VALUES (\"x\")")},
      {"Duplicate output destination 'name'", run("INSERT INTO [T] ([Name], [name]) VALUES (\"x\", \"y\")")},
      {"cannot find the input table or query 'Nope'.",
       run("SELECT * INTO [x.dbf] IN \"/tmp/\"[dBase 5.0;] FROM [Nope]")},
      {"The field 'T.B' cannot contain a Null value", run("INSERT INTO [T] ([Name]) VALUES (\"x\")")},
      {"Table 't' already exists.",
       [](auto&, auto& db, auto&) { db.AddTable({"t", {{"A", AdoType::Integer}}, {}}); }},
      {"cannot create table 'Bad'",
       [](auto&, auto& db, auto&) { db.AddTable({"Bad", {{"A]", AdoType::Integer}}, {}}); }},
      {"cannot create table 'Empty'", [](auto&, auto& db, auto&) { db.AddTable({"Empty", {}, {}}); }},
      {"cannot create 'Excel.Application': Invalid class string",
       [](auto& com, auto&, auto&) { com.CreateOleObject("Excel.Application"); }},
      {"ADOX.Table: unknown member 'Refresh' (method)",
       [](auto& com, auto&, auto&) { com.CreateOleObject("adox.table")->Call("Refresh"); }},
      {"ADODB.Connection: unknown member 'Refresh' (method)", [](auto& com, auto&, auto&) { com.CreateOleObject("ADODB.Connection")->Call("Refresh"); }},
      {"ADODB.Connection: 'Execute' takes 1 to 3 arguments, not 0",
       [](auto& com, auto&, auto&) { com.CreateOleObject("ADODB.Connection")->Call("Execute"); }},
      {"Operation is not allowed when the object is closed. (Execute)",
       [](auto& com, auto&, auto&) {
         com.CreateOleObject("ADODB.Connection")->Call("Execute", {"INSERT INTO [T] VALUES (1)"});
       }},
      {"column 'A': 99 is not a data type",
       [&](auto& com, auto&, auto&) { columns(com)->Call("Append", {"A", 99}); }},
      {"size -1 is out of range",
       [&](auto& com, auto&, auto&) { columns(com)->Call("Append", {"A", 202, -1}); }},
      {"the column type must be a whole number",
       [&](auto& com, auto&, auto&) { columns(com)->Call("Append", {"A", "202"}); }},
      {"Object is already in collection",
       [&](auto& com, auto&, auto&) {
         Obj c = columns(com);
         c->Call("Append", {"A", 202}), c->Call("Append", {"a", 3});
       }},
      {"Item cannot be found in the collection",
       [&](auto& com, auto&, auto&) { columns(com)->Get("Item", {1}); }},
      {"Item cannot be found in the collection", [&](auto& com, auto&, auto&) { columns(com)->Get("Item", {"Z"}); }},
      {"attributes 4 are not 1 (fixed), 2 (nullable) or both",
       [&](auto& com, auto&, auto&) {
         Obj c = columns(com);
         c->Call("Append", {"A", 202}), c->Get("Item", {0}).ToObject()->Put("Attributes", 4);
       }},
      {"call Create first", [](auto& com, auto&, auto&) { com.CreateOleObject("ADOX.Catalog")->Get("Tables"); }},
      {"the column size must be a whole number, not Double 2.5", size(2.5)}, {"not Boolean True", size(true)},
      {"not Null Null", size(TVariant::Null())}, {"not Date #1.5#", size(TVariant::FromDate(1.5))},
      {"not Array Byte <2 bytes>", size(std::vector<std::uint8_t>{1, 2})}, {"not Empty Empty", size({})},
      {"unknown property 'Colour'", catalog(";Provider=Microsoft.Jet.OLEDB.4.0;; User ID=Admin;Password='it''s' ;"
                                            "Mode=1;Persist Security Info=0;Jet OLEDB:Engine Type=5;Colour=red")},
      {"a pair without '='", catalog("Provider=Microsoft.Jet.OLEDB.4.0;Data Source")},
      {"a quoted value is not closed", catalog("Data Source=\"x.mdb")},
      {"text after a quoted value", catalog("Data Source=\"x\" y")},
      {"options after 'dBase 5.0;' are not supported", run("SELECT * INTO [x] IN \"\"[dBase 5.0;HDR=NO] FROM [T]")},
      {"names no format the engine writes", run("SELECT * INTO [x] IN \"\"[Lotus WK1;] FROM [T]")},
      {"the IN clause names no workbook", run("SELECT * INTO [x] IN \"\"[Excel 8.0;] FROM [T]")},
      {"is not a valid table name", run("SELECT * INTO [..] IN \"\"[Paradox 7.X;] FROM [T]")},
      {"is not a valid table name", run("SELECT * INTO [a\\b] IN \"\"[Paradox 4.X;] FROM [T]")},
      {"Table 'CMakeLists.txt' already exists", run("SELECT * INTO [CMakeLists.txt] IN \"" ZYL_SOURCE_DIR "\"[Paradox 5.X;] FROM [T]")},
      {"has no column the target format can hold", [](auto&, exporting::JetDatabase& db, auto&) {
         db.AddTable({"M", {{"A", AdoType::LongVarWChar}}, {}}), db.Execute("SELECT * INTO [m] IN \"\"[dBase IV;] FROM [M]", {});
       }},
      {"Append takes an ADOX.Table object",
       [&](auto& com, auto&, auto& path) { create(com, path)->Get("Tables").ToObject()->Call("Append", {"T"}); }},
      {"cannot be changed",
       [&](auto& com, auto&, auto& path) {
         Obj table = com.CreateOleObject("ADOX.Table");
         table->Put("Name", "T");
         table->Get("Columns").ToObject()->Call("Append", {"A", 3});
         create(com, path)->Get("Tables").ToObject()->Call("Append", {table});
         table->Get("Columns").ToObject()->Call("Append", {"B", 3});
       }},
      {"is open",
       [&](auto& com, auto&, auto& path) {
         create(com, path);
         Obj connection = open(com, path, "Admin", "");
         EXPECT_EQ(connection->Get("State").ToInt64(), 1);
         connection->Call("Open");
       }},
      {"Object is already in collection. Cannot append. (table 'T')",
       [&](auto& com, auto&, auto& path) {
         Obj table = com.CreateOleObject("ADOX.Table"), tables = create(com, path)->Get("Tables").ToObject();
         table->Put("Name", "T"), table->Get("Columns").ToObject()->Call("Append", {"A", 3});
         tables->Call("Append", {table});
         EXPECT_EQ(tables->Get("Count").ToInt64(), 1);
         EXPECT_EQ(table->Get("Name").ToString(), "T");
         tables->Call("Append", {table});
       }},
      {"Provider cannot be found",
       [](auto& com, auto&, auto&) {
         com.CreateOleObject("ADOX.Catalog")->Call("Create", {"Provider=SQLOLEDB;Data Source=x"});
       }},
      {"already exists", [&](auto& com, auto&, auto& path) { create(com, path), create(com, path); }},
      {"Could not find file", [&](auto& com, auto&, auto& path) { open(com, path, "Admin", ""); }},
      {"opens only the databases it created in this session",
       [&](auto& com, auto&, auto& path) {
         exporting::OleFactory other;
         create(other, path);
         open(com, path, "Admin", "");
       }},
      {"Not a valid account name or password",
       [&](auto& com, auto&, auto& path) { create(com, path), open(com, path, "Guest", ""); }},
      {"Not a valid account name or password",
       [&](auto& com, auto&, auto& path) { create(com, path), open(com, path, "Admin", "secret"); }},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.message);
    harness::PrivateTempDir tmp;
    exporting::JetDatabase db(tmp.File("engine.mdb"));
    db.AddTable({"T", {{"Name", AdoType::VarWChar, 10}, {"B", AdoType::Integer, 0, false}}, {}});
    exporting::OleFactory com;
    const std::string message = harness::MessageOf([&] { c.act(com, db, tmp.File("db.mdb")); });
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace zyl
