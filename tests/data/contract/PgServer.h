// A throwaway PostgreSQL server for the tests: initdb in a temporary
// directory, postgres on a free loopback port, stopped at the end of the
// test program. Started on first use (a global test environment stops it);
// run as the unprivileged user "nobody" when the tests run as root. When
// ZYL_PG_SERVER_DIR names the directory of a server that
// scripts/pg-test-server started, that server is used instead, with a
// database of this program's own (dropped at the end).
#pragma once

#include <string>

namespace zyl::test {

class PgServer {
 public:
  // The running server, started on first call.
  static PgServer& Get();
  // True when a server runs; else Reason() tells why not.
  bool Available() const { return available_; }
  const std::string& Reason() const { return reason_; }
  // libpq connection string of the server's "postgres" database.
  const std::string& ConnInfo() const { return connInfo_; }
  void Stop();

 private:
  PgServer();
  bool available_ = false;
  std::string reason_;
  std::string connInfo_;
  std::string dir_;
  std::string binDir_;
  std::string database_;   // own database on a shared server
  std::string adminInfo_;  // the shared server's "postgres" database
  bool asNobody_ = false;
};

}  // namespace zyl::test
