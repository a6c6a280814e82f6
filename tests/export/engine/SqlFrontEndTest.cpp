// The SQL front end: the statement forms the export issues are read, and
// anything else is refused with the database engine's wording.
#include <gtest/gtest.h>

#include <variant>

#include "export/engine/EngineError.h"
#include "export/engine/SqlParser.h"

namespace zyl::exporting::sql {
namespace {

using Kind = Literal::Kind;

std::string ErrorOf(std::string_view command) {
  try {
    ParseStatement(command);
  } catch (const EOleException& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(SqlParser, ReadsTheExportInsertWithEveryKindOfValue) {
  const Statement st = ParseStatement(
      "INSERT INTO [ExportTable] ([Name], [Order No], [Paid], [Price], [Note], [Flag]) VALUES "
      "(\"say \"\"hi\"\"\", \"12\", True , -1.5, NULL, -1 );");
  const auto& insert = std::get<InsertStatement>(st);
  EXPECT_EQ(insert.table, "ExportTable");
  EXPECT_EQ(insert.columns,
            (std::vector<std::string>{"Name", "Order No", "Paid", "Price", "Note", "Flag"}));
  ASSERT_EQ(insert.values.size(), 6u);
  EXPECT_EQ(insert.values[0].kind, Kind::String);
  EXPECT_EQ(insert.values[0].text, "say \"hi\"");
  EXPECT_EQ(insert.values[1].kind, Kind::String);
  EXPECT_EQ(insert.values[2].kind, Kind::Word);
  EXPECT_EQ(insert.values[2].text, "True");
  EXPECT_EQ(insert.values[3].kind, Kind::Number);
  EXPECT_EQ(insert.values[3].text, "-1.5");
  EXPECT_EQ(insert.values[4].kind, Kind::Null);
  EXPECT_EQ(insert.values[5].text, "-1");
}

TEST(SqlParser, KeywordsIgnoreCaseAndSemicolonIsOptional) {
  const auto insert =
      std::get<InsertStatement>(ParseStatement("insert Into t values ('it''s', null, +3)"));
  EXPECT_EQ(insert.table, "t");
  EXPECT_TRUE(insert.columns.empty());
  EXPECT_EQ(insert.values[0].text, "it's");
  EXPECT_EQ(insert.values[1].kind, Kind::Null);
  EXPECT_EQ(insert.values[2].text, "3");
}

TEST(SqlParser, ReadsTheThreeCopyForms) {
  const auto excel = std::get<SelectIntoStatement>(ParseStatement(
      "Select * INTO [ExportTable] IN \"/tmp/x.xls\"[Excel 8.0;] FROM [ExportTable]"));
  EXPECT_EQ(excel.target, "ExportTable");
  EXPECT_EQ(excel.database, "/tmp/x.xls");
  EXPECT_EQ(excel.connect, "Excel 8.0;");
  EXPECT_EQ(excel.source, "ExportTable");
  const auto dbf = std::get<SelectIntoStatement>(
      ParseStatement("SELECT * into [report.dbf] in \"D/\"[dBase 5.0;] from [ExportTable];"));
  EXPECT_EQ(dbf.target, "report.dbf");
  EXPECT_EQ(dbf.database, "D/");
  const auto px = std::get<SelectIntoStatement>(
      ParseStatement("Select * INTO [report.db] IN \"D/\"[Paradox 7.X;] FROM [ExportTable]"));
  EXPECT_EQ(px.connect, "Paradox 7.X;");
}

TEST(SqlParser, MalformedInsertStatementsAreSyntaxErrors) {
  const char* kInsertError = "Jet engine: Syntax error in INSERT INTO statement";
  // Missing closing parenthesis of the value list.
  EXPECT_NE(ErrorOf("INSERT INTO [t] ([a]) VALUES (\"x\"").find(kInsertError), std::string::npos);
  // Missing parenthesis after the column list.
  EXPECT_NE(ErrorOf("INSERT INTO [t] ([a] VALUES (1)").find(kInsertError), std::string::npos);
  // Wrong keyword.
  EXPECT_NE(ErrorOf("INSERT INTO [t] ([a]) VALUE (1)").find(kInsertError), std::string::npos);
  EXPECT_NE(ErrorOf("INSERT [t] ([a]) VALUES (1)").find(kInsertError), std::string::npos);
  // Two values without a comma, and text after the statement.
  EXPECT_NE(ErrorOf("INSERT INTO [t] ([a]) VALUES (1 2)").find(kInsertError), std::string::npos);
  EXPECT_NE(ErrorOf("INSERT INTO [t] ([a]) VALUES (1); DROP TABLE t").find(kInsertError),
            std::string::npos);
  // A sign without a number, an empty name.
  EXPECT_NE(ErrorOf("INSERT INTO [t] ([a]) VALUES (-)").find(kInsertError), std::string::npos);
  EXPECT_NE(ErrorOf("INSERT INTO [] ([a]) VALUES (1)").find(kInsertError), std::string::npos);
}

TEST(SqlParser, ErrorsSayWhereAndWhat) {
  EXPECT_EQ(ErrorOf("INSERT INTO [t] ([a]) VALUES (1 2)"),
            "Jet engine: Syntax error in INSERT INTO statement: expected ',' or ')' in the value "
            "list at offset 32, found a number '2'.");
}

TEST(SqlParser, UnterminatedStringsAndNamesAreRefused) {
  EXPECT_EQ(ErrorOf("INSERT INTO [t] ([a]) VALUES (\"abc)"),
            "Jet engine: Syntax error in string in query expression '\"abc)'.");
  EXPECT_EQ(ErrorOf("INSERT INTO [t] ([a) VALUES (1)"),
            "Jet engine: Invalid bracketing of name '[a) VALUES (1)'.");
  // A doubled quote at the very end does not close the string.
  EXPECT_NE(ErrorOf("INSERT INTO [t] ([a]) VALUES (\"x\"\")").find("Syntax error in string"),
            std::string::npos);
}

TEST(SqlParser, OtherStatementsAreRefused) {
  const std::string invalid =
      "Jet engine: Invalid SQL statement; expected 'DELETE', 'INSERT', "
      "'PROCEDURE', 'SELECT', or 'UPDATE'.";
  EXPECT_EQ(ErrorOf("DELETE FROM [t]"), invalid);
  EXPECT_EQ(ErrorOf(""), invalid);
  EXPECT_EQ(ErrorOf("CREATE TABLE x (a int)"), invalid);
  const char* kSelectError = "Jet engine: Syntax error in SELECT INTO statement";
  EXPECT_NE(ErrorOf("SELECT * FROM [t]").find(kSelectError), std::string::npos);
  EXPECT_NE(ErrorOf("SELECT a INTO [x] IN \"d/\"[dBase 5.0;] FROM [t]").find(kSelectError),
            std::string::npos);
  // The IN clause needs both the path in quotes and the type in brackets.
  EXPECT_NE(ErrorOf("SELECT * INTO [x] IN [dBase 5.0;] FROM [t]").find(kSelectError),
            std::string::npos);
  EXPECT_NE(ErrorOf("SELECT * INTO [x] IN \"d/\" FROM [t]").find(kSelectError), std::string::npos);
}

}  // namespace
}  // namespace zyl::exporting::sql
