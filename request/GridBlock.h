// One grid's block of form fields read into plain values: the block runs
// from the field "GName=<grid name>" to the next "GName" (names and the
// grid name compare ignoring case). Reading takes nothing from the grid but
// its name; the grid applies the values (TZylHTMLGrid::ProcessFields).
//
// Visitor input never raises: values that do not parse (also numbers in
// field names) are left out, negative page numbers and page sizes are
// ignored, a page size is held to 1..kMaxRowsPerPage, and a GUID is taken only in the form the
// library generates (it becomes part of a file name).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/GridTypes.h"
#include "request/FormProtocol.h"

namespace zyl {
namespace form {

// A caption's sort button clicked: soNone for a direction that is neither
// ascending nor descending (every column's order is cleared).
struct SortRequest {
  int column = 0;  // 0 or above
  TSortOrder order = TSortOrder::soNone;
};

// The largest page a visitor may ask for ("GRPP"); a larger size gives this.
inline constexpr int kMaxRowsPerPage = 10000;
// Filter texts and the search term are cut at this length; filter fields
// of a larger index are left out.
inline constexpr std::size_t kMaxFilterText = 1000;
inline constexpr int kMaxFilterFields = 4096;

struct GridBlock {
  // The page action: the first of save-as, last, next, previous, first page
  // present (the first page only when its click is not at 0,0).
  TGridAction pageAction = TGridAction::gaNoAction;
  std::optional<TExportType> saveType;  // with save-as
  bool saveWholeResult = false;          // the save choice ends in kWholeResultSuffix
  bool glyphsOff = false;
  bool glyphsOn = false;
  bool update = false;
  bool updateAdd = false;  // the add form's update
  bool cancel = false;
  bool deleteRecord = false;
  bool addRecord = false;
  bool sum = false;
  bool average = false;
  bool selectorsOn = false;
  bool selectorsOff = false;
  bool selectorsApply = false;
  bool anySelected = false;   // a "GSel" field posted
  std::vector<int> selected;  // the "GSel" values that are integers, in order
  std::optional<int> page;
  std::optional<int> rowsPerPage;  // 1..kMaxRowsPerPage
  std::optional<int> recNo;        // the last record button clicked
  bool recordClicked = false;      // a record button clicked at a point other than 0
  bool anyCellField = false;       // an edit control posted ("GCELL_...")
  bool sortOff = false;
  std::vector<SortRequest> sorts;  // in posting order (none with sortOff)
  bool go = false;
  std::optional<std::string> guid;  // well-formed only
  // Filter texts by field index, in posting order, and the search term;
  // set when any was posted.
  std::vector<std::pair<int, std::string>> filters;
  std::optional<std::string> search;
  bool clearFilters = false;
};

// False (and `block` untouched) when `fields` hold no block of `gridName`.
bool ReadGridBlock(const FormFields& fields, const std::string& gridName, GridBlock& block);

}  // namespace form
}  // namespace zyl
