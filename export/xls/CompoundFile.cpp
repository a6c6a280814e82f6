#include "export/xls/CompoundFile.h"

#include <algorithm>
#include <array>
#include <string>

#include "export/xls/ByteWriter.h"
#include "platform/Exception.h"

namespace zyl::exporting::xls {
namespace {

constexpr std::uint32_t CeilDiv(std::uint64_t a, std::uint64_t b) {
  return static_cast<std::uint32_t>((a + b - 1) / b);
}

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// One 128-byte directory entry. Every entry is black: with one stream the
// tree below the root is a single node, which is a valid red-black tree.
void DirectoryEntry(ByteWriter& out, std::string_view name, std::uint8_t type, std::uint32_t child,
                    std::uint32_t start, std::uint32_t size) {
  const std::size_t begin = out.Size();
  for (char ch : name) out.U16(static_cast<std::uint8_t>(ch));
  if (!name.empty()) out.U16(0);
  out.Zeros(64 - (out.Size() - begin));
  out.U16(name.empty() ? 0 : static_cast<std::uint16_t>(2 * (name.size() + 1)));
  out.U8(type);
  out.U8(name.empty() ? 0 : 1);  // colour: black
  out.U32(kNoStream);            // left sibling
  out.U32(kNoStream);            // right sibling
  out.U32(child);
  out.Zeros(16 + 4 + 8 + 8);  // CLSID, state bits, creation and modification times
  out.U32(start);
  out.U64(size);
}

// The FAT entry of `sector` for this layout.
std::uint32_t FatEntry(const CompoundLayout& l, std::uint32_t sector) {
  if (sector + 1 < l.streamSectors) return sector + 1;
  if (sector + 1 == l.streamSectors) return kEndOfChain;
  if (sector == l.DirectorySector()) return kEndOfChain;
  if (sector >= l.FirstFatSector() && sector < l.FirstDifatSector()) return kFatSect;
  if (sector >= l.FirstDifatSector() && sector < l.TotalSectors()) return kDifatSect;
  return kFreeSect;
}

void WriteHeader(const CompoundLayout& l, ByteSink& sink) {
  ByteWriter h;
  h.Reserve(kSectorSize);
  h.Append(kSignature);
  h.Zeros(16);    // header CLSID
  h.U16(0x003E);  // minor version
  h.U16(0x0003);  // major version 3: 512-byte sectors
  h.U16(0xFFFE);  // byte order mark
  h.U16(9);       // sector shift
  h.U16(6);       // mini sector shift
  h.Zeros(6);
  h.U32(0);  // directory sector count: always 0 in version 3
  h.U32(l.fatSectors);
  h.U32(l.DirectorySector());
  h.U32(0);  // transaction signature
  h.U32(kMiniStreamCutoff);
  h.U32(kEndOfChain);  // no mini FAT
  h.U32(0);
  h.U32(l.difatSectors ? l.FirstDifatSector() : kEndOfChain);
  h.U32(l.difatSectors);
  for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i) {
    h.U32(i < l.fatSectors ? l.FirstFatSector() + i : kFreeSect);
  }
  sink.Write(h.Bytes().data(), h.Size());
}

void WriteStream(const CompoundLayout& l, const std::function<void(ByteSink&)>& content,
                 std::uint64_t contentBytes, ByteSink& sink) {
  content(sink);
  static constexpr std::array<std::uint8_t, kSectorSize> kZeros{};
  std::uint64_t padding = std::uint64_t{l.streamSectors} * kSectorSize - contentBytes;
  while (padding > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(padding, kZeros.size()));
    sink.Write(kZeros.data(), n);
    padding -= n;
  }
}

void WriteDirectory(const CompoundLayout& l, std::string_view streamName, ByteSink& sink) {
  ByteWriter d;
  d.Reserve(kSectorSize);
  DirectoryEntry(d, "Root Entry", 5, 1, kEndOfChain, 0);
  DirectoryEntry(d, streamName, 2, kNoStream, 0, l.streamSize);
  DirectoryEntry(d, {}, 0, kNoStream, 0, 0);
  DirectoryEntry(d, {}, 0, kNoStream, 0, 0);
  sink.Write(d.Bytes().data(), d.Size());
}

void WriteFatAndDifat(const CompoundLayout& l, ByteSink& sink) {
  ByteWriter s;
  s.Reserve(kSectorSize);
  for (std::uint32_t f = 0; f < l.fatSectors; ++f) {
    s.Clear();
    for (std::uint32_t i = 0; i < kFatEntriesPerSector; ++i) {
      s.U32(FatEntry(l, f * kFatEntriesPerSector + i));
    }
    sink.Write(s.Bytes().data(), s.Size());
  }
  // FAT sectors 109 and up are listed in the DIFAT sectors, 127 per sector,
  // each sector ending with the number of the next one.
  std::uint32_t fat = kHeaderDifatEntries;
  for (std::uint32_t k = 0; k < l.difatSectors; ++k) {
    s.Clear();
    for (std::uint32_t i = 0; i < kDifatEntriesPerSector; ++i, ++fat) {
      s.U32(fat < l.fatSectors ? l.FirstFatSector() + fat : kFreeSect);
    }
    s.U32(k + 1 < l.difatSectors ? l.FirstDifatSector() + k + 1 : kEndOfChain);
    sink.Write(s.Bytes().data(), s.Size());
  }
}

}  // namespace

CompoundLayout PlanCompoundFile(std::uint64_t contentBytes) {
  if (contentBytes > kMaxStreamBytes) {
    throw Exception("compound file: a stream of " + std::to_string(contentBytes) +
                    " bytes exceeds the 4 GiB a stream can declare");
  }
  CompoundLayout l;
  l.streamSize =
      static_cast<std::uint32_t>(std::max<std::uint64_t>(contentBytes, kMiniStreamCutoff));
  l.streamSectors = CeilDiv(l.streamSize, kSectorSize);
  // The FAT must cover its own sectors and the DIFAT's: grow both until it does
  // (two or three rounds).
  for (;;) {
    const std::uint64_t total = std::uint64_t{l.streamSectors} + 1 + l.fatSectors + l.difatSectors;
    const std::uint32_t needFat = CeilDiv(total, kFatEntriesPerSector);
    const std::uint32_t needDifat =
        needFat > kHeaderDifatEntries
            ? CeilDiv(needFat - kHeaderDifatEntries, kDifatEntriesPerSector)
            : 0;
    if (needFat <= l.fatSectors && needDifat <= l.difatSectors) break;
    l.fatSectors = std::max(l.fatSectors, needFat);
    l.difatSectors = std::max(l.difatSectors, needDifat);
  }
  return l;
}

void WriteCompoundFile(std::string_view streamName,
                       std::span<const std::span<const std::uint8_t>> parts, ByteSink& sink) {
  std::uint64_t contentBytes = 0;
  for (const auto& part : parts) contentBytes += part.size();
  WriteCompoundFile(
      streamName, contentBytes,
      [parts](ByteSink& out) {
        for (const auto& part : parts) {
          if (!part.empty()) out.Write(part.data(), part.size());
        }
      },
      sink);
}

void WriteCompoundFile(std::string_view streamName, std::uint64_t contentBytes,
                       const std::function<void(ByteSink&)>& content, ByteSink& sink) {
  if (streamName.empty() || streamName.size() > 31) {
    throw Exception("compound file: stream name '" + std::string(streamName) +
                    "' must have 1 to 31 characters");
  }
  const CompoundLayout layout = PlanCompoundFile(contentBytes);
  WriteHeader(layout, sink);
  WriteStream(layout, content, contentBytes, sink);
  WriteDirectory(layout, streamName, sink);
  WriteFatAndDifat(layout, sink);
}

}  // namespace zyl::exporting::xls
