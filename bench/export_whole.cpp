// The whole-result download of a large SQLite table, timed with its peak
// memory above the process before the export (bench/export_whole.sh runs it
// for docs/PERFORMANCE.md):
//
//   bench_export_whole make DB ROWS        the table t: ROWS rows x 10 columns
//   bench_export_whole csv|json|txt|xlsx|xls|mdb|dbf|db DB OUT
//                                          a grid over t (20 rows a page),
//                                          SaveAs of the whole result into OUT
//   bench_export_whole xlsx-floor DB OUT   libxlsxwriter's own constant-memory
//                                          loop over the same cells (the floor)
//
// Prints "<mode> rows=<n> seconds=<wall> cpu_seconds=<s> peak_above_start_mb=<m>".
#include <sqlite3.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "datasets/SQLiteDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Stream.h"

namespace {

// A /proc/self/status figure in kB ("VmRSS", "VmHWM").
long StatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  }
  return -1;
}

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::cerr << "bench_export_whole: " << (error ? error : "sqlite error") << "\n";
    std::exit(1);
  }
}

int Make(const std::string& path, long rows) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db,
       "DROP TABLE IF EXISTS t; CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, city "
       "VARCHAR(30), qty INTEGER, weight REAL, price CURRENCY, paid BOOLEAN, ordered DATE, "
       "stamp DATETIME, note TEXT); BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(
      db,
      "INSERT INTO t VALUES (?1, 'Customer ' || ?1, 'City ' || (?1 % 97), ?1 % 1000,"
      " ?1 / 7.0, (?1 % 100000) / 100.0, ?1 % 3 = 0,"
      " date('2000-01-01', '+' || (?1 % 9000) || ' days'),"
      " datetime('2000-01-01 08:00:00', '+' || ?1 || ' seconds'),"
      " CASE WHEN ?1 % 5 = 0 THEN NULL ELSE 'note \"' || ?1 || '\", with a comma' END)",
      -1, &insert, nullptr);
  for (long i = 1; i <= rows; ++i) {
    sqlite3_bind_int64(insert, 1, i);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "COMMIT");
  sqlite3_close(db);
  return 0;
}

// libxlsxwriter alone: the same cells read with SQLite's C API.
long XlsxFloor(const std::string& path, const std::string& out) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* book = workbook_new_opt(out.c_str(), &options);
  lxw_worksheet* sheet = workbook_add_worksheet(book, "t");
  lxw_format* date = workbook_add_format(book);
  format_set_num_format(date, "yyyy-mm-dd");
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(
      db, "SELECT *, julianday(ordered) - 2415018.5, julianday(stamp) - 2415018.5 FROM t", -1,
      &select, nullptr);
  const int columns = 10;
  for (int c = 0; c < columns; ++c) {
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), sqlite3_column_name(select, c),
                           nullptr);
  }
  long row = 0;
  while (sqlite3_step(select) == SQLITE_ROW) {
    ++row;
    for (int c = 0; c < columns; ++c) {
      const auto col = static_cast<lxw_col_t>(c);
      const auto r = static_cast<lxw_row_t>(row);
      if (sqlite3_column_type(select, c) == SQLITE_NULL) continue;
      if (c == 7 || c == 8) {
        worksheet_write_number(sheet, r, col, sqlite3_column_double(select, c + 3), date);
      } else if (c == 6) {
        worksheet_write_boolean(sheet, r, col, sqlite3_column_int(select, c), nullptr);
      } else if (sqlite3_column_type(select, c) == SQLITE_TEXT) {
        worksheet_write_string(
            sheet, r, col, reinterpret_cast<const char*>(sqlite3_column_text(select, c)), nullptr);
      } else {
        worksheet_write_number(sheet, r, col, sqlite3_column_double(select, c), nullptr);
      }
    }
  }
  sqlite3_finalize(select);
  workbook_close(book);
  sqlite3_close(db);
  return row;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "make") return Make(argv[2], std::stol(argv[3]));
  const std::map<std::string, zyl::TExportType> formats = {
      {"txt", zyl::TExportType::TabbedText}, {"xls", zyl::TExportType::Excel},
      {"mdb", zyl::TExportType::Access},     {"dbf", zyl::TExportType::dBase},
      {"db", zyl::TExportType::Paradox},     {"csv", zyl::TExportType::CSV},
      {"xlsx", zyl::TExportType::XLSX},      {"json", zyl::TExportType::JSON}};
  const std::string mode = argc == 4 ? argv[1] : "";
  if (mode != "xlsx-floor" && formats.count(mode) == 0) {
    std::cerr << "usage: bench_export_whole make DB ROWS | FORMAT|xlsx-floor DB OUT\n";
    return 2;
  }
  zyl::TZylSQLiteDataset data(nullptr);
  data.SetDatabase(argv[2]);
  data.SetTableName("t");
  zyl::TZylHTMLGrid grid(nullptr);
  grid.SetRowsPerPage(20);
  grid.SetShowMemos(true);
  if (mode != "xlsx-floor") {
    data.Open();
    grid.SetDataset(&data);
    grid.ReadValues();
  }
  const long start = StatusKb("VmRSS");
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
  const auto t0 = std::chrono::steady_clock::now();
  const std::clock_t c0 = std::clock();
  long rows = 0;
  if (mode == "xlsx-floor") {
    rows = XlsxFloor(argv[2], argv[3]);
  } else {
    zyl::TFileStream out(argv[3], zyl::TFileStream::Mode::fmCreate);
    grid.SaveAs(formats.at(mode), out, zyl::TExportScope::WholeResult);
    rows = grid.GetTotalRowCount();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
  std::printf("%s rows=%ld seconds=%.2f cpu_seconds=%.2f peak_above_start_mb=%.1f\n", mode.c_str(),
              rows, seconds, cpu, static_cast<double>(StatusKb("VmHWM") - start) / 1024.0);
  return 0;
}
