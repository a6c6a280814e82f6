// The floor: what one request for a page of a table must cost at least with
// SQLite's C API and the library's HTML escaper. It runs the statements the
// grid's page needs, written as the grid writes them: count(*), then the
// page's rows ordered by the key (LIMIT/OFFSET), writes the rows as a plain
// HTML table and pads the output to the byte count of the grid's page, so
// a whole-process comparison writes the same amount to stdout.
//
//   bench_floor DATABASE TABLE KEY PAGE ROWS [BYTES]
//
// PAGE counts from 1; "last" is the last page of the count. Not a Google
// Benchmark program: bench/process.sh runs it under hyperfine beside
// `zylgrid cgi` and the PHP page bench/peer.php.
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

std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: bench_floor DATABASE TABLE KEY PAGE ROWS [BYTES]\n");
    return 2;
  }
  const std::string table = argv[2];
  const std::string key = argv[3];
  const std::string pageArg = argv[4];
  const long long rows = std::strtoll(argv[5], nullptr, 10);
  const long bytes = argc > 6 ? std::strtol(argv[6], nullptr, 10) : 0;
  if (rows < 1) return 2;

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    return Fail(db, "open");
  }
  sqlite3_stmt* count = nullptr;
  std::string sql = "SELECT count(*) FROM " + Quoted(table);
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, 0, &count, nullptr) != SQLITE_OK) {
    return Fail(db, "count");
  }
  long long total = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : 0;
  sqlite3_finalize(count);
  const long long pages = total > 0 ? (total + rows - 1) / rows : 1;
  long long page = pageArg == "last" ? pages : std::strtoll(pageArg.c_str(), nullptr, 10);
  if (page < 1) page = 1;
  if (page > pages) page = pages;

  // The grid's page statement: every column by name, the rowid last, ordered
  // by the key and the rowid.
  sqlite3_stmt* columns = nullptr;
  sql = "SELECT * FROM " + Quoted(table);
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, 0, &columns, nullptr) != SQLITE_OK) {
    return Fail(db, "columns");
  }
  std::string select;
  for (int c = 0; c < sqlite3_column_count(columns); ++c) {
    select += Quoted(sqlite3_column_name(columns, c)) + ", ";
  }
  sqlite3_finalize(columns);
  sql = "SELECT " + select + "rowid FROM " + Quoted(table) + " ORDER BY " + Quoted(key) +
        ", rowid LIMIT ?1 OFFSET ?2";
  sqlite3_stmt* query = nullptr;
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, 0, &query, nullptr) != SQLITE_OK) {
    return Fail(db, "page");
  }
  sqlite3_bind_int64(query, 1, rows);
  sqlite3_bind_int64(query, 2, (page - 1) * rows);
  std::string html = "Content-Type: text/html; charset=UTF-8\r\n\r\n<!DOCTYPE html>\n<table>\n";
  html += "<caption>" + std::to_string(total) + " records, page " + std::to_string(page) + " of " +
          std::to_string(pages) + "</caption>\n";
  const int shown = sqlite3_column_count(query) - 1;  // not the rowid
  while (sqlite3_step(query) == SQLITE_ROW) {
    html += "<tr>";
    for (int c = 0; c < shown; ++c) {
      html += "<td>";
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query, c));
      if (text != nullptr) zyl::AppendEscapedHtml(html, text);
      html += "</td>";
    }
    html += "</tr>\n";
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  html += "</table>\n";
  if (bytes > static_cast<long>(html.size())) {
    html.append(static_cast<std::size_t>(bytes) - html.size(), ' ');
  }
  std::fwrite(html.data(), 1, html.size(), stdout);
  return 0;
}
