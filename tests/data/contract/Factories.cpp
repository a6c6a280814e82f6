// The datasets the contract suite runs over. A factory that returns null
// (PostgreSQL without a server) makes its tests skip.
#include "DatasetFactory.h"
#include "MemFactory.h"
#include "PgFactory.h"
#include "SQLiteFactory.h"

namespace zyl::test {

std::vector<FactoryEntry> AllFactories() {
  return {
      {"Memory", [] { return std::make_unique<MemFactory>(); }},
      {"SQLite", [] { return std::make_unique<SQLiteFactory>(); }},
      {"Postgres", []() -> std::unique_ptr<DatasetFactory> { return PgFactory::Make(); }},
  };
}

}  // namespace zyl::test
