// ExportToFile end to end: a grid of 500 rows and 10 mixed columns exported
// to each format through the engine (temporary database, 500 INSERT
// statements, the copy into the target file), files in the temporary
// directory, removed after each run.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "datasets/FieldType.h"
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/System.h"

namespace {

using zyl::TExportType;
using zyl::TFieldType;

// prefix + n + suffix, appended (g++ 12 warns falsely on "literal" + std::string at -O3).
std::string Numbered(const char* prefix, long long n, const char* suffix = "") {
  std::string text = prefix;
  text += std::to_string(n);
  text += suffix;
  return text;
}

std::unique_ptr<zyl::TZylHTMLGrid> MixedGrid(int rows) {
  struct ColumnShape {
    const char* name;
    TFieldType type;
    int size;
  };
  const ColumnShape columns[] = {
      {"Customer Name", TFieldType::ftString, 40}, {"City", TFieldType::ftString, 30},
      {"Code", TFieldType::ftString, 8},           {"Quantity", TFieldType::ftSmallint, 0},
      {"Order Number", TFieldType::ftInteger, 0},  {"Weight", TFieldType::ftFloat, 0},
      {"Price", TFieldType::ftCurrency, 0},        {"Paid", TFieldType::ftBoolean, 0},
      {"Ordered", TFieldType::ftDate, 0},          {"Note", TFieldType::ftString, 60}};
  auto grid = std::make_unique<zyl::TZylHTMLGrid>(nullptr);
  grid->SetColCount(10);
  grid->SetRowCount(rows);
  for (int c = 0; c < 10; ++c) {
    zyl::TZylColumn* column = grid->GetColumns(c);
    column->SetFieldName(columns[c].name);
    column->SetDataType(columns[c].type);
    column->SetDataSize(columns[c].size);
  }
  for (int r = 0; r < rows; ++r) {
    const double day = 40000.0 + r;
    const std::string values[] = {Numbered("Customer ", r),
                                  r % 2 ? "Zürich" : "Berlin",
                                  Numbered("C", r % 997),
                                  Numbered("", r % 300),
                                  Numbered("", 100000 + r),
                                  r % 11 == 0 ? "" : Numbered("", r * 125 + 500, "E-3"),
                                  Numbered("", r, ".45"),
                                  r % 3 == 0 ? "True" : "False",
                                  zyl::FormatDateTime("dd.mm.yyyy", day),
                                  Numbered("say \"hello\" to row ", r)};
    for (int c = 0; c < 10; ++c) {
      grid->GetCells(r, c)->SetValue(values[c]);
      grid->GetCells(r, c)->SetDateValue(day);
    }
  }
  return grid;
}

void BM_ExportToFile(benchmark::State& state, TExportType type) {
  auto grid = MixedGrid(500);
  const std::string base = zyl::CreateUniqueTempFile(zyl::TempDirectory(), "zylbench");
  zyl::DeleteFile(base);
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string fileName = base;
    std::string tempFileName;
    zyl::ExportToFile(fileName, tempFileName, *grid, type);
    state.PauseTiming();
    bytes = zyl::ReadFileBytes(type == TExportType::TabbedText ? tempFileName : fileName).size();
    zyl::DeleteFile(fileName);
    zyl::DeleteFile(tempFileName);
    state.ResumeTiming();
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK_CAPTURE(BM_ExportToFile, Excel, TExportType::Excel)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportToFile, Access, TExportType::Access)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportToFile, dBase, TExportType::dBase)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportToFile, Paradox, TExportType::Paradox)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
