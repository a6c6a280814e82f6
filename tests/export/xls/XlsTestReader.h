// Test-side decoding of what the writer produced: the Workbook stream out
// of the compound file (following the DIFAT, FAT and directory the way a
// reader must), the BIFF records, and the strings of the SST.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zyl::testing::xls {

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t pos);
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t pos);
double F64(std::span<const std::uint8_t> b, std::size_t pos);

// The declared content of the stream named "Workbook". Throws
// std::runtime_error on any broken pointer or chain.
std::vector<std::uint8_t> ExtractWorkbookStream(std::span<const std::uint8_t> file);

struct Record {
  std::size_t offset = 0;  // stream offset of the record header
  std::uint16_t type = 0;
  std::span<const std::uint8_t> body;
};

// The records from `offset` up to and including the next EOF record.
std::vector<Record> RecordsFrom(std::span<const std::uint8_t> stream, std::size_t offset);

// The record of `type` starting at `offset` in `records`, or nullptr.
const Record* FindAt(const std::vector<Record>& records, std::size_t offset);
std::vector<const Record*> OfType(const std::vector<Record>& records, std::uint16_t type);

// The strings of the SST record at records[sst] and its CONTINUE records.
std::vector<std::u16string> DecodeSst(const std::vector<Record>& records, std::size_t sst);

// A parsed workbook: the globals' records, each sheet's records, the SST.
struct ParsedWorkbook {
  std::vector<std::uint8_t> stream;
  std::vector<Record> globals;
  std::vector<std::u16string> sheetNames;
  std::vector<std::vector<Record>> sheets;
  std::vector<std::u16string> strings;
};
ParsedWorkbook ParseWorkbook(std::span<const std::uint8_t> file);

}  // namespace zyl::testing::xls
