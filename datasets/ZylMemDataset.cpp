#include "datasets/ZylMemDataset.h"

#include <algorithm>

#include "datasets/FieldText.h"
#include "datasets/RecordKey.h"
#include "platform/Locale.h"

namespace zyl {

// ---- TZylMemField ---------------------------------------------------------

TZylMemField::TZylMemField(TZylMemDataset& dataset, int index, std::string name, TFieldType type,
                           int size, bool readOnly, std::string displayName)
    : dataset_(dataset),
      index_(index),
      name_(std::move(name)),
      type_(type),
      size_(size),
      readOnly_(readOnly),
      displayName_(std::move(displayName)) {}

std::string TZylMemField::DisplayName() const {
  return displayName_.empty() ? name_ : displayName_;
}

TVariant TZylMemField::Value() const {
  dataset_.CheckActive("read a field");
  const std::vector<TVariant>* values = dataset_.CurrentValues();
  if (values == nullptr) return TVariant::Null();
  return (*values)[static_cast<std::size_t>(index_)];
}

std::string TZylMemField::AsString() const {
  return FieldDisplayText(Value(), type_);
}

void TZylMemField::SetAsString(const std::string& text) {
  dataset_.WriteBuffer(*this, FieldValueFromText(text, type_, name_));
}

void TZylMemField::SetAsBoolean(bool value) {
  dataset_.WriteBuffer(*this, NormalizeFieldValue(TVariant(value), type_, name_));
}

void TZylMemField::Clear() {
  dataset_.WriteBuffer(*this, TVariant::Null());
}

void TZylMemField::SetValue(const TVariant& value) {
  dataset_.WriteBuffer(*this, NormalizeFieldValue(value, type_, name_));
}

// ---- TZylMemDataset: structure --------------------------------------------

TZylMemDataset::TZylMemDataset(TComponent* owner) : TDataSet(owner) {}

TZylMemDataset::~TZylMemDataset() = default;

std::string TZylMemDataset::Prefix() const {
  return GetName().empty() ? "TZylMemDataset: " : "TZylMemDataset '" + GetName() + "': ";
}

void TZylMemDataset::CheckActive(const char* what) const {
  if (!active_) throw Exception(Prefix() + "cannot " + what + " while the dataset is closed");
}

TZylMemField* TZylMemDataset::AddField(const std::string& name, TFieldType type, int size,
                                       bool readOnly, const std::string& displayName) {
  if (Editing()) throw Exception(Prefix() + "cannot add field '" + name + "' while editing");
  if (name.empty()) throw Exception(Prefix() + "a field needs a name");
  if (FindOwnField(name) != nullptr) {
    throw Exception(Prefix() + "field '" + name + "' already exists");
  }
  int index = FieldTotal();
  fields_.push_back(
      std::make_unique<TZylMemField>(*this, index, name, type, size, readOnly, displayName));
  for (auto& record : records_) record->values.push_back(TVariant::Null());
  for (auto& record : filteredOut_) record->values.push_back(TVariant::Null());
  return fields_.back().get();
}

TZylMemField* TZylMemDataset::FindOwnField(const std::string& name) const {
  for (const auto& field : fields_) {
    if (AnsiSameText(field->FieldName(), name)) return field.get();
  }
  return nullptr;
}

TVariant TZylMemDataset::Normalize(const TVariant& value, const TZylMemField& field) const {
  return NormalizeFieldValue(value, field.DataType(), field.FieldName());
}

void TZylMemDataset::AddRecord(std::vector<TVariant> values) {
  if (Editing()) throw Exception(Prefix() + "cannot add a record while editing");
  if (values.size() > fields_.size()) {
    throw Exception(Prefix() + "a record of " + std::to_string(values.size()) +
                    " values does not fit " + std::to_string(fields_.size()) + " fields");
  }
  auto record = std::make_unique<Record>();
  record->seq = nextSeq_++;
  record->values.resize(fields_.size(), TVariant::Null());
  for (std::size_t i = 0; i < values.size(); ++i) {
    record->values[i] = Normalize(values[i], *fields_[i]);
  }
  const Record* current =
      records_.empty() ? nullptr : records_[static_cast<std::size_t>(cur_)].get();
  records_.push_back(std::move(record));
  if (!sortKeys_.empty()) SortRecords(sortKeys_, current);
  if (records_.size() == 1) {  // the first record: the cursor stands on it
    cur_ = 0;
    bof_ = true;
    eof_ = false;
  }
}

void TZylMemDataset::ClearRecords() {
  if (Editing()) throw Exception(Prefix() + "cannot clear the records while editing");
  records_.clear();
  filteredOut_.clear();
  cur_ = 0;
  eof_ = bof_ = true;
}

const TVariant& TZylMemDataset::GetValue(int recNo, int field) const {
  if (recNo < 0 || recNo >= static_cast<int>(records_.size())) throw EListError::OutOfBounds(recNo);
  if (field < 0 || field >= FieldTotal()) throw EListError::OutOfBounds(field);
  return records_[static_cast<std::size_t>(recNo)]->values[static_cast<std::size_t>(field)];
}

std::vector<std::vector<TVariant>> TZylMemDataset::StoredRecords() const {
  std::vector<const Record*> order;
  order.reserve(records_.size());
  for (const auto& record : records_) order.push_back(record.get());
  for (const auto& record : filteredOut_) order.push_back(record.get());
  std::sort(order.begin(), order.end(),
            [](const Record* a, const Record* b) { return a->seq < b->seq; });
  std::vector<std::vector<TVariant>> out;
  out.reserve(order.size());
  for (const Record* record : order) out.push_back(record->values);
  return out;
}

TField* TZylMemDataset::GetField(int index) const {
  if (index < 0 || index >= FieldCount()) throw EListError::OutOfBounds(index);
  return fields_[static_cast<std::size_t>(index)].get();
}

bool TZylMemDataset::SetRowFilter(const RowFilter& filter) {
  CheckBrowseMode();
  for (auto& record : filteredOut_) records_.push_back(std::move(record));
  filteredOut_.clear();
  SortRecords(sortKeys_, nullptr);
  std::vector<std::unique_ptr<Record>> passed;
  for (auto& record : records_) {
    const Record& r = *record;
    bool passes = filter.Matches([&](int field) {
      return field >= 0 && field < FieldTotal() ? r.values[static_cast<std::size_t>(field)]
                                                : TVariant::Null();
    });
    (passes ? passed : filteredOut_).push_back(std::move(record));
  }
  records_ = std::move(passed);
  cur_ = 0;
  bof_ = true;
  eof_ = records_.empty();
  return true;
}

bool TZylMemDataset::Aggregate(int field, bool average, double& value) {
  if (field < 0 || field >= FieldTotal()) return false;
  double sum = 0;
  int counted = 0;
  for (const auto& record : records_) {
    const TVariant& v = record->values[static_cast<std::size_t>(field)];
    if (v.IsNullOrEmpty()) continue;
    try {
      sum += v.ToDouble();
      ++counted;
    } catch (const Exception&) {
      // A value that is no number counts in neither.
    }
  }
  if (counted == 0) return false;
  value = average ? sum / counted : sum;
  return true;
}

// ---- Opening and the cursor ---------------------------------------------------

void TZylMemDataset::Open() {
  if (active_) return;
  active_ = true;
  fieldsHidden_ = false;
  state_ = TDataSetState::dsBrowse;
  First();
}

void TZylMemDataset::Close() {
  if (!active_) return;
  buffer_.clear();
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  active_ = false;
  fieldsHidden_ = true;
}

int TZylMemDataset::RecordCount() const {
  CheckActive("count the records");
  return static_cast<int>(records_.size());
}

void TZylMemDataset::CheckBrowseMode() {
  if (!Editing()) return;
  if (modified_) {
    Post();
  } else {
    Cancel();
  }
}

void TZylMemDataset::First() {
  CheckActive("move the cursor");
  CheckBrowseMode();
  cur_ = 0;
  bof_ = true;
  eof_ = records_.empty();
}

void TZylMemDataset::Last() {
  CheckActive("move the cursor");
  CheckBrowseMode();
  cur_ = records_.empty() ? 0 : static_cast<int>(records_.size()) - 1;
  eof_ = true;
  bof_ = records_.empty();
}

int TZylMemDataset::MoveBy(int distance) {
  CheckActive("move the cursor");
  CheckBrowseMode();
  if (distance == 0) return 0;
  if ((distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
  eof_ = bof_ = false;
  if (records_.empty()) {
    eof_ = bof_ = true;
    return 0;
  }
  long long last = static_cast<long long>(records_.size()) - 1;
  long long target = static_cast<long long>(cur_) + distance;
  if (target > last) {
    target = last;
    eof_ = true;
  } else if (target < 0) {
    target = 0;
    bof_ = true;
  }
  int moved = static_cast<int>(target - cur_);
  cur_ = static_cast<int>(target);
  return moved;
}

const std::vector<TVariant>* TZylMemDataset::CurrentValues() const {
  if (Editing()) return &buffer_;
  if (records_.empty()) return nullptr;
  return &records_[static_cast<std::size_t>(cur_)]->values;
}

// ---- Editing ---------------------------------------------------------------

void TZylMemDataset::Edit() {
  CheckActive("edit");
  if (Editing()) return;
  if (records_.empty()) throw Exception(Prefix() + "cannot edit: there is no current record");
  buffer_ = records_[static_cast<std::size_t>(cur_)]->values;
  state_ = TDataSetState::dsEdit;
  modified_ = false;
}

void TZylMemDataset::Append() {
  CheckActive("append");
  CheckBrowseMode();
  savedCur_ = cur_;
  buffer_.assign(fields_.size(), TVariant::Null());
  state_ = TDataSetState::dsInsert;
  modified_ = false;
  eof_ = true;
  bof_ = false;
}

void TZylMemDataset::WriteBuffer(const TZylMemField& field, TVariant value) {
  CheckActive("write a field");
  if (!Editing()) {
    throw Exception(Prefix() + "field '" + field.FieldName() +
                    "': dataset not in edit or insert mode");
  }
  if (field.ReadOnly()) throw Exception("Field '" + field.FieldName() + "' cannot be modified");
  buffer_[static_cast<std::size_t>(field.Index())] = std::move(value);
  modified_ = true;
}

void TZylMemDataset::Post() {
  CheckActive("post");
  if (!Editing()) throw Exception(Prefix() + "cannot post: dataset not in edit or insert mode");
  for (const auto& field : fields_) {
    if (field->Required() && buffer_[static_cast<std::size_t>(field->Index())].IsNullOrEmpty()) {
      throw Exception(Prefix() + "cannot post: field '" + field->FieldName() +
                      "' must have a value");
    }
  }
  if (!postError_.empty()) throw Exception(postError_);
  const Record* posted = nullptr;
  if (state_ == TDataSetState::dsEdit) {
    Record& record = *records_[static_cast<std::size_t>(cur_)];
    record.values = std::move(buffer_);
    posted = &record;
  } else {
    auto record = std::make_unique<Record>();
    record->seq = nextSeq_++;
    record->values = std::move(buffer_);
    posted = record.get();
    records_.push_back(std::move(record));
    cur_ = static_cast<int>(records_.size()) - 1;
  }
  buffer_.clear();
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  eof_ = bof_ = false;
  if (!sortKeys_.empty()) SortRecords(sortKeys_, posted);
}

void TZylMemDataset::Cancel() {
  if (!Editing()) return;
  if (state_ == TDataSetState::dsInsert) {
    cur_ = savedCur_;
    eof_ = bof_ = records_.empty();
  }
  buffer_.clear();
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
}

void TZylMemDataset::Delete() {
  CheckActive("delete");
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  Cancel();
  if (records_.empty()) throw Exception(Prefix() + "cannot delete: the dataset is empty");
  records_.erase(records_.begin() + cur_);
  if (cur_ >= static_cast<int>(records_.size())) {
    cur_ = records_.empty() ? 0 : static_cast<int>(records_.size()) - 1;
  }
  eof_ = bof_ = records_.empty();
}

void TZylMemDataset::StartTransaction() {
  CheckActive("start a transaction");
  if (snapshot_) throw Exception(Prefix() + "a transaction is already open");
  CheckBrowseMode();
  auto snapshot = std::make_unique<Snapshot>();
  snapshot->records.reserve(records_.size());
  for (const auto& record : records_) snapshot->records.push_back(*record);
  snapshot->nextSeq = nextSeq_;
  snapshot->cur = cur_;
  snapshot_ = std::move(snapshot);
}

void TZylMemDataset::Commit() {
  if (!snapshot_) return;
  try {
    CheckBrowseMode();
  } catch (...) {
    Rollback();
    throw;
  }
  snapshot_.reset();
}

void TZylMemDataset::Rollback() {
  if (!snapshot_) return;
  Cancel();
  records_.clear();
  for (Record& record : snapshot_->records) {
    records_.push_back(std::make_unique<Record>(std::move(record)));
  }
  nextSeq_ = snapshot_->nextSeq;
  cur_ = snapshot_->cur;
  eof_ = bof_ = records_.empty();
  snapshot_.reset();
}

// ---- Row identity --------------------------------------------------------------

void TZylMemDataset::SetKeyFields(const std::string& names) {
  std::vector<int> fields;
  for (const SortKey& key : ParseIndex(names)) fields.push_back(key.field);
  keyFields_ = std::move(fields);
}

std::string TZylMemDataset::KeyOf(const Record& record) const {
  std::vector<TVariant> key;
  if (keyFields_.empty()) key.emplace_back(static_cast<std::int64_t>(record.seq));
  for (int f : keyFields_) key.push_back(record.values[static_cast<std::size_t>(f)]);
  return EncodeValues(key);
}

std::string TZylMemDataset::RecordKey() const {
  if (!active_ || records_.empty() || state_ == TDataSetState::dsInsert) return {};
  return KeyOf(*records_[static_cast<std::size_t>(cur_)]);
}

bool TZylMemDataset::LocateKey(const std::string& key) {
  CheckActive("locate a record");
  Cancel();
  for (std::size_t r = 0; r < records_.size(); ++r) {
    if (KeyOf(*records_[r]) != key) continue;
    cur_ = static_cast<int>(r);
    eof_ = bof_ = false;
    return true;
  }
  return false;
}

// ---- Sorting -----------------------------------------------------------------

std::vector<TZylMemDataset::SortKey> TZylMemDataset::ParseIndex(const std::string& names) const {
  std::vector<SortKey> keys;
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    std::string item = names.substr(start, end - start);
    start = end + 1;
    auto trim = [](std::string& s) {
      std::size_t b = s.find_first_not_of(" \t");
      std::size_t e = s.find_last_not_of(" \t");
      s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    };
    trim(item);
    bool descending = false;
    std::size_t blank = item.find_last_of(" \t");
    std::string suffix = blank == std::string::npos ? item : item.substr(blank + 1);
    if (AnsiSameText(suffix, "DESC") || AnsiSameText(suffix, "ASC")) {
      descending = AnsiSameText(suffix, "DESC");
      item = blank == std::string::npos ? std::string() : item.substr(0, blank);
      trim(item);
    }
    if (item.empty()) continue;
    TZylMemField* field = FindOwnField(item);
    if (field == nullptr) {
      throw Exception(Prefix() + "IndexFieldNames: field '" + item + "' not found");
    }
    keys.push_back(SortKey{field->Index(), descending});
  }
  return keys;
}

namespace {

// Orders two stored values of a field: null first, then by the field's kind.
int CompareStored(const TVariant& a, const TVariant& b, TFieldType type) {
  bool an = a.IsNullOrEmpty(), bn = b.IsNullOrEmpty();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  if (IsTextFieldType(type) || IsBinaryFieldType(type) || a.GetKind() == TVariant::Kind::String ||
      b.GetKind() == TVariant::Kind::String) {
    return AnsiCompareStr(a.ToString(), b.ToString());
  }
  double x = a.ToDouble(), y = b.ToDouble();
  return x == y ? 0 : (x < y ? -1 : 1);
}

}  // namespace

void TZylMemDataset::SortRecords(const std::vector<SortKey>& keys, const Record* keep) {
  // Equal keys fall back to the order of adding, so the result never
  // depends on the order an earlier sort left.
  std::stable_sort(records_.begin(), records_.end(), [&](const auto& a, const auto& b) {
    for (const SortKey& key : keys) {
      auto f = static_cast<std::size_t>(key.field);
      int c = CompareStored(a->values[f], b->values[f], fields_[f]->DataType());
      if (c != 0) return key.descending ? c > 0 : c < 0;
    }
    return a->seq < b->seq;
  });
  if (keep == nullptr) return;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].get() == keep) cur_ = static_cast<int>(i);
  }
}

void TZylMemDataset::SetIndexFieldNames(const std::string& names) {
  if (Editing()) throw Exception(Prefix() + "cannot change IndexFieldNames while editing");
  std::vector<SortKey> keys = ParseIndex(names);  // raises before anything changes
  const Record* current =
      records_.empty() ? nullptr : records_[static_cast<std::size_t>(cur_)].get();
  indexFieldNames_ = names;
  sortKeys_ = std::move(keys);
  SortRecords(sortKeys_, current);
}

bool TZylMemDataset::SetStrProp(const std::string& name, const std::string& value) {
  if (!AnsiSameText(name, "IndexFieldNames")) return false;
  SetIndexFieldNames(value);
  return true;
}

bool TZylMemDataset::GetStrProp(const std::string& name, std::string& value) const {
  if (!AnsiSameText(name, "IndexFieldNames")) return false;
  value = indexFieldNames_;
  return true;
}

}  // namespace zyl
