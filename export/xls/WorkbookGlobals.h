// The workbook globals substream: BOF, workbook settings, fonts, number
// formats, the XF (cell format) table, styles, one BOUNDSHEET8 per sheet,
// the shared strings and EOF. Layout: docs/formats/xls.md, "Workbook globals".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/xls/BiffWriter.h"
#include "export/xls/SharedStrings.h"

namespace zyl::exporting::xls {

// Cell XFs of the XF table that WriteGlobals writes.
inline constexpr std::uint16_t kXfGeneral = 15;   // the default cell format
inline constexpr std::uint16_t kXfDate = 21;      // yyyy-mm-dd
inline constexpr std::uint16_t kXfDateTime = 22;  // yyyy-mm-dd hh:mm:ss
inline constexpr std::uint16_t kXfCurrency = 23;  // #,##0.00## (2 to 4 decimals)
inline constexpr std::uint16_t kXfTime = 24;      // h:mm:ss

// BIFF BOF kinds.
inline constexpr std::uint16_t kBofGlobals = 0x0005;
inline constexpr std::uint16_t kBofWorksheet = 0x0010;

// Appends a BOF record of the given kind (globals or worksheet).
void WriteBof(BiffWriter& out, std::uint16_t kind);

// Writes the globals from BOF to EOF. `out` must be empty: the stream starts
// with the globals, so its offsets are stream offsets. Each BOUNDSHEET8
// carries the offset 0; the result holds, per sheet, the position of that
// 4-byte field, to be patched once the sheets are placed.
// REQUIRES 1 <= sheetNames.size() <= kMaxSheets; names of 1 to 31 code units.
std::vector<std::size_t> WriteGlobals(BiffWriter& out, const std::vector<std::u16string>& sheetNames,
                                      const SharedStrings& strings);

// TABID holds 2 bytes per sheet in one record.
inline constexpr std::size_t kMaxSheets = kMaxRecordBody / 2;

}  // namespace zyl::exporting::xls
