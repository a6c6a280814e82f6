#include "datasets/PgEstimateCache.h"

namespace zyl {

namespace {
constexpr std::size_t kMaxKept = 1024;
}

PgEstimateCache::PgEstimateCache(Clock::duration lifetime) : lifetime_(lifetime) {}

std::optional<long long> PgEstimateCache::Find(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto it = kept_.find(key);
  if (it == kept_.end() || Clock::now() - it->second.first >= lifetime_) return std::nullopt;
  return it->second.second;
}

void PgEstimateCache::Keep(const std::string& key, long long estimate) {
  std::lock_guard lock(mutex_);
  if (kept_.size() >= kMaxKept && kept_.find(key) == kept_.end()) kept_.clear();
  kept_.insert_or_assign(key, std::pair(Clock::now(), estimate));
}

void PgEstimateCache::Forget(const std::string& key) {
  std::lock_guard lock(mutex_);
  kept_.erase(key);
}

void PgEstimateCache::Clear() {
  std::lock_guard lock(mutex_);
  kept_.clear();
}

}  // namespace zyl
