#include "grid/ZylRow.h"

#include "grid/ZylHTMLGrid.h"

namespace zyl {

void TZylRow::SetRowNo(int newIndex) {
  if (newIndex < 0 || newIndex >= grid_->GetRowCount()) {
    throw Exception("Invalid row number: " + std::to_string(newIndex));
  }
  if (newIndex == rowNo_) return;
  grid_->MoveRow(rowNo_, newIndex);
}

void TZylRow::SetColor(TColor color) {
  color_ = color;
  int cols = grid_->GetColCount();
  for (int c = 0; c < cols; ++c) grid_->GetCells(rowNo_, c)->SetColor(color);
}

TZylField* TZylRow::GetItems(int index) const {
  return grid_->GetCells(rowNo_, index);
}

std::unique_ptr<TZylField> TZylRow::SetItems(int index, std::unique_ptr<TZylField> cell) {
  return grid_->SetCells(rowNo_, index, std::move(cell));
}

void TZylRow::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TZylRow*>(&source);
  if (other == nullptr) AssignError(source);
  rowNo_ = other->rowNo_;
  recNo_ = other->recNo_;
  color_ = other->color_;
  visible_ = other->visible_;
  css_ = other->css_;
  html_ = other->html_;
  recordKey_ = other->recordKey_;
  fingerprint_ = other->fingerprint_;
}

}  // namespace zyl
