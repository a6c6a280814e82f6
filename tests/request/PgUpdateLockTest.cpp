// Update locks in a PostgreSQL table: the shared cases (UpdateLockCases.h),
// and one table shared by several stores (web servers) whose claims at
// the same moment pass one at most, a quoted table
// name, the server's messages, a dropped connection made again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <thread>

#include "UpdateLockCases.h"
#include "datasets/PgConnection.h"
#include "datasets/PgError.h"
#include "harness/Golden.h"
#include "harness/PgServer.h"
#include "request/PgUpdateLockStore.h"

namespace zyl {
namespace {

using testing::kGuid;
using testing::kOtherGuid;

pg::Connection& Admin() {  // the test's own statements
  static pg::Connection connection(test::PgServer::Get().ConnInfo(), "lock test");
  return connection;
}

// A fresh zyl_update_locks table on the test server.
class PgKit {
 public:
  UpdateLockStore* Store() {
    if (!test::PgServer::Get().Available()) return nullptr;
    Admin().Exec("DROP TABLE IF EXISTS zyl_update_locks");
    store_ = std::make_unique<PgUpdateLockStore>(test::PgServer::Get().ConnInfo());
    return store_.get();
  }
  std::string Reason() const { return "no PostgreSQL server: " + test::PgServer::Get().Reason(); }
  std::vector<std::string> Locks() const {
    pg::Result rows = Admin().Exec("SELECT prefix || '.' || guid FROM zyl_update_locks ORDER BY 1");
    std::vector<std::string> locks;
    for (int r = 0; r < rows.Rows(); ++r) locks.push_back(rows.Value(r, 0));
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

class PgLockTable : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::PgServer::Get().Available()) GTEST_SKIP() << PgKit().Reason();
    Admin().Exec("DROP TABLE IF EXISTS zyl_update_locks");
  }
  std::string conninfo_ = test::PgServer::Get().ConnInfo();
};

TEST_F(PgLockTable, OneTableSharedByEveryStoreAndAQuotedName) {
  PgUpdateLockStore a(conninfo_);
  PgUpdateLockStore b(conninfo_);  // finds the table a created
  a.Write("grid.cgi", kGuid);
  EXPECT_TRUE(b.IsValid("grid.cgi", kGuid, 60)) << "a lock written by one server";
  b.Write("grid.cgi", kOtherGuid);
  EXPECT_EQ(a.DeleteAll("grid.cgi"), 2) << "a cleanup on one server takes every lock";
  a.Write("grid.cgi", kGuid), b.Write("grid.cgi", kOtherGuid);
  bool claimedA = false, claimedB = false;
  std::thread other([&] { claimedB = b.Claim("grid.cgi", kOtherGuid, 60); });
  claimedA = a.Claim("grid.cgi", kGuid, 60);
  other.join();
  EXPECT_NE(claimedA, claimedB) << "two servers claiming at once: one passes";
  pg::Result columns = Admin().Exec(
      "SELECT string_agg(column_name || ' ' || data_type, ', ' ORDER BY ordinal_position)"
      " FROM information_schema.columns WHERE table_name = 'zyl_update_locks'");
  EXPECT_EQ(columns.Value(0, 0), "prefix text, guid text, created timestamp with time zone");
  PgUpdateLockStore odd(conninfo_, "zyl \"locks\"");  // a table name needing quotes
  odd.Write("grid.cgi", kGuid);
  EXPECT_TRUE(odd.IsValid("grid.cgi", kGuid, 0));
  EXPECT_FALSE(a.IsValid("grid.cgi", kGuid, 0)) << "another table";
  Admin().Exec("DROP TABLE \"zyl \"\"locks\"\"\"");
}

TEST_F(PgLockTable, FailuresCarryTheServersMessageAndADroppedConnectionIsMadeAgain) {
  const std::string message =
      harness::MessageOf([&] { PgUpdateLockStore(conninfo_ + " dbname=zyl_no_such_database"); });
  EXPECT_EQ(message.rfind("PostgreSQL update lock table 'zyl_update_locks': cannot connect: ", 0), 0u)
      << message;
  EXPECT_NE(message.find("zyl_no_such_database"), std::string::npos) << message;
  std::string name = "zyl_lock_store_" + std::to_string(::getpid());
  PgUpdateLockStore store(conninfo_ + " application_name=" + name);
  store.Write("grid.cgi", kGuid);
  pg::Result ended = Admin().Exec(
      "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = $1", {name});
  ASSERT_EQ(ended.Rows(), 1);
  EXPECT_TRUE(store.IsValid("grid.cgi", kGuid, 60)) << "connected again";
  Admin().Exec("DROP TABLE zyl_update_locks");
  try {
    store.Write("grid.cgi", kGuid);
    ADD_FAILURE() << "written";
  } catch (const EPgError& e) {
    EXPECT_NE(std::string(e.what()).find("zyl_update_locks\" does not exist"), std::string::npos)
        << e.what();
    EXPECT_EQ(e.SqlState(), "42P01");
  }
}

}  // namespace
}  // namespace zyl
