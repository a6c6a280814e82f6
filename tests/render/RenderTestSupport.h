#pragma once

#include <string>

#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl::test {

// A grid of `rows` x `cols` cells linked to its own TZylCSS, with images
// under "img/" and row r showing record r. The current record is 0.
struct RenderGrid {
  TZylCSS css{nullptr};
  TZylHTMLGrid grid{nullptr};

  RenderGrid(int rows, int cols, bool linkCss = true) {
    grid.SetImagesURL("img/");
    if (linkCss) grid.SetCSS(&css);
    grid.SetColCount(cols);
    grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) grid.GetRows(r)->SetRecNo(r);
  }
  TZylField& Cell(int r, int c) { return *grid.GetCells(r, c); }
  TZylColumn& Column(int c) { return *grid.GetColumns(c); }
  TStringList& Sheet() { return css.GetCSS(); }
  std::string Row(int r) { return grid.GetRows(r)->GetHTML(); }
  std::string SheetText() {  // the style sheet's lines
    std::string text = "\n-- style sheet";
    for (const std::string& line : Sheet()) text += "\n" + line;
    return text;
  }
  // The HTML, then the sheet it left (an argument is whole before the call).
  std::string WithSheet(std::string html) { return html + SheetText(); }
};

}  // namespace zyl::test
