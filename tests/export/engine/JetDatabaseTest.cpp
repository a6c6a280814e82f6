// The engine's database: INSERT semantics (names, counts, NULLs) and the
// conversion of values into column types, checked on the rows it keeps.
#include <gtest/gtest.h>

#include <cmath>

#include "export/engine/EngineError.h"
#include "export/engine/JetDatabase.h"
#include "export/engine/JetStorage.h"
#include "tests/export/engine/EngineTestSupport.h"

namespace zyl::exporting {
namespace {

using enginetest::ScopedTempDir;

Column Col(const char* name, AdoType type, int size = 0, bool nullable = true) {
  return Column{name, type, size, nullable};
}

class JetDatabaseTest : public ::testing::Test {
 protected:
  JetDatabaseTest() : db_(tmp_.File("test.mdb")) {
    db_.WriteFile();
    db_.AddTable(Table{"T",
                       {Col("Name", AdoType::VarWChar, 10), Col("Qty", AdoType::SmallInt),
                        Col("Serial", AdoType::BigInt), Col("Weight", AdoType::Double),
                        Col("Price", AdoType::Currency), Col("Day", AdoType::Date),
                        Col("Paid", AdoType::Boolean, 0, false), Col("Note", AdoType::LongVarWChar),
                        Col("Raw", AdoType::VarBinary, 4)},
                       {}});
  }

  long Run(const std::string& sql) { return db_.Execute(sql, settings_); }
  std::string ErrorOf(const std::string& sql) {
    try {
      Run(sql);
    } catch (const EOleException& e) {
      return e.Message();
    }
    return "(no error)";
  }
  // The value that `literal` becomes in column `column`.
  Value Stored(const std::string& column, const std::string& literal) {
    Run("INSERT INTO [T] ([" + column + "]) VALUES (" + literal + ")");
    const Table& t = *db_.FindTable("T");
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
      if (t.columns[c].name == column) return t.rows.back()[c];
    }
    return {};
  }
  static bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  ScopedTempDir tmp_;
  JetDatabase db_;
  RegionalSettings settings_;
};

TEST_F(JetDatabaseTest, NamesAndCountsAreChecked) {
  EXPECT_EQ(ErrorOf("INSERT INTO [Orders] ([Name]) VALUES (\"x\")"),
            "Jet engine: The engine cannot find the output table 'Orders'.");
  EXPECT_EQ(ErrorOf("INSERT INTO [T] ([Nmae]) VALUES (\"x\")"),
            "Jet engine: The INSERT INTO statement contains the following unknown field name: "
            "'Nmae'.");
  EXPECT_EQ(ErrorOf("INSERT INTO [T] ([Name], [Qty]) VALUES (\"x\")"),
            "Jet engine: Number of query values and destination fields are not the same. (1 "
            "values for 2 fields)");
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Name], [name]) VALUES (\"x\", \"y\")"),
                       "Duplicate output destination 'name'"));
  EXPECT_EQ(ErrorOf("SELECT * INTO [x.dbf] IN \"" + tmp_.Dir() + "\"[dBase 5.0;] FROM [Nope]"),
            "Jet engine: The engine cannot find the input table or query 'Nope'.");
  EXPECT_TRUE(db_.FindTable("T")->rows.empty());
  // Names ignore case; a statement adds one row.
  EXPECT_EQ(Run("insert into [t] ([NAME]) values (\"x\")"), 1);
  EXPECT_EQ(db_.FindTable("T")->rows.size(), 1u);
}

TEST_F(JetDatabaseTest, ValuesWithoutColumnListFillEveryColumnInOrder) {
  Run("INSERT INTO [T] VALUES (\"a\", 1, 2, 3, 4, 5, True, \"n\", \"r\")");
  const auto& row = db_.FindTable("T")->rows.at(0);
  EXPECT_EQ(row[0], Value{std::string("a")});
  EXPECT_EQ(row[6], Value{true});
}

TEST_F(JetDatabaseTest, ConversionErrorsNameTheColumnAndAddNoRow) {
  const std::string message = ErrorOf("INSERT INTO [T] ([Name], [Qty]) VALUES (\"ok\", \"12x\")");
  EXPECT_EQ(message,
            "Jet engine: column 'Qty' (SmallInt): data type mismatch: '12x' is not a number");
  EXPECT_TRUE(
      Contains(ErrorOf("INSERT INTO [T] ([Qty]) VALUES (40000)"),
               "column 'Qty' (SmallInt): data type mismatch: 40000 is out of the column's range"));
  EXPECT_TRUE(
      Contains(ErrorOf("INSERT INTO [T] ([Day]) VALUES (\"31.13.2003\")"), "column 'Day' (Date)"));
  EXPECT_TRUE(
      Contains(ErrorOf("INSERT INTO [T] ([Paid]) VALUES (\"maybe\")"), "column 'Paid' (Boolean)"));
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Paid]) VALUES (Maybe)"),
                       "column 'Paid': 'Maybe' is not a value"));
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Name]) VALUES (\"eleven char\")"),
                       "column 'Name' (Text(10)): data type mismatch: 'eleven char' does not fit"));
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Raw]) VALUES (\"12345\")"), "column 'Raw'"));
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Price]) VALUES (\"1e300\")"),
                       "column 'Price' (Currency)"));
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Weight]) VALUES (\" \")"), "column 'Weight'"));
  EXPECT_TRUE(db_.FindTable("T")->rows.empty());
}

TEST_F(JetDatabaseTest, NumbersConvertFromTextAsAnEngineWould) {
  EXPECT_EQ(Stored("Qty", "\" 12 \""), Value{std::int64_t{12}});
  EXPECT_EQ(Stored("Qty", "\"2.5\""), Value{std::int64_t{2}});  // half to even
  EXPECT_EQ(Stored("Qty", "\"3.5\""), Value{std::int64_t{4}});
  EXPECT_EQ(Stored("Qty", "-32768"), Value{std::int64_t{-32768}});
  EXPECT_EQ(Stored("Qty", "True"), Value{std::int64_t{-1}});
  // Whole numbers are read exactly, beyond the 53 bits of a double.
  EXPECT_EQ(Stored("Serial", "\"9223372036854775807\""), Value{std::int64_t{9223372036854775807}});
  EXPECT_EQ(Stored("Serial", "\"-9223372036854775808\""),
            Value{std::numeric_limits<std::int64_t>::min()});
  EXPECT_EQ(Stored("Weight", "\"1,234.5\""), Value{1234.5});
  EXPECT_EQ(Stored("Weight", "\"-1.5E-3\""), Value{-0.0015});
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Weight]) VALUES (\"1,23.5\")"), "'Weight'"));
  // Currency is exact to four decimals, the fifth rounded half to even.
  EXPECT_EQ(Stored("Price", "\"0.1\""), Value{CurrencyValue{1000}});
  EXPECT_EQ(Stored("Price", "\"1.00005\""), Value{CurrencyValue{10000}});
  EXPECT_EQ(Stored("Price", "\"1.00015\""), Value{CurrencyValue{10002}});
  EXPECT_EQ(Stored("Price", "\"1.000051\""), Value{CurrencyValue{10001}});
  EXPECT_EQ(Stored("Price", "\"922337203685477.5807\""), Value{CurrencyValue{9223372036854775807}});
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Price]) VALUES (\"922337203685477.5808\")"),
                       "out of the currency range"));
}

TEST_F(JetDatabaseTest, DatesConvertFromTheCommonForms) {
  const double day = EncodeDate(2003, 12, 31);
  const double time = EncodeTime(14, 30, 5, 0);
  EXPECT_EQ(Stored("Day", "\"31.12.2003\""), Value{DateTimeValue{day}});
  EXPECT_EQ(Stored("Day", "\"31.12.2003 14:30:05\""), Value{DateTimeValue{day + time}});
  EXPECT_EQ(Stored("Day", "\"14:30:05\""), Value{DateTimeValue{time}});
  EXPECT_EQ(Stored("Day", "\"2003-12-31\""), Value{DateTimeValue{day}});
  EXPECT_EQ(Stored("Day", "\"2003-12-31T14:30:05\""), Value{DateTimeValue{day + time}});
  EXPECT_EQ(Stored("Day", "37986"), Value{DateTimeValue{37986}});
  EXPECT_TRUE(Contains(ErrorOf("INSERT INTO [T] ([Day]) VALUES (\"31.12.0099\")"),
                       "outside the years 100 to 9999"));
}

TEST_F(JetDatabaseTest, DatesFollowTheRegionalPatternsFirst) {
  // 03/04/2005 is 4 March in the common slash form (month first); the
  // host's day-first pattern reads it as 3 April.
  EXPECT_EQ(Stored("Day", "\"03/04/2005\""), Value{DateTimeValue{EncodeDate(2005, 3, 4)}});
  settings_.datePatterns = {"dd/mm/yyyy"};
  EXPECT_EQ(Stored("Day", "\"03/04/2005\""), Value{DateTimeValue{EncodeDate(2005, 4, 3)}});
}

TEST_F(JetDatabaseTest, BooleansAcceptTheWordsAndNumbersTheExportSends) {
  for (const char* yes : {"True", "true", "-1", "1", "Yes", "\"True\"", "\"on\"", "\"-1\""}) {
    EXPECT_EQ(Stored("Paid", yes), Value{true}) << yes;
  }
  for (const char* no : {"False", "FALSE", "0", "No", "\"False\"", "\"0\"", "Off"}) {
    EXPECT_EQ(Stored("Paid", no), Value{false}) << no;
  }
}

TEST_F(JetDatabaseTest, NullIsFalseInBooleanColumnsAndRefusedWhereNotNullable) {
  Run("INSERT INTO [T] ([Name], [Paid]) VALUES (NULL, NULL)");
  const auto& row = db_.FindTable("T")->rows.at(0);
  EXPECT_EQ(row[0], Value{});
  EXPECT_EQ(row[6], Value{false});  // Yes/No columns hold no NULL
  db_.AddTable(
      Table{"Strict", {Col("A", AdoType::Integer, 0, false), Col("B", AdoType::Integer)}, {}});
  EXPECT_EQ(ErrorOf("INSERT INTO [Strict] ([B]) VALUES (1)"),
            "Jet engine: The field 'Strict.A' cannot contain a Null value because it is not "
            "nullable.");
}

TEST_F(JetDatabaseTest, TextTakesNumbersAndWordsAsWritten) {
  EXPECT_EQ(Stored("Name", "-1.50"), Value{std::string("-1.50")});
  EXPECT_EQ(Stored("Name", "True"), Value{std::string("True")});
  // Sizes count characters, not bytes.
  EXPECT_EQ(Stored("Name", "\"Zürich 123\""), Value{std::string("Zürich 123")});
  EXPECT_EQ(Stored("Note", "\"" + std::string(300, 'x') + "\""), Value{std::string(300, 'x')});
}

TEST_F(JetDatabaseTest, TablesAreCheckedWhenAdded) {
  auto errorOf = [&](Table t) {
    try {
      db_.AddTable(std::move(t));
    } catch (const EOleException& e) {
      return e.Message();
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(errorOf(Table{"t", {Col("A", AdoType::Integer)}, {}}),
            "Jet engine: Table 't' already exists.");
  EXPECT_TRUE(Contains(errorOf(Table{"Empty", {}, {}}), "cannot create table 'Empty'"));
  EXPECT_TRUE(Contains(errorOf(Table{"Bad", {Col("A]", AdoType::Integer)}, {}}),
                       "cannot create table 'Bad'"));
  EXPECT_TRUE(Contains(errorOf(Table{"Unknown", {Col("A", AdoType::Empty)}, {}}),
                       "cannot create table 'Unknown'"));
  EXPECT_EQ(db_.TableCount(), 1u);
}

TEST(JetStorage, BigIntIsStoredAsDoubleWhileExactOtherwiseAsText) {
  Table small{"T", {Col("N", AdoType::BigInt)}, {{std::int64_t{1} << 53}, {Value{}}}};
  Table stored = JetStorageTable(small);
  EXPECT_EQ(stored.columns[0].type, AdoType::Double);
  EXPECT_EQ(stored.rows[0][0], Value{9007199254740992.0});
  EXPECT_EQ(stored.rows[1][0], Value{});

  Table big{"T", {Col("N", AdoType::BigInt)}, {{std::int64_t{1}}, {(std::int64_t{1} << 53) + 1}}};
  stored = JetStorageTable(big);
  EXPECT_EQ(stored.columns[0].type, AdoType::VarWChar);
  EXPECT_EQ(stored.rows[0][0], Value{std::string("1")});
  EXPECT_EQ(stored.rows[1][0], Value{std::string("9007199254740993")});
}

TEST(JetStorage, UnsizedTextLongerThanJetTextBecomesMemo) {
  Table t{"T",
          {Col("A", AdoType::VarWChar), Col("B", AdoType::VarWChar)},
          {{std::string(255, 'a'), std::string(256, 'b')}}};
  const Table stored = JetStorageTable(t);
  EXPECT_EQ(stored.columns[0].size, 0);    // Text(255)
  EXPECT_EQ(stored.columns[1].size, 256);  // stored as Memo by the Access writer
}

}  // namespace
}  // namespace zyl::exporting
