// Reading a typical posted page back, on a grid with 10 columns: the fields
// of a 40-row page with paging, a sort click, a cell edited in a text area
// and the GSel fields of the selected rows. Two entry points: the POST body
// as the library reads it (URL-encoded, parsed into name/value pairs, then
// the field parser) and ProcessParametersData's text of decoded lines.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "grid/ZylHTMLGrid.h"
#include "platform/Text.h"
#include "request/FormProtocol.h"
#include "request/RequestChannel.h"
#include "request/ZylCSS.h"

namespace {

// What a browser posts for one page: the grid's hidden state, the clicked
// sort glyph, an edited memo and the checked selection boxes (every other
// row), then a second grid's block.
std::vector<std::pair<std::string, std::string>> TypicalPost() {
  std::vector<std::pair<std::string, std::string>> fields = {
      {"GName", "Orders"}, {"GUID", "0123ABCD-0000-4000-8000-00000000BEEF"},
      {"GPage", "3"},      {"GRPP", "40"},
      {"GRecNo85.x", "0"}, {"GRecNo85.y", "0"},
      {"GSelMode", "1"},
  };
  for (int c = 1; c <= 10; ++c) fields.emplace_back("GColW_" + std::to_string(c), "80");
  fields.emplace_back("GSortASC_3.x", "7");
  fields.emplace_back("GSortASC_3.y", "5");
  fields.emplace_back("GCELL_85_4", "Deliver to the back door.\r\nRing twice & wait.");
  for (int r = 80; r < 120; r += 2) fields.emplace_back("GSel", std::to_string(r));
  fields.emplace_back("GName", "Footer");
  fields.emplace_back("GPage", "1");
  return fields;
}

std::string Encoded(const std::string& text) {
  std::string out;
  zyl::AppendPercentEncoded(out, text, "._-");
  return out;
}

void Prepare(zyl::TZylCSS& css, zyl::TZylHTMLGrid& grid) {
  grid.SetName("Orders");
  grid.SetCSS(&css);
  grid.SetColCount(10);
  grid.SetRowCount(40);
}

void BM_ProcessParametersPostBody(benchmark::State& state) {
  std::string body;
  for (const auto& [name, value] : TypicalPost()) {
    if (!body.empty()) body += '&';
    body += Encoded(name) + "=" + Encoded(value);
  }
  zyl::WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", "POST");
  channel.SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
  channel.SetBody(body);
  zyl::TZylHTMLGrid grid(nullptr);
  for (auto _ : state) {
    zyl::TZylCSS css(nullptr);  // the body is read once per page
    css.SetRequestChannel(&channel);
    Prepare(css, grid);
    benchmark::DoNotOptimize(grid.ProcessParameters());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
  state.counters["post_bytes"] = static_cast<double>(body.size());
}

void BM_ProcessParametersData(benchmark::State& state) {
  std::string text = "\r\n";
  for (const auto& [name, value] : TypicalPost()) {
    if (value.find('\n') == std::string::npos) text += name + "=" + value + "\r\n";
  }
  zyl::TZylCSS css(nullptr);
  zyl::TZylHTMLGrid grid(nullptr);
  Prepare(css, grid);
  for (auto _ : state) {
    benchmark::DoNotOptimize(grid.ProcessParametersData(text));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["post_bytes"] = static_cast<double>(text.size());
}

}  // namespace

BENCHMARK(BM_ProcessParametersPostBody)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProcessParametersData)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
