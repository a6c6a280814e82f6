// Page 0 (the database header) and page 1 (the global map of free pages).
#pragma once

#include <cstdint>
#include <span>

#include "export/jet4/Jet4Pages.h"

namespace zyl::exporting::jet4 {

// Fills page 0 as the Jet engine wrote it for its empty database: engine id,
// version, the RC4-masked area (code page, sort order, creation date, the
// empty-password mask) and the constants every Jet 4 file carries.
void WriteHeaderPage(std::uint8_t* page);

// XORs `data` with the RC4 key stream of `key`; the header mask uses it.
void Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data);

// Fills page 1, the map of free pages, once the file's page count is final.
void WriteGlobalMap(PageFile& file);

}  // namespace zyl::exporting::jet4
