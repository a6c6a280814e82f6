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

// An error message, or "" when `sql` ran.
std::string RunSql(const std::string& conninfo, const std::string& sql) {
  PGconn* conn = PQconnectdb((conninfo + kQuiet).c_str());
  std::string error = PQerrorMessage(conn);
  if (PQstatus(conn) == CONNECTION_OK) {
    PGresult* result = PQexec(conn, sql.c_str());
    ExecStatusType status = PQresultStatus(result);
    error = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK
                ? ""
                : PQresultErrorMessage(result) + ("\n" + sql);
    PQclear(result);
  }
  PQfinish(conn);
  return error;
}

// scripts/pg-test-server of the source tree holding this program's build.
std::string ServerScript() {
  std::error_code ec;
  for (fs::path dir = fs::read_symlink("/proc/self/exe", ec);
       !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
    if (fs::exists(dir / "scripts/pg-test-server")) return dir / "scripts/pg-test-server";
  }
  return {};
}

PgServer* started = nullptr;
struct StopAtEnd : testing::Environment {
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
    if (std::system((script + " start " + dir + " >/dev/null").c_str()) != 0) dir.clear();
  }
  std::ifstream file(dir + "/conninfo");
  if (dir.empty() || !std::getline(file, adminInfo_) || adminInfo_.empty()) {
    reason_ = "no PostgreSQL test server (scripts/pg-test-server; package postgresql)";
    return;
  }
  database_ = "zyl_test_" + std::to_string(getpid());
  reason_ = RunSql(adminInfo_, "DROP DATABASE IF EXISTS " + database_);
  if (reason_.empty()) reason_ = RunSql(adminInfo_, "CREATE DATABASE " + database_);
  available_ = reason_.empty();
  connInfo_ = adminInfo_ + " dbname=" + database_ + kQuiet;
}

void PgServer::Stop() {
  if (available_) RunSql(adminInfo_, "DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
  available_ = false;
  if (!ownDir_.empty() && std::system((ServerScript() + " stop " + ownDir_).c_str()) != 0)
    std::fprintf(stderr, "PgServer: stopping the server in %s failed\n", ownDir_.c_str());
  ownDir_.clear();
}

void PgExec(const std::string& sql) {
  std::string error = RunSql(PgServer::Get().ConnInfo(), sql);
  if (!error.empty()) ADD_FAILURE() << "SQL failed: " << error;
}

}  // namespace zyl::test
