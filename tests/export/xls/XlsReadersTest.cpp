// Workbooks read back by independent readers (xlrd, LibreOffice over UNO),
// every cell compared exactly with what was written; and the container read
// by xlrd's and olefile's compound-document readers across the FAT and DIFAT
// thresholds. Skipped with a reason when a reader is not installed.
#include "export/xls/XlsWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ReadBack.h"
#include "export/MiniJson.h"
#include "export/xls/CompoundFile.h"
#include "platform/FileSink.h"

namespace {

using namespace zyl::exporting;
namespace tr = zyl::testing::xls;
using tr::Cell;

struct Case {
  std::string key;
  Table table;
  XlsOptions options;
  tr::Workbook want;
};

std::vector<Cell> HeaderOf(const Table& t) {
  std::vector<Cell> row;
  for (const Column& c : t.columns) row.push_back(Cell::Text(c.name));
  return row;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::vector<Column> MixedColumns() {
  return {{"Name", AdoType::VarWChar},  {"Count", AdoType::Integer},
          {"Ratio", AdoType::Double},   {"Price", AdoType::Currency},
          {"Done", AdoType::Boolean},   {"Day", AdoType::Date},
          {"Stamp", AdoType::Date},     {"Notes", AdoType::LongVarWChar},
          {"Blob", AdoType::VarBinary}, {"Big", AdoType::BigInt}};
}

// Rows of every type with the edge values worth a reader's look, each with
// the cells a reader must see.
std::vector<std::pair<std::vector<Value>, std::vector<Cell>>> MixedRows() {
  using I = std::int64_t;
  const Value null;
  const double stamp = 43890 + 49507 / 86400.0;         // 2020-02-29 13:45:07
  const double lateFeb1900 = 60 + 86399 / 86400.0;      // 1900-02-28 23:59:59
  const double lastSecond = 2958465 + 86399 / 86400.0;  // 9999-12-31 23:59:59
  const std::string zurich = "Z\xC3\xBCrich", tokyo = "\xE6\x9D\xB1\xE4\xBA\xAC";
  const std::string greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1";
  const std::string east = "\xE6\x9D\xB1", eAcute = "\xC3\xA9", emoji = "\xF0\x9F\x98\x80 emoji";
  Bytes blob(300);
  std::string blobHex;
  for (std::size_t i = 0; i < blob.size(); ++i) {
    blob[i] = static_cast<std::uint8_t>(i * 7);
    static const char* digits = "0123456789ABCDEF";
    blobHex += digits[blob[i] >> 4];
    blobHex += digits[blob[i] & 15];
  }
  std::vector<std::pair<std::vector<Value>, std::vector<Cell>>> rows;
  auto add = [&rows](std::vector<Value> values, std::vector<Cell> cells) {
    rows.emplace_back(std::move(values), std::move(cells));
  };
  add({zurich, I{42}, 3.14159, CurrencyValue{12345678}, true, DateTimeValue{37986},
       DateTimeValue{stamp}, std::string("short"), Bytes{0xDE, 0xAD}, I{1} << 40},
      {Cell::Text(zurich), Cell::Number(42), Cell::Number(3.14159), Cell::Number(1234.5678),
       Cell::Bool(true), Cell::Date(37986), Cell::Date(stamp), Cell::Text("short"),
       Cell::Text("DEAD"), Cell::Number(1099511627776.0)});
  add(std::vector<Value>(10, null), std::vector<Cell>(10, Cell::Empty()));
  add({std::string(), null, null, null, null, null, null, std::string(), Bytes{}, null},
      std::vector<Cell>(10, Cell::Empty()));
  add({greek, I{std::numeric_limits<std::int32_t>::min()}, -1e300,
       CurrencyValue{std::numeric_limits<std::int64_t>::min()}, false, DateTimeValue{2},
       DateTimeValue{lateFeb1900}, tokyo, null, I{std::numeric_limits<std::int64_t>::min()}},
      {Cell::Text(greek), Cell::Number(-2147483648.0), Cell::Number(-1e300),
       Cell::Number(-922337203685477.5808), Cell::Bool(false), Cell::Date(1),
       Cell::Date(lateFeb1900 - 1), Cell::Text(tokyo), Cell::Empty(),
       Cell::Text("-9223372036854775808")});
  add({tokyo, I{std::numeric_limits<std::int32_t>::max()}, 1234567890.1234567, CurrencyValue{1},
       true, DateTimeValue{61}, DateTimeValue{1.5}, std::string(10000, 'x'), null, I{1} << 53},
      {Cell::Text(tokyo), Cell::Number(2147483647.0), Cell::Number(1234567890.1234567),
       Cell::Number(0.0001), Cell::Bool(true), Cell::Date(61), Cell::Text("1899-12-31 12:00:00"),
       Cell::Text(std::string(10000, 'x')), Cell::Empty(), Cell::Number(9007199254740992.0)});
  add({emoji, (I{1} << 29) - 1, 0.1 + 0.2, CurrencyValue{1000000}, false, DateTimeValue{2958465},
       DateTimeValue{lastSecond}, Repeat(east, 10000), null, (I{1} << 53) + 1},
      {Cell::Text(emoji), Cell::Number(536870911), Cell::Number(0.1 + 0.2), Cell::Number(100),
       Cell::Bool(false), Cell::Date(2958465), Cell::Date(lastSecond),
       Cell::Text(Repeat(east, 10000)), Cell::Empty(), Cell::Text("9007199254740993")});
  add({std::string("  spaced  "), I{1} << 29, 1e-300, CurrencyValue{0}, null, DateTimeValue{-1},
       DateTimeValue{0.75}, std::string("quote \" tab\t line\r\nend\r"), null, I{-1}},
      {Cell::Text("  spaced  "), Cell::Number(536870912), Cell::Number(1e-300), Cell::Number(0),
       Cell::Empty(), Cell::Text("1899-12-29"), Cell::Date(0.75),
       Cell::Text("quote \" tab\t line\nend\n"), Cell::Empty(), Cell::Number(-1)});
  add({std::string(40000, 'y'), -(I{1} << 29), -0.5, CurrencyValue{-100}, true,
       DateTimeValue{36585}, null, Repeat(eAcute, 9000), blob, I{0}},
      {Cell::Text(std::string(32767, 'y')), Cell::Number(-536870912), Cell::Number(-0.5),
       Cell::Number(-0.01), Cell::Bool(true), Cell::Date(36585), Cell::Empty(),
       Cell::Text(Repeat(eAcute, 9000)), Cell::Text(blobHex), Cell::Number(0)});
  // Surrogate pairs across SST record boundaries: a reader that decodes each
  // record's part on its own fails on half a pair.
  add({Repeat("\xF0\x9F\x98\x80", 3000), null, null, null, null, null, null,
       Repeat("\xF0\x9F\x98\x80", 10000), null, null},
      {Cell::Text(Repeat("\xF0\x9F\x98\x80", 3000)), Cell::Empty(), Cell::Empty(), Cell::Empty(),
       Cell::Empty(), Cell::Empty(), Cell::Empty(), Cell::Text(Repeat("\xF0\x9F\x98\x80", 10000)),
       Cell::Empty(), Cell::Empty()});
  add({std::string("errors"), null, std::nan(""), null, null, DateTimeValue{std::nan("")}, null,
       null, null, null},
      {Cell::Text("errors"), Cell::Empty(), Cell::Error(0x24), Cell::Empty(), Cell::Empty(),
       Cell::Error(0x24), Cell::Empty(), Cell::Empty(), Cell::Empty(), Cell::Empty()});
  add({std::string("inf"), null, HUGE_VAL, null, null, null, null, null, null, null},
      {Cell::Text("inf"), Cell::Empty(), Cell::Error(0x24), Cell::Empty(), Cell::Empty(),
       Cell::Empty(), Cell::Empty(), Cell::Empty(), Cell::Empty(), Cell::Empty()});
  return rows;
}

Case MixedCase(std::string key, std::string tableName, std::string sheetName, std::size_t rows) {
  Case c{std::move(key), {std::move(tableName), MixedColumns(), {}}, {}, {}};
  tr::Sheet sheet{std::move(sheetName), {HeaderOf(c.table)}};
  auto all = MixedRows();
  for (std::size_t i = 0; i < std::min(rows, all.size()); ++i) {
    c.table.rows.push_back(all[i].first);
    sheet.rows.push_back(all[i].second);
  }
  c.want.push_back(std::move(sheet));
  return c;
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  cases.push_back(MixedCase("every-type", "Export:Table?", "Export_Table_", 1000));
  cases.push_back(MixedCase("no-rows", "ExportTable", "ExportTable", 0));
  cases.push_back(MixedCase("one-row", "ExportTable", "ExportTable", 1));

  // Rows beyond a sheet continue on "Name (2)" ..., each with its header row
  // (a small per-sheet limit keeps the files small).
  Case split{
      "overflow", {"Orders", {{"No", AdoType::Integer}, {"Who", AdoType::VarWChar}}, {}}, {3}, {}};
  for (int i = 0; i < 10; ++i) {
    split.table.rows.push_back({std::int64_t{i}, "p" + std::to_string(i)});
    if (i % 3 == 0) {
      split.want.push_back({i == 0 ? "Orders" : "Orders (" + std::to_string(i / 3 + 1) + ")",
                            {HeaderOf(split.table)}});
    }
    split.want.back().rows.push_back({Cell::Number(i), Cell::Text("p" + std::to_string(i))});
  }
  cases.push_back(std::move(split));

  // The last column a sheet has (IV), and a sheet name cut to 31 characters.
  Case wide{"256-columns", {std::string(40, 'W'), {}, {}}, {}, {{std::string(31, 'W'), {}}}};
  std::vector<Value> row(256);
  std::vector<Cell> cells;
  for (int c = 0; c < 256; ++c) {
    wide.table.columns.push_back({"C" + std::to_string(c), AdoType::Integer});
    row[static_cast<std::size_t>(c)] = std::int64_t{c} * 1000;
    cells.push_back(Cell::Number(c * 1000));
  }
  wide.table.rows = {row, row};
  wide.want[0].rows = {HeaderOf(wide.table), cells, cells};
  cases.push_back(std::move(wide));
  return cases;
}

void ReadEveryCaseWith(const std::string& python, const std::string& reader) {
  const auto dir = tr::FreshTempDir("zyl_xls_" + reader);
  const auto cases = Cases();
  std::vector<std::string> paths;
  for (const Case& c : cases) {
    paths.push_back((dir / (c.key + ".xls")).string());
    zyl::FileSink sink(paths.back());
    WriteXls(c.table, sink, c.options);
    sink.Commit();
  }
  const auto books = tr::ReadWorkbooks(python, reader, paths);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(reader + " " + cases[i].key);
    ASSERT_EQ(books.count(paths[i]), 1u);
    EXPECT_EQ(tr::CompareWorkbooks(books.at(paths[i]), cases[i].want), "");
  }
  std::filesystem::remove_all(dir);
}

TEST(XlsReaders, XlrdReadsEveryValueBack) {
  const auto python = tr::FindPython({"xlrd"});
  if (!python) GTEST_SKIP() << "python3 with xlrd not found (Debian package python3-xlrd)";
  ReadEveryCaseWith(*python, "xlrd");
}

TEST(XlsReaders, LibreOfficeReadsEveryValueBack) {
  if (!tr::HaveProgram("soffice"))
    GTEST_SKIP() << "soffice not found (Debian package libreoffice-calc-nogui)";
  const auto python = tr::FindPython({"uno"});
  if (!python) GTEST_SKIP() << "python3 with uno not found (Debian package python3-uno)";
  ReadEveryCaseWith(*python, "libreoffice");
}

TEST(XlsReaders, CompoundFileReadersAcceptStreamsAcrossTheDifatThresholds) {
  const auto python = tr::FindPython({"xlrd"});
  if (!python) GTEST_SKIP() << "python3 with xlrd not found (Debian package python3-xlrd)";
  const auto dir = tr::FreshTempDir("zyl_xls_cfb");
  const std::uint64_t withoutDifat = 7087104, withOneDifat = 15344640;
  for (std::uint64_t size :
       {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{4095}, std::uint64_t{4097}, withoutDifat,
        withoutDifat + 1, withOneDifat, withOneDifat + 1}) {
    SCOPED_TRACE(size);
    std::vector<std::uint8_t> content(size);
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<std::uint8_t>(i * 31 + 7);
    const std::span<const std::uint8_t> parts[] = {content};
    zyl::MemorySink sink;
    xls::WriteCompoundFile("Workbook", parts, sink);
    tr::WriteFile(dir / "c.bin", sink.Bytes());
    std::string out;
    ASSERT_EQ(
        tr::RunCommand(
            *python + " " +
                tr::ShellQuote(std::string(ZYL_SOURCE_DIR) + "/tests/export/xls/read_cfb.py") +
                " " + tr::ShellQuote((dir / "c.bin").string()) + " " + tr::ShellQuote(dir.string()),
            out),
        0);
    const auto result = zyl::testing::json::Parse(out);
    content.resize(std::max<std::size_t>(size, 4096), 0);
    EXPECT_TRUE(tr::ReadFile(result.Find("xlrd")->string) == content);
    if (result.Find("olefile")->kind == zyl::testing::json::Value::Kind::String) {
      EXPECT_TRUE(tr::ReadFile(result.Find("olefile")->string) == content);
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
