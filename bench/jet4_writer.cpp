// Access (Jet 4) writer: 20,000 rows x 10 columns into memory.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "export/jet4/Jet4Writer.h"

namespace {

using namespace zyl::exporting;

std::string Numbered(const char* prefix, int n) {
  std::string s = prefix;
  s += std::to_string(n);
  return s;
}

Table MakeTable(int rows) {
  Table t;
  t.name = "ExportTable";
  t.columns = {{"ID", AdoType::Integer},        {"Name", AdoType::VarWChar, 40},
               {"City", AdoType::VarWChar, 30}, {"Qty", AdoType::SmallInt},
               {"Amount", AdoType::Double},     {"Price", AdoType::Currency},
               {"Ordered", AdoType::Date},      {"Shipped", AdoType::Boolean, 0, false},
               {"Code", AdoType::VarWChar, 10}, {"Notes", AdoType::LongVarWChar}};
  const char* cities[] = {"Zürich", "Berlin", "Αθήνα", "東京"};
  for (int i = 0; i < rows; ++i) {
    t.rows.push_back({std::int64_t{i}, Numbered("Customer ", i), std::string(cities[i % 4]),
                      std::int64_t{i % 1000}, i * 0.25, CurrencyValue{i * 1999LL},
                      DateTimeValue{36526.0 + i % 3650}, i % 2 == 0, Numbered("C", i % 97),
                      i % 10 == 0 ? Value{std::string(200, 'n')} : Value{std::monostate{}}});
  }
  return t;
}

void BM_Jet4Write20000x10(benchmark::State& state) {
  const std::vector<Table> tables = {MakeTable(20000)};
  std::size_t bytes = 0;
  for (auto _ : state) {
    zyl::MemorySink sink;
    WriteJet4Database(tables, sink);
    bytes = sink.Bytes().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.counters["rows_per_s"] = benchmark::Counter(
      20000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Jet4Write20000x10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
