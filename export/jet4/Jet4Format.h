// Constants and little byte helpers shared by the parts of the Access (Jet 4)
// writer. The layout they describe is written up in docs/formats/jet4-mdb.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace zyl::exporting::jet4 {

using ByteVector = std::vector<std::uint8_t>;

inline constexpr std::size_t kPageSize = 4096;
inline constexpr std::uint32_t kMaxPages = 0x80000000u / kPageSize;  // the 2 GB file limit

// Data pages (type 0x01): a 14-byte header, then the row offset table.
inline constexpr std::size_t kDataPageHeader = 14;
inline constexpr std::size_t kMaxRowsPerPage = 255;
inline constexpr std::size_t kMaxRowSize = 4060;

// Usage maps: one 69-byte row, either an inline bitmap or 17 page references.
inline constexpr std::size_t kUsageMapRowSize = 69;
inline constexpr std::uint32_t kInlineMapPages = 64 * 8;
inline constexpr std::uint32_t kMapPageBits = (kPageSize - 4) * 8;
inline constexpr std::size_t kMapPageSlots = (kUsageMapRowSize - 1) / 4;

// Long values (memo and OLE object).
inline constexpr std::size_t kInlineLongValueMax = 64;
inline constexpr std::size_t kSingleLongValueMax = 4076;
inline constexpr std::size_t kChainChunkMax = kSingleLongValueMax - 4;
inline constexpr std::size_t kLongValueLimit = std::size_t{1} << 24;  // 16 MB, excluded

// Limits of a table definition.
inline constexpr std::size_t kMaxColumns = 255;
inline constexpr std::size_t kMaxLongValueColumns = 27;
inline constexpr std::size_t kMaxNameChars = 64;
inline constexpr int kMaxTextChars = 255;
inline constexpr int kMaxBinaryBytes = 510;

inline constexpr std::uint32_t kTdefMagic = 0x0659;
inline constexpr std::uint32_t kRealIndexMagic = 0x0783;
inline constexpr std::uint8_t kTableUser = 0x4E;
inline constexpr std::uint8_t kTableSystem = 0x53;
// LCID 0x0409 "General", sort version 0 ("General legacy").
inline constexpr std::uint8_t kSortGeneral[4] = {0x09, 0x04, 0x00, 0x00};

// Creation time of the engine-made empty database whose header and security
// identifiers the writer reproduces; the two belong together.
inline constexpr double kDatabaseCreated = 42850.48191293982;

// Column type codes as stored in a table definition.
enum class JetType : std::uint8_t {
  Boolean = 0x01,
  Byte = 0x02,
  Integer = 0x03,
  Long = 0x04,
  Currency = 0x05,
  Single = 0x06,
  Double = 0x07,
  DateTime = 0x08,
  Binary = 0x09,
  Text = 0x0A,
  Ole = 0x0B,
  Memo = 0x0C,
};

// A row pointer as stored on disk: page number above, row number in the low byte.
inline constexpr std::uint32_t PgRow(std::uint32_t page, std::uint32_t row) {
  return (page << 8) | row;
}

inline void PutU16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void PutU64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void AppendU8(ByteVector& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
}

inline void AppendU16(ByteVector& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void AppendU32(ByteVector& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void AppendZeros(ByteVector& out, std::size_t n) {
  out.insert(out.end(), n, 0);
}

// Every error of the writer starts with the component's name.
[[noreturn]] inline void Fail(const std::string& what) {
  throw Exception("Access writer: " + what);
}

}  // namespace zyl::exporting::jet4
