// The datasets the contract suite runs over: memory, SQLite and PostgreSQL
// (null without a server: its tests skip). The SQL stores are filled
// through their client libraries, not through the dataset.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "DatasetFactory.h"
#include "PgServer.h"
#include "datasets/PgDataset.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "platform/DateTime.h"

namespace zyl::test {
namespace {

// A record list shared by every dataset handed out over it: each Post or
// Delete writes the dataset's records back; Reopen builds a new dataset.
class MemFactory : public DatasetFactory {
 public:
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override {
    store_ = std::make_shared<Store>(Store{fields, records});
    return Reopen();
  }
  std::unique_ptr<TDataSet> Reopen() override {
    auto ds = std::make_unique<Stored>(store_);
    for (const FieldSpec& f : store_->fields)
      ds->AddField(f.name, f.type, f.size)->SetRequired(f.required);
    for (const Record& r : store_->records) ds->AddRecord(r);
    ds->Open();
    return ds;
  }

 private:
  struct Store {
    std::vector<FieldSpec> fields;
    std::vector<Record> records;
  };
  class Stored : public TZylMemDataset {
   public:
    explicit Stored(std::shared_ptr<Store> store)
        : TZylMemDataset(nullptr), store_(std::move(store)) {}
    void Post() override {
      TZylMemDataset::Post();
      store_->records = StoredRecords();
    }
    void Delete() override {
      TZylMemDataset::Delete();
      store_->records = StoredRecords();
    }

   private:
    std::shared_ptr<Store> store_;
  };
  std::shared_ptr<Store> store_;
};

// A value as an SQL literal that SQLite and PostgreSQL read alike.
std::string Literal(const FieldSpec& f, const TVariant& v) {
  using K = TVariant::Kind;
  if (v.IsNullOrEmpty()) return "NULL";
  if (v.GetKind() == K::Boolean) return v.ToBoolean() ? "TRUE" : "FALSE";
  if (v.GetKind() == K::Integer) return v.ToString();
  if (v.GetKind() == K::Double) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v.ToDouble());
    return buffer;
  }
  const char* pattern = f.type == TFieldType::ftDate   ? "yyyy-mm-dd"
                        : f.type == TFieldType::ftTime ? "hh:nn:ss"
                                                       : "yyyy-mm-dd hh:nn:ss";
  std::string text =
      v.GetKind() == K::Date ? FormatDateTime(pattern, v.ToDateTime()) : v.ToString();
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? "''" : std::string(1, c);
  return quoted + "'";
}

// An SQL script that makes table "T" with `fields` (declared types both
// stores know) and inserts `records`; `key` leads the column list.
std::string FillScript(const std::vector<FieldSpec>& fields, const std::vector<Record>& records,
                       std::string columns) {
  using FT = TFieldType;
  std::string names;
  for (const FieldSpec& f : fields) {
    std::string type = f.type == FT::ftInteger    ? "INTEGER"
                       : f.type == FT::ftFloat    ? "DOUBLE PRECISION"
                       : f.type == FT::ftBoolean  ? "BOOLEAN"
                       : f.type == FT::ftDate     ? "DATE"
                       : f.type == FT::ftTime     ? "TIME"
                       : f.type == FT::ftDateTime ? "TIMESTAMP"
                       : f.size > 0               ? "VARCHAR(" + std::to_string(f.size) + ")"
                                                  : "TEXT";
    columns +=
        (columns.empty() ? "\"" : ", \"") + f.name + "\" " + type + (f.required ? " NOT NULL" : "");
    names += (names.empty() ? "\"" : ", \"") + f.name + "\"";
  }
  std::string sql = "DROP TABLE IF EXISTS \"T\"; CREATE TABLE \"T\" (" + columns + "); BEGIN;";
  for (const Record& record : records) {
    std::string values;
    for (std::size_t i = 0; i < fields.size(); ++i)
      values += (i ? ", " : "") + Literal(fields[i], record[i]);
    sql += "INSERT INTO \"T\" (" + names + ") VALUES (" + values + ");";
  }
  return sql + "COMMIT;";
}

// Table "T" (or a query on it) through a dataset Connect sets up.
class SqlFactory : public DatasetFactory {
 public:
  std::unique_ptr<TDataSet> Reopen() override { return ReopenWhere("", TVariant::Null()); }
  std::unique_ptr<TDataSet> ReopenWhere(const std::string& field, const TVariant& value) override {
    std::unique_ptr<TZylSqlDataset> dataset = Connect();
    dataset->SetTableName("T");
    dataset->SetKeyFilter(field, value);
    dataset->Open();
    return dataset;
  }
  std::unique_ptr<TDataSet> Query(const std::string& sql) override {
    std::unique_ptr<TZylSqlDataset> dataset = Connect();
    dataset->SetSQL(sql);
    dataset->Open();
    return dataset;
  }

 protected:
  virtual std::unique_ptr<TZylSqlDataset> Connect() = 0;
};

class SQLiteFactory : public SqlFactory {
 public:
  SQLiteFactory() {
    static std::atomic<int> serial{0};
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("zyl_sqlite_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
    std::filesystem::create_directories(dir_);
  }
  ~SQLiteFactory() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Path() const { return (dir_ / "contract.db").string(); }
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override {
    ExecSql(Path(), FillScript(fields, records, ""));
    return Reopen();
  }
  bool Exec(const std::string& sql) override {
    ExecSql(Path(), sql);
    return true;
  }
  Unfit UnfitValue() const override { return {{TFieldType::ftInteger, "12 boxes"}}; }

 protected:
  std::unique_ptr<TZylSqlDataset> Connect() override {
    auto dataset = std::make_unique<TZylSQLiteDataset>(nullptr);
    dataset->SetDatabase(Path());
    return dataset;
  }

 private:
  std::filesystem::path dir_;
};

// Table "T" with a hidden identity key "zyl_id" that keeps the stored order.
class PgFactory : public SqlFactory {
 public:
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override {
    PgExec(
        FillScript(fields, records, "zyl_id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    return Reopen();
  }
  bool Exec(const std::string& sql) override {
    PgExec(sql);
    return true;
  }
  Unfit UnfitValue() const override { return {{TFieldType::ftFloat, "NaN"}}; }

 protected:
  std::unique_ptr<TZylSqlDataset> Connect() override {
    auto dataset = std::make_unique<TZylPgDataset>(nullptr);
    dataset->SetConnectionInfo(PgServer::Get().ConnInfo());
    dataset->SetHiddenFields("zyl_id");
    return dataset;
  }
};

}  // namespace

void ExecSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_busy_timeout(db, 5000);
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    ADD_FAILURE() << "SQL failed: " << (error != nullptr ? error : "?") << "\n" << sql;
  }
  sqlite3_free(error);
  sqlite3_close(db);
}

void PgExec(const std::string& sql) {
  PGconn* conn = PQconnectdb(PgServer::Get().ConnInfo().c_str());
  PGresult* result = PQexec(conn, sql.c_str());
  if (PQresultStatus(result) != PGRES_COMMAND_OK && PQresultStatus(result) != PGRES_TUPLES_OK) {
    ADD_FAILURE() << "SQL failed: " << PQresultErrorMessage(result) << "\n" << sql;
  }
  PQclear(result);
  PQfinish(conn);
}

std::unique_ptr<DatasetFactory> MakeSQLiteFactory(std::string* path) {
  auto factory = std::make_unique<SQLiteFactory>();
  if (path != nullptr) *path = factory->Path();
  return factory;
}

std::vector<FactoryEntry> AllFactories() {
  return {{"Memory", [] { return std::make_unique<MemFactory>(); }},
          {"SQLite", [] { return MakeSQLiteFactory(); }},
          {"Postgres", []() -> std::unique_ptr<DatasetFactory> {
             if (!PgServer::Get().Available()) return nullptr;
             return std::make_unique<PgFactory>();
           }}};
}

}  // namespace zyl::test
