#include "XlsTestReader.h"

#include <bit>
#include <stdexcept>

namespace zyl::testing::xls {
namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

void Require(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("workbook: ") + what);
}

std::span<const std::uint8_t> SectorAt(std::span<const std::uint8_t> file, std::uint32_t n) {
  const std::size_t start = (std::size_t{n} + 1) * kSector;
  Require(start + kSector <= file.size(), "sector beyond the end of the file");
  return file.subspan(start, kSector);
}

// Sector numbers of the chain starting at `first`.
std::vector<std::uint32_t> Chain(const std::vector<std::uint32_t>& fat, std::uint32_t first) {
  std::vector<std::uint32_t> chain;
  for (std::uint32_t s = first; s != kEndOfChain; s = fat[s]) {
    Require(s < fat.size(), "chain leaves the FAT");
    Require(chain.size() < fat.size(), "chain loops");
    chain.push_back(s);
  }
  return chain;
}

}  // namespace

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint16_t>(b[pos] | b[pos + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint32_t>(U16(b, pos)) | static_cast<std::uint32_t>(U16(b, pos + 2)) << 16;
}

double F64(std::span<const std::uint8_t> b, std::size_t pos) {
  return std::bit_cast<double>(static_cast<std::uint64_t>(U32(b, pos)) |
                               static_cast<std::uint64_t>(U32(b, pos + 4)) << 32);
}

std::vector<std::uint8_t> ExtractWorkbookStream(std::span<const std::uint8_t> file) {
  Require(file.size() >= kSector && file.size() % kSector == 0, "not whole sectors");
  Require(U32(file, 0) == 0xE011CFD0 && U32(file, 4) == 0xE11AB1A1, "no signature");
  const std::uint32_t fatCount = U32(file, 0x2C);
  std::vector<std::uint32_t> fatSectors;
  for (std::uint32_t i = 0; i < fatCount && i < 109; ++i) fatSectors.push_back(U32(file, 0x4C + 4 * i));
  std::uint32_t difat = U32(file, 0x44);
  for (std::uint32_t k = 0; k < U32(file, 0x48); ++k) {
    const auto sector = SectorAt(file, difat);
    for (std::size_t i = 0; i < 127 && fatSectors.size() < fatCount; ++i) {
      fatSectors.push_back(U32(sector, 4 * i));
    }
    difat = U32(sector, 508);
  }
  Require(difat == kEndOfChain || U32(file, 0x48) == 0, "DIFAT chain does not end");
  Require(fatSectors.size() == fatCount, "FAT sectors missing");
  std::vector<std::uint32_t> fat;
  for (std::uint32_t s : fatSectors) {
    const auto sector = SectorAt(file, s);
    for (std::size_t i = 0; i < 128; ++i) fat.push_back(U32(sector, 4 * i));
  }
  for (std::uint32_t s : Chain(fat, U32(file, 0x30))) {
    const auto dir = SectorAt(file, s);
    for (std::size_t e = 0; e < 4; ++e) {
      const auto entry = dir.subspan(128 * e, 128);
      const std::size_t nameBytes = U16(entry, 0x40);
      std::string name;
      for (std::size_t i = 0; i + 2 < nameBytes; i += 2) name += static_cast<char>(U16(entry, i));
      if (entry[0x42] != 2 || name != "Workbook") continue;
      const std::uint32_t size = U32(entry, 0x78);
      Require(size >= 4096, "stream below the mini-stream cutoff");
      std::vector<std::uint8_t> stream;
      for (std::uint32_t c : Chain(fat, U32(entry, 0x74))) {
        const auto sector = SectorAt(file, c);
        stream.insert(stream.end(), sector.begin(), sector.end());
      }
      Require(stream.size() >= size && stream.size() - size < kSector, "chain length differs from size");
      stream.resize(size);
      return stream;
    }
  }
  throw std::runtime_error("workbook: no Workbook stream");
}

std::vector<Record> RecordsFrom(std::span<const std::uint8_t> stream, std::size_t offset) {
  std::vector<Record> records;
  for (;;) {
    Require(offset + 4 <= stream.size(), "records run past the stream");
    Record r;
    r.offset = offset;
    r.type = U16(stream, offset);
    const std::size_t size = U16(stream, offset + 2);
    Require(size <= 8224, "record body above 8224 bytes");
    Require(offset + 4 + size <= stream.size(), "record body past the stream");
    r.body = stream.subspan(offset + 4, size);
    records.push_back(r);
    offset += 4 + size;
    if (r.type == 0x000A) return records;
  }
}

const Record* FindAt(const std::vector<Record>& records, std::size_t offset) {
  for (const Record& r : records) {
    if (r.offset == offset) return &r;
  }
  return nullptr;
}

std::vector<const Record*> OfType(const std::vector<Record>& records, std::uint16_t type) {
  std::vector<const Record*> out;
  for (const Record& r : records) {
    if (r.type == type) out.push_back(&r);
  }
  return out;
}

std::vector<std::u16string> DecodeSst(const std::vector<Record>& records, std::size_t sst) {
  Require(records[sst].type == 0x00FC, "not an SST record");
  std::size_t rec = sst;
  std::size_t pos = 8;
  const std::uint32_t unique = U32(records[sst].body, 4);
  std::vector<std::u16string> strings;
  auto next = [&] {
    ++rec;
    Require(rec < records.size() && records[rec].type == 0x003C, "CONTINUE expected");
    pos = 0;
  };
  for (std::uint32_t i = 0; i < unique; ++i) {
    if (pos == records[rec].body.size()) next();
    Require(pos + 3 <= records[rec].body.size(), "string header split");
    const std::size_t cch = U16(records[rec].body, pos);
    bool wide = (records[rec].body[pos + 2] & 1) != 0;
    Require((records[rec].body[pos + 2] & 0x0C) == 0, "rich text or phonetic flags");
    pos += 3;
    std::u16string s;
    while (s.size() < cch) {
      if (pos == records[rec].body.size()) {
        next();
        wide = (records[rec].body[pos++] & 1) != 0;  // option byte of the continued characters
      }
      const auto body = records[rec].body;
      if (wide) {
        Require(pos + 2 <= body.size(), "UTF-16 unit split");
        s += static_cast<char16_t>(U16(body, pos));
        pos += 2;
      } else {
        s += static_cast<char16_t>(body[pos++]);
      }
    }
    strings.push_back(std::move(s));
  }
  Require(pos == records[rec].body.size(), "bytes after the last string");
  return strings;
}

ParsedWorkbook ParseWorkbook(std::span<const std::uint8_t> file) {
  ParsedWorkbook wb;
  wb.stream = ExtractWorkbookStream(file);
  wb.globals = RecordsFrom(wb.stream, 0);
  for (std::size_t i = 0; i < wb.globals.size(); ++i) {
    const Record& r = wb.globals[i];
    if (r.type == 0x00FC) wb.strings = DecodeSst(wb.globals, i);
    if (r.type != 0x0085) continue;
    const std::size_t cch = r.body[6];
    const bool wide = (r.body[7] & 1) != 0;
    std::u16string name;
    for (std::size_t k = 0; k < cch; ++k) {
      name += wide ? static_cast<char16_t>(U16(r.body, 8 + 2 * k)) : static_cast<char16_t>(r.body[8 + k]);
    }
    wb.sheetNames.push_back(std::move(name));
    wb.sheets.push_back(RecordsFrom(wb.stream, U32(r.body, 0)));
  }
  return wb;
}

}  // namespace zyl::testing::xls
