// Structure editing: adding, inserting and deleting columns and rows,
// resizing, moving single rows and columns, and the row-number column.
// Every operation keeps the invariants: the column list, the row list and
// the matrix's row lists agree in length; every row list holds one cell
// per column; column i has ColNo i and row i has RowNo i.
#include "grid/ZylHTMLGrid.h"

#include <charconv>

namespace zyl {

int TZylHTMLGrid::GetRowCount() {
  paging_.storedRowCount = rows_.Count();
  return paging_.storedRowCount;
}

int TZylHTMLGrid::GetColCount() {
  paging_.storedColCount = columns_.Count();
  return paging_.storedColCount;
}

TZylColumn* TZylHTMLGrid::AddCol() {
  auto owned = std::make_unique<TZylColumn>(this);
  TZylColumn* column = owned.get();
  columns_.Add(std::move(owned));
  column->StoreColNo(columns_.Count() - 1);
  column->SetShowSelector(look_.showSelectors);
  column->SetShowGlyph(look_.showGlyphs);
  for (int r = 0; r < paging_.storedRowCount && r < matrix_->RowListCount(); ++r) {
    matrix_->RowList(r).Add(std::make_unique<TZylField>(this));
  }
  paging_.storedColCount = columns_.Count();
  return column;
}

TZylColumn* TZylHTMLGrid::InsertCol(int index) {
  if (index < 0 || index > columns_.Count()) throw EListError::OutOfBounds(index);
  auto owned = std::make_unique<TZylColumn>(this);
  TZylColumn* column = owned.get();
  columns_.Insert(index, std::move(owned));
  column->StoreColNo(index);
  column->SetFieldIndex(index);
  column->SetShowSelector(look_.showSelectors);
  column->SetShowGlyph(look_.showGlyphs);
  for (int r = 0; r < paging_.storedRowCount && r < matrix_->RowListCount(); ++r) {
    matrix_->RowList(r).Insert(index, std::make_unique<TZylField>(this));
  }
  for (int c = index + 1; c < columns_.Count(); ++c) {
    TZylColumn* next = columns_.Get(c);
    next->StoreColNo(next->GetColNo() + 1);
  }
  paging_.storedColCount = columns_.Count();
  return column;
}

void TZylHTMLGrid::DeleteCol(int index) {
  if (index < 0 || index >= columns_.Count()) throw EListError::OutOfBounds(index);
  for (int r = 0; r < paging_.storedRowCount && r < matrix_->RowListCount(); ++r) {
    matrix_->RowList(r).Delete(index);
  }
  columns_.Delete(index);
  for (int c = index; c < columns_.Count(); ++c) {
    TZylColumn* next = columns_.Get(c);
    next->StoreColNo(next->GetColNo() - 1);
  }
  paging_.storedColCount = columns_.Count();
}

std::unique_ptr<TZylCellList> TZylHTMLGrid::NewCellList(bool formatted) const {
  auto list = std::make_unique<TZylCellList>();
  // One more: the row-number column is inserted into rows read without it.
  list->Reserve(paging_.storedColCount + 1);
  for (int c = 0; c < paging_.storedColCount; ++c) {
    auto cell = std::make_unique<TZylField>(const_cast<TZylHTMLGrid*>(this));
    if (formatted && c < columns_.Count()) {
      const TZylColumn* column = columns_.Get(c);
      cell->SetHeight(column->GetHeight());
      cell->SetWidth(column->GetWidth());
      cell->SetColor(column->GetColor());
      cell->SetHAlign(column->GetHAlign());
      cell->SetVAlign(column->GetVAlign());
      cell->SetFontStyle(column->GetFontStyle());
      cell->Font().Assign(column->Font());
    }
    list->Add(std::move(cell));
  }
  return list;
}

long long TZylHTMLGrid::WriteRowNumber(TZylField& cell, int row) const {
  long long number = static_cast<long long>(paging_.page - 1) * paging_.rowsPerPage + row + 1;
  char buf[24];
  auto written = std::to_chars(buf, buf + sizeof buf, number);
  cell.SetValue(std::string(buf, written.ptr));
  cell.SetNumericValue(static_cast<double>(number));
  return number;
}

TZylRow* TZylHTMLGrid::PlaceRow(int index, bool formatted) {
  bool append = index < 0;
  if (!append && (index > rows_.Count() || index > matrix_->RowListCount())) {
    throw EListError::OutOfBounds(index);
  }
  std::shared_ptr<TZylCellList> cells = NewCellList(formatted);
  auto owned = std::make_unique<TZylRow>(this);
  TZylRow* row = owned.get();
  if (append) {
    matrix_->AddRowList(cells);
    row->StoreRowNo(matrix_->RowListCount() - 1);
    rows_.Add(std::move(owned));
  } else {
    matrix_->InsertRowList(index, cells);
    row->StoreRowNo(index);
    rows_.Insert(index, std::move(owned));
    for (int r = index + 1; r < rows_.Count(); ++r) {
      TZylRow* next = rows_.Get(r);
      next->StoreRowNo(next->GetRowNo() + 1);
    }
  }
  if (look_.showRowNumber && cells->Count() > 0) {
    TZylField& cell = *cells->Get(0);
    cell.SetVariantValue(TVariant(static_cast<std::int64_t>(WriteRowNumber(cell, row->GetRowNo()))));
  }
  paging_.storedRowCount = rows_.Count();
  return row;
}

TZylRow* TZylHTMLGrid::InternalAddRow() { return PlaceRow(-1, false); }
TZylRow* TZylHTMLGrid::InternalInsertRow(int index) {
  if (index < 0) throw EListError::OutOfBounds(index);
  return PlaceRow(index, false);
}
TZylRow* TZylHTMLGrid::AddRow() { return PlaceRow(-1, true); }
TZylRow* TZylHTMLGrid::InsertRow(int index) {
  if (index < 0) throw EListError::OutOfBounds(index);
  return PlaceRow(index, true);
}

void TZylHTMLGrid::DeleteRow(int index) {
  if (index < 0 || index >= rows_.Count() || index >= matrix_->RowListCount()) {
    throw EListError::OutOfBounds(index);
  }
  matrix_->ExtractRowList(index);
  rows_.Delete(index);
  for (int r = index; r < rows_.Count(); ++r) {
    TZylRow* next = rows_.Get(r);
    next->StoreRowNo(next->GetRowNo() - 1);
  }
  paging_.storedRowCount = rows_.Count();
}

void TZylHTMLGrid::SetRowCount(int count) {
  paging_.storedRowCount = count;
  while (rows_.Count() < count) InternalAddRow();
  // A negative count deletes every row, then fails on the next delete.
  while (rows_.Count() > count) DeleteRow(rows_.Count() - 1);
}

void TZylHTMLGrid::SetColCount(int count) {
  paging_.storedColCount = count > paging_.maxCols ? paging_.maxCols : count;
  int target = paging_.storedColCount;
  while (columns_.Count() < target) AddCol();
  while (columns_.Count() > target && columns_.Count() > 0) DeleteCol(columns_.Count() - 1);
}

void TZylHTMLGrid::SetShowRowNumber(bool flag) {
  bool old = look_.showRowNumber;
  look_.showRowNumber = flag;
  if (IsLoading()) return;
  if (flag) {
    TZylColumn* number = nullptr;
    if (!old) {
      number = InsertCol(0);
      number->SetCaptionHAlign(HAlignment::alRight);
      number->SetDataType(TFieldType::ftInteger);
      number->SetDataSize(0);
      number->SetShowSelector(false);
    } else {
      if (columns_.Empty()) return;
      number = columns_.Get(0);
    }
    for (int r = 0; r < paging_.storedRowCount && r < matrix_->RowListCount(); ++r) {
      WriteRowNumber(*GetCells(r, number->GetColNo()), r);
    }
    number->SetCaption(texts_.textNumber);
  } else if (old && !columns_.Empty()) {
    DeleteCol(0);
  }
}

void TZylHTMLGrid::RenumberRows(int from) {
  for (int r = from; r < rows_.Count(); ++r) rows_.Get(r)->StoreRowNo(r);
}

void TZylHTMLGrid::RenumberCols(int from) {
  for (int c = from; c < columns_.Count(); ++c) columns_.Get(c)->StoreColNo(c);
}

void TZylHTMLGrid::MoveRow(int from, int to) {
  std::shared_ptr<TZylCellList> cells = matrix_->ExtractRowList(from);
  matrix_->InsertRowList(to, std::move(cells));
  rows_.Move(from, to);
  RenumberRows(0);
}

void TZylHTMLGrid::MoveCol(int from, int to) {
  int rows = GetRowCount();
  for (int r = 0; r < rows; ++r) matrix_->RowList(r).Move(from, to);
  columns_.Move(from, to);
  RenumberCols(0);
}

}  // namespace zyl
