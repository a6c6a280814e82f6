// SQLiteConnectionPool: datasets of a long-lived process reuse connections;
// a connection comes back without a transaction or a statement in use, and a
// replaced database file is never read through a connection to the old one.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "datasets/SQLiteConnection.h"
#include "datasets/SQLiteConnectionPool.h"
#include "datasets/SQLiteDataset.h"
#include "harness/PrivateTempDir.h"

namespace zyl {
namespace {

class ConnectionPool : public ::testing::Test {
 protected:
  void Make(const std::string& path, int rows) {
    std::string line = "sqlite3 '" + path +
                       "' 'CREATE TABLE Items (Id INTEGER PRIMARY KEY); WITH RECURSIVE n(i) AS "
                       "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                       std::to_string(rows) + ") INSERT INTO Items SELECT i FROM n'";
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
  }
  // The records a fresh dataset on the pool sees, as one request opens it.
  int Records(std::int64_t memoryMap = 0) {
    TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path_), ds.SetTableName("Items"), ds.SetConnectionPool(&pool_);
    ds.SetMemoryMap(memoryMap);
    ds.Open();
    ds.First(), ds.MoveBy(1000);  // reads as a page does
    return ds.RecordCount();
  }
  harness::PrivateTempDir dir_;
  std::string path_ = dir_.File("pool.db");
  SQLiteConnectionPool pool_{2};
};

TEST_F(ConnectionPool, ReusesSettledConnectionsOfTheSameFileOnly) {
  Make(path_, 30);
  EXPECT_EQ(Records(), 30);
  EXPECT_EQ(pool_.Idle(), 1u) << "the dataset gave its connection back";
  EXPECT_EQ(Records(), 30);
  EXPECT_EQ(pool_.Idle(), 1u) << "the second dataset took the kept connection";

  // Given back inside a transaction with a row written: rolled back, and the
  // next user can write (no lock left behind).
  auto connection = pool_.Take(path_, false, 1000);
  ASSERT_EQ(
      sqlite3_exec(connection->Handle(), "BEGIN; DELETE FROM Items", nullptr, nullptr, nullptr),
      SQLITE_OK);
  pool_.Give(std::move(connection));
  EXPECT_EQ(Records(), 30) << "the open transaction was rolled back";
  connection = pool_.Take(path_, false, 1000);
  EXPECT_EQ(sqlite3_exec(connection->Handle(), "DELETE FROM Items WHERE Id > 20", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  pool_.Give(std::move(connection));
  EXPECT_EQ(Records(), 20);

  // The file replaced by another one: its rows, not the old file's.
  std::filesystem::remove(path_);
  Make(path_, 7);
  EXPECT_EQ(Records(), 7);

  // At most two idle connections per file.
  auto a = pool_.Take(path_, false, 1000), b = pool_.Take(path_, false, 1000),
       c = pool_.Take(path_, false, 1000);
  pool_.Give(std::move(a)), pool_.Give(std::move(b)), pool_.Give(std::move(c));
  EXPECT_EQ(pool_.Idle(), 2u);
}

// The mmap_size of a connection from the pool (then given back).
std::int64_t MappedBytes(SQLiteConnectionPool& pool, const std::string& path) {
  auto connection = pool.Take(path, false, 1000);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(connection->Handle(), "PRAGMA mmap_size", -1, &statement, nullptr);
  std::int64_t bytes =
      sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
  sqlite3_finalize(statement);
  pool.Give(std::move(connection));
  return bytes;
}

// Read through a memory map, a table shows what another program wrote, also
// where the file grew; a kept connection maps as its next dataset asks.
TEST_F(ConnectionPool, MappedReadsSeeOtherWritersAndTheMapFollowsTheDataset) {
  Make(path_, 30);
  EXPECT_EQ(Records(1 << 20), 30);
  EXPECT_EQ(MappedBytes(pool_, path_), 1 << 20);
  std::string grow = "sqlite3 '" + path_ +
                     "' 'WITH RECURSIVE n(i) AS (SELECT 31 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     "20000) INSERT INTO Items SELECT i FROM n'";
  ASSERT_EQ(std::system(grow.c_str()), 0) << grow;
  EXPECT_EQ(Records(1 << 20), 20000) << "past the end of the file mapped before";
  EXPECT_EQ(Records(), 20000);
  EXPECT_EQ(MappedBytes(pool_, path_), 0) << "the next dataset maps nothing";
}

}  // namespace
}  // namespace zyl
