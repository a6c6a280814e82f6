// The exports written row by row, in constant memory whatever the number
// of rows: tab-separated text, CSV (RFC 4180), JSON and XLSX. Each takes
// its rows from an ExportRows (the page or the whole result) and its
// columns from the grid: the visible ones, without the row-number column.
#pragma once

#include <string>
#include <vector>

#include "export/ExportStatements.h"
#include "export/ExportTable.h"
#include "model/GridTypes.h"

namespace zyl {
class TStream;
class TZylField;
class TField;
}  // namespace zyl

namespace zyl::exporting {

class ExportRows;

// The grid's visible data columns for the streamed formats, blobs and
// memos included. Name: the FieldName, else the Caption, else "COLUMN <n>".
std::vector<ExportColumn> StreamedColumns(TZylHTMLGrid& grid);

// A cell's value in its column's type (`fieldType`, a field type code):
// NULL for a null or empty cell (an empty text read from a dataset stays
// ""), int64 or double for numbers (an integer kept whole), bool, a
// date-time in days, bytes for binary values, text otherwise.
Value CellValue(const TZylField& cell, int fieldType);

// The value CellValue gives for the cell a page read fills from `field`,
// taken from the field without the cell's display text.
Value FieldValue(const TField& field, int fieldType);

// `text` with an apostrophe in front when a spreadsheet would evaluate it
// as a formula: it starts with = + - @, a tab or a carriage return.
std::string GuardedText(std::string text);

// A date, time or date-time (by the field type code) in ISO form:
// "yyyy-mm-dd", "hh:nn:ss" or "yyyy-mm-dd hh:nn:ss", ".zzz" added when
// there are milliseconds.
std::string IsoDateText(double days, int fieldType);

// The text a tab-separated download writes for a cell of the page: the
// exact number, a date-time with milliseconds in ISO form (others as the
// grid shows them), binary values as upper-case hex, text with "?" for
// every byte that is not UTF-8 (guarded with `guard`). With `isoDates`
// every date in ISO form (IsoDateText).
std::string TabbedCellText(TZylHTMLGrid& grid, int row, int col, bool guard, bool isoDates = false);

// Writes `rows` as `type` (TabbedText, CSV or JSON) into `stream`, noting
// substituted values in `noted`. The tab-separated form is the page's
// form (every field quoted, CR LF) without the row-number column, dates in
// ISO form.
void WriteTextExport(TExportType type, TZylHTMLGrid& grid, ExportRows& rows, TStream& stream,
                     Substitutions& noted);

// Writes `rows` as an XLSX workbook to the file `fileName` through
// libxlsxwriter in constant-memory mode (its temporary files in `tempDir`).
// Raises zyl::Exception when the workbook cannot be written.
void WriteXlsx(TZylHTMLGrid& grid, ExportRows& rows, const std::string& fileName,
               const std::string& tempDir, Substitutions& noted);

}  // namespace zyl::exporting
