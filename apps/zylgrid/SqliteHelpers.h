// Small helpers over the SQLite C API for the host program: a connection
// and statement holder, identifier quoting, and the look-ups the site
// configuration checks (tables, columns).
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/Variant.h"

namespace zylgrid::sql {

class Error : public zyl::Exception {
 public:
  using zyl::Exception::Exception;
};

struct Column {
  std::string name;
  std::string declaredType;
  bool primaryKey = false;
};

class Statement;

// One open database; closed on destruction.
class Database {
 public:
  // Raises Error "SQLite: <path>: <reason>". A missing file is an error (no
  // database is created) unless `create` is set.
  Database(const std::string& path, bool readOnly, bool create = false);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* Handle() const { return db_; }
  const std::string& Path() const { return path_; }
  // Runs statements without results; raises Error with SQLite's message.
  void Exec(const std::string& sql);
  bool TableExists(const std::string& table);
  // Columns of a table or view in declaration order (empty when none).
  std::vector<Column> Columns(const std::string& table);
  long long LastInsertRowid() const;
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

// A prepared statement with bound parameters (1-based).
class Statement {
 public:
  Statement(Database& db, const std::string& sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Bind(int index, const zyl::TVariant& value);
  // Steps once: true while a row is available.
  bool Step();
  int ColumnCount() const;
  // True when the statement does not write to the database.
  bool ReadOnly() const { return sqlite3_stmt_readonly(stmt_) != 0; }
  std::string ColumnName(int index) const;
  std::string DeclaredType(int index) const;
  // Column value of the current row as a variant (Null, integer, double,
  // text; blobs as byte vectors).
  zyl::TVariant Value(int index) const;

 private:
  Database& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// "name" with inner double quotes doubled.
std::string QuoteIdentifier(const std::string& name);

}  // namespace zylgrid::sql
