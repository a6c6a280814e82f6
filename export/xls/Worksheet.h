// One worksheet substream: BOF, INDEX, sheet settings, DIMENSIONS, the rows
// in blocks of 32 (ROW records, cells, DBCELL), WINDOW2, EOF. Layout:
// docs/formats/xls.md, "Worksheet".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "export/ExportTable.h"
#include "export/TableRows.h"
#include "export/xls/BiffWriter.h"
#include "export/xls/CellWriter.h"

namespace zyl::exporting::xls {

// Rows and columns one sheet holds.
inline constexpr std::size_t kMaxSheetRows = 65536;
inline constexpr std::size_t kMaxSheetColumns = 256;

class Worksheet {
 public:
  // Builds the sheet: a header row of column names, then the next `rowCount`
  // rows of `rows`. `active` marks the sheet shown on opening.
  // REQUIRES rowCount < kMaxSheetRows, 1 <= columns <= kMaxSheetColumns.
  // Throws EConvertError for text that is not valid UTF-8.
  Worksheet(const Table& table, RowReader& rows, std::size_t rowCount, bool active,
            CellWriter& cells);

  std::size_t Size() const { return out_.Size(); }

  // Fixes the stream offsets inside the sheet (INDEX) for a sheet that starts
  // at `streamOffset`. Call once, before Bytes().
  void Place(std::uint32_t streamOffset);

  std::span<const std::uint8_t> Bytes() const { return out_.Bytes().Bytes(); }
  // Where the fields that Place fixes are, from the sheet's start.
  const std::vector<std::size_t>& OffsetFields() const { return offsetFields_; }

 private:
  BiffWriter out_;
  std::vector<std::size_t> offsetFields_;  // INDEX fields that hold a sheet-relative offset
};

}  // namespace zyl::exporting::xls
