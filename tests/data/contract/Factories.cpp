// The datasets the contract suite runs over.
#include "DatasetFactory.h"
#include "MemFactory.h"
#include "SQLiteFactory.h"

namespace zyl::test {

std::vector<FactoryEntry> AllFactories() {
  return {
      {"Memory", [] { return std::make_unique<MemFactory>(); }},
      {"SQLite", [] { return std::make_unique<SQLiteFactory>(); }},
  };
}

}  // namespace zyl::test
