// The dataset contract suite runs over every dataset implementation through
// this small factory interface: make stored data with given fields and
// records, open a dataset over it, and open another one later over the same
// stored data (as the next request would).
//
// To run the suite over another dataset, write a factory for it and add one
// entry to AllFactories() in Factories.cpp.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "datasets/DataSet.h"
#include "platform/Variant.h"

namespace zyl::test {

struct FieldSpec {
  std::string name;
  TFieldType type = TFieldType::ftString;
  int size = 0;           // text fields: the longest value
  bool required = false;  // a post without a value is refused
};

// One value per field: Null, Integer, Double, String, Boolean or Date.
using Record = std::vector<TVariant>;

class DatasetFactory {
 public:
  virtual ~DatasetFactory() = default;
  // Stores `records` (in this order) with `fields`, replacing what an
  // earlier Create stored, and returns an open dataset over them. Without
  // IndexFieldNames the dataset presents the records in this order.
  virtual std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                           const std::vector<Record>& records) = 0;
  // A new open dataset over the data stored by the last Create, with every
  // change posted since.
  virtual std::unique_ptr<TDataSet> Reopen() = 0;
};

struct FactoryEntry {
  std::string name;  // test name suffix: letters and digits only
  std::function<std::unique_ptr<DatasetFactory>()> make;
};

inline void PrintTo(const FactoryEntry& entry, std::ostream* out) {
  *out << entry.name;
}

// Every dataset the contract suite runs over.
std::vector<FactoryEntry> AllFactories();

}  // namespace zyl::test
