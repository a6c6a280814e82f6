// Saving and loading a grid's whole configuration in an INI file: the
// grid's own settings (section "GRID"), every column ("COLUMN <i>"), every
// row ("ROW <i>") and every cell that differs from its column
// ("CELL <row>,<col>"). The layout is written up in docs/formats/config.md.
//
// TZylHTMLGrid::SaveConfig and TZylHTMLGrid::LoadConfig are the usual entry
// points; LoadGridConfig takes explicit limits for files of unknown origin.
#pragma once

#include <cstddef>
#include <string>

#include "config/ConfigText.h"

namespace zyl {

class TZylHTMLGrid;

// Bounds that loading applies to what a file asks for, so that a damaged
// or hostile file cannot make the grid allocate without end. Counts above
// a bound are lowered to it; a file above maxFileBytes is refused.
struct ConfigLimits {
  // Rows created by RowCount (a configuration holds one page of rows).
  int maxRows = 100000;
  // Columns created by ColCount, besides the grid's own MaxCols.
  int maxCols = 4096;
  // Cells (rows x columns); RowCount is lowered until the grid fits. A
  // grid of the default MaxRows by the default MaxCols has 128000.
  long long maxCells = 250000;
  std::size_t maxFileBytes = std::size_t{64} << 20;
};

// LoadConfig with the given limits (LoadConfig uses the defaults above).
void LoadGridConfig(TZylHTMLGrid& grid, const std::string& fileName, const ConfigLimits& limits);

}  // namespace zyl
