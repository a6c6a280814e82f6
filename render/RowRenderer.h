// RowRenderer: one row of the grid's body as "<TR>" + its cells + "</TR>",
// after giving the row its colour for this rendering (the current-record
// colour, or the odd or even row colour).
//
// Escaping: the row's HTML override is written as it is; the cells escape
// their data text themselves (render/CellRenderer.h).
//
// Internal to the library: TZylRow::GetHTML and Build use it; the page
// appends every row into its own buffer through it.
#pragma once

#include "grid/ZylHTMLGrid.h"
#include "render/HtmlWriter.h"

namespace zyl::render {

class RowRenderer {
 public:
  // Neither the grid nor the writer is owned; both outlive the renderer.
  RowRenderer(TZylHTMLGrid& grid, HtmlWriter& out) : grid_(grid), out_(out) {}

  // The row's override or built row, then OnGetRowHTML.
  void AppendHTML(TZylRow& row);
  // Nothing for a hidden row; otherwise assigns the row's colour and
  // appends "<TR>", every cell's HTML in column order and "</TR>".
  void AppendBuild(TZylRow& row);

  // A capacity estimate for `rows` rows of `cols` cells, the first
  // `fixedCols` of them drawn like captions.
  static std::size_t EstimateSize(int rows, int cols, int fixedCols);

 private:
  TZylHTMLGrid& grid_;
  HtmlWriter& out_;
};

}  // namespace zyl::render
