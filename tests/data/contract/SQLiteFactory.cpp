#include "SQLiteFactory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <filesystem>

#include "datasets/SQLiteDataset.h"
#include "platform/DateTime.h"

namespace zyl::test {

namespace {

void BindValue(sqlite3_stmt* stmt, int index, const FieldSpec& f, const TVariant& v) {
  using K = TVariant::Kind;
  if (v.IsNullOrEmpty()) {
    sqlite3_bind_null(stmt, index);
  } else if (v.GetKind() == K::Boolean) {
    sqlite3_bind_int(stmt, index, v.ToBoolean() ? 1 : 0);
  } else if (v.GetKind() == K::Date) {
    std::string text = IsoText(f, v);
    sqlite3_bind_text(stmt, index, text.c_str(), -1, SQLITE_TRANSIENT);
  } else if (v.GetKind() == K::Integer) {
    sqlite3_bind_int64(stmt, index, v.ToInt64());
  } else if (v.GetKind() == K::Double) {
    sqlite3_bind_double(stmt, index, v.ToDouble());
  } else {
    std::string text = v.ToString();
    sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
}

}  // namespace

sqlite3* OpenRaw(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) ADD_FAILURE() << sqlite3_errmsg(db);
  sqlite3_busy_timeout(db, 5000);
  return db;
}

void ExecSql(const std::string& path, const std::string& sql) {
  sqlite3* db = OpenRaw(path);
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    ADD_FAILURE() << "SQL failed: " << (error != nullptr ? error : "?") << "\n" << sql;
  }
  sqlite3_free(error);
  sqlite3_close(db);
}

SQLiteFactory::SQLiteFactory() {
  static std::atomic<int> serial{0};
  dir_ = (std::filesystem::path(testing::TempDir()) /
          ("zyl_sqlite_" + std::to_string(getpid()) + "_" + std::to_string(serial++)))
             .string();
  std::filesystem::create_directories(dir_);
  path_ = dir_ + "/contract.db";
}

SQLiteFactory::~SQLiteFactory() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::unique_ptr<TDataSet> SQLiteFactory::Create(const std::vector<FieldSpec>& fields,
                                                const std::vector<Record>& records) {
  std::filesystem::remove(path_);
  std::string columns, marks;
  for (const FieldSpec& f : fields) {
    if (!columns.empty()) columns += ", ", marks += ", ";
    columns += "\"" + f.name + "\" " + DeclaredType(f, false) + (f.required ? " NOT NULL" : "");
    marks += "?";
  }
  ExecSql(path_, "CREATE TABLE T (" + columns + ")");

  sqlite3* db = OpenRaw(path_);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, ("INSERT INTO T VALUES (" + marks + ")").c_str(), -1, &insert, nullptr);
  for (const Record& record : records) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      BindValue(insert, static_cast<int>(i + 1), fields[i], record[i]);
    }
    if (sqlite3_step(insert) != SQLITE_DONE) ADD_FAILURE() << sqlite3_errmsg(db);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return Reopen();
}

std::unique_ptr<TZylSqlDataset> SQLiteFactory::Connect() {
  auto dataset = std::make_unique<TZylSQLiteDataset>(nullptr);
  dataset->SetDatabase(path_);
  return dataset;
}

bool SQLiteFactory::Exec(const std::string& sql) {
  ExecSql(path_, sql);
  return true;
}

}  // namespace zyl::test
