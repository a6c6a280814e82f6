// Enumerations and event types shared by the whole library.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zyl {

class TObject;
class TStringList;
class TZylHTMLGrid;

enum class VAlignment { alTop, alMiddle, alBottom, alBaseline };
enum class HAlignment { alLeft, alCenter, alRight, alJustify, alChar };
// The generic font family written after the font's own name in style rules
// (not the bold/italic style set of TFont).
enum class TFontStyle { fsSanSerif, fsSerif };
enum class TCSSUnits { cuPoints, cuPixels };
enum class TSortOrder { soAscending, soDescending, soNone };
// The last three are offered only with the grid's ExportExtras.
enum class TExportType { TabbedText, Excel, Access, dBase, Paradox, CSV, XLSX, JSON };
// What a download holds: the rows of the current page, or every row of the
// dataset's current result in the current sort order.
enum class TExportScope { Page, WholeResult };
enum class TEditStyle { AllRows, CurrentRow };
enum class TGridAction {
  gaNoAction,
  gaFirstPage,
  gaPreviousPage,
  gaNextPage,
  gaLastPage,
  gaSaveAs,
  gaUpdateData,
  gaAddNew,
  gaDeleteCurrent
};
enum class TModuleType { Console, WebModule, ASP };

// Page-level events: the grid as sender and the page text being built; a
// handler may add, change or remove lines.
using OnComposeHTMLEvent = std::function<void(TObject* sender, TStringList& html)>;
using OnAddPluginEvent = OnComposeHTMLEvent;
using OnAddHiddenVariablesEvent = OnComposeHTMLEvent;
// The toolbar text built so far, passed by value: the handler cannot change it.
using OnAddToolbarHiddenVariablesEvent = std::function<void(TObject* sender, std::string html)>;
// Element events: the element as sender; the handler may replace `html`.
using OnGetCellHTMLEvent = std::function<void(TObject* sender, TZylHTMLGrid* grid, int aRow,
                                              int aCol, int aRecNo, std::string& html)>;
using OnGetRowHTMLEvent =
    std::function<void(TObject* sender, TZylHTMLGrid* grid, int aRow, int aRecNo, std::string& html)>;
using OnGetCaptionCellHTMLEvent =
    std::function<void(TObject* sender, TZylHTMLGrid* grid, int aCol, std::string& html)>;
// Called before a cell renders; the value is a copy (change the cell through sender).
using OnProcessCellDataEvent =
    std::function<void(TObject* sender, int aRow, int aCol, int aRecNo, std::string value)>;
using OnDoDefaultActionEvent = std::function<void(TObject* sender, TGridAction action)>;
using OnReadDataEvent = std::function<void(TObject* sender)>;

// One record an edit stored in a dataset source, told after the change was
// committed: what kind of change, the record's identity as a reader tells
// it (the key, "7, 'north'", else "row N" of the page), and each field it
// changed with the text of its old and new value (nullopt: null; an added
// record has no old values, a deleted one no new values).
enum class TRecordChangeKind { rcUpdate, rcAdd, rcDelete };
struct TFieldChange {
  std::string field;
  std::optional<std::string> oldValue, newValue;
};
struct TRecordChange {
  TRecordChangeKind kind = TRecordChangeKind::rcUpdate;
  std::string record;
  std::vector<TFieldChange> fields;
};
using OnRecordChangeEvent = std::function<void(TObject* sender, const TRecordChange& change)>;

}  // namespace zyl
