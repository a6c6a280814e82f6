// CellRenderer: one cell of the grid's body as a "<TD" element: data cells
// with their background, class and alignment holding text, a true/false
// image or an edit control; fixed cells drawn by the caption renderer with
// the current-record marker of the row-number column.
//
// Escaping: the cell's Value (shown text, VALUE attribute, TEXTAREA
// content) and the pick-list and value-list entries (option text and VALUE)
// are escaped at output (& < > " '); a fixed cell's Value is escaped as
// caption text. The cell's HTML override and CSS text, the marker HTML, the
// Alt* texts and ImagesURL are written as they are (see render/HtmlWriter.h).
// Shown text is escaped first and then line-processed, so "<BR>" stays
// markup. Nothing stored in the cell changes.
//
// Internal to the library: TZylField::GetHTML and Build use it, and the row
// renderer calls it with the position it already knows.
#pragma once

#include "grid/ZylHTMLGrid.h"
#include "render/HtmlWriter.h"

namespace zyl::render {

class CellRenderer {
 public:
  // Neither the grid nor the writer is owned; both outlive the renderer.
  CellRenderer(TZylHTMLGrid& grid, HtmlWriter& out) : grid_(grid), out_(out) {}

  // The cell's complete HTML, events included, for the cell that stands at
  // (aRow, aCol) of the grid's matrix: nothing for an invisible column,
  // else OnProcessCellData, the override (adding its CSS line to the
  // linked style sheet) or the built cell, then OnGetCellHTML.
  void AppendHTML(TZylField& cell, int aRow, int aCol);
  // The generated HTML of the cell at (aRow, aCol), without events or override.
  void AppendBuild(TZylField& cell, int aRow, int aCol);

 private:
  void AppendDataCell(TZylField& cell, int aRow, int aCol);
  void AppendFixedCell(TZylField& cell, int aRow, int aCol);
  void AppendEditControl(const TZylField& cell, const TZylColumn& column, int recNo,
                         const std::string& className, TColor background);
  void AppendShownText(const TZylField& cell, const TZylColumn& column, bool summaryRow);
  // The style class of data cell `cell` of column `aCol` (ComposeClass).
  void ComposeCellClass(const TZylField& cell, const TZylColumn& column, int aCol, int indent,
                        std::string& className);
  // The current-record marker of the row-number cell of row `aRow`.
  std::string CurrentMarker(int aRow);
  // Whether row `aRow` is the summary row (the last row while sums or
  // averages are shown).
  bool IsSummaryRow(int aRow);

  TZylHTMLGrid& grid_;
  HtmlWriter& out_;
};

}  // namespace zyl::render
