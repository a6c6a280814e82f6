#include "datasets/PgConnection.h"

#include <libpq-fe.h>

#include "datasets/PgLibrary.h"
#include "platform/Text.h"

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
  if (result_ != nullptr) Libpq().clear(result_);
}
Result::Result(Result&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
Result& Result::operator=(Result&& other) noexcept {
  if (this != &other) {
    if (result_ != nullptr) Libpq().clear(result_);
    result_ = std::exchange(other.result_, nullptr);
  }
  return *this;
}

std::int64_t Result::Affected() const {
  const char* text = Libpq().cmdTuples(result_);
  return text != nullptr && *text != '\0' ? std::stoll(text) : 0;
}

int Result::Rows() const {
  return Libpq().ntuples(result_);
}
int Result::Columns() const {
  return Libpq().nfields(result_);
}
bool Result::IsNull(int row, int column) const {
  return Libpq().getisnull(result_, row, column) != 0;
}
std::string Result::Value(int row, int column) const {
  return std::string(Libpq().getvalue(result_, row, column),
                     static_cast<std::size_t>(Libpq().getlength(result_, row, column)));
}
Text Result::Get(int row, int column) const {
  if (IsNull(row, column)) return std::nullopt;
  return Value(row, column);
}
std::string Result::ColumnName(int column) const {
  return Libpq().fname(result_, column);
}
unsigned Result::ColumnType(int column) const {
  return Libpq().ftype(result_, column);
}
int Result::ColumnTypmod(int column) const {
  return Libpq().fmod(result_, column);
}

Connection::Connection(const std::string& conninfo, std::string context)
    : context_(std::move(context)) {
  conn_ = Libpq().connectdb(conninfo.c_str());
  if (conn_ == nullptr) throw EPgError(context_ + ": out of memory connecting", "");
  if (Libpq().status(conn_) != CONNECTION_OK) {
    std::string message = MaskPasswords(Trimmed(Libpq().errorMessage(conn_)));
    Libpq().finish(conn_);
    conn_ = nullptr;
    throw EPgError(context_ + ": cannot connect: " + message, "08001");
  }
  // A failure from here on (the server may drop the new connection at any
  // time) leaves the constructor, and no destructor runs: close it here.
  try {
    Libpq().setClientEncoding(conn_, "UTF8");
    // Dates in ISO form whatever the server's default, so reading is exact.
    Exec("SET DateStyle = ISO, YMD");
    Exec("SET IntervalStyle = iso_8601");
    Exec("SET extra_float_digits = 3");
  } catch (...) {
    Libpq().finish(conn_);
    conn_ = nullptr;
    throw;
  }
}

Connection::~Connection() {
  if (conn_ != nullptr) Libpq().finish(conn_);
}

namespace {

std::vector<const char*> Values(const std::vector<Text>& parameters) {
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const Text& p : parameters) values.push_back(p ? p->c_str() : nullptr);
  return values;
}

}  // namespace

void Connection::Check(const Result& result) const {
  PGresult* raw = result.Raw();
  ExecStatusType status = raw != nullptr ? Libpq().resultStatus(raw) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
  std::string message = raw != nullptr ? Trimmed(Libpq().resultErrorMessage(raw))
                                       : Trimmed(Libpq().errorMessage(conn_));
  const char* state = raw != nullptr ? Libpq().resultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr;
  if (message.empty()) message = "the statement failed";
  throw EPgError(context_ + ": " + message, state != nullptr ? state : "");
}

Result Connection::Exec(const std::string& sql, const std::vector<Text>& parameters) {
  std::vector<const char*> values = Values(parameters);
  ++executions_;
  Result result(Libpq().execParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0));
  Check(result);
  return result;
}

Result Connection::ExecPrepared(const std::string& sql, const std::vector<Text>& parameters) {
  const Library& pq = Libpq();
  auto it = prepared_.find(sql);
  if (it == prepared_.end() || it->second.empty()) {
    // The first run goes as it is (preparing costs a round trip of its
    // own); the second prepares.
    if (it == prepared_.end()) {
      if (prepared_.size() < 32) prepared_.emplace(sql, std::string());
      return Exec(sql, parameters);
    }
    std::string name = "zyl_s" + std::to_string(++preparedNames_);
    Result made(
        pq.prepare(conn_, name.c_str(), sql.c_str(), static_cast<int>(parameters.size()), nullptr));
    Check(made);
    it->second = std::move(name);
  }
  std::vector<const char*> values = Values(parameters);
  ++executions_;
  Result result(pq.execPrepared(conn_, it->second.c_str(), static_cast<int>(values.size()),
                                values.data(), nullptr, nullptr, 0));
  // A failed run (a table changed under the plan, say) prepares anew next
  // time; the statement's name is not reused.
  if (result.Raw() == nullptr || (pq.resultStatus(result.Raw()) != PGRES_TUPLES_OK &&
                                  pq.resultStatus(result.Raw()) != PGRES_COMMAND_OK)) {
    prepared_.erase(it);
  }
  Check(result);
  return result;
}

std::vector<Result> Connection::ExecAll(const std::vector<Statement>& statements) {
  const Library& pq = Libpq();
  std::vector<Result> results;
  if (statements.size() < 2 || !pq.HasPipelines() || pq.enterPipelineMode(conn_) != 1) {
    for (const Statement& s : statements) results.push_back(Exec(s.sql, s.parameters));
    return results;
  }
  bool sent = true;
  for (const Statement& s : statements) {
    std::vector<const char*> values = Values(s.parameters);
    ++executions_;
    sent = pq.sendQueryParams(conn_, s.sql.c_str(), static_cast<int>(values.size()), nullptr,
                              values.data(), nullptr, nullptr, 0) == 1;
    if (!sent) break;
  }
  if (sent) sent = pq.pipelineSync(conn_) == 1;
  if (sent) {
    // Each statement's result, then a null; a failure aborts the ones
    // after it. Then the sync point.
    for (std::size_t i = 0; i < statements.size(); ++i) {
      results.emplace_back(pq.getResult(conn_));
      while (PGresult* more = pq.getResult(conn_)) pq.clear(more);
    }
    for (PGresult* r = pq.getResult(conn_); r != nullptr; r = pq.getResult(conn_)) {
      bool sync = pq.resultStatus(r) == PGRES_PIPELINE_SYNC;
      pq.clear(r);
      if (sync) break;
    }
  }
  if (pq.exitPipelineMode(conn_) != 1 || !sent) {
    throw EPgError(context_ + ": " + Trimmed(pq.errorMessage(conn_)), "");
  }
  for (const Result& r : results) Check(r);
  return results;
}

std::int64_t Connection::Command(const std::string& sql, const std::vector<Text>& parameters) {
  return Exec(sql, parameters).Affected();
}

std::string Connection::Quote(const std::string& name) const {
  char* quoted = Libpq().escapeIdentifier(conn_, name.c_str(), name.size());
  if (quoted == nullptr) {
    throw EPgError(context_ + ": invalid identifier: " + Trimmed(Libpq().errorMessage(conn_)), "");
  }
  std::string text = quoted;
  Libpq().freemem(quoted);
  return text;
}

}  // namespace zyl::pg
