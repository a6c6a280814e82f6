// The compound-file container (version 3, 512-byte sectors) that holds the
// Workbook stream of an .xls file. Only what one stream needs is written: a
// header, the stream's sectors, one directory sector, the FAT and, for
// streams above about 7 MB, DIFAT sectors. The layout is written up in
// docs/formats/xls.md, section "Container".
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "platform/ByteSink.h"

namespace zyl::exporting::xls {

inline constexpr std::uint32_t kSectorSize = 512;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::uint32_t kFatEntriesPerSector = kSectorSize / 4;
inline constexpr std::uint32_t kHeaderDifatEntries = 109;
inline constexpr std::uint32_t kDifatEntriesPerSector = kFatEntriesPerSector - 1;

inline constexpr std::uint32_t kDifatSect = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// Where everything goes. Sectors in file order: the stream (0 .. streamSectors-1),
// the directory, the FAT sectors, the DIFAT sectors.
struct CompoundLayout {
  std::uint32_t streamSize = 0;  // declared size: the content padded to at least 4096
  std::uint32_t streamSectors = 0;
  std::uint32_t fatSectors = 0;
  std::uint32_t difatSectors = 0;

  std::uint32_t DirectorySector() const { return streamSectors; }
  std::uint32_t FirstFatSector() const { return streamSectors + 1; }
  std::uint32_t FirstDifatSector() const { return FirstFatSector() + fatSectors; }
  std::uint32_t TotalSectors() const { return FirstDifatSector() + difatSectors; }
  std::uint64_t FileSize() const {
    return std::uint64_t{kSectorSize} * (1 + std::uint64_t{TotalSectors()});
  }
};

// Largest stream content one container can hold (its declared size is 32-bit).
inline constexpr std::uint64_t kMaxStreamBytes = 0xFFFFFFFFu;

// Sizes the FAT and DIFAT for a stream of `contentBytes` bytes.
// Throws zyl::Exception when contentBytes exceeds kMaxStreamBytes.
CompoundLayout PlanCompoundFile(std::uint64_t contentBytes);

// Writes a container whose one stream, named `streamName` (ASCII, at most 31
// characters), holds the concatenation of `parts`, padded with zero bytes to
// the 4096-byte mini-stream cutoff so that no mini stream is needed.
// Sink errors propagate unchanged; the sink is not owned.
void WriteCompoundFile(std::string_view streamName,
                       std::span<const std::span<const std::uint8_t>> parts, ByteSink& sink);
// The same with a stream of `contentBytes` bytes that `content` writes to
// the sink it is given (exactly that many).
void WriteCompoundFile(std::string_view streamName, std::uint64_t contentBytes,
                       const std::function<void(ByteSink&)>& content, ByteSink& sink);

}  // namespace zyl::exporting::xls
