// Row rendering: TZylRow::GetHTML and Build, and the renderer behind them.
//
// The colour a row gets here is stored on the row only (its cells keep
// their own colours) and stays there after rendering; it drives the cell
// backgrounds of the same rendering.
#include "render/RowRenderer.h"

#include <algorithm>

#include "render/CellRenderer.h"

namespace zyl::render {

std::size_t RowRenderer::EstimateSize(int rows, int cols, int fixedCols) {
  // A text cell with its class and background takes about 60 bytes; a
  // fixed cell, a whole bevelled caption table, about 1.5 KB.
  constexpr std::size_t kCellBytes = 64;
  constexpr std::size_t kFixedCellBytes = 1536;
  if (rows <= 0 || cols <= 0) return 16;
  const auto fixed = static_cast<std::size_t>(std::clamp(fixedCols, 0, cols));
  const auto data = static_cast<std::size_t>(cols) - fixed;
  return static_cast<std::size_t>(rows) * (data * kCellBytes + fixed * kFixedCellBytes + 16);
}

void RowRenderer::AppendHTML(TZylRow& row) {
  const std::size_t mark = out_.Size();
  if (!row.GetHTMLOverride().empty()) {
    out_.Literal(row.GetHTMLOverride());
  } else {
    AppendBuild(row);
  }
  if (grid_.OnGetRowHTML) {
    std::string html = out_.TakeFrom(mark);
    grid_.OnGetRowHTML(&row, &grid_, row.GetRowNo(), row.GetRecNo(), html);
    out_.Literal(html);
  }
}

void RowRenderer::AppendBuild(TZylRow& row) {
  if (!row.GetVisible()) return;
  if (grid_.GetShowRowNumber() && !grid_.GetAddingRecord() && row.GetRecNo() == grid_.GetRecNo()) {
    row.StoreColor(grid_.GetCurrentRowColor());
  } else {
    const TColor tint = row.GetRowNo() % 2 != 0 ? grid_.GetOddRowColor() : grid_.GetEvenRowColor();
    if (tint != clNone) row.StoreColor(tint);
  }
  const int rowNo = row.GetRowNo();
  const int cols = grid_.GetColCount();
  out_.Reserve(EstimateSize(1, cols, grid_.GetFixedCols()));
  const bool current = !grid_.GetAddingRecord() && row.GetRecNo() == grid_.GetRecNo();
  if (grid_.GetAccessibleMarkup() && current) {
    out_.Literal("<TR aria-current=\"true\">");
  } else {
    out_.Literal("<TR>");
  }
  CellRenderer cells(grid_, out_);
  for (int c = 0; c < cols; ++c) cells.AppendHTML(*grid_.GetCells(rowNo, c), rowNo, c);
  out_.Literal("</TR>");
}

}  // namespace zyl::render

namespace zyl {

std::string TZylRow::GetHTML() {
  std::string html;
  render::HtmlWriter out(html);
  render::RowRenderer(*grid_, out).AppendHTML(*this);
  return html;
}

std::string TZylRow::Build() {
  std::string html;
  render::HtmlWriter out(html);
  render::RowRenderer(*grid_, out).AppendBuild(*this);
  return html;
}

}  // namespace zyl
