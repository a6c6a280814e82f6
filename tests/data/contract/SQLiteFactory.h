// Contract-suite factory for TZylSQLiteDataset: a table "T" in a fresh
// database file, filled through SQLite's C API directly (not through the
// dataset), so that reading is checked against an independent writer.
#pragma once

#include <string>

#include "DatasetFactory.h"

struct sqlite3;

namespace zyl::test {

class SQLiteFactory : public SqlFactory {
 public:
  SQLiteFactory();
  ~SQLiteFactory() override;
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override;
  bool Exec(const std::string& sql) override;
  // SQLite keeps text that is no number as text, also in an INTEGER column.
  Unfit UnfitValue() const override { return {{TFieldType::ftInteger, "12 boxes"}}; }

  const std::string& Path() const { return path_; }

 protected:
  std::unique_ptr<TZylSqlDataset> Connect() override;

 private:
  std::string dir_;
  std::string path_;
};

// Runs `sql` on the database at `path`; fails the test on an error.
void ExecSql(const std::string& path, const std::string& sql);
// Opens `path` with SQLite directly (the caller closes the handle).
sqlite3* OpenRaw(const std::string& path);

}  // namespace zyl::test
