// Editing a dataset source: posted cell values written into existing
// records, one record appended, the current record deleted. Each operation
// reads the page before and after it writes, so the page that follows shows
// what was stored. Failures are reported in the page (edit/CellFields.h).
//
// A posted cell finds its record by the row's position, or, with the grid's
// RowIdentity on, by the identity its row posted (edit/RowIdentities.h):
// then only the record named is written, and only while it still holds the
// values the page showed (checked in the statement that writes).
#include <exception>
#include <optional>

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

// The page that holds record `recNo`, counting from 1; page 1 when every
// record is on one page.
int PageOfRecord(int recNo, int rowsPerPage) {
  if (rowsPerPage <= 0) return 1;
  long long position = static_cast<long long>(recNo) + 1;
  return paging::ClampToInt(position / rowsPerPage + (position % rowsPerPage > 0 ? 1 : 0));
}

}  // namespace

bool TZylHTMLGrid::UpdateDatabase() {
  editing_.lastUpdateError.clear();
  ReadValues();
  if (links_.css != nullptr && links_.dataset != nullptr && links_.dataset->GetActive()) {
    TDataSet& ds = *links_.dataset;
    int records = ds.RecordCount();
    const bool identity = editing_.rowIdentity;
    std::optional<edit::PostedIdentities> identities;
    if (identity) identities.emplace(*this);
    if (identity && !identities->CoverCells(*this)) {
      edit::RefuseAsStale(*this);
      ReadValues();
      return true;
    }
    edit::CheckedWrites checked(ds, identity);
    bool located = false;  // with identity: the current record is the named one, unchanged
    // Unticked checkboxes post nothing: before the first cell of each
    // record, every boolean edit control of that record is set false.
    auto resetBooleans = [&] {
      for (TZylColumn* column : columns_) {
        if (column->GetDataType() != TFieldType::ftBoolean || !column->GetVisible() ||
            !edit::IsEditable(*column) || column->GetFieldIndex() < 0) {
          continue;
        }
        try {
          ds.Edit();
          ds.GetField(column->GetFieldIndex())->SetAsBoolean(false);
          ds.Post();
        } catch (const std::exception&) {
          CancelQuietly(ds);
        }
      }
    };
    ds.First();
    int current = 0;
    bool firstRun = true;
    for (const form::FormField& posted : edit::PostedFields(*this)) {
      edit::CellField cell;
      if (!edit::ParseCellField(posted, true, cell)) continue;
      if (edit::EditableColumnOfField(*this, cell.field) == nullptr) continue;
      bool exists = identity ? located : cell.record >= 0 && cell.record < records;
      if (cell.record != current || firstRun) {
        if (identity) {
          exists = located =
              edit::LocateUnchanged(*this, ds, *identities->Find(cell.record), cell.record);
        } else if (cell.record != current && exists) {
          ds.First();
          ds.MoveBy(cell.record);
        }
        current = cell.record;
        if (exists) resetBooleans();
        firstRun = false;
      }
      if (identity && !exists) continue;  // refused and reported once
      try {
        if (!exists) {
          throw Exception("TZylHTMLGrid '" + GetName() + "': record " +
                          std::to_string(cell.record) + " does not exist");
        }
        ds.Edit();
        StoreValue(*ds.GetField(cell.field), cell.value, true);
        ds.Post();
      } catch (const ERecordChanged&) {
        CancelQuietly(ds);
        located = false;
        edit::ReportChanged(*this, "record " + DescribeKey(identities->Find(current)->key), false);
      } catch (const std::exception& e) {
        CancelQuietly(ds);
        edit::ReportFailure(*this, e.what(), false);
      }
    }
  }
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
      for (const form::FormField& posted : edit::PostedFields(*this)) {
        edit::CellField cell;
        if (!edit::ParseCellField(posted, false, cell)) continue;
        if (edit::EditableColumnOfField(*this, cell.field) == nullptr) continue;
        if (!appended) {
          ds.Append();
          appended = true;
        }
        StoreValue(*ds.GetField(cell.field), cell.value, false);
      }
      if (appended) {
        ds.Post();
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
      }
      CleanupEdits();
      result = true;
    } catch (const std::exception& e) {
      // Nothing of a failed append stays: no half record.
      CancelQuietly(ds);
      edit::ReportFailure(*this, e.what(), true);
    }
  }
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
      if (!editing_.rowIdentity) {
        ds.Delete();
        deleted = true;
      } else if (named == nullptr) {
        edit::RefuseAsStale(*this);
      } else if (edit::LocateUnchanged(*this, ds, *named, paging_.recNo)) {
        ds.Delete();
        deleted = true;
      }
    } catch (const ERecordChanged&) {
      CancelQuietly(ds);
      edit::ReportChanged(*this, "record " + DescribeKey(named->key), false);
    } catch (const std::exception& e) {
      CancelQuietly(*links_.dataset);
      edit::ReportFailure(*this, e.what(), false);
    }
  }
  ReadValues();
  CleanupEdits();
  return deleted;
}

}  // namespace zyl
