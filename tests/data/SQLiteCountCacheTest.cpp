// Record counts kept across datasets by SQLiteCountCache: reused while the
// database file is unchanged, taken again after any commit from this
// process, another connection or another process, in rollback-journal and
// WAL databases.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "datasets/SQLiteCountCache.h"
#include "datasets/SQLiteDataset.h"

namespace zyl {
namespace {

namespace fs = std::filesystem;

void Exec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 5000);
  char* error = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

class SQLiteCountCacheTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    dir_ = fs::temp_directory_path() /
           ("zyl_count_cache_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "count.db").string();
    Exec(path_, std::string("PRAGMA journal_mode = ") + GetParam() +
                    ";"
                    "CREATE TABLE Items (Id INTEGER PRIMARY KEY, Name TEXT, Qty INTEGER);"
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500)"
                    " INSERT INTO Items SELECT i, 'item ' || i, i % 7 FROM n;");
  }
  void TearDown() override {
    cache_.Clear();
    fs::remove_all(dir_);
  }

  // A fresh dataset, as one request opens it; returns RecordCount and sets
  // `queries` to the statements RecordCount ran.
  int CountTable(std::int64_t* queries = nullptr, const std::string& sql = "") {
    TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path_);
    if (sql.empty()) {
      ds.SetTableName("Items");
    } else {
      ds.SetSQL(sql);
    }
    ds.SetCountCache(&cache_);
    ds.Open();
    std::int64_t before = ds.QueriesRun();
    int count = ds.RecordCount();
    if (queries != nullptr) *queries = ds.QueriesRun() - before;
    return count;
  }

  fs::path dir_;
  std::string path_;
  SQLiteCountCache cache_;
};

TEST_P(SQLiteCountCacheTest, ACountIsReusedWhileNothingChanges) {
  std::int64_t queries = -1;
  EXPECT_EQ(CountTable(&queries), 500);
  EXPECT_EQ(queries, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(CountTable(&queries), 500);
    EXPECT_EQ(queries, 0) << "count(*) ran again on an unchanged database";
  }
  EXPECT_EQ(cache_.Hits(), 3);
  EXPECT_EQ(cache_.Misses(), 1);
  // Reading through another connection changes nothing.
  Exec(path_, "SELECT count(*) FROM Items");
  EXPECT_EQ(CountTable(&queries), 500);
  EXPECT_EQ(queries, 0);
}

TEST_P(SQLiteCountCacheTest, CommitsOfAnotherConnectionGiveTheNewCount) {
  EXPECT_EQ(CountTable(), 500);
  Exec(path_, "INSERT INTO Items (Name, Qty) VALUES ('new', 1)");
  EXPECT_EQ(CountTable(), 501);
  // A delete leaves the file size as it was.
  Exec(path_, "DELETE FROM Items WHERE Id = 3");
  EXPECT_EQ(CountTable(), 500);
  Exec(path_, "BEGIN; DELETE FROM Items WHERE Id < 100; INSERT INTO Items (Name) VALUES ('x'); "
              "COMMIT");
  EXPECT_EQ(CountTable(), 403);
  // A change of another table counts as a change too (safe side).
  std::int64_t queries = -1;
  Exec(path_, "CREATE TABLE Other (A); INSERT INTO Other VALUES (1)");
  EXPECT_EQ(CountTable(&queries), 403);
  EXPECT_EQ(queries, 1);
}

TEST_P(SQLiteCountCacheTest, CommitsOfAnotherProcessGiveTheNewCount) {
  if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "the sqlite3 command-line program is not installed";
  }
  EXPECT_EQ(CountTable(), 500);
  std::string command = "sqlite3 '" + path_ + "' \"INSERT INTO Items (Name) VALUES ('cli')\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(CountTable(), 501);
  command = "sqlite3 '" + path_ + "' 'DELETE FROM Items WHERE Id <= 10'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(CountTable(), 491);
}

TEST_P(SQLiteCountCacheTest, EditsThroughADatasetGiveTheNewCount) {
  EXPECT_EQ(CountTable(), 500);
  {
    TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path_);
    ds.SetTableName("Items");
    ds.SetCountCache(&cache_);
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 500);
    ds.Append();
    ds.FieldByName("Name")->SetAsString("appended");
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 501);
    EXPECT_EQ(CountTable(), 501);
    ds.First();
    ds.Delete();
    ds.First();
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 499);
  }
  EXPECT_EQ(CountTable(), 499);
  // An update keeps the count and may keep the kept one.
  Exec(path_, "UPDATE Items SET Qty = 99 WHERE Id = 50");
  EXPECT_EQ(CountTable(), 499);
}

TEST_P(SQLiteCountCacheTest, QueriesAreKeptApartAndSeeChanges) {
  const std::string some = "SELECT Id, Name FROM Items WHERE Qty = 3";
  const std::string more = "SELECT Id, Name FROM Items WHERE Qty >= 3";
  int someCount = CountTable(nullptr, some);
  int moreCount = CountTable(nullptr, more);
  EXPECT_LT(someCount, moreCount);
  std::int64_t queries = -1;
  EXPECT_EQ(CountTable(&queries, some), someCount);
  EXPECT_EQ(queries, 0);
  Exec(path_, "INSERT INTO Items (Name, Qty) VALUES ('three', 3)");
  EXPECT_EQ(CountTable(nullptr, some), someCount + 1);
  EXPECT_EQ(CountTable(nullptr, more), moreCount + 1);
}

TEST_P(SQLiteCountCacheTest, CountsThatDependOnTheClockAreNotKept) {
  const std::string sql = "SELECT Id FROM Items WHERE Qty < strftime('%s', 'now') % 1000";
  std::int64_t queries = -1;
  CountTable(&queries, sql);
  CountTable(&queries, sql);
  EXPECT_EQ(queries, 1);
  EXPECT_FALSE(SQLiteCountCache::Cacheable("SELECT random()"));
  EXPECT_FALSE(SQLiteCountCache::Cacheable("SELECT * FROM t WHERE d < CURRENT_DATE"));
  EXPECT_TRUE(SQLiteCountCache::Cacheable("SELECT count(*) FROM \"Items\""));
}

TEST_P(SQLiteCountCacheTest, AReplacedFileIsWatchedAnew) {
  EXPECT_EQ(CountTable(), 500);
  std::string other = (dir_ / "other.db").string();
  Exec(other, std::string("PRAGMA journal_mode = ") + GetParam() +
                  "; CREATE TABLE Items (Id INTEGER PRIMARY KEY, Name TEXT, Qty INTEGER);"
                  "INSERT INTO Items (Name) VALUES ('a'), ('b');");
  fs::remove(path_ + "-wal");
  fs::remove(path_ + "-shm");
  fs::rename(other, path_);
  EXPECT_EQ(CountTable(), 2);
}

TEST_P(SQLiteCountCacheTest, AMissingFileRaisesAsWithoutTheCache) {
  path_ = (dir_ / "missing.db").string();
  EXPECT_THROW(CountTable(), Exception);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_P(SQLiteCountCacheTest, ThreadsShareTheCacheWhileRowsAreAdded) {
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread writer([&] {
    for (int i = 0; i < 20; ++i) Exec(path_, "INSERT INTO Items (Name) VALUES ('w')");
    stop = true;
  });
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      int last = 0;
      while (!stop) {
        int n = CountTable();
        if (n < last || n < 500 || n > 520) ++bad;
        last = n;
      }
    });
  }
  writer.join();
  for (std::thread& r : readers) r.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(CountTable(), 520);
}

INSTANTIATE_TEST_SUITE_P(JournalModes, SQLiteCountCacheTest,
                         ::testing::Values("DELETE", "WAL"),
                         [](const ::testing::TestParamInfo<const char*>& mode) {
                           return std::string(mode.param);
                         });

TEST(SQLiteCountCacheOff, WithoutACacheEveryDatasetCounts) {
  fs::path dir = fs::temp_directory_path() / ("zyl_count_off_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string path = (dir / "off.db").string();
  Exec(path, "CREATE TABLE T (A); INSERT INTO T VALUES (1), (2);");
  for (int i = 0; i < 2; ++i) {
    TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path);
    ds.SetTableName("T");
    ds.Open();
    EXPECT_EQ(ds.GetCountCache(), nullptr);
    std::int64_t before = ds.QueriesRun();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.QueriesRun() - before, 1);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zyl
