// Paradox table writer: 500 rows x 10 mixed columns into memory.
#include <benchmark/benchmark.h>

#include <string>

#include "export/paradox/ParadoxWriter.h"
#include "platform/ByteSink.h"

namespace {

using namespace zyl::exporting;

Table MixedTable(int rows) {
  Table t;
  t.name = "ExportTable";
  t.columns = {{"Id", AdoType::Integer, 0, true},     {"Name", AdoType::VarWChar, 40, true},
               {"City", AdoType::VarWChar, 30, true}, {"Qty", AdoType::SmallInt, 0, true},
               {"Price", AdoType::Currency, 0, true}, {"Ratio", AdoType::Double, 0, true},
               {"Paid", AdoType::Boolean, 0, false},  {"Ordered", AdoType::Date, 0, true},
               {"Shipped", AdoType::Date, 0, true},   {"Note", AdoType::VarWChar, 0, true}};
  for (int i = 0; i < rows; ++i) {
    t.rows.push_back({std::int64_t{i}, "Customer " + std::to_string(i), std::string("Zürich"),
                      std::int64_t{i % 100}, CurrencyValue{i * 12345LL}, i * 0.25, i % 2 == 0,
                      DateTimeValue{36000.0 + i}, DateTimeValue{36000.5 + i},
                      i % 5 == 0 ? Value() : Value(std::string("Größe € ") + std::to_string(i))});
  }
  return t;
}

void BM_ParadoxWrite500x10(benchmark::State& state) {
  const Table table = MixedTable(500);
  std::size_t bytes = 0;
  for (auto _ : state) {
    zyl::MemorySink sink;
    WriteParadox(table, sink, ParadoxOptions{0});
    bytes = sink.Bytes().size();
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ParadoxWrite500x10);

// The same without the memory sink's growth: a sink that only counts bytes,
// which isolates the writer's own work.
class CountingSink : public zyl::ByteSink {
 public:
  void Write(const void* data, std::size_t n) override {
    benchmark::DoNotOptimize(data);
    count += n;
  }
  using zyl::ByteSink::Write;
  std::size_t count = 0;
};

void BM_ParadoxWrite500x10Discarded(benchmark::State& state) {
  const Table table = MixedTable(500);
  for (auto _ : state) {
    CountingSink sink;
    WriteParadox(table, sink, ParadoxOptions{0});
    benchmark::DoNotOptimize(sink.count);
  }
}
BENCHMARK(BM_ParadoxWrite500x10Discarded);

}  // namespace

BENCHMARK_MAIN();
