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
#include <optional>
#include <utility>
#include <ostream>
#include <string>
#include <vector>

#include "datasets/DataSet.h"
#include "datasets/SqlDataset.h"
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
  // Stores `records` (in this order) with `fields`, replacing what an
  // earlier Create stored, and returns an open dataset over them. Without
  // IndexFieldNames the dataset presents the records in this order.
  virtual std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                           const std::vector<Record>& records) = 0;
  // A new open dataset over the data stored by the last Create, with every
  // change posted since.
  virtual std::unique_ptr<TDataSet> Reopen() = 0;

  // SQL datasets only (the others return null or false and the cases that
  // need them skip). Reopen with the key filter `field` = `value`:
  virtual std::unique_ptr<TDataSet> ReopenWhere(const std::string& /*field*/,
                                                const TVariant& /*value*/) {
    return nullptr;
  }
  // A read-only dataset over the query `sql` on the stored table "T"; raises
  // what the dataset raises for a query it refuses.
  virtual std::unique_ptr<TDataSet> Query(const std::string& /*sql*/) { return nullptr; }
  // Runs `sql` on the store past any dataset, as another program would.
  virtual bool Exec(const std::string& /*sql*/) { return false; }
  // A numeric field type and a stored text of it that the type cannot hold
  // (text in an SQLite INTEGER column, a NaN); none when the store keeps
  // only values of the field's type.
  using Unfit = std::optional<std::pair<TFieldType, std::string>>;
  virtual Unfit UnfitValue() const { return std::nullopt; }
};

// The SQL datasets' factories: table "T" (or a query on it) through a
// dataset that Connect sets up for the store's database.
class SqlFactory : public DatasetFactory {
 public:
  std::unique_ptr<TDataSet> Reopen() override { return ReopenWhere("", TVariant::Null()); }
  std::unique_ptr<TDataSet> ReopenWhere(const std::string& field, const TVariant& value) override {
    std::unique_ptr<TZylSqlDataset> dataset = Connect();
    dataset->SetTableName("T");
    dataset->SetKeyFilter(field, value);
    dataset->Open();
    return dataset;
  }
  std::unique_ptr<TDataSet> Query(const std::string& sql) override {
    std::unique_ptr<TZylSqlDataset> dataset = Connect();
    dataset->SetSQL(sql);
    dataset->Open();
    return dataset;
  }

 protected:
  // A closed dataset on the store's database.
  virtual std::unique_ptr<TZylSqlDataset> Connect() = 0;
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

// The factories' SQL: the declared type of a field in SQLite (`postgres`
// false) or PostgreSQL, and the ISO text of a date, time or date-time value.
std::string DeclaredType(const FieldSpec& f, bool postgres);
std::string IsoText(const FieldSpec& f, const TVariant& v);

}  // namespace zyl::test
