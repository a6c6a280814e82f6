// Round trips: databases written by the Access writer, read back by two
// independent readers (mdbtools and mdb-reader), compared cell by cell.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "export/jet4/Jet4Readers.h"
#include "export/jet4/Jet4Writer.h"
#include "platform/FileSink.h"

namespace {

using namespace zyl::exporting;
using jet4test::Reader;

const Value kNull = std::monostate{};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

Bytes Pattern(std::size_t n, unsigned seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 31 + seed) % 251);
  return b;
}

// Every export column type, including the sizes that turn Text into Memo
// and Binary into OLE Object.
Table EveryTypeTable() {
  Table t;
  t.name = "ExportTable";
  t.columns = {{"Paid", AdoType::Boolean, 0, false},  {"Qty", AdoType::SmallInt},
               {"Count", AdoType::Integer},           {"Ratio", AdoType::Double},
               {"Price", AdoType::Currency},          {"Day", AdoType::Date},
               {"Raw", AdoType::Binary, 16},          {"Code", AdoType::Char, 10},
               {"Unit Name", AdoType::VarWChar, 40},  {"Größe", AdoType::VarWChar},
               {"Long Text", AdoType::VarWChar, 300}, {"Notes", AdoType::LongVarWChar},
               {"VarBin", AdoType::VarBinary},        {"Picture", AdoType::LongVarBinary},
               {"Big Binary", AdoType::Binary, 1000}};
  const std::string memo20k =
      Repeat("Ελλάδα Zürich 東京 memo line\r\n", 500);        // about 20 KB UTF-16
  const std::string memo3k = Repeat("single-row memo ", 90);  // 2880 bytes
  t.rows = {
      {true, std::int64_t{32767}, std::int64_t{2147483647}, 1e300, CurrencyValue{INT64_MAX},
       DateTimeValue{jet4test::OleDate(2003, 12, 31, 12, 0, 1)}, Pattern(16, 1),
       std::string("ABCDEFGHIJ"), std::string("Zürich"), std::string(255, 'x'), Repeat("y", 300),
       std::string("short memo"), Bytes{0x01, 0x00, 0x02}, Pattern(20000, 7), Pattern(1000, 3)},
      {false, std::int64_t{-32768}, std::int64_t{-2147483647 - 1}, -2.5e-300,
       CurrencyValue{INT64_MIN}, DateTimeValue{jet4test::OleDate(1899, 12, 30)},
       Bytes{0x41, 0x00, 0x42}, std::string("a\"b,c"), std::string("Ελλάδα 東京 😀"),
       std::string("line1\r\nline2\ttab"), std::string("€"), memo20k, Pattern(510, 9),
       Pattern(3000, 5), Bytes{}},
      {true, std::int64_t{0}, std::int64_t{-1}, 0.1, CurrencyValue{100},
       DateTimeValue{jet4test::OleDate(2024, 2, 29, 23, 59, 59)}, Bytes(16, 0xFF), std::string("x"),
       std::string(40, 'w'), std::string("ok"), std::string(), memo3k, Bytes{0x00}, Bytes{0x2A},
       Pattern(64, 2)},
      // All NULL: a NULL Yes/No is stored as No.
      {kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull,
       kNull, kNull},
      // Empty texts and binaries.
      {true, kNull, kNull, kNull, kNull, kNull, Bytes{}, std::string(), std::string(),
       std::string(), std::string(), std::string(), Bytes{}, Bytes{}, Bytes{}},
      {false, std::int64_t{1}, std::int64_t{2}, -1234.5678, CurrencyValue{-125000},
       DateTimeValue{jet4test::OleDate(1900, 1, 1, 18)}, Pattern(1, 0x20), std::string("ü"),
       std::string("名前"), std::string("Größe"), Repeat("long text ", 30),
       Repeat("memo 64 bytes  ", 2) + "!!", Pattern(510, 1), Pattern(4076, 4), Pattern(4077, 6)},
  };
  return t;
}

Table ManyRowsTable(int rows) {
  Table t;
  t.name = "Orders 2024";
  t.columns = {{"ID", AdoType::Integer},
               {"Customer", AdoType::VarWChar, 60},
               {"City", AdoType::VarWChar, 30},
               {"Amount", AdoType::Double},
               {"Price", AdoType::Currency},
               {"Ordered", AdoType::Date},
               {"Shipped", AdoType::Boolean, 0, false},
               {"Comment", AdoType::LongVarWChar}};
  static const char* cities[] = {"Zürich", "Αθήνα", "東京", "Berlin", ""};
  for (int i = 0; i < rows; ++i) {
    char customer[64];
    std::snprintf(customer, sizeof customer, "Customer %05d with a longer name ÄÖÜ", i);
    t.rows.push_back(
        {std::int64_t{i}, std::string(customer), std::string(cities[i % 5]), i / 8.0,
         CurrencyValue{static_cast<std::int64_t>(i) * 125},
         DateTimeValue{jet4test::OleDate(2000, 1, 1) + (i % 5000)}, i % 3 == 0,
         i % 4 == 0 ? kNull : Value{Repeat("memo " + std::to_string(i) + " ", i % 40)}});
  }
  return t;
}

class Jet4RoundTrip : public ::testing::TestWithParam<Reader> {
 protected:
  void SetUp() override {
    if (auto missing = jet4test::MissingReader(GetParam())) GTEST_SKIP() << *missing;
    // Parameterised test names hold a '/': keep the folder one level deep.
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = std::filesystem::temp_directory_path() /
           ("zyl-jet4-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // Writes `tables` into a file through the atomic file sink.
  std::string Write(const std::vector<Table>& tables) {
    const std::string path = (dir_ / "export.mdb").string();
    zyl::FileSink sink(path);
    WriteJet4Database(tables, sink);
    sink.Commit();
    EXPECT_EQ(std::filesystem::file_size(path) % 4096, 0u);
    return path;
  }

  // Every cell of `table` as the reader shows it.
  void ExpectTable(const jet4test::ReadDatabase& db, const Table& table) {
    auto it = db.byName.find(table.name);
    ASSERT_NE(it, db.byName.end()) << table.name;
    const jet4test::ReadTable& got = it->second;
    std::vector<std::string> names;
    for (const Column& c : table.columns) names.push_back(c.name);
    EXPECT_EQ(got.columnNames, names);
    if (got.rowCount >= 0) {
      EXPECT_EQ(got.rowCount, static_cast<long>(table.rows.size()));
    }
    ASSERT_EQ(got.rows.size(), table.rows.size());
    int failures = 0;
    for (std::size_t r = 0; r < table.rows.size() && failures < 10; ++r) {
      ASSERT_EQ(got.rows[r].size(), table.columns.size()) << "row " << r;
      for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const std::string diff =
            jet4test::CompareCell(GetParam(), table.columns[c], table.rows[r][c], got.rows[r][c]);
        if (!diff.empty()) {
          ADD_FAILURE() << table.name << " row " << r << " column '" << table.columns[c].name
                        << "': " << diff;
          ++failures;
        }
      }
    }
  }

  jet4test::ReadDatabase Read(const std::string& path) {
    return jet4test::ReadDatabaseWith(GetParam(), path);
  }

  std::filesystem::path dir_;
};

TEST_P(Jet4RoundTrip, EveryTypeWithNullsEmptiesUnicodeAndLongValues) {
  const Table table = EveryTypeTable();
  const auto db = Read(Write({table}));
  EXPECT_EQ(db.tables, std::vector<std::string>{"ExportTable"});
  ExpectTable(db, table);
}

TEST_P(Jet4RoundTrip, ColumnTypesAsTheReaderSeesThem) {
  const auto db = Read(Write({EveryTypeTable()}));
  const auto& types = db.byName.at("ExportTable").columnTypes;
  if (GetParam() == Reader::MdbTools) {
    EXPECT_EQ(types,
              (std::vector<std::string>{
                  "Boolean NOT NULL", "Integer", "Long Integer", "Double", "Currency", "DateTime",
                  "Binary", "Text (10)", "Text (40)", "Text (255)", "Memo/Hyperlink (255)",
                  "Memo/Hyperlink (255)", "Binary", "OLE (255)", "OLE (255)"}));
  } else {
    EXPECT_EQ(types, (std::vector<std::string>{"boolean", "integer", "long", "double", "currency",
                                               "datetime", "binary", "text", "text", "text", "memo",
                                               "memo", "binary", "ole", "ole"}));
  }
}

TEST_P(Jet4RoundTrip, ZeroRows) {
  Table table = EveryTypeTable();
  table.rows.clear();
  const auto db = Read(Write({table}));
  EXPECT_EQ(db.tables, std::vector<std::string>{"ExportTable"});
  ExpectTable(db, table);
}

TEST_P(Jet4RoundTrip, OneRow) {
  Table table;
  table.name = "ExportTable";
  table.columns = {{"COLUMN 0", AdoType::VarWChar, 10}};
  table.rows = {{std::string("één")}};
  ExpectTable(Read(Write({table})), table);
}

TEST_P(Jet4RoundTrip, TwentyThousandRowsOverManyPages) {
  const Table table = ManyRowsTable(20000);
  const std::string path = Write({table});
  // More than 512 data pages: the table's page map takes the reference form.
  EXPECT_GT(std::filesystem::file_size(path) / 4096, 512u);
  ExpectTable(Read(path), table);
}

TEST_P(Jet4RoundTrip, EmptyDatabaseHasOnlyTheSystemTables) {
  const std::string path = Write({});
  EXPECT_EQ(std::filesystem::file_size(path), 19u * 4096);
  EXPECT_TRUE(Read(path).tables.empty());
  if (GetParam() == Reader::MdbTools) {
    EXPECT_EQ(
        jet4test::MdbToolsAllTables(path),
        (std::vector<std::string>{"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}));
  }
}

TEST_P(Jet4RoundTrip, SeveralTablesInOneDatabase) {
  Table small;
  small.name = "Cities";
  small.columns = {{"Name", AdoType::VarWChar, 20}, {"Notes", AdoType::LongVarWChar}};
  small.rows = {{std::string("Zürich"), Repeat("Notes ", 2000)}, {std::string("Αθήνα"), kNull}};
  const std::vector<Table> tables = {ManyRowsTable(300), small, EveryTypeTable()};
  const auto db = Read(Write(tables));
  EXPECT_EQ(db.tables, (std::vector<std::string>{"Orders 2024", "Cities", "ExportTable"}));
  for (const Table& t : tables) ExpectTable(db, t);
}

Value WideCell(AdoType kind, int i) {
  switch (kind) {
    case AdoType::Integer:
      return std::int64_t{i * 1000};
    case AdoType::VarWChar:
      return "v" + std::to_string(i);
    case AdoType::Double:
      return i / 4.0;
    case AdoType::Boolean:
      return i % 2 == 0;
    default:
      return std::int64_t{-i};
  }
}

TEST_P(Jet4RoundTrip, WidestTableDefinitionSpansSeveralPages) {
  Table table;
  table.name = "Wide";
  const AdoType kinds[] = {AdoType::Integer, AdoType::VarWChar, AdoType::Double, AdoType::Boolean,
                           AdoType::SmallInt};
  std::vector<Value> row;
  std::vector<Value> nulls;
  for (int i = 0; i < 255; ++i) {
    const AdoType kind = kinds[i % 5];
    table.columns.push_back({"Column " + std::to_string(i) + " with a long name ÄÖÜ", kind,
                             kind == AdoType::VarWChar ? 8 : 0, kind != AdoType::Boolean});
    row.push_back(WideCell(kind, i));
    nulls.push_back(kNull);
  }
  table.rows = {row, nulls};
  ExpectTable(Read(Write({table})), table);
}

std::string ReaderTestName(const ::testing::TestParamInfo<Reader>& param) {
  return param.param == Reader::MdbTools ? "mdbtools" : "mdbreader";
}

INSTANTIATE_TEST_SUITE_P(Readers, Jet4RoundTrip,
                         ::testing::Values(Reader::MdbTools, Reader::MdbReader), ReaderTestName);

}  // namespace
