// What the page benchmarks share: their random numbers, the page a run
// reads and reading one page of a dataset the way the grid does.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "datasets/DataSet.h"

namespace bench {

// The rows of the benchmark tables.
inline constexpr int kRows = 1000000;

// A xorshift generator: the same numbers on every machine.
class Random {
 public:
  std::uint64_t Next() {
    seed_ ^= seed_ << 13;
    seed_ ^= seed_ >> 7;
    seed_ ^= seed_ << 17;
    return seed_;
  }

 private:
  std::uint64_t seed_ = 88172645463325252ULL;
};

// range(0): rows per page; range(1): 0 for page 1, 1 for the last page.
inline int FirstRecord(const benchmark::State& state) {
  int perPage = static_cast<int>(state.range(0));
  return state.range(1) == 0 ? 0 : (kRows - 1) / perPage * perPage;
}

// Reads one page as the grid does and returns the text bytes read.
inline std::size_t ReadPage(zyl::TDataSet& ds, int first, int perPage) {
  std::size_t bytes = 0;
  int total = ds.RecordCount();
  ds.First();
  if (first > 0) ds.MoveBy(first);
  for (int i = 0; i < perPage && i < total && !ds.Eof(); ++i) {
    for (int f = 0; f < ds.FieldCount(); ++f) bytes += ds.GetField(f)->AsString().size();
    ds.Next();
  }
  return bytes;
}

}  // namespace bench
