#include "grid/ZylColumn.h"

#include "grid/ZylHTMLGrid.h"

namespace zyl {

TZylColumn::TZylColumn(TZylHTMLGrid* grid)
    : grid_(grid),
      ownGlyph_(std::make_unique<TZylGlyph>(grid, this)),
      glyph_(ownGlyph_.get()),
      showGlyph_(grid->GetShowGlyphs()),
      wordWrap_(grid->GetWordWrap()),
      showSelector_(grid->GetShowSelectors()),
      selectable_(grid->GetSelectable()) {
  font_.OnChange = [this](TFont&) { PushFontToCells(); };
}

TZylColumn::~TZylColumn() { font_.OnChange = nullptr; }

template <class Fn>
void TZylColumn::ForEachCell(Fn fn) {
  if (colNo_ < 0) return;
  int rows = grid_->GetRowCount();
  for (int r = 0; r < rows; ++r) fn(*grid_->GetCells(r, colNo_));
}

void TZylColumn::PushFontToCells() {
  ForEachCell([this](TZylField& cell) { cell.Font().Assign(font_); });
}

TZylField* TZylColumn::GetItems(int index) const { return grid_->GetCells(index, colNo_); }

std::unique_ptr<TZylField> TZylColumn::SetItems(int index, std::unique_ptr<TZylField> cell) {
  return grid_->SetCells(index, colNo_, std::move(cell));
}

void TZylColumn::SetVAlign(VAlignment v) {
  vAlign_ = v;
  ForEachCell([v](TZylField& cell) { cell.SetVAlign(v); });
}

void TZylColumn::SetHAlign(HAlignment v) {
  hAlign_ = v;
  ForEachCell([v](TZylField& cell) { cell.SetHAlign(v); });
}

void TZylColumn::SetWidth(int v) {
  width_ = v;
  ForEachCell([v](TZylField& cell) { cell.SetWidth(v); });
}

void TZylColumn::SetHeight(int v) {
  height_ = v;
  ForEachCell([v](TZylField& cell) { cell.SetHeight(v); });
}

void TZylColumn::SetColor(TColor v) {
  color_ = v;
  ForEachCell([v](TZylField& cell) { cell.SetColor(v); });
}

void TZylColumn::SetFontStyle(TFontStyle v) {
  fontStyle_ = v;
  ForEachCell([v](TZylField& cell) { cell.SetFontStyle(v); });
}

void TZylColumn::SetFieldName(const std::string& v) {
  TDataSet* ds = grid_->GetDataset();
  if (ds != nullptr && ds->GetActive()) return;
  fieldName_ = v;
}

void TZylColumn::SetColNo(int newIndex) {
  if (newIndex < 0 || newIndex >= grid_->GetColCount()) {
    throw Exception("Invalid column number: " + std::to_string(newIndex));
  }
  if (newIndex == colNo_) return;
  grid_->MoveCol(colNo_, newIndex);
}

void TZylColumn::SetSortOrder(TSortOrder order) {
  sortOrder_ = order;
  switch (order) {
    case TSortOrder::soAscending:
      glyph_->SetURLASC("GAscA.gif");
      glyph_->SetURLDSC("GDesc.gif");
      grid_->SortAscending(colNo_);
      break;
    case TSortOrder::soDescending:
      glyph_->SetURLASC("GAsc.gif");
      glyph_->SetURLDSC("GDescA.gif");
      grid_->SortDescending(colNo_);
      break;
    case TSortOrder::soNone:
      glyph_->SetURLASC("GAsc.gif");
      glyph_->SetURLDSC("GDesc.gif");
      break;
  }
  if (order == TSortOrder::soNone) return;
  int cols = grid_->GetColCount();
  for (int c = 0; c < cols; ++c) {
    if (c != colNo_) grid_->GetColumns(c)->SetSortOrder(TSortOrder::soNone);
  }
}

void TZylColumn::SetSelectable(bool v) {
  selectable_ = v;
  if (!v) showSelector_ = false;
}

void TZylColumn::Assign(const TPersistent& source) {
  const auto* o = dynamic_cast<const TZylColumn*>(&source);
  if (o == nullptr) AssignError(source);
  caption_ = o->caption_;
  captionFontStyle_ = o->captionFontStyle_;
  captionHAlign_ = o->captionHAlign_;
  captionVAlign_ = o->captionVAlign_;
  captionWidth_ = o->captionWidth_;
  captionHeight_ = o->captionHeight_;
  alignmentChar_ = o->alignmentChar_;
  vAlign_ = o->vAlign_;
  hAlign_ = o->hAlign_;
  width_ = o->width_;
  height_ = o->height_;
  color_ = o->color_;
  fontStyle_ = o->fontStyle_;
  css_ = o->css_;
  html_ = o->html_;
  fieldName_ = o->fieldName_;
  fieldIndex_ = o->fieldIndex_;
  readOnly_ = o->readOnly_;
  colNo_ = o->colNo_;
  captionColor_ = o->captionColor_;
  showGlyph_ = o->showGlyph_;
  showCurrent_ = o->showCurrent_;
  wordWrap_ = o->wordWrap_;
  sortOrder_ = o->sortOrder_;
  visible_ = o->visible_;
  editMode_ = o->editMode_;
  dataType_ = o->dataType_;
  dataSize_ = o->dataSize_;
  showSelector_ = o->showSelector_;
  selectable_ = o->selectable_;
  currentHTML_ = o->currentHTML_;
  limitToPickList_ = o->limitToPickList_;
  glyph_->Assign(*o->glyph_);
  captionFont_.Assign(o->captionFont_);
  font_.Assign(o->font_);  // the change handler pushes it into the cells
  pickList_.Assign(o->pickList_);
  valueList_.Assign(o->valueList_);
}

}  // namespace zyl
