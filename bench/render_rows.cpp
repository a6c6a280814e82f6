// Rendering the rows of one page: 40 (a default page) and 500 rows of 10
// text columns, each row through TZylRow::GetHTML, and all rows appended to
// one buffer the way the page builds them.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "grid/ZylHTMLGrid.h"
#include "render/RowRenderer.h"
#include "request/ZylCSS.h"

namespace {

struct Page {
  zyl::TZylCSS css{nullptr};
  zyl::TZylHTMLGrid grid{nullptr};

  explicit Page(int rows) {
    grid.SetCSS(&css);
    grid.SetImagesURL("/images/");
    grid.SetOddRowColor(0xF0F0F0);
    grid.SetColCount(10);
    grid.SetRowCount(rows);
    grid.Loaded();  // the row-number column in front of the ten
    for (int r = 0; r < rows; ++r) {
      grid.GetRows(r)->SetRecNo(r);
      for (int c = 1; c <= 10; ++c) {
        grid.GetCells(r, c)->SetValue("Value " + std::to_string(r) + "/" + std::to_string(c));
      }
    }
    grid.GetColumns(3)->SetHAlign(zyl::HAlignment::alRight);
  }
};

void BM_RowGetHTML(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Page page(rows);
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (int r = 0; r < rows; ++r) bytes += page.grid.GetRows(r)->GetHTML().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["page_bytes"] = static_cast<double>(bytes);
}

void BM_RowsIntoOneBuffer(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Page page(rows);
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string html;
    zyl::render::HtmlWriter out(html);
    out.Reserve(zyl::render::RowRenderer::EstimateSize(rows, page.grid.GetColCount(),
                                                       page.grid.GetFixedCols()));
    zyl::render::RowRenderer renderer(page.grid, out);
    for (int r = 0; r < rows; ++r) renderer.AppendHTML(*page.grid.GetRows(r));
    bytes = html.size();
    benchmark::DoNotOptimize(html.data());
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

}  // namespace

BENCHMARK(BM_RowGetHTML)->Arg(40)->Arg(500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RowsIntoOneBuffer)->Arg(40)->Arg(500)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
