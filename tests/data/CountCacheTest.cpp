// SQLiteCountCache: a count is reused while the database file is unchanged and
// counted again after any commit (this process, another connection, another
// program, a replaced file), in rollback-journal and WAL databases.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "datasets/SQLiteCountCache.h"
#include "datasets/SQLiteDataset.h"
#include "harness/PrivateTempDir.h"

namespace zyl {
namespace {

class CountCache : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { Sql(Create(path_)); }
  std::string Create(const std::string& path) {
    return "sqlite3 '" + path + "' \"PRAGMA journal_mode = " + GetParam() +
           "; CREATE TABLE Items (Id INTEGER PRIMARY KEY, Qty INTEGER); WITH RECURSIVE n(i) AS "
           "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) INSERT INTO Items SELECT i, i % "
           "7 FROM n\" >/dev/null";
  }
  // Runs `command` (an sqlite3 program call or SQL for the test database).
  void Sql(const std::string& command) {
    std::string line = command.rfind("sqlite3 ", 0) == 0
                           ? command
                           : "sqlite3 -cmd '.timeout 5000' '" + path_ + "' '" + command + "'";
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
  }
  // A fresh dataset, as one request opens it: its RecordCount and the
  // statements that count ran.
  std::pair<int, std::int64_t> Count(const std::string& sql = "") {
    TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path_), ds.SetCountCache(&cache_);
    sql.empty() ? ds.SetTableName("Items") : ds.SetSQL(sql);
    ds.Open();
    std::int64_t before = ds.QueriesRun();
    int count = ds.RecordCount();
    return {count, ds.QueriesRun() - before};
  }
  harness::PrivateTempDir dir_;
  std::string path_ = dir_.File("count.db");
  SQLiteCountCache cache_;
};

TEST_P(CountCache, ReusedWhileNothingChangesAndCountedAgainAfterEveryChange) {
  EXPECT_EQ(Count(), std::make_pair(500, std::int64_t{1}));
  EXPECT_EQ(Count(), std::make_pair(500, std::int64_t{0}))
      << "count(*) ran again on an unchanged file";
  cache_.Clear();
  EXPECT_EQ(Count().second, 1) << "a cleared cache counts again";
  EXPECT_EQ(std::pair(cache_.Hits(), cache_.Misses()),
            (std::pair<std::int64_t, std::int64_t>{1, 2}));
  const char* sql = "SELECT Id FROM Items WHERE Qty = 3";
  int some = Count(sql).first;
  // clang-format off
  const struct { std::string change; int count; } changes[] = {
      {"SELECT count(*) FROM Items", 500},  // reading is no change
      {"INSERT INTO Items (Qty) VALUES (3)", 501},  //
      {"DELETE FROM Items WHERE Id = 4", 500},  // the file size stays
      {"UPDATE Items SET Qty = 99 WHERE Id = 50", 500},  //
      {"CREATE TABLE Other (A); INSERT INTO Other VALUES (1)", 500}
  };  // clang-format on
  for (const auto& c : changes) {
    Sql(c.change);
    EXPECT_EQ(Count().first, c.count) << c.change;
  }
  EXPECT_EQ(Count(sql).first, some + 1) << "queries are kept apart and see changes";
  {
    TZylSQLiteDataset ds(nullptr);  // a change through a dataset
    ds.SetDatabase(path_), ds.SetTableName("Items"), ds.SetCountCache(&cache_), ds.Open();
    ds.Append(), ds.FieldByName("Qty")->SetAsString("1"), ds.Post();
    EXPECT_EQ(ds.RecordCount(), 501);
  }
  EXPECT_EQ(Count().first, 501);
  const char* clock = "SELECT Id FROM Items WHERE Qty < strftime('%s', 'now') % 1000";
  Count(clock);
  EXPECT_EQ(Count(clock).second, 1) << "counts that depend on the clock are not kept";
  EXPECT_FALSE(SQLiteCountCache::Cacheable("SELECT random()"));
  std::string other = dir_.File("other.db");
  Sql(Create(other));
  for (const char* side : {"-wal", "-shm"}) std::filesystem::remove(path_ + side);
  std::filesystem::rename(other, path_);
  Sql("DELETE FROM Items WHERE Id > 2");
  EXPECT_EQ(Count().first, 2) << "a replaced file is watched anew";
}

// A table's description is kept by the process while its schema and file stay.
TEST_P(CountCache, ATableIsDescribedAgainAfterASchemaChangeOrAnotherFile) {
  auto fields = [this] {
    TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(path_), ds.SetTableName("Items"), ds.Open();
    return ds.FieldCount() > 0 ? ds.GetField(ds.FieldCount() - 1)->FieldName() : "";
  };
  EXPECT_EQ(fields(), "Qty");
  Sql("ALTER TABLE Items ADD COLUMN Note TEXT");
  EXPECT_EQ(fields(), "Note");
  const std::string other = dir_.File("other.db");
  Sql("sqlite3 '" + other + "' 'CREATE TABLE Items (Id INTEGER PRIMARY KEY, Price REAL)'");
  std::filesystem::rename(other, path_);
  EXPECT_EQ(fields(), "Price");
}

TEST_P(CountCache, ThreadsShareTheCacheWhileRowsAreAdded) {
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread writer([&] {
    for (int i = 0; i < 20; ++i) Sql("INSERT INTO Items (Qty) VALUES (0)");
    stop = true;
  });
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      for (int last = 0; !stop;) {
        int n = Count().first;
        bad += n < last || n < 500 || n > 520;
        last = n;
      }
    });
  }
  writer.join();
  for (std::thread& r : readers) r.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(Count().first, 520);
}

INSTANTIATE_TEST_SUITE_P(JournalModes, CountCache, ::testing::Values("DELETE", "WAL"),
                         [](const auto& mode) { return std::string(mode.param); });

}  // namespace
}  // namespace zyl
