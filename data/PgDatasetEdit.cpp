// TZylPgDataset: editing. Values only ever travel as parameters; the record
// is addressed by its primary key as it was read, and after a post the
// cursor moves to the stored record's place in the order.
#include <algorithm>

#include "data/PgConnection.h"
#include "data/PgDataset.h"
#include "data/PgField.h"
#include "data/PgReader.h"
#include "data/PgSource.h"
#include "data/PgTypes.h"

namespace zyl {

namespace {

bool Editing(TDataSetState state) {
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

}  // namespace

void TZylPgDataset::CheckEditable() const {
  CheckActive();
  if (source_->IsQuery()) throw Exception(Context() + ": a query is read-only");
  if (!source_->Editable())
    throw Exception(Context() + ": read-only, the table has no primary key");
}

void TZylPgDataset::CheckWritable(int index) const {
  if (!active_ || !Editing(state_)) throw Exception(Context() + ": not in edit or insert mode");
  const TField* field = fields_[static_cast<std::size_t>(index)].get();
  if (field->ReadOnly()) throw Exception("Field '" + field->FieldName() + "' cannot be modified");
}

void TZylPgDataset::SetFieldValue(int index, const TVariant& value) {
  buffer_[static_cast<std::size_t>(index)] = value;
  modified_[static_cast<std::size_t>(index)] = true;
}

void TZylPgDataset::ResetEdit() {
  buffer_.clear();
  modified_.clear();
  original_.clear();
}

void TZylPgDataset::CheckBrowseMode() {
  if (!Editing(state_)) return;
  if (std::find(modified_.begin(), modified_.end(), true) != modified_.end()) {
    Post();
  } else {
    Cancel();
  }
}

void TZylPgDataset::Edit() {
  CheckEditable();
  if (Editing(state_)) return;
  if (reader_->Count() == 0) throw Exception(Context() + ": cannot edit, the dataset is empty");
  const pg::Row* row = reader_->At(cursor_.Position());
  if (row == nullptr) throw Exception(Context() + ": the current record no longer exists");
  original_ = *row;
  buffer_.clear();
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    buffer_.push_back(pg::TextToValue((*row)[i], fields_[i]->Type()));
  }
  modified_.assign(buffer_.size(), false);
  state_ = TDataSetState::dsEdit;
}

void TZylPgDataset::Append() {
  CheckEditable();
  CheckBrowseMode();
  original_.clear();
  buffer_.assign(fields_.size(), TVariant::Null());
  modified_.assign(buffer_.size(), false);
  state_ = TDataSetState::dsInsert;
}

void TZylPgDataset::Post() {
  CheckActive();
  if (!Editing(state_)) throw Exception(Context() + ": not in edit or insert mode");
  const auto& columns = source_->Columns();
  bool inserting = state_ == TDataSetState::dsInsert;
  std::vector<std::size_t> changed;
  for (std::size_t c = 0; c < modified_.size(); ++c) {
    // A new record left empty in a serial or identity key takes the default.
    if (inserting && columns[c].defaultForNull && buffer_[c].IsNull()) continue;
    if (modified_[c]) changed.push_back(c);
  }
  if (!inserting && changed.empty()) {
    Cancel();
    return;
  }

  std::vector<pg::Text> parameters;
  auto parameter = [&](pg::Text value) {
    parameters.push_back(std::move(value));
    std::string ref(1, '$');
    ref += std::to_string(parameters.size());
    return ref;
  };
  std::string sql;
  if (inserting) {
    sql = "INSERT INTO " + source_->From();
    if (changed.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names, values;
      for (std::size_t c : changed) {
        if (!names.empty()) names += ", ", values += ", ";
        names += columns[c].quoted;
        values += parameter(pg::ValueToText(buffer_[c], columns[c].type));
      }
      sql += " (" + names + ") VALUES (" + values + ")";
    }
  } else {
    sql = "UPDATE " + source_->From() + " SET ";
    for (std::size_t i = 0; i < changed.size(); ++i) {
      std::size_t c = changed[i];
      if (i > 0) sql += ", ";
      sql += columns[c].quoted + " = " + parameter(pg::ValueToText(buffer_[c], columns[c].type));
    }
    std::string where;
    for (int k : source_->KeyRaw()) {
      if (!where.empty()) where += " AND ";
      where += columns[static_cast<std::size_t>(k)].quoted + " = " +
               parameter(original_[static_cast<std::size_t>(k)]);
    }
    sql += " WHERE " + where;
  }
  sql += " RETURNING " + source_->SelectList();

  pg::Result result = connection_->Exec(sql, parameters);
  if (result.Rows() == 0) {
    throw Exception(Context() + ": the record was not found; another user may have deleted it");
  }
  pg::Row stored;
  for (int c = 0; c < result.Columns(); ++c) stored.push_back(result.Get(0, c));

  if (inserting) {
    reader_->Invalidate();
  } else {
    reader_->ForgetRows();
  }
  cursor_.SetTo(std::max(0, reader_->PositionOf(stored)));
  state_ = TDataSetState::dsBrowse;
  ResetEdit();
}

void TZylPgDataset::Cancel() {
  if (!Editing(state_)) return;
  state_ = TDataSetState::dsBrowse;
  ResetEdit();
}

void TZylPgDataset::Delete() {
  CheckEditable();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  Cancel();
  if (reader_->Count() == 0) {
    throw Exception(Context() + ": cannot perform this operation on an empty dataset");
  }
  const pg::Row* row = reader_->At(cursor_.Position());
  if (row == nullptr) throw Exception(Context() + ": the current record no longer exists");
  const auto& columns = source_->Columns();
  std::vector<pg::Text> parameters;
  std::string where;
  for (int k : source_->KeyRaw()) {
    if (!where.empty()) where += " AND ";
    parameters.push_back((*row)[static_cast<std::size_t>(k)]);
    where +=
        columns[static_cast<std::size_t>(k)].quoted + " = $" + std::to_string(parameters.size());
  }
  std::int64_t deleted =
      connection_->Command("DELETE FROM " + source_->From() + " WHERE " + where, parameters);
  reader_->Invalidate();
  if (deleted == 0) {
    throw Exception(Context() + ": the record was not found; another user may have deleted it");
  }
  cursor_.Clamp(reader_->Count());
}

}  // namespace zyl
