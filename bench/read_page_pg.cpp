// Reading page 1 and the last page of a 1,000,000-row PostgreSQL table
// through the dataset contract (as the grid reads it), beside libpq alone
// running the bare statements on an open connection: count(*) and
// LIMIT/OFFSET; the planner's estimate and the keyset read of the last
// page (ORDER BY id DESC LIMIT n); a filter on an indexed column.
//
// A throwaway server is started with scripts/pg-test-server for the run
// (or ZYL_BENCH_PG names a libpq connection string of an existing server).
// Without PostgreSQL the benchmarks are skipped with a message.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "bench/BenchPages.h"
#include "datasets/PgDataset.h"
#include "datasets/PgEstimateCache.h"
#include "datasets/RowFilter.h"

namespace {

namespace fs = std::filesystem;

using bench::FirstRecord;
using bench::kRows;
using bench::ReadPage;

// The server of this run; stopped when the program ends.
class Server {
 public:
  Server() {
    if (const char* given = std::getenv("ZYL_BENCH_PG"); given != nullptr && *given != '\0') {
      conninfo_ = given;
    } else {
      script_ =
          (fs::path(__FILE__).parent_path().parent_path() / "scripts" / "pg-test-server").string();
      dir_ =
          (fs::temp_directory_path() / ("zylhg_bench_pg_" + std::to_string(::getpid()))).string();
      std::string command = "'" + script_ + "' start '" + dir_ + "' >/dev/null 2>&1";
      if (std::system(command.c_str()) == 0) {
        std::ifstream in(dir_ + "/conninfo");
        std::getline(in, conninfo_);
      }
      if (conninfo_.empty()) {
        problem_ = "PostgreSQL is not installed (package postgresql); skipped";
        return;
      }
    }
    if (!Fill()) return;
  }
  ~Server() {
    if (!dir_.empty()) {
      std::string command = "'" + script_ + "' stop '" + dir_ + "' >/dev/null 2>&1";
      [[maybe_unused]] int rc = std::system(command.c_str());
    }
  }
  const std::string& ConnInfo() const { return conninfo_; }
  const std::string& Problem() const { return problem_; }

 private:
  bool Fill() {
    PGconn* db = PQconnectdb(conninfo_.c_str());
    bool ok = PQstatus(db) == CONNECTION_OK;
    auto exec = [&](const char* sql) {
      if (!ok) return;
      PGresult* r = PQexec(db, sql);
      ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
      if (!ok) problem_ = std::string("PostgreSQL: ") + PQerrorMessage(db);
      PQclear(r);
    };
    if (!ok) problem_ = std::string("PostgreSQL: ") + PQerrorMessage(db);
    exec(
        "CREATE TABLE IF NOT EXISTS orders (id integer PRIMARY KEY, customer varchar(40), "
        "city varchar(30), qty integer, price double precision, amount numeric(12,2), "
        "paid boolean, ordered date, stamp timestamp, notes text)");
    PGresult* r = ok ? PQexec(db, "SELECT count(*) FROM orders") : nullptr;
    bool filled = r != nullptr && PQntuples(r) == 1 && std::atoi(PQgetvalue(r, 0, 0)) == kRows;
    PQclear(r);
    if (!filled) {
      exec("TRUNCATE orders");
      exec(
          "INSERT INTO orders SELECT i, 'Customer ' || lpad((i::bigint * 7919 % 50000)::text, 6, "
          "'0'), "
          "(ARRAY['Berlin','Lisboa','Oslo','Zagreb','Quito','Perth'])[i % 6 + 1], i % 100, "
          "(i % 100000) / 100.0, (i % 1000000) / 100.0, i % 2 = 0, "
          "date '2000-01-01' + (i % 9000), timestamp '2024-01-01' + i * interval '17 second', "
          "CASE WHEN i % 3 = 0 THEN NULL ELSE 'note ' || (i % 997) END "
          "FROM generate_series(1, 1000000) AS i");
      exec("VACUUM ANALYZE orders");
    }
    exec("CREATE INDEX IF NOT EXISTS orders_qty ON orders (qty)");
    PQfinish(db);
    return ok;
  }

  std::string script_;
  std::string dir_;
  std::string conninfo_;
  std::string problem_;
};

Server& TheServer() {
  static Server server;
  return server;
}

bool Skipped(benchmark::State& state) {
  if (TheServer().Problem().empty()) return false;
  state.SkipWithError(TheServer().Problem().c_str());
  return true;
}

// A new dataset (and connection) for every page, as in a CGI request.
void BM_PgDatasetPageNewDataset(benchmark::State& state) {
  if (Skipped(state)) return;
  int first = FirstRecord(state);
  int perPage = static_cast<int>(state.range(0));
  for (auto _ : state) {
    zyl::TZylPgDataset ds(nullptr);
    ds.SetConnectionInfo(TheServer().ConnInfo());
    ds.SetTableName("orders");
    ds.Open();
    benchmark::DoNotOptimize(ReadPage(ds, first, perPage));
  }
}

// One open dataset; the count and rows are dropped before each page.
void BM_PgDatasetPageRefreshed(benchmark::State& state) {
  if (Skipped(state)) return;
  zyl::TZylPgDataset ds(nullptr);
  ds.SetConnectionInfo(TheServer().ConnInfo());
  ds.SetTableName("orders");
  ds.Open();
  int first = FirstRecord(state);
  int perPage = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ds.Refresh();
    benchmark::DoNotOptimize(ReadPage(ds, first, perPage));
  }
}

// libpq alone on an open connection: count(*) and the page's OFFSET query.
void BM_PgCountPlusOffset(benchmark::State& state) {
  if (Skipped(state)) return;
  PGconn* db = PQconnectdb(TheServer().ConnInfo().c_str());
  int first = FirstRecord(state);
  std::string limit = std::to_string(state.range(0));
  std::string offset = std::to_string(first);
  const char* values[2] = {limit.c_str(), offset.c_str()};
  for (auto _ : state) {
    PGresult* count = PQexec(db, "SELECT count(*) FROM orders");
    benchmark::DoNotOptimize(PQgetvalue(count, 0, 0));
    PQclear(count);
    PGresult* page = PQexecParams(db,
                                  "SELECT id, customer, city, qty, price, amount, paid, ordered, "
                                  "stamp, notes FROM orders ORDER BY id LIMIT $1 OFFSET $2",
                                  2, nullptr, values, nullptr, nullptr, 0);
    std::size_t bytes = 0;
    for (int r = 0; r < PQntuples(page); ++r) {
      for (int c = 0; c < 10; ++c) bytes += static_cast<std::size_t>(PQgetlength(page, r, c));
    }
    PQclear(page);
    benchmark::DoNotOptimize(bytes);
  }
  PQfinish(db);
}

// What the bare statements read: every value of a page fetched
// (PQgetvalue, as a program showing them does), its bytes summed.
std::size_t Bytes(PGresult* page) {
  std::size_t bytes = 0;
  for (int r = 0; r < PQntuples(page); ++r) {
    for (int c = 0; c < PQnfields(page); ++c) bytes += std::strlen(PQgetvalue(page, r, c));
  }
  PQclear(page);
  return bytes;
}

constexpr const char* kColumns =
    "SELECT id, customer, city, qty, price, amount, paid, ordered, stamp, notes FROM orders";

// One open dataset over orders, estimating counts above 100,000 records
// (zylgrid's default) when `estimate`, filtered on qty = 42 when `filtered`.
void OpenOrders(zyl::TZylPgDataset& ds, bool estimate, bool filtered,
                zyl::PgEstimateCache* estimates = nullptr) {
  ds.SetConnectionInfo(TheServer().ConnInfo());
  ds.SetTableName("orders");
  if (estimate) ds.SetEstimateCountAbove(100000);
  ds.SetEstimateCache(estimates);
  ds.Open();
  if (filtered) {
    zyl::FieldCondition qty{3, zyl::FilterKind::kNumber, zyl::FilterOp::kCompare, zyl::TVariant(42),
                            zyl::TVariant(42)};
    ds.SetRowFilter(zyl::RowFilter{{qty}, "", {}});
  }
}

// libpq alone on an open connection: `first` when given (a count or the
// planner's estimate), then `page`, every column of its rows read.
void RunBare(benchmark::State& state, const char* first, const std::string& page) {
  if (Skipped(state)) return;
  PGconn* db = PQconnectdb(TheServer().ConnInfo().c_str());
  for (auto _ : state) {
    if (first != nullptr) {
      PGresult* r = PQexec(db, first);
      benchmark::DoNotOptimize(PQgetvalue(r, 0, 0));
      PQclear(r);
    }
    benchmark::DoNotOptimize(Bytes(PQexec(db, page.c_str())));
  }
  PQfinish(db);
}

// The planner's estimate, then page 1 (LIMIT) or the last page by keyset
// (ORDER BY id DESC LIMIT n, the rows turned round by the reader).
void BM_PgEstimatePlusKeyset(benchmark::State& state) {
  RunBare(state, "EXPLAIN SELECT 1 FROM orders",
          std::string(kColumns) + (state.range(1) == 0 ? " ORDER BY id" : " ORDER BY id DESC") +
              " LIMIT " + std::to_string(state.range(0)));
}

// The planner's estimate and the last page's keyset statement in one round
// trip (a libpq pipeline), every value of the page read.
void BM_PgEstimateWithKeysetPipelined(benchmark::State& state) {
  if (Skipped(state)) return;
  PGconn* db = PQconnectdb(TheServer().ConnInfo().c_str());
  const std::string page =
      std::string(kColumns) + " ORDER BY id DESC LIMIT " + std::to_string(state.range(0));
  for (auto _ : state) {
    PQenterPipelineMode(db);
    PQsendQueryParams(db, "EXPLAIN SELECT 1 FROM orders", 0, nullptr, nullptr, nullptr, nullptr, 0);
    PQsendQueryParams(db, page.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    PQpipelineSync(db);
    PGresult* estimate = PQgetResult(db);
    benchmark::DoNotOptimize(PQgetvalue(estimate, 0, 0));
    PQclear(estimate);
    PQclear(PQgetResult(db));  // the null ending the estimate's results
    benchmark::DoNotOptimize(Bytes(PQgetResult(db)));
    PQclear(PQgetResult(db));  // the null ending the page's results
    PQclear(PQgetResult(db));  // the sync point
    PQexitPipelineMode(db);
  }
  PQfinish(db);
}

// libpq alone: a connection made and closed, what a new dataset pays first.
void BM_PgConnect(benchmark::State& state) {
  if (Skipped(state)) return;
  for (auto _ : state) PQfinish(PQconnectdb(TheServer().ConnInfo().c_str()));
}

// The keyset statement of the last page and nothing else.
void BM_PgBareKeysetLast(benchmark::State& state) {
  RunBare(state, nullptr,
          std::string(kColumns) + " ORDER BY id DESC LIMIT " + std::to_string(state.range(0)));
}

// The dataset with estimated counts: one open dataset refreshed before each
// page (range(2) 1), or a new dataset and connection per page (0).
// range(2): 1 for one dataset refreshed before each page, 0 for a new
// dataset (and connection) per page; range(3): 1 with an estimate cache
// shared by the pages, as zylgrid serve keeps one.
void BM_PgDatasetEstimated(benchmark::State& state) {
  if (Skipped(state)) return;
  int first = FirstRecord(state);
  int perPage = static_cast<int>(state.range(0));
  zyl::PgEstimateCache cache;
  zyl::PgEstimateCache* estimates = state.range(3) == 1 ? &cache : nullptr;
  zyl::TZylPgDataset kept(nullptr);
  if (state.range(2) == 1) OpenOrders(kept, true, false, estimates);
  for (auto _ : state) {
    if (state.range(2) == 1) {
      kept.Refresh();
      benchmark::DoNotOptimize(ReadPage(kept, first, perPage));
    } else {
      zyl::TZylPgDataset ds(nullptr);
      OpenOrders(ds, true, false, estimates);
      benchmark::DoNotOptimize(ReadPage(ds, first, perPage));
    }
  }
  if (state.range(2) == 1) state.counters["estimated"] = kept.RecordCountEstimated() ? 1 : 0;
}

// Page 1 of qty = 42 (10,000 records, index orders_qty): libpq's count and
// page statements beside the dataset (refreshed), exact count.
void BM_PgFilteredFloor(benchmark::State& state) {
  RunBare(state, "SELECT count(*) FROM orders WHERE qty = 42",
          std::string(kColumns) + " WHERE qty = 42 ORDER BY id LIMIT " +
              std::to_string(state.range(0)));
}

void BM_PgFilteredDataset(benchmark::State& state) {
  if (Skipped(state)) return;
  zyl::TZylPgDataset ds(nullptr);
  OpenOrders(ds, false, true);
  for (auto _ : state) {
    ds.Refresh();
    benchmark::DoNotOptimize(ReadPage(ds, 0, static_cast<int>(state.range(0))));
  }
}

void PageArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"rows", "last"})->Args({40, 0})->Args({40, 1});
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_PgCountPlusOffset)->Apply(PageArgs);
BENCHMARK(BM_PgDatasetPageNewDataset)->Apply(PageArgs);
BENCHMARK(BM_PgDatasetPageRefreshed)->Apply(PageArgs);
BENCHMARK(BM_PgConnect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgBareKeysetLast)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgEstimatePlusKeyset)->Apply(PageArgs);
BENCHMARK(BM_PgEstimateWithKeysetPipelined)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgDatasetEstimated)
    ->ArgNames({"rows", "last", "kept", "cache"})
    ->Args({40, 0, 1, 0})
    ->Args({40, 1, 1, 0})
    ->Args({40, 0, 0, 0})
    ->Args({40, 1, 0, 0})
    ->Args({40, 1, 1, 1})
    ->Args({40, 1, 0, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgFilteredFloor)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgFilteredDataset)->Arg(40)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
