// TZylSqlDataset: the source properties, opening, fields, the cursor and
// IndexFieldNames. Editing is in SqlDatasetEdit.cpp.
#include "datasets/SqlDataset.h"

#include <algorithm>

#include "platform/Format.h"
#include "platform/Locale.h"

namespace zyl {

// One field of the source, read from the dataset's current record (or the
// record being edited) and written into the edit buffer. Fields live as
// long as the dataset; reopening the same source keeps them, so pointers a
// host holds stay valid.
class SqlField : public TField {
 public:
  SqlField(TZylSqlDataset& dataset, int index, SqlFieldInfo info, bool readOnly)
      : dataset_(dataset), index_(index), info_(std::move(info)), readOnly_(readOnly) {}

  const std::string& FieldName() const override { return info_.name; }
  TFieldType DataType() const override { return info_.type; }
  bool ReadOnly() const override { return info_.readOnly || readOnly_; }
  int DataSize() const override { return info_.dataSize; }
  TVariant Value() const override { return dataset_.FieldValue(index_); }
  std::string AsString() const override {
    return dataset_.FieldText(index_, dataset_.StoredValue(index_), nullptr);
  }

  // Stored text that the field's type cannot hold (text in an INTEGER
  // column of SQLite, a NaN) is handed out as its text and counts as 0.
  double AsFloat() const override { return NumberOf(Value()); }
  bool AsBoolean() const override { return FlagOf(Value()); }

  // The value converted once, the rest derived from it as the methods
  // above derive it.
  void ReadCell(TFieldType type, bool withText, TFieldCell& cell) const override {
    const TVariant* stored = dataset_.StoredValue(index_);
    cell.value = stored == nullptr ? TVariant::Null() : dataset_.backend_->ToValue(index_, *stored);
    cell.text.clear();
    if (cell.value.IsNullOrEmpty()) return;
    if (IsNumberType(type) || type == TFieldType::ftLargeint) {
      cell.number = NumberOf(cell.value);
    } else if (IsDateType(type)) {
      cell.date = cell.value.ToDateTime();
    } else if (type == TFieldType::ftBoolean) {
      cell.flag = FlagOf(cell.value);
    }
    if (withText) cell.text = dataset_.FieldText(index_, stored, &cell.value);
  }

  void SetAsString(const std::string& text) override {
    dataset_.CheckWritable(index_);
    dataset_.SetFieldStored(index_, dataset_.backend_->TextToStored(index_, text));
  }
  void SetAsBoolean(bool value) override {
    dataset_.CheckWritable(index_);
    dataset_.SetFieldStored(index_, dataset_.backend_->BooleanToStored(index_, value));
  }
  void Clear() override {
    dataset_.CheckWritable(index_);
    dataset_.SetFieldStored(index_, TVariant::Null());
  }

  // Takes the description of the reopened source's field.
  void Update(SqlFieldInfo info, bool readOnly) {
    info_ = std::move(info);
    readOnly_ = readOnly;
  }

 private:
  static double NumberOf(const TVariant& value) {
    double number = 0;
    if (value.GetKind() == TVariant::Kind::String) {
      return TryStrToFloat(value.ToString(), number) ? number : 0;
    }
    return value.ToDouble();
  }
  static bool FlagOf(const TVariant& value) {
    if (value.GetKind() != TVariant::Kind::String) return value.ToBoolean();
    try {
      return value.ToBoolean();
    } catch (const Exception&) {
      return false;
    }
  }

  TZylSqlDataset& dataset_;
  int index_;
  SqlFieldInfo info_;
  bool readOnly_;  // the dataset's records cannot be written, or the key filter's field
};

namespace {

constexpr const char* kIndexFieldNames = "IndexFieldNames";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

// Splits IndexFieldNames at ";" and "," outside double quotes and brackets.
std::vector<std::string> SplitFieldList(const std::string& text) {
  std::vector<std::string> items;
  std::string current;
  char closing = 0;
  for (char c : text) {
    if (closing != 0) {
      if (c == closing) closing = 0;
      current += c;
    } else if (c == '"' || c == '[') {
      closing = c == '"' ? '"' : ']';
      current += c;
    } else if (c == ';' || c == ',') {
      items.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  items.push_back(current);
  return items;
}

// The field named `name`: the exact name first, else ignoring case; -1.
int FieldIndexOf(const std::vector<SqlFieldInfo>& fields, const std::string& name) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == name) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (AnsiSameText(fields[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::vector<SqlIndexTerm> ParseIndexFieldNames(const std::vector<SqlFieldInfo>& fields,
                                               const std::string& text,
                                               const std::string& context) {
  std::vector<SqlIndexTerm> terms;
  if (Trim(text).empty()) return terms;
  for (const std::string& item : SplitFieldList(text)) {
    std::string name = Trim(item);
    if (name.empty()) continue;  // "Name;" ends with an empty entry
    bool descending = false;
    std::size_t blank = name.find_last_of(" \t");
    if (blank != std::string::npos) {
      std::string word = name.substr(blank + 1);
      if (AnsiSameText(word, "DESC") || AnsiSameText(word, "ASC")) {
        descending = AnsiSameText(word, "DESC");
        name = Trim(name.substr(0, blank));
      }
    }
    if (name.size() >= 2 && ((name.front() == '"' && name.back() == '"') ||
                             (name.front() == '[' && name.back() == ']'))) {
      name = name.substr(1, name.size() - 2);
    }
    int field = FieldIndexOf(fields, name);
    if (field < 0) throw Exception(context + ": IndexFieldNames: no field named '" + name + "'");
    terms.push_back({field, descending});
  }
  return terms;
}

}  // namespace

TZylSqlDataset::TZylSqlDataset(TComponent* owner, std::string kind)
    : TDataSet(owner), kind_(std::move(kind)) {}

TZylSqlDataset::~TZylSqlDataset() {
  Close();
}

std::string TZylSqlDataset::Context() const {
  if (backend_ != nullptr) return backend_->Context();
  if (!tableName_.empty()) return kind_ + " table '" + tableName_ + "'";
  return kind_ + " dataset";
}

void TZylSqlDataset::CheckNotActive() const {
  if (GetActive()) {
    throw Exception(Context() + ": cannot perform this operation on an open dataset");
  }
}

void TZylSqlDataset::CheckActive() const {
  if (!GetActive()) {
    throw Exception(Context() + ": cannot perform this operation on a closed dataset");
  }
}

void TZylSqlDataset::SetSourceText(std::string& property, const std::string& value) {
  CheckNotActive();
  property = value;
}

void TZylSqlDataset::SetTableName(const std::string& name) {
  SetSourceText(tableName_, name);
  if (!name.empty()) sql_.clear();
}

void TZylSqlDataset::SetSQL(const std::string& select) {
  SetSourceText(sql_, select);
  if (!select.empty()) tableName_.clear();
}

void TZylSqlDataset::SetKeyFilter(const std::string& fieldName, const TVariant& value) {
  SetSourceText(filterField_, fieldName);
  filterValue_ = value;
}

void TZylSqlDataset::SetIndexFieldNames(const std::string& names) {
  if (GetActive()) {
    CheckBrowseMode();
    backend_->SetOrder(ParseIndexFieldNames(backend_->Fields(), names, Context()));
    current_.row = nullptr;
    cursor_.Reset();
  }
  indexFieldNames_ = names;
}

bool TZylSqlDataset::IsReadOnly() const {
  if (backend_ != nullptr) return !backend_->Editable();
  return !sql_.empty();
}

void TZylSqlDataset::Refresh() {
  CheckActive();
  CheckBrowseMode();
  Reader().Invalidate();
}

std::int64_t TZylSqlDataset::QueriesRun() const {
  return backend_ != nullptr ? backend_->Executions() : 0;
}

bool TZylSqlDataset::SetRowFilter(const RowFilter& filter) {
  if (GetActive()) {
    CheckBrowseMode();
    backend_->SetRowFilter(filter);
    backend_->SetOrder(ParseIndexFieldNames(backend_->Fields(), indexFieldNames_, Context()));
    current_.row = nullptr;
    cursor_.Reset();
  }
  rowFilter_ = filter;
  return true;
}

bool TZylSqlDataset::Aggregate(int field, bool average, double& value) {
  CheckActive();
  if (field < 0 || field >= FieldCount()) return false;
  return Reader().Aggregate(field, average, value);
}

void TZylSqlDataset::Open() {
  if (GetActive()) return;
  if (tableName_.empty() && sql_.empty()) {
    throw Exception(kind_ + " dataset: neither a table name nor SQL is set");
  }
  std::unique_ptr<SqlBackend> backend = OpenBackend();
  int filterIndex = -1;
  TVariant filterStored = TVariant::Null();
  if (!filterField_.empty()) {
    filterIndex = FieldIndexOf(backend->Fields(), filterField_);
    if (filterIndex < 0) {
      throw Exception(backend->Context() + ": no field named '" + filterField_ +
                      "' to select records by");
    }
    filterStored = backend->SetKeyFilter(filterIndex, filterValue_);
  }
  backend->SetRowFilter(rowFilter_);
  backend->SetOrder(ParseIndexFieldNames(backend->Fields(), indexFieldNames_, backend->Context()));
  backend_ = std::move(backend);
  current_.row = nullptr;
  filterIndex_ = filterIndex;
  filterStored_ = filterStored;
  BuildFields();
  state_ = TDataSetState::dsBrowse;
  cursor_.Reset();
}

void TZylSqlDataset::BuildFields() {
  const std::vector<SqlFieldInfo>& infos = backend_->Fields();
  bool readOnly = !backend_->Editable();
  bool same = fields_.size() == infos.size();
  for (std::size_t i = 0; same && i < infos.size(); ++i) {
    same = fields_[i]->FieldName() == infos[i].name;
  }
  if (!same) fields_.clear();
  for (std::size_t i = 0; i < infos.size(); ++i) {
    int index = static_cast<int>(i);
    bool fieldReadOnly = readOnly || index == filterIndex_;
    if (same) {
      fields_[i]->Update(infos[i], fieldReadOnly);
    } else {
      fields_.push_back(std::make_unique<SqlField>(*this, index, infos[i], fieldReadOnly));
    }
  }
}

void TZylSqlDataset::Close() {
  if (!GetActive()) return;
  ResetEdit();
  inTransaction_ = false;  // closing the connection rolls it back
  backend_.reset();
  current_.row = nullptr;
  filterIndex_ = -1;
  state_ = TDataSetState::dsInactive;
}

int TZylSqlDataset::FieldCount() const {
  return GetActive() ? static_cast<int>(fields_.size()) : 0;
}

TField* TZylSqlDataset::GetField(int index) const {
  if (index < 0 || index >= FieldCount()) throw EListError::OutOfBounds(index);
  return fields_[static_cast<std::size_t>(index)].get();
}

SqlReader& TZylSqlDataset::Reader() const {
  current_.row = nullptr;
  return backend_->Rows();
}

const SqlRow* TZylSqlDataset::CurrentRow() const {
  SqlReader& rows = backend_->Rows();
  try {
    // The record read last is still the current one while the cursor and
    // the count stay and no other use of the reader came between (Reader()
    // forgets it): the reader keeps its window while its count holds.
    const int count = rows.Count();
    const int position = cursor_.Position();
    if (current_.row != nullptr && current_.position == position && current_.count == count)
      return current_.row;
    current_.row = rows.At(position);
    current_.position = position;
    current_.count = count;
    return current_.row;
  } catch (...) {
    current_.row = nullptr;
    // A read that failed (a lost connection, a busy database) leaves no
    // count or window to trust: the next RecordCount asks the database
    // again and raises while it still cannot answer, so a page is never
    // cut short without an error.
    rows.Invalidate();
    throw;
  }
}

const TVariant* TZylSqlDataset::StoredValue(int index) const {
  if (!GetActive()) return nullptr;
  const SqlRow* row = state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert
                          ? &buffer_
                          : CurrentRow();
  return row == nullptr ? nullptr : &(*row)[static_cast<std::size_t>(index)];
}

TVariant TZylSqlDataset::FieldValue(int index) const {
  const TVariant* stored = StoredValue(index);
  return stored == nullptr ? TVariant::Null() : backend_->ToValue(index, *stored);
}

std::string TZylSqlDataset::FieldText(int index, const TVariant* stored,
                                      const TVariant* value) const {
  std::string text;
  if (stored != nullptr && backend_->ShortText(index, *stored, text)) return text;
  if (value != nullptr) return value->ToString();
  return stored == nullptr ? std::string() : backend_->ToValue(index, *stored).ToString();
}

int TZylSqlDataset::RecordCount() const {
  CheckActive();
  return backend_->Rows().Count();
}

bool TZylSqlDataset::RecordCountEstimated() const {
  return GetActive() && backend_->Rows().CountEstimated();
}

void TZylSqlDataset::First() {
  CheckActive();
  CheckBrowseMode();
  cursor_.Reset();
}

void TZylSqlDataset::Next() {
  MoveBy(1);
}

void TZylSqlDataset::Prior() {
  MoveBy(-1);
}

int TZylSqlDataset::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  return cursor_.MoveBy(distance, Reader().Count());
}

// A record counted but gone since (another connection deleted it after the
// count) ends the records too, so a reader never meets a record without
// values.
bool TZylSqlDataset::Eof() const {
  if (!GetActive() || cursor_.Eof(backend_->Rows().Count())) return true;
  return state_ == TDataSetState::dsBrowse && CurrentRow() == nullptr;
}

bool TZylSqlDataset::Bof() const {
  return !GetActive() || cursor_.Bof(backend_->Rows().Count());
}

bool TZylSqlDataset::SetStrProp(const std::string& name, const std::string& value) {
  if (!AnsiSameText(name, kIndexFieldNames)) return TDataSet::SetStrProp(name, value);
  SetIndexFieldNames(value);
  return true;
}

bool TZylSqlDataset::GetStrProp(const std::string& name, std::string& value) const {
  if (!AnsiSameText(name, kIndexFieldNames)) return TDataSet::GetStrProp(name, value);
  value = indexFieldNames_;
  return true;
}

}  // namespace zyl
