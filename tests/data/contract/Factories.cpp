// The datasets the contract suite runs over: memory, SQLite and PostgreSQL (null
// without a server). SQL stores are filled through their client libraries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "DatasetFactory.h"
#include "datasets/PgDataset.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "harness/PgServer.h"
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
    void Post() override { TZylMemDataset::Post(), store_->records = StoredRecords(); }
    void Delete() override { TZylMemDataset::Delete(), store_->records = StoredRecords(); }

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

// Table "T" (or a query on it) in an SQL store: `exec` runs a script there,
// `connect` makes a closed dataset on it.
class SqlFactory : public DatasetFactory {
 public:
  SqlFactory(std::function<void(const std::string&)> exec,
             std::function<std::unique_ptr<TZylSqlDataset>()> connect, std::string keyColumn,
             Unfit unfit)
      : exec_(std::move(exec)),
        connect_(std::move(connect)),
        key_(std::move(keyColumn)),
        unfit_(std::move(unfit)) {}
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override {
    exec_(FillScript(fields, records, key_));
    return Reopen();
  }
  std::unique_ptr<TDataSet> Reopen() override { return ReopenWhere("", TVariant::Null()); }
  std::unique_ptr<TDataSet> ReopenWhere(const std::string& field, const TVariant& value) override {
    std::unique_ptr<TZylSqlDataset> dataset = connect_();
    dataset->SetTableName("T"), dataset->SetKeyFilter(field, value), dataset->Open();
    return dataset;
  }
  std::unique_ptr<TDataSet> Query(const std::string& sql) override {
    std::unique_ptr<TZylSqlDataset> dataset = connect_();
    dataset->SetSQL(sql), dataset->Open();
    return dataset;
  }
  bool Exec(const std::string& sql) override { return exec_(sql), true; }
  Unfit UnfitValue() const override { return unfit_; }
  ~SqlFactory() override {
    if (!removeAtEnd.empty()) std::filesystem::remove(removeAtEnd);
  }
  std::string removeAtEnd;

 private:
  std::function<void(const std::string&)> exec_;
  std::function<std::unique_ptr<TZylSqlDataset>()> connect_;
  std::string key_;
  Unfit unfit_;
};

}  // namespace

// A fresh SQLite file (removed with the test's temporary directory);
// SQLite keeps text that is no number as text, also in an INTEGER column.
std::unique_ptr<DatasetFactory> MakeSQLiteFactory(std::string* path) {
  static std::atomic<int> serial{0};
  std::string file = testing::TempDir() + "zyl_contract_" + std::to_string(getpid()) + "_" +
                     std::to_string(serial++) + ".db";
  std::filesystem::remove(file);
  if (path != nullptr) *path = file;
  auto factory = std::make_unique<SqlFactory>(
      [file](const std::string& sql) { harness::SqliteExec(file, sql); },
      [file] {
        auto dataset = std::make_unique<TZylSQLiteDataset>(nullptr);
        dataset->SetDatabase(file);
        return dataset;
      },
      "", DatasetFactory::Unfit{{TFieldType::ftInteger, "12 boxes"}});
  factory->removeAtEnd = file;
  return factory;
}

// Table "T" with a hidden identity key "zyl_id" that keeps the stored order;
// NaN is a double precision value but no number.
std::vector<FactoryEntry> AllFactories() {
  return {{"Memory", [] { return std::make_unique<MemFactory>(); }},
          {"SQLite", [] { return MakeSQLiteFactory(); }},
          {"Postgres", []() -> std::unique_ptr<DatasetFactory> {
             if (!PgServer::Get().Available()) return nullptr;
             return std::make_unique<SqlFactory>(
                 PgExec,
                 [] {
                   auto dataset = std::make_unique<TZylPgDataset>(nullptr);
                   dataset->SetConnectionInfo(PgServer::Get().ConnInfo());
                   dataset->SetHiddenFields("zyl_id");
                   return dataset;
                 },
                 "zyl_id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY",
                 DatasetFactory::Unfit{{TFieldType::ftFloat, "NaN"}});
           }}};
}

}  // namespace zyl::test
