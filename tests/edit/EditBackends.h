// The dataset kinds the editing tests run against: the in-memory dataset,
// shared by every request like a database, and an SQLite file that every
// request opens afresh, as separate CGI processes would. Assertions read
// the stored data through a dataset of their own.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "RequestHarness.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"

namespace zyl::testing {

class EditBackend {
 public:
  virtual ~EditBackend() = default;
  // Replaces the data with table Orders: ID (integer), Name (text), Active
  // and Paid (booleans), Qty (integer); record i: i, "n<i>", true, true, i.
  virtual void CreateOrders(int records) = 0;
  // The dataset one request works on, open.
  virtual TDataSet& ForRequest(harness::Components& page) = 0;
  // A dataset of the stored data for reading it back, open.
  virtual TDataSet& Reader() = 0;
  // From now on every append is refused with a message holding "disk full".
  virtual void RefuseAppends() = 0;

  TVariant Value(int recNo, int field) {
    TDataSet& ds = Reader();
    ds.First();
    if (ds.MoveBy(recNo) != recNo) ADD_FAILURE() << "no record " << recNo;
    return ds.GetField(field)->Value();
  }
  int RecordCount() { return Reader().RecordCount(); }
};

class MemoryBackend : public EditBackend {
 public:
  void CreateOrders(int records) override {
    data_ = std::make_unique<TZylMemDataset>(nullptr);
    data_->AddField("ID", TFieldType::ftInteger);
    data_->AddField("Name", TFieldType::ftString, 20);
    data_->AddField("Active", TFieldType::ftBoolean);
    data_->AddField("Paid", TFieldType::ftBoolean);
    data_->AddField("Qty", TFieldType::ftInteger);
    for (int i = 0; i < records; ++i) {
      data_->AddRecord({TVariant(i), TVariant("n" + std::to_string(i)), TVariant(true),
                        TVariant(true), TVariant(i)});
    }
    data_->Open();
  }
  TDataSet& ForRequest(harness::Components&) override { return *data_; }
  TDataSet& Reader() override { return *data_; }
  void RefuseAppends() override { data_->SetPostError("disk full"); }

 private:
  std::unique_ptr<TZylMemDataset> data_;
};

// Runs `sql` on the database file; fails the test on an error.
inline void RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

class SQLiteBackend : public EditBackend {
 public:
  // The database file `path` (in the test's private directory).
  explicit SQLiteBackend(std::string path) : path_(std::move(path)) {}

  void CreateOrders(int records) override {
    reader_.reset();
    std::string sql =
        "DROP TABLE IF EXISTS Orders; DROP TRIGGER IF EXISTS Refuse;"
        "CREATE TABLE Orders (ID INTEGER, Name VARCHAR(20), Active BOOLEAN, Paid BOOLEAN,"
        " Qty INTEGER); BEGIN;";
    for (int i = 0; i < records; ++i) {
      sql += "INSERT INTO Orders VALUES (" + std::to_string(i) + ", 'n" + std::to_string(i) +
             "', 1, 1, " + std::to_string(i) + ");";
    }
    RunSql(path_, sql + "COMMIT;");
  }
  TDataSet& ForRequest(harness::Components& page) override { return page.Keep(Open()); }
  TDataSet& Reader() override {
    reader_ = Open();  // a fresh connection sees every change
    return *reader_;
  }
  void RefuseAppends() override {
    RunSql(path_,
           "CREATE TRIGGER Refuse BEFORE INSERT ON Orders BEGIN SELECT RAISE(ABORT, 'disk full'); "
           "END;");
  }

 private:
  std::unique_ptr<TZylSQLiteDataset> Open() const {
    auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
    ds->SetDatabase(path_);
    ds->SetTableName("Orders");
    ds->Open();
    return ds;
  }

  std::string path_;
  std::unique_ptr<TZylSQLiteDataset> reader_;
};

}  // namespace zyl::testing
