// One update post of a whole page on SQLite: a page of 200 rows x 10
// editable columns posts 2,000 GCELL fields (36 KB URL-encoded), and
// the request is processed as a host does it: a fresh TZylCSS and grid over
// a freshly opened dataset, ProcessParameters, then DoDefaultAction, which
// tests the page's lock, reads the page, writes every cell in one
// transaction, takes the page's lock again and reads the page for the
// answer. Each iteration posts other values, so every record changes.
//
// The table (1,000 records, 10 text and number columns) lives in a fresh
// temporary directory, which is also where the update locks go; argument 0
// keeps SQLite's default rollback journal, 1 switches the file to WAL.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "datasets/SQLiteDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Text.h"
#include "request/RequestChannel.h"
#include "request/UpdateLockStore.h"
#include "request/ZylCSS.h"

namespace {

constexpr int kRecords = 1000;
constexpr int kPageRows = 200;
constexpr int kColumns = 10;
const char* const kGuid = "0123ABCD-0000-4000-8000-00000000BEEF";

std::string Encoded(const std::string& text) {
  std::string out;
  zyl::AppendPercentEncoded(out, text, "_-");
  return out;
}

// Fields 1-5 text, 6-10 integers; field 0 is the key.
std::string MakeTable(const std::string& dir, bool wal) {
  std::string path = dir + "/shop.db";
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
    throw std::runtime_error("cannot create " + path);
  std::string sql = "CREATE TABLE Orders (Id INTEGER PRIMARY KEY";
  for (int c = 1; c <= kColumns; ++c)
    sql += ", C" + std::to_string(c) + (c <= 5 ? " VARCHAR(40)" : " INTEGER");
  sql += wal ? "); PRAGMA journal_mode=WAL; BEGIN;" : "); BEGIN;";
  for (int r = 0; r < kRecords; ++r) {
    sql += "INSERT INTO Orders VALUES (" + std::to_string(r);
    for (int c = 1; c <= kColumns; ++c)
      sql += c <= 5 ? ", 'text " + std::to_string(r) + "'" : ", " + std::to_string(r * c);
    sql += ");";
  }
  sql += "COMMIT;";
  char* error = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  sqlite3_free(error);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("cannot fill " + path);
  return path;
}

// The page's hidden state, a value for every cell of page 1, the click.
std::string UpdatePost(int round) {
  std::string body =
      std::string("GName=Grid1&GUID=") + kGuid + "&GPage=1&GRPP=" + std::to_string(kPageRows);
  for (int r = 0; r < kPageRows; ++r) {
    for (int c = 1; c <= kColumns; ++c) {
      std::string value = c <= 5 ? "R" + std::to_string(round) + " & " + std::to_string(r)
                                 : std::to_string(round * 1000 + r);
      body += "&GCELL_" + std::to_string(r) + "_" + std::to_string(c) + "=" + Encoded(value);
    }
  }
  return body + "&GUPDATE.x=1&GUPDATE.y=1";
}

void BM_UpdatePostSQLite(benchmark::State& state) {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "zylhg_bench_update_post";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  ::setenv("TMPDIR", dir.c_str(), 1);  // the update locks of this run only
  const std::string database = MakeTable(dir.string(), state.range(0) == 1);
  std::string bodies[2] = {UpdatePost(1), UpdatePost(2)};
  zyl::DefaultUpdateLockStore().Write("grid.cgi", kGuid);  // the page that posts holds its lock
  int round = 0;
  for (auto _ : state) {
    const std::string& body = bodies[round++ % 2];
    zyl::WebModuleChannel channel;
    channel.SetVariable("REQUEST_METHOD", "POST");
    channel.SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
    channel.SetBody(body);
    zyl::TZylCSS css(nullptr);
    css.SetRequestChannel(&channel);
    css.SetModuleFileName("/srv/cgi-bin/grid.cgi");
    zyl::TZylSQLiteDataset dataset(nullptr);
    dataset.SetDatabase(database);
    dataset.SetTableName("Orders");
    dataset.Open();
    zyl::TZylHTMLGrid grid(nullptr);
    grid.SetName("Grid1");
    grid.SetCSS(&css);
    grid.SetRowsPerPage(kPageRows);
    grid.SetDataset(&dataset);
    grid.ReadValues();
    grid.SetEditMode(true);
    grid.DoDefaultAction(grid.ProcessParameters());
    if (!grid.GetLastUpdateError().empty() || grid.GetShowErrorBox()) {
      state.SkipWithError(("refused: " + css.GetErrorText()).c_str());
      break;
    }
    state.counters["statements"] = static_cast<double>(dataset.QueriesRun());
    if (round > 2) continue;  // the first two rounds are checked
    dataset.First();
    dataset.MoveBy(kPageRows - 1);
    if (dataset.GetField(kColumns)->AsString() !=
        std::to_string(((round - 1) % 2 + 1) * 1000 + kPageRows - 1)) {
      state.SkipWithError("the last cell was not stored");
      break;
    }
  }
  state.counters["cells"] = kPageRows * kColumns;
  state.counters["post_bytes"] = static_cast<double>(bodies[0].size());
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_UpdatePostSQLite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
