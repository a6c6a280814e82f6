// The dataset contract suite reaches each dataset through a factory: store
// fields and records, open a dataset over them, open another later (as the next
// request would). A new dataset is a factory added to AllFactories().
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "datasets/DataSet.h"
#include "datasets/SqlDataset.h"
#include "harness/Sqlite.h"
#include "platform/Variant.h"

namespace zyl::test {

struct FieldSpec {
  std::string name;
  TFieldType type = TFieldType::ftString;
  int size = 0;           // text fields: the longest value (0: any length)
  bool required = false;  // a post without a value is refused
};

// One value per field: Null, Integer, Double, String, Boolean or Date.
using Record = std::vector<TVariant>;

class DatasetFactory {
 public:
  virtual ~DatasetFactory() = default;
  // Stores `records` (replacing earlier data); an open dataset in this order.
  virtual std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                           const std::vector<Record>& records) = 0;
  // A new open dataset over the stored data, with every change posted since.
  virtual std::unique_ptr<TDataSet> Reopen() = 0;
  // SQL datasets only (the others return null or false; those cases skip):
  // Reopen with the key filter `field` = `value`; a read-only query on the
  // stored table "T"; `sql` run past any dataset, as another program would.
  virtual std::unique_ptr<TDataSet> ReopenWhere(const std::string&, const TVariant&) {
    return nullptr;
  }
  virtual std::unique_ptr<TDataSet> Query(const std::string&) { return nullptr; }
  virtual bool Exec(const std::string&) { return false; }
  // A numeric type and stored text it cannot hold (SQLite, NaN); none if typed.
  using Unfit = std::optional<std::pair<TFieldType, std::string>>;
  virtual Unfit UnfitValue() const { return std::nullopt; }
};

struct FactoryEntry {
  std::string name;                                       // test name suffix
  std::function<std::unique_ptr<DatasetFactory>()> make;  // null: not available here
};
inline void PrintTo(const FactoryEntry& entry, std::ostream* out) {
  *out << entry.name;
}
std::vector<FactoryEntry> AllFactories();

// Table "T" in a fresh SQLite file, filled through SQLite's C API.
std::unique_ptr<DatasetFactory> MakeSQLiteFactory(std::string* path = nullptr);
using harness::SqliteExec;

}  // namespace zyl::test
