// Editing a text-file source: posted values written into their records, one
// record appended, the current record deleted. Each operation works on the
// whole file inside a WholeFileFrame and then reads the visitor's page
// again. Failures of posted values are reported in the page
// (edit/CellFields.h); errors of reading or writing the file pass on.
//
// With the grid's RowIdentity on, a posted row names its line by its place
// and the digest of its text (edit/RowIdentities.h): the edit reaches that
// line, wherever it is now, or nothing when it changed. The check runs
// inside the frame, under the file's lock.
#include <exception>
#include <optional>

#include "data/Paging.h"
#include "datasets/FieldType.h"
#include "edit/CellFields.h"
#include "edit/RowIdentities.h"
#include "edit/WholeFileFrame.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Variant.h"

namespace zyl {

namespace {

const std::string& FalseText() {
  static const std::string text = TVariant(false).ToString();
  return text;
}

// The page that holds record `recNo`, counting from 1, with the page size
// the next read will use.
int PageOfRecord(int recNo, int rowsPerPage, int records, int maxRows) {
  int size = paging::PageSize(rowsPerPage, records, maxRows);
  if (size <= 0) return 1;
  long long position = static_cast<long long>(recNo) + 1;
  return paging::ClampToInt(position / size + (position % size > 0 ? 1 : 0));
}

// Sets the cell at (row, col) from a posted value. A ticked checkbox ("on")
// makes a boolean cell true with the text a true value converts to; an
// empty number or date leaves the field empty; other values go through
// PopulateCell, whose conversion errors pass on.
void SetPostedValue(TZylHTMLGrid& grid, int row, int col, const std::string& value) {
  TZylField* cell = grid.GetCells(row, col);
  if (grid.GetColumns(col)->GetDataType() == TFieldType::ftBoolean && edit::IsTicked(value)) {
    TVariant ticked(true);
    cell->SetVariantValue(ticked);
    cell->SetBooleanValue(true);
    cell->SetValue(ticked.ToString());
    return;
  }
  TFieldType type = grid.GetColumns(col)->GetDataType();
  if (value.empty() && (IsNumberType(type) || IsDateType(type))) {
    // An emptied number or date is an empty field, as a dataset stores Null.
    cell->SetVariantValue(TVariant::Null());
    cell->SetValue("");
    return;
  }
  grid.PopulateCell(row, col, value);
}

}  // namespace

bool TZylHTMLGrid::UpdateTextFile() {
  editing_.lastUpdateError.clear();
  {
    edit::WholeFileFrame frame(*this);
    const form::FormFields& posted = edit::PostedFields(*this);
    const int offset = look_.showRowNumber ? 1 : 0;
    const int rows = GetRowCount();
    const int cols = GetColCount();
    // Unticked checkboxes post nothing: before the first cell of a row,
    // every boolean edit control that the page showed in it turns false.
    auto resetBooleans = [&](int row) {
      if (row < 0 || row >= rows) return;
      for (int c = 0; c < cols; ++c) {
        TZylColumn* column = columns_.Get(c);
        if (column->GetDataType() != TFieldType::ftBoolean || !edit::IsEditable(*column) ||
            !frame.WasVisible(c)) {
          continue;
        }
        TZylField* cell = GetCells(row, c);
        cell->SetVariantValue(TVariant(false));
        cell->SetBooleanValue(false);
        cell->SetValue(FalseText());
      }
    };
    const bool identity = editing_.rowIdentity;
    std::optional<edit::PostedIdentities> identities;
    if (identity) identities.emplace(*this);
    const bool forged = identity && !identities->CoverCells(*this);
    if (forged) edit::RefuseAsStale(*this);
    bool changed = false;
    int current = 0;
    int target = 0;  // the row of the file the current record's cells go to
    bool firstRun = true;
    for (const form::FormField& field : posted) {
      if (forged) break;
      edit::CellField cell;
      if (!edit::ParseCellField(field, true, cell)) continue;
      long long col = static_cast<long long>(cell.field) + offset;
      if (cell.field < 0 || col >= cols ||
          !edit::IsEditable(*columns_.Get(static_cast<int>(col)))) {
        continue;
      }
      if (cell.record != current || firstRun) {
        current = cell.record;
        target = identity ? edit::LocateLine(*this, *identities->Find(current)) : current;
        resetBooleans(target);
        firstRun = false;
      }
      if (identity && target < 0) continue;  // refused and reported once
      try {
        SetPostedValue(*this, target, static_cast<int>(col), cell.value);
      } catch (const std::exception& e) {
        edit::ReportFailure(*this, e.what(), false);
      }
      changed = true;
    }
    if (changed) frame.Write();
  }
  TakeUpdateLock();
  SetFileName(links_.fileName);
  return true;
}

bool TZylHTMLGrid::AddTextRecord() {
  editing_.lastUpdateError.clear();
  int newRow = -1;
  int records = 0;
  bool failed = false;
  {
    edit::WholeFileFrame frame(*this);
    const form::FormFields& posted = edit::PostedFields(*this);
    const int offset = look_.showRowNumber ? 1 : 0;
    try {
      for (const form::FormField& field : posted) {
        edit::CellField cell;
        if (!edit::ParseCellField(field, false, cell)) continue;
        long long col = static_cast<long long>(cell.field) + offset;
        if (cell.field < 0 || col >= GetColCount() ||
            !edit::IsEditable(*columns_.Get(static_cast<int>(col)))) {
          continue;
        }
        if (newRow < 0) {
          AddRow();
          newRow = GetRowCount() - 1;
        }
        SetPostedValue(*this, newRow, static_cast<int>(col), cell.value);
      }
    } catch (const std::exception& e) {
      // Nothing of a failed append stays: the file keeps its content, and
      // the visitor stays on the page that showed the new-record row.
      if (newRow >= 0) DeleteRow(newRow);
      failed = true;
      edit::ReportFailure(*this, e.what(), true);
    }
    if (!failed && newRow >= 0) frame.Write();
    records = GetRowCount();
    frame.Restore();
    if (!failed) {
      paging_.recNo = newRow >= 0 ? newRow : 0;
      SetPage(PageOfRecord(paging_.recNo, paging_.rowsPerPage, records, paging_.maxRows));
    }
  }
  TakeUpdateLock();
  SetFileName(links_.fileName);
  return true;
}

bool TZylHTMLGrid::DeleteTextRecord() {
  {
    edit::WholeFileFrame frame(*this);
    bool deleted = false;
    int target = frame.RecNo();
    if (editing_.rowIdentity) {
      edit::PostedIdentities identities(*this);
      const form::RowIdentity* named = identities.Find(target);
      if (named == nullptr) edit::RefuseAsStale(*this);
      target = named == nullptr ? -1 : edit::LocateLine(*this, *named);
    }
    if (target >= 0 && target < GetRowCount()) {
      DeleteRow(target);
      frame.Write();
      deleted = true;
    }
    frame.Restore();
    int last = GetRowCount() - 1;
    if (paging_.recNo > last) {
      paging_.recNo = last;
      SetPage(PageOfRecord(paging_.recNo, paging_.rowsPerPage, GetRowCount(), paging_.maxRows));
    }
    // The records after the deleted one moved up: pages produced before
    // would now address the wrong records, so their locks go.
    if (deleted) CleanupEdits();
  }
  TakeUpdateLock();
  SetFileName(links_.fileName);
  return true;
}

}  // namespace zyl
