// The PostgreSQL server of a test program: under ctest the run's shared
// server (the pg_server fixture, named by ZYL_PG_SERVER_DIR); run directly,
// one of its own through scripts/pg-test-server. The program works in a
// database of its own, dropped (and an own server stopped) at its end.
#pragma once

#include <string>

namespace zyl::test {

class PgServer {
 public:
  static PgServer& Get();  // started on first call
  bool Available() const { return available_; }
  const std::string& Reason() const { return reason_; }      // why not available
  const std::string& ConnInfo() const { return connInfo_; }  // this program's database
  void Stop();

 private:
  PgServer();
  bool available_ = false;
  std::string reason_, connInfo_, adminInfo_, database_;
  std::string ownDir_;  // a server this program started
};

// Runs `sql` in this program's database; fails the test on an error.
void PgExec(const std::string& sql);

}  // namespace zyl::test
