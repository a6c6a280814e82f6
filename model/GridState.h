// The state of a TZylHTMLGrid, grouped by concern. The grid holds one of
// each; its properties read and write them.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "model/GridTypes.h"
#include "platform/Color.h"
#include "platform/Font.h"

namespace zyl {

class TDataSet;
class TZylCSS;
class TZylHTMLGrid;

// The texts the page shows: button titles (Alt...), toolbar labels and
// messages (Text...).
struct GridTexts {
  std::string altFirstPage = "First Page";
  std::string altPreviousPage = "Previous Page";
  std::string altNextPage = "Next Page";
  std::string altLastPage = "Last Page";
  std::string altOK = "GO";
  std::string altSave = "Save";
  std::string altPrint = "Print";
  std::string altSelectColumns = "Select columns to display";
  std::string altShowAllColumns = "Show all columns";
  std::string altShowSelectedColumns = "Show selected columns only";
  std::string altSortAscending = "Sort ascending";
  std::string altSortDescending = "Sort descending";
  std::string altCurrentRecord = "Current record";
  std::string altGotoRecord = "Go to this record";
  std::string altClearSorting = "Clear sorting";
  std::string altSum = "Calculate sum";
  std::string altSA = "Calculate average";
  std::string altGraph = "Draw graph";
  std::string altUpdate = "Update data";
  std::string altCancelUpdate = "Cancel";
  std::string altAddRecord = "Add Record";
  std::string altDeleteRecord = "Delete Record";
  std::string altHideSortGlyphs = "Hide Sort buttons";
  std::string altShowSortGlyphs = "Show Sort buttons";
  std::string textPage = "Page:";
  std::string textOf = "of:";
  std::string textRows = "Rows:";
  std::string textSaveAs = "Save:";
  std::string textSum = "Sum:";
  std::string textAverage = "Average:";
  std::string textConfirmDelete = "Are You sure to delete current record?";
  std::string textUpdateError =
      " Cannot update the table!\\n Another user has modifyed the table!\\n Please try again.";
  std::string textNumber = "No:";
  // The error box of a change refused for want of the page's own GUID.
  std::string textRequestRefused =
      " Nothing was changed:"
      "\\n the request did not come from this site's page.\\n"
      " Please reload the page and try again.";
};

// How the page looks: row and column colours, the header bar, size,
// border, the toolbars and what they offer, the parts of the data shown,
// word wrap, style units and the date and time formats of cells.
struct GridAppearance {
  TColor calcRowColor = 0xC8FFC8;
  TColor currentRowColor = 0xE0FFFF;
  TColor oddRowColor = clNone;
  TColor evenRowColor = clNone;
  TColor oddColColor = clNone;
  TColor evenColColor = clNone;
  std::string dateFormat = "dd.mm.yyyy";
  std::string dateTimeFormat = "dd.mm.yyyy hh:nn:ss";
  std::string timeFormat = "hh:nn:ss";
  std::string header;
  TFont headerFont;
  TColor headerColor = 0xC8D0D4;
  TFontStyle headerFontStyle = TFontStyle::fsSanSerif;
  HAlignment headerHAlign = HAlignment::alLeft;
  VAlignment headerVAlign = VAlignment::alMiddle;
  int width = 0;
  bool widthPercent = false;
  int height = 0;
  bool heightPercent = false;
  std::string imagesURL;
  TColor background = 0xC8D0D4;
  TColor borderColor = 0x000000;
  int borderWidth = 1;
  TColor toolbarColor = 0xC8D0D4;
  TFont toolbarFont;
  TFontStyle toolbarFontStyle = TFontStyle::fsSanSerif;
  HAlignment toolbarHAlign = HAlignment::alLeft;
  VAlignment toolbarVAlign = VAlignment::alMiddle;
  bool showTopToolBar = true;
  bool showBottomToolBar = true;
  bool showVerticalToolbar = true;
  bool showGlyphs = true;
  bool selectable = true;
  bool showSelectors = false;
  bool showBlobs = false;
  bool showMemos = false;
  bool smallToolbar = true;
  bool wordWrap = false;
  int textIndent = 3;
  TCSSUnits cssUnits = TCSSUnits::cuPoints;
  bool showRowNumber = false;
  bool cacheBitmaps = false;
  bool useControlStyles = true;
  bool glyphToggle = true;
  TExportType saveAsType = TExportType::Excel;
  // Tab-separated downloads prefix text cells that a spreadsheet would take
  // for a formula with an apostrophe (GuardFormulas).
  bool guardFormulas = false;
  // The save list also offers CSV, XLSX, JSON and the whole result
  // (ExportExtras); saveAsScope is the scope of the last save click.
  bool exportExtras = false;
  TExportScope saveAsScope = TExportScope::Page;
  // Table semantics, labels and alternative texts for assistive technology
  // (AccessibleMarkup; render/Accessible.h lists what it adds).
  bool accessibleMarkup = false;
  // Above kPageListLimit pages the toolbar takes the page's number in a
  // text box instead of listing every page (PageNumberBox).
  bool pageNumberBox = false;
};

// Shape and paging: the size limits, the current record, row and column,
// the stored counts, fixed rows and columns, the page and its size, the
// record total of the last read, whole-dataset sorting and the summary
// rows asked for.
struct GridPaging {
  bool doMadeSum = false;
  bool doMadeSA = false;
  bool globalSorting = false;
  int maxCols = 256;
  int maxRows = 500;
  int recNo = 0;
  int row = 0;
  int col = 0;
  int storedRowCount = 0;
  int storedColCount = 0;
  int fixedRows = 1;
  int fixedCols = 1;
  int rowsPerPage = 40;
  int page = 1;
  int totalRowCount = 0;
  bool countEstimated = false;  // totalRowCount is the dataset's estimate
};

// What the grid is linked to (none of it owned): its dataset or text
// file, master and detail grid, the page's TZylCSS and the query string
// its forms post to.
struct GridLinks {
  TDataSet* dataset = nullptr;         // linked, not owned
  TZylHTMLGrid* masterGrid = nullptr;  // linked, not owned
  TZylHTMLGrid* detailGrid = nullptr;  // linked, not owned
  std::string fileName;
  std::string queryString;
  TZylCSS* css = nullptr;  // linked, not owned
};

// Editing: which rows show edit controls, the Enter key, the record being
// added, the last update error and its box, the update lock's GUID, and
// whether rows carry their record's signed identity (request/RowIdentity.h).
struct GridEditing {
  TEditStyle editStyle = TEditStyle::CurrentRow;
  bool rowIdentity = false;
  bool updatByEnter = false;
  bool showErrorBox = false;
  bool addingRecord = false;
  bool addPending = false;
  std::string lastUpdateError;
  // What the last export wrote as substitutes, for the host's log (empty
  // when every value was kept).
  std::string lastExportNote;
  std::string guid;
  // The page's lock was written before its data was read (this request).
  bool lockTaken = false;
};

// Finding (off by default): the filter row under the captions, the search
// box in the header bar, the link to the current view, sum and average rows
// over the whole filtered result; the filter texts by field index, the
// search term, and the filters that did not parse with their messages.
struct GridFinding {
  bool filterRow = false;
  bool quickSearch = false;
  bool viewLink = false;
  bool wholeResultTotals = false;
  std::map<int, std::string> filters;
  std::string search;
  std::map<int, std::string> errors;
  bool applied = false;  // a filter went to the dataset (an empty one must follow)
  // A text file's totals over its filtered lines, by column: sum and count.
  std::map<int, std::pair<double, int>> fileTotals;
};

// The read under way.
struct GridReading {
  // Why the last read of the dataset stopped early (empty when it read the
  // whole page); the page shows it in its error box.
  std::string readError;
  // Set while the dataset carries the sort key of the read under way:
  // while ReadValues applies its settings (it handed the sort column's key
  // over before reading the rows) and while SortDataset's re-read runs.
  // Re-applying the sort order then starts no second dataset sort or read.
  bool readingDataset = false;
};

}  // namespace zyl
