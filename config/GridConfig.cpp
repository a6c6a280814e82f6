// SaveConfig and LoadConfig: the grid's whole configuration in an INI file.
// The row-number column is never stored: both operations switch it off
// while they walk the columns, rows and cells, and on again afterwards.
#include "config/GridConfig.h"

#include "config/IniFile.h"
#include "config/Sections.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl {

using config::IniFile;

void TZylHTMLGrid::SaveConfig(const std::string& fileName) {
  IniFile ini(fileName);
  bool numbered = false;
  try {
    config::SaveGridSection(*this, ini);
    numbered = GetShowRowNumber();
    if (numbered) SetShowRowNumber(false);

    int cols = GetColCount();
    int rows = GetRowCount();
    for (int c = 0; c < cols; ++c) config::SaveColumnSection(*GetColumns(c), ini, c);
    for (int r = 0; r < rows; ++r) config::SaveRowSection(*GetRows(r), ini, r);
    for (int r = 0; r < rows; ++r) {
      TZylRow& row = *GetRows(r);
      for (int c = 0; c < cols; ++c) {
        TZylField& cell = *GetCells(r, c);
        if (config::CellDiffers(cell, row, *GetColumns(c)))
          config::SaveCellSection(cell, ini, r, c);
      }
    }

    if (numbered) {
      numbered = false;
      SetShowRowNumber(true);
    }
  } catch (...) {
    // The grid gets its number column back, and what was written so far
    // still reaches the file; the first error is the one reported.
    try {
      if (numbered) SetShowRowNumber(true);
      ini.UpdateFile();
    } catch (...) {
    }
    throw;
  }
  ini.UpdateFile();
}

void TZylHTMLGrid::LoadConfig(const std::string& fileName) {
  LoadGridConfig(*this, fileName, ConfigLimits{});
}

void LoadGridConfig(TZylHTMLGrid& grid, const std::string& fileName, const ConfigLimits& limits) {
  IniFile ini(fileName, limits.maxFileBytes);
  config::LoadGridSection(grid, ini, limits);

  // An error from here on leaves the number column off.
  bool numbered = grid.GetShowRowNumber();
  if (numbered) grid.SetShowRowNumber(false);

  int cols = grid.GetColCount();
  for (int c = 0; c < cols; ++c) config::LoadColumnSection(*grid.GetColumns(c), ini, c);

  // Column sorting may have moved rows; the counts stay.
  int rows = grid.GetRowCount();
  for (int r = 0; r < rows; ++r) {
    TZylRow& row = *grid.GetRows(r);
    config::LoadRowSection(row, ini, r);
    // A cell was left out of the file when its colour equalled the mix of
    // its row's and its column's colour; give it that colour again (the
    // row's SetColor alone would drop the column's colour from rows
    // without a colour of their own).
    for (int c = 0; c < cols; ++c) {
      grid.GetCells(r, c)->SetColor(
          config::MixCellColors(row.GetColor(), grid.GetColumns(c)->GetColor()));
    }
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) config::LoadCellSection(*grid.GetCells(r, c), ini, r, c);
  }

  if (numbered) grid.SetShowRowNumber(true);
}

}  // namespace zyl
