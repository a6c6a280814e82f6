// The hidden state every form of a page repeats for a grid, so that the
// next request finds the grid as the visitor left it: name, GUID, page,
// rows per page, sort-button state, current record, sort column, column
// selection.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zyl {
namespace form {

struct GridHiddenState {
  std::string name;  // the grid's component name
  std::string guid;
  bool writeGuid = true;  // false for a detail grid: its master's GUID travels
  int page = 1;
  int rowsPerPage = 0;
  bool showGlyphs = true;
  int recNo = 0;
  int sortColumn = -1;  // -1: no column sorted
  bool sortAscending = true;
  bool showSelectors = false;
  bool selectable = false;
  // Numbers of the visible columns, written while selectable and showing
  // the selectors.
  std::vector<int> visibleColumns;
  // Filter texts by field index and the search term (FormProtocol.h);
  // only non-empty ones are written.
  std::vector<std::pair<int, std::string>> filters;
  std::string search;
};

// Appends the hidden inputs of `state`, leaving out each field whose name
// (or name prefix) `exclusions` contains.
void AppendHiddenState(std::string& out, const GridHiddenState& state,
                       const std::string& exclusions);

// The same state as a query string (name=value pairs, percent-encoded,
// joined by "&"): a GET of it reproduces the view.
std::string ViewQuery(const GridHiddenState& state, const std::string& exclusions);

}  // namespace form
}  // namespace zyl
