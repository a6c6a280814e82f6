// TZylSqlDataset: editing. The buffer holds stored values; the backend
// writes them with parameters only and hands back the stored record, whose
// place in the order becomes the current record.
#include <algorithm>
#include <optional>

#include "datasets/SqlDataset.h"

#include "datasets/RecordKey.h"

namespace zyl {

namespace {

bool Editing(TDataSetState state) {
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

}  // namespace

void TZylSqlDataset::CheckEditable() const {
  CheckActive();
  if (backend_->IsQuery()) throw Exception(Context() + ": a query is read-only");
  if (!backend_->Editable()) {
    throw Exception(Context() + ": read-only, " + backend_->ReadOnlyReason());
  }
}

void TZylSqlDataset::CheckWritable(int index) const {
  if (!GetActive() || !Editing(state_)) {
    throw Exception(Context() + ": not in edit or insert mode");
  }
  const TField* field = GetField(index);
  if (field->ReadOnly()) throw Exception("Field '" + field->FieldName() + "' cannot be modified");
}

void TZylSqlDataset::SetFieldStored(int index, const TVariant& stored) {
  buffer_[static_cast<std::size_t>(index)] = stored;
  modified_[static_cast<std::size_t>(index)] = true;
}

void TZylSqlDataset::ResetEdit() {
  buffer_.clear();
  modified_.clear();
  original_.clear();
}

void TZylSqlDataset::CheckBrowseMode() {
  if (!Editing(state_)) return;
  if (std::find(modified_.begin(), modified_.end(), true) != modified_.end()) {
    Post();
  } else {
    Cancel();
  }
}

void TZylSqlDataset::Edit() {
  CheckEditable();
  if (Editing(state_)) return;
  if (Reader().Count() == 0) throw Exception(Context() + ": cannot edit, the dataset is empty");
  const SqlRow* row = CurrentRow();
  if (row == nullptr) throw Exception(Context() + ": the current record no longer exists");
  original_ = *row;
  buffer_ = *row;
  modified_.assign(fields_.size(), false);
  state_ = TDataSetState::dsEdit;
}

void TZylSqlDataset::Append() {
  CheckEditable();
  CheckBrowseMode();
  original_.clear();
  buffer_.assign(fields_.size(), TVariant::Null());
  modified_.assign(fields_.size(), false);
  if (filterIndex_ >= 0) {  // a detail's new record belongs to the master's record
    buffer_[static_cast<std::size_t>(filterIndex_)] = filterStored_;
    modified_[static_cast<std::size_t>(filterIndex_)] = true;
  }
  state_ = TDataSetState::dsInsert;
}

void TZylSqlDataset::Post() {
  CheckActive();
  if (!Editing(state_)) throw Exception(Context() + ": not in edit or insert mode");
  std::vector<int> changed;
  for (std::size_t c = 0; c < modified_.size(); ++c) {
    if (modified_[c]) changed.push_back(static_cast<int>(c));
  }
  bool inserting = state_ == TDataSetState::dsInsert;
  if (!inserting && changed.empty()) {
    Cancel();
    return;
  }
  SqlRow stored = inserting ? backend_->Insert(changed, buffer_)
                            : backend_->Update(original_, changed, buffer_, checked_);
  if (stored.empty() && checked_ && !inserting) {
    throw ERecordChanged(Context() + ": the record was changed or deleted by another user");
  }
  if (stored.empty()) {
    throw Exception(Context() + ": the record was not found; another user may have deleted it");
  }
  // An update keeps the count; the window stays when the record kept its
  // place in the order (then so did every other record).
  SqlReader& rows = Reader();
  if (inserting) rows.Invalidate();
  int position = rows.PositionOf(stored);
  if (inserting || position != cursor_.Position()) {
    rows.ForgetRows();
  } else {
    rows.Replace(position, stored);
  }
  cursor_.SetTo(std::max(0, position));
  state_ = TDataSetState::dsBrowse;
  ResetEdit();
}

void TZylSqlDataset::Cancel() {
  if (!Editing(state_)) return;
  state_ = TDataSetState::dsBrowse;
  ResetEdit();
}

void TZylSqlDataset::Delete() {
  CheckEditable();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  Cancel();
  if (Reader().Count() == 0) {
    throw Exception(Context() + ": cannot perform this operation on an empty dataset");
  }
  const SqlRow* row = CurrentRow();
  if (row == nullptr) throw Exception(Context() + ": the current record no longer exists");
  SqlRow record = *row;
  bool deleted = backend_->Delete(record, checked_);
  Reader().Invalidate();
  if (!deleted && checked_) {
    throw ERecordChanged(Context() + ": the record was changed or deleted by another user");
  }
  if (!deleted) {
    throw Exception(Context() + ": the record was not found; another user may have deleted it");
  }
  cursor_.Clamp(Reader().Count());
}

void TZylSqlDataset::StartTransaction() {
  CheckEditable();  // a query or a table without key: the reason, not the database's refusal
  if (inTransaction_) throw Exception(Context() + ": a transaction is already open");
  CheckBrowseMode();
  backend_->Begin();
  inTransaction_ = true;
}

void TZylSqlDataset::Commit() {
  if (!inTransaction_) return;
  try {
    CheckBrowseMode();
    backend_->Commit();
    inTransaction_ = false;
  } catch (...) {
    try {
      Rollback();
    } catch (...) {
      // The database ended the transaction itself; the first error tells why.
    }
    throw;
  }
}

void TZylSqlDataset::Rollback() {
  if (!inTransaction_) return;
  Cancel();
  inTransaction_ = false;
  Reader().Invalidate();
  backend_->Rollback();
}

std::string TZylSqlDataset::RecordKey() const {
  if (!GetActive() || !backend_->Editable()) return {};
  const SqlRow* row = Editing(state_) ? &original_ : CurrentRow();
  return row == nullptr || row->empty() ? std::string() : EncodeValues(backend_->KeyOf(*row));
}

bool TZylSqlDataset::LocateKey(const std::string& key) {
  CheckActive();
  Cancel();
  std::optional<std::vector<TVariant>> values = DecodeValues(key);
  if (!backend_->Editable() || !values || values->size() != backend_->KeyWidth()) return false;
  SqlRow row = backend_->Find(*values);
  if (row.empty()) return false;
  if (filterIndex_ >= 0 && !(row[static_cast<std::size_t>(filterIndex_)] == filterStored_)) {
    return false;
  }
  Reader().ForgetRows();
  int position = Reader().PositionOf(row);
  const SqlRow* at = position >= 0 ? Reader().At(position) : nullptr;
  // Another write may move records between the two reads: then the record
  // counts as not found rather than another one taking its place.
  if (at == nullptr || backend_->KeyOf(*at) != *values) return false;
  cursor_.SetTo(position);
  return true;
}

}  // namespace zyl
