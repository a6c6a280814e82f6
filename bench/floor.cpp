// The floor: what one request for a page of a table must cost at least with
// SQLite's C API and the library's HTML escaper. It runs the same count(*) and page query
// the grid runs (ordered by the key, LIMIT/OFFSET), writes the rows as a
// plain HTML table and pads the output to the byte count of the grid's page,
// so a whole-process comparison writes the same amount to stdout.
//
//   bench_floor DATABASE TABLE FIRST ROWS [BYTES]
//
// Not a Google Benchmark program: bench/process.sh runs it under hyperfine
// beside `zylgrid cgi`.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Text.h"

namespace {

int Fail(sqlite3* db, const char* what) {
  std::fprintf(stderr, "bench_floor: %s: %s\n", what, db != nullptr ? sqlite3_errmsg(db) : "");
  sqlite3_close(db);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: bench_floor DATABASE TABLE FIRST ROWS [BYTES]\n");
    return 2;
  }
  const std::string table = argv[2];
  const long first = std::strtol(argv[3], nullptr, 10);
  const long rows = std::strtol(argv[4], nullptr, 10);
  const long bytes = argc > 5 ? std::strtol(argv[5], nullptr, 10) : 0;

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    return Fail(db, "open");
  }
  sqlite3_stmt* count = nullptr;
  std::string sql = "SELECT count(*) FROM \"" + table + "\"";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &count, nullptr) != SQLITE_OK) {
    return Fail(db, "count");
  }
  long long total = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : 0;
  sqlite3_finalize(count);

  sqlite3_stmt* page = nullptr;
  sql = "SELECT * FROM \"" + table + "\" ORDER BY rowid LIMIT ?1 OFFSET ?2";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &page, nullptr) != SQLITE_OK) {
    return Fail(db, "page");
  }
  sqlite3_bind_int64(page, 1, rows);
  sqlite3_bind_int64(page, 2, first);
  std::string html = "Content-Type: text/html; charset=UTF-8\r\n\r\n<!DOCTYPE html>\n<table>\n";
  html += "<caption>" + std::to_string(total) + " records</caption>\n";
  const int columns = sqlite3_column_count(page);
  while (sqlite3_step(page) == SQLITE_ROW) {
    html += "<tr>";
    for (int c = 0; c < columns; ++c) {
      html += "<td>";
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(page, c));
      if (text != nullptr) zyl::AppendEscapedHtml(html, text);
      html += "</td>";
    }
    html += "</tr>\n";
  }
  sqlite3_finalize(page);
  sqlite3_close(db);
  html += "</table>\n";
  if (bytes > static_cast<long>(html.size())) html.append(static_cast<std::size_t>(bytes) - html.size(), ' ');
  std::fwrite(html.data(), 1, html.size(), stdout);
  return 0;
}
