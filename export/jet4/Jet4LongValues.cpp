#include "export/jet4/Jet4LongValues.h"

#include <algorithm>

namespace zyl::exporting::jet4 {

LongValueStore::LongValueStore(PageFile& file, std::size_t columnCount)
    : writer_(file, kOwnerLongValues), pagesByColumn_(columnCount) {}

std::uint32_t LongValueStore::Store(std::uint16_t column, std::span<const std::uint8_t> row) {
  const std::uint32_t ptr = writer_.Add(row);
  std::vector<std::uint32_t>& pages = pagesByColumn_[column];
  // LVAL pages are only ever appended, so a column's pages arrive ascending.
  if (pages.empty() || pages.back() != (ptr >> 8)) pages.push_back(ptr >> 8);
  return ptr;
}

void LongValueStore::AppendReference(std::uint16_t column, std::span<const std::uint8_t> data,
                                     std::size_t roomInRow, ByteVector& row) {
  const auto length = static_cast<std::uint32_t>(data.size());
  if (data.size() <= kInlineLongValueMax && 12 + data.size() <= roomInRow) {
    AppendU32(row, length | 0x80000000u);
    AppendU32(row, 0);
    AppendU32(row, 0);
    row.insert(row.end(), data.begin(), data.end());
    return;
  }
  if (data.size() <= kSingleLongValueMax) {
    const std::uint32_t ptr = Store(column, data);
    AppendU32(row, length | 0x40000000u);
    AppendU32(row, ptr);
    AppendU32(row, 0);
    return;
  }
  // A chain: each row starts with the pointer to the next one (0 = last).
  // Rows are stored in order and each pointer is patched in when its
  // successor has a place.
  std::uint32_t first = 0;
  std::uint32_t previous = 0;
  for (std::size_t pos = 0; pos < data.size(); pos += kChainChunkMax) {
    const std::size_t take = std::min(kChainChunkMax, data.size() - pos);
    chunk_.assign(4, 0);
    chunk_.insert(chunk_.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                  data.begin() + static_cast<std::ptrdiff_t>(pos + take));
    const std::uint32_t ptr = Store(column, chunk_);
    if (previous == 0) {
      first = ptr;
    } else {
      PutU32(writer_.Row(previous), ptr);
    }
    previous = ptr;
  }
  AppendU32(row, length);
  AppendU32(row, first);
  AppendU32(row, 0);
}

}  // namespace zyl::exporting::jet4
