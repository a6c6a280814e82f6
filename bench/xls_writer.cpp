// Writing a 500-row, 10-column workbook of mixed types into memory.
#include <benchmark/benchmark.h>

#include "export/xls/XlsWriter.h"

namespace {

using namespace zyl::exporting;

Table MixedTable(std::size_t rows) {
  Table t{"ExportTable",
          {{"Id", AdoType::Integer}, {"Name", AdoType::VarWChar}, {"City", AdoType::VarWChar},
           {"Ratio", AdoType::Double}, {"Price", AdoType::Currency}, {"Done", AdoType::Boolean},
           {"Day", AdoType::Date}, {"Stamp", AdoType::Date}, {"Notes", AdoType::LongVarWChar},
           {"Big", AdoType::BigInt}},
          {}};
  const char* cities[] = {"Z\xC3\xBCrich", "\xE6\x9D\xB1\xE4\xBA\xAC", "Paris", "Lisboa"};
  for (std::size_t i = 0; i < rows; ++i) {
    const auto n = static_cast<std::int64_t>(i);
    std::vector<Value> row(10);
    row[0] = n;
    row[1] = "Customer " + std::to_string(i);
    row[2] = std::string(cities[i % 4]);
    row[3] = static_cast<double>(i) / 7.0;
    row[4] = CurrencyValue{n * 12345};
    row[5] = i % 2 == 0;
    row[6] = DateTimeValue{40000.0 + static_cast<double>(i)};
    row[7] = DateTimeValue{40000.0 + static_cast<double>(i) / 3.0};
    if (i % 5 != 0) row[8] = "Note " + std::string(i % 40, 'n');
    row[9] = n * 1000003;
    t.rows.push_back(std::move(row));
  }
  return t;
}

void BM_XlsWriter500x10(benchmark::State& state) {
  const Table table = MixedTable(500);
  std::size_t bytes = 0;
  for (auto _ : state) {
    zyl::MemorySink sink;
    WriteXls(table, sink);
    bytes = sink.Bytes().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_XlsWriter500x10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
