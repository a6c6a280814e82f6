#include "datasets/SQLiteConnection.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <climits>
#include <utility>

#include "datasets/SQLiteError.h"
#include "platform/Locale.h"

namespace zyl::sqlite {

namespace {

// zyl_lower(x): x as text lower-cased by ICU (RowFilter's rule), Null for
// Null; row filters compare text through it.
void LowerFunction(sqlite3_context* context, int, sqlite3_value** values) {
  if (sqlite3_value_type(values[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
  std::string lower = AnsiLowerCase(text == nullptr ? "" : text);
  sqlite3_result_text(context, lower.data(), static_cast<int>(lower.size()), SQLITE_TRANSIENT);
}

}  // namespace

Connection::Connection(const std::string& path, bool readOnly, int busyTimeoutMs)
    : path_(path), readOnly_(readOnly) {
  ResetContext();
  // A connection serves one thread at a time, as its dataset does: no
  // SQLite mutex on every call.
  int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw ESQLiteError(context_ + ": " + message, rc);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_create_function_v2(db_, "zyl_lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                             LowerFunction, nullptr, nullptr, nullptr);
  SetBusyTimeout(busyTimeoutMs);
  struct stat file {};
  if (::stat(path.c_str(), &file) == 0) {
    device_ = static_cast<std::uint64_t>(file.st_dev);
    inode_ = static_cast<std::uint64_t>(file.st_ino);
  }
}

Connection::~Connection() {
  statements_.clear();  // finalized before the connection closes
  sqlite3_close_v2(db_);
}

void Connection::ResetContext() {
  context_ = "SQLite database '" + path_ + "'";
}

Statement& Connection::Prepared(const std::string& sql) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) {
    // Seek statements differ by which edge values are Null, and a kept
    // connection serves many sources: a bounded set.
    if (statements_.size() >= 64) statements_.clear();
    it = statements_.emplace(sql, std::make_unique<Statement>(*this, sql)).first;
  }
  return *it->second;
}

void Connection::SetMemoryMap(std::int64_t bytes) {
  if (bytes < 0) bytes = 0;
  if (bytes == memoryMap_) return;
  const std::string pragma = "PRAGMA mmap_size=" + std::to_string(bytes);
  if (sqlite3_exec(db_, pragma.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) memoryMap_ = bytes;
}

bool Connection::Settle() {
  for (sqlite3_stmt* stmt = sqlite3_next_stmt(db_, nullptr); stmt != nullptr;
       stmt = sqlite3_next_stmt(db_, stmt)) {
    if (sqlite3_stmt_busy(stmt) != 0) sqlite3_reset(stmt);
  }
  if (sqlite3_get_autocommit(db_) != 0) return true;
  return sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK &&
         sqlite3_get_autocommit(db_) != 0;
}

void Connection::SetBusyTimeout(int milliseconds) {
  sqlite3_busy_timeout(db_, milliseconds < 0 ? 0 : milliseconds);
}

int Connection::Changes() const {
  return sqlite3_changes(db_);
}

std::int64_t Connection::LastInsertRowid() const {
  return sqlite3_last_insert_rowid(db_);
}

void Connection::Fail(const std::string& context, int rc) const {
  throw ESQLiteError(context + ": " + sqlite3_errmsg(db_), rc);
}

Statement::Statement(Connection& connection, std::string_view sql, std::string_view* tail)
    : connection_(&connection) {
  if (sql.size() > static_cast<std::size_t>(INT_MAX)) {
    throw ESQLiteError(connection.Context() + ": statement too long", SQLITE_TOOBIG);
  }
  const char* rest = nullptr;
  int rc = sqlite3_prepare_v3(connection.Handle(), sql.data(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt_, &rest);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    connection.Fail(connection.Context(), rc);
  }
  if (stmt_ == nullptr)
    throw ESQLiteError(connection.Context() + ": empty statement", SQLITE_MISUSE);
  if (tail != nullptr) {
    auto used = static_cast<std::size_t>(rest != nullptr ? rest - sql.data() : 0);
    *tail = sql.substr(used);
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)),
      stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    connection_ = std::exchange(other.connection_, nullptr);
    stmt_ = std::exchange(other.stmt_, nullptr);
  }
  return *this;
}

void Statement::Bind(int index, const TVariant& value) {
  int rc = SQLITE_OK;
  switch (value.GetKind()) {
    case TVariant::Kind::Empty:
    case TVariant::Kind::Null:
      rc = sqlite3_bind_null(stmt_, index);
      break;
    case TVariant::Kind::Boolean:
      rc = sqlite3_bind_int(stmt_, index, value.ToBoolean() ? 1 : 0);
      break;
    case TVariant::Kind::Integer:
      rc = sqlite3_bind_int64(stmt_, index, value.ToInt64());
      break;
    case TVariant::Kind::Double:
    case TVariant::Kind::Date:
      rc = sqlite3_bind_double(stmt_, index, value.ToDouble());
      break;
    case TVariant::Kind::String: {
      std::string text = value.ToString();
      rc = sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
      break;
    }
    case TVariant::Kind::ByteArray: {
      const auto& bytes = value.ToBytes();
      rc = sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
      break;
    }
    case TVariant::Kind::Object:
      throw ESQLiteError(connection_->Context() + ": an object cannot be stored", SQLITE_MISMATCH);
  }
  if (rc != SQLITE_OK) connection_->Fail(connection_->Context(), rc);
}

void Statement::BindInt64(int index, std::int64_t value) {
  int rc = sqlite3_bind_int64(stmt_, index, value);
  if (rc != SQLITE_OK) connection_->Fail(connection_->Context(), rc);
}

bool Statement::Step() {
  if (sqlite3_stmt_busy(stmt_) == 0) connection_->CountExecution();
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  std::string message = sqlite3_errmsg(connection_->Handle());
  sqlite3_reset(stmt_);
  throw ESQLiteError(connection_->Context() + ": " + message, rc);
}

void Statement::Reset() {
  if (stmt_ == nullptr) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int Statement::ColumnCount() const {
  return sqlite3_column_count(stmt_);
}

TVariant Statement::Column(int i) const {
  switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_INTEGER:
      return TVariant(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, i)));
    case SQLITE_FLOAT:
      return TVariant(sqlite3_column_double(stmt_, i));
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
      int size = sqlite3_column_bytes(stmt_, i);
      return TVariant(std::string(text != nullptr ? text : "", static_cast<std::size_t>(size)));
    }
    case SQLITE_BLOB: {
      const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, i));
      int size = sqlite3_column_bytes(stmt_, i);
      if (data == nullptr) return TVariant(std::vector<std::uint8_t>());
      return TVariant(std::vector<std::uint8_t>(data, data + size));
    }
    default:
      return TVariant::Null();
  }
}

std::int64_t Statement::ColumnInt64(int i) const {
  return sqlite3_column_int64(stmt_, i);
}

int Statement::ColumnStorageClass(int i) const {
  return sqlite3_column_type(stmt_, i);
}

std::string Statement::ColumnName(int i) const {
  const char* name = sqlite3_column_name(stmt_, i);
  return name != nullptr ? name : "";
}

std::string Statement::ColumnDeclType(int i) const {
  const char* type = sqlite3_column_decltype(stmt_, i);
  return type != nullptr ? type : "";
}

int Statement::ParameterCount() const {
  return sqlite3_bind_parameter_count(stmt_);
}

bool Statement::ReadOnly() const {
  return sqlite3_stmt_readonly(stmt_) != 0;
}

std::string Parameter(std::size_t number) {
  std::string text = "?";
  text += std::to_string(number);
  return text;
}

std::string QuoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

bool HoldsStatement(Connection& connection, std::string_view sql) {
  while (!sql.empty()) {
    sqlite3_stmt* stmt = nullptr;
    const char* rest = nullptr;
    int rc = sqlite3_prepare_v2(connection.Handle(), sql.data(), static_cast<int>(sql.size()),
                                &stmt, &rest);
    bool found = rc != SQLITE_OK || stmt != nullptr;
    sqlite3_finalize(stmt);
    if (found) return true;
    if (rest == nullptr || rest == sql.data()) return false;
    sql.remove_prefix(static_cast<std::size_t>(rest - sql.data()));
  }
  return false;
}

}  // namespace zyl::sqlite
