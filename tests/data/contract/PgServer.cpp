#include "PgServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace zyl::test {

namespace {

namespace fs = std::filesystem;

int FreePort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int port = -1;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(s);
  return port;
}

std::string FindBinDir() {
  std::error_code ec;
  std::string best;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    fs::path bin = entry.path() / "bin";
    if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl")) {
      if (bin.string() > best) best = bin.string();
    }
  }
  return best;
}

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

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

class StopAtEnd : public testing::Environment {
 public:
  void TearDown() override { PgServer::Get().Stop(); }
};

// Registered before main runs; the server itself starts on first use.
[[maybe_unused]] testing::Environment* const stopAtEnd =
    testing::AddGlobalTestEnvironment(new StopAtEnd);

}  // namespace

PgServer& PgServer::Get() {
  static PgServer server;
  return server;
}

PgServer::PgServer() {
  // A server the test run started for all test programs (scripts/pg-test-server):
  // this program works in a database of its own, so programs run side by side.
  if (const char* shared = std::getenv("ZYL_PG_SERVER_DIR"); shared != nullptr) {
    std::ifstream file(std::string(shared) + "/conninfo");
    std::string base;
    if (std::getline(file, base) && !base.empty()) {
      database_ = "zyl_test_" + std::to_string(getpid());
      std::string drop = "DROP DATABASE IF EXISTS " + database_;
      std::string create = "CREATE DATABASE " + database_;
      adminInfo_ = base;
      if (RunSql(base, drop) && RunSql(base, create)) {
        connInfo_ = base + " dbname=" + database_ + kQuiet;
        available_ = true;
        return;
      }
      database_.clear();
    }
  }
  binDir_ = FindBinDir();
  if (binDir_.empty()) {
    reason_ = "PostgreSQL server binaries not found under /usr/lib/postgresql (package postgresql)";
    return;
  }
  char pattern[] = "/tmp/zyl-pg-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    reason_ = "cannot make a temporary directory";
    return;
  }
  dir_ = pattern;
  std::string run;
  if (geteuid() == 0) {
    passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr || chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
      reason_ = "running as root and cannot hand a directory to user nobody";
      return;
    }
    asNobody_ = true;
    run = "runuser -u nobody -- ";
  }
  int port = FreePort();
  std::string data = dir_ + "/data";
  std::string initdb = run + Quoted(binDir_ + "/initdb") + " -D " + Quoted(data) +
                       " -A trust -U zyl -E UTF8 --locale=C --no-sync > " +
                       Quoted(dir_ + "/initdb.log") + " 2>&1";
  if (std::system(initdb.c_str()) != 0) {
    reason_ = "initdb failed (see " + dir_ + "/initdb.log)";
    return;
  }
  std::string options = "-p " + std::to_string(port) + " -k " + dir_ +
                        " -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off";
  std::string start = run + Quoted(binDir_ + "/pg_ctl") + " -D " + Quoted(data) + " -w -t 60 -l " +
                      Quoted(dir_ + "/server.log") + " -o " + Quoted(options) +
                      " start > /dev/null 2>&1";
  if (std::system(start.c_str()) != 0) {
    reason_ = "the PostgreSQL server did not start (see " + dir_ + "/server.log)";
    return;
  }
  connInfo_ = "host=127.0.0.1 port=" + std::to_string(port) + " user=zyl dbname=postgres" + kQuiet;
  available_ = true;
}

void PgServer::Stop() {
  if (!database_.empty()) {
    RunSql(adminInfo_, "DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
    database_.clear();
    available_ = false;
  }
  if (dir_.empty()) return;
  if (available_) {
    std::string stop = std::string(asNobody_ ? "runuser -u nobody -- " : "") +
                       Quoted(binDir_ + "/pg_ctl") + " -D " + Quoted(dir_ + "/data") +
                       " -m immediate -w stop > /dev/null 2>&1";
    if (std::system(stop.c_str()) != 0) std::fprintf(stderr, "PgServer: pg_ctl stop failed\n");
  }
  available_ = false;
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
  dir_.clear();
}

}  // namespace zyl::test
