// The header of a Paradox 7 table file (.db): fixed part, data-file
// extension and the variable part with field descriptors and names.
// Internal to the Paradox writer; see docs/formats/paradox.md.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/paradox/ParadoxFields.h"

namespace zyl::exporting::paradox {

inline constexpr std::uint16_t kCodePage = 1252;
inline constexpr std::uint8_t kSortOrder = 0x11;  // language driver "ANSII850"
inline constexpr char kSortOrderName[] = "ANSII850";

// The counts the header records about the data blocks that follow it.
struct TableGeometry {
  int recordSize = 0;  // bytes per record, sum of the field lengths
  int blockKiB = 2;    // data block size / 1024
  std::uint32_t records = 0;
  std::uint16_t blocks = 0;  // data blocks, chained 1 -> 2 -> ... -> blocks
};

// Builds the complete header, zero-padded to its size (a multiple of 2048).
// `tableFileName` is stored as the table's name (code page 1252, < 261 bytes).
std::vector<std::uint8_t> BuildHeader(const std::vector<FieldPlan>& fields,
                                      const std::string& tableFileName,
                                      const TableGeometry& geometry, std::uint32_t updateTime);

}  // namespace zyl::exporting::paradox
