#include "PgServer.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zyl::test {

namespace {

namespace fs = std::filesystem;

constexpr const char* kQuiet = " options='-c client_min_messages=warning'";

bool RunSql(const std::string& conninfo, const std::string& sql) {
  PGconn* conn = PQconnectdb((conninfo + kQuiet).c_str());
  bool ok = PQstatus(conn) == CONNECTION_OK;
  if (ok) {
    PGresult* result = PQexec(conn, sql.c_str());
    ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok) std::fprintf(stderr, "PgServer: %s", PQresultErrorMessage(result));
    PQclear(result);
  }
  PQfinish(conn);
  return ok;
}

// scripts/pg-test-server of the source tree that holds this program's
// build directory.
std::string ServerScript() {
  std::error_code ec;
  for (fs::path dir = fs::read_symlink("/proc/self/exe", ec);
       !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
    if (fs::exists(dir / "scripts/pg-test-server"))
      return (dir / "scripts/pg-test-server").string();
  }
  return {};
}

PgServer* started = nullptr;

class StopAtEnd : public testing::Environment {
 public:
  void TearDown() override {
    if (started != nullptr) started->Stop();
  }
};
[[maybe_unused]] testing::Environment* const stopAtEnd =
    testing::AddGlobalTestEnvironment(new StopAtEnd);

}  // namespace

PgServer& PgServer::Get() {
  static PgServer server;
  started = &server;
  return server;
}

PgServer::PgServer() {
  std::string dir;
  if (const char* shared = std::getenv("ZYL_PG_SERVER_DIR"); shared != nullptr) {
    dir = shared;
  } else if (std::string script = ServerScript(); !script.empty()) {
    ownDir_ = dir = "/tmp/zyl-pg-" + std::to_string(getpid());
    int rc = std::system((script + " start " + dir + " >/dev/null").c_str());
    if (rc != 0) dir.clear();
  }
  std::ifstream file(dir + "/conninfo");
  if (dir.empty() || !std::getline(file, adminInfo_) || adminInfo_.empty()) {
    reason_ = "no PostgreSQL test server (scripts/pg-test-server; package postgresql)";
    return;
  }
  database_ = "zyl_test_" + std::to_string(getpid());
  if (RunSql(adminInfo_, "DROP DATABASE IF EXISTS " + database_) &&
      RunSql(adminInfo_, "CREATE DATABASE " + database_)) {
    connInfo_ = adminInfo_ + " dbname=" + database_ + kQuiet;
    available_ = true;
  } else {
    reason_ = "cannot create a database on " + adminInfo_;
  }
}

void PgServer::Stop() {
  if (available_) RunSql(adminInfo_, "DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
  available_ = false;
  if (!ownDir_.empty()) {
    int rc = std::system((ServerScript() + " stop " + ownDir_).c_str());
    if (rc != 0)
      std::fprintf(stderr, "PgServer: stopping the server in %s failed\n", ownDir_.c_str());
    ownDir_.clear();
  }
}

}  // namespace zyl::test
