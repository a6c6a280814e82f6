// TZylPgDataset: the dataset contract over a PostgreSQL table (or view), or
// over a read-only query, through libpq (TZylSqlDataset over PostgreSQL).
//
//   TZylPgDataset orders(owner);
//   orders.SetConnectionInfo("host=localhost dbname=shop user=web");
//   orders.SetTableName("orders");           // or SetSQL("SELECT ...")
//   orders.SetStrProp("IndexFieldNames", "customer;placed DESC");
//   orders.Open();
//
// The key is the primary key (row ids are not stable across updates): a
// query, a view or a keyless table is read-only, and its records are
// ordered by every column. Reading is windowed (PgReader.h). Values travel
// as parameters of PQexecParams; identifiers come from the catalog and are
// quoted. The server's refusals raise EPgError with its message. The client
// library is loaded by the first connection (PgLibrary.h).
#pragma once

#include <memory>
#include <string>

#include "datasets/PgError.h"
#include "datasets/SqlDataset.h"

namespace zyl {

class PgEstimateCache;

class TZylPgDataset : public TZylSqlDataset {
 public:
  explicit TZylPgDataset(TComponent* owner);
  std::string ClassName() const override { return "TZylPgDataset"; }

  // Set while closed (raise zyl::Exception when open): the libpq connection
  // string, and the table columns not offered as fields, separated by ";" or
  // "," (a surrogate key, say; hidden primary-key columns still address
  // records).
  void SetConnectionInfo(const std::string& conninfo) { SetSourceText(connectionInfo_, conninfo); }
  void SetHiddenFields(const std::string& names) { SetSourceText(hiddenFields_, names); }
  const std::string& GetConnectionInfo() const { return connectionInfo_; }
  const std::string& GetHiddenFields() const { return hiddenFields_; }
  // Above this many records (the planner's estimate for the table, the
  // filter or the key filter) RecordCount is that estimate instead of a
  // count(*), and RecordCountEstimated is true; 0 (the default) always
  // counts. Set while closed. Pages past the middle are then read from the
  // end, so the last page holds the last records whatever the estimate.
  void SetEstimateCountAbove(int records);
  int GetEstimateCountAbove() const { return estimateAbove_; }
  // Estimates shared by the datasets of a long-lived process (see
  // PgEstimateCache.h): a recent one is used instead of asking the planner
  // again. Not owned; it must outlive the dataset. nullptr (the default)
  // asks on every count. Takes effect at the next Open.
  void SetEstimateCache(PgEstimateCache* cache) { estimates_ = cache; }
  PgEstimateCache* GetEstimateCache() const { return estimates_; }

 protected:
  std::unique_ptr<SqlBackend> OpenBackend() override;

 private:
  std::string connectionInfo_;
  std::string hiddenFields_;
  int estimateAbove_ = 0;
  PgEstimateCache* estimates_ = nullptr;  // not owned
};

}  // namespace zyl
