#include "data/PgConnection.h"

#include <libpq-fe.h>

#include <utility>

namespace zyl::pg {

namespace {

std::string Trimmed(const char* text) {
  std::string s = text != nullptr ? text : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  // libpq prefixes server errors with "ERROR:  "; the level adds nothing.
  for (const char* prefix : {"ERROR:  ", "FATAL:  "}) {
    if (s.rfind(prefix, 0) == 0) s.erase(0, std::string(prefix).size());
  }
  return s;
}

}  // namespace

Result::Result(pg_result* result) : result_(result) {}
Result::~Result() {
  if (result_ != nullptr) PQclear(result_);
}
Result::Result(Result&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
Result& Result::operator=(Result&& other) noexcept {
  if (this != &other) {
    if (result_ != nullptr) PQclear(result_);
    result_ = std::exchange(other.result_, nullptr);
  }
  return *this;
}

std::int64_t Result::Affected() const {
  const char* text = PQcmdTuples(result_);
  return text != nullptr && *text != '\0' ? std::stoll(text) : 0;
}

int Result::Rows() const {
  return PQntuples(result_);
}
int Result::Columns() const {
  return PQnfields(result_);
}
bool Result::IsNull(int row, int column) const {
  return PQgetisnull(result_, row, column) != 0;
}
std::string Result::Value(int row, int column) const {
  return std::string(PQgetvalue(result_, row, column),
                     static_cast<std::size_t>(PQgetlength(result_, row, column)));
}
Text Result::Get(int row, int column) const {
  if (IsNull(row, column)) return std::nullopt;
  return Value(row, column);
}
std::string Result::ColumnName(int column) const {
  return PQfname(result_, column);
}
unsigned Result::ColumnType(int column) const {
  return PQftype(result_, column);
}
int Result::ColumnTypmod(int column) const {
  return PQfmod(result_, column);
}

Connection::Connection(const std::string& conninfo, std::string context)
    : context_(std::move(context)) {
  conn_ = PQconnectdb(conninfo.c_str());
  if (conn_ == nullptr) throw EPgError(context_ + ": out of memory connecting", "");
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string message = Trimmed(PQerrorMessage(conn_));
    PQfinish(conn_);
    conn_ = nullptr;
    throw EPgError(context_ + ": cannot connect: " + message, "08001");
  }
  // A failure from here on (the server may drop the new connection at any
  // time) leaves the constructor, and no destructor runs: close it here.
  try {
    PQsetClientEncoding(conn_, "UTF8");
    // Dates in ISO form whatever the server's default, so reading is exact.
    Exec("SET DateStyle = ISO, YMD");
    Exec("SET IntervalStyle = iso_8601");
    Exec("SET extra_float_digits = 3");
  } catch (...) {
    PQfinish(conn_);
    conn_ = nullptr;
    throw;
  }
}

Connection::~Connection() {
  if (conn_ != nullptr) PQfinish(conn_);
}

Result Connection::Exec(const std::string& sql, const std::vector<Text>& parameters) {
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const Text& p : parameters) values.push_back(p ? p->c_str() : nullptr);
  ++executions_;
  Result result(PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                             values.data(), nullptr, nullptr, 0));
  PGresult* raw = result.Raw();
  ExecStatusType status = raw != nullptr ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    std::string message =
        raw != nullptr ? Trimmed(PQresultErrorMessage(raw)) : Trimmed(PQerrorMessage(conn_));
    const char* state = raw != nullptr ? PQresultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr;
    if (message.empty()) message = "the statement failed";
    throw EPgError(context_ + ": " + message, state != nullptr ? state : "");
  }
  return result;
}

std::int64_t Connection::Command(const std::string& sql, const std::vector<Text>& parameters) {
  return Exec(sql, parameters).Affected();
}

std::string Connection::Quote(const std::string& name) const {
  char* quoted = PQescapeIdentifier(conn_, name.c_str(), name.size());
  if (quoted == nullptr) {
    throw EPgError(context_ + ": invalid identifier: " + Trimmed(PQerrorMessage(conn_)), "");
  }
  std::string text = quoted;
  PQfreemem(quoted);
  return text;
}

}  // namespace zyl::pg
