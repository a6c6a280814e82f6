// What the request guards cost a request: checking a posted GUID against
// the site's secret and the browser key (one HMAC-SHA256 over a few dozen
// bytes), issuing the page's GUID, and a whole posted change refused or
// accepted by a grid's field parser with issued GUIDs on.
#include <benchmark/benchmark.h>

#include <string>

#include "grid/ZylHTMLGrid.h"
#include "request/PageGuid.h"
#include "request/RequestChannel.h"
#include "request/ZylCSS.h"

namespace {

const std::string kSecret(32, 's');
const std::string kBrowser = "Q2hlY2sgdGhlIGJyb3dzZXIga2V5IGlzIDQzIGNoYXJz";

void BM_CheckGuid(benchmark::State& state) {
  const std::string guid = zyl::form::IssueGuid(kSecret, kBrowser);
  for (auto _ : state) benchmark::DoNotOptimize(zyl::form::IsIssuedGuid(kSecret, kBrowser, guid));
}
BENCHMARK(BM_CheckGuid);

void BM_IssueGuid(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(zyl::form::IssueGuid(kSecret, kBrowser));
}
BENCHMARK(BM_IssueGuid);

// An update click parsed with the check on (range 1) or off (range 0).
void BM_PostedUpdate(benchmark::State& state) {
  zyl::WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", "POST");
  const std::string guid = zyl::form::IssueGuid(kSecret, kBrowser);
  const std::string text = "GName=G1\nGUID=" + guid + "\nGRecNo3.x=0\nGRecNo3.y=0\n" +
                           "GCELL_3_1=value\nGUPDATE.x=1\nGUPDATE.y=1\n";
  for (auto _ : state) {
    zyl::TZylCSS css(nullptr);
    css.SetRequestChannel(&channel), css.SetSiteSecret(kSecret), css.SetBrowserKey(kBrowser);
    css.SetSignGUIDs(state.range(0) != 0);
    zyl::TZylHTMLGrid grid(nullptr);
    grid.SetName("G1"), grid.SetCSS(&css), grid.SetColCount(4), grid.SetEditMode(true);
    benchmark::DoNotOptimize(grid.ProcessParametersData(text));
  }
}
BENCHMARK(BM_PostedUpdate)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
