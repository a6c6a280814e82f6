#include "export/paradox/ParadoxWriter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "export/paradox/ParadoxReader.h"
#include "export/paradox/ParadoxTestTables.h"
#include "platform/Exception.h"
#include "platform/FileSink.h"

namespace zyl::paradox_test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Column Col(std::string name, AdoType type, int size = 0) {
  return Column{std::move(name), type, size, true};
}

DateTimeValue Dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return DateTimeValue{TableDays(y, mo, d, h, mi, s, ms)};
}

// The record bytes of row `row` (all rows here fit the first block).
Bytes RecordBytes(const Bytes& file, std::size_t row = 0) {
  const std::size_t recordSize = file[0] | file[1] << 8;
  const std::size_t headerSize = file[2] | file[3] << 8;
  const auto begin = file.begin() + static_cast<std::ptrdiff_t>(headerSize + 6 + row * recordSize);
  return Bytes(begin, begin + static_cast<std::ptrdiff_t>(recordSize));
}

Bytes SingleValueRecord(AdoType type, std::vector<Value> values, int size = 0) {
  std::vector<std::vector<Value>> rows;
  for (auto& v : values) rows.push_back({std::move(v)});
  return RecordBytes(WriteToMemory(MakeTable({Col("F", type, size)}, std::move(rows))));
}

PxTable WriteAndRead(const Table& table) {
  return ReadParadox(WriteToMemory(table));
}

std::string What(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no exception)";
}

// ---------------------------------------------------------------- values

TEST(ParadoxValueBytes, IntegersAreBigEndianWithTheSignBitFlipped) {
  EXPECT_EQ(SingleValueRecord(AdoType::SmallInt, {std::int64_t{1}}), Hex("8001"));
  EXPECT_EQ(SingleValueRecord(AdoType::SmallInt, {std::int64_t{-1}}), Hex("7fff"));
  EXPECT_EQ(SingleValueRecord(AdoType::Integer, {std::int64_t{2}}), Hex("80000002"));
  EXPECT_EQ(SingleValueRecord(AdoType::Integer, {std::int64_t{-2147483647}}), Hex("00000001"));
}

TEST(ParadoxValueBytes, DateTimeAndTimestampMatchGenuineTables) {
  EXPECT_EQ(SingleValueRecord(AdoType::Date, {Dt(2018, 1, 1)}), Hex("800b3db7"));
  EXPECT_EQ(SingleValueRecord(AdoType::Date, {Dt(1899, 12, 30, 1, 0, 1)}), Hex("8036f268"));
  EXPECT_EQ(SingleValueRecord(AdoType::Date, {Dt(2020, 2, 1, 1, 0, 1)}), Hex("c2ccf98acb193400"));
}

TEST(ParadoxValueBytes, DoublesSetTheSignBitOrInvertEveryBit) {
  const Bytes positiveZero = Hex("8000000000000000");
  EXPECT_EQ(SingleValueRecord(AdoType::Double, {0.0}), positiveZero);
  EXPECT_EQ(SingleValueRecord(AdoType::Double, {-0.0}), positiveZero);
  EXPECT_EQ(SingleValueRecord(AdoType::Double, {1.0}), Hex("bff0000000000000"));
  EXPECT_EQ(SingleValueRecord(AdoType::Double, {-1.0}), Hex("400fffffffffffff"));
  EXPECT_EQ(SingleValueRecord(AdoType::Currency, {CurrencyValue{12300}}),
            Hex("bff3ae147ae147ae"));  // 1.23
}

TEST(ParadoxValueBytes, LogicalAndBcd) {
  EXPECT_EQ(SingleValueRecord(AdoType::Boolean, {true}), Hex("81"));
  EXPECT_EQ(SingleValueRecord(AdoType::Boolean, {false}), Hex("80"));
  // An integer beyond 2^53 turns the column into BCD with 0 decimals.
  const Bytes file = WriteToMemory(
      MakeTable({Col("F", AdoType::BigInt)}, {{std::int64_t{-1}}, {(std::int64_t{1} << 53) + 1}}));
  EXPECT_EQ(RecordBytes(file, 0), Hex("40" + std::string(30, 'f') + "fe"));
  EXPECT_EQ(RecordBytes(file, 1), Hex("c0" + std::string(16, '0') + "9007199254740993"));
}

TEST(ParadoxValueBytes, NullIsAllZeroBytesForEveryType) {
  const Table table = MakeTable(
      {Col("A", AdoType::VarWChar, 5), Col("S", AdoType::SmallInt), Col("I", AdoType::Integer),
       Col("N", AdoType::Double), Col("M", AdoType::Currency), Col("L", AdoType::Boolean),
       Col("D", AdoType::Date), Col("Y", AdoType::VarBinary, 3)},
      {std::vector<Value>(8)});
  const Bytes record = RecordBytes(WriteToMemory(table));
  EXPECT_EQ(record, Bytes(5 + 2 + 4 + 8 + 8 + 1 + 4 + 3, 0));
}

// ---------------------------------------------------------------- header

TEST(ParadoxHeader, FollowsThePublishedLayout) {
  const Table table = MakeTable({Col("Id", AdoType::Integer), Col("Straße", AdoType::VarWChar, 30),
                                 Col("Paid", AdoType::Boolean)},
                                {{std::int64_t{1}, std::string("x"), true}});
  const Bytes file = WriteToMemory(table);
  const PxTable t = ReadParadox(file);
  EXPECT_EQ(t.headerSize, 0x800);
  EXPECT_EQ(t.recordSize, 4 + 30 + 1);
  EXPECT_EQ(t.fileType, 2);
  EXPECT_EQ(t.version, 0x0C);
  EXPECT_EQ(t.blockKiB, 2);
  EXPECT_EQ(t.codePage, 1252);
  EXPECT_EQ(t.sortOrder, 0x11);
  EXPECT_EQ(t.sortOrderName, "ANSII850");
  EXPECT_EQ(t.tableName, "ExportTable.db");
  EXPECT_EQ(t.updateTime, kUpdateTime);
  EXPECT_EQ(t.highestFieldId, 4);
  EXPECT_EQ(t.autoIncrement, 0u);
  ASSERT_EQ(t.fields.size(), 3u);
  EXPECT_EQ(t.fields[0].type, 0x04);
  EXPECT_EQ(t.fields[1].type, 0x01);
  EXPECT_EQ(t.fields[1].sizeByte, 30);
  EXPECT_EQ(t.fields[1].name,
            "Stra\xDF"
            "e");
  EXPECT_EQ(t.fields[2].type, 0x09);
  // Variable part begins with the descriptors: 04 04 01 1E 09 01.
  EXPECT_EQ(Bytes(file.begin() + 0x78, file.begin() + 0x7E), Hex("040401 1e0901"));
}

// ---------------------------------------------------------------- round trips

TEST(ParadoxRoundTrip, EveryFieldTypeWithExtremesAndNulls) {
  const Table table = MakeTable(
      {Col("Name", AdoType::VarWChar, 12), Col("Code", AdoType::Char),
       Col("Small", AdoType::SmallInt), Col("Int", AdoType::Integer), Col("Big", AdoType::BigInt),
       Col("Ratio", AdoType::Double), Col("Pay", AdoType::Currency), Col("Ok", AdoType::Boolean),
       Col("Born", AdoType::Date), Col("At", AdoType::Date), Col("Stamp", AdoType::Date),
       Col("Raw", AdoType::VarBinary, 4)},
      {{std::string("Zürich €"), std::string("A-1"), std::int64_t{-32767},
        std::int64_t{-2147483647}, std::int64_t{-(std::int64_t{1} << 53)}, -1e-300,
        CurrencyValue{-1}, false, Dt(1899, 12, 31), Dt(1899, 12, 30, 0, 0, 0, 1),
        Dt(1850, 3, 1, 23, 59, 59, 999), Bytes{0x01, 0x00, 0xFF}},
       {std::string(""), std::string(300, 'x'), std::int64_t{32767}, std::int64_t{2147483647},
        std::int64_t{1} << 53, 1.7976931348623157e308, CurrencyValue{9'000'000'000'000'000}, true,
        Dt(9999, 12, 31), Dt(1899, 12, 30, 23, 59, 59, 999), Dt(2100, 1, 1, 0, 0, 0, 1),
        Bytes{0xFE, 0xFE, 0xFE, 0xFE, 0xFE}},
       std::vector<Value>(12)});
  const PxTable t = WriteAndRead(table);
  const std::vector<std::uint8_t> types = {0x01, 0x01, 0x03, 0x04, 0x06, 0x06,
                                           0x05, 0x09, 0x02, 0x14, 0x15, 0x18};
  ASSERT_EQ(t.fields.size(), types.size());
  for (std::size_t i = 0; i < types.size(); ++i) EXPECT_EQ(t.fields[i].type, types[i]) << i;
  EXPECT_EQ(t.fields[1].length, 255);

  ASSERT_EQ(t.rows.size(), 3u);
  const auto& r0 = t.rows[0];
  EXPECT_EQ(r0[0], PxValue(std::string("Z\xFCrich \x80")));
  EXPECT_EQ(r0[1], PxValue(std::string("A-1")));
  EXPECT_EQ(r0[2], PxValue(std::int64_t{-32767}));
  EXPECT_EQ(r0[3], PxValue(std::int64_t{-2147483647}));
  EXPECT_EQ(r0[4], PxValue(-9007199254740992.0));
  EXPECT_EQ(r0[5], PxValue(-1e-300));
  EXPECT_EQ(r0[6], PxValue(-0.0001));
  EXPECT_EQ(r0[7], PxValue(false));
  EXPECT_EQ(r0[8], PxValue(DayNumber(1899, 12, 31)));
  EXPECT_EQ(r0[9], PxValue(std::int64_t{1}));
  EXPECT_EQ(r0[10], PxValue(DayNumber(1850, 3, 1) * 86400000.0 + 86399999));
  EXPECT_EQ(r0[11], PxValue(Bytes{0x01, 0x00, 0xFF, 0x00}));

  const auto& r1 = t.rows[1];
  EXPECT_EQ(r1[0], PxValue());  // Paradox has no empty string
  EXPECT_EQ(r1[1], PxValue(std::string(255, 'x')));
  EXPECT_EQ(r1[2], PxValue(std::int64_t{32767}));
  EXPECT_EQ(r1[3], PxValue(std::int64_t{2147483647}));
  EXPECT_EQ(r1[4], PxValue(9007199254740992.0));
  EXPECT_EQ(r1[5], PxValue(1.7976931348623157e308));
  EXPECT_EQ(r1[6], PxValue(9e11));
  EXPECT_EQ(r1[7], PxValue(true));
  EXPECT_EQ(r1[8], PxValue(DayNumber(9999, 12, 31)));
  EXPECT_EQ(r1[9], PxValue(std::int64_t{86399999}));
  EXPECT_EQ(r1[10], PxValue(DayNumber(2100, 1, 1) * 86400000.0 + 1));
  EXPECT_EQ(r1[11], PxValue(Bytes{0xFE, 0xFE, 0xFE, 0xFE}));

  EXPECT_EQ(t.rows[2], std::vector<PxValue>(12));
}

TEST(ParadoxRoundTrip, IntegerFieldsWidenWhenAValueDoesNotFit) {
  const std::int64_t min64 = std::numeric_limits<std::int64_t>::min();
  const Table table = MakeTable(
      {Col("S1", AdoType::SmallInt), Col("S2", AdoType::SmallInt), Col("I1", AdoType::Integer),
       Col("B1", AdoType::BigInt), Col("B2", AdoType::BigInt)},
      {{std::int64_t{-32768}, std::int64_t{65535}, std::int64_t{-2147483647 - 1}, std::int64_t{7},
        min64},
       {std::int64_t{5}, std::int64_t{0}, std::int64_t{0}, std::int64_t{-7}, std::int64_t{0}}});
  const PxTable t = WriteAndRead(table);
  EXPECT_EQ(t.fields[0].type, 0x04);
  EXPECT_EQ(t.fields[1].type, 0x04);
  EXPECT_EQ(t.fields[2].type, 0x06);
  EXPECT_EQ(t.fields[3].type, 0x06);
  EXPECT_EQ(t.fields[4].type, 0x17);
  EXPECT_EQ(t.fields[4].sizeByte, 0);
  EXPECT_EQ(t.rows[0][0], PxValue(std::int64_t{-32768}));
  EXPECT_EQ(t.rows[0][1], PxValue(std::int64_t{65535}));
  EXPECT_EQ(t.rows[0][2], PxValue(-2147483648.0));
  EXPECT_EQ(t.rows[0][3], PxValue(7.0));
  EXPECT_EQ(t.rows[0][4], PxValue(std::string("-9223372036854775808")));
  EXPECT_EQ(t.rows[1][1], PxValue(std::int64_t{0}));  // zero is a value, not a blank
  EXPECT_EQ(t.rows[1][4], PxValue(std::string("0")));
}

TEST(ParadoxRoundTrip, DateColumnsBecomeDateTimeOrTimestampByTheirValues) {
  const Table table = MakeTable(
      {Col("Days", AdoType::Date), Col("Times", AdoType::Date), Col("Mixed", AdoType::Date),
       Col("Midnight", AdoType::Date), Col("Empty", AdoType::Date)},
      {{Dt(2003, 12, 31), Dt(1899, 12, 30, 12, 30), Dt(2003, 12, 31), Dt(1899, 12, 30), Value()},
       {Dt(1066, 10, 14), Dt(1899, 12, 30), Dt(1899, 12, 30, 8), Value(), Value()}});
  const PxTable t = WriteAndRead(table);
  EXPECT_EQ(t.fields[0].type, 0x02);
  EXPECT_EQ(t.fields[1].type, 0x14);
  EXPECT_EQ(t.fields[2].type, 0x15);
  EXPECT_EQ(t.fields[3].type, 0x02);  // time-only midnights are whole days
  EXPECT_EQ(t.fields[4].type, 0x02);
  EXPECT_EQ(t.rows[1][0], PxValue(DayNumber(1066, 10, 14)));
  EXPECT_EQ(t.rows[0][1], PxValue(std::int64_t{45000000}));
  EXPECT_EQ(t.rows[1][1], PxValue(std::int64_t{0}));
  EXPECT_EQ(t.rows[1][2], PxValue(DayNumber(1899, 12, 30) * 86400000.0 + 8 * 3600000));
}

TEST(ParadoxRoundTrip, DatesBefore1900AndAfter2038KeepTheirDayAndTime) {
  struct Case {
    DateTimeValue value;
    std::int64_t day;
    std::int64_t ms;
  };
  const std::vector<Case> cases = {
      {DateTimeValue{-1.25}, DayNumber(1899, 12, 29), 6 * 3600000},
      {Dt(1, 1, 1), 1, 0},
      {Dt(1582, 10, 15, 12), DayNumber(1582, 10, 15), 12 * 3600000},
      {Dt(2038, 1, 19, 3, 14, 8), DayNumber(2038, 1, 19), 11648000},
      {Dt(9999, 12, 31, 23, 59, 59, 999), DayNumber(9999, 12, 31), 86399999},
      {DateTimeValue{1.0 - 1e-12}, DayNumber(1899, 12, 31), 0},  // rounds up to midnight
  };
  std::vector<std::vector<Value>> rows;
  for (const auto& c : cases) rows.push_back({c.value});
  const PxTable t = WriteAndRead(MakeTable({Col("When", AdoType::Date)}, rows));
  ASSERT_EQ(t.fields[0].type, 0x15);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(t.rows[i][0], PxValue(static_cast<double>(cases[i].day * 86400000 + cases[i].ms)))
        << i;
  }
  EXPECT_EQ(DayNumber(2018, 1, 1), 736695);  // the reader's calendar agrees with the format's
}

TEST(ParadoxRoundTrip, NaNAndInfinityAreWrittenBlank) {
  const PxTable t =
      WriteAndRead(MakeTable({Col("N", AdoType::Double)}, {{kNaN}, {kInf}, {-kInf}, {2.5}}));
  EXPECT_EQ(t.rows[0][0], PxValue());
  EXPECT_EQ(t.rows[1][0], PxValue());
  EXPECT_EQ(t.rows[2][0], PxValue());
  EXPECT_EQ(t.rows[3][0], PxValue(2.5));
}

// ---------------------------------------------------------------- text

TEST(ParadoxText, IsConvertedToCodePage1252WithQuestionMarksForTheRest) {
  const PxTable t = WriteAndRead(
      MakeTable({Col("T", AdoType::VarWChar, 40)}, {{std::string("Zürich € „quoted“ – œuvre")},
                                                    {std::string("Ελλάδα")},
                                                    {std::string("a\xF0\x9F\x98\x80z")},
                                                    {std::string("bad \xC3 byte")},
                                                    {std::string("nul\0inside", 10)}}));
  EXPECT_EQ(t.rows[0][0], PxValue(std::string("Z\xFCrich \x80 \x84quoted\x93 \x96 \x9Cuvre")));
  EXPECT_EQ(t.rows[1][0], PxValue(std::string("??????")));
  EXPECT_EQ(t.rows[2][0], PxValue(std::string("a?z")));
  EXPECT_EQ(t.rows[3][0], PxValue(std::string("bad ? byte")));
  EXPECT_EQ(t.rows[4][0], PxValue(std::string("nul?inside")));
}

TEST(ParadoxText, LongerValuesAreCutAtTheFieldSizeAfterConversion) {
  std::string accents;
  for (int i = 0; i < 300; ++i) accents += "é";  // 600 UTF-8 bytes, 300 in cp1252
  const PxTable t = WriteAndRead(
      MakeTable({Col("Short", AdoType::VarWChar, 5), Col("Wide", AdoType::VarWChar, 1000),
                 Col("Unsized", AdoType::VarWChar)},
                {{std::string("abcdefgh"), accents, std::string("€€€€€€")}}));
  EXPECT_EQ(t.fields[0].length, 5);
  EXPECT_EQ(t.fields[1].length, 255);
  EXPECT_EQ(t.fields[2].length, 255);
  EXPECT_EQ(t.rows[0][0], PxValue(std::string("abcde")));
  EXPECT_EQ(t.rows[0][1], PxValue(std::string(255, '\xE9')));
  EXPECT_EQ(t.rows[0][2], PxValue(std::string(6, '\x80')));
}

// ---------------------------------------------------------------- field names

std::vector<std::string> FieldNames(const std::vector<std::string>& columnNames) {
  std::vector<Column> columns;
  for (const auto& n : columnNames) columns.push_back(Col(n, AdoType::Integer));
  std::vector<std::string> names;
  for (const auto& f : WriteAndRead(MakeTable(columns)).fields) names.push_back(f.name);
  return names;
}

TEST(ParadoxFieldNames, AreShortenedTo25Bytes) {
  EXPECT_EQ(FieldNames({"Customer identification number"}),
            std::vector<std::string>{"Customer identification n"});
  EXPECT_EQ(FieldNames({"Customer identification   x"}),  // no trailing blank after the cut
            std::vector<std::string>{"Customer identification"});
}

TEST(ParadoxFieldNames, AreUniqueIgnoringCase) {
  EXPECT_EQ(FieldNames({"ID", "id", "Id", "id_2"}),
            (std::vector<std::string>{"ID", "id_2", "Id_3", "id_2_2"}));
  EXPECT_EQ(FieldNames({"gr\xC3\xB6\xC3\x9F"
                        "e",
                        "GR\xC3\x96\xC3\x9F"
                        "E"}),
            (std::vector<std::string>{"gr\xF6\xDF"
                                      "e",
                                      "GR\xD6\xDF"
                                      "E_2"}));
  // Names equal in their first 25 bytes keep the suffix within 25 bytes.
  const auto names = FieldNames({std::string(30, 'a') + "1", std::string(30, 'a') + "2"});
  EXPECT_EQ(names[0], std::string(25, 'a'));
  EXPECT_EQ(names[1], std::string(23, 'a') + "_2");
}

TEST(ParadoxFieldNames, DisturbingCharactersAndEmptyNamesAreReplaced) {
  EXPECT_EQ(FieldNames({"[Price] (net)", "  lead", "", "#", "a->b", "tab\there", "COLUMN 0",
                        "Ελλάδα", "{x}\"y\""}),
            (std::vector<std::string>{"_Price_ _net_", "lead", "Field3", "Field4", "a-_b",
                                      "tab_here", "COLUMN 0", "??????", "_x__y_"}));
}

// ---------------------------------------------------------------- blocks

Table NumberedRows(std::size_t count) {
  std::vector<std::vector<Value>> rows;
  rows.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    rows.push_back({static_cast<std::int64_t>(i), std::string("row ") + std::to_string(i),
                    i % 7 == 0 ? Value() : Value(Dt(1990, 1, 1 + static_cast<int>(i % 28)))});
  }
  return MakeTable(
      {Col("N", AdoType::Integer), Col("T", AdoType::VarWChar, 20), Col("D", AdoType::Date)},
      std::move(rows));
}

TEST(ParadoxBlocks, EmptyTableIsTheHeaderAlone) {
  const Bytes file = WriteToMemory(NumberedRows(0));
  EXPECT_EQ(file.size(), 0x800u);
  const PxTable t = ReadParadox(file);
  EXPECT_EQ(t.records, 0u);
  EXPECT_EQ(t.blocksInFile, 0);
  EXPECT_EQ(t.firstBlock, 0);
  EXPECT_EQ(t.fields.size(), 3u);
}

TEST(ParadoxBlocks, OneRowIsOneBlock) {
  const Bytes file = WriteToMemory(NumberedRows(1));
  EXPECT_EQ(file.size(), 0x800u + 2048u);
  const PxTable t = ReadParadox(file);
  EXPECT_EQ(t.recordsPerBlock, std::vector<int>{1});
  EXPECT_EQ(t.rows[0][1], PxValue(std::string("row 0")));
}

TEST(ParadoxBlocks, TenThousandRowsFillChainedBlocksInOrder) {
  const PxTable t = WriteAndRead(NumberedRows(10000));
  const int perBlock = (2048 - 6) / (4 + 20 + 4);  // 72
  ASSERT_EQ(t.records, 10000u);
  ASSERT_EQ(t.blocksInUse, (10000 + perBlock - 1) / perBlock);
  for (std::size_t b = 0; b + 1 < t.recordsPerBlock.size(); ++b) {
    ASSERT_EQ(t.recordsPerBlock[b], perBlock) << b;
  }
  EXPECT_EQ(t.recordsPerBlock.back(), 10000 % perBlock);
  for (std::size_t i = 0; i < 10000; ++i) {
    ASSERT_EQ(t.rows[i][0], PxValue(static_cast<std::int64_t>(i)));
    ASSERT_EQ(t.rows[i][1], PxValue(std::string("row ") + std::to_string(i)));
    ASSERT_EQ(t.rows[i][2], i % 7 == 0 ? PxValue() : PxValue(DayNumber(1990, 1, 1 + i % 28)));
  }
}

Table WideTable(int alphaColumns, std::size_t rows) {
  std::vector<Column> columns;
  for (int i = 0; i < alphaColumns; ++i)
    columns.push_back(Col("C" + std::to_string(i), AdoType::VarWChar));
  columns.push_back(Col("S", AdoType::SmallInt));
  const std::size_t width = columns.size();
  return MakeTable(std::move(columns),
                   std::vector<std::vector<Value>>(rows, std::vector<Value>(width)));
}

TEST(ParadoxBlocks, LongRecordsAndManyRowsTakeLargerBlocks) {
  EXPECT_EQ(WriteAndRead(WideTable(7, 3)).blockKiB, 2);     // 1787 bytes
  EXPECT_EQ(WriteAndRead(WideTable(10, 3)).blockKiB, 4);    // 2552 bytes
  EXPECT_EQ(WriteAndRead(WideTable(20, 3)).blockKiB, 16);   // 5102 bytes
  EXPECT_EQ(WriteAndRead(WideTable(100, 3)).blockKiB, 32);  // 25502 bytes
  // 8 x 255 + 2 = 2042 bytes: one record per 2 KiB block, so 65536 rows need 4 KiB blocks.
  class Counter : public ByteSink {
   public:
    void Write(const void* data, std::size_t n) override {
      const auto* p = static_cast<const std::uint8_t*>(data);
      if (head.empty()) head.assign(p, p + 8);
      total += n;
    }
    using ByteSink::Write;
    Bytes head;
    std::size_t total = 0;
  } counter;
  exporting::WriteParadox(WideTable(8, 65536), counter);
  EXPECT_EQ(counter.head[5], 4);
  EXPECT_EQ(counter.total, 0x800u + 32768u * 4096u);
}

TEST(ParadoxBlocks, RecordsLongerThan32KiBAreRefused) {
  EXPECT_EQ(What([] { WriteToMemory(WideTable(129, 1)); }),
            "Paradox writer: table 'ExportTable': a record of 32897 bytes is longer than the "
            "32762 bytes a Paradox record can take");
}

// ---------------------------------------------------------------- refusals

TEST(ParadoxRefusals, MemoAndLongBinaryColumnsAreLeftOut) {
  const PxTable t =
      WriteAndRead(MakeTable({Col("Memo", AdoType::LongVarWChar), Col("Keep", AdoType::Integer),
                              Col("Picture", AdoType::LongVarBinary)},
                             {{std::string(5000, 'm'), std::int64_t{3}, Bytes(5000, 1)}}));
  ASSERT_EQ(t.fields.size(), 1u);
  EXPECT_EQ(t.fields[0].name, "Keep");
  EXPECT_EQ(t.rows[0][0], PxValue(std::int64_t{3}));
  EXPECT_EQ(What([] { WriteToMemory(MakeTable({Col("Memo", AdoType::LongVarWChar)})); }),
            "Paradox writer: table 'ExportTable' has no column that a Paradox table can hold");
}

TEST(ParadoxRefusals, TablesThatCannotBeWrittenNameTheCause) {
  EXPECT_EQ(What([] { WriteToMemory(MakeTable({Col("X", AdoType::Empty)})); }),
            "Paradox writer: column 'X': type 0 has no Paradox field type");
  EXPECT_EQ(What([] { WriteToMemory(MakeTable({Col("E", AdoType::Error)})); }),
            "Paradox writer: column 'E': type 10 has no Paradox field type");
  EXPECT_EQ(What([] { WriteToMemory(MakeTable({})); }),
            "Paradox writer: table 'ExportTable' has no column that a Paradox table can hold");
  EXPECT_EQ(
      What([] {
        WriteToMemory(MakeTable({Col("A", AdoType::Integer)}, std::vector<std::vector<Value>>(2)));
      }),
      "Paradox writer: row 1 has 0 values for 1 columns");
  std::vector<Column> many(256, Col("C", AdoType::Boolean));
  EXPECT_EQ(What([&] { WriteToMemory(MakeTable(many)); }),
            "Paradox writer: table 'ExportTable' has 256 columns; a Paradox table holds at "
            "most 255");
  many.pop_back();
  EXPECT_EQ(WriteAndRead(MakeTable(many)).fields.size(), 255u);
}

TEST(ParadoxRefusals, BadValuesNameColumnAndRow) {
  const auto table = [](AdoType type, Value bad) {
    return MakeTable({Col("Price", type)}, {{Value()}, {std::move(bad)}});
  };
  EXPECT_EQ(What([&] { WriteToMemory(table(AdoType::Integer, std::string("12"))); }),
            "Paradox writer: column 'Price', row 2: text cannot be stored in a long field");
  EXPECT_EQ(What([&] { WriteToMemory(table(AdoType::Boolean, std::int64_t{1})); }),
            "Paradox writer: column 'Price', row 2: an integer cannot be stored in a logical "
            "field");
  EXPECT_EQ(What([&] { WriteToMemory(table(AdoType::Date, DateTimeValue{3000000})); }),
            "Paradox writer: column 'Price', row 2: date-time 3000000 lies outside "
            "0001-01-01..9999-12-31");
  EXPECT_EQ(What([&] { WriteToMemory(table(AdoType::Date, DateTimeValue{-700000})); }),
            "Paradox writer: column 'Price', row 2: date-time -700000 lies outside "
            "0001-01-01..9999-12-31");
  EXPECT_EQ(What([&] { WriteToMemory(table(AdoType::Date, DateTimeValue{kNaN})); }),
            "Paradox writer: column 'Price', row 2: date-time nan lies outside "
            "0001-01-01..9999-12-31");
}

// ---------------------------------------------------------------- failures

TEST(ParadoxFailures, SinkErrorsPassThroughWhereverTheyHappen) {
  const Table table = NumberedRows(500);
  const std::size_t size = WriteToMemory(table).size();
  for (std::size_t limit : {std::size_t{0}, std::size_t{100}, std::size_t{0x7FF},
                            std::size_t{0x800}, std::size_t{0x800 + 2048 * 3 + 5}, size - 1}) {
    FailingSink sink(limit);
    EXPECT_THROW(exporting::WriteParadox(table, sink), EInOutError) << limit;
  }
  FailingSink exact(size);
  EXPECT_NO_THROW(exporting::WriteParadox(table, exact));
}

TEST(ParadoxFailures, FailedExportThroughAFileSinkLeavesNoFile) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("zyl_paradox_w_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  Table table = NumberedRows(10000);
  table.rows.back()[0] = std::string("not a number");
  {
    FileSink sink((dir / "new.db").string());
    EXPECT_THROW(exporting::WriteParadox(table, sink), EConvertError);
  }
  EXPECT_TRUE(fs::is_empty(dir));

  table.rows.back()[0] = std::int64_t{9999};
  {
    FileSink sink((dir / "good.db").string());
    exporting::WriteParadox(table, sink, exporting::ParadoxOptions{kUpdateTime});
    sink.Commit();
  }
  std::ifstream in(dir / "good.db", std::ios::binary);
  const Bytes onDisk{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(onDisk, WriteToMemory(table));
  EXPECT_EQ(ReadParadox(onDisk).records, 10000u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zyl::paradox_test
