// Contract-suite factory for TZylSQLiteDataset: a table "T" in a fresh
// database file, filled through SQLite's C API directly (not through the
// dataset), so that reading is checked against an independent writer.
#pragma once

#include <string>

#include "DatasetFactory.h"

struct sqlite3;

namespace zyl::test {

class SQLiteFactory : public DatasetFactory {
 public:
  SQLiteFactory();
  ~SQLiteFactory() override;
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override;
  std::unique_ptr<TDataSet> Reopen() override;
  std::unique_ptr<TDataSet> ReopenWhere(const std::string& field, const TVariant& value) override;
  std::unique_ptr<TDataSet> Query(const std::string& sql) override;
  bool Exec(const std::string& sql) override;
  bool UnfitValue(FieldSpec& field, std::string& text) override;

  const std::string& Path() const { return path_; }

 private:
  std::string dir_;
  std::string path_;
};

// Runs `sql` on the database at `path`; fails the test on an error.
void ExecSql(const std::string& path, const std::string& sql);
// Opens `path` with SQLite directly (the caller closes the handle).
sqlite3* OpenRaw(const std::string& path);

}  // namespace zyl::test
