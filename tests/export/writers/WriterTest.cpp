// The four file writers below ExportToFile, on the byte level: golden files
// (the whole file, so that every length field, offset, page and block
// layout is pinned, including what lenient readers skip), tables the
// writers refuse, and sink failures. Whether the values read back right is
// the read-back test's concern (tests/export/readback), run with
// independent readers; these tests also run under the sanitizers.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <tuple>

#include "export/dbf/DbfWriter.h"
#include "export/jet4/Jet4Writer.h"
#include "export/paradox/ParadoxWriter.h"
#include "export/xls/CompoundFile.h"
#include "export/xls/XlsWriter.h"
#include "harness/Golden.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"

namespace zyl::exporting {
namespace {

using Writer = std::function<void(const Table&, ByteSink&)>;

const Writer kDbf = [](const Table& t, ByteSink& s) { WriteDbf(t, s, CivilDate{2026, 3, 5}); };
const Writer kXls = [](const Table& t, ByteSink& s) { WriteXls(t, s, XlsOptions{2}); };
const Writer kMdb = [](const Table& t, ByteSink& s) {
  const Table second{"Second Table", {{"Id", AdoType::Integer}}, {{std::int64_t{7}}}};
  WriteJet4Database(std::vector<Table>{t, second}, s, Jet4WriteOptions{37986.5});
};
const Writer kDb = [](const Table& t, ByteSink& s) { WriteParadox(t, s, ParadoxOptions{1'700'000'000u}); };

DateTimeValue At(int y, int m, int d, int h = 0, int mi = 0, int s = 0) { return {EncodeDate(y, m, d) + EncodeTime(h, mi, s, 0)}; }

std::u8string Repeat(const char* piece, int times) {
  std::u8string out;
  for (int i = 0; i < times; ++i) out += reinterpret_cast<const char8_t*>(piece);
  return out;
}
std::string Text(const std::u8string& s) { return {s.begin(), s.end()}; }

// Columns of every kind a format takes, with NULLs, extremes, non-ASCII and
// long text; `memo` adds long text and binary columns (Excel, Access).
Table Sample(bool memo, bool bigInt) {
  const Value null;
  Table t{"ExportTable",
          {{"Name", AdoType::VarWChar, 20}, {"Code", AdoType::Char, 4}, {"Small", AdoType::SmallInt},
           {"Count", AdoType::Integer}, {"Ratio", AdoType::Double}, {"Price", AdoType::Currency},
           {"Done", AdoType::Boolean}, {"Day", AdoType::Date}, {"Stamp", AdoType::Date}},
          {}};
  t.rows = {
      {std::string("Z\xC3\xBCrich"), std::string("AB"), std::int64_t{42}, std::int64_t{7}, 3.14159,
       CurrencyValue{12'345'678}, true, At(2003, 12, 31), At(2020, 2, 29, 13, 45, 30)},
      {null, null, null, null, null, null, null, null, null},
      {Text(u8"Ελλάδα € 😀"), std::string("\xE2\x82\xAC"), std::int64_t{-32768},
       std::int64_t{-2147483647}, -99999.9999, CurrencyValue{-999'999'999'999}, false,
       At(1900, 2, 28), At(1899, 12, 30, 6)},
      {std::string("  lead \"q\"\tx"), std::string("1234"), std::int64_t{32767},
       std::int64_t{2147483647}, 1e15 + 0.5, CurrencyValue{1}, true, At(1850, 6, 15),
       At(9999, 12, 31, 23, 59, 59)},
  };
  if (bigInt) {
    t.columns.push_back({"Big", AdoType::BigInt});
    for (auto& row : t.rows) row.push_back(std::int64_t{1} << 53);
    t.rows[1].back() = null;
    t.rows[2].back() = std::numeric_limits<std::int64_t>::min();
  }
  if (memo) {
    t.columns.push_back({"Notes", AdoType::LongVarWChar});
    t.columns.push_back({"Blob", AdoType::LongVarBinary});
    const std::string texts[] = {"short", Text(Repeat("long ", 2000)), "", Text(Repeat("é😀", 2000))};
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
      t.rows[r].push_back(r == 1 ? null : Value{texts[r]});
      t.rows[r].push_back(r == 1 ? null : Value{Bytes(r * 1500 + 1, static_cast<std::uint8_t>(r))});
    }
  }
  return t;
}

// Long and repeated column names, as dBase and Paradox shorten them.
Table Names() {
  return Table{"ExportTable",
               {{"Customer Name", AdoType::VarWChar},
                {"Customer Number", AdoType::Integer},
                {"Z\xC3\xBCrich Ort", AdoType::VarWChar},
                {"1st", AdoType::Boolean},
                {"customer_name", AdoType::Double},
                {"A name longer than twenty-five bytes", AdoType::Double},
                {"a NAME LONGER THAN twenty-five bytes", AdoType::Double},
                {"", AdoType::Double}},
               {{std::string("Ann"), std::int64_t{1}, std::string("Bern"), true, 2.5, 0.125, 0.375,
                 -0.001}}};
}

// Times of day only, before 1900, rounding up to midnight; NaN and infinity are blank; bytes.
Table Times() {
  Table t{"T", {{"At", AdoType::Date}, {"D", AdoType::Double}, {"B", AdoType::VarBinary, 4}, {"S", AdoType::SmallInt}}, {}};
  for (double d : {0.25, 0.5, 0.0, -600000.5, -600000.9999999999})
    t.rows.push_back({DateTimeValue{d}, d - 0.25, Bytes(d > 0 ? static_cast<std::size_t>(d * 8) : 0, 0xAB), std::int64_t{-5}});
  t.rows[1][1] = std::numeric_limits<double>::quiet_NaN();
  t.rows[2][1] = -std::numeric_limits<double>::infinity();
  return t;
}

struct GoldenCase {
  const char* file;  // under tests/export/writers/golden/
  Writer write;
  std::function<Table()> table;
};

const GoldenCase kGoldens[] = {
    {"sample.dbf", kDbf, [] { return Sample(false, true); }},
    {"names.dbf", kDbf, Names},
    {"sample.xls", kXls, [] { return Sample(true, true); }},
    {"sample.mdb", kMdb, [] { return Sample(true, false); }},
    {"sample.db", kDb, [] { return Sample(false, true); }},
    {"names.db", kDb, Names},
    {"names.xls", kXls,  // sheet names: forbidden characters, 31 characters with the number
     [] {
       Table t{"Sales: 2024/25 [draft] *?\\ and a long tail", {{"Text", AdoType::LongVarWChar}}, {}};
       for (const char* text : {"", "a\r\nb\rc"}) t.rows.push_back({std::string(text)});
       t.rows[0][0] = std::string(40000, 'x');
       t.rows.push_back(std::vector<Value>(1));
       return t;
     }},
    {"wide.mdb", kMdb,  // a table definition over several pages
     [] {
       Table t{"Wide", {}, {std::vector<Value>(255)}};
       for (int i = 0; i < 255; ++i) {
         t.columns.push_back({"Column number " + std::to_string(i), AdoType::Integer});
         t.rows[0][static_cast<std::size_t>(i)].emplace<std::int64_t>(i);
       }
       return t;
     }},
    {"times.db", kDb, Times},
    {"times.xls", kXls, Times},
    {"empty.dbf", kDbf, [] { return Table{"T", {{"A", AdoType::Double}}, {}}; }},
    {"empty.xls", kXls, [] { return Table{"T", {{"A", AdoType::Double}}, {}}; }},
    {"empty.db", kDb, [] { return Table{"T", {{"A", AdoType::Double}}, {}}; }},
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.file; }

class WriterGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(WriterGolden, FileMatchesByteForByte) {
  MemorySink sink;
  GetParam().write(GetParam().table(), sink);
  const std::string bytes(sink.Bytes().begin(), sink.Bytes().end());
  harness::ExpectGolden(std::string("export/writers/golden/") + GetParam().file + ".hex",
                        harness::HexDump(bytes));
  // The same table gives the same bytes.
  MemorySink again;
  GetParam().write(GetParam().table(), again);
  EXPECT_TRUE(again.Bytes() == sink.Bytes());
}

INSTANTIATE_TEST_SUITE_P(Files, WriterGolden, ::testing::ValuesIn(kGoldens),
                         [](const auto& test) {
                           std::string name = test.param.file;
                           name[name.find('.')] = '_';
                           return name;
                         });

// Tables a format cannot hold are refused with a message naming the cause;
// dBase and Access check everything before the first byte.
struct Refusal {
  const char* message;
  Writer write;
  Table table;
  bool nothingWritten = false;
};

Table One(AdoType type, Value v, int size = 0) { return Table{"T", {{"C", type, size}}, {{std::move(v)}}}; }

std::vector<Refusal> Refusals() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Table wide{"T", std::vector<Column>(256, Column{"C", AdoType::Boolean}), {}};
  for (std::size_t i = 0; i < wide.columns.size(); ++i) wide.columns[i].name += std::to_string(i);
  Table ragged = One(AdoType::Integer, std::int64_t{1});
  ragged.rows.push_back({});
  Table memos{"T", {}, {}};
  for (int i = 0; i < 28; ++i) memos.columns.push_back({"m" + std::to_string(i), i % 3 ? AdoType::LongVarWChar : i % 2 ? AdoType::VarWChar : AdoType::VarBinary, 511});
  Table longRecord{"T", std::vector<Column>(130, Column{"C", AdoType::VarWChar, 255}), {}};
  for (std::size_t i = 0; i < longRecord.columns.size(); ++i) longRecord.columns[i].name += std::to_string(i);
  const auto mdb = [](const Table& t, ByteSink& s) { WriteJet4Database(std::vector<Table>{t}, s); };
  return {
      {"table 'T' has no columns", kDbf, Table{"T", {}, {}}, true},
      {"row 2 has 0 values for 1 columns", kDbf, ragged, true},
      {"has 256 columns, more than the 255", kDbf, wide, true},
      {"memo columns cannot be stored in a dBase table", kDbf, One(AdoType::LongVarWChar, {}), true},
      {"binary columns cannot be stored", kDbf, One(AdoType::VarBinary, {}), true},
      {"row 1: a text value in an integer column", kDbf, One(AdoType::Integer, std::string("12")), true},
      {"column type 0 has no dBase field type", kDbf, One(AdoType::Empty, {}), true},
      {"has no columns", mdb, Table{"T", {}, {}}, true},
      {"has 256 columns; Jet 4 allows 255", mdb, wide, true},
      {"28 memo/OLE columns", mdb, memos, true},
      {"row 2 has 0 values for 1 columns", mdb, ragged, true},
      {"value 40000 does not fit Integer (-32768 to 32767)", mdb, One(AdoType::SmallInt, std::int64_t{40000}), true},
      {"not a finite number", mdb, One(AdoType::Double, nan), true},
      {"outside the years 100 to 9999", mdb, One(AdoType::Date, DateTimeValue{3e6}), true},
      {"text of 4 characters does not fit Text(3)", mdb, One(AdoType::VarWChar, std::string("ab😀"), 3), true},
      {"MSys", mdb, Table{"MSysMine", {{"A", AdoType::Integer}}, {}}, true},
      {"C.D", mdb, Table{"T", {{"C.D", AdoType::Integer}}, {}}, true},
      {"BigInt", mdb, One(AdoType::BigInt, std::int64_t{1}), true},
      {"value 1099511627776 does not fit Long Integer", mdb, One(AdoType::Integer, std::int64_t{1} << 40), true},
      {"5 bytes do not fit Binary(4)", mdb, One(AdoType::VarBinary, Bytes(5, 1), 4), true},
      {"type Empty (0)", mdb, One(AdoType::Empty, {}), true},
      {"type Error (10)", mdb, One(AdoType::Error, {}), true},
      {"unknown ADO type code 99", mdb, One(static_cast<AdoType>(99), {}), true},
      {"is longer than 64 characters", mdb, Table{std::string(65, 'n'), {{"A", AdoType::Integer}}, {}}, true},
      {"the character '-' is not supported in table names", mdb, Table{"a-b", {{"A", AdoType::Integer}}, {}}, true},
      {"has two columns named 'a'", mdb, Table{"T", {{"A", AdoType::Integer}, {"a", AdoType::Integer}}, {}}, true},
      {"two tables are named 'T'", [](const Table& t, ByteSink& s) { WriteJet4Database(std::vector<Table>{t, t}, s); }, One(AdoType::Double, 1.5), true},
      {"0 rows per sheet is outside 1 to 65535", [](const Table& t, ByteSink& s) { WriteXls(t, s, XlsOptions{0}); }, One(AdoType::Double, 1.5), true},
      {"a stream of 4294967296 bytes exceeds the 4 GiB", [](const Table&, ByteSink&) { xls::PlanCompoundFile(xls::kMaxStreamBytes + 1); }, ragged, true},
      {"stream name '' must have 1 to 31 characters", [](const Table&, ByteSink& s) { xls::WriteCompoundFile("", {}, s); }, ragged, true},
      {"no columns", kXls, Table{"T", {}, {}}},
      {"the rows need 5000 sheets, more than the 4112", [](const Table& t, ByteSink& s) { WriteXls(t, s, XlsOptions{1}); }, Table{"T", {{"A", AdoType::Double}}, std::vector<std::vector<Value>>(5000, {1.0})}, true},
      {"256", kXls, Table{"T", std::vector<Column>(257, Column{"C", AdoType::Boolean}), {}}},
      {"row", kXls, ragged},
      {"UTF-8", kXls, One(AdoType::VarWChar, std::string("ok \xC3("))},
      {"a text", mdb, One(AdoType::Integer, std::string("12")), true},
      {"a Boolean", mdb, One(AdoType::Date, true), true},
      {"32", kDb, longRecord},
      {"text", kDb, One(AdoType::Integer, std::string("12"))},
      {"a boolean", kDb, One(AdoType::Date, true)},
      {"row 2 has 0 values for 1 columns", kDb, ragged},
      {"has no column that a Paradox table can hold", kDb, One(AdoType::LongVarWChar, {})},
      {"a Paradox table holds at most", kDb, wide},
      {"bytes", kDb, One(AdoType::VarBinary, std::int64_t{1}, 4)},
      {"text cannot be stored in a money field", kDb, One(AdoType::Currency, std::string("x"))},
      {"text cannot be stored in a logical field", kDb, One(AdoType::Boolean, std::string("x"))},
      {"expects a currency amount, got a text", mdb, One(AdoType::Currency, std::string("x")), true},
      {"expects a floating-point number", mdb, One(AdoType::Double, std::string("x")), true},
      {"expects binary data, got an integer", mdb, One(AdoType::VarBinary, std::int64_t{1}, 4), true},
      {"expects a Boolean, got an integer", mdb, One(AdoType::Boolean, std::int64_t{1}), true},
      {"floating-point", kDbf, One(AdoType::Double, std::string("x")), true},
      {"currency", kDbf, One(AdoType::Currency, 1.5), true},
      {"date", kDbf, One(AdoType::Date, true), true},
      {"boolean", kDbf, One(AdoType::Boolean, std::int64_t{1}), true},
      {"column 'C'", kDb, One(AdoType::Empty, {})},
  };
}

TEST(WriterRefusals, NameTheCause) {
  for (const Refusal& r : Refusals()) {
    SCOPED_TRACE(r.message);
    MemorySink sink;
    const std::string message = harness::MessageOf([&] { r.write(r.table, sink); });
    EXPECT_NE(message.find(r.message), std::string::npos) << message;
    EXPECT_TRUE(!r.nothingWritten || sink.Bytes().empty());
  }
}

// A value the format cannot hold is written as its substitute (blank, #NUM!)
// and noted; the table is written all the same.
TEST(WriterSubstitutes, AreWrittenAndNoted) {
  using Write = std::function<void(const Table&, ByteSink&, Substitutions*)>;
  const Write dbf = [](const Table& t, ByteSink& s, Substitutions* n) { WriteDbf(t, s, n); };
  const Write db = [](const Table& t, ByteSink& s, Substitutions* n) { WriteParadox(t, s, {0, n}); };
  const Write xls = [](const Table& t, ByteSink& s, Substitutions* n) { WriteXls(t, s, {kXlsMaxDataRowsPerSheet, n}); };
  const double inf = std::numeric_limits<double>::infinity();
  const std::tuple<const char*, Write, Table> cases[] = {
      {"1e+300 is wider than 20 characters -> blank", dbf, One(AdoType::Double, 1e300)},
      {"nan -> blank", dbf, One(AdoType::Double, std::numeric_limits<double>::quiet_NaN())},
      {"-922337203685477.5808 is wider than 20 characters -> blank", dbf, One(AdoType::Currency, CurrencyValue{std::numeric_limits<std::int64_t>::min()})},
      {"date 3e+06 outside the years 1 to 9999 -> blank", dbf, One(AdoType::Date, DateTimeValue{3e6})},
      {"date-time 3000000 -> blank", db, One(AdoType::Date, DateTimeValue{3e6})},
      {"-inf -> blank", db, One(AdoType::Double, -inf)},
      {"inf -> #NUM!", xls, One(AdoType::Double, inf)},
      {"date 3000000 -> #NUM!", xls, One(AdoType::Date, DateTimeValue{3e6})},
  };
  for (const auto& [first, write, table] : cases) {
    SCOPED_TRACE(first);
    MemorySink sink;
    Substitutions noted;
    write(table, sink, &noted);
    EXPECT_EQ(noted.count, 1u);
    EXPECT_EQ(noted.first, std::string("column 'C', row 1: ") + first);
    EXPECT_FALSE(sink.Bytes().empty());
  }
}

// A sink that fails at any byte fails the write with its own error.
TEST(WriterSinks, FailuresPassThroughWhereverTheyHappen) {
  Table t{"T", {{"Name", AdoType::VarWChar, 40}, {"N", AdoType::Integer}}, {}};
  for (int i = 0; i < 3000; ++i) t.rows.push_back({std::string("row ") + std::to_string(i), std::int64_t{i}});
  for (const Writer& write : {kDbf, kXls, kMdb, kDb}) {
    MemorySink whole;
    write(t, whole);
    const std::size_t total = whole.Bytes().size();
    for (const std::size_t limit : {std::size_t{0}, std::size_t{31}, std::size_t{600}, total / 2, total - 1}) {
      SCOPED_TRACE(std::to_string(limit) + " of " + std::to_string(total));
      FailingSink sink(limit);
      EXPECT_THROW(write(t, sink), EInOutError);
    }
    FailingSink exact(total);
    EXPECT_NO_THROW(write(t, exact));
  }
}

}  // namespace
}  // namespace zyl::exporting
