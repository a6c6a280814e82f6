// PgEstimateCache: the planner's row estimates of PostgreSQL sources kept
// for a short while by a long-lived process, so paging a large table whose
// count is estimated (TZylPgDataset::SetEstimateCountAbove) sends only the
// page's statement, not EXPLAIN before it, on every request.
//
//   zyl::PgEstimateCache estimates;          // one per process
//   dataset.SetEstimateCache(&estimates);    // before Open; not owned
//
// An estimate is an estimate already (the planner's statistics change only
// with ANALYZE, VACUUM and the table's growth): a kept one is used for at
// most `lifetime` (default 5 s) after it was taken, whatever happens to the
// table meanwhile. Pages past the middle are read from the end, so the last
// page holds the last records whatever the estimate; a read that finds
// fewer records than estimated counts them (PgReader.h). Keyed by the
// connection string, the statement and its parameters.
//
// Thread-safe: one mutex guards the entries; at most 1,024 are kept.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace zyl {

class PgEstimateCache {
 public:
  using Clock = std::chrono::steady_clock;
  explicit PgEstimateCache(Clock::duration lifetime = std::chrono::seconds(5));
  PgEstimateCache(const PgEstimateCache&) = delete;
  PgEstimateCache& operator=(const PgEstimateCache&) = delete;

  // The estimate kept for `key`, when taken less than the lifetime ago.
  std::optional<long long> Find(const std::string& key) const;
  void Keep(const std::string& key, long long estimate);
  // Forgets the estimate of `key` (a read found it above the records).
  void Forget(const std::string& key);
  // Forgets every estimate.
  void Clear();

 private:
  const Clock::duration lifetime_;
  mutable std::mutex mutex_;
  std::map<std::string, std::pair<Clock::time_point, long long>> kept_;
};

}  // namespace zyl
