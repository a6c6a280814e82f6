// Writes a table as an Excel 97-2003 workbook (.xls): BIFF8 records in a
// compound-file container. The file layout, the choices made and how values
// map to cells are written up in docs/formats/xls.md.
//
// The workbook holds one worksheet named after the table, with a header row
// of the column names and one row per table row. Rows beyond one sheet's
// capacity continue on further sheets "Name (2)", "Name (3)" ..., each with
// its own header row.
#pragma once

#include <cstddef>

#include "export/ExportTable.h"
#include "platform/ByteSink.h"

namespace zyl::exporting {

// A table with spilled rows (export/TableRows.h) is written in bounded
// memory: each sheet goes to a temporary file once built, and past
// kSharedStringsKept distinct texts a new text is written in its cell
// (LABEL) instead of the shared string table when it fits one record.
inline constexpr std::uint32_t kSharedStringsKept = 65536;

// A sheet has 65,536 rows; one of them is the header row.
inline constexpr std::size_t kXlsMaxDataRowsPerSheet = 65535;

struct XlsOptions {
  // Data rows on each sheet before the next sheet starts: 1 to 65,535.
  std::size_t dataRowsPerSheet = kXlsMaxDataRowsPerSheet;
  // Where the values written as #NUM! are noted (NaN, infinities, dates
  // beyond the years 1 to 9999); not owned, may be null.
  Substitutions* substitutions = nullptr;
};

// Writes `table` as a workbook to `sink` (not owned).
// Throws zyl::Exception for a table the format cannot hold (no columns, more
// than 256 columns, a row whose value count differs from the column count, a
// workbook stream beyond 4 GiB), EConvertError for text that is not valid
// UTF-8, and passes on the sink's own exceptions. On a throw the sink may
// hold part of a file.
void WriteXls(const Table& table, ByteSink& sink);
void WriteXls(const Table& table, ByteSink& sink, const XlsOptions& options);

}  // namespace zyl::exporting
