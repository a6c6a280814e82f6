// The contract suite's factory for the in-memory dataset. The stored data
// is a record list (in stored order) shared by every dataset handed out for
// it: each Post or Delete on one of them writes that dataset's records back,
// and Reopen builds a new, independent dataset from the list. The list
// outlives the datasets, so they may be destroyed in any order.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "DatasetFactory.h"
#include "datasets/ZylMemDataset.h"

namespace zyl::test {

class MemFactory : public DatasetFactory {
 public:
  std::unique_ptr<TDataSet> Create(const std::vector<FieldSpec>& fields,
                                   const std::vector<Record>& records) override {
    store_ = std::make_shared<Store>();
    store_->fields = fields;
    store_->records = records;
    return Open();
  }

  std::unique_ptr<TDataSet> Reopen() override {
    if (!store_) store_ = std::make_shared<Store>();
    return Open();
  }

 private:
  struct Store {
    std::vector<FieldSpec> fields;
    std::vector<Record> records;
  };

  // A memory dataset that writes its records back to the store whenever
  // it changes them.
  class StoredMemDataset : public TZylMemDataset {
   public:
    explicit StoredMemDataset(std::shared_ptr<Store> store)
        : TZylMemDataset(nullptr), store_(std::move(store)) {}
    void Post() override {
      TZylMemDataset::Post();
      store_->records = StoredRecords();
    }
    void Delete() override {
      TZylMemDataset::Delete();
      store_->records = StoredRecords();
    }

   private:
    std::shared_ptr<Store> store_;
  };

  std::unique_ptr<TDataSet> Open() {
    auto ds = std::make_unique<StoredMemDataset>(store_);
    for (const FieldSpec& f : store_->fields) {
      ds->AddField(f.name, f.type, f.size)->SetRequired(f.required);
    }
    for (const Record& r : store_->records) ds->AddRecord(r);
    ds->Open();
    return ds;
  }

  std::shared_ptr<Store> store_;
};

}  // namespace zyl::test
