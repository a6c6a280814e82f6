// Whole workbooks through WriteXls, decoded record by record: the globals,
// the sheets and their seek structures, the cell records per value type,
// limits, bad input and failing sinks.
#include "export/xls/XlsWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "XlsTestReader.h"

namespace {

using namespace zyl::exporting;
namespace tr = zyl::testing::xls;

tr::ParsedWorkbook Write(const Table& table, const XlsOptions& options = {}) {
  zyl::MemorySink sink;
  WriteXls(table, sink, options);
  return tr::ParseWorkbook(sink.Bytes());
}

Table IntegerTable(std::string name, std::size_t rows) {
  Table t{std::move(name), {{"N", AdoType::Integer}, {"Text", AdoType::VarWChar}, {"X", AdoType::Double}}, {}};
  for (std::size_t i = 0; i < rows; ++i) {
    t.rows.push_back({std::int64_t(i), "row " + std::to_string(i), double(i) / 4});
  }
  return t;
}

// The cell records of a sheet in stream order.
std::vector<const tr::Record*> Cells(const std::vector<tr::Record>& sheet) {
  std::vector<const tr::Record*> cells;
  for (const tr::Record& r : sheet) {
    if (r.type == 0x00FD || r.type == 0x0203 || r.type == 0x027E || r.type == 0x0205 || r.type == 0x0201) {
      cells.push_back(&r);
    }
  }
  return cells;
}

const tr::Record& CellAt(const std::vector<tr::Record>& sheet, std::uint16_t row, std::uint16_t col) {
  for (const tr::Record* r : Cells(sheet)) {
    if (tr::U16(r->body, 0) == row && tr::U16(r->body, 2) == col) return *r;
  }
  throw std::runtime_error("no cell at R" + std::to_string(row) + "C" + std::to_string(col));
}

std::uint16_t Xf(const tr::Record& cell) { return tr::U16(cell.body, 4); }

std::u16string TextAt(const tr::ParsedWorkbook& wb, std::size_t sheet, std::uint16_t row, std::uint16_t col) {
  const tr::Record& cell = CellAt(wb.sheets[sheet], row, col);
  if (cell.type != 0x00FD) throw std::runtime_error("not a LABELSST cell");
  return wb.strings.at(tr::U32(cell.body, 6));
}

TEST(XlsWriter, GlobalsDescribeEverySheetAndItsBof) {
  const auto wb = Write(IntegerTable("T", 10), XlsOptions{3});
  EXPECT_EQ(wb.sheetNames, (std::vector<std::u16string>{u"T", u"T (2)", u"T (3)", u"T (4)"}));

  const std::uint16_t order[] = {0x0809, 0x00E1, 0x00C1, 0x00E2, 0x005C, 0x0042, 0x0161, 0x013D, 0x009C};
  for (std::size_t i = 0; i < std::size(order); ++i) EXPECT_EQ(wb.globals[i].type, order[i]) << i;
  EXPECT_EQ(tr::U16(wb.globals[0].body, 0), 0x0600);
  EXPECT_EQ(tr::U16(wb.globals[0].body, 2), 0x0005);
  EXPECT_EQ(wb.globals[4].body.size(), 112u);
  EXPECT_EQ(tr::U16(wb.globals[5].body, 0), 1200);
  EXPECT_EQ(std::vector<std::uint8_t>(wb.globals[7].body.begin(), wb.globals[7].body.end()),
            (std::vector<std::uint8_t>{1, 0, 2, 0, 3, 0, 4, 0}));
  EXPECT_EQ(tr::U16(tr::OfType(wb.globals, 0x0022)[0]->body, 0), 0);  // 1900 date system
  EXPECT_EQ(tr::OfType(wb.globals, 0x0031).size(), 4u);
  EXPECT_EQ(tr::OfType(wb.globals, 0x00E0).size(), 25u);
  EXPECT_EQ(tr::OfType(wb.globals, 0x0293).size(), 6u);
  EXPECT_EQ(wb.globals.back().type, 0x000A);
  EXPECT_EQ(wb.globals[wb.globals.size() - 2].type, 0x00FF);

  for (std::size_t s = 0; s < wb.sheets.size(); ++s) {
    SCOPED_TRACE(s);
    const auto& sheet = wb.sheets[s];
    EXPECT_EQ(sheet.front().type, 0x0809);
    EXPECT_EQ(tr::U16(sheet.front().body, 2), 0x0010);
    const auto* window = tr::OfType(sheet, 0x023E).at(0);
    EXPECT_EQ(tr::U16(window->body, 0), s == 0 ? 0x06B6 : 0x00B6);
    EXPECT_EQ(TextAt(wb, s, 0, 1), u"Text");  // every sheet repeats the header row
    // Rows continue where the previous sheet stopped.
    const tr::Record& first = CellAt(sheet, 1, 0);
    EXPECT_EQ(first.type, 0x027E);
    EXPECT_EQ(tr::U32(first.body, 6), ((3 * s) << 2) | 2);
  }
  EXPECT_EQ(Cells(wb.sheets[3]).size(), 3u * 2);  // header and the tenth row
}

TEST(XlsWriter, IndexAndDbCellLeadToEveryRowsFirstCell) {
  const auto wb = Write(IntegerTable("T", 100));
  const auto& sheet = wb.sheets.at(0);
  const tr::Record& index = sheet.at(1);
  ASSERT_EQ(index.type, 0x020B);
  EXPECT_EQ(tr::U32(index.body, 4), 0u);
  EXPECT_EQ(tr::U32(index.body, 8), 101u);
  EXPECT_EQ(tr::FindAt(sheet, tr::U32(index.body, 12))->type, 0x0055);
  const std::size_t blocks = (index.body.size() - 16) / 4;
  ASSERT_EQ(blocks, 4u);  // 101 rows in blocks of 32
  for (std::size_t k = 0; k < blocks; ++k) {
    SCOPED_TRACE(k);
    const tr::Record* dbcell = tr::FindAt(sheet, tr::U32(index.body, 16 + 4 * k));
    ASSERT_TRUE(dbcell && dbcell->type == 0x00D7);
    const tr::Record* row = tr::FindAt(sheet, dbcell->offset - tr::U32(dbcell->body, 0));
    ASSERT_TRUE(row && row->type == 0x0208);
    EXPECT_EQ(tr::U16(row->body, 0), 32 * k);
    EXPECT_EQ(tr::U16(row->body, 4), 3);  // last column + 1
    std::size_t cell = row->offset + 20;
    for (std::size_t i = 0; i < (dbcell->body.size() - 4) / 2; ++i) {
      cell += tr::U16(dbcell->body, 4 + 2 * i);
      const tr::Record* r = tr::FindAt(sheet, cell);
      ASSERT_TRUE(r);
      EXPECT_EQ(tr::U16(r->body, 0), 32 * k + i);
      EXPECT_EQ(tr::U16(r->body, 2), 0);
    }
  }
  const tr::Record* dims = tr::OfType(sheet, 0x0200).at(0);
  EXPECT_EQ(tr::U32(dims->body, 4), 101u);
  EXPECT_EQ(tr::U16(dims->body, 10), 3);
}

TEST(XlsWriter, ZeroRowsGiveAHeaderOnlySheet) {
  const auto wb = Write(IntegerTable("Empty", 0));
  ASSERT_EQ(wb.sheets.size(), 1u);
  EXPECT_EQ(tr::OfType(wb.sheets[0], 0x0208).size(), 1u);
  EXPECT_EQ(Cells(wb.sheets[0]).size(), 3u);
  EXPECT_EQ(tr::U32(tr::OfType(wb.sheets[0], 0x0200).at(0)->body, 4), 1u);
}

TEST(XlsWriter, EachValueTypeGetsItsRecordAndFormat) {
  Table t{"Types",
          {{"int", AdoType::Integer},     {"int30", AdoType::Integer},   {"big", AdoType::BigInt},
           {"huge", AdoType::BigInt},     {"dbl", AdoType::Double},      {"nan", AdoType::Double},
           {"cur", AdoType::Currency},    {"day", AdoType::Date},        {"stamp", AdoType::Date},
           {"time", AdoType::Date},       {"old", AdoType::Date},        {"bool", AdoType::Boolean},
           {"nullDate", AdoType::Date},   {"empty", AdoType::VarWChar},  {"bin", AdoType::VarBinary},
           {"nullCur", AdoType::Currency}, {"inf", AdoType::Double}},
          {}};
  t.rows.push_back({std::int64_t{-5}, std::int64_t{1} << 29, (std::int64_t{1} << 53),
                    (std::int64_t{1} << 53) + 1, 0.1 + 0.2, std::nan(""), CurrencyValue{12345678},
                    DateTimeValue{36585}, DateTimeValue{36585.75}, DateTimeValue{0.5},
                    DateTimeValue{-1.5}, true, std::monostate{}, std::string(), Bytes{0x01, 0xAB, 0xFF},
                    std::monostate{}, -HUGE_VAL});
  const auto wb = Write(t);
  const auto& s = wb.sheets.at(0);
  auto check = [&](std::uint16_t col, std::uint16_t type, std::uint16_t xf) {
    const tr::Record& c = CellAt(s, 1, col);
    EXPECT_EQ(c.type, type) << "column " << col;
    EXPECT_EQ(Xf(c), xf) << "column " << col;
    return c.body;
  };
  EXPECT_EQ(tr::U32(check(0, 0x027E, 15), 6), 0xFFFFFFEEu);  // RK -5
  EXPECT_EQ(tr::F64(check(1, 0x0203, 15), 6), 536870912.0);
  EXPECT_EQ(tr::F64(check(2, 0x0203, 15), 6), 9007199254740992.0);
  check(3, 0x00FD, 15);
  EXPECT_EQ(TextAt(wb, 0, 1, 3), u"9007199254740993");  // no double holds it exactly
  EXPECT_EQ(tr::F64(check(4, 0x0203, 15), 6), 0.1 + 0.2);
  const auto nan = check(5, 0x0205, 15);
  EXPECT_EQ(nan[6], 0x24);  // #NUM!
  EXPECT_EQ(nan[7], 1);
  EXPECT_EQ(tr::F64(check(6, 0x0203, 23), 6), 1234.5678);
  EXPECT_EQ(tr::F64(check(7, 0x0203, 21), 6), 36585.0);
  EXPECT_EQ(tr::F64(check(8, 0x0203, 22), 6), 36585.75);
  EXPECT_EQ(tr::F64(check(9, 0x0203, 24), 6), 0.5);
  check(10, 0x00FD, 15);
  EXPECT_EQ(TextAt(wb, 0, 1, 10), u"1899-12-29 12:00:00");
  const auto flag = check(11, 0x0205, 15);
  EXPECT_EQ(flag[6], 1);
  EXPECT_EQ(flag[7], 0);
  check(12, 0x0201, 21);
  check(13, 0x0201, 15);
  check(14, 0x00FD, 15);
  EXPECT_EQ(TextAt(wb, 0, 1, 14), u"01ABFF");
  check(15, 0x0201, 23);
  EXPECT_EQ(check(16, 0x0205, 15)[6], 0x24);

  // The XFs the cells use carry the date, date-time, currency and time formats.
  const auto xfs = tr::OfType(wb.globals, 0x00E0);
  EXPECT_EQ(tr::U16(xfs[15]->body, 2), 0);
  EXPECT_EQ(tr::U16(xfs[21]->body, 2), 164);
  EXPECT_EQ(tr::U16(xfs[22]->body, 2), 165);
  EXPECT_EQ(tr::U16(xfs[23]->body, 2), 166);
  EXPECT_EQ(tr::U16(xfs[24]->body, 2), 21);
}

TEST(XlsWriter, TextsAreCutToTheCellLimitAndKeepOnlyLfBreaks) {
  Table t{"T", {{"memo", AdoType::LongVarWChar}}, {}};
  t.rows.push_back({std::string(40000, 'y')});
  std::string emoji;
  for (int i = 0; i < 20000; ++i) emoji += "\xF0\x9F\x98\x80";  // 40,000 units
  t.rows.push_back({emoji});
  t.rows.push_back({std::string("line\r\nbreak\rend")});
  t.rows.push_back({std::string(1 << 16, 'b')});
  const auto wb = Write(t);
  EXPECT_EQ(TextAt(wb, 0, 1, 0), std::u16string(32767, u'y'));
  EXPECT_EQ(TextAt(wb, 0, 2, 0).size(), 32766u);  // the pair at the limit goes whole
  EXPECT_EQ(TextAt(wb, 0, 3, 0), u"line\nbreak\nend");
  EXPECT_EQ(TextAt(wb, 0, 4, 0).size(), 32767u);
}

TEST(XlsWriter, LongBinaryValuesShowAsMuchHexAsACellHolds) {
  Table t{"T", {{"blob", AdoType::LongVarBinary}}, {}};
  t.rows.push_back({Bytes(20000, 0x5A)});
  const auto wb = Write(t);
  std::u16string hex;
  for (int i = 0; i < 16383; ++i) hex += u"5A";  // 32,766 characters: whole bytes only
  EXPECT_EQ(TextAt(wb, 0, 1, 0), hex);
}

TEST(XlsWriter, SheetNameFollowsTheTableName) {
  EXPECT_EQ(Write(IntegerTable("Export:Table?", 1)).sheetNames.at(0), u"Export_Table_");
  EXPECT_EQ(Write(IntegerTable("\xE6\x9D\xB1\xE4\xBA\xAC", 1)).sheetNames.at(0), u"\u6771\u4EAC");
  EXPECT_EQ(Write(IntegerTable(std::string(40, 'L'), 1)).sheetNames.at(0), std::u16string(31, u'L'));
}

TEST(XlsWriter, TablesTheFormatCannotHoldAreRejected) {
  zyl::MemorySink sink;
  auto rejects = [&](const Table& t, const XlsOptions& o, const std::string& fragment) {
    try {
      WriteXls(t, sink, o);
      ADD_FAILURE() << "no exception for " << fragment;
    } catch (const zyl::Exception& e) {
      EXPECT_EQ(e.Message().rfind("Excel writer: table '", 0), 0u) << e.Message();
      EXPECT_NE(e.Message().find(fragment), std::string::npos) << e.Message();
    }
  };
  rejects(Table{"T", {}, {}}, {}, "no columns");
  Table wide{"T", std::vector<Column>(257, Column{"c", AdoType::Integer}), {}};
  rejects(wide, {}, "257 columns");
  Table ragged = IntegerTable("T", 3);
  ragged.rows[1].pop_back();
  rejects(ragged, {}, "row 2 has 2 values for 3 columns");
  rejects(IntegerTable("T", 3), XlsOptions{0}, "rows per sheet");
  rejects(IntegerTable("T", 3), XlsOptions{65536}, "rows per sheet");
  rejects(IntegerTable("T", 5000), XlsOptions{1}, "5000 sheets");
  EXPECT_TRUE(sink.Bytes().empty());  // nothing is written before the checks pass
}

TEST(XlsWriter, MalformedUtf8IsAConversionErrorNamingTheCell) {
  zyl::MemorySink sink;
  Table text = IntegerTable("T", 3);
  text.rows[2][1] = std::string("caf\xE9");
  try {
    WriteXls(text, sink);
    ADD_FAILURE() << "no exception";
  } catch (const zyl::EConvertError& e) {
    EXPECT_NE(e.Message().find("column 'Text', row 3"), std::string::npos) << e.Message();
  }
  Table column = IntegerTable("T", 1);
  column.columns[0].name = "\xFF";
  EXPECT_THROW(WriteXls(column, sink), zyl::EConvertError);
  EXPECT_THROW(WriteXls(IntegerTable("\xC3", 1), sink), zyl::EConvertError);
  EXPECT_TRUE(sink.Bytes().empty());
}

TEST(XlsWriter, SinkFailureSurfacesAsAZylException) {
  const Table t = IntegerTable("T", 500);
  zyl::MemorySink full;
  WriteXls(t, full);
  for (std::size_t limit : {std::size_t{0}, std::size_t{100}, std::size_t{4096}, full.Bytes().size() / 2,
                            full.Bytes().size() - 1}) {
    zyl::FailingSink sink(limit);
    EXPECT_THROW(WriteXls(t, sink), zyl::EInOutError) << limit;  // a zyl::Exception
  }
  zyl::FailingSink exact(full.Bytes().size());
  EXPECT_NO_THROW(WriteXls(t, exact));
}

TEST(XlsWriter, SameTableGivesTheSameBytes) {
  zyl::MemorySink a, b;
  WriteXls(IntegerTable("T", 300), a);
  WriteXls(IntegerTable("T", 300), b);
  EXPECT_TRUE(a.Bytes() == b.Bytes());
  EXPECT_EQ(a.Bytes().size() % 512, 0u);
}

}  // namespace
