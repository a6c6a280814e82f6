// The rows an export writes, read one at a time: the visible rows of the
// current page, or every record of the grid's dataset in its current
// order, read window by window (the dataset reads a window of records at
// a time; only the record being written is held in the grid). A dataset
// that restricts its records (a key filter, a search) restricts the whole
// result with them: the whole result is the dataset's current result.
#pragma once

#include <memory>

#include "export/ExportTable.h"
#include "model/GridTypes.h"

namespace zyl {
class TZylHTMLGrid;
}

namespace zyl::exporting {

class ExportRows {
 public:
  virtual ~ExportRows() = default;
  // Moves to the next row to write; false after the last one. Raises what
  // the dataset raises on a failing read.
  virtual bool Next() = 0;
  // The grid row whose cells hold the current row (cells as a page read
  // fills them: Value, VariantValue and the typed values).
  virtual int GridRow() = 0;
  // The current row's value in grid column `gridColumn` of field type code
  // `fieldType` (CellValue); the whole result reads it from the dataset's
  // field without filling the grid row.
  virtual exporting::Value Value(int gridColumn, int fieldType) = 0;
  // The number of the current row, from 1.
  virtual long long Number() const = 0;
};

// True when the grid's column 0 is its row-number column.
bool HasNumberColumn(TZylHTMLGrid& grid);

// The rows of `scope`. For WholeResult the grid's row-number column is
// left out while the rows are written (so the grid's columns are the
// data columns) and comes back, as does the page, when the object goes;
// a grid without an open dataset writes the rows of its page.
std::unique_ptr<ExportRows> RowsOf(TZylHTMLGrid& grid, TExportScope scope);

}  // namespace zyl::exporting
