// The TField of TZylSQLiteDataset: one column of the source, read from the
// dataset's current record (or the record being edited) and written into the
// edit buffer. Fields live as long as the dataset; reopening the same source
// keeps them, so pointers a host holds stay valid.
#pragma once

#include <string>

#include "data/DataSet.h"
#include "data/SQLiteSource.h"

namespace zyl {
class TZylSQLiteDataset;
}

namespace zyl::sqlite {

class Field : public TField {
 public:
  Field(TZylSQLiteDataset& dataset, int index, SourceColumn column, bool datasetReadOnly)
      : dataset_(dataset),
        index_(index),
        column_(std::move(column)),
        datasetReadOnly_(datasetReadOnly) {}

  const std::string& FieldName() const override { return column_.field.name; }
  TFieldType DataType() const override { return column_.field.type.type; }
  bool ReadOnly() const override { return column_.readOnly || datasetReadOnly_; }
  int DataSize() const override { return column_.field.type.dataSize; }
  TVariant Value() const override;
  void SetAsString(const std::string& text) override;
  void SetAsBoolean(bool value) override;
  void Clear() override;

  // Takes the description of the reopened source's column.
  void Update(SourceColumn column, bool datasetReadOnly) {
    column_ = std::move(column);
    datasetReadOnly_ = datasetReadOnly;
  }

 private:
  TZylSQLiteDataset& dataset_;
  int index_;
  SourceColumn column_;
  bool datasetReadOnly_;
};

}  // namespace zyl::sqlite
