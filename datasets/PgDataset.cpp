#include "datasets/PgDataset.h"

#include "datasets/PgBackend.h"

namespace zyl {

namespace {

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  std::string current;
  auto flush = [&] {
    std::size_t b = current.find_first_not_of(" \t");
    std::size_t e = current.find_last_not_of(" \t");
    if (b != std::string::npos) names.push_back(current.substr(b, e - b + 1));
    current.clear();
  };
  for (char c : text) {
    if (c == ';' || c == ',') {
      flush();
    } else {
      current += c;
    }
  }
  flush();
  return names;
}

}  // namespace

TZylPgDataset::TZylPgDataset(TComponent* owner) : TZylSqlDataset(owner, "PostgreSQL") {}

void TZylPgDataset::SetEstimateCountAbove(int records) {
  CheckNotActive();
  estimateAbove_ = records > 0 ? records : 0;
}

std::unique_ptr<SqlBackend> TZylPgDataset::OpenBackend() {
  auto backend = std::make_unique<pg::Backend>(connectionInfo_, Context(), GetTableName(), GetSQL(),
                                               SplitNames(hiddenFields_));
  backend->SetEstimateCountAbove(estimateAbove_);
  backend->SetEstimateCache(estimates_, connectionInfo_);
  return backend;
}

}  // namespace zyl
