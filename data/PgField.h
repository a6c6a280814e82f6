// The TField of TZylPgDataset: one column of the source, read from the
// dataset's current (or edited) record and written into the edit buffer.
// Fields live as long as the dataset; reopening the same source keeps them.
#pragma once

#include <string>

#include "data/DataSet.h"
#include "data/PgSource.h"

namespace zyl {
class TZylPgDataset;
}

namespace zyl::pg {

class Field : public TField {
 public:
  Field(TZylPgDataset& dataset, int index, SourceColumn column, bool datasetReadOnly)
      : dataset_(dataset),
        index_(index),
        column_(std::move(column)),
        datasetReadOnly_(datasetReadOnly) {}

  const std::string& FieldName() const override { return column_.name; }
  TFieldType DataType() const override { return column_.type.type; }
  bool ReadOnly() const override { return column_.readOnly || datasetReadOnly_; }
  int DataSize() const override { return column_.type.dataSize; }
  TVariant Value() const override;
  void SetAsString(const std::string& text) override;
  void SetAsBoolean(bool value) override;
  void Clear() override;

  const ColumnType& Type() const { return column_.type; }
  void Update(SourceColumn column, bool datasetReadOnly) {
    column_ = std::move(column);
    datasetReadOnly_ = datasetReadOnly;
  }

 private:
  TZylPgDataset& dataset_;
  int index_;
  SourceColumn column_;
  bool datasetReadOnly_;
};

}  // namespace zyl::pg
