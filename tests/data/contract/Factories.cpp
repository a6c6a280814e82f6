// The datasets the contract suite runs over.
#include "DatasetFactory.h"
#include "SQLiteFactory.h"

namespace zyl::test {

std::vector<FactoryEntry> AllFactories() {
  return {
      {"SQLite", [] { return std::make_unique<SQLiteFactory>(); }},
  };
}

}  // namespace zyl::test
