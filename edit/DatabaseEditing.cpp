// Editing a dataset source: posted cell values written into existing
// records, one record appended, the current record deleted. Each operation
// reads the page before and after it writes, so the page that follows shows
// what was stored; the page's update lock is taken before that last read.
// Failures are reported in the page (edit/CellFields.h).
//
// A posted cell finds its record by the row's position, or, with the grid's
// RowIdentity on, by the identity its row posted (edit/RowIdentities.h):
// then only the record named is written, and only while it still holds the
// values the page showed (checked in the statement that writes).
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "data/Paging.h"
#include "datasets/RecordKey.h"
#include "edit/CellFields.h"
#include "edit/RowIdentities.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl {

namespace {

bool Editing(const TDataSet& ds) {
  return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}

// Drops an edit or append in progress; a dataset that refuses even that is
// left as it is (the next read or move settles it).
void CancelQuietly(TDataSet& ds) {
  try {
    if (Editing(ds)) ds.Cancel();
  } catch (const std::exception&) {
  }
}

// Writes one posted value into `field` of the record being edited or
// appended: a boolean takes the checkbox rule, other fields the text.
void StoreValue(TField& field, const std::string& value, bool emptyIsNull) {
  if (field.DataType() == TFieldType::ftBoolean) {
    field.SetAsBoolean(edit::IsTicked(value));
  } else if (emptyIsNull && value.empty()) {
    field.Clear();
  } else {
    field.SetAsString(value);
  }
}

using Values = std::vector<std::optional<std::string>>;

// The current record's values as text, by field (nullopt: null).
Values RecordValues(const TDataSet& ds) {
  Values values;
  for (int i = 0; i < ds.FieldCount(); ++i) {
    const TField* field = ds.GetField(i);
    values.push_back(field->IsNull() ? std::nullopt
                                     : std::optional<std::string>(field->AsString()));
  }
  return values;
}

// The current record as a reader tells it: its key, else its page row.
std::string RecordName(const TDataSet& ds, int recNo) {
  std::string key = ds.RecordKey();
  return key.empty() ? "row " + std::to_string(recNo + 1) : DescribeKey(key);
}

// The change from `before` to `after` (an add has no values before, a
// delete none after): the fields whose value differs.
TRecordChange MakeChange(TRecordChangeKind kind, const TDataSet& ds, std::string record,
                         const Values& before, const Values& after) {
  TRecordChange change{kind, std::move(record), {}};
  for (int i = 0; i < ds.FieldCount(); ++i) {
    auto at = [i](const Values& v) { return i < static_cast<int>(v.size()) ? v[i] : std::nullopt; };
    if (kind == TRecordChangeKind::rcUpdate && at(before) == at(after)) continue;
    change.fields.push_back({ds.GetField(i)->FieldName(), at(before), at(after)});
  }
  return change;
}

// Thrown out of an update's transaction when a record it names was refused
// (already reported): the transaction then stores nothing.
struct RecordRefused {};

// The page that holds record `recNo`, counting from 1; page 1 when every
// record is on one page.
int PageOfRecord(int recNo, int rowsPerPage) {
  if (rowsPerPage <= 0) return 1;
  long long position = static_cast<long long>(recNo) + 1;
  return paging::ClampToInt(position / rowsPerPage + (position % rowsPerPage > 0 ? 1 : 0));
}

}  // namespace

// Only cells of the page's rows are taken (edit::PageCells), and all of
// them are stored in one transaction: a post is stored whole or, when one
// of its cells fails, not at all (the error box tells why).
bool TZylHTMLGrid::UpdateDatabase() {
  editing_.lastUpdateError.clear();
  ReadValues();
  std::vector<edit::CellField> cells;
  if (links_.css != nullptr && links_.dataset != nullptr && links_.dataset->GetActive()) {
    cells = edit::PageCells(*this);
  }
  if (!cells.empty()) {
    TDataSet& ds = *links_.dataset;
    int records = ds.RecordCount();
    const bool identity = editing_.rowIdentity;
    std::optional<edit::PostedIdentities> identities;
    if (identity) identities.emplace(*this);
    if (identity && !identities->CoverCells(*this)) {
      edit::RefuseAsStale(*this);
      TakeUpdateLock();
      ReadValues();
      return true;
    }
    // Unticked checkboxes post nothing: before the first cell of each
    // record, every boolean edit control of that record is set false (a
    // field that cannot take it keeps its value).
    auto resetBooleans = [&] {
      for (TZylColumn* column : columns_) {
        if (column->GetDataType() != TFieldType::ftBoolean || !column->GetVisible() ||
            !edit::IsEditable(*column) || column->GetFieldIndex() < 0) {
          continue;
        }
        try {
          ds.GetField(column->GetFieldIndex())->SetAsBoolean(false);
        } catch (const std::exception&) {
        }
      }
    };
    int current = -1;
    std::vector<TRecordChange> changes;
    std::string name;
    Values before;
    auto post = [&] {
      if (!Editing(ds)) return;
      ds.Post();
      changes.push_back(
          MakeChange(TRecordChangeKind::rcUpdate, ds, name, before, RecordValues(ds)));
      if (changes.back().fields.empty()) changes.pop_back();
    };
    try {
      edit::CheckedWrites checked(ds, identity);
      TransactionScope transaction(ds);
      for (const edit::CellField& cell : cells) {
        if (cell.record != current) {  // each run of a record's cells is one post
          post();
          current = cell.record;
          if (identity) {
            // A record changed or gone since the page was shown: reported,
            // and nothing of the post is stored.
            if (!edit::LocateUnchanged(*this, ds, *identities->Find(cell.record), cell.record)) {
              throw RecordRefused{};
            }
          } else {
            if (cell.record >= records) {
              throw Exception("TZylHTMLGrid '" + GetName() + "': record " +
                              std::to_string(cell.record) + " does not exist");
            }
            ds.First();
            ds.MoveBy(cell.record);
          }
          name = RecordName(ds, cell.record);
          before = RecordValues(ds);
          ds.Edit();
          resetBooleans();
        }
        StoreValue(*ds.GetField(cell.field), cell.value, true);
      }
      post();
      transaction.Commit();
      if (OnAfterStoreRecord) {
        for (const TRecordChange& change : changes) OnAfterStoreRecord(this, change);
      }
    } catch (const RecordRefused&) {
      CancelQuietly(ds);
    } catch (const ERecordChanged&) {
      CancelQuietly(ds);
      edit::ReportChanged(*this, "record " + DescribeKey(identities->Find(current)->key), false);
    } catch (const std::exception& e) {
      CancelQuietly(ds);
      edit::ReportFailure(*this, e.what(), false);
    }
  }
  TakeUpdateLock();
  ReadValues();
  return true;
}

bool TZylHTMLGrid::AddDBRecord() {
  editing_.lastUpdateError.clear();
  ReadValues();
  bool result = false;
  if (links_.css != nullptr && links_.dataset != nullptr && links_.dataset->GetActive()) {
    TDataSet& ds = *links_.dataset;
    try {
      bool appended = false;
      for (const edit::CellField& cell : edit::AddedCells(*this)) {
        if (!appended) {
          ds.Append();
          appended = true;
        }
        StoreValue(*ds.GetField(cell.field), cell.value, false);
      }
      if (appended) {
        ds.Post();
        if (OnAfterStoreRecord) {
          OnAfterStoreRecord(this, MakeChange(TRecordChangeKind::rcAdd, ds, RecordName(ds, -1), {},
                                              RecordValues(ds)));
        }
        // A value new to a drop-down list joins its choices.
        for (TZylColumn* column : columns_) {
          if (column->GetFieldIndex() < 0 || column->PickList().Empty()) continue;
          std::string text = ds.GetField(column->GetFieldIndex())->AsString();
          if (column->ValueList().IndexOf(text) < 0) {
            column->PickList().Add(text);
            column->ValueList().Add(text);
          }
        }
        if (links_.masterGrid != nullptr) {
          paging_.rowsPerPage = paging_.maxRows;
          if (links_.masterGrid->GetDataset() != nullptr)
            links_.masterGrid->SetRecNo(links_.masterGrid->GetRecNo());
          paging_.recNo = 0;
        } else {
          paging_.recNo = GetSlowRecNo();
          SetPage(PageOfRecord(paging_.recNo, paging_.rowsPerPage));
        }
        // Again after the record is stored: a page that took its lock after
        // the claim read the positions from before.
        CleanupEdits();
      }
      result = true;
    } catch (const std::exception& e) {
      // Nothing of a failed append stays: no half record.
      CancelQuietly(ds);
      edit::ReportFailure(*this, e.what(), true);
    }
  }
  TakeUpdateLock();
  ReadValues();
  return result;
}

bool TZylHTMLGrid::DeleteDBRecord() {
  editing_.lastUpdateError.clear();
  ReadValues();  // leaves the cursor on the current record
  bool deleted = false;
  if (links_.dataset != nullptr && links_.dataset->GetActive() && paging_.recNo >= 0) {
    TDataSet& ds = *links_.dataset;
    const form::RowIdentity* named = nullptr;
    std::optional<edit::PostedIdentities> identities;
    if (editing_.rowIdentity) named = identities.emplace(*this).Find(paging_.recNo);
    try {
      edit::CheckedWrites checked(ds, editing_.rowIdentity);
      auto erase = [&] {
        std::string name = RecordName(ds, paging_.recNo);
        Values before = RecordValues(ds);
        ds.Delete();
        deleted = true;
        if (OnAfterStoreRecord)
          OnAfterStoreRecord(this, MakeChange(TRecordChangeKind::rcDelete, ds, name, before, {}));
      };
      if (!editing_.rowIdentity) {
        erase();
      } else if (named == nullptr) {
        edit::RefuseAsStale(*this);
      } else if (edit::LocateUnchanged(*this, ds, *named, paging_.recNo)) {
        erase();
      }
    } catch (const ERecordChanged&) {
      CancelQuietly(ds);
      edit::ReportChanged(*this, "record " + DescribeKey(named->key), false);
    } catch (const std::exception& e) {
      CancelQuietly(*links_.dataset);
      edit::ReportFailure(*this, e.what(), false);
    }
  }
  // Every lock goes again after the delete (a page that took its lock
  // after the claim read the positions from before); then this page's.
  CleanupEdits();
  TakeUpdateLock();
  ReadValues();
  return deleted;
}

}  // namespace zyl
