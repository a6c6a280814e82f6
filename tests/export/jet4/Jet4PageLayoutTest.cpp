// Page structures of the Access writer's files, checked against the bytes
// the format prescribes: header, catalog index entries, table definition,
// data pages, rows, usage maps and long values.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "export/jet4/Jet4Header.h"
#include "export/jet4/Jet4LongValues.h"
#include "export/jet4/Jet4Pages.h"
#include "export/jet4/Jet4Text.h"
#include "export/jet4/Jet4Writer.h"

namespace {

using namespace zyl::exporting;
using namespace zyl::exporting::jet4;

std::vector<std::uint8_t> WriteToMemory(const std::vector<Table>& tables) {
  zyl::MemorySink sink;
  Jet4WriteOptions options;
  options.created = 45000.5;
  WriteJet4Database(tables, sink, options);
  return sink.Take();
}

std::uint32_t U16(const std::uint8_t* p) {
  return p[0] | (p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
  return U16(p) | (U16(p + 2) << 16);
}

const std::uint8_t* PageOf(const std::vector<std::uint8_t>& file, std::uint32_t page) {
  return file.data() + std::size_t{page} * kPageSize;
}

// Row `row` of a data page, with its length.
std::vector<std::uint8_t> RowOf(const std::uint8_t* page, std::uint32_t row) {
  const std::uint32_t start = U16(page + 14 + 2 * row) & 0x1FFF;
  const std::uint32_t end = row == 0 ? kPageSize : U16(page + 14 + 2 * (row - 1)) & 0x1FFF;
  return {page + start, page + end};
}

bool Contains(const std::uint8_t* page, const std::vector<std::uint8_t>& bytes) {
  const std::uint8_t* end = page + kPageSize;
  return std::search(page, end, bytes.begin(), bytes.end()) != end;
}

Table SmallTable() {
  Table t;
  t.name = "ExportTable";
  t.columns = {{"N", AdoType::Integer}, {"T", AdoType::VarWChar, 10}};
  t.rows = {{std::int64_t{5}, std::string("ab")}};
  return t;
}

TEST(Jet4Header, ConstantsAndMaskedAreaAsTheEngineWritesThem) {
  const auto file = WriteToMemory({});
  ASSERT_EQ(file.size(), 19 * kPageSize);
  const std::uint8_t* p = file.data();
  EXPECT_EQ(0, std::memcmp(p, "\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00", 24));
  // The mask is RC4 keyed C7 DA 39 6B, whose stream starts B5 6F 03 62; the
  // plain text there is 00 01 00 00.
  EXPECT_EQ(p[0x18], 0xB5);
  EXPECT_EQ(p[0x19], 0x6F ^ 0x01);
  EXPECT_EQ(p[0x1A], 0x03);
  EXPECT_EQ(p[0x1B], 0x62);
  EXPECT_EQ(0, std::memcmp(p + 0x98, "\x54\x06\x00\x00\x34\x2E\x30\x00", 8));
  EXPECT_EQ(p[0xE00], 1);
  EXPECT_EQ(p[0xE01], 1);
  EXPECT_EQ(p[0xE02], 0);

  std::uint8_t plain[128];
  std::memcpy(plain, p + 0x18, sizeof plain);
  const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
  Rc4(key, plain);
  EXPECT_EQ(U16(plain + 0x3C - 0x18), 1252u);
  EXPECT_EQ(U32(plain + 0x3E - 0x18), 0u) << "pages must not be encoded";
  double created = 0;
  std::memcpy(&created, plain + 0x72 - 0x18, 8);
  EXPECT_EQ(created, 42850.48191293982);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(U32(plain + 0x42 - 0x18 + 4 * k), 42850u) << "empty-password mask, word " << k;
  }
  EXPECT_EQ(0, std::memcmp(plain + 0x6E - 0x18, "\x09\x04\x00\x00", 4));
}

TEST(Jet4Catalog, EmptyDatabaseHasTheEnginesPageLayout) {
  const auto file = WriteToMemory({});
  const std::uint8_t types[19] = {0, 1, 2, 2, 2, 2, 1, 4, 4, 1, 4, 1, 4, 1, 4, 4, 4, 1, 1};
  for (std::uint32_t page = 0; page < 19; ++page) {
    EXPECT_EQ(PageOf(file, page)[0], types[page]) << "page " << page;
    if (page > 0) {
      EXPECT_EQ(PageOf(file, page)[1], 1) << "page " << page;
    }
  }
  EXPECT_EQ(U32(PageOf(file, 17) + 4), 2u) << "MSysObjects rows belong to its TDEF";
  EXPECT_EQ(U16(PageOf(file, 17) + 12), 8u);
  EXPECT_EQ(U16(PageOf(file, 18) + 12), 16u) << "the engine's 16 access-control entries";
  // Page 1: row 0 marks pages 19..511 free.
  const auto freeMap = RowOf(PageOf(file, 1), 0);
  ASSERT_EQ(freeMap.size(), 69u);
  EXPECT_EQ(freeMap[5 + 2], 0xF8);  // pages 16-18 used, 19-23 free
  EXPECT_EQ(freeMap[5 + 63], 0xFF);
}

TEST(Jet4Catalog, UserTableIsRegisteredInTheNameIndex) {
  const auto file = WriteToMemory({SmallTable()});
  // ParentIdName key of "ExportTable" under the Tables container, then the
  // row's place: page 17 (3 bytes big-endian), row 8.
  const std::vector<std::uint8_t> entry = {0x7F, 0x8F, 0x00, 0x00, 0x01, 0x7F, 0x51, 0x75,
                                           0x66, 0x64, 0x69, 0x6D, 0x6D, 0x4A, 0x4C, 0x5E,
                                           0x51, 0x01, 0x00, 0x00, 0x00, 0x11, 0x08};
  EXPECT_TRUE(Contains(PageOf(file, 7), entry));
  // Id index: 19 with the sign bit flipped, big-endian.
  EXPECT_TRUE(Contains(PageOf(file, 8), {0x7F, 0x80, 0x00, 0x00, 0x13, 0x00, 0x00, 0x11, 0x08}));
  EXPECT_EQ(U16(PageOf(file, 18) + 12), 19u) << "three entries for the new table";
}

TEST(Jet4Tdef, HeaderAndDescriptorsOfAUserTable) {
  const auto file = WriteToMemory({SmallTable()});
  const std::uint8_t* t = PageOf(file, 19);
  EXPECT_EQ(t[0], 0x02);
  EXPECT_EQ(t[1], 0x01);
  EXPECT_EQ(U32(t + 4), 0u);
  EXPECT_EQ(U32(t + 12), 0x0659u);
  EXPECT_EQ(U32(t + 16), 1u) << "row count";
  EXPECT_EQ(t[40], 0x4E);
  EXPECT_EQ(U16(t + 41), 2u);
  EXPECT_EQ(U16(t + 43), 1u) << "variable columns";
  EXPECT_EQ(U16(t + 45), 2u);
  EXPECT_EQ(U32(t + 47), 0u);
  EXPECT_EQ(U32(t + 51), 0u);
  EXPECT_EQ(U32(t + 55), (20u << 8) | 0);
  EXPECT_EQ(U32(t + 59), (20u << 8) | 1);
  // Long Integer N: fixed at offset 0, 4 bytes.
  const std::uint8_t n[25] = {0x04, 0x59, 0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              0,    0,    0x03, 0, 0, 0, 0, 0, 0, 0, 4, 0};
  EXPECT_EQ(0, std::memcmp(t + 63, n, 25));
  // Text(10) T: variable index 0, sort order General, 20 bytes.
  const std::uint8_t tx[25] = {0x0A, 0x59, 0x06, 0, 0, 1, 0, 0, 0, 1, 0,  0x09, 0x04,
                               0,    0,    0x02, 0, 0, 0, 0, 0, 0, 0, 20, 0};
  EXPECT_EQ(0, std::memcmp(t + 88, tx, 25));
  EXPECT_EQ(0, std::memcmp(t + 113, "\x02\x00N\x00\x02\x00T\x00\xFF\xFF", 10));
  EXPECT_EQ(U32(t + 8), 123u) << "total length";
  EXPECT_EQ(U16(t + 2), kPageSize - 123 - 8) << "free space";
}

TEST(Jet4Rows, RowLayoutAndDataPageHeader) {
  const auto file = WriteToMemory({SmallTable()});
  const std::uint8_t* page = PageOf(file, 21);
  EXPECT_EQ(page[0], 0x01);
  EXPECT_EQ(U32(page + 4), 19u) << "owner is the table's TDEF";
  EXPECT_EQ(U16(page + 12), 1u);
  // Column count, fixed area, variable data, end of data, offsets, count, null mask.
  const std::vector<std::uint8_t> row = {0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 'a',  0x00, 'b',
                                         0x00, 0x0A, 0x00, 0x06, 0x00, 0x01, 0x00, 0x03};
  EXPECT_EQ(RowOf(page, 0), row);
  EXPECT_EQ(U16(page + 14), kPageSize - row.size()) << "rows fill from the end";
  EXPECT_EQ(U16(page + 2), kPageSize - 14 - 2 - row.size());
}

TEST(Jet4Rows, NullsEmptiesAndBooleansInTheNullMask) {
  Table t;
  t.name = "T";
  t.columns = {{"Yes", AdoType::Boolean, 0, false},
               {"No", AdoType::Boolean, 0, false},
               {"Num", AdoType::SmallInt},
               {"Empty", AdoType::VarWChar},
               {"Null", AdoType::VarWChar}};
  t.rows = {{true, std::monostate{}, std::monostate{}, std::string(), std::monostate{}}};
  const auto file = WriteToMemory({t});
  // Fixed SmallInt keeps its two zero bytes; both text slots have length 0;
  // the mask has Yes and Empty set.
  const std::vector<std::uint8_t> row = {0x05, 0x00, 0x00, 0x00, 0x04, 0x00,   0x04,
                                         0x00, 0x04, 0x00, 0x02, 0x00, 0b01001};
  EXPECT_EQ(RowOf(PageOf(file, 21), 0), row);
}

TEST(Jet4Pages, RowsMoveToANewPageWhenFullOrAt255Rows) {
  Table t;
  t.name = "T";
  t.columns = {{"B", AdoType::Boolean, 0, false}};
  t.rows.assign(600, {true});
  const auto file = WriteToMemory({t});
  EXPECT_EQ(U16(PageOf(file, 21) + 12), 255u);
  EXPECT_EQ(U16(PageOf(file, 22) + 12), 255u);
  EXPECT_EQ(U16(PageOf(file, 23) + 12), 90u);
  // Owned-pages map: inline, window at page 0, bits 21-23.
  const auto owned = RowOf(PageOf(file, 20), 0);
  EXPECT_EQ(owned[0], 0);
  EXPECT_EQ(U32(owned.data() + 1), 0u);
  EXPECT_EQ(owned[5 + 2], 0xE0);
  const auto free = RowOf(PageOf(file, 20), 1);
  EXPECT_EQ(free[5 + 2], 0x80) << "only the last page has room";
}

TEST(Jet4UsageMap, InlineWindowAndReferenceForm) {
  PageFile file;
  file.Reserve(3);
  const std::uint32_t low[] = {21, 22};
  UsageMapRow map = MakeUsageMap(file, low);
  EXPECT_EQ(map[0], 0);
  EXPECT_EQ(U32(map.data() + 1), 0u);
  EXPECT_EQ(map[5 + 2], 0x60);

  const std::uint32_t high[] = {600, 700};
  map = MakeUsageMap(file, high);
  EXPECT_EQ(map[0], 0);
  EXPECT_EQ(U32(map.data() + 1), 600u) << "window starts at a byte boundary";
  EXPECT_EQ(map[5], 0x01);
  EXPECT_EQ(map[5 + 100 / 8], 1 << (100 % 8));
  EXPECT_EQ(file.Count(), 3u);

  const std::uint32_t wide[] = {21, 600, 40000};
  map = MakeUsageMap(file, wide);
  EXPECT_EQ(map[0], 1);
  ASSERT_EQ(file.Count(), 5u) << "two bitmap pages: pages 0-32735 and 32736-65471";
  EXPECT_EQ(U32(map.data() + 1), 3u);
  EXPECT_EQ(U32(map.data() + 5), 4u);
  EXPECT_EQ(U32(map.data() + 9), 0u);
  const std::uint8_t* first = file.Data(3);
  EXPECT_EQ(0, std::memcmp(first, "\x05\x01\x00\x00", 4));
  EXPECT_EQ(first[4 + 21 / 8], 1 << (21 % 8));
  EXPECT_EQ(first[4 + 600 / 8], 1 << (600 % 8));
  EXPECT_EQ(file.Data(4)[4 + (40000 - 32736) / 8], 1 << ((40000 - 32736) % 8));
}

TEST(Jet4LongValues, InlineSingleRowAndChainForms) {
  PageFile file;
  file.Reserve(1);
  LongValueStore store(file, 1);
  ByteVector row;
  const ByteVector inlineData(64, 0xAB);
  store.AppendReference(0, inlineData, 4000, row);
  ASSERT_EQ(row.size(), 12u + 64);
  EXPECT_EQ(U32(row.data()), 0x80000040u);
  EXPECT_EQ(U32(row.data() + 4), 0u);

  row.clear();
  store.AppendReference(0, inlineData, 70, row);  // no room left in the row
  EXPECT_EQ(U32(row.data()), 0x40000040u);
  EXPECT_EQ(U32(row.data() + 4), (1u << 8) | 0);

  row.clear();
  const ByteVector single(4076, 0x11);
  store.AppendReference(0, single, 4000, row);
  EXPECT_EQ(U32(row.data()), 0x40000000u | 4076);
  EXPECT_EQ(U32(row.data() + 4), 2u << 8) << "4076 bytes need a page of their own";
  EXPECT_EQ(0, std::memcmp(file.Data(2) + 4, "LVAL", 4));

  row.clear();
  ByteVector chain(4077);
  for (std::size_t i = 0; i < chain.size(); ++i) chain[i] = static_cast<std::uint8_t>(i);
  store.AppendReference(0, chain, 4000, row);
  EXPECT_EQ(U32(row.data()), 4077u) << "type 0: chain";
  const std::uint32_t first = U32(row.data() + 4);
  EXPECT_EQ(first, 3u << 8);
  const std::uint8_t* firstRow = DataRow(file.Data(3), 0);
  EXPECT_EQ(U32(firstRow), 4u << 8) << "the 9-byte last row no longer fits page 3";
  EXPECT_EQ(0, std::memcmp(firstRow + 4, chain.data(), 4072));
  const std::uint8_t* lastRow = DataRow(file.Data(4), 0);
  EXPECT_EQ(U32(lastRow), 0u);
  EXPECT_EQ(0, std::memcmp(lastRow + 4, chain.data() + 4072, 5));
  EXPECT_EQ(store.PagesOf(0), (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST(Jet4Text, Utf16AndNameKeys) {
  ByteVector out;
  EXPECT_EQ(AppendUtf16Le("Aé😀", out), 4u);
  EXPECT_EQ(out, (ByteVector{0x41, 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE}));
  EXPECT_FALSE(AppendUtf16Le("ok\xC3", out));
  EXPECT_EQ(out.size(), 8u) << "nothing of a malformed text is appended";
  EXPECT_EQ(TextIndexKey("a_1 "), (ByteVector{0x7F, 0x4A, 0x2B, 0x03, 0x38, 0x07, 0x01, 0x00}));
  EXPECT_EQ(LongIndexKey(-1), (ByteVector{0x7F, 0x7F, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(FoldedName("GRÖẞE Ω"), FoldedName("gröẞe ω"));
}

}  // namespace
