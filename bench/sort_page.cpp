// Sorting the rows of one 500-row page in the grid (SortAscending /
// SortDescending on a text and on a numeric column).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench/BenchPages.h"
#include "grid/ZylHTMLGrid.h"

namespace {

struct Page {
  zyl::TZylHTMLGrid grid{nullptr};

  explicit Page(int rows) {
    grid.SetColCount(10);
    grid.SetRowCount(rows);
    bench::Random random;
    for (int r = 0; r < rows; ++r) {
      grid.GetRows(r)->SetRecNo(r);
      for (int c = 0; c < 10; ++c) {
        std::uint64_t v = random.Next();
        std::string value = c % 2 == 0 ? "Customer " + std::to_string(v % 50000)
                                       : std::to_string(static_cast<double>(v % 100000) / 100.0);
        grid.GetCells(r, c)->SetValue(value);
      }
    }
    grid.GetColumns(3)->SetDataType(zyl::TFieldType::ftFloat);
  }
};

// Each iteration sorts by the text column and then by the numeric one, so
// every sort starts from an order unrelated to its key.
void BM_SortPage(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Page page(rows);
  bool descending = false;
  for (auto _ : state) {
    if (descending) {
      page.grid.SortDescending(2);
      page.grid.SortDescending(3);
    } else {
      page.grid.SortAscending(2);
      page.grid.SortAscending(3);
    }
    descending = !descending;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2);  // sorts
}

}  // namespace

BENCHMARK(BM_SortPage)->Arg(40)->Arg(500)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
