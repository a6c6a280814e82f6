// Shared set-up for the rendering tests: a grid linked to a style sheet,
// and helpers to compare generated HTML line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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
};

// Splits at CR LF. A lone CR or LF stays inside its line.
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
}

inline int Count(std::string_view text, std::string_view what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, at + what.size())) {
    ++n;
  }
  return n;
}

}  // namespace zyl::test
