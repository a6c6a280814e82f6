// TZylMatrix: the cells of a grid as a list of row lists; cell (r, c) is
// position c of row list r. The matrix owns its row lists and, through
// them, every cell. Row lists are shared after Assign: two matrices may
// then hold the same row lists, and the cells are freed exactly once, when
// the last matrix lets go of them.
#pragma once

#include <memory>
#include <vector>

#include "grid/ZylField.h"
#include "platform/Object.h"
#include "platform/OwnedList.h"

namespace zyl {

using TZylCellList = OwnedList<TZylField>;

// A matrix position: X is the row, Y the column; (-1, -1) for "not found".
struct TPoint {
  int X = -1;
  int Y = -1;
  bool operator==(const TPoint&) const = default;
};

class TZylMatrix : public TPersistent {
 public:
  explicit TZylMatrix(TZylHTMLGrid* grid) : grid_(grid) {}  // grid not owned
  std::string ClassName() const override { return "TZylMatrix"; }

  // The cell at (row, col); raises EListError outside the lists.
  TZylField* GetMatrix(int row, int col) const;
  // Puts `cell` at (row, col); the matrix owns it from now on, and the cell
  // that stood there is handed back to the caller.
  std::unique_ptr<TZylField> SetMatrix(int row, int col, std::unique_ptr<TZylField> cell);

  // Records the two numbers, then appends `rowCount` row lists of
  // `colCount` new cells each; row lists already present stay.
  void BuildMatrix(int rowCount, int colCount);
  // Frees every row list (and with them the cells unless another matrix
  // shares them) and empties the list. RowCount/ColCount keep their values.
  void Clear();
  // Position of `cell`: X = row, Y = column; (-1, -1) when no row holds it.
  TPoint IndexOf(const TZylField* cell) const;

  int GetRowCount() const { return rowCount_; }
  int GetColCount() const { return colCount_; }

  // The row lists (structure editing works on them directly).
  int RowListCount() const { return static_cast<int>(rows_.size()); }
  TZylCellList& RowList(int row) const;
  void AddRowList(std::shared_ptr<TZylCellList> list) { rows_.push_back(std::move(list)); }
  void InsertRowList(int index, std::shared_ptr<TZylCellList> list);
  std::shared_ptr<TZylCellList> ExtractRowList(int index);
  // Reorders the row lists: position i receives the list at order[i].
  void PermuteRowLists(const std::vector<int>& order);

  // Shares the source's row lists (no copies) and copies its dimensions.
  void Assign(const TPersistent& source) override;

 private:
  void CheckRow(int row) const;

  TZylHTMLGrid* grid_;
  std::vector<std::shared_ptr<TZylCellList>> rows_;
  int rowCount_ = 0;
  int colCount_ = 0;
};

}  // namespace zyl
