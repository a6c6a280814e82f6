// The cost of row identity per update request: one whole request that
// changes the current record's City on a 40-row page sorted by Name (read
// the page, check and write, read again, render, leave the update lock),
// with RowIdentity off (positional) and on (the record located by its key,
// its values compared with the page's fingerprint and again inside the
// UPDATE, every row's identity signed). Each post comes from the page the
// previous request rendered, so every identity is fresh and every update
// is applied.
//
// SQLite: a 10,000-record table in a temporary file. PostgreSQL: the same
// table in the database ZYL_BENCH_PG names (libpq connection string);
// skipped without it.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "datasets/PgDataset.h"
#include "datasets/SQLiteDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "request/RequestChannel.h"
#include "request/ZylCSS.h"

namespace {

constexpr int kRecords = 10000;

std::string Fill() {
  std::string sql =
      "DROP TABLE IF EXISTS people; CREATE TABLE people (id integer PRIMARY KEY, "
      "name varchar(40), city varchar(40), qty integer, note text); BEGIN;";
  for (int i = 0; i < kRecords; ++i) {
    std::string n = std::to_string(i);
    sql += "INSERT INTO people VALUES (" + n + ", 'name" + n + "', 'city" + n + "', " + n +
           ", 'a note of some length for record " + n + "');";
  }
  return sql + "COMMIT;";
}

std::string SqliteFile() {
  static const std::string path = [] {
    std::string file = (std::filesystem::temp_directory_path() /
                        ("zylhg_bench_update_" + std::to_string(::getpid()) + ".db"))
                           .string();
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, Fill().c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::atexit([] { std::filesystem::remove(path); });
    return file;
  }();
  return path;
}

// The hidden fields of the page's data form, URL-encoded (their values
// need no escaping: names, numbers, a GUID, base64url).
std::string HiddenFields(const std::string& html) {
  std::string body;
  std::size_t at = html.find("<FORM NAME=\"Orders_TABLE\"");
  std::size_t end = html.find("</FORM>", at);
  const std::string input = "<INPUT TYPE=\"HIDDEN\" NAME=\"";
  for (at = html.find(input, at); at < end; at = html.find(input, at)) {
    at += input.size();
    std::size_t nameEnd = html.find('"', at);
    std::size_t value = html.find("VALUE=\"", nameEnd) + 7;
    body += html.substr(at, nameEnd - at) + "=" +
            html.substr(value, html.find('"', value) - value) + "&";
  }
  return body;
}

// One request as a long-running host serves it: its own TZylCSS and grid
// over the kept dataset.
std::string Request(zyl::TDataSet& ds, const std::string& body, bool identity) {
  zyl::WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", body.empty() ? "GET" : "POST");
  channel.SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
  channel.SetBody(body);
  zyl::TZylCSS css(nullptr);
  css.SetRequestChannel(&channel);
  css.SetSiteSecret("a site secret of the benchmark");
  zyl::TZylHTMLGrid grid(nullptr);
  grid.SetName("Orders");
  grid.SetCSS(&css);
  grid.Loaded();
  grid.SetRowIdentity(identity);
  grid.SetDataset(&ds);
  grid.ReadValues();
  grid.SetEditMode(true);
  grid.DoDefaultAction(grid.ProcessParameters());
  std::string html = grid.GetHTML().GetText();
  grid.Done();
  if (grid.GetShowErrorBox()) throw std::runtime_error("refused: " + css.GetErrorText());
  return html;
}

void BM_UpdateRequest(benchmark::State& state,
                      const std::function<std::unique_ptr<zyl::TDataSet>()>& open, bool identity) {
  std::unique_ptr<zyl::TDataSet> ds = open();
  if (ds == nullptr) return state.SkipWithError("ZYL_BENCH_PG names no usable PostgreSQL database");
  ds->SetStrProp("IndexFieldNames", "name");
  try {
    std::string page = Request(*ds, "", identity);
    auto* sql = dynamic_cast<zyl::TZylSqlDataset*>(ds.get());
    const std::int64_t before = sql->QueriesRun();
    int i = 0;
    for (auto _ : state) {
      state.PauseTiming();
      std::string body =
          HiddenFields(page) + "GCELL_0_2=c" + std::to_string(++i % 2) + "&GUPDATE.x=1&GUPDATE.y=1";
      state.ResumeTiming();
      page = Request(*ds, body, identity);
    }
    state.counters["statements"] = benchmark::Counter(
        static_cast<double>(sql->QueriesRun() - before), benchmark::Counter::kAvgIterations);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

std::unique_ptr<zyl::TDataSet> OpenSqlite() {
  auto ds = std::make_unique<zyl::TZylSQLiteDataset>(nullptr);
  ds->SetDatabase(SqliteFile());
  ds->SetTableName("people");
  ds->Open();
  return ds;
}

std::unique_ptr<zyl::TDataSet> OpenPg() {
  static const char* conninfo = std::getenv("ZYL_BENCH_PG");
  if (conninfo == nullptr || *conninfo == '\0') return nullptr;
  static const bool filled = [] {
    PGconn* db = PQconnectdb(conninfo);
    PGresult* result = PQexec(db, Fill().c_str());
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    PQfinish(db);
    return ok;
  }();
  if (!filled) return nullptr;
  auto ds = std::make_unique<zyl::TZylPgDataset>(nullptr);
  ds->SetConnectionInfo(conninfo);
  ds->SetTableName("people");
  ds->Open();
  return ds;
}

}  // namespace

BENCHMARK_CAPTURE(BM_UpdateRequest, sqlite_positional, OpenSqlite, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UpdateRequest, sqlite_identity, OpenSqlite, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UpdateRequest, postgres_positional, OpenPg, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UpdateRequest, postgres_identity, OpenPg, true)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
