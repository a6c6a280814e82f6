// The system tables of a new database: the four system tables the Jet engine creates for an empty
// database (MSysObjects, MSysACEs, MSysQueries, MSysRelationships) with their index leaves,
// extended by the rows that register the user tables.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "export/jet4/Jet4Pages.h"

namespace zyl::exporting::jet4 {

// Fixed page layout of the system area, as the engine's empty database has it.
inline constexpr std::uint32_t kHeaderPage = 0;
inline constexpr std::uint32_t kGlobalMapPage = 1;
inline constexpr std::uint32_t kMSysObjectsTdef = 2;
inline constexpr std::uint32_t kSystemAreaPages = 19;  // pages 0..18

// Object ids of the containers in MSysObjects.
inline constexpr std::int32_t kTablesContainer = 0x0F000001;

// A user table as the catalog registers it.
struct CatalogEntry {
  std::string name;        // checked with CheckTableName
  std::uint32_t tdefPage;  // also the table's object id
  double created;          // OLE date of DateCreate and DateUpdate
};

// Writes the system tables into pages 2..18 and registers `tables` in
// MSysObjects and MSysACEs. Throws when the catalog rows or index entries
// do not fit their single pages.
void WriteSystemTables(PageFile& file, std::span<const CatalogEntry> tables);

}  // namespace zyl::exporting::jet4
