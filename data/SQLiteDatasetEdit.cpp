// TZylSQLiteDataset: editing. Values are only ever bound as parameters; the
// record is addressed by its rowid or primary key as it was read, and after a
// post the cursor moves to the stored record's place in the order.
#include <algorithm>

#include "data/SQLiteConnection.h"
#include "data/SQLiteDataset.h"
#include "data/SQLiteField.h"
#include "data/SQLiteReader.h"
#include "data/SQLiteSource.h"

namespace zyl {

namespace {

bool Editing(TDataSetState state) {
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

}  // namespace

void TZylSQLiteDataset::CheckEditable() const {
  CheckActive();
  if (source_->IsQuery()) throw Exception(Context() + ": a query is read-only");
  if (!source_->Editable()) {
    throw Exception(Context() + ": read-only, the records have no rowid or primary key");
  }
}

void TZylSQLiteDataset::CheckWritable(int index) const {
  if (!active_ || !Editing(state_)) {
    throw Exception(Context() + ": not in edit or insert mode");
  }
  const TField* field = fields_[static_cast<std::size_t>(index)].get();
  if (field->ReadOnly()) throw Exception("Field '" + field->FieldName() + "' cannot be modified");
}

void TZylSQLiteDataset::SetFieldStored(int index, const TVariant& stored) {
  buffer_[static_cast<std::size_t>(index)] = stored;
  modified_[static_cast<std::size_t>(index)] = true;
}

void TZylSQLiteDataset::CheckBrowseMode() {
  if (!Editing(state_)) return;
  if (std::find(modified_.begin(), modified_.end(), true) != modified_.end()) {
    Post();
  } else {
    Cancel();
  }
}

void TZylSQLiteDataset::Edit() {
  CheckEditable();
  if (Editing(state_)) return;
  if (reader_->Count() == 0) {
    throw Exception(Context() + ": cannot edit, the dataset is empty");
  }
  const sqlite::Row* row = reader_->At(cursor_.Position());
  if (row == nullptr) throw Exception(Context() + ": the current record no longer exists");
  original_ = *row;
  buffer_ = *row;
  modified_.assign(buffer_.size(), false);
  state_ = TDataSetState::dsEdit;
}

void TZylSQLiteDataset::Append() {
  CheckEditable();
  CheckBrowseMode();
  original_.clear();
  buffer_.assign(static_cast<std::size_t>(source_->RawWidth()), TVariant::Null());
  modified_.assign(buffer_.size(), false);
  state_ = TDataSetState::dsInsert;
}

std::string TZylSQLiteDataset::KeyWhere(int firstParameter) const {
  std::string where;
  const auto& keys = source_->KeyExpr();
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (k > 0) where += " AND ";
    where += keys[k];
    where += " = ";
    where += sqlite::Parameter(static_cast<std::size_t>(firstParameter) + k);
  }
  return where;
}

void TZylSQLiteDataset::Post() {
  CheckActive();
  if (!Editing(state_)) throw Exception(Context() + ": not in edit or insert mode");
  const auto& columns = source_->Columns();
  std::vector<int> changed;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (modified_[c]) changed.push_back(static_cast<int>(c));
  }
  bool inserting = state_ == TDataSetState::dsInsert;
  if (!inserting && changed.empty()) {
    Cancel();
    return;
  }

  std::string sql;
  int parameter = 1;
  if (inserting) {
    sql = "INSERT INTO " + source_->From();
    if (changed.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names, values;
      for (int c : changed) {
        if (!names.empty()) names += ", ", values += ", ";
        names += columns[static_cast<std::size_t>(c)].expr;
        values += sqlite::Parameter(static_cast<std::size_t>(parameter++));
      }
      sql += " (" + names + ") VALUES (" + values + ")";
    }
  } else {
    sql = "UPDATE " + source_->From() + " SET ";
    for (int c : changed) {
      if (parameter > 1) sql += ", ";
      sql += columns[static_cast<std::size_t>(c)].expr;
      sql += " = ";
      sql += sqlite::Parameter(static_cast<std::size_t>(parameter++));
    }
    sql += " WHERE " + KeyWhere(parameter);
  }
  sql += " RETURNING " + source_->SelectList();

  sqlite::Statement statement(*connection_, sql);
  int bound = 1;
  for (int c : changed) statement.Bind(bound++, buffer_[static_cast<std::size_t>(c)]);
  if (!inserting) {
    for (int raw : source_->KeyRaw())
      statement.Bind(bound++, original_[static_cast<std::size_t>(raw)]);
  }
  sqlite::Row stored;
  {
    sqlite::ResetGuard guard(statement);
    while (statement.Step()) {
      if (!stored.empty()) continue;
      stored.resize(static_cast<std::size_t>(source_->RawWidth()));
      for (int i = 0; i < source_->RawWidth(); ++i)
        stored[static_cast<std::size_t>(i)] = statement.Column(i);
    }
  }
  if (stored.empty()) {
    throw Exception(Context() + ": the record was not found; another user may have deleted it");
  }

  // An update keeps the count; the record may have moved in the order.
  if (inserting) {
    reader_->Invalidate();
  } else {
    reader_->ForgetRows();
  }
  cursor_.SetTo(reader_->PositionOf(stored));
  state_ = TDataSetState::dsBrowse;
  buffer_.clear();
  modified_.clear();
  original_.clear();
}

void TZylSQLiteDataset::Cancel() {
  if (!Editing(state_)) return;
  state_ = TDataSetState::dsBrowse;
  buffer_.clear();
  modified_.clear();
  original_.clear();
}

void TZylSQLiteDataset::Delete() {
  CheckEditable();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  Cancel();
  if (reader_->Count() == 0) {
    throw Exception(Context() + ": cannot perform this operation on an empty dataset");
  }
  const sqlite::Row* row = reader_->At(cursor_.Position());
  if (row == nullptr) throw Exception(Context() + ": the current record no longer exists");
  sqlite::Statement statement(*connection_,
                              "DELETE FROM " + source_->From() + " WHERE " + KeyWhere(1));
  int bound = 1;
  for (int raw : source_->KeyRaw()) statement.Bind(bound++, (*row)[static_cast<std::size_t>(raw)]);
  {
    sqlite::ResetGuard guard(statement);
    statement.Step();
  }
  if (connection_->Changes() == 0) {
    reader_->Invalidate();
    throw Exception(Context() + ": the record was not found; another user may have deleted it");
  }
  reader_->Invalidate();
  cursor_.Clamp(reader_->Count());
}

}  // namespace zyl
