// Helpers for the data tests: in-memory datasets of a known shape and a
// grid bound to one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "datasets/ZylMemDataset.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl::testing {

// Fields ID (integer), Name (string), Amount (float); record i holds
// i, "name<i>", i * 1.5. Opened.
inline std::unique_ptr<TZylMemDataset> NumberedDataset(int records) {
  auto ds = std::make_unique<TZylMemDataset>(nullptr);
  ds->AddField("ID", TFieldType::ftInteger);
  ds->AddField("Name", TFieldType::ftString, 20);
  ds->AddField("Amount", TFieldType::ftFloat);
  for (int i = 0; i < records; ++i) {
    ds->AddRecord({TVariant(i), TVariant("name" + std::to_string(i)), TVariant(i * 1.5)});
  }
  ds->Open();
  return ds;
}

// A grid after Loaded(), so that it has its row-number column.
inline std::unique_ptr<TZylHTMLGrid> LoadedGrid() {
  auto grid = std::make_unique<TZylHTMLGrid>(nullptr);
  grid->Loaded();
  return grid;
}

inline std::vector<std::string> ColumnTexts(TZylHTMLGrid& grid, int col) {
  std::vector<std::string> out;
  for (int r = 0; r < grid.GetRowCount(); ++r) out.push_back(grid.GetCells(r, col)->GetValue());
  return out;
}

inline std::vector<std::string> Lines(const TStringList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

inline std::vector<std::string> Captions(TZylHTMLGrid& grid) {
  std::vector<std::string> out;
  for (int c = 0; c < grid.GetColCount(); ++c) out.push_back(grid.GetColumns(c)->GetCaption());
  return out;
}

}  // namespace zyl::testing
