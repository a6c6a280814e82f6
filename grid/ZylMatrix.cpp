#include "grid/ZylMatrix.h"

namespace zyl {

void TZylMatrix::CheckRow(int row) const {
  if (row < 0 || row >= RowListCount()) throw EListError::OutOfBounds(row);
}

TZylCellList& TZylMatrix::RowList(int row) const {
  CheckRow(row);
  return *rows_[static_cast<std::size_t>(row)];
}

TZylField* TZylMatrix::GetMatrix(int row, int col) const { return RowList(row).Get(col); }

std::unique_ptr<TZylField> TZylMatrix::SetMatrix(int row, int col,
                                                 std::unique_ptr<TZylField> cell) {
  return RowList(row).Replace(col, std::move(cell));
}

void TZylMatrix::BuildMatrix(int rowCount, int colCount) {
  rowCount_ = rowCount;
  colCount_ = colCount;
  for (int r = 0; r < rowCount; ++r) {
    auto list = std::make_shared<TZylCellList>();
    for (int c = 0; c < colCount; ++c) list->Add(std::make_unique<TZylField>(grid_));
    rows_.push_back(std::move(list));
  }
}

void TZylMatrix::Clear() { rows_.clear(); }

TPoint TZylMatrix::IndexOf(const TZylField* cell) const {
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    int c = rows_[r]->IndexOf(cell);
    if (c >= 0) return TPoint{static_cast<int>(r), c};
  }
  return TPoint{};
}

void TZylMatrix::InsertRowList(int index, std::shared_ptr<TZylCellList> list) {
  if (index < 0 || index > RowListCount()) throw EListError::OutOfBounds(index);
  rows_.insert(rows_.begin() + index, std::move(list));
}

std::shared_ptr<TZylCellList> TZylMatrix::ExtractRowList(int index) {
  CheckRow(index);
  std::shared_ptr<TZylCellList> list = std::move(rows_[static_cast<std::size_t>(index)]);
  rows_.erase(rows_.begin() + index);
  return list;
}

void TZylMatrix::PermuteRowLists(const std::vector<int>& order) {
  std::vector<std::shared_ptr<TZylCellList>> next;
  next.reserve(rows_.size());
  for (int from : order) next.push_back(std::move(rows_[static_cast<std::size_t>(from)]));
  rows_.swap(next);
}

void TZylMatrix::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TZylMatrix*>(&source);
  if (other == nullptr) AssignError(source);
  if (other == this) return;
  rows_ = other->rows_;
  rowCount_ = other->rowCount_;
  colCount_ = other->colCount_;
}

}  // namespace zyl
