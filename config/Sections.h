// The sections of the configuration file (internal to config/): the GRID
// section's keys in their written and load orders, and the COLUMN, ROW and
// CELL sections of single elements.
#pragma once

#include <string>
#include <vector>

#include "config/GridConfig.h"
#include "config/IniFile.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl::config {

inline const std::string kGridSection = "GRID";
std::string ColumnSection(int col);
std::string RowSection(int row);
std::string CellSection(int row, int col);

// GRID: every key in the written order. RowCount and ColCount hold the
// current counts (ColCount including the row-number column).
void SaveGridSection(TZylHTMLGrid& grid, IniFile& ini);
// GRID: every key in the load order. RowCount and ColCount are bounded by
// `limits` before they resize the grid.
void LoadGridSection(TZylHTMLGrid& grid, IniFile& ini, const ConfigLimits& limits);
std::vector<std::string> GridKeysWritten();
std::vector<std::string> GridKeysLoaded();

void SaveColumnSection(TZylColumn& column, IniFile& ini, int col);
void LoadColumnSection(TZylColumn& column, IniFile& ini, int col);
std::vector<std::string> ColumnKeysWritten();
std::vector<std::string> ColumnKeysLoaded();

void SaveRowSection(TZylRow& row, IniFile& ini, int index);
void LoadRowSection(TZylRow& row, IniFile& ini, int index);

// True when the cell differs from what its row and column give it: size,
// colour (against the mix of row and column colour), font, font style or
// alignment. Only such cells get a CELL section.
bool CellDiffers(const TZylField& cell, const TZylRow& row, const TZylColumn& column);
void SaveCellSection(TZylField& cell, IniFile& ini, int row, int col);
// Reads the cell's keys (current values as defaults) when the section exists.
void LoadCellSection(TZylField& cell, IniFile& ini, int row, int col);

// The grid's colour mixing rule: no colour and white are neutral, other
// pairs average per channel (halves round to even).
TColor MixCellColors(TColor color1, TColor color2);

}  // namespace zyl::config
