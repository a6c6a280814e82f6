// Editing a dataset source: posted cell values written into existing
// records, one record appended, the current record deleted. Each operation
// reads the page before and after it writes, so the page that follows shows
// what was stored; the page's update lock is taken before that last read.
// Failures are reported in the page (edit/CellFields.h).
#include <exception>
#include <vector>

#include "data/Paging.h"
#include "edit/CellFields.h"
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
    try {
      TransactionScope transaction(ds);
      int current = -1;
      for (const edit::CellField& cell : cells) {
        if (cell.record != current) {  // each run of a record's cells is one post
          if (Editing(ds)) ds.Post();
          if (cell.record >= records) {
            throw Exception("TZylHTMLGrid '" + GetName() + "': record " +
                            std::to_string(cell.record) + " does not exist");
          }
          ds.First();
          ds.MoveBy(cell.record);
          current = cell.record;
          ds.Edit();
          resetBooleans();
        }
        StoreValue(*ds.GetField(cell.field), cell.value, true);
      }
      if (Editing(ds)) ds.Post();
      transaction.Commit();
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
    try {
      links_.dataset->Delete();
      deleted = true;
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
