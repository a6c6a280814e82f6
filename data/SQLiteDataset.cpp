// TZylSQLiteDataset: opening the source, fields, the cursor and properties.
// Editing is in SQLiteDatasetEdit.cpp.
#include "data/SQLiteDataset.h"

#include <algorithm>

#include "data/SQLiteConnection.h"
#include "data/SQLiteField.h"
#include "data/SQLiteReader.h"
#include "data/SQLiteSource.h"
#include "data/SQLiteTypes.h"
#include "platform/Locale.h"

namespace zyl {

namespace sqlite {

TVariant Field::Value() const {
  return dataset_.FieldValue(index_);
}

void Field::SetAsString(const std::string& text) {
  dataset_.CheckWritable(index_);
  dataset_.SetFieldStored(index_, TextToStored(text, column_.field));
}

void Field::SetAsBoolean(bool value) {
  dataset_.CheckWritable(index_);
  dataset_.SetFieldStored(index_, BooleanToStored(value, column_.field));
}

void Field::Clear() {
  dataset_.CheckWritable(index_);
  dataset_.SetFieldStored(index_, TVariant::Null());
}

}  // namespace sqlite

namespace {
constexpr const char* kIndexFieldNames = "IndexFieldNames";
}

TZylSQLiteDataset::TZylSQLiteDataset(TComponent* owner) : TDataSet(owner) {}

TZylSQLiteDataset::~TZylSQLiteDataset() {
  Close();
}

std::string TZylSQLiteDataset::Context() const {
  if (source_ != nullptr) return source_->Context();
  if (!tableName_.empty()) return "SQLite table '" + tableName_ + "'";
  return "SQLite dataset";
}

void TZylSQLiteDataset::CheckNotActive() const {
  if (active_) throw Exception(Context() + ": cannot perform this operation on an open dataset");
}

void TZylSQLiteDataset::CheckActive() const {
  if (!active_) throw Exception(Context() + ": cannot perform this operation on a closed dataset");
}

void TZylSQLiteDataset::SetDatabase(const std::string& path) {
  CheckNotActive();
  database_ = path;
}

void TZylSQLiteDataset::SetTableName(const std::string& name) {
  CheckNotActive();
  tableName_ = name;
  if (!name.empty()) sql_.clear();
}

void TZylSQLiteDataset::SetSQL(const std::string& select) {
  CheckNotActive();
  sql_ = select;
  if (!select.empty()) tableName_.clear();
}

void TZylSQLiteDataset::SetBusyTimeout(int milliseconds) {
  busyTimeout_ = std::max(0, milliseconds);
  if (connection_ != nullptr) connection_->SetBusyTimeout(busyTimeout_);
}

void TZylSQLiteDataset::SetIndexFieldNames(const std::string& names) {
  if (active_) {
    CheckBrowseMode();
    std::vector<sqlite::IndexTerm> index = source_->ParseIndexFieldNames(names);
    reader_ = std::make_unique<sqlite::Reader>(*connection_, *source_, source_->Order(index));
    reader_->SetCountCache(countCache_, database_);
    cursor_.Reset();
  }
  indexFieldNames_ = names;
}

bool TZylSQLiteDataset::IsReadOnly() const {
  if (source_ != nullptr) return !source_->Editable();
  return !sql_.empty();
}

void TZylSQLiteDataset::Refresh() {
  CheckActive();
  CheckBrowseMode();
  reader_->Invalidate();
}

std::int64_t TZylSQLiteDataset::QueriesRun() const {
  return connection_ != nullptr ? connection_->Executions() : 0;
}

void TZylSQLiteDataset::Open() {
  if (active_) return;
  if (database_.empty()) throw Exception(Context() + ": no database file is set");
  if (tableName_.empty() && sql_.empty()) {
    throw Exception("SQLite dataset: neither a table name nor SQL is set");
  }
  bool isQuery = !sql_.empty();
  auto connection = std::make_unique<sqlite::Connection>(database_, isQuery, busyTimeout_);
  auto source =
      std::make_unique<sqlite::Source>(isQuery ? sqlite::Source::ForQuery(*connection, sql_)
                                               : sqlite::Source::ForTable(*connection, tableName_));
  std::vector<sqlite::IndexTerm> index = source->ParseIndexFieldNames(indexFieldNames_);
  auto reader = std::make_unique<sqlite::Reader>(*connection, *source, source->Order(index));
  reader->SetCountCache(countCache_, database_);

  connection_ = std::move(connection);
  source_ = std::move(source);
  reader_ = std::move(reader);
  BuildFields();
  active_ = true;
  state_ = TDataSetState::dsBrowse;
  cursor_.Reset();
}

void TZylSQLiteDataset::BuildFields() {
  const auto& columns = source_->Columns();
  bool readOnly = !source_->Editable();
  bool same = fields_.size() == columns.size();
  for (std::size_t i = 0; same && i < columns.size(); ++i) {
    same = fields_[i]->FieldName() == columns[i].field.name;
  }
  if (same) {
    for (std::size_t i = 0; i < columns.size(); ++i) fields_[i]->Update(columns[i], readOnly);
    return;
  }
  fields_.clear();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    fields_.push_back(
        std::make_unique<sqlite::Field>(*this, static_cast<int>(i), columns[i], readOnly));
  }
}

void TZylSQLiteDataset::Close() {
  if (!active_) return;
  buffer_.clear();
  modified_.clear();
  original_.clear();
  reader_.reset();
  source_.reset();
  connection_.reset();
  active_ = false;
  state_ = TDataSetState::dsInactive;
}

int TZylSQLiteDataset::FieldCount() const {
  return active_ ? static_cast<int>(fields_.size()) : 0;
}

TField* TZylSQLiteDataset::GetField(int index) const {
  if (index < 0 || index >= FieldCount()) throw EListError::OutOfBounds(index);
  return fields_[static_cast<std::size_t>(index)].get();
}

TVariant TZylSQLiteDataset::FieldValue(int index) const {
  if (!active_) return TVariant::Null();
  TFieldType type = fields_[static_cast<std::size_t>(index)]->DataType();
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
    return sqlite::StoredToValue(buffer_[static_cast<std::size_t>(index)], type);
  }
  const sqlite::Row* row = reader_->At(cursor_.Position());
  if (row == nullptr) return TVariant::Null();
  return sqlite::StoredToValue((*row)[static_cast<std::size_t>(index)], type);
}

int TZylSQLiteDataset::RecordCount() const {
  CheckActive();
  return reader_->Count();
}

void TZylSQLiteDataset::First() {
  CheckActive();
  CheckBrowseMode();
  cursor_.Reset();
}

void TZylSQLiteDataset::Next() {
  MoveBy(1);
}

void TZylSQLiteDataset::Prior() {
  MoveBy(-1);
}

int TZylSQLiteDataset::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  return cursor_.MoveBy(distance, reader_->Count());
}

bool TZylSQLiteDataset::Eof() const {
  return !active_ || cursor_.Eof(reader_->Count());
}

bool TZylSQLiteDataset::Bof() const {
  return !active_ || cursor_.Bof(reader_->Count());
}

bool TZylSQLiteDataset::SetStrProp(const std::string& name, const std::string& value) {
  if (!AnsiSameText(name, kIndexFieldNames)) return TDataSet::SetStrProp(name, value);
  SetIndexFieldNames(value);
  return true;
}

bool TZylSQLiteDataset::GetStrProp(const std::string& name, std::string& value) const {
  if (!AnsiSameText(name, kIndexFieldNames)) return TDataSet::GetStrProp(name, value);
  value = indexFieldNames_;
  return true;
}

}  // namespace zyl
