// Update locks in a PostgreSQL table: the cases every lock store passes
// (UpdateLockCases.h), and what is particular to the table: it is created
// when missing and shared by several stores (several web servers), the
// server's messages reach the caller, and a dropped connection is made
// again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "UpdateLockCases.h"
#include "datasets/PgConnection.h"
#include "datasets/PgError.h"
#include "harness/PgServer.h"
#include "request/PgUpdateLockStore.h"

namespace zyl {
namespace {

using testing::kGuid;
using testing::kOtherGuid;

// Statements of the test itself, on a connection of its own.
pg::Connection& Admin() {
  static pg::Connection connection(test::PgServer::Get().ConnInfo(), "lock test");
  return connection;
}

// A fresh zyl_update_locks table on the test server.
class PgKit {
 public:
  UpdateLockStore* Store() {
    test::PgServer& server = test::PgServer::Get();
    if (!server.Available()) return nullptr;
    Admin().Exec("DROP TABLE IF EXISTS zyl_update_locks");
    store_ = std::make_unique<PgUpdateLockStore>(server.ConnInfo());
    return store_.get();
  }
  std::string Reason() const { return "no PostgreSQL server: " + test::PgServer::Get().Reason(); }
  std::vector<std::string> Locks() const {
    pg::Result rows = Admin().Exec("SELECT prefix || '.' || guid FROM zyl_update_locks");
    std::vector<std::string> locks;
    for (int r = 0; r < rows.Rows(); ++r) locks.push_back(rows.Value(r, 0));
    std::sort(locks.begin(), locks.end());
    return locks;
  }
  void Plant(const std::string& prefix, const std::string& guid) const {
    Admin().Exec("INSERT INTO zyl_update_locks (prefix, guid) VALUES ($1, $2)", {prefix, guid});
  }
  void Age(const std::string& prefix, const std::string& guid, long seconds) const {
    Admin().Exec(
        "UPDATE zyl_update_locks SET created = created - $3::bigint * interval '1 second'"
        " WHERE prefix = $1 AND guid = $2",
        {prefix, guid, std::to_string(seconds)});
  }

 private:
  std::unique_ptr<PgUpdateLockStore> store_;
};

}  // namespace

namespace testing {
INSTANTIATE_TYPED_TEST_SUITE_P(Postgres, UpdateLockCases, ::testing::Types<PgKit>);
}  // namespace testing

namespace {

class PgUpdateLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PgServer& server = test::PgServer::Get();
    if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
    conninfo_ = server.ConnInfo();
    Admin().Exec("DROP TABLE IF EXISTS zyl_update_locks");
  }
  std::string conninfo_;
};

TEST_F(PgUpdateLockTest, TheTableIsCreatedOnceAndSharedByEveryStore) {
  PgUpdateLockStore a(conninfo_);
  PgUpdateLockStore b(conninfo_);  // finds the table a created
  a.Write("grid.cgi", kGuid);
  EXPECT_TRUE(b.IsValid("grid.cgi", kGuid, 60)) << "a lock written by one server";
  b.Write("grid.cgi", kOtherGuid);
  EXPECT_EQ(a.DeleteAll("grid.cgi"), 2) << "a cleanup on one server takes every lock";
  EXPECT_FALSE(b.IsValid("grid.cgi", kOtherGuid, 60));

  pg::Result columns = Admin().Exec(
      "SELECT column_name, data_type FROM information_schema.columns"
      " WHERE table_name = 'zyl_update_locks' ORDER BY ordinal_position");
  ASSERT_EQ(columns.Rows(), 3);
  EXPECT_EQ(columns.Value(0, 0), "prefix");
  EXPECT_EQ(columns.Value(1, 0), "guid");
  EXPECT_EQ(columns.Value(2, 0), "created");
  EXPECT_EQ(columns.Value(2, 1), "timestamp with time zone");
}

TEST_F(PgUpdateLockTest, NamesAreParametersNeverSql) {
  PgUpdateLockStore store(conninfo_);
  std::string prefix = "x'); DROP TABLE zyl_update_locks; --";
  store.Write(prefix, kGuid);
  EXPECT_TRUE(store.IsValid(prefix, kGuid, 0));
  EXPECT_EQ(store.DeleteAll("x%"), 0) << "prefixes match exactly, not as patterns";
  EXPECT_EQ(store.DeleteAll(prefix), 1);

  PgUpdateLockStore odd(conninfo_, "zyl \"locks\"");  // a table name needing quotes
  odd.Write("grid.cgi", kGuid);
  EXPECT_TRUE(odd.IsValid("grid.cgi", kGuid, 0));
  EXPECT_FALSE(store.IsValid("grid.cgi", kGuid, 0)) << "another table";
  Admin().Exec("DROP TABLE \"zyl \"\"locks\"\"\"");
}

TEST_F(PgUpdateLockTest, FailuresCarryTheServersMessage) {
  try {
    PgUpdateLockStore store(conninfo_ + " dbname=zyl_no_such_database");
    FAIL() << "connected";
  } catch (const EPgError& e) {
    std::string message = e.what();
    EXPECT_EQ(message.rfind("PostgreSQL update lock table 'zyl_update_locks': cannot connect: ", 0),
              0u)
        << message;
    EXPECT_NE(message.find("zyl_no_such_database"), std::string::npos) << message;
  }

  PgUpdateLockStore store(conninfo_);
  Admin().Exec("DROP TABLE zyl_update_locks");
  try {
    store.Write("grid.cgi", kGuid);
    FAIL() << "written";
  } catch (const EPgError& e) {
    EXPECT_NE(std::string(e.what()).find("zyl_update_locks\" does not exist"), std::string::npos)
        << e.what();
    EXPECT_EQ(e.SqlState(), "42P01");
  }
}

TEST_F(PgUpdateLockTest, ADroppedConnectionIsMadeAgain) {
  std::string name = "zyl_lock_store_" + std::to_string(::getpid());
  PgUpdateLockStore store(conninfo_ + " application_name=" + name);
  store.Write("grid.cgi", kGuid);
  pg::Result ended = Admin().Exec(
      "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = $1",
      {name});
  ASSERT_EQ(ended.Rows(), 1);
  EXPECT_TRUE(store.IsValid("grid.cgi", kGuid, 60));
  store.Write("grid.cgi", kOtherGuid);
  EXPECT_EQ(store.DeleteAll("grid.cgi"), 2);
}

}  // namespace
}  // namespace zyl
