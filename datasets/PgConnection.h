// A libpq connection of the PostgreSQL dataset and the results it returns.
// Every statement goes through PQexecParams: values travel as parameters in
// text form, never spliced into SQL; identifiers are quoted with
// PQescapeIdentifier. Errors raise EPgError with the server's message.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "datasets/PgError.h"

struct pg_conn;
struct pg_result;

namespace zyl::pg {

// A parameter or a read value in text form; nullopt is SQL NULL.
using Text = std::optional<std::string>;

class Result {
 public:
  explicit Result(pg_result* result);
  ~Result();
  Result(Result&&) noexcept;
  Result& operator=(Result&&) noexcept;
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;

  int Rows() const;
  int Columns() const;
  bool IsNull(int row, int column) const;
  std::string Value(int row, int column) const;
  Text Get(int row, int column) const;
  std::string ColumnName(int column) const;
  unsigned ColumnType(int column) const;  // the type's OID
  int ColumnTypmod(int column) const;
  // Rows a command changed.
  std::int64_t Affected() const;
  pg_result* Raw() const { return result_; }

 private:
  pg_result* result_;
};

// One statement and its text parameters $1..$n.
struct Statement {
  std::string sql;
  std::vector<Text> parameters;
};

class Connection {
 public:
  // Connects with the libpq connection string `conninfo` ("host=... dbname=
  // ..." or a postgresql:// URI). `context` starts error messages. Raises
  // EPgError with libpq's reason when the connection fails.
  Connection(const std::string& conninfo, std::string context);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Runs one statement with text parameters $1..$n; raises EPgError with the
  // server's message (after `context`) when it fails.
  Result Exec(const std::string& sql, const std::vector<Text>& parameters = {});
  // Like Exec, for a statement the connection runs again and again: it is
  // prepared on its second run (the server parses and plans it once from
  // then on) and forgotten when a run fails; at most 32 per connection.
  Result ExecPrepared(const std::string& sql, const std::vector<Text>& parameters);
  // Runs `statements` in order, in one round trip when libpq has pipelines
  // (else one each), and returns their results; raises as Exec for the
  // first that fails (the later ones do not run).
  std::vector<Result> ExecAll(const std::vector<Statement>& statements);
  // Like Exec for a statement that changes rows; returns the rows affected.
  std::int64_t Command(const std::string& sql, const std::vector<Text>& parameters = {});
  // `name` quoted as an identifier.
  std::string Quote(const std::string& name) const;
  void SetContext(std::string context) { context_ = std::move(context); }
  // Statements run since the connection was made.
  std::int64_t Executions() const { return executions_; }

 private:
  // Raises EPgError for a failed `result` (null: the connection's error).
  void Check(const Result& result) const;

  pg_conn* conn_ = nullptr;
  std::string context_;
  std::int64_t executions_ = 0;
  std::map<std::string, std::string> prepared_;  // statement text -> its name ("": run once)
  int preparedNames_ = 0;                        // names given so far
};

}  // namespace zyl::pg
