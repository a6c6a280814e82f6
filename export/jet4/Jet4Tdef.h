// Table definitions (TDEF, page type 0x02): the table header, column
// descriptors and names, index blocks and the long-value usage-map
// pointers, spread over one or more pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/jet4/Jet4Columns.h"
#include "export/jet4/Jet4Pages.h"

namespace zyl::exporting::jet4 {

struct RealIndex {
  std::vector<std::uint16_t> columns;  // ascending key columns, at most 10
  std::uint32_t usageMap = 0;          // PgRow of the index's usage map
  std::uint32_t rootPage = 0;
  std::uint8_t flags = 0;  // 0x01 unique, 0x02 ignore nulls, 0x08 required, 0x80 always
  std::uint32_t distinctKeys = 0;
};

struct LogicalIndex {
  std::uint32_t number = 0;
  std::uint32_t realIndex = 0;
  std::uint8_t kind = 0;  // 1 = primary key, 0 = other
  std::string name;       // ASCII
};

struct LongValueMaps {
  std::uint16_t column = 0;
  std::uint32_t owned = 0;  // PgRow of the "owned pages" map
  std::uint32_t free = 0;   // PgRow of the "pages with free space" map
};

struct TdefContent {
  bool system = false;  // system tables: 0x53, Jet's descriptor flags, name order
  const TableLayout* layout = nullptr;
  std::uint32_t rowCount = 0;
  std::uint32_t ownedMap = 0;  // PgRow of the table's owned-pages map
  std::uint32_t freeMap = 0;   // PgRow of its free-space map
  std::vector<RealIndex> realIndexes;
  std::vector<LogicalIndex> logicalIndexes;  // in the order they are stored
  std::vector<LongValueMaps> longValueMaps;
};

// The logical TDEF byte stream, its 8-byte page header and final FF FF included.
ByteVector BuildTdefStream(const TdefContent& content);

// Stores `stream` at `firstPage` and, when longer than a page, on newly
// allocated continuation pages that each repeat the 8-byte page header.
void WriteTdef(PageFile& file, std::uint32_t firstPage, const ByteVector& stream);

}  // namespace zyl::exporting::jet4
