// Building blocks of the workbook: text forms, RK and currency numbers, date
// serials, sheet names and the shared string table with its CONTINUE rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "XlsTestReader.h"
#include "export/xls/CellWriter.h"
#include "export/xls/ExcelDate.h"
#include "export/xls/SharedStrings.h"
#include "export/xls/SheetNames.h"
#include "export/xls/XlsText.h"

namespace {

using namespace zyl::exporting;
using namespace zyl::exporting::xls;
namespace tr = zyl::testing::xls;

std::vector<std::uint8_t> BytesOf(const ByteWriter& w) {
  return {w.Bytes().begin(), w.Bytes().end()};
}

TEST(XlsText, ClipNeverSplitsASurrogatePair) {
  const std::u16string s = u"ab\U0001F600c";  // a, b, high, low, c
  EXPECT_EQ(ClipUtf16(s, 2), u"ab");
  EXPECT_EQ(ClipUtf16(s, 3), u"ab");
  EXPECT_EQ(ClipUtf16(s, 4), u"ab\U0001F600");
  EXPECT_EQ(ClipUtf16(s, 9), s);
}

TEST(XlsText, CrLfAndLoneCrBecomeLf) {
  std::u16string s = u"a\r\nb\rc\nd\r";
  NormaliseLineBreaks(s);
  EXPECT_EQ(s, u"a\nb\nc\nd\n");
}

TEST(XlsText, StringFormsPickCompressedOrUtf16) {
  ByteWriter w;
  AppendShortString(w, u"Arial");
  EXPECT_EQ(BytesOf(w), (std::vector<std::uint8_t>{5, 0, 'A', 'r', 'i', 'a', 'l'}));
  w.Clear();
  AppendString(w, u"\u00E9");  // below 0x100: still one byte
  EXPECT_EQ(BytesOf(w), (std::vector<std::uint8_t>{1, 0, 0, 0xE9}));
  w.Clear();
  AppendString(w, u"\u6771\U0001F600");  // a non-BMP character counts two units
  EXPECT_EQ(BytesOf(w), (std::vector<std::uint8_t>{3, 0, 1, 0x71, 0x67, 0x3D, 0xD8, 0x00, 0xDE}));
}

TEST(XlsNumbers, RkHoldsThirtyBitIntegers) {
  EXPECT_EQ(RkInteger(1), 6u);
  EXPECT_EQ(RkInteger(-1), 0xFFFFFFFEu);
  EXPECT_EQ(RkInteger((1 << 29) - 1), 0x7FFFFFFEu);
  EXPECT_EQ(RkInteger(-(1 << 29)), 0x80000002u);
  EXPECT_TRUE(FitsRk((1 << 29) - 1));
  EXPECT_TRUE(FitsRk(-(1 << 29)));
  EXPECT_FALSE(FitsRk(1 << 29));
  EXPECT_FALSE(FitsRk(-(1 << 29) - 1));
}

TEST(XlsNumbers, CurrencyBecomesTheNearestDouble) {
  EXPECT_EQ(CurrencyToDouble({12345678}), 1234.5678);
  EXPECT_EQ(CurrencyToDouble({1}), 0.0001);
  EXPECT_EQ(CurrencyToDouble({-100}), -0.01);
  EXPECT_EQ(CurrencyToDouble({0}), 0.0);
  // Beyond 2^53 units a plain division would round twice.
  EXPECT_EQ(CurrencyToDouble({std::numeric_limits<std::int64_t>::min()}), -922337203685477.5808);
  EXPECT_EQ(CurrencyToDouble({std::numeric_limits<std::int64_t>::max()}), 922337203685477.5807);
}

TEST(XlsDates, SerialsFollowThe1900SystemWithItsPhantomLeapDay) {
  struct Case {
    double days, serial;
    DateKind kind;
  } cases[] = {
      {2, 1, DateKind::Date},              // 1900-01-01
      {60, 59, DateKind::Date},            // 1900-02-28
      {61, 61, DateKind::Date},            // 1900-03-01 (serial 60 is the 29th that never was)
      {36585, 36585, DateKind::Date},      // 2000-02-29
      {2958465, 2958465, DateKind::Date},  // 9999-12-31
      {2958465.5, 2958465.5, DateKind::DateTime},
      {43890.25, 43890.25, DateKind::DateTime},
      {2.75, 1.75, DateKind::DateTime},
      {0.5, 0.5, DateKind::Time},
      {0, 0, DateKind::Time},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.days);
    const auto d = ToExcelDate(c.days);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->serial, c.serial);
    EXPECT_EQ(d->kind, c.kind);
  }
  for (double none : {1.0, 1.5, -1.0, 2958466.0, std::nan(""), HUGE_VAL}) {
    EXPECT_FALSE(ToExcelDate(none)) << none;
  }
}

TEST(XlsDates, DatesWithoutSerialBecomeIsoText) {
  EXPECT_EQ(DateText(1), "1899-12-31");
  EXPECT_EQ(DateText(1.5), "1899-12-31 12:00:00");
  EXPECT_EQ(DateText(-1), "1899-12-29");
  EXPECT_EQ(DateText(-1.25), "1899-12-29 06:00:00");  // OLE: the fraction counts forward
  EXPECT_EQ(DateText(-693593), "0001-01-01");
  EXPECT_EQ(DateText(1.99999), "1899-12-31 23:59:59");
  EXPECT_EQ(DateText(1.9999999999), "1900-01-01");  // rounds to the next midnight
  EXPECT_FALSE(DateText(-693594));
  EXPECT_FALSE(DateText(2958466));
  EXPECT_FALSE(DateText(1e300));
  EXPECT_FALSE(DateText(std::nan("")));
}

TEST(XlsSheetNames, ForbiddenCharactersLengthAndReservedNames) {
  EXPECT_EQ(SanitiseSheetName(u"Export:Table?"), u"Export_Table_");
  EXPECT_EQ(SanitiseSheetName(u"a[b]c*d/e\\f\tg"), u"a_b_c_d_e_f_g");
  EXPECT_EQ(SanitiseSheetName(u"'quoted'"), u"quoted");
  EXPECT_EQ(SanitiseSheetName(u"''"), u"Sheet");
  EXPECT_EQ(SanitiseSheetName(u""), u"Sheet");
  EXPECT_EQ(SanitiseSheetName(u"History"), u"History_");
  EXPECT_EQ(SanitiseSheetName(std::u16string(40, u'x')), std::u16string(31, u'x'));
  // Cut at 31 units: a pair that would straddle the limit goes whole.
  EXPECT_EQ(SanitiseSheetName(std::u16string(30, u'x') + u"\U0001F600"), std::u16string(30, u'x'));
  // An apostrophe brought to the end by the cut is dropped too.
  EXPECT_EQ(SanitiseSheetName(std::u16string(30, u'x') + u"'yz"), std::u16string(30, u'x'));
}

TEST(XlsSheetNames, NumberedNamesFitAndStayDistinct) {
  EXPECT_EQ(NumberedSheetNames(u"Orders", 3),
            (std::vector<std::u16string>{u"Orders", u"Orders (2)", u"Orders (3)"}));
  const std::u16string longName(31, u'n');
  const auto names = NumberedSheetNames(longName, 11);
  EXPECT_EQ(names[1], std::u16string(27, u'n') + u" (2)");
  EXPECT_EQ(names[10], std::u16string(26, u'n') + u" (11)");
  // A 31-unit base that already ends in " (2)" would meet its own numbered form.
  const std::u16string tricky = std::u16string(27, u'n') + u" (2)";
  EXPECT_EQ(NumberedSheetNames(tricky, 2)[1], std::u16string(27, u'n') + u" (3)");
}

// SST records written at stream offset 0.
std::vector<tr::Record> SstRecords(const SharedStrings& sst, ByteWriter& keep) {
  BiffWriter biff;
  sst.Write(biff);
  keep = std::move(biff.Bytes());
  std::vector<tr::Record> records;
  std::size_t pos = 0;
  const auto bytes = keep.Bytes();
  while (pos < bytes.size()) {
    const std::size_t size = tr::U16(bytes, pos + 2);
    records.push_back({pos, tr::U16(bytes, pos), bytes.subspan(pos + 4, size)});
    pos += 4 + size;
  }
  return records;
}

TEST(XlsSharedStrings, LongCompressedStringContinuesWithAnOptionByte) {
  SharedStrings sst;
  sst.Add(std::u16string(10000, u'a'));
  sst.Add(std::u16string(10000, u'a'));  // a second reference, same string
  ByteWriter keep;
  const auto records = SstRecords(sst, keep);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].type, 0x00FC);
  EXPECT_EQ(records[0].body.size(), 8224u);  // 8 + 3 + 8213 characters
  EXPECT_EQ(tr::U32(records[0].body, 0), 2u);
  EXPECT_EQ(tr::U32(records[0].body, 4), 1u);
  EXPECT_EQ(records[1].type, 0x003C);
  EXPECT_EQ(records[1].body.size(), 1u + 1787u);
  EXPECT_EQ(records[1].body[0], 0);  // option byte: compressed
  EXPECT_EQ(records[2].type, 0x00FF);
  EXPECT_EQ(tr::U16(records[2].body, 0), 8);    // strings per bucket
  EXPECT_EQ(tr::U32(records[2].body, 2), 12u);  // stream offset of the first string
  EXPECT_EQ(tr::U16(records[2].body, 6), 12);   // the same within the SST record
  EXPECT_EQ(tr::DecodeSst(records, 0), (std::vector<std::u16string>{std::u16string(10000, u'a')}));
}

TEST(XlsSharedStrings, Utf16StringSplitsOnlyBetweenCodeUnits) {
  SharedStrings sst;
  sst.Add(std::u16string(10000, u'\u6771'));
  ByteWriter keep;
  const auto records = SstRecords(sst, keep);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].body.size(), 8u + 3u + 2u * 4106u);  // 8213 bytes of room: one stays empty
  EXPECT_EQ(records[1].body.size(), 1u + 2u * 4111u);
  EXPECT_EQ(records[1].body[0], 1);
  EXPECT_EQ(records[2].body.size(), 1u + 2u * (10000u - 4106u - 4111u));
  EXPECT_EQ(records[2].body[0], 1);
  EXPECT_EQ(tr::DecodeSst(records, 0)[0], std::u16string(10000, u'\u6771'));
}

TEST(XlsSharedStrings, StringHeaderIsNeverSplitFromItsFirstCharacter) {
  // 8 + 3 + 8210 leaves 3 bytes: a header fits, its first character does not.
  SharedStrings sst;
  sst.Add(std::u16string(8210, u'x'));
  sst.Add(u"ab");
  ByteWriter keep;
  auto records = SstRecords(sst, keep);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].body.size(), 8221u);
  // A CONTINUE that starts with a new string has no option byte.
  EXPECT_EQ(std::vector<std::uint8_t>(records[1].body.begin(), records[1].body.end()),
            (std::vector<std::uint8_t>{2, 0, 0, 'a', 'b'}));

  // One byte shorter: header and first character fit, the rest continues.
  SharedStrings sst2;
  sst2.Add(std::u16string(8209, u'x'));
  sst2.Add(u"ab");
  records = SstRecords(sst2, keep);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].body.size(), 8224u);
  EXPECT_EQ(std::vector<std::uint8_t>(records[1].body.begin(), records[1].body.end()),
            (std::vector<std::uint8_t>{0, 'b'}));
  EXPECT_EQ(tr::DecodeSst(records, 0)[1], u"ab");
}

TEST(XlsSharedStrings, SurrogatePairsNeverStraddleTwoRecords) {
  std::u16string emoji;
  for (int i = 0; i < 6000; ++i) emoji += u"\U0001F600";
  for (std::size_t lead = 8201; lead <= 8206; ++lead) {  // moves the string's start by bytes
    SCOPED_TRACE(lead);
    SharedStrings sst;
    sst.Add(std::u16string(lead, u'x'));
    sst.Add(emoji);
    ByteWriter keep;
    const auto records = SstRecords(sst, keep);
    for (std::size_t k = 1; k + 1 < records.size(); ++k) {
      const auto& prev = records[k - 1].body;
      ASSERT_EQ(records[k].type, 0x003C);
      const std::uint16_t last = tr::U16(prev, prev.size() - 2);
      EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF) << "record " << k - 1 << " ends inside a pair";
    }
    EXPECT_EQ(tr::DecodeSst(records, 0)[1], emoji);
  }
}

TEST(XlsSharedStrings, ExtSstBucketsPointAtTheirStrings) {
  SharedStrings sst;
  std::vector<std::u16string> added;
  for (int i = 0; i < 3000; ++i) {
    std::u16string s =
        u"s" + std::u16string(static_cast<std::size_t>(i % 17), i % 2 ? u'\u00E9' : u'\u6771');
    s += static_cast<char16_t>(u'A' + i % 26) + std::u16string(1, static_cast<char16_t>(0x100 + i));
    added.push_back(s);
    sst.Add(s);
  }
  ByteWriter keep;
  const auto records = SstRecords(sst, keep);
  const auto strings = tr::DecodeSst(records, 0);
  ASSERT_EQ(strings, added);
  const tr::Record& ext = records.back();
  ASSERT_EQ(ext.type, 0x00FF);
  const std::size_t perBucket = tr::U16(ext.body, 0);
  EXPECT_EQ(perBucket, 3000u / 128 + 1);
  ASSERT_EQ((ext.body.size() - 2) / 8, (3000 + perBucket - 1) / perBucket);
  const auto stream = keep.Bytes();
  for (std::size_t k = 0; k * perBucket < added.size(); ++k) {
    const std::uint32_t at = tr::U32(ext.body, 2 + 8 * k);
    const std::uint16_t inRecord = tr::U16(ext.body, 6 + 8 * k);
    const std::u16string& s = added[k * perBucket];
    EXPECT_EQ(tr::U16(stream, at), s.size()) << k;
    EXPECT_EQ(stream[at + 2], 1) << k;
    EXPECT_EQ(tr::U16(stream, at + 3), s[0]) << k;
    const std::size_t recordStart = at - inRecord;
    EXPECT_TRUE(std::any_of(records.begin(), records.end(), [&](const tr::Record& r) {
      return r.offset == recordStart && (r.type == 0x00FC || r.type == 0x003C);
    })) << k;
  }
}

TEST(XlsSharedStrings, RepeatedTextsShareOneEntry) {
  SharedStrings sst;
  EXPECT_EQ(sst.Add(u"a"), 0u);
  EXPECT_EQ(sst.Add(u"b"), 1u);
  EXPECT_EQ(sst.Add(u"a"), 0u);
  EXPECT_EQ(sst.UniqueCount(), 2u);
  EXPECT_EQ(sst.ReferenceCount(), 3u);
  EXPECT_EQ(SharedStrings::StringsPerBucket(0), 8);
  EXPECT_EQ(SharedStrings::StringsPerBucket(100000), 782);
}

}  // namespace
