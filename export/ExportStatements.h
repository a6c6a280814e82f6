// What the export sends to the database engine for a grid: the exported
// columns with their names, ADO types and sizes, the column list, one
// INSERT statement per row and the statement that copies the table into
// the target format. Used by ExportToFile (ExportToFile.cpp).
#pragma once

#include <string>
#include <vector>

#include "model/GridTypes.h"

namespace zyl {
class TZylHTMLGrid;
}

namespace zyl::exporting {

inline constexpr const char* kExportTableName = "ExportTable";

struct ExportColumn {
  int gridColumn = 0;  // index in the grid
  int fieldType = 0;   // the column's DataType code, modulo 128
  std::string name;    // FieldName, or "COLUMN <n>" (n = position among the exported)
  int adoType = 0;     // ADO type code
  int size = 0;        // DataSize for strings (code 1), otherwise 0 (no size given)
};

// The ADO type code for a field type code (taken modulo 128).
int AdoTypeForFieldType(int fieldType);

// The extension the export gives the file name (".xls" ...); "" for TabbedText.
std::string ExportExtension(TExportType type);

// The grid's visible columns in order, without blob columns (code 15)
// unless `type` is Access and without memo columns (code 16) for dBase and
// Paradox.
std::vector<ExportColumn> ExportedColumns(TZylHTMLGrid& grid, TExportType type);

// "([Name], [City])".
std::string ColumnList(const std::vector<ExportColumn>& columns);

// "INSERT INTO [ExportTable] ([Name], [Paid]) VALUES (\"Smith\", True );" for
// grid row `row`. Empty cells are NULL; boolean cells go as their text,
// unquoted, when it is a word or a number, and quoted like text otherwise
// (so no cell text can change the statement); date, time and date-time
// cells are the DateValue in the grid's DateFormat, TimeFormat or
// DateTimeFormat; every other cell is its Value in double quotes with its
// own double quotes doubled.
std::string InsertStatement(TZylHTMLGrid& grid, int row, const std::vector<ExportColumn>& columns,
                            const std::string& columnList);

// The SELECT INTO that copies ExportTable to `fileName` for Excel, dBase and
// Paradox; "" for Access and TabbedText.
std::string CopyStatement(TExportType type, const std::string& fileName);

}  // namespace zyl::exporting
