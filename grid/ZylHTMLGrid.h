// TZylHTMLGrid: the grid component. It owns its columns, rows, cell matrix,
// page text and two fonts; it links (without owning) a dataset, the page's
// TZylCSS, a master and a detail grid, and hears through free notification
// when any of them is destroyed.
//
// This header is the component's whole public face. Its work lives in the
// folders above grid/: reading data, text files and summary rows in data/,
// editing in edit/, rendering in render/, configuration files in config/,
// default actions and downloads in actions/; structure editing, in-grid
// sorting and the request members (over request/) stay in grid/.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datasets/DataSet.h"
#include "grid/ZylColumn.h"
#include "grid/ZylField.h"
#include "grid/ZylGlyph.h"
#include "grid/ZylMatrix.h"
#include "grid/ZylRow.h"
#include "model/GridState.h"
#include "model/GridTypes.h"
#include "platform/Component.h"
#include "platform/Font.h"
#include "platform/OwnedList.h"
#include "platform/StringList.h"

namespace zyl {

class TZylCSS;
class TStream;
namespace form {
struct FormField;
struct GridHiddenState;
}  // namespace form
namespace render {
class PageSink;
}  // namespace render

class TZylHTMLGrid : public TComponent {
 public:
  // Creates a grid of one row and one column with every default set. The
  // row-number column is added by Loaded() or by setting ShowRowNumber.
  explicit TZylHTMLGrid(TComponent* owner);
  ~TZylHTMLGrid() override;
  std::string ClassName() const override { return "TZylHTMLGrid"; }

  // Clears the page text; re-applies ShowRowNumber so that the number
  // column is inserted now; GlyphToggle takes ShowGlyphs.
  void Loaded() override;
  // Copies the grid's settings, columns and cells from another grid (see
  // the notes on each kind of setting in grid/ZylHTMLGrid.cpp). The target
  // must have at least the source's rows and columns.
  void Assign(const TPersistent& source) override;

  // ---- Texts -------------------------------------------------------------
  const std::string& GetAltFirstPage() const { return texts_.altFirstPage; }
  void SetAltFirstPage(const std::string& v) { texts_.altFirstPage = v; }
  const std::string& GetAltPreviousPage() const { return texts_.altPreviousPage; }
  void SetAltPreviousPage(const std::string& v) { texts_.altPreviousPage = v; }
  const std::string& GetAltNextPage() const { return texts_.altNextPage; }
  void SetAltNextPage(const std::string& v) { texts_.altNextPage = v; }
  const std::string& GetAltLastPage() const { return texts_.altLastPage; }
  void SetAltLastPage(const std::string& v) { texts_.altLastPage = v; }
  const std::string& GetAltOK() const { return texts_.altOK; }
  void SetAltOK(const std::string& v) { texts_.altOK = v; }
  const std::string& GetAltSave() const { return texts_.altSave; }
  void SetAltSave(const std::string& v) { texts_.altSave = v; }
  const std::string& GetAltPrint() const { return texts_.altPrint; }
  void SetAltPrint(const std::string& v) { texts_.altPrint = v; }
  const std::string& GetAltSelectColumns() const { return texts_.altSelectColumns; }
  void SetAltSelectColumns(const std::string& v) { texts_.altSelectColumns = v; }
  const std::string& GetAltShowAllColumns() const { return texts_.altShowAllColumns; }
  void SetAltShowAllColumns(const std::string& v) { texts_.altShowAllColumns = v; }
  const std::string& GetAltShowSelectedColumns() const { return texts_.altShowSelectedColumns; }
  void SetAltShowSelectedColumns(const std::string& v) { texts_.altShowSelectedColumns = v; }
  const std::string& GetAltSortAscending() const { return texts_.altSortAscending; }
  void SetAltSortAscending(const std::string& v) { texts_.altSortAscending = v; }
  const std::string& GetAltSortDescending() const { return texts_.altSortDescending; }
  void SetAltSortDescending(const std::string& v) { texts_.altSortDescending = v; }
  const std::string& GetAltCurrentRecord() const { return texts_.altCurrentRecord; }
  void SetAltCurrentRecord(const std::string& v) { texts_.altCurrentRecord = v; }
  const std::string& GetAltGotoRecord() const { return texts_.altGotoRecord; }
  void SetAltGotoRecord(const std::string& v) { texts_.altGotoRecord = v; }
  const std::string& GetAltClearSorting() const { return texts_.altClearSorting; }
  void SetAltClearSorting(const std::string& v) { texts_.altClearSorting = v; }
  const std::string& GetAltSum() const { return texts_.altSum; }
  void SetAltSum(const std::string& v) { texts_.altSum = v; }
  const std::string& GetAltSA() const { return texts_.altSA; }
  void SetAltSA(const std::string& v) { texts_.altSA = v; }
  const std::string& GetAltGraph() const { return texts_.altGraph; }
  void SetAltGraph(const std::string& v) { texts_.altGraph = v; }
  const std::string& GetAltUpdate() const { return texts_.altUpdate; }
  void SetAltUpdate(const std::string& v) { texts_.altUpdate = v; }
  const std::string& GetAltCancelUpdate() const { return texts_.altCancelUpdate; }
  void SetAltCancelUpdate(const std::string& v) { texts_.altCancelUpdate = v; }
  const std::string& GetAltAddRecord() const { return texts_.altAddRecord; }
  void SetAltAddRecord(const std::string& v) { texts_.altAddRecord = v; }
  const std::string& GetAltDeleteRecord() const { return texts_.altDeleteRecord; }
  void SetAltDeleteRecord(const std::string& v) { texts_.altDeleteRecord = v; }
  const std::string& GetAltHideSortGlyphs() const { return texts_.altHideSortGlyphs; }
  void SetAltHideSortGlyphs(const std::string& v) { texts_.altHideSortGlyphs = v; }
  const std::string& GetAltShowSortGlyphs() const { return texts_.altShowSortGlyphs; }
  void SetAltShowSortGlyphs(const std::string& v) { texts_.altShowSortGlyphs = v; }
  const std::string& GetTextPage() const { return texts_.textPage; }
  void SetTextPage(const std::string& v) { texts_.textPage = v; }
  const std::string& GetTextOf() const { return texts_.textOf; }
  void SetTextOf(const std::string& v) { texts_.textOf = v; }
  const std::string& GetTextRows() const { return texts_.textRows; }
  void SetTextRows(const std::string& v) { texts_.textRows = v; }
  const std::string& GetTextSaveAs() const { return texts_.textSaveAs; }
  void SetTextSaveAs(const std::string& v) { texts_.textSaveAs = v; }
  const std::string& GetTextSum() const { return texts_.textSum; }
  void SetTextSum(const std::string& v) { texts_.textSum = v; }
  const std::string& GetTextAverage() const { return texts_.textAverage; }
  void SetTextAverage(const std::string& v) { texts_.textAverage = v; }
  const std::string& GetTextConfirmDelete() const { return texts_.textConfirmDelete; }
  void SetTextConfirmDelete(const std::string& v) { texts_.textConfirmDelete = v; }
  // "\n" (backslash, n) marks a line break for the error box.
  const std::string& GetTextUpdateError() const { return texts_.textUpdateError; }
  void SetTextUpdateError(const std::string& v) { texts_.textUpdateError = v; }
  // The error box of an update, add or delete refused because the post
  // carried no GUID the page's TZylCSS issued (TZylCSS::SetSignGUIDs).
  const std::string& GetTextRequestRefused() const { return texts_.textRequestRefused; }
  void SetTextRequestRefused(const std::string& v) { texts_.textRequestRefused = v; }
  // Caption of the row-number column.
  const std::string& GetTextNumber() const { return texts_.textNumber; }
  void SetTextNumber(const std::string& v) { texts_.textNumber = v; }

  // ---- Colours and summary rows -------------------------------------------
  TColor GetCalcRowColor() const { return look_.calcRowColor; }
  void SetCalcRowColor(TColor v) { look_.calcRowColor = v; }
  TColor GetCurrentRowColor() const { return look_.currentRowColor; }
  void SetCurrentRowColor(TColor v) { look_.currentRowColor = v; }
  TColor GetOddRowColor() const { return look_.oddRowColor; }
  void SetOddRowColor(TColor v) { look_.oddRowColor = v; }
  TColor GetEvenRowColor() const { return look_.evenRowColor; }
  void SetEvenRowColor(TColor v) { look_.evenRowColor = v; }
  TColor GetOddColColor() const { return look_.oddColColor; }
  void SetOddColColor(TColor v) { look_.oddColColor = v; }
  TColor GetEvenColColor() const { return look_.evenColColor; }
  void SetEvenColColor(TColor v) { look_.evenColColor = v; }
  bool GetDoMadeSum() const { return paging_.doMadeSum; }
  void SetDoMadeSum(bool v) { paging_.doMadeSum = v; }
  bool GetDoMadeSA() const { return paging_.doMadeSA; }
  void SetDoMadeSA(bool v) { paging_.doMadeSA = v; }

  // ---- Formats and editing ------------------------------------------------
  const std::string& GetDateFormat() const { return look_.dateFormat; }
  void SetDateFormat(const std::string& v) { look_.dateFormat = v; }
  const std::string& GetDateTimeFormat() const { return look_.dateTimeFormat; }
  void SetDateTimeFormat(const std::string& v) { look_.dateTimeFormat = v; }
  const std::string& GetTimeFormat() const { return look_.timeFormat; }
  void SetTimeFormat(const std::string& v) { look_.timeFormat = v; }
  TEditStyle GetEditStyle() const { return editing_.editStyle; }
  void SetEditStyle(TEditStyle v) { editing_.editStyle = v; }
  bool GetUpdatByEnter() const { return editing_.updatByEnter; }
  void SetUpdatByEnter(bool v) { editing_.updatByEnter = v; }
  // Row identity (off by default): each row with edit controls carries the
  // signed key of its record and a fingerprint of its values (hidden field
  // "GROW_<recNo>", request/FormProtocol.h); updates and deletes then reach
  // that record only, only while it is unchanged, and a post whose
  // identity is missing or forged is refused like a stale page. Signed with
  // the TZylCSS's SiteSecret.
  bool GetRowIdentity() const { return editing_.rowIdentity; }
  void SetRowIdentity(bool v) { editing_.rowIdentity = v; }
  // True when at least one column has EditMode set.
  bool GetEditMode() const;
  // Sets EditMode of every column (the row-number column excepted).
  void SetEditMode(bool value);

  // ---- Header bar ---------------------------------------------------------
  const std::string& GetHeader() const { return look_.header; }
  void SetHeader(const std::string& v) { look_.header = v; }
  TFont& HeaderFont() { return look_.headerFont; }
  const TFont& HeaderFont() const { return look_.headerFont; }
  void SetHeaderFont(const TFont& font) { look_.headerFont.Assign(font); }
  TColor GetHeaderColor() const { return look_.headerColor; }
  void SetHeaderColor(TColor v) { look_.headerColor = v; }
  TFontStyle GetHeaderFontStyle() const { return look_.headerFontStyle; }
  void SetHeaderFontStyle(TFontStyle v) { look_.headerFontStyle = v; }
  HAlignment GetHeaderHAlign() const { return look_.headerHAlign; }
  void SetHeaderHAlign(HAlignment v) { look_.headerHAlign = v; }
  VAlignment GetHeaderVAlign() const { return look_.headerVAlign; }
  void SetHeaderVAlign(VAlignment v) { look_.headerVAlign = v; }

  // ---- Links (not owned; cleared when the other component is destroyed) ---
  TDataSet* GetDataset() const { return links_.dataset; }
  // Links the dataset (registering for its destruction) and clears FileName.
  void SetDataset(TDataSet* dataset);
  TZylHTMLGrid* GetMasterGrid() const { return links_.masterGrid; }
  // Raises "Circular references are not allowed!" for this grid itself and
  // "Master and Detail grid must be different!" for the DetailGrid; takes
  // the master's MaxRows as RowsPerPage.
  void SetMasterGrid(TZylHTMLGrid* master);
  TZylHTMLGrid* GetDetailGrid() const { return links_.detailGrid; }
  void SetDetailGrid(TZylHTMLGrid* detail);
  const std::string& GetFileName() const { return links_.fileName; }
  // A non-empty name detaches the dataset and loads the file at once.
  void SetFileName(const std::string& fileName);
  // The linked TZylCSS after building the page, so that its style sheet
  // holds this grid's classes; null (and nothing built) without a link.
  TZylCSS* GetCSS();
  // The link only, without building anything.
  TZylCSS* CSSLink() const { return links_.css; }
  void SetCSS(TZylCSS* css);

  // ---- Paging and shape -----------------------------------------------------
  bool GetGlobalSorting() const { return paging_.globalSorting; }
  void SetGlobalSorting(bool v) { paging_.globalSorting = v; }
  int GetMaxCols() const { return paging_.maxCols; }
  void SetMaxCols(int v) { paging_.maxCols = v; }
  int GetMaxRows() const { return paging_.maxRows; }
  void SetMaxRows(int v) { paging_.maxRows = v; }
  int GetRecNo() const { return paging_.recNo; }
  // Stores the current record and, with an open dataset, moves its cursor
  // there (clamped to the records).
  void SetRecNo(int recNo);
  int GetRow() const { return paging_.row; }
  void SetRow(int v) { paging_.row = v; }
  int GetCol() const { return paging_.col; }
  void SetCol(int v) { paging_.col = v; }
  int GetRowCount();
  void SetRowCount(int count);
  int GetColCount();
  void SetColCount(int count);
  int GetFixedRows() const { return paging_.fixedRows; }
  void SetFixedRows(int v) { paging_.fixedRows = v; }
  int GetFixedCols() const { return paging_.fixedCols; }
  void SetFixedCols(int v) { paging_.fixedCols = v; }
  int GetRowsPerPage() const { return paging_.rowsPerPage; }
  void SetRowsPerPage(int v) { paging_.rowsPerPage = v; }
  int GetPage() const { return paging_.page; }
  // A value below 1 is stored as 1.
  void SetPage(int v) { paging_.page = v < 1 ? 1 : v; }
  // Pages of the data source: TotalRowCount div RowsPerPage, rounded up; 0
  // when RowsPerPage is 0 or below.
  int GetPageCount() const;
  void SetPageCount(int /*ignored*/) {}

  // ---- Appearance -------------------------------------------------------------
  int GetWidth() const { return look_.width; }
  void SetWidth(int v) { look_.width = v; }
  bool GetWidthPercent() const { return look_.widthPercent; }
  void SetWidthPercent(bool v) { look_.widthPercent = v; }
  int GetHeight() const { return look_.height; }
  void SetHeight(int v) { look_.height = v; }
  bool GetHeightPercent() const { return look_.heightPercent; }
  void SetHeightPercent(bool v) { look_.heightPercent = v; }
  const std::string& GetImagesURL() const { return look_.imagesURL; }
  void SetImagesURL(const std::string& v) { look_.imagesURL = v; }
  TColor GetBackground() const { return look_.background; }
  void SetBackground(TColor v) { look_.background = v; }
  TColor GetBorderColor() const { return look_.borderColor; }
  void SetBorderColor(TColor v) { look_.borderColor = v; }
  int GetBorderWidth() const { return look_.borderWidth; }
  void SetBorderWidth(int v) { look_.borderWidth = v; }
  TColor GetToolbarColor() const { return look_.toolbarColor; }
  void SetToolbarColor(TColor v) { look_.toolbarColor = v; }
  TFont& ToolbarFont() { return look_.toolbarFont; }
  const TFont& ToolbarFont() const { return look_.toolbarFont; }
  void SetToolbarFont(const TFont& font) { look_.toolbarFont.Assign(font); }
  TFontStyle GetToolbarFontStyle() const { return look_.toolbarFontStyle; }
  void SetToolbarFontStyle(TFontStyle v) { look_.toolbarFontStyle = v; }
  HAlignment GetToolbarHAlign() const { return look_.toolbarHAlign; }
  void SetToolbarHAlign(HAlignment v) { look_.toolbarHAlign = v; }
  VAlignment GetToolbarVAlign() const { return look_.toolbarVAlign; }
  void SetToolbarVAlign(VAlignment v) { look_.toolbarVAlign = v; }
  bool GetShowTopToolBar() const { return look_.showTopToolBar; }
  void SetShowTopToolBar(bool v) { look_.showTopToolBar = v; }
  bool GetShowBottomToolBar() const { return look_.showBottomToolBar; }
  void SetShowBottomToolBar(bool v) { look_.showBottomToolBar = v; }
  bool GetShowVerticalToolbar() const { return look_.showVerticalToolbar; }
  void SetShowVerticalToolbar(bool v) { look_.showVerticalToolbar = v; }
  bool GetShowGlyphs() const { return look_.showGlyphs; }
  // Stores, then sets ShowGlyph of every column.
  void SetShowGlyphs(bool v);
  bool GetSelectable() const { return look_.selectable; }
  // Stores; false also turns ShowSelectors off.
  void SetSelectable(bool v);
  bool GetShowSelectors() const { return look_.showSelectors; }
  // Stores (forced false while not Selectable), then every column's
  // ShowSelector (which keeps non-selectable columns off).
  void SetShowSelectors(bool v);
  // Stores without touching the columns (request parsing).
  void StoreShowSelectors(bool v) { look_.showSelectors = v; }
  bool GetShowBlobs() const { return look_.showBlobs; }
  void SetShowBlobs(bool v) { look_.showBlobs = v; }
  bool GetShowMemos() const { return look_.showMemos; }
  void SetShowMemos(bool v) { look_.showMemos = v; }
  bool GetSmallToolbar() const { return look_.smallToolbar; }
  void SetSmallToolbar(bool v) { look_.smallToolbar = v; }
  // Off: the toolbar lists every page. On: above 1,000 pages it shows a
  // number box instead, so a page's size does not grow with the table.
  bool GetPageNumberBox() const { return look_.pageNumberBox; }
  void SetPageNumberBox(bool v) { look_.pageNumberBox = v; }
  bool GetWordWrap() const { return look_.wordWrap; }
  // Stores, then sets WordWrap of every column.
  void SetWordWrap(bool v);
  int GetTextIndent() const { return look_.textIndent; }
  void SetTextIndent(int v) { look_.textIndent = v; }
  TCSSUnits GetCSSUnits() const { return look_.cssUnits; }
  void SetCSSUnits(TCSSUnits v) { look_.cssUnits = v; }
  bool GetShowRowNumber() const { return look_.showRowNumber; }
  // Adds (true) or removes (false) the row-number column; true while
  // already true renumbers the rows for the current page.
  void SetShowRowNumber(bool flag);
  const std::string& GetQueryString() const { return links_.queryString; }
  void SetQueryString(const std::string& v) { links_.queryString = v; }
  bool GetCacheBitmaps() const { return look_.cacheBitmaps; }
  void SetCacheBitmaps(bool v) { look_.cacheBitmaps = v; }
  bool GetUseControlStyles() const { return look_.useControlStyles; }
  void SetUseControlStyles(bool v) { look_.useControlStyles = v; }
  // Off by default (the page keeps its classic markup). On: captions are
  // header cells with their sort state, the data table has a caption, every
  // image has an alternative text and every control a label, the error box
  // is an alert and the current record's row is marked (render/Accessible.h).
  bool GetAccessibleMarkup() const { return look_.accessibleMarkup; }
  void SetAccessibleMarkup(bool v) { look_.accessibleMarkup = v; }

  // ---- The page -----------------------------------------------------------------
  // Builds the page into the grid's own page text and returns it (the
  // caller does not own it).
  TStringList& GetHTML();
  // Builds the page and returns its text, the same as GetHTML().GetText().
  // When no handler sees the page's items (OnBeforeHTMLGeneration,
  // OnAfterHTMLGeneration, the header, toolbar, hidden-variable and plugin
  // events all unset) and the bottom toolbar is shown, the page is written
  // as one text without its list of lines, and PageText() is left empty.
  std::string GetHTMLText();
  // Replaces the page text's lines with a copy of `lines`.
  void SetHTML(const TStringList& lines);
  // The page text as last built, without building.
  TStringList& PageText() { return pageText_; }
  std::string GetHTMLZip();
  std::string GetJavaScript() const;
  std::string GetErrorBox(const std::string& text);
  std::string GetCachedBitmaps(const std::string& text) const;
  std::string GetToolbar(bool top);

  // ---- Styles and colours ----------------------------------------------------------
  // Composes a style rule through the linked TZylCSS and returns it; the
  // class name comes back in `className`. Without a link: "" and
  // `className` unchanged.
  std::string ComposeCSS(const TFont& font, TFontStyle fontStyle, bool wordWrap, HAlignment hAlign,
                         VAlignment vAlign, const std::string& alignmentChar, int indent,
                         std::string& className);
  // The same without returning the rule: only the class name.
  void ComposeClass(const TFont& font, TFontStyle fontStyle, bool wordWrap, HAlignment hAlign,
                    const std::string& alignmentChar, int indent, std::string& className);
  std::string ComposeSTYLE(const std::string& width, const std::string& height,
                           const std::string& border, TColor textColor, TColor backColor) const;
  static std::uint32_t ColorToRGB(TColor color);
  static TColor AddBrigthness(TColor color, int delta);
  static TColor MixColors(TColor color1, TColor color2);
  // CR LF becomes "<BR>" with wordWrap, a blank without.
  static std::string ProcessLine(const std::string& text, bool wordWrap);

  // ---- Events -------------------------------------------------------------------------
  OnGetCellHTMLEvent OnGetCellHTML;
  OnGetCaptionCellHTMLEvent OnGetCaptionCellHTML;
  OnGetRowHTMLEvent OnGetRowHTML;
  OnAddPluginEvent OnAddPlugin;
  OnAddHiddenVariablesEvent OnAddHiddenVariables;
  OnAddToolbarHiddenVariablesEvent OnAddToolbarHiddenVariables;
  OnDoDefaultActionEvent OnBeforeDoDefaultAction;
  OnDoDefaultActionEvent OnAfterDoDefaultAction;
  OnReadDataEvent OnBeforeReadData;
  OnReadDataEvent OnAfterReadData;
  OnComposeHTMLEvent OnBeforeAddHeader;
  OnComposeHTMLEvent OnAfterAddHeader;
  OnComposeHTMLEvent OnBeforeAddToobar;
  OnComposeHTMLEvent OnAfterAddToobar;
  OnComposeHTMLEvent OnBeforeHTMLGeneration;
  OnComposeHTMLEvent OnAfterHTMLGeneration;
  OnProcessCellDataEvent OnProcessCellData;
  // After each record an update, add or delete stored (an update's after
  // its transaction committed); not called for text file sources.
  OnRecordChangeEvent OnAfterStoreRecord;

  // ---- Element access ---------------------------------------------------------------
  // Indices outside the lists raise EListError. Writers hand the replaced
  // object back to the caller, who then owns it.
  TZylField* GetCells(int row, int col) const { return matrix_->GetMatrix(row, col); }
  std::unique_ptr<TZylField> SetCells(int row, int col, std::unique_ptr<TZylField> cell) {
    return matrix_->SetMatrix(row, col, std::move(cell));
  }
  TZylField* GetFields(int col) const { return GetCells(paging_.row, col); }
  std::unique_ptr<TZylField> SetFields(int col, std::unique_ptr<TZylField> cell) {
    return SetCells(paging_.row, col, std::move(cell));
  }
  TZylColumn* GetColumns(int index) const { return columns_.Get(index); }
  std::unique_ptr<TZylColumn> SetColumns(int index, std::unique_ptr<TZylColumn> column) {
    return columns_.Replace(index, std::move(column));
  }
  TZylRow* GetRows(int index) const { return rows_.Get(index); }
  std::unique_ptr<TZylRow> SetRows(int index, std::unique_ptr<TZylRow> row) {
    return rows_.Replace(index, std::move(row));
  }
  TZylMatrix& Matrix() const { return *matrix_; }
  // Replaces the matrix; the previous one is handed back to the caller.
  std::unique_ptr<TZylMatrix> SetMatrix(std::unique_ptr<TZylMatrix> matrix);
  // Number of columns and rows in the lists (no refresh of the stored counts).
  int ColumnListCount() const { return columns_.Count(); }
  int RowListCount() const { return rows_.Count(); }

  // ---- Structure editing --------------------------------------------------------------
  TZylColumn* AddCol();
  TZylColumn* InsertCol(int index);
  void DeleteCol(int index);
  TZylRow* InternalAddRow();
  TZylRow* InternalInsertRow(int index);
  TZylRow* AddRow();
  TZylRow* InsertRow(int index);
  void DeleteRow(int index);
  // Moves row `from` to `to` (cells and row object) and renumbers the rows.
  void MoveRow(int from, int to);
  // Moves column `from` to `to` (cells and column object) and renumbers the columns.
  void MoveCol(int from, int to);

  // ---- Sorting -----------------------------------------------------------------------
  int CompareValues(int aCol, int row1, int row2) const;
  void SortAscending(int aCol);
  void SortDescending(int aCol);
  // Asks the dataset to sort all its records (by its class's sort
  // property) and reads the page again; always returns false.
  bool SortDataset(int aCol, TSortOrder order);
  // The first column whose SortOrder is not soNone, or -1.
  int GetSortColumn() const;

  // ---- Summary rows ----------------------------------------------------------------
  void CalcSum();
  void CalcSA();
  void AddNew();
  bool IsNumeric(int col) const;
  bool IsDate(int col) const;

  // ---- Reading data -------------------------------------------------------------------
  void ReadValues();
  // Makes the columns of the dataset's fields as ReadValues does, reading no
  // record and no count: enough for ProcessParameters, whose action then
  // reads the page once.
  void ReadColumns();
  void PopulateRow(int aRow);
  void PopulateCell(int aRow, int aCol, const std::string& value);
  void PopulatePickList(TDataSet* dataSet, const std::string& fieldIndexes,
                        const std::string& columnIndexes, bool sorted);
  void PopulatePickListEX(TDataSet* dataSet, const std::string& pickField,
                          const std::string& valueField, int aCol);
  void ApplySettings();
  int GetSlowRecNo();
  // The stored record total, or the row count when it is 0.
  int GetTotalRowCount();
  void SetTotalRowCount(int v) { paging_.totalRowCount = v; }
  int StoredTotalRowCount() const { return paging_.totalRowCount; }

  // ---- Delimited text files -------------------------------------------------------
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromCSV(const std::string& fileName);
  bool LoadFromStringList(const TStringList& list, char delimiter);
  void SaveToFile(const std::string& fileName);
  void SaveToCSV(const std::string& fileName);
  void SaveToStringList(TStringList& list, char delimiter, bool includeRowNumbers);
  // The same with each cell's text (row, column) from `cellText` and each
  // caption through `captionText` in place of the Value and Caption (the
  // tab-separated download's exact values).
  void SaveToStringList(TStringList& list, char delimiter, bool includeRowNumbers,
                        const std::function<std::string(int, int)>& cellText,
                        const std::function<std::string(const std::string&)>& captionText);
  static void ParseLine(const std::string& line, char delimiter, TStringList& fields);

  // ---- Finding (off by default; the page is unchanged while all are off) ----
  // FilterRow: one input per visible column under the captions ("GFLT_<field
  // index>"), with an OK and a Clear button; QuickSearch: a search box in
  // the header bar ("GSEARCH") over every visible text column. Filters are
  // read by ParseFieldFilter (datasets/RowFilter.h) in DateFormat; one that
  // does not parse is shown back with its message and left out. Counts,
  // pages, summary rows and exports see only the records that pass.
  bool GetFilterRow() const { return finding_.filterRow; }
  void SetFilterRow(bool v) { finding_.filterRow = v; }
  bool GetQuickSearch() const { return finding_.quickSearch; }
  void SetQuickSearch(bool v) { finding_.quickSearch = v; }
  // ViewLink: a "link to this view" anchor in the header bar (ViewURL).
  bool GetViewLink() const { return finding_.viewLink; }
  void SetViewLink(bool v) { finding_.viewLink = v; }
  // WholeResultTotals: sum and average rows cover every record that passes
  // the filter (the dataset's Aggregate: SQL SUM / AVG), not the page;
  // empty cells count in neither the sum nor the average's divisor.
  bool GetWholeResultTotals() const { return finding_.wholeResultTotals; }
  void SetWholeResultTotals(bool v) { finding_.wholeResultTotals = v; }
  // Filter texts by field index ("" removes one) and the search term.
  const std::map<int, std::string>& GetFilters() const { return finding_.filters; }
  void SetFilter(int fieldIndex, const std::string& text);
  const std::string& GetSearch() const { return finding_.search; }
  void SetSearch(const std::string& v) { finding_.search = v; }
  // A text file's sum and count of values of field `field` over the lines
  // that pass the filter (with WholeResultTotals).
  std::pair<double, int> FileTotal(int field) const {
    auto found = finding_.fileTotals.find(field);
    return found == finding_.fileTotals.end() ? std::pair<double, int>{0, 0} : found->second;
  }
  // Messages of the filters that did not parse in the last read, by field.
  const std::map<int, std::string>& GetFilterErrors() const { return finding_.errors; }
  // The script's URL with the query that reproduces this view by GET:
  // page, rows per page, sort, current record, filters and search, with
  // the master's and the detail grid's state.
  std::string GetViewURL();

  // ---- Requests, actions and downloads ------------------------------------------
  // Reads the request through the linked TZylCSS (GET: QUERY_STRING without
  // the fields that change data, form::IsChangeField; POST: QueryString, then
  // the posted fields) and returns the action it asks of this grid.
  TGridAction ProcessParameters();
  TGridAction ProcessQueryString();
  // The same for fields handed over as text: decoded 'name=value' lines.
  TGridAction ProcessParametersData(const std::string& fieldText);
  std::string GetSettingsHV(const std::string& exclusions, TZylHTMLGrid* caller);
  static std::string WWWDecode(const std::string& s);
  std::string GetEnvironmentVariable(const std::string& name) const;
  std::string GetScriptName() const;
  std::string GetScriptPath() const;
  std::string GetServerName() const;
  // The page's posted fields; null without a linked TZylCSS.
  TStringList* GetPostData() const;
  bool DoDefaultAction(TGridAction action);
  bool CanUpdate();
  bool Done();
  void CleanupEdits();
  static std::string GetTempFileName();
  void SaveAs(TExportType exportType, TStream& stream);
  // The same for a scope: the current page (as above) or the whole result.
  void SaveAs(TExportType exportType, TStream& stream, TExportScope scope);
  void SendFile(const std::string& contentType, TStream& stream, const std::string& fileName);

  // ---- Editing -----------------------------------------------------------------------
  bool UpdateDatabase();
  bool AddDBRecord();
  bool DeleteDBRecord();
  bool AddTextRecord();
  bool DeleteTextRecord();
  bool UpdateTextFile();

  // ---- Configuration -----------------------------------------------------------------
  void SaveConfig(const std::string& fileName);
  void LoadConfig(const std::string& fileName);

  // ---- Request and editing state --------------------------------------------------
  bool GetGlyphToggle() const { return look_.glyphToggle; }
  void SetGlyphToggle(bool v) { look_.glyphToggle = v; }
  bool GetShowErrorBox() const { return editing_.showErrorBox; }
  void SetShowErrorBox(bool v) { editing_.showErrorBox = v; }
  TExportType GetSaveAsType() const { return look_.saveAsType; }
  void SetSaveAsType(TExportType v) { look_.saveAsType = v; }
  bool GetAddingRecord() const { return editing_.addingRecord; }
  void SetAddingRecord(bool v) { editing_.addingRecord = v; }
  bool GetAddPending() const { return editing_.addPending; }
  void SetAddPending(bool v) { editing_.addPending = v; }
  const std::string& GetLastUpdateError() const { return editing_.lastUpdateError; }
  void SetLastUpdateError(const std::string& v) { editing_.lastUpdateError = v; }
  // Tab-separated downloads: text cells starting with = + - @, a tab or a
  // carriage return get a leading apostrophe, so that a spreadsheet does
  // not evaluate them as formulas. Off by default (the cells' own bytes).
  bool GetGuardFormulas() const { return look_.guardFormulas; }
  void SetGuardFormulas(bool v) { look_.guardFormulas = v; }
  // The save list's extras: the formats CSV, XLSX and JSON and, for every
  // format, the whole result (every row of the dataset in the current sort
  // order, written window by window). Off by default: the list and the
  // accepted choices are the five formats of the current page.
  bool GetExportExtras() const { return look_.exportExtras; }
  void SetExportExtras(bool v) { look_.exportExtras = v; }
  TExportScope GetSaveAsScope() const { return look_.saveAsScope; }
  void SetSaveAsScope(TExportScope v) { look_.saveAsScope = v; }
  // One line on the values the last export (SaveAs) wrote as their format's
  // substitute, "" when it kept every value: "3 values the format cannot
  // hold were written as substitutes; the first: column 'Weight', row 2:
  // inf -> #NUM!". The library writes no log; hosts may.
  const std::string& GetLastExportNote() const { return editing_.lastExportNote; }
  void SetLastExportNote(const std::string& v) { editing_.lastExportNote = v; }
  const std::string& GetGUID() const { return editing_.guid; }
  void SetGUID(const std::string& v) {
    editing_.guid = v;
    editing_.lockTaken = false;
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TZylColumn;
  friend class TZylRow;

  // Writes the row-number value of grid row `row` (Value and NumericValue)
  // into `cell` and returns the number.
  long long WriteRowNumber(TZylField& cell, int row) const;
  // A row list of one new cell per column; `formatted` cells take their
  // column's formatting.
  std::unique_ptr<TZylCellList> NewCellList(bool formatted) const;
  TZylRow* PlaceRow(int index, bool formatted);
  void RenumberRows(int from);
  void RenumberCols(int from);
  void SortRows(int aCol, bool descending);
  // Pages the toolbar offers: GetTotalRowCount / RowsPerPage rounded up; 1
  // when RowsPerPage is 0 (every record on one page).
  int ToolbarPageCount();
  // True when a master up the chain is adding a record (the page then
  // locks this grid).
  bool LockedByMaster() const;
  // Builds the page into `page` (Page.cpp).
  void BuildHTML(render::PageSink& page);
  void AppendEditToolbar(render::PageSink& page);
  // Exports into a temporary file and sends it as the download.
  void SendDownload();
  // The form protocol's parser: picks this grid's block out of `fields`,
  // applies the hidden state and the click, returns the action.
  TGridAction ProcessFields(const std::vector<form::FormField>& fields);
  // The lock test of an add or a delete: CanUpdate's test and, when the
  // lock is valid, the removal of every lock of the program, in one step
  // of the store (UpdateLockStore::Claim). Sets the page's message as
  // CanUpdate does.
  bool ClaimChange();
  // One read of the data page (data/ReadValues.cpp), which ReadValues
  // repeats when records went between the count and the read.
  void ReadPage(TDataSet& ds);
  // The columns bound to the dataset's fields, the part of ReadPage that
  // ReadColumns shares.
  void BindColumns(TDataSet& ds);
  // Runs `read` with the number column set aside, so that the data columns
  // start at 0; the column comes back afterwards with its sort order, and
  // the columns' settings are applied.
  void WithoutNumberColumn(const std::function<void()>& read);
  // CanUpdate's test (claim false) or ClaimChange's (claim true).
  bool TestPageLock(bool claim);
  // Writes the page's update lock before the page's data is read (an
  // editable grid with a CSS and a page identity only), so a change
  // claimed after the write removes it; Done then leaves it as it is.
  void TakeUpdateLock();
  // True when one of `fields` is a GUID that the TZylCSS issued (needs one).
  bool HasIssuedGUID(const std::vector<form::FormField>& fields) const;
  // The state the forms repeat, and as a query string (no GUID).
  form::GridHiddenState HiddenState() const;
  std::string ViewState() const;
  // Hands the filters and the search to `ds` (data/RowFilters.cpp).
  void ApplyRowFilter(TDataSet& ds);
  // Lines of a text file (header first) that pass the filters, with their
  // line numbers; every line when none is set.
  void FilterLines(const TStringList& lines, char delimiter, TStringList& kept,
                   std::vector<int>& numbers);
  // The filter row, the search box and the view link (render/FindParts.cpp).
  std::string GetFilterRowHTML();
  std::string GetSearchBoxHTML();

  // The grid's state, by concern (model/GridState.h).
  GridTexts texts_;
  GridAppearance look_;
  GridPaging paging_;
  GridLinks links_;
  GridEditing editing_;
  GridReading reading_;
  GridFinding finding_;

  // Owned structure: columns, rows, cells.
  OwnedList<TZylColumn> columns_;
  OwnedList<TZylRow> rows_;
  std::unique_ptr<TZylMatrix> matrix_;
  TStringList pageText_;
};

}  // namespace zyl
