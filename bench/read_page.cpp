// Reading one page of a 1,000,000-row SQLite table through the dataset
// contract, as the grid reads it (RecordCount, First, MoveBy to the page,
// Next through its rows reading every field as text), next to what SQLite
// itself needs for the same page: count(*) plus the LIMIT/OFFSET query.
//
// The table (10 columns of mixed types) is generated once and kept in the
// temporary directory as "zylhg_bench_read_page_v1.db".
//
// A detail grid's page: a grid over the records of one customer in a
// 1,000,000-row orders table with an index on the customer column (its own
// file, "zylhg_bench_detail_v1.db"), read through the key filter.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/BenchPages.h"
#include "datasets/RowFilter.h"
#include "datasets/SQLiteDataset.h"
#include "grid/ZylHTMLGrid.h"

namespace {

using bench::FirstRecord;
using bench::kRows;
using bench::ReadPage;

void Check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
  }
}

bool Complete(const std::string& path) {
  if (!std::filesystem::exists(path)) return false;
  sqlite3* db = nullptr;
  bool complete = false;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT Rows FROM Meta", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      complete = sqlite3_column_int(stmt, 0) == kRows;
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return complete;
}

void Generate(const std::string& path) {
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  Check(db, sqlite3_open(path.c_str(), &db), "open");
  Check(db,
        sqlite3_exec(db,
                     "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"
                     "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer VARCHAR(40), "
                     "City VARCHAR(30), Qty INTEGER, Price REAL, Amount DECIMAL(12,2), "
                     "Paid BOOLEAN, Ordered DATE, Stamp DATETIME, Notes TEXT);"
                     "BEGIN",
                     nullptr, nullptr, nullptr),
        "create");
  sqlite3_stmt* insert = nullptr;
  Check(
      db,
      sqlite3_prepare_v2(db, "INSERT INTO Orders VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
                         -1, &insert, nullptr),
      "prepare");
  static const char* kCities[] = {"Berlin", "Lisboa", "Oslo", "Zagreb", "Quito", "Perth"};
  bench::Random random;
  char text[64];
  for (int i = 1; i <= kRows; ++i) {
    std::uint64_t r = random.Next();
    sqlite3_bind_int(insert, 1, i);
    std::snprintf(text, sizeof text, "Customer %06d", static_cast<int>(r % 50000));
    sqlite3_bind_text(insert, 2, text, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, kCities[r % 6], -1, SQLITE_STATIC);
    sqlite3_bind_int(insert, 4, static_cast<int>(r % 100));
    sqlite3_bind_double(insert, 5, static_cast<double>(r % 100000) / 100.0);
    sqlite3_bind_double(insert, 6, static_cast<double>(r % 1000000) / 100.0);
    sqlite3_bind_int(insert, 7, static_cast<int>(r >> 63));
    std::snprintf(text, sizeof text, "20%02d-%02d-%02d", static_cast<int>(r % 25),
                  static_cast<int>(r % 12 + 1), static_cast<int>(r % 28 + 1));
    sqlite3_bind_text(insert, 8, text, -1, SQLITE_TRANSIENT);
    std::snprintf(text, sizeof text, "2024-%02d-%02d %02d:%02d:%02d", static_cast<int>(r % 12 + 1),
                  static_cast<int>(r % 28 + 1), static_cast<int>(r % 24), static_cast<int>(r % 60),
                  static_cast<int>((r >> 8) % 60));
    sqlite3_bind_text(insert, 9, text, -1, SQLITE_TRANSIENT);
    if (r % 3 == 0) {
      sqlite3_bind_null(insert, 10);
    } else {
      std::snprintf(text, sizeof text, "note %llu", static_cast<unsigned long long>(r % 997));
      sqlite3_bind_text(insert, 10, text, -1, SQLITE_TRANSIENT);
    }
    Check(db, sqlite3_step(insert), "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Check(db,
        sqlite3_exec(db,
                     "CREATE TABLE Meta (Rows INTEGER); INSERT INTO Meta VALUES (1000000); COMMIT",
                     nullptr, nullptr, nullptr),
        "commit");
  sqlite3_close(db);
}

const std::string& Database() {
  static const std::string path = [] {
    std::string p =
        (std::filesystem::temp_directory_path() / "zylhg_bench_read_page_v1.db").string();
    if (!Complete(p)) Generate(p);
    sqlite3* db = nullptr;  // the filtered pages' index, added to older files too
    Check(db, sqlite3_open(p.c_str(), &db), "open");
    Check(db,
          sqlite3_exec(db, "CREATE INDEX IF NOT EXISTS orders_qty ON Orders(Qty)", nullptr, nullptr,
                       nullptr),
          "index");
    sqlite3_close(db);
    return p;
  }();
  return path;
}

// A new dataset for every page, as in a CGI request.
void BM_DatasetPageNewDataset(benchmark::State& state) {
  const std::string& path = Database();
  int first = FirstRecord(state);
  int perPage = static_cast<int>(state.range(0));
  for (auto _ : state) {
    zyl::TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path);
    ds.SetTableName("Orders");
    ds.Open();
    benchmark::DoNotOptimize(ReadPage(ds, first, perPage));
  }
}

// One open dataset; the cached count and rows are dropped before each page.
void BM_DatasetPageRefreshed(benchmark::State& state) {
  zyl::TZylSQLiteDataset ds(nullptr);
  ds.SetDatabase(Database());
  ds.SetTableName("Orders");
  ds.Open();
  int first = FirstRecord(state);
  int perPage = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ds.Refresh();
    benchmark::DoNotOptimize(ReadPage(ds, first, perPage));
  }
}

// As above with the count(*) left out of the timing: the dataset's cost of
// a page beyond the count, to set against the OFFSET query alone.
void BM_DatasetPageCounted(benchmark::State& state) {
  zyl::TZylSQLiteDataset ds(nullptr);
  ds.SetDatabase(Database());
  ds.SetTableName("Orders");
  ds.Open();
  int first = FirstRecord(state);
  int perPage = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    ds.Refresh();
    ds.RecordCount();
    state.ResumeTiming();
    benchmark::DoNotOptimize(ReadPage(ds, first, perPage));
  }
}

// SQLite alone on an open connection: `sql` (the page size as ?1, and
// `offset` as ?2 when given) after `count` when given, reading every column
// of every row.
void RunBare(benchmark::State& state, const char* count, const std::string& sql, int offset = -1) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(Database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* counting = nullptr;
  sqlite3_stmt* page = nullptr;
  if (count != nullptr) sqlite3_prepare_v2(db, count, -1, &counting, nullptr);
  sqlite3_prepare_v2(db, sql.c_str(), -1, &page, nullptr);
  for (auto _ : state) {
    if (counting != nullptr) {
      sqlite3_step(counting);
      benchmark::DoNotOptimize(sqlite3_column_int64(counting, 0));
      sqlite3_reset(counting);
    }
    sqlite3_bind_int64(page, 1, state.range(0));
    if (offset >= 0) sqlite3_bind_int(page, 2, offset);
    std::size_t bytes = 0;
    while (sqlite3_step(page) == SQLITE_ROW) {
      for (int c = 0; c < 10; ++c) bytes += static_cast<std::size_t>(sqlite3_column_bytes(page, c));
    }
    sqlite3_reset(page);
    benchmark::DoNotOptimize(bytes);
  }
  sqlite3_finalize(counting);
  sqlite3_finalize(page);
  sqlite3_close(db);
}

constexpr const char* kColumns =
    "SELECT Id, Customer, City, Qty, Price, Amount, Paid, Ordered, Stamp, Notes FROM Orders";

// count(*) (range(2) 1) and the page's OFFSET query.
void BM_SQLiteCountPlusOffset(benchmark::State& state) {
  RunBare(state, state.range(2) != 0 ? "SELECT count(*) FROM Orders" : nullptr,
          std::string(kColumns) + " ORDER BY rowid LIMIT ?1 OFFSET ?2", FirstRecord(state));
}

// count(*) alone.
void BM_SQLiteCount(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(Database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* count = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM Orders", -1, &count, nullptr);
  for (auto _ : state) {
    sqlite3_step(count);
    benchmark::DoNotOptimize(sqlite3_column_int64(count, 0));
    sqlite3_reset(count);
  }
  sqlite3_finalize(count);
  sqlite3_close(db);
}

// Orders(Id, CustomerId, Item, Qty, Due): customer 1 has 100,000 orders,
// customers 2 to 50,001 have 18 each.
const std::string& DetailDatabase() {
  static const std::string path = [] {
    std::string p = (std::filesystem::temp_directory_path() / "zylhg_bench_detail_v1.db").string();
    if (Complete(p)) return p;
    std::filesystem::remove(p);
    sqlite3* db = nullptr;
    Check(db, sqlite3_open(p.c_str(), &db), "open");
    Check(db,
          sqlite3_exec(
              db,
              "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;"
              "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, CustomerId INTEGER NOT NULL, "
              "Item TEXT, Qty INTEGER, Due DATE);"
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
              "INSERT INTO Orders SELECT i, CASE WHEN i <= 100000 THEN 1 ELSE 2 + i % 50000 END, "
              "'item ' || (i % 997), i % 50, date('2024-01-01', '+' || (i % 365) || ' days') "
              "FROM n;"
              "CREATE INDEX orders_customer ON Orders(CustomerId);"
              "CREATE TABLE Meta (Rows INTEGER); INSERT INTO Meta VALUES (1000000); COMMIT",
              nullptr, nullptr, nullptr),
          "generate");
    sqlite3_close(db);
    return p;
  }();
  return path;
}

// One request's detail grid: a new dataset filtered on the master's key and
// a grid reading its first page of 40 rows. range(0): the customer.
void BM_DetailGridPage(benchmark::State& state) {
  const std::string& path = DetailDatabase();
  std::int64_t customer = state.range(0);
  std::int64_t queries = 0;
  int rows = 0;
  for (auto _ : state) {
    zyl::TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path);
    ds.SetTableName("Orders");
    ds.SetKeyFilter("CustomerId", zyl::TVariant(customer));
    ds.Open();
    zyl::TZylHTMLGrid grid(nullptr);
    grid.Loaded();
    grid.SetRowsPerPage(40);
    grid.SetDataset(&ds);
    grid.ReadValues();
    rows = grid.GetRowCount();
    queries = ds.QueriesRun();
    grid.SetDataset(nullptr);
  }
  state.counters["rows"] = rows;
  state.counters["statements"] = static_cast<double>(queries);
}

// The keyset statement of the last page: the bare read the dataset's jump
// past the middle makes (count taken outside the timing, as in
// BM_DatasetPageCounted).
void BM_SQLiteKeysetLast(benchmark::State& state) {
  RunBare(state, nullptr, std::string(kColumns) + " ORDER BY rowid DESC LIMIT ?1");
}

// Page 1 of Qty = 42 (10,000 records, index orders_qty): SQLite's count and
// page statements, beside BM_DatasetFiltered.
void BM_SQLiteFilteredFloor(benchmark::State& state) {
  RunBare(state, "SELECT count(*) FROM Orders WHERE Qty = 42",
          std::string(kColumns) + " WHERE Qty = 42 ORDER BY rowid LIMIT ?1");
}

// range(1) 1: one open dataset refreshed before each page (as the floor's
// open connection); 0: a new dataset per page, as a CGI request.
void BM_DatasetFiltered(benchmark::State& state) {
  zyl::FieldCondition qty{3, zyl::FilterKind::kNumber, zyl::FilterOp::kCompare, zyl::TVariant(42),
                          zyl::TVariant(42)};
  auto open = [&](zyl::TZylSQLiteDataset& ds) {
    ds.SetDatabase(Database());
    ds.SetTableName("Orders");
    ds.Open();
    ds.SetRowFilter(zyl::RowFilter{{qty}, "", {}});
  };
  zyl::TZylSQLiteDataset kept(nullptr);
  if (state.range(1) == 1) open(kept);
  for (auto _ : state) {
    if (state.range(1) == 1) {
      kept.Refresh();
      benchmark::DoNotOptimize(ReadPage(kept, 0, static_cast<int>(state.range(0))));
    } else {
      zyl::TZylSQLiteDataset ds(nullptr);
      open(ds);
      benchmark::DoNotOptimize(ReadPage(ds, 0, static_cast<int>(state.range(0))));
    }
  }
}

void PageArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"rows", "last"})->Args({40, 0})->Args({40, 1})->Args({500, 0})->Args({500, 1});
  b->Unit(benchmark::kMillisecond);
}

void FloorArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"rows", "last", "count"});
  for (int rows : {40, 500}) {
    for (int last : {0, 1}) {
      for (int count : {0, 1}) b->Args({rows, last, count});
    }
  }
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_SQLiteCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SQLiteCountPlusOffset)->Apply(FloorArgs);
BENCHMARK(BM_DatasetPageNewDataset)->Apply(PageArgs);
BENCHMARK(BM_DatasetPageRefreshed)->Apply(PageArgs);
// Each iteration pauses for a count(*): a fixed number keeps the run short.
BENCHMARK(BM_DatasetPageCounted)->Apply(PageArgs)->Iterations(20);
BENCHMARK(BM_SQLiteKeysetLast)->Arg(40)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SQLiteFilteredFloor)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DatasetFiltered)
    ->ArgNames({"rows", "kept"})
    ->Args({40, 1})
    ->Args({40, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetailGridPage)->ArgName("customer")->Arg(1)->Arg(777)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
