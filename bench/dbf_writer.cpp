// The dBase writer on a typical grid export: 500 rows of 10 mixed columns
// written into memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "export/dbf/DbfWriter.h"

namespace {

using namespace zyl::exporting;

std::string Numbered(const char* prefix, int n) {
  std::string text = prefix;
  text += std::to_string(n);
  return text;
}

Table MixedTable(int rows) {
  Table table{"ExportTable",
              {{"Customer Name", AdoType::VarWChar, 40},
               {"City", AdoType::VarWChar},
               {"Code", AdoType::Char, 8},
               {"Quantity", AdoType::SmallInt},
               {"Order Number", AdoType::Integer},
               {"Weight", AdoType::Double},
               {"Price", AdoType::Currency},
               {"Paid", AdoType::Boolean},
               {"Ordered", AdoType::Date},
               {"Serial", AdoType::BigInt}},
              {}};
  for (int i = 0; i < rows; ++i) {
    const bool blank = i % 11 == 0;
    table.rows.push_back({Numbered("Customer ", i), std::string(i % 2 ? "Z\xC3\xBCrich" : "Berlin"),
                          Numbered("C", i % 997), std::int64_t{i % 300}, std::int64_t{100'000 + i},
                          blank ? Value{} : Value{i * 0.125 + 0.5}, CurrencyValue{i * 12'345LL},
                          i % 3 == 0, DateTimeValue{40'000.0 + i + 0.25},
                          std::int64_t{i} * 1'000'000'007LL});
  }
  return table;
}

void BM_WriteDbf500x10(benchmark::State& state) {
  const Table table = MixedTable(500);
  std::size_t bytes = 0;
  for (auto _ : state) {
    zyl::MemorySink sink;
    WriteDbf(table, sink, CivilDate{2026, 1, 15});
    bytes = sink.Bytes().size();
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteDbf500x10);

}  // namespace

BENCHMARK_MAIN();
