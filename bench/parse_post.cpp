// Reading a typical posted page back: ProcessParametersData over the fields
// of a 40-row page with paging, a sort click and GSel fields of the selected
// rows, on a grid with 10 columns.
#include <benchmark/benchmark.h>

#include <string>

#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace {

// What a browser posts for one page: the grid's hidden state, the clicked
// sort glyph and the checked selection boxes (every other row).
std::string TypicalPost() {
  std::string text = "\r\n";
  auto line = [&](const std::string& l) {
    text += l;
    text += "\r\n";
  };
  line("GName=Orders");
  line("GUID=0123ABCD-0000-4000-8000-00000000BEEF");
  line("GPage=3");
  line("GRPP=40");
  line("GRecNo=85");
  line("GTotal=1000000");
  line("GSelMode=1");
  for (int c = 1; c <= 10; ++c) line("GColW_" + std::to_string(c) + "=80");
  line("GSortASC_3.x=7");
  line("GSortASC_3.y=5");
  for (int r = 80; r < 120; r += 2) line("GSel=" + std::to_string(r));
  line("GName=Footer");
  line("GPage=1");
  return text;
}

void BM_ProcessParametersData(benchmark::State& state) {
  zyl::TZylCSS css(nullptr);
  zyl::TZylHTMLGrid grid(nullptr);
  grid.SetName("Orders");
  grid.SetCSS(&css);
  grid.SetColCount(10);
  grid.SetRowCount(40);
  const std::string post = TypicalPost();
  for (auto _ : state) {
    benchmark::DoNotOptimize(grid.ProcessParametersData(post));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * post.size()));
  state.counters["post_bytes"] = static_cast<double>(post.size());
}

}  // namespace

BENCHMARK(BM_ProcessParametersData)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
