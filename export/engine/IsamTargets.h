// The external databases a SELECT INTO writes: the connect text in
// brackets names the format, the IN path where it goes.
//
//   [Excel 8.0;]                          IN "<workbook>"  -> WriteXls; the
//                                         target table name is the sheet
//   [dBase III;] [dBase IV;] [dBase 5.0;] IN "<directory>" -> WriteDbf
//   [Paradox 3.X;] ... [Paradox 7.X;]     IN "<directory>" -> WriteParadox
//
// For dBase and Paradox the target table name is the file name in that
// directory (the current one for an empty path); a name without extension
// gets ".dbf" or ".db". Names holding a path separator are refused.
//
// Types: Excel takes every column. dBase has no binary or memo field here
// (no .dbt file is written), so binary and memo columns are left out, as
// the Paradox writer leaves out memo and long binary columns itself. A
// target left without any column is refused.
//
// The file is written through an atomic sink: it appears complete or not at
// all. An existing target file is refused, never overwritten or extended.
#pragma once

#include <string>

#include "export/ExportTable.h"
#include "export/engine/SqlParser.h"

namespace zyl::exporting {

enum class IsamFormat { Excel, DBase, Paradox };

struct IsamTarget {
  IsamFormat format = IsamFormat::Excel;
  std::string file;       // the file that will be written
  std::string tableName;  // the name as the statement gives it
};

// Where and in which format `statement` writes. Throws EOleException
// ("Could not find installable ISAM.", bad paths or names).
IsamTarget ResolveIsamTarget(const sql::SelectIntoStatement& statement);

// Writes `table` (its rows, under the target's table name) to the target;
// the values the format cannot hold are written as its substitute and
// noted in `noted` (may be null). Throws EOleException when the file exists
// or the table has no column the format can hold; the writers' and the
// file's errors pass through.
void WriteIsamTable(const Table& table, const IsamTarget& target, Substitutions* noted = nullptr);

}  // namespace zyl::exporting
