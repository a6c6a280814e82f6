// Reading one page of the bound dataset into the grid's rows and cells,
// turning field values into cell text and typed values, re-applying the
// column-wide settings after a read, and the slow record number.
#include <exception>
#include <vector>

#include "data/CellValues.h"
#include "data/DatasetSort.h"
#include "data/Paging.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/ScopeExit.h"
#include "request/RowIdentity.h"

namespace zyl {

namespace {

// A date or date-time of day 0 (a time only) shows as its time.
bool ShowsTimeOnly(TFieldType type, double value) {
  return (type == TFieldType::ftDate || type == TFieldType::ftDateTime) && DatePart(value) == 0;
}

}  // namespace

// One read of the page: the count, the columns bound to the fields, the
// page's rows. A failing field or record ends it (reading_.readError).
void TZylHTMLGrid::ReadPage(TDataSet& ds) {
  SetRowCount(0);
  reading_.readError.clear();
  try {
    ApplyRowFilter(ds);
  } catch (const std::exception& e) {
    reading_.readError = e.what();
  }
  paging_.totalRowCount = ds.RecordCount();
  paging_.countEstimated = ds.RecordCountEstimated();
  paging_.rowsPerPage =
      paging::PageSize(paging_.rowsPerPage, paging_.totalRowCount, paging_.maxRows);
  paging_.page = paging::PullBackPage(paging_.page, paging_.rowsPerPage, paging_.totalRowCount);
  long long first = paging::FirstRecordOfPage(paging_.page, paging_.rowsPerPage);

  // A failing field or record ends the reading; the rows read whole so far
  // stay, a row the failure cut short goes, and the page says it is incomplete.
  bool rowComplete = true;
  try {
    BindColumns(ds);
    // With global sorting the dataset takes the sort column's key before
    // the rows are read, so the page comes in that order at once (unless
    // a dataset sort under way has handed the key over already).
    int sortColumn = GetSortColumn();
    if (paging_.globalSorting && sortColumn >= 0 && !reading_.readingDataset) {
      TZylColumn* column = columns_.Get(sortColumn);
      try {
        ApplyDatasetSortKey(ds, DatasetSortKey(column->GetFieldName(), column->GetSortOrder()));
      } catch (const std::exception&) {
        // A key the dataset refuses leaves its order as it was.
      }
    }
    // Only a grid that edits signs its rows' identities (Page.cpp), so only
    // it keys and fingerprints the rows it reads.
    const bool keyRows = editing_.rowIdentity && GetEditMode();
    ds.First();
    if (paging_.page > 1) ds.MoveBy(paging::ClampToInt(first));
    for (int i = 0; i < paging_.rowsPerPage && !ds.Eof(); ++i) {
      rowComplete = false;
      TZylRow* row = InternalAddRow();
      row->SetRecNo(paging::ClampToInt(first + i));
      PopulateRow(row->GetRowNo());
      if (keyRows) row->SetIdentity(ds.RecordKey(), form::RecordFingerprint(ds));
      rowComplete = true;
      ds.Next();
    }
  } catch (const std::exception& e) {
    if (!rowComplete && rows_.Count() > 0) DeleteRow(rows_.Count() - 1);
    reading_.readError = e.what();
    if (reading_.readError.empty()) reading_.readError = "the data could not be read";
  }
}

void TZylHTMLGrid::BindColumns(TDataSet& ds) {
  // The fields that get a column: the first MaxCols fields, less blobs
  // and memos unless they are shown. Column j is bound to the j-th of
  // them, so a column object keeps its place (and its sort order, width
  // or visibility) from read to read, and the only columns ever deleted
  // are surplus ones at the end.
  std::vector<int> shown;
  int fieldCount = ds.FieldCount();
  for (int i = 0; i < fieldCount && i < paging_.maxCols; ++i) {
    TFieldType type = ds.GetField(i)->DataType();
    if ((type == TFieldType::ftBlob && !look_.showBlobs) ||
        (type == TFieldType::ftMemo && !look_.showMemos)) {
      continue;
    }
    shown.push_back(i);
  }
  SetColCount(static_cast<int>(shown.size()));
  for (int j = 0; j < static_cast<int>(shown.size()); ++j) {
    TField* field = ds.GetField(shown[static_cast<std::size_t>(j)]);
    TZylColumn* column = columns_.Get(j);
    column->StoreFieldName(field->FieldName());
    column->SetReadOnly(field->ReadOnly());
    column->SetDataType(field->DataType());
    column->SetDataSize(field->DataSize());
    column->SetCaption(field->DisplayName());
    column->StoreColNo(j);
    column->SetFieldIndex(shown[static_cast<std::size_t>(j)]);
  }
}

void TZylHTMLGrid::ReadValues() {
  if (links_.dataset == nullptr || !links_.dataset->GetActive()) return;
  if (OnBeforeReadData) OnBeforeReadData(this);
  if (links_.dataset == nullptr || !links_.dataset->GetActive()) return;
  TDataSet& ds = *links_.dataset;

  // A delete committed by another program between the count and the read
  // leaves fewer records than counted (the dataset's Eof comes early, and
  // its next count asks again): the page is read once more with the new
  // count, so it is never shown past its last record or short of records.
  WithoutNumberColumn([&] {
    for (int pass = 1;; ++pass) {
      ReadPage(ds);
      bool shrank = false;
      try {
        shrank = pass < 3 && reading_.readError.empty() && ds.RecordCount() < paging_.totalRowCount;
      } catch (const std::exception&) {
        // The count cannot be asked again: the page stays as read.
      }
      if (!shrank) break;
    }
  });
  int recNo = paging::ClampRecNoToPage(paging_.recNo, paging_.page, paging_.rowsPerPage);
  paging_.recNo = recNo;
  if (recNo != -1) SetRecNo(recNo);
  if (OnAfterReadData) OnAfterReadData(this);
}

// The columns only: no rows stay, and no record or count is read.
void TZylHTMLGrid::ReadColumns() {
  if (links_.dataset == nullptr || !links_.dataset->GetActive()) return;
  WithoutNumberColumn([&] {
    SetRowCount(0);
    try {
      BindColumns(*links_.dataset);
    } catch (const std::exception&) {
      // The page's read meets the failure again and reports it.
    }
  });
}

void TZylHTMLGrid::WithoutNumberColumn(const std::function<void()>& read) {
  bool numbers = look_.showRowNumber;
  TSortOrder numberOrder = columns_.Empty() ? TSortOrder::soNone : columns_.Get(0)->GetSortOrder();
  if (numbers) SetShowRowNumber(false);
  read();
  if (numbers) {
    SetShowRowNumber(true);
    if (numberOrder != TSortOrder::soNone && !columns_.Empty()) {
      columns_.Get(0)->StoreSortOrder(numberOrder);
    }
  }
  auto reading = ValueForScope(reading_.readingDataset, true);
  ApplySettings();
}

void TZylHTMLGrid::PopulateRow(int aRow) {
  if (links_.dataset == nullptr) return;
  int cols = GetColCount();
  TFieldCell read;
  for (int c = 0; c < cols; ++c) {
    TZylColumn* column = columns_.Get(c);
    TField* field = links_.dataset->GetField(column->GetFieldIndex());
    TZylField* cell = GetCells(aRow, c);
    TFieldType type = column->GetDataType();
    // A date column in edit mode shows the grid's own format, not the
    // dataset's text.
    const bool editDate = IsDateType(type) && column->GetEditMode();
    field->ReadCell(type, !editDate, read);
    const bool empty = read.value.IsNullOrEmpty();
    cell->SetVariantValue(std::move(read.value));
    if (empty) {
      cell->SetValue("");
      continue;
    }
    if (IsNumberType(type)) {
      cell->SetNumericValue(read.number);
    } else if (IsDateType(type)) {
      cell->SetDateValue(read.date);
      if (type == TFieldType::ftDate && editDate) {
        read.text = FormatDateTime(look_.dateFormat, read.date);
      } else if (type == TFieldType::ftTime && editDate) {
        read.text = FormatDateTime(look_.timeFormat, read.date);
      } else if (editDate) {
        read.text = FormatDateTime(look_.dateTimeFormat, read.date);
      }
      if (ShowsTimeOnly(type, read.date)) read.text = FormatDateTime(look_.timeFormat, read.date);
    } else if (type == TFieldType::ftBoolean) {
      cell->SetBooleanValue(read.flag);
    } else if (type == TFieldType::ftLargeint) {
      // Large integers show as text like the other codes above 16, but keep
      // their number so that sum and average rows count them.
      cell->SetNumericValue(read.number);
    }
    cell->SetValue(std::move(read.text));
  }
}

void TZylHTMLGrid::PopulateCell(int aRow, int aCol, const std::string& value) {
  TZylField* cell = GetCells(aRow, aCol);
  const TZylColumn* column = columns_.Get(aCol);
  TFieldType type = column->GetDataType();
  // Every conversion happens before the cell changes, so a failure (passed
  // to the caller) leaves the cell as it was.
  if (IsNumberType(type)) {
    double number = StrToFloat(value);
    cell->SetVariantValue(TVariant(value));
    cell->SetNumericValue(number);
    cell->SetValue(value);
  } else if (IsDateType(type)) {
    const std::string& pattern = DatePatternFor(*this, type);
    TDateTime date = 0;
    if (!TryParseCellDate(*this, type, value, date)) date = StrToDateTime(value);  // its error
    cell->SetVariantValue(TVariant(value));
    cell->SetDateValue(date);
    cell->SetValue(column->GetEditMode() ? FormatDateTime(pattern, date) : value);
    if (ShowsTimeOnly(type, date)) cell->SetValue(FormatDateTime(look_.timeFormat, date));
  } else if (type == TFieldType::ftBoolean) {
    TVariant variant(value);
    bool flag = variant.ToBoolean();
    cell->SetVariantValue(variant);
    cell->SetBooleanValue(flag);
    cell->SetValue(variant.ToString());
  } else {
    double number = 0;
    if (type == TFieldType::ftLargeint && TryStrToFloat(value, number)) {
      cell->SetNumericValue(number);
    }
    cell->SetVariantValue(TVariant(value));
    cell->SetValue(value);
  }
}

void TZylHTMLGrid::ApplySettings() {
  // Columns added since the settings were last made pick them up.
  SetShowGlyphs(look_.showGlyphs);
  SetShowSelectors(look_.showSelectors);
  SetShowBlobs(look_.showBlobs);
  SetShowMemos(look_.showMemos);
  int cols = GetColCount();
  for (int c = 0; c < paging_.fixedCols && c < cols; ++c) columns_.Get(c)->SetSelectable(false);
  int sortColumn = GetSortColumn();
  if (sortColumn >= 0) {
    TZylColumn* column = columns_.Get(sortColumn);
    column->SetSortOrder(column->GetSortOrder());
  }
  if (paging_.doMadeSum) {
    CalcSum();
  } else if (paging_.doMadeSA) {
    CalcSA();
  } else if (editing_.addingRecord) {
    AddNew();
  }
  cols = GetColCount();
  for (int c = 0; c < cols; ++c) {
    TZylColumn* column = columns_.Get(c);
    if (column->GetDataType() != TFieldType::ftBoolean) continue;
    column->SetHAlign(HAlignment::alCenter);
    column->SetVAlign(VAlignment::alMiddle);
  }
}

int TZylHTMLGrid::GetSlowRecNo() {
  if (links_.dataset == nullptr || !links_.dataset->GetActive()) return -1;
  // Bounded, so that a dataset whose beginning flag never rises cannot
  // keep the loop going.
  long long limit = static_cast<long long>(links_.dataset->RecordCount()) + 1;
  int k = -1;
  while (!links_.dataset->Bof() && k < limit) {
    links_.dataset->Prior();
    ++k;
  }
  if (k > 0) links_.dataset->MoveBy(k);
  return k;
}

}  // namespace zyl
