// The PostgreSQL server of a test program. Under ctest it is the run's
// shared server (the pg_server fixture, scripts/pg-test-server, named by
// ZYL_PG_SERVER_DIR); run directly, the program starts one of its own
// through the same script. Either way the program works in a database of
// its own, dropped (and an own server stopped) when the program ends.
#pragma once

#include <string>

namespace zyl::test {

class PgServer {
 public:
  // The server, started on first call.
  static PgServer& Get();
  // True when a server runs; else Reason() tells why not.
  bool Available() const { return available_; }
  const std::string& Reason() const { return reason_; }
  // libpq connection string of this program's database.
  const std::string& ConnInfo() const { return connInfo_; }
  void Stop();

 private:
  PgServer();
  bool available_ = false;
  std::string reason_;
  std::string connInfo_;
  std::string adminInfo_;  // the server's "postgres" database
  std::string database_;
  std::string ownDir_;  // the directory of a server this program started
};

}  // namespace zyl::test
