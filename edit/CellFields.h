// The posted cell fields of an editing request and how editing failures
// reach the page.
//
// A cell field is the posted field "GCELL_<record>_<field>" (named by
// request/FormProtocol.h): <record> is the row's RecNo (the record's
// position in the source), <field> the column's FieldIndex. Its value is
// the edited text as posted, line breaks included. A ticked checkbox posts
// "on"; an unticked one posts nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "request/FormProtocol.h"

namespace zyl {

class TZylColumn;
class TZylHTMLGrid;

namespace edit {

struct CellField {
  int record = 0;
  int field = 0;
  std::string value;
};

// Reads a posted field as a cell field. False for other names, for a name
// without the "_" between the two parts, and for a field part (and, with
// `needRecord`, a record part) that is not an integer: such fields are
// ignored.
bool ParseCellField(const form::FormField& posted, bool needRecord, CellField& cell);

// The posted fields of the grid's page (none without a linked TZylCSS).
const form::FormFields& PostedFields(TZylHTMLGrid& grid);

// The cells an update may write, in posted order: cells of editable
// columns (EditableColumnOfField) whose record lies on the page the grid
// has read (Page and RowsPerPage after ReadValues). Each record and field
// is taken once: the first posted value wins, later ones are dropped. So a
// post writes at most RowsPerPage x editable columns cells, whatever it
// holds; cells of other records are dropped like fields that are no cells.
std::vector<CellField> PageCells(TZylHTMLGrid& grid);

// The cells an append takes, in posted order: cells of editable columns,
// the record part not read.
std::vector<CellField> AddedCells(TZylHTMLGrid& grid);

// True for the value a ticked checkbox posts ("on", any letter case).
bool IsTicked(std::string_view value);

// The column a page rendered as an edit control for its cells: EditMode set
// and not ReadOnly. Cells of other columns are never written from a request.
bool IsEditable(const TZylColumn& column);

// The grid's column bound to dataset field `fieldIndex` when it is
// editable, else null.
TZylColumn* EditableColumnOfField(const TZylHTMLGrid& grid, int fieldIndex);

// Records a failed edit: the grid's LastUpdateError takes `message`, the
// page's ErrorText takes it too (after "Error:\n", backslash and n, when
// `withPrefix`), and the grid shows its error box.
void ReportFailure(TZylHTMLGrid& grid, const std::string& message, bool withPrefix);

}  // namespace edit
}  // namespace zyl
