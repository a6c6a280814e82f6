// SQL run on an SQLite file past any dataset, as another program would.
#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace zyl::harness {

// Runs `sql` on the database file (creating it); the first value of the first
// row it gives ("" when none); throws on an error.
inline std::string SqliteExec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_busy_timeout(db, 5000);
  char* error = nullptr;
  std::pair<bool, std::string> first;
  int rc = sqlite3_exec(
      db, sql.c_str(),
      [](void* out, int, char** values, char**) {
        auto* f = static_cast<std::pair<bool, std::string>*>(out);
        if (!f->first && values[0] != nullptr) f->second = values[0];
        f->first = true;
        return 0;
      },
      &first, &error);
  std::string message = "SQL failed: " + std::string(error != nullptr ? error : "") + "\n" + sql;
  sqlite3_free(error);
  sqlite3_close(db);
  return rc == SQLITE_OK ? first.second : throw std::runtime_error(message);
}

}  // namespace zyl::harness
