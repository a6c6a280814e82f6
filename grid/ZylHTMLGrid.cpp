// The grid component: construction, links to other components, setters
// with side effects, and copying. Structure editing is in GridStructure.cpp,
// in-grid sorting in GridSort.cpp.
#include "grid/ZylHTMLGrid.h"

#include "request/ZylCSS.h"

namespace zyl {

TZylHTMLGrid::TZylHTMLGrid(TComponent* owner)
    : TComponent(owner), matrix_(std::make_unique<TZylMatrix>(this)) {
  SetRowCount(1);
  SetColCount(1);
  // The number column itself is added by Loaded() or a later SetShowRowNumber.
  showRowNumber_ = true;
}

TZylHTMLGrid::~TZylHTMLGrid() {
  // Cells and columns point back at the grid; free them while it is whole.
  matrix_.reset();
  rows_.Clear();
  columns_.Clear();
}

void TZylHTMLGrid::Loaded() {
  TComponent::Loaded();
  pageText_.Clear();
  if (showRowNumber_) {
    showRowNumber_ = false;
    SetShowRowNumber(true);
  }
  glyphToggle_ = showGlyphs_;
}

void TZylHTMLGrid::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == dataset_) dataset_ = nullptr;
  if (component == masterGrid_) masterGrid_ = nullptr;
  if (component == detailGrid_) detailGrid_ = nullptr;
  if (component == css_) css_ = nullptr;
}

void TZylHTMLGrid::SetDataset(TDataSet* dataset) {
  dataset_ = dataset;
  if (dataset != nullptr) {
    FreeNotification(dataset);
    fileName_.clear();
  }
}

void TZylHTMLGrid::SetMasterGrid(TZylHTMLGrid* master) {
  if (master == this) throw Exception("Circular references are not allowed!");
  if (master != nullptr && master == detailGrid_) {
    throw Exception("Master and Detail grid must be different!");
  }
  masterGrid_ = master;
  if (master != nullptr) {
    FreeNotification(master);
    rowsPerPage_ = master->GetMaxRows();
  }
}

void TZylHTMLGrid::SetDetailGrid(TZylHTMLGrid* detail) {
  if (detail == this) throw Exception("Circular references are not allowed!");
  if (detail != nullptr && detail == masterGrid_) {
    throw Exception("Master and Detail grid must be different!");
  }
  detailGrid_ = detail;
  if (detail != nullptr) FreeNotification(detail);
}

void TZylHTMLGrid::SetCSS(TZylCSS* css) {
  css_ = css;
  if (css != nullptr) FreeNotification(css);
}

std::unique_ptr<TZylMatrix> TZylHTMLGrid::SetMatrix(std::unique_ptr<TZylMatrix> matrix) {
  std::swap(matrix_, matrix);
  return matrix;
}

bool TZylHTMLGrid::GetEditMode() const {
  for (TZylColumn* c : columns_) {
    if (c->GetEditMode()) return true;
  }
  return false;
}

void TZylHTMLGrid::SetEditMode(bool value) {
  for (int i = showRowNumber_ ? 1 : 0; i < columns_.Count(); ++i) {
    columns_.Get(i)->SetEditMode(value);
  }
}

void TZylHTMLGrid::SetShowGlyphs(bool v) {
  showGlyphs_ = v;
  for (TZylColumn* c : columns_) c->SetShowGlyph(v);
}

void TZylHTMLGrid::SetSelectable(bool v) {
  selectable_ = v;
  if (!v) SetShowSelectors(false);
}

void TZylHTMLGrid::SetShowSelectors(bool v) {
  showSelectors_ = v && selectable_;
  for (TZylColumn* c : columns_) c->SetShowSelector(showSelectors_);
}

void TZylHTMLGrid::SetWordWrap(bool v) {
  wordWrap_ = v;
  for (TZylColumn* c : columns_) c->SetWordWrap(v);
}

int TZylHTMLGrid::GetPageCount() const {
  if (rowsPerPage_ <= 0) return 0;
  int pages = totalRowCount_ / rowsPerPage_;
  if (totalRowCount_ % rowsPerPage_ > 0) ++pages;
  return pages;
}

int TZylHTMLGrid::GetTotalRowCount() {
  return totalRowCount_ == 0 ? GetRowCount() : totalRowCount_;
}

void TZylHTMLGrid::Assign(const TPersistent& source) {
  const auto* o = dynamic_cast<const TZylHTMLGrid*>(&source);
  if (o == nullptr) {
    TComponent::Assign(source);
    return;
  }
  if (o == this) return;
  dataset_ = o->dataset_;
  if (dataset_ != nullptr) FreeNotification(dataset_);
  doMadeSA_ = o->doMadeSA_;
  doMadeSum_ = o->doMadeSum_;
  dateFormat_ = o->dateFormat_;
  timeFormat_ = o->timeFormat_;
  dateTimeFormat_ = o->dateTimeFormat_;
  storedRowCount_ = o->storedRowCount_;
  storedColCount_ = o->storedColCount_;
  row_ = o->row_;
  rowsPerPage_ = o->rowsPerPage_;
  page_ = o->page_;
  col_ = o->col_;
  heightPercent_ = o->heightPercent_;
  widthPercent_ = o->widthPercent_;
  height_ = o->height_;
  width_ = o->width_;
  css_ = o->css_;
  if (css_ != nullptr) FreeNotification(css_);
  fixedRows_ = o->fixedRows_;
  fixedCols_ = o->fixedCols_;
  imagesURL_ = o->imagesURL_;
  background_ = o->background_;
  showBottomToolBar_ = o->showBottomToolBar_;
  showVerticalToolbar_ = o->showVerticalToolbar_;
  showTopToolBar_ = o->showTopToolBar_;
  header_ = o->header_;
  cssUnits_ = o->cssUnits_;
  wordWrap_ = o->wordWrap_;
  showGlyphs_ = o->showGlyphs_;
  showSelectors_ = o->showSelectors_;
  selectable_ = o->selectable_;
  borderColor_ = o->borderColor_;
  borderWidth_ = o->borderWidth_;
  showRowNumber_ = o->showRowNumber_;
  textPage_ = o->textPage_;
  textOf_ = o->textOf_;
  textRows_ = o->textRows_;
  textSaveAs_ = o->textSaveAs_;
  textNumber_ = o->textNumber_;
  textUpdateError_ = o->textUpdateError_;
  toolbarFont_.Assign(o->toolbarFont_);
  toolbarFontStyle_ = o->toolbarFontStyle_;
  totalRowCount_ = o->totalRowCount_;
  toolbarHAlign_ = o->toolbarHAlign_;
  toolbarColor_ = o->toolbarColor_;
  toolbarVAlign_ = o->toolbarVAlign_;
  calcRowColor_ = o->calcRowColor_;
  currentRowColor_ = o->currentRowColor_;
  evenRowColor_ = o->evenRowColor_;
  oddRowColor_ = o->oddRowColor_;
  evenColColor_ = o->evenColColor_;
  oddColColor_ = o->oddColColor_;
  headerHAlign_ = o->headerHAlign_;
  headerColor_ = o->headerColor_;
  headerFont_.Assign(o->headerFont_);
  headerFontStyle_ = o->headerFontStyle_;
  headerVAlign_ = o->headerVAlign_;
  saveAsType_ = o->saveAsType_;
  queryString_ = o->queryString_;
  maxCols_ = o->maxCols_;
  fileName_ = o->fileName_;
  globalSorting_ = o->globalSorting_;
  maxRows_ = o->maxRows_;
  showMemos_ = o->showMemos_;
  showBlobs_ = o->showBlobs_;
  cacheBitmaps_ = o->cacheBitmaps_;
  useControlStyles_ = o->useControlStyles_;
  updatByEnter_ = o->updatByEnter_;
  recNo_ = o->recNo_;
  masterGrid_ = o->masterGrid_;
  if (masterGrid_ != nullptr) FreeNotification(masterGrid_);
  smallToolbar_ = o->smallToolbar_;
  editStyle_ = o->editStyle_;
  altFirstPage_ = o->altFirstPage_;
  altPreviousPage_ = o->altPreviousPage_;
  altNextPage_ = o->altNextPage_;
  altLastPage_ = o->altLastPage_;
  altOK_ = o->altOK_;
  altSave_ = o->altSave_;
  altPrint_ = o->altPrint_;
  altSelectColumns_ = o->altSelectColumns_;
  altShowAllColumns_ = o->altShowAllColumns_;
  altShowSelectedColumns_ = o->altShowSelectedColumns_;
  altSortAscending_ = o->altSortAscending_;
  altSortDescending_ = o->altSortDescending_;
  altCurrentRecord_ = o->altCurrentRecord_;
  altGotoRecord_ = o->altGotoRecord_;
  altClearSorting_ = o->altClearSorting_;
  altSum_ = o->altSum_;
  altSA_ = o->altSA_;
  altGraph_ = o->altGraph_;
  altUpdate_ = o->altUpdate_;
  altCancelUpdate_ = o->altCancelUpdate_;
  altAddRecord_ = o->altAddRecord_;
  altDeleteRecord_ = o->altDeleteRecord_;
  altHideSortGlyphs_ = o->altHideSortGlyphs_;
  altShowSortGlyphs_ = o->altShowSortGlyphs_;
  // Columns and cells: the target must be at least as large as the source.
  // A smaller target raises EListError from the lists once it runs out.
  for (int c = 0; c < o->columns_.Count(); ++c) columns_.Get(c)->Assign(*o->columns_.Get(c));
  for (int r = 0; r < o->matrix_->RowListCount(); ++r) {
    for (int c = 0; c < o->matrix_->RowList(r).Count(); ++c) {
      GetCells(r, c)->Assign(*o->GetCells(r, c));
    }
  }
}

}  // namespace zyl
