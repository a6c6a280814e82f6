// Memo and OLE object values of one table. Short values stay inside the row;
// longer ones go to long-value ("LVAL") pages, as one row or as a chain of
// rows, and the row keeps a 12-byte reference.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "export/jet4/Jet4Pages.h"

namespace zyl::exporting::jet4 {

class LongValueStore {
 public:
  // Does not take ownership of `file`. `columnCount` bounds the column numbers.
  LongValueStore(PageFile& file, std::size_t columnCount);

  // Appends the reference to `data` (and the data itself when it stays
  // inline) to `row`. `roomInRow` is what the row can still take.
  // REQUIRES: data.size() < kLongValueLimit.
  void AppendReference(std::uint16_t column, std::span<const std::uint8_t> data,
                       std::size_t roomInRow, ByteVector& row);

  // The LVAL pages holding values of `column`, ascending.
  const std::vector<std::uint32_t>& PagesOf(std::uint16_t column) const {
    return pagesByColumn_[column];
  }

 private:
  std::uint32_t Store(std::uint16_t column, std::span<const std::uint8_t> row);

  RowWriter writer_;
  std::vector<std::vector<std::uint32_t>> pagesByColumn_;
  ByteVector chunk_;  // scratch for one chain row
};

}  // namespace zyl::exporting::jet4
