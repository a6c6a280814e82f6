#include "edit/RowIdentities.h"

#include "datasets/RecordKey.h"
#include "edit/CellFields.h"
#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl::edit {

PostedIdentities::PostedIdentities(TZylHTMLGrid& grid) {
  TZylCSS* css = grid.CSSLink();
  if (css == nullptr) return;
  for (const form::FormField& posted : PostedFields(grid)) {
    int recNo = 0;
    if (!form::ParseRowIdentityField(posted.name, recNo) || rows_.contains(recNo)) continue;
    rows_[recNo] =
        form::VerifyRowIdentity(css->GetSiteSecret(), grid.GetName(), recNo, posted.value);
  }
}

const form::RowIdentity* PostedIdentities::Find(int recNo) const {
  auto found = rows_.find(recNo);
  return found == rows_.end() || !found->second ? nullptr : &*found->second;
}

bool PostedIdentities::CoverCells(TZylHTMLGrid& grid) const {
  const int offset = grid.GetFileName().empty() || !grid.GetShowRowNumber() ? 0 : 1;
  for (const form::FormField& posted : PostedFields(grid)) {
    CellField cell;
    if (!ParseCellField(posted, true, cell) || Find(cell.record) != nullptr) continue;
    bool editable = grid.GetFileName().empty()
                        ? EditableColumnOfField(grid, cell.field) != nullptr
                        : cell.field >= 0 && cell.field + offset < grid.ColumnListCount() &&
                              IsEditable(*grid.GetColumns(cell.field + offset));
    if (editable) return false;
  }
  return true;
}

void RefuseAsStale(TZylHTMLGrid& grid) {
  if (TZylCSS* css = grid.CSSLink()) css->SetErrorText(grid.GetTextUpdateError());
  grid.SetShowErrorBox(true);
}

void ReportChanged(TZylHTMLGrid& grid, const std::string& name, bool deleted) {
  ReportFailure(grid,
                deleted ? " The " + name +
                              " was deleted by another user after this page was "
                              "shown.\\n Nothing was written."
                        : " The " + name +
                              " was changed by another user after this page was "
                              "shown.\\n Nothing was written to it; the page shows its stored "
                              "values now.",
                false);
}

bool LocateUnchanged(TZylHTMLGrid& grid, TDataSet& ds, const form::RowIdentity& identity,
                     int recNo) {
  std::string name = "record " + DescribeKey(identity.key);
  try {
    bool here = false;
    if (recNo >= 0 && recNo < ds.RecordCount()) {
      ds.First();
      here = ds.MoveBy(recNo) == recNo && ds.RecordKey() == identity.key;
    }
    if (!here && !ds.LocateKey(identity.key)) {
      ReportChanged(grid, name, true);
      return false;
    }
    if (form::RecordFingerprint(ds) != identity.fingerprint) {
      ReportChanged(grid, name, false);
      return false;
    }
    return true;
  } catch (const std::exception& e) {  // the dataset could not be read
    ReportFailure(grid, e.what(), false);
    return false;
  }
}

int LocateLine(TZylHTMLGrid& grid, const form::RowIdentity& identity) {
  std::optional<std::vector<TVariant>> key = DecodeValues(identity.key);
  int place = key && key->size() == 1 ? static_cast<int>((*key)[0].ToInt64()) : -1;
  const int rows = grid.GetRowCount();
  int found = -1;
  if (place >= 0 && place < rows && grid.GetRows(place)->GetFingerprint() == identity.fingerprint) {
    found = place;
  } else {
    for (int r = 0; r < rows; ++r) {
      if (grid.GetRows(r)->GetFingerprint() != identity.fingerprint) continue;
      if (found >= 0) {  // the same text twice: which one was meant is unknown
        found = -1;
        break;
      }
      found = r;
    }
  }
  if (found < 0) ReportChanged(grid, "record " + std::to_string(place + 1), false);
  return found;
}

CheckedWrites::CheckedWrites(TDataSet& ds, bool on) : ds_(ds), on_(on) {
  if (on_) ds_.SetCheckedWrites(true);
}

CheckedWrites::~CheckedWrites() {
  if (on_) ds_.SetCheckedWrites(false);
}

}  // namespace zyl::edit
