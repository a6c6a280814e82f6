#include "export/dbf/DbfWriter.h"

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "platform/Exception.h"

namespace zyl::exporting {
namespace {

constexpr CivilDate kUpdated{2026, 3, 5};
constexpr double kDay20031231 = 37986;  // days since 30.12.1899

std::string Write(const Table& table) {
  MemorySink sink;
  WriteDbf(table, sink, kUpdated);
  return std::string(sink.Bytes().begin(), sink.Bytes().end());
}

std::string Descriptor(const std::string& name, char type, int length, int decimals) {
  std::string d(32, '\0');
  d.replace(0, name.size(), name);
  d[11] = type;
  d[16] = static_cast<char>(length);
  d[17] = static_cast<char>(decimals);
  return d;
}

Table WorkedExample() {
  return Table{"ExportTable",
               {{"Name", AdoType::VarWChar},
                {"Count", AdoType::Integer},
                {"Price", AdoType::Currency},
                {"Done", AdoType::Boolean},
                {"Day", AdoType::Date}},
               {{std::string("Z\xC3\xBCrich"), std::int64_t{42}, CurrencyValue{12'345'678}, true,
                 DateTimeValue{kDay20031231 + 0.5729}},
                {Value{}, Value{}, Value{}, Value{}, Value{}}}};
}

// Header length 32 + 5 * 32 + 1 = 193, record length 1 + 6 + 11 + 20 + 1 + 8 = 47.
TEST(DbfWriter, WorkedExampleHeaderAndDescriptors) {
  const std::string file = Write(WorkedExample());
  ASSERT_EQ(file.size(), 193u + 2 * 47 + 1);

  std::string header(32, '\0');
  header.replace(0, 12,
                 std::string("\x03\x7E\x03\x05"
                             "\x02\0\0\0"
                             "\xC1\0"
                             "\x2F\0",
                             12));
  header[29] = '\x57';  // language driver: code page 1252
  EXPECT_EQ(file.substr(0, 32), header);
  EXPECT_EQ(file.substr(32, 32), Descriptor("NAME", 'C', 6, 0));
  EXPECT_EQ(file.substr(64, 32), Descriptor("COUNT", 'N', 11, 0));
  EXPECT_EQ(file.substr(96, 32), Descriptor("PRICE", 'N', 20, 4));
  EXPECT_EQ(file.substr(128, 32), Descriptor("DONE", 'L', 1, 0));
  EXPECT_EQ(file.substr(160, 32), Descriptor("DAY", 'D', 8, 0));
  EXPECT_EQ(file[192], '\x0D');
  EXPECT_EQ(file.back(), '\x1A');
}

TEST(DbfWriter, WorkedExampleRecordsAndBlankNulls) {
  const std::string file = Write(WorkedExample());
  EXPECT_EQ(file.substr(193, 47), " Z\xFCrich         42           1234.5678T20031231");
  EXPECT_EQ(file.substr(240, 47), std::string(47, ' '));
}

TEST(DbfWriter, EmptyTableIsHeaderAndEndMarker) {
  const std::string file = Write(Table{"T", {{"A", AdoType::Double}}, {}});
  ASSERT_EQ(file.size(), 32u + 32 + 1 + 1);
  EXPECT_EQ(file.substr(4, 4), std::string(4, '\0'));
  EXPECT_EQ(file.substr(32, 32), Descriptor("A", 'N', 20, 6));
  EXPECT_EQ(file.substr(64), "\x0D\x1A");
}

TEST(DbfWriter, NumbersAreRightAlignedFixedPointText) {
  const Table table{"T",
                    {{"I", AdoType::BigInt}, {"D", AdoType::Double}, {"C", AdoType::Currency}},
                    {{std::numeric_limits<std::int64_t>::min(), -0.5, CurrencyValue{-1}},
                     {std::int64_t{0}, 1e-7, CurrencyValue{999'999'999'999'999'999}},
                     {std::int64_t{7}, 123.25, CurrencyValue{0}}}};
  const std::string file = Write(table);
  const std::size_t first = 32 + 3 * 32 + 1;
  ASSERT_EQ(file.substr(32 + 32 + 16, 2), "\x0B\x07");  // D is N(11,7): "123" "." 7 decimals
  const std::size_t len = 1 + 20 + 11 + 20;
  EXPECT_EQ(file.substr(first, len), " -9223372036854775808 -0.5000000             -0.0001");
  EXPECT_EQ(file.substr(first + len, len), "                    0  0.0000001 99999999999999.9999");
  EXPECT_EQ(file.substr(first + 2 * len, len),
            "                    7123.2500000              0.0000");
}

TEST(DbfWriter, TextIsCodePage1252LeftAlignedAndCutAt254) {
  const Table table{
      "T",
      {{"S", AdoType::VarWChar}},
      {{std::string("  lead \xCE\x95\xE2\x82\xAC")}, {std::string(300, 'a')}, {std::string()}}};
  const std::string file = Write(table);
  ASSERT_EQ(file.substr(32 + 16, 1), "\xFE");  // C(254)
  const std::size_t first = 32 + 32 + 1;
  EXPECT_EQ(file.substr(first, 255), " " + ("  lead ?\x80" + std::string(245, ' ')));
  EXPECT_EQ(file.substr(first + 255, 255), " " + std::string(254, 'a'));
  EXPECT_EQ(file.substr(first + 510, 255), std::string(255, ' '));
}

TEST(DbfWriter, DatesKeepTheDayAcrossTheWholeRange) {
  const Table table{
      "T",
      {{"D", AdoType::Date}},
      {{DateTimeValue{-693'593}}, {DateTimeValue{-1.25}}, {DateTimeValue{2'958'465.99}}}};
  const std::string file = Write(table);
  EXPECT_EQ(file.substr(32 + 32 + 1, 27), " 00010101 18991229 99991231");
}

TEST(DbfWriter, RefusedTableWritesNothing) {
  Table table{"T", {{"Price", AdoType::Double}}, {}};
  for (int i = 0; i < 1000; ++i) table.rows.push_back({static_cast<double>(i)});
  table.rows.push_back({1e300});
  MemorySink sink;
  EXPECT_THROW(WriteDbf(table, sink, kUpdated), Exception);
  EXPECT_TRUE(sink.Bytes().empty());
}

TEST(DbfWriter, SinkFailuresPassThroughAtAnyPoint) {
  Table table{"T", {{"Name", AdoType::VarWChar, 40}, {"N", AdoType::Integer}}, {}};
  for (int i = 0; i < 3000; ++i)
    table.rows.push_back({std::string("row ") + std::to_string(i), std::int64_t{i}});
  const std::size_t total = 32 + 2 * 32 + 1 + 3000 * (1 + 40 + 11) + 1;  // past one 64 KiB flush
  ASSERT_EQ(Write(table).size(), total);
  for (const std::size_t limit :
       {std::size_t{0}, std::size_t{31}, std::size_t{97}, std::size_t{70'000}, total - 1}) {
    FailingSink sink(limit);
    EXPECT_THROW(WriteDbf(table, sink, kUpdated), EInOutError) << limit;
  }
  FailingSink exact(total);
  EXPECT_NO_THROW(WriteDbf(table, exact, kUpdated));
}

TEST(DbfWriter, DateOfLastUpdateDefaultsToToday) {
  MemorySink sink;
  WriteDbf(Table{"T", {{"B", AdoType::Boolean}}, {{true}}}, sink);
  const CivilDate today = TodayLocal();
  EXPECT_EQ(sink.Bytes()[1], today.year - 1900);
  EXPECT_EQ(sink.Bytes()[2], today.month);
  EXPECT_EQ(sink.Bytes()[3], today.day);
}

}  // namespace
}  // namespace zyl::exporting
