// TZylPgDataset: opening the source, fields, the cursor and properties.
// Editing is in PgDatasetEdit.cpp.
#include "data/PgDataset.h"

#include <algorithm>

#include "data/PgConnection.h"
#include "data/PgField.h"
#include "data/PgReader.h"
#include "data/PgSource.h"
#include "data/PgTypes.h"
#include "platform/Locale.h"

namespace zyl {

namespace pg {

TVariant Field::Value() const {
  return dataset_.FieldValue(index_);
}

void Field::SetAsString(const std::string& text) {
  dataset_.CheckWritable(index_);
  dataset_.SetFieldValue(index_, InputToValue(text, column_.type, column_.name));
}

void Field::SetAsBoolean(bool value) {
  dataset_.CheckWritable(index_);
  TFieldType t = column_.type.type;
  if (t == TFieldType::ftBoolean || t == TFieldType::ftString || t == TFieldType::ftMemo ||
      t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftLargeint) {
    dataset_.SetFieldValue(index_, TVariant(value));
    return;
  }
  throw EConvertError("Field '" + column_.name + "': a boolean cannot be stored here");
}

void Field::Clear() {
  dataset_.CheckWritable(index_);
  dataset_.SetFieldValue(index_, TVariant::Null());
}

}  // namespace pg

namespace {

constexpr const char* kIndexFieldNames = "IndexFieldNames";

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  std::string current;
  auto flush = [&] {
    std::size_t b = current.find_first_not_of(" \t");
    std::size_t e = current.find_last_not_of(" \t");
    if (b != std::string::npos) names.push_back(current.substr(b, e - b + 1));
    current.clear();
  };
  for (char c : text) {
    if (c == ';' || c == ',') {
      flush();
    } else {
      current += c;
    }
  }
  flush();
  return names;
}

}  // namespace

TZylPgDataset::TZylPgDataset(TComponent* owner) : TDataSet(owner) {}

TZylPgDataset::~TZylPgDataset() {
  Close();
}

std::string TZylPgDataset::Context() const {
  if (source_ != nullptr) return source_->Context();
  if (!tableName_.empty()) return "PostgreSQL table '" + tableName_ + "'";
  return "PostgreSQL dataset";
}

void TZylPgDataset::CheckNotActive() const {
  if (active_) throw Exception(Context() + ": cannot perform this operation on an open dataset");
}

void TZylPgDataset::CheckActive() const {
  if (!active_) throw Exception(Context() + ": cannot perform this operation on a closed dataset");
}

void TZylPgDataset::SetConnectionInfo(const std::string& conninfo) {
  CheckNotActive();
  connectionInfo_ = conninfo;
}

void TZylPgDataset::SetTableName(const std::string& name) {
  CheckNotActive();
  tableName_ = name;
  if (!name.empty()) sql_.clear();
}

void TZylPgDataset::SetSQL(const std::string& select) {
  CheckNotActive();
  sql_ = select;
  if (!select.empty()) tableName_.clear();
}

void TZylPgDataset::SetHiddenFields(const std::string& names) {
  CheckNotActive();
  hiddenFields_ = names;
}

void TZylPgDataset::SetIndexFieldNames(const std::string& names) {
  if (active_) {
    CheckBrowseMode();
    std::vector<pg::IndexTerm> index = source_->ParseIndexFieldNames(names);
    reader_ = std::make_unique<pg::Reader>(*connection_, *source_, source_->Order(index));
    cursor_.Reset();
  }
  indexFieldNames_ = names;
}

bool TZylPgDataset::IsReadOnly() const {
  if (source_ != nullptr) return !source_->Editable();
  return !sql_.empty();
}

void TZylPgDataset::Refresh() {
  CheckActive();
  CheckBrowseMode();
  reader_->Invalidate();
}

std::int64_t TZylPgDataset::QueriesRun() const {
  return connection_ != nullptr ? connection_->Executions() : 0;
}

void TZylPgDataset::Open() {
  if (active_) return;
  if (tableName_.empty() && sql_.empty()) {
    throw Exception("PostgreSQL dataset: neither a table name nor SQL is set");
  }
  bool isQuery = !sql_.empty();
  auto connection = std::make_unique<pg::Connection>(connectionInfo_, Context());
  if (isQuery) connection->Exec("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
  auto source = std::make_unique<pg::Source>(
      isQuery ? pg::Source::ForQuery(*connection, sql_)
              : pg::Source::ForTable(*connection, tableName_, SplitNames(hiddenFields_)));
  std::vector<pg::IndexTerm> index = source->ParseIndexFieldNames(indexFieldNames_);
  auto reader = std::make_unique<pg::Reader>(*connection, *source, source->Order(index));

  connection_ = std::move(connection);
  source_ = std::move(source);
  reader_ = std::move(reader);
  BuildFields();
  active_ = true;
  state_ = TDataSetState::dsBrowse;
  cursor_.Reset();
}

void TZylPgDataset::BuildFields() {
  const auto& columns = source_->Columns();
  std::size_t width = static_cast<std::size_t>(source_->FieldWidth());
  bool readOnly = !source_->Editable();
  bool same = fields_.size() == width;
  for (std::size_t i = 0; same && i < width; ++i) same = fields_[i]->FieldName() == columns[i].name;
  if (same) {
    for (std::size_t i = 0; i < width; ++i) fields_[i]->Update(columns[i], readOnly);
    return;
  }
  fields_.clear();
  for (std::size_t i = 0; i < width; ++i) {
    fields_.push_back(
        std::make_unique<pg::Field>(*this, static_cast<int>(i), columns[i], readOnly));
  }
}

void TZylPgDataset::Close() {
  if (!active_) return;
  ResetEdit();
  reader_.reset();
  source_.reset();
  connection_.reset();
  active_ = false;
  state_ = TDataSetState::dsInactive;
}

int TZylPgDataset::FieldCount() const {
  return active_ ? static_cast<int>(fields_.size()) : 0;
}

TField* TZylPgDataset::GetField(int index) const {
  if (index < 0 || index >= FieldCount()) throw EListError::OutOfBounds(index);
  return fields_[static_cast<std::size_t>(index)].get();
}

TVariant TZylPgDataset::FieldValue(int index) const {
  if (!active_) return TVariant::Null();
  const pg::Field& field = *fields_[static_cast<std::size_t>(index)];
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
    return buffer_[static_cast<std::size_t>(index)];
  }
  const pg::Row* row = reader_->At(cursor_.Position());
  if (row == nullptr) return TVariant::Null();
  return pg::TextToValue((*row)[static_cast<std::size_t>(index)], field.Type());
}

int TZylPgDataset::RecordCount() const {
  CheckActive();
  return reader_->Count();
}

void TZylPgDataset::First() {
  CheckActive();
  CheckBrowseMode();
  cursor_.Reset();
}

void TZylPgDataset::Next() {
  MoveBy(1);
}

void TZylPgDataset::Prior() {
  MoveBy(-1);
}

int TZylPgDataset::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  return cursor_.MoveBy(distance, reader_->Count());
}

bool TZylPgDataset::Eof() const {
  return !active_ || cursor_.Eof(reader_->Count());
}

bool TZylPgDataset::Bof() const {
  return !active_ || cursor_.Bof(reader_->Count());
}

bool TZylPgDataset::SetStrProp(const std::string& name, const std::string& value) {
  if (!AnsiSameText(name, kIndexFieldNames)) return TDataSet::SetStrProp(name, value);
  SetIndexFieldNames(value);
  return true;
}

bool TZylPgDataset::GetStrProp(const std::string& name, std::string& value) const {
  if (!AnsiSameText(name, kIndexFieldNames)) return TDataSet::GetStrProp(name, value);
  value = indexFieldNames_;
  return true;
}

}  // namespace zyl
