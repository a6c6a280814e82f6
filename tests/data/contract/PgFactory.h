// Contract-suite factory for TZylPgDataset: a table "T" on the test server
// (PgServer.h) with a hidden identity primary key "zyl_id" that keeps the
// stored order, filled through libpq directly (not through the dataset), so
// that reading is checked against an independent writer.
#pragma once

#include <memory>
#include <string>

#include "DatasetFactory.h"

namespace zyl::test {

class PgFactory : public SqlFactory {
 public:
  // Null when no server is available.
  static std::unique_ptr<PgFactory> Make();
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override;
  bool Exec(const std::string& sql) override;
  // NaN is a double precision value but no number.
  Unfit UnfitValue() const override { return {{TFieldType::ftFloat, "NaN"}}; }

 protected:
  std::unique_ptr<TZylSqlDataset> Connect() override;

 private:
  PgFactory() = default;
};

// Runs `sql` with text parameters on the test server; fails the test on an
// error.
void PgExec(const std::string& sql, const std::vector<std::string>& parameters = {});

}  // namespace zyl::test
