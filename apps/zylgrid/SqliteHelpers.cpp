#include "apps/zylgrid/SqliteHelpers.h"

namespace zylgrid::sql {

Database::Database(const std::string& path, bool readOnly, bool create) : path_(path) {
  int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (create && !readOnly) flags |= SQLITE_OPEN_CREATE;
  flags |= SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw Error("SQLite: " + path + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
  sqlite3_extended_result_codes(db_, 1);
}

Database::~Database() {
  sqlite3_close(db_);
}

void Database::Fail(const std::string& what) const {
  throw Error("SQLite: " + path_ + ": " + what + ": " + sqlite3_errmsg(db_));
}

void Database::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message != nullptr ? message : "failed";
    sqlite3_free(message);
    throw Error("SQLite: " + path_ + ": " + text);
  }
}

bool Database::TableExists(const std::string& table) {
  Statement st(*this,
               "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 "
               "COLLATE NOCASE");
  st.Bind(1, zyl::TVariant(table));
  return st.Step();
}

std::vector<Column> Database::Columns(const std::string& table) {
  Statement st(*this, "SELECT name, type, pk FROM pragma_table_info(?1)");
  st.Bind(1, zyl::TVariant(table));
  std::vector<Column> columns;
  while (st.Step()) {
    columns.push_back({st.Value(0).ToString(), st.Value(1).ToString(), st.Value(2).ToInt64() != 0});
  }
  return columns;
}

long long Database::LastInsertRowid() const {
  return sqlite3_last_insert_rowid(db_);
}

Statement::Statement(Database& db, const std::string& sql) : db_(db) {
  if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
    db.Fail("cannot prepare statement");
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

void Statement::Bind(int index, const zyl::TVariant& value) {
  int rc = SQLITE_OK;
  switch (value.GetKind()) {
    case zyl::TVariant::Kind::Empty:
    case zyl::TVariant::Kind::Null:
      rc = sqlite3_bind_null(stmt_, index);
      break;
    case zyl::TVariant::Kind::Boolean:
      rc = sqlite3_bind_int(stmt_, index, value.ToBoolean() ? 1 : 0);
      break;
    case zyl::TVariant::Kind::Integer:
      rc = sqlite3_bind_int64(stmt_, index, value.ToInt64());
      break;
    case zyl::TVariant::Kind::Double:
      rc = sqlite3_bind_double(stmt_, index, value.ToDouble());
      break;
    case zyl::TVariant::Kind::ByteArray: {
      const auto& bytes = value.ToBytes();
      rc = sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
      break;
    }
    default: {
      std::string text = value.ToString();
      rc = sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
      break;
    }
  }
  if (rc != SQLITE_OK) db_.Fail("cannot bind parameter");
}

bool Statement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  db_.Fail("statement failed");
}

int Statement::ColumnCount() const {
  return sqlite3_column_count(stmt_);
}

std::string Statement::ColumnName(int index) const {
  const char* name = sqlite3_column_name(stmt_, index);
  return name != nullptr ? name : "";
}

std::string Statement::DeclaredType(int index) const {
  const char* type = sqlite3_column_decltype(stmt_, index);
  return type != nullptr ? type : "";
}

zyl::TVariant Statement::Value(int index) const {
  switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
      return zyl::TVariant::Null();
    case SQLITE_INTEGER:
      return zyl::TVariant(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, index)));
    case SQLITE_FLOAT:
      return zyl::TVariant(sqlite3_column_double(stmt_, index));
    case SQLITE_BLOB: {
      const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, index));
      int size = sqlite3_column_bytes(stmt_, index);
      return zyl::TVariant(std::vector<std::uint8_t>(data, data + size));
    }
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
      int size = sqlite3_column_bytes(stmt_, index);
      return zyl::TVariant(std::string(text, static_cast<std::size_t>(size)));
    }
  }
}

std::string QuoteIdentifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace zylgrid::sql
