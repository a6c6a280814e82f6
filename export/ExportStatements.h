// What the export sends to the database engine for a grid: the exported
// columns with their names, ADO types and sizes, the column list, one
// INSERT statement per row and the statement that copies the table into
// the target format. Used by ExportToFile (ExportToFile.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "datasets/FieldType.h"
#include "model/GridTypes.h"

namespace zyl {
class TZylHTMLGrid;
class TZylField;
}  // namespace zyl

namespace zyl::exporting {

inline constexpr const char* kExportTableName = "ExportTable";

struct ExportColumn {
  int gridColumn = 0;  // index in the grid
  int fieldType = 0;   // the column's DataType code, modulo 128
  std::string name;    // FieldName, or "COLUMN <n>" (n = position among the exported)
  int adoType = 0;     // ADO type code
  int size = 0;        // DataSize for strings (code 1), otherwise 0 (no size given)
};

// A column's DataType as the export's field type code (modulo 128).
int FieldTypeCode(TFieldType type);

// Number field type codes: integers, float, currency, BCD, auto-increment
// and large integers (2, 3, 4, 6, 7, 8, 14, 25).
bool IsNumberCode(int code);

// The ADO type code for a field type code (taken modulo 128).
int AdoTypeForFieldType(int fieldType);

// The extension the export gives the file name (".xls" ...); "" for TabbedText.
std::string ExportExtension(TExportType type);

// The grid's visible columns in order, without blob columns (code 15)
// unless `type` is Access and without memo columns (code 16) for dBase and
// Paradox.
std::vector<ExportColumn> ExportedColumns(TZylHTMLGrid& grid, TExportType type);

// The exact text of a number the dataset gave a cell (its VariantValue) in
// a number column (`fieldType`, IsNumberCode): all digits of a 64-bit
// integer, the shortest text that reads back as the same double
// (0.30000000000000004, 1e-07, INF). Nothing for other cells (NULL, text,
// text-file and host-filled grids), which go as their Value.
std::optional<std::string> ExactNumberText(const TZylField& cell, int fieldType);

// "([Name], [City])".
std::string ColumnList(const std::vector<ExportColumn>& columns);

// "INSERT INTO [ExportTable] ([Name], [Paid]) VALUES (\"Smith\", True );" for
// grid row `row`. Empty cells are NULL; boolean cells go as their text,
// unquoted, when it is a word or a number, and quoted like text otherwise
// (so no cell text can change the statement); date, time and date-time
// cells are the DateValue in the grid's DateFormat, TimeFormat or
// DateTimeFormat, or as "yyyy-mm-dd hh:nn:ss.zzz" when that pattern would
// lose part of the value (milliseconds, say); a number the dataset gave
// the cell is its exact text (ExactNumberText: 0.30000000000000004, not the
// display's 0.3); every other cell is its Value. Texts go in double quotes
// with their own double quotes doubled.
std::string InsertStatement(TZylHTMLGrid& grid, int row, const std::vector<ExportColumn>& columns,
                            const std::string& columnList);

// The SELECT INTO that copies ExportTable to `fileName` for Excel, dBase and
// Paradox; "" for Access and TabbedText.
std::string CopyStatement(TExportType type, const std::string& fileName);

}  // namespace zyl::exporting
