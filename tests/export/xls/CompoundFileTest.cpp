#include "export/xls/CompoundFile.h"

#include <gtest/gtest.h>

#include <vector>

#include "XlsTestReader.h"

namespace {

using namespace zyl::exporting::xls;
using zyl::testing::xls::ExtractWorkbookStream;
using zyl::testing::xls::U16;
using zyl::testing::xls::U32;

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> data(n);
  for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(1 + i % 251);
  return data;
}

// The content split into three parts, as the writer hands over globals and sheets.
std::vector<std::uint8_t> Pack(const std::vector<std::uint8_t>& content) {
  const std::span<const std::uint8_t> all(content);
  const std::size_t third = content.size() / 3;
  const std::span<const std::uint8_t> parts[] = {all.first(third), all.subspan(third, third),
                                                 all.subspan(2 * third)};
  zyl::MemorySink sink;
  WriteCompoundFile("Workbook", parts, sink);
  return sink.Take();
}

// The largest streams with no DIFAT sector and with one.
constexpr std::uint64_t kLargestWithoutDifat = 7087104;
constexpr std::uint64_t kLargestWithOneDifat = 15344640;

TEST(CompoundFile, PlanGrowsFatAndDifatAtTheDocumentedThresholds) {
  struct Case {
    std::uint64_t bytes;
    std::uint32_t sectors, fat, difat;
  } cases[] = {
      {0, 8, 1, 0},  // padded to the 4096-byte cutoff
      {4096, 8, 1, 0},
      {4097, 9, 1, 0},
      {kLargestWithoutDifat, 13842, 109, 0},
      {kLargestWithoutDifat + 1, 13843, 110, 1},
      {kLargestWithOneDifat, 29970, 236, 1},
      {kLargestWithOneDifat + 1, 29971, 237, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    const CompoundLayout l = PlanCompoundFile(c.bytes);
    EXPECT_EQ(l.streamSectors, c.sectors);
    EXPECT_EQ(l.fatSectors, c.fat);
    EXPECT_EQ(l.difatSectors, c.difat);
    // The FAT covers every sector of the file, its own and the DIFAT's included.
    EXPECT_LE(l.TotalSectors(), l.fatSectors * 128);
    EXPECT_LE(l.fatSectors, 109 + 127 * l.difatSectors);
  }
  EXPECT_EQ(PlanCompoundFile(0xFFFFFFFFu).streamSize, 0xFFFFFFFFu);
  EXPECT_THROW(PlanCompoundFile(0x100000000u), zyl::Exception);
}

TEST(CompoundFile, SmallStreamHeaderDirectoryAndFatBytes) {
  const auto file = Pack(Pattern(100));
  ASSERT_EQ(file.size(), 512u * (1 + 8 + 1 + 1));  // header, 8 stream sectors, directory, FAT
  const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  EXPECT_TRUE(std::equal(signature, signature + 8, file.begin()));
  EXPECT_EQ(U16(file, 0x18), 0x003E);
  EXPECT_EQ(U16(file, 0x1A), 3);
  EXPECT_EQ(U16(file, 0x1C), 0xFFFE);
  EXPECT_EQ(U16(file, 0x1E), 9);
  EXPECT_EQ(U16(file, 0x20), 6);
  EXPECT_EQ(U32(file, 0x28), 0u);
  EXPECT_EQ(U32(file, 0x2C), 1u);           // FAT sectors
  EXPECT_EQ(U32(file, 0x30), 8u);           // directory sector
  EXPECT_EQ(U32(file, 0x38), 4096u);
  EXPECT_EQ(U32(file, 0x3C), kEndOfChain);  // no mini FAT
  EXPECT_EQ(U32(file, 0x40), 0u);
  EXPECT_EQ(U32(file, 0x44), kEndOfChain);  // no DIFAT sector
  EXPECT_EQ(U32(file, 0x48), 0u);
  EXPECT_EQ(U32(file, 0x4C), 9u);           // the FAT sector
  for (std::size_t i = 1; i < 109; ++i) EXPECT_EQ(U32(file, 0x4C + 4 * i), kFreeSect);

  const std::span<const std::uint8_t> dir(file.data() + 9 * 512, 512);
  const std::u16string rootName = u"Root Entry";
  for (std::size_t i = 0; i < rootName.size(); ++i) EXPECT_EQ(U16(dir, 2 * i), rootName[i]);
  EXPECT_EQ(U16(dir, 0x40), 22);
  EXPECT_EQ(dir[0x42], 5);
  EXPECT_EQ(dir[0x43], 1);
  EXPECT_EQ(U32(dir, 0x44), kNoStream);
  EXPECT_EQ(U32(dir, 0x48), kNoStream);
  EXPECT_EQ(U32(dir, 0x4C), 1u);
  EXPECT_EQ(U32(dir, 0x74), kEndOfChain);
  EXPECT_EQ(U32(dir, 0x78), 0u);
  const auto stream = dir.subspan(128, 128);
  EXPECT_EQ(U16(stream, 0x40), 18);
  EXPECT_EQ(stream[0x42], 2);
  EXPECT_EQ(U32(stream, 0x4C), kNoStream);
  EXPECT_EQ(U32(stream, 0x74), 0u);
  EXPECT_EQ(U32(stream, 0x78), 4096u);  // declared size of the padded stream
  EXPECT_EQ(U32(stream, 0x7C), 0u);
  for (std::size_t e = 2; e < 4; ++e) {
    const auto unused = dir.subspan(128 * e, 128);
    EXPECT_EQ(U32(unused, 0x44), kNoStream);
    EXPECT_EQ(U32(unused, 0x4C), kNoStream);
    EXPECT_EQ(U16(unused, 0x40), 0);
    EXPECT_EQ(unused[0x42], 0);
  }

  const std::span<const std::uint8_t> fat(file.data() + 10 * 512, 512);
  for (std::uint32_t s = 0; s < 7; ++s) EXPECT_EQ(U32(fat, 4 * s), s + 1);
  EXPECT_EQ(U32(fat, 4 * 7), kEndOfChain);
  EXPECT_EQ(U32(fat, 4 * 8), kEndOfChain);  // the directory's one-sector chain
  EXPECT_EQ(U32(fat, 4 * 9), kFatSect);
  for (std::size_t s = 10; s < 128; ++s) EXPECT_EQ(U32(fat, 4 * s), kFreeSect);
}

TEST(CompoundFile, StreamReadsBackAcrossFatAndDifatThresholds) {
  for (std::uint64_t size : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{4095},
                             std::uint64_t{4096}, std::uint64_t{4097}, std::uint64_t{65537},
                             kLargestWithoutDifat, kLargestWithoutDifat + 1, kLargestWithOneDifat,
                             kLargestWithOneDifat + 1}) {
    SCOPED_TRACE(size);
    const auto content = Pattern(size);
    const auto file = Pack(content);
    const CompoundLayout layout = PlanCompoundFile(size);
    EXPECT_EQ(file.size(), layout.FileSize());
    EXPECT_EQ(U32(file, 0x48), layout.difatSectors);
    auto expected = content;
    expected.resize(std::max<std::size_t>(size, 4096), 0);
    EXPECT_TRUE(ExtractWorkbookStream(file) == expected);
  }
}

TEST(CompoundFile, SinkFailureAtAnyPointPropagates) {
  const auto content = Pattern(5000);
  const std::span<const std::uint8_t> parts[] = {content};
  const std::size_t fileSize = PlanCompoundFile(content.size()).FileSize();
  for (std::size_t limit : {std::size_t{0}, std::size_t{511}, std::size_t{512}, std::size_t{3000},
                            fileSize - 1024, fileSize - 1}) {
    zyl::FailingSink sink(limit);
    EXPECT_THROW(WriteCompoundFile("Workbook", parts, sink), zyl::EInOutError) << limit;
  }
  zyl::FailingSink exact(fileSize);
  EXPECT_NO_THROW(WriteCompoundFile("Workbook", parts, exact));
}

TEST(CompoundFile, StreamNameMustFitItsDirectoryEntry) {
  zyl::MemorySink sink;
  EXPECT_THROW(WriteCompoundFile("", {}, sink), zyl::Exception);
  EXPECT_THROW(WriteCompoundFile(std::string(32, 'x'), {}, sink), zyl::Exception);
  EXPECT_TRUE(sink.Bytes().empty());
}

}  // namespace
