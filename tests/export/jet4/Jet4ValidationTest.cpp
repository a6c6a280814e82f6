// What the Access writer refuses, and that it refuses it before a single
// byte reaches the sink; failures of the sink itself propagate.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "export/jet4/Jet4Writer.h"

namespace {

using namespace zyl::exporting;
using ::testing::HasSubstr;

Table OneColumn(const std::string& tableName, Column column, std::vector<Value> values = {}) {
  Table t;
  t.name = tableName;
  t.columns = {std::move(column)};
  for (Value& v : values) t.rows.push_back({std::move(v)});
  return t;
}

// Writes `t`, expects a zyl::Exception whose message holds `fragment`, and
// that nothing was written.
void ExpectRefused(const Table& t, const std::string& fragment) {
  zyl::MemorySink sink;
  try {
    WriteJet4Database(std::vector<Table>{t}, sink);
    ADD_FAILURE() << "accepted; expected an error with '" << fragment << "'";
  } catch (const zyl::Exception& e) {
    EXPECT_THAT(e.Message(), HasSubstr("Access writer: "));
    EXPECT_THAT(e.Message(), HasSubstr(fragment));
  }
  EXPECT_TRUE(sink.Bytes().empty()) << fragment;
}

TEST(Jet4Validation, TableNamesAccessDoesNotAllowAreRefused) {
  const Column c{"A", AdoType::Integer};
  for (const char* name : {"a.b", "a!b", "a`b", "a[b", "a]b"}) {
    ExpectRefused(OneColumn(name, c), "which Access does not allow in names");
  }
  ExpectRefused(OneColumn(" lead", c), "starts with a space");
  ExpectRefused(OneColumn("tab\there", c), "control character");
  ExpectRefused(OneColumn("", c), "is empty");
  ExpectRefused(OneColumn(std::string(65, 'x'), c), "longer than 64 characters");
  ExpectRefused(OneColumn("a\"b", c), "not allow in table names");
  ExpectRefused(OneColumn("MSysMine", c), "reserved");
  ExpectRefused(OneColumn("msysOther", c), "reserved");
  ExpectRefused(OneColumn("bad\xC3", c), "not valid UTF-8");
  // Names whose catalog index key the writer cannot build.
  ExpectRefused(OneColumn("Tab-le", c), "'-' is not supported in table names");
  ExpectRefused(OneColumn("O'Brien", c), "is not supported in table names");
  ExpectRefused(OneColumn("Zürich", c), "is not supported in table names");

  EXPECT_NO_THROW(ValidateJet4Table(OneColumn("Orders 2024 (#1) & $_", c)));
  EXPECT_NO_THROW(ValidateJet4Table(OneColumn(std::string(64, 'x'), c)));
}

TEST(Jet4Validation, ColumnNamesWithBlanksAndNonAsciiLettersAreKept) {
  Table t;
  t.name = "ExportTable";
  for (const char* name : {"Unit Price", "Größe", "名前", "COLUMN 0", "it's-a #name", "Ω"}) {
    t.columns.push_back({name, AdoType::VarWChar});
  }
  t.columns.push_back({std::string(64, 'c'), AdoType::VarWChar});
  EXPECT_NO_THROW(ValidateJet4Table(t));
  // 64 characters count as UTF-16 units: 64 non-ASCII letters are fine too.
  std::string umlauts;
  for (int i = 0; i < 64; ++i) umlauts += "ä";
  EXPECT_NO_THROW(ValidateJet4Table(OneColumn("T", {umlauts, AdoType::Integer})));
}

TEST(Jet4Validation, ColumnNamesAccessDoesNotAllowAreRefused) {
  for (const char* name : {"[Price]", "a.b", "Hello!", "back`tick"}) {
    ExpectRefused(OneColumn("T", {name, AdoType::Integer}), "which Access does not allow");
  }
  ExpectRefused(OneColumn("T", {" x", AdoType::Integer}), "starts with a space");
  ExpectRefused(OneColumn("T", {"", AdoType::Integer}), "column name '' is empty");
  ExpectRefused(OneColumn("T", {"a\nb", AdoType::Integer}), "control character");
  ExpectRefused(OneColumn("T", {std::string(65, 'c'), AdoType::Integer}), "longer than 64");

  Table dup;
  dup.name = "T";
  dup.columns = {
      {"Größe", AdoType::Integer}, {"GRÖSSE", AdoType::Integer}, {"größe", AdoType::VarWChar}};
  ExpectRefused(dup, "two columns named 'größe'");
}

TEST(Jet4Validation, TypesWithoutAJet4ColumnAreRefused) {
  ExpectRefused(OneColumn("T", {"Big", AdoType::BigInt}), "column 'Big': type BigInt (20)");
  ExpectRefused(OneColumn("T", {"E", AdoType::Empty}), "column 'E': type Empty (0)");
  ExpectRefused(OneColumn("T", {"Err", AdoType::Error}), "column 'Err': type Error (10)");
  ExpectRefused(OneColumn("T", {"X", static_cast<AdoType>(72)}), "unknown ADO type code 72");
  ExpectRefused(OneColumn("T", {"S", AdoType::VarWChar, -1}), "negative size");
}

TEST(Jet4Validation, TableShapeLimits) {
  Table none;
  none.name = "T";
  ExpectRefused(none, "has no columns");

  Table wide;
  wide.name = "T";
  for (int i = 0; i < 256; ++i)
    wide.columns.push_back({"c" + std::to_string(i), AdoType::SmallInt});
  ExpectRefused(wide, "has 256 columns; Jet 4 allows 255");

  Table memos;
  memos.name = "T";
  for (int i = 0; i < 28; ++i)
    memos.columns.push_back({"m" + std::to_string(i), AdoType::LongVarWChar});
  ExpectRefused(memos, "28 memo/OLE columns");

  Table ragged = OneColumn("T", {"A", AdoType::Integer});
  ragged.rows = {{std::int64_t{1}}, {std::int64_t{1}, std::int64_t{2}}};
  ExpectRefused(ragged, "row 2 has 2 values for 1 columns");

  zyl::MemorySink sink;
  const std::vector<Table> twice = {OneColumn("Same", {"A", AdoType::Integer}),
                                    OneColumn("SAME", {"A", AdoType::Integer})};
  EXPECT_THROW(WriteJet4Database(twice, sink), zyl::Exception);
  EXPECT_TRUE(sink.Bytes().empty());
}

TEST(Jet4Validation, ValuesThatDoNotFitTheirColumnAreRefusedBeforeWriting) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ExpectRefused(OneColumn("T", {"S", AdoType::SmallInt}, {std::int64_t{40000}}),
                "row 1 column 'S': value 40000 does not fit Integer (-32768 to 32767)");
  ExpectRefused(OneColumn("T", {"L", AdoType::Integer}, {std::int64_t{1}, std::int64_t{1} << 31}),
                "row 2 column 'L': value 2147483648 does not fit Long Integer");
  ExpectRefused(OneColumn("T", {"D", AdoType::Double}, {nan}), "not a finite number");
  ExpectRefused(OneColumn("T", {"D", AdoType::Double}, {std::numeric_limits<double>::infinity()}),
                "not a finite number");
  ExpectRefused(OneColumn("T", {"W", AdoType::Date}, {DateTimeValue{3e6}}),
                "outside the years 100 to 9999");
  ExpectRefused(OneColumn("T", {"W", AdoType::Date}, {DateTimeValue{nan}}),
                "outside the years 100 to 9999");
  ExpectRefused(OneColumn("T", {"Txt", AdoType::VarWChar, 3}, {std::string("abcd")}),
                "text of 4 characters does not fit Text(3)");
  ExpectRefused(OneColumn("T", {"Txt", AdoType::VarWChar, 3}, {std::string("ab😀")}),
                "text of 4 characters");
  ExpectRefused(OneColumn("T", {"Txt", AdoType::VarWChar}, {std::string("\xC3\x28")}),
                "text is not valid UTF-8");
  ExpectRefused(OneColumn("T", {"Memo", AdoType::LongVarWChar}, {std::string("\xFF")}),
                "text is not valid UTF-8");
  ExpectRefused(OneColumn("T", {"Bin", AdoType::Binary, 2}, {Bytes{1, 2, 3}}),
                "3 bytes do not fit Binary(2)");
  ExpectRefused(OneColumn("T", {"N", AdoType::Integer}, {std::string("12")}),
                "column 'N': expects an integer, got a text");
  ExpectRefused(OneColumn("T", {"B", AdoType::Boolean, 0, false}, {std::int64_t{1}}),
                "expects a Boolean, got an integer");
  ExpectRefused(OneColumn("T", {"M", AdoType::LongVarBinary}, {std::string("x")}),
                "expects binary data, got a text");
  ExpectRefused(OneColumn("T", {"N", AdoType::Integer, 0, false}, {Value{}}),
                "does not accept NULL");
  ExpectRefused(OneColumn("T", {"Big", AdoType::LongVarBinary}, {Bytes(std::size_t{1} << 24)}),
                "exceeds the 16 MB");

  Table tooWide;
  tooWide.name = "T";
  std::vector<Value> row;
  for (int i = 0; i < 16; ++i) {
    tooWide.columns.push_back({"t" + std::to_string(i), AdoType::VarWChar});
    row.push_back(std::string(255, 'x'));
  }
  tooWide.rows = {row};
  ExpectRefused(tooWide, "a Jet 4 row holds at most 4060");
}

TEST(Jet4Validation, SinkFailuresPropagate) {
  Table t = OneColumn("T", {"A", AdoType::VarWChar}, {std::string("x")});
  for (std::size_t limit : {std::size_t{0}, std::size_t{4096}, std::size_t{50000}}) {
    zyl::FailingSink sink(limit);
    EXPECT_THROW(WriteJet4Database(std::vector<Table>{t}, sink), zyl::EInOutError) << limit;
  }
}

TEST(Jet4Validation, SameInputGivesTheSameBytes) {
  const Table t = OneColumn("T", {"A", AdoType::LongVarWChar}, {std::string(5000, 'm')});
  Jet4WriteOptions options;
  options.created = 45000.25;
  zyl::MemorySink a;
  zyl::MemorySink b;
  WriteJet4Database(std::vector<Table>{t}, a, options);
  WriteJet4Database(std::vector<Table>{t}, b, options);
  EXPECT_EQ(a.Bytes(), b.Bytes());
  EXPECT_EQ(a.Bytes().size() % 4096, 0u);
}

}  // namespace
