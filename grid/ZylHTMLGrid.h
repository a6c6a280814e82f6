// TZylHTMLGrid: the grid component. It owns its columns, rows, cell matrix,
// page text and two fonts; it links (without owning) a dataset, the page's
// TZylCSS, a master and a detail grid, and hears through free notification
// when any of them is destroyed.
//
// This header is the component's whole public face. Its work lives in the
// folders above grid/: reading data, text files and summary rows in data/,
// editing in edit/, rendering in render/, configuration files in config/,
// parameters, default actions and downloads in actions/ (over request/ and
// export/); structure editing and in-grid sorting stay in grid/.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "datasets/DataSet.h"
#include "model/GridTypes.h"
#include "grid/ZylColumn.h"
#include "grid/ZylField.h"
#include "grid/ZylGlyph.h"
#include "grid/ZylMatrix.h"
#include "grid/ZylRow.h"
#include "platform/Component.h"
#include "platform/Font.h"
#include "platform/OwnedList.h"
#include "platform/StringList.h"

namespace zyl {

class TZylCSS;
class TStream;
namespace form {
struct FormField;
}

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
  const std::string& GetAltFirstPage() const { return altFirstPage_; }
  void SetAltFirstPage(const std::string& v) { altFirstPage_ = v; }
  const std::string& GetAltPreviousPage() const { return altPreviousPage_; }
  void SetAltPreviousPage(const std::string& v) { altPreviousPage_ = v; }
  const std::string& GetAltNextPage() const { return altNextPage_; }
  void SetAltNextPage(const std::string& v) { altNextPage_ = v; }
  const std::string& GetAltLastPage() const { return altLastPage_; }
  void SetAltLastPage(const std::string& v) { altLastPage_ = v; }
  const std::string& GetAltOK() const { return altOK_; }
  void SetAltOK(const std::string& v) { altOK_ = v; }
  const std::string& GetAltSave() const { return altSave_; }
  void SetAltSave(const std::string& v) { altSave_ = v; }
  const std::string& GetAltPrint() const { return altPrint_; }
  void SetAltPrint(const std::string& v) { altPrint_ = v; }
  const std::string& GetAltSelectColumns() const { return altSelectColumns_; }
  void SetAltSelectColumns(const std::string& v) { altSelectColumns_ = v; }
  const std::string& GetAltShowAllColumns() const { return altShowAllColumns_; }
  void SetAltShowAllColumns(const std::string& v) { altShowAllColumns_ = v; }
  const std::string& GetAltShowSelectedColumns() const { return altShowSelectedColumns_; }
  void SetAltShowSelectedColumns(const std::string& v) { altShowSelectedColumns_ = v; }
  const std::string& GetAltSortAscending() const { return altSortAscending_; }
  void SetAltSortAscending(const std::string& v) { altSortAscending_ = v; }
  const std::string& GetAltSortDescending() const { return altSortDescending_; }
  void SetAltSortDescending(const std::string& v) { altSortDescending_ = v; }
  const std::string& GetAltCurrentRecord() const { return altCurrentRecord_; }
  void SetAltCurrentRecord(const std::string& v) { altCurrentRecord_ = v; }
  const std::string& GetAltGotoRecord() const { return altGotoRecord_; }
  void SetAltGotoRecord(const std::string& v) { altGotoRecord_ = v; }
  const std::string& GetAltClearSorting() const { return altClearSorting_; }
  void SetAltClearSorting(const std::string& v) { altClearSorting_ = v; }
  const std::string& GetAltSum() const { return altSum_; }
  void SetAltSum(const std::string& v) { altSum_ = v; }
  const std::string& GetAltSA() const { return altSA_; }
  void SetAltSA(const std::string& v) { altSA_ = v; }
  const std::string& GetAltGraph() const { return altGraph_; }
  void SetAltGraph(const std::string& v) { altGraph_ = v; }
  const std::string& GetAltUpdate() const { return altUpdate_; }
  void SetAltUpdate(const std::string& v) { altUpdate_ = v; }
  const std::string& GetAltCancelUpdate() const { return altCancelUpdate_; }
  void SetAltCancelUpdate(const std::string& v) { altCancelUpdate_ = v; }
  const std::string& GetAltAddRecord() const { return altAddRecord_; }
  void SetAltAddRecord(const std::string& v) { altAddRecord_ = v; }
  const std::string& GetAltDeleteRecord() const { return altDeleteRecord_; }
  void SetAltDeleteRecord(const std::string& v) { altDeleteRecord_ = v; }
  const std::string& GetAltHideSortGlyphs() const { return altHideSortGlyphs_; }
  void SetAltHideSortGlyphs(const std::string& v) { altHideSortGlyphs_ = v; }
  const std::string& GetAltShowSortGlyphs() const { return altShowSortGlyphs_; }
  void SetAltShowSortGlyphs(const std::string& v) { altShowSortGlyphs_ = v; }
  const std::string& GetTextPage() const { return textPage_; }
  void SetTextPage(const std::string& v) { textPage_ = v; }
  const std::string& GetTextOf() const { return textOf_; }
  void SetTextOf(const std::string& v) { textOf_ = v; }
  const std::string& GetTextRows() const { return textRows_; }
  void SetTextRows(const std::string& v) { textRows_ = v; }
  const std::string& GetTextSaveAs() const { return textSaveAs_; }
  void SetTextSaveAs(const std::string& v) { textSaveAs_ = v; }
  const std::string& GetTextSum() const { return textSum_; }
  void SetTextSum(const std::string& v) { textSum_ = v; }
  const std::string& GetTextAverage() const { return textAverage_; }
  void SetTextAverage(const std::string& v) { textAverage_ = v; }
  const std::string& GetTextConfirmDelete() const { return textConfirmDelete_; }
  void SetTextConfirmDelete(const std::string& v) { textConfirmDelete_ = v; }
  // "\n" (backslash, n) marks a line break for the error box.
  const std::string& GetTextUpdateError() const { return textUpdateError_; }
  void SetTextUpdateError(const std::string& v) { textUpdateError_ = v; }
  // Caption of the row-number column.
  const std::string& GetTextNumber() const { return textNumber_; }
  void SetTextNumber(const std::string& v) { textNumber_ = v; }

  // ---- Colours and summary rows -------------------------------------------
  TColor GetCalcRowColor() const { return calcRowColor_; }
  void SetCalcRowColor(TColor v) { calcRowColor_ = v; }
  TColor GetCurrentRowColor() const { return currentRowColor_; }
  void SetCurrentRowColor(TColor v) { currentRowColor_ = v; }
  TColor GetOddRowColor() const { return oddRowColor_; }
  void SetOddRowColor(TColor v) { oddRowColor_ = v; }
  TColor GetEvenRowColor() const { return evenRowColor_; }
  void SetEvenRowColor(TColor v) { evenRowColor_ = v; }
  TColor GetOddColColor() const { return oddColColor_; }
  void SetOddColColor(TColor v) { oddColColor_ = v; }
  TColor GetEvenColColor() const { return evenColColor_; }
  void SetEvenColColor(TColor v) { evenColColor_ = v; }
  bool GetDoMadeSum() const { return doMadeSum_; }
  void SetDoMadeSum(bool v) { doMadeSum_ = v; }
  bool GetDoMadeSA() const { return doMadeSA_; }
  void SetDoMadeSA(bool v) { doMadeSA_ = v; }

  // ---- Formats and editing ------------------------------------------------
  const std::string& GetDateFormat() const { return dateFormat_; }
  void SetDateFormat(const std::string& v) { dateFormat_ = v; }
  const std::string& GetDateTimeFormat() const { return dateTimeFormat_; }
  void SetDateTimeFormat(const std::string& v) { dateTimeFormat_ = v; }
  const std::string& GetTimeFormat() const { return timeFormat_; }
  void SetTimeFormat(const std::string& v) { timeFormat_ = v; }
  TEditStyle GetEditStyle() const { return editStyle_; }
  void SetEditStyle(TEditStyle v) { editStyle_ = v; }
  bool GetUpdatByEnter() const { return updatByEnter_; }
  void SetUpdatByEnter(bool v) { updatByEnter_ = v; }
  // True when at least one column has EditMode set.
  bool GetEditMode() const;
  // Sets EditMode of every column (the row-number column excepted).
  void SetEditMode(bool value);

  // ---- Header bar ---------------------------------------------------------
  const std::string& GetHeader() const { return header_; }
  void SetHeader(const std::string& v) { header_ = v; }
  TFont& HeaderFont() { return headerFont_; }
  const TFont& HeaderFont() const { return headerFont_; }
  void SetHeaderFont(const TFont& font) { headerFont_.Assign(font); }
  TColor GetHeaderColor() const { return headerColor_; }
  void SetHeaderColor(TColor v) { headerColor_ = v; }
  TFontStyle GetHeaderFontStyle() const { return headerFontStyle_; }
  void SetHeaderFontStyle(TFontStyle v) { headerFontStyle_ = v; }
  HAlignment GetHeaderHAlign() const { return headerHAlign_; }
  void SetHeaderHAlign(HAlignment v) { headerHAlign_ = v; }
  VAlignment GetHeaderVAlign() const { return headerVAlign_; }
  void SetHeaderVAlign(VAlignment v) { headerVAlign_ = v; }

  // ---- Links (not owned; cleared when the other component is destroyed) ---
  TDataSet* GetDataset() const { return dataset_; }
  // Links the dataset (registering for its destruction) and clears FileName.
  void SetDataset(TDataSet* dataset);
  TZylHTMLGrid* GetMasterGrid() const { return masterGrid_; }
  // Raises "Circular references are not allowed!" for this grid itself and
  // "Master and Detail grid must be different!" for the DetailGrid; takes
  // the master's MaxRows as RowsPerPage.
  void SetMasterGrid(TZylHTMLGrid* master);
  TZylHTMLGrid* GetDetailGrid() const { return detailGrid_; }
  void SetDetailGrid(TZylHTMLGrid* detail);
  const std::string& GetFileName() const { return fileName_; }
  // A non-empty name detaches the dataset and loads the file at once.
  void SetFileName(const std::string& fileName);
  // The linked TZylCSS after building the page, so that its style sheet
  // holds this grid's classes; null (and nothing built) without a link.
  TZylCSS* GetCSS();
  // The link only, without building anything.
  TZylCSS* CSSLink() const { return css_; }
  void SetCSS(TZylCSS* css);

  // ---- Paging and shape -----------------------------------------------------
  bool GetGlobalSorting() const { return globalSorting_; }
  void SetGlobalSorting(bool v) { globalSorting_ = v; }
  int GetMaxCols() const { return maxCols_; }
  void SetMaxCols(int v) { maxCols_ = v; }
  int GetMaxRows() const { return maxRows_; }
  void SetMaxRows(int v) { maxRows_ = v; }
  int GetRecNo() const { return recNo_; }
  // Stores the current record and, with an open dataset, moves its cursor
  // there (clamped to the records).
  void SetRecNo(int recNo);
  int GetRow() const { return row_; }
  void SetRow(int v) { row_ = v; }
  int GetCol() const { return col_; }
  void SetCol(int v) { col_ = v; }
  int GetRowCount();
  void SetRowCount(int count);
  int GetColCount();
  void SetColCount(int count);
  int GetFixedRows() const { return fixedRows_; }
  void SetFixedRows(int v) { fixedRows_ = v; }
  int GetFixedCols() const { return fixedCols_; }
  void SetFixedCols(int v) { fixedCols_ = v; }
  int GetRowsPerPage() const { return rowsPerPage_; }
  void SetRowsPerPage(int v) { rowsPerPage_ = v; }
  int GetPage() const { return page_; }
  // A value below 1 is stored as 1.
  void SetPage(int v) { page_ = v < 1 ? 1 : v; }
  // Pages of the data source: TotalRowCount div RowsPerPage, rounded up; 0
  // when RowsPerPage is 0 or below.
  int GetPageCount() const;
  void SetPageCount(int /*ignored*/) {}

  // ---- Appearance -------------------------------------------------------------
  int GetWidth() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  bool GetWidthPercent() const { return widthPercent_; }
  void SetWidthPercent(bool v) { widthPercent_ = v; }
  int GetHeight() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  bool GetHeightPercent() const { return heightPercent_; }
  void SetHeightPercent(bool v) { heightPercent_ = v; }
  const std::string& GetImagesURL() const { return imagesURL_; }
  void SetImagesURL(const std::string& v) { imagesURL_ = v; }
  TColor GetBackground() const { return background_; }
  void SetBackground(TColor v) { background_ = v; }
  TColor GetBorderColor() const { return borderColor_; }
  void SetBorderColor(TColor v) { borderColor_ = v; }
  int GetBorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v) { borderWidth_ = v; }
  TColor GetToolbarColor() const { return toolbarColor_; }
  void SetToolbarColor(TColor v) { toolbarColor_ = v; }
  TFont& ToolbarFont() { return toolbarFont_; }
  const TFont& ToolbarFont() const { return toolbarFont_; }
  void SetToolbarFont(const TFont& font) { toolbarFont_.Assign(font); }
  TFontStyle GetToolbarFontStyle() const { return toolbarFontStyle_; }
  void SetToolbarFontStyle(TFontStyle v) { toolbarFontStyle_ = v; }
  HAlignment GetToolbarHAlign() const { return toolbarHAlign_; }
  void SetToolbarHAlign(HAlignment v) { toolbarHAlign_ = v; }
  VAlignment GetToolbarVAlign() const { return toolbarVAlign_; }
  void SetToolbarVAlign(VAlignment v) { toolbarVAlign_ = v; }
  bool GetShowTopToolBar() const { return showTopToolBar_; }
  void SetShowTopToolBar(bool v) { showTopToolBar_ = v; }
  bool GetShowBottomToolBar() const { return showBottomToolBar_; }
  void SetShowBottomToolBar(bool v) { showBottomToolBar_ = v; }
  bool GetShowVerticalToolbar() const { return showVerticalToolbar_; }
  void SetShowVerticalToolbar(bool v) { showVerticalToolbar_ = v; }
  bool GetShowGlyphs() const { return showGlyphs_; }
  // Stores, then sets ShowGlyph of every column.
  void SetShowGlyphs(bool v);
  bool GetSelectable() const { return selectable_; }
  // Stores; false also turns ShowSelectors off.
  void SetSelectable(bool v);
  bool GetShowSelectors() const { return showSelectors_; }
  // Stores (forced false while not Selectable), then every column's
  // ShowSelector (which keeps non-selectable columns off).
  void SetShowSelectors(bool v);
  // Stores without touching the columns (request parsing).
  void StoreShowSelectors(bool v) { showSelectors_ = v; }
  bool GetShowBlobs() const { return showBlobs_; }
  void SetShowBlobs(bool v) { showBlobs_ = v; }
  bool GetShowMemos() const { return showMemos_; }
  void SetShowMemos(bool v) { showMemos_ = v; }
  bool GetSmallToolbar() const { return smallToolbar_; }
  void SetSmallToolbar(bool v) { smallToolbar_ = v; }
  bool GetWordWrap() const { return wordWrap_; }
  // Stores, then sets WordWrap of every column.
  void SetWordWrap(bool v);
  int GetTextIndent() const { return textIndent_; }
  void SetTextIndent(int v) { textIndent_ = v; }
  TCSSUnits GetCSSUnits() const { return cssUnits_; }
  void SetCSSUnits(TCSSUnits v) { cssUnits_ = v; }
  bool GetShowRowNumber() const { return showRowNumber_; }
  // Adds (true) or removes (false) the row-number column; true while
  // already true renumbers the rows for the current page.
  void SetShowRowNumber(bool flag);
  const std::string& GetQueryString() const { return queryString_; }
  void SetQueryString(const std::string& v) { queryString_ = v; }
  bool GetCacheBitmaps() const { return cacheBitmaps_; }
  void SetCacheBitmaps(bool v) { cacheBitmaps_ = v; }
  bool GetUseControlStyles() const { return useControlStyles_; }
  void SetUseControlStyles(bool v) { useControlStyles_ = v; }

  // ---- The page -----------------------------------------------------------------
  // Builds the page into the grid's own page text and returns it (the
  // caller does not own it).
  TStringList& GetHTML();
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
  std::string ComposeCSS(const TFont& font, TFontStyle fontStyle, bool wordWrap,
                         HAlignment hAlign, VAlignment vAlign, const std::string& alignmentChar,
                         int indent, std::string& className);
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

  // ---- Element access ---------------------------------------------------------------
  // Indices outside the lists raise EListError. Writers hand the replaced
  // object back to the caller, who then owns it.
  TZylField* GetCells(int row, int col) const { return matrix_->GetMatrix(row, col); }
  std::unique_ptr<TZylField> SetCells(int row, int col, std::unique_ptr<TZylField> cell) {
    return matrix_->SetMatrix(row, col, std::move(cell));
  }
  TZylField* GetFields(int col) const { return GetCells(row_, col); }
  std::unique_ptr<TZylField> SetFields(int col, std::unique_ptr<TZylField> cell) {
    return SetCells(row_, col, std::move(cell));
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
  void SetTotalRowCount(int v) { totalRowCount_ = v; }
  int StoredTotalRowCount() const { return totalRowCount_; }

  // ---- Delimited text files -------------------------------------------------------
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromCSV(const std::string& fileName);
  bool LoadFromStringList(const TStringList& list, char delimiter);
  void SaveToFile(const std::string& fileName);
  void SaveToCSV(const std::string& fileName);
  void SaveToStringList(TStringList& list, char delimiter, bool includeRowNumbers);
  static void ParseLine(const std::string& line, char delimiter, TStringList& fields);

  // ---- Requests, actions and downloads ------------------------------------------
  // Reads the request through the linked TZylCSS (GET: QUERY_STRING; POST:
  // QueryString, then the posted fields) and returns the action it asks of
  // this grid.
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
  bool GetGlyphToggle() const { return glyphToggle_; }
  void SetGlyphToggle(bool v) { glyphToggle_ = v; }
  bool GetShowErrorBox() const { return showErrorBox_; }
  void SetShowErrorBox(bool v) { showErrorBox_ = v; }
  TExportType GetSaveAsType() const { return saveAsType_; }
  void SetSaveAsType(TExportType v) { saveAsType_ = v; }
  bool GetAddingRecord() const { return addingRecord_; }
  void SetAddingRecord(bool v) { addingRecord_ = v; }
  bool GetAddPending() const { return addPending_; }
  void SetAddPending(bool v) { addPending_ = v; }
  const std::string& GetLastUpdateError() const { return lastUpdateError_; }
  void SetLastUpdateError(const std::string& v) { lastUpdateError_ = v; }
  const std::string& GetGUID() const { return guid_; }
  void SetGUID(const std::string& v) { guid_ = v; }

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
  void AppendEditToolbar();
  // Exports into a temporary file and sends it as the download.
  void SendDownload();
  // The form protocol's parser: picks this grid's block out of `fields`,
  // applies the hidden state and the click, returns the action.
  TGridAction ProcessFields(const std::vector<form::FormField>& fields);

  // Texts
  std::string altFirstPage_ = "First Page";
  std::string altPreviousPage_ = "Previous Page";
  std::string altNextPage_ = "Next Page";
  std::string altLastPage_ = "Last Page";
  std::string altOK_ = "GO";
  std::string altSave_ = "Save";
  std::string altPrint_ = "Print";
  std::string altSelectColumns_ = "Select columns to display";
  std::string altShowAllColumns_ = "Show all columns";
  std::string altShowSelectedColumns_ = "Show selected columns only";
  std::string altSortAscending_ = "Sort ascending";
  std::string altSortDescending_ = "Sort descending";
  std::string altCurrentRecord_ = "Current record";
  std::string altGotoRecord_ = "Go to this record";
  std::string altClearSorting_ = "Clear sorting";
  std::string altSum_ = "Calculate sum";
  std::string altSA_ = "Calculate average";
  std::string altGraph_ = "Draw graph";
  std::string altUpdate_ = "Update data";
  std::string altCancelUpdate_ = "Cancel";
  std::string altAddRecord_ = "Add Record";
  std::string altDeleteRecord_ = "Delete Record";
  std::string altHideSortGlyphs_ = "Hide Sort buttons";
  std::string altShowSortGlyphs_ = "Show Sort buttons";
  std::string textPage_ = "Page:";
  std::string textOf_ = "of:";
  std::string textRows_ = "Rows:";
  std::string textSaveAs_ = "Save:";
  std::string textSum_ = "Sum:";
  std::string textAverage_ = "Average:";
  std::string textConfirmDelete_ = "Are You sure to delete current record?";
  std::string textUpdateError_ =
      " Cannot update the table!\\n Another user has modifyed the table!\\n Please try again.";
  std::string textNumber_ = "No:";
  // Colours
  TColor calcRowColor_ = 0xC8FFC8;
  TColor currentRowColor_ = 0xE0FFFF;
  TColor oddRowColor_ = clNone;
  TColor evenRowColor_ = clNone;
  TColor oddColColor_ = clNone;
  TColor evenColColor_ = clNone;
  bool doMadeSum_ = false;
  bool doMadeSA_ = false;
  std::string dateFormat_ = "dd.mm.yyyy";
  std::string dateTimeFormat_ = "dd.mm.yyyy hh:nn:ss";
  std::string timeFormat_ = "hh:nn:ss";
  TEditStyle editStyle_ = TEditStyle::CurrentRow;
  bool updatByEnter_ = false;
  std::string header_;
  TFont headerFont_;
  TColor headerColor_ = 0xC8D0D4;
  TFontStyle headerFontStyle_ = TFontStyle::fsSanSerif;
  HAlignment headerHAlign_ = HAlignment::alLeft;
  VAlignment headerVAlign_ = VAlignment::alMiddle;
  TDataSet* dataset_ = nullptr;         // linked, not owned
  TZylHTMLGrid* masterGrid_ = nullptr;  // linked, not owned
  TZylHTMLGrid* detailGrid_ = nullptr;  // linked, not owned
  std::string fileName_;
  bool globalSorting_ = false;
  int maxCols_ = 256;
  int maxRows_ = 500;
  int recNo_ = 0;
  int row_ = 0;
  int col_ = 0;
  int storedRowCount_ = 0;
  int storedColCount_ = 0;
  int fixedRows_ = 1;
  int fixedCols_ = 1;
  int rowsPerPage_ = 40;
  int page_ = 1;
  int width_ = 0;
  bool widthPercent_ = false;
  int height_ = 0;
  bool heightPercent_ = false;
  std::string imagesURL_;
  TColor background_ = 0xC8D0D4;
  TColor borderColor_ = 0x000000;
  int borderWidth_ = 1;
  TColor toolbarColor_ = 0xC8D0D4;
  TFont toolbarFont_;
  TFontStyle toolbarFontStyle_ = TFontStyle::fsSanSerif;
  HAlignment toolbarHAlign_ = HAlignment::alLeft;
  VAlignment toolbarVAlign_ = VAlignment::alMiddle;
  bool showTopToolBar_ = true;
  bool showBottomToolBar_ = true;
  bool showVerticalToolbar_ = true;
  bool showGlyphs_ = true;
  bool selectable_ = true;
  bool showSelectors_ = false;
  bool showBlobs_ = false;
  bool showMemos_ = false;
  bool smallToolbar_ = true;
  bool wordWrap_ = false;
  int textIndent_ = 3;
  TCSSUnits cssUnits_ = TCSSUnits::cuPoints;
  bool showRowNumber_ = false;
  std::string queryString_;
  bool cacheBitmaps_ = false;
  bool useControlStyles_ = true;
  TZylCSS* css_ = nullptr;  // linked, not owned

  // Owned structure: columns, rows, cells.
  OwnedList<TZylColumn> columns_;
  OwnedList<TZylRow> rows_;
  std::unique_ptr<TZylMatrix> matrix_;
  TStringList pageText_;

  // Request and editing state.
  int totalRowCount_ = 0;
  bool glyphToggle_ = true;
  bool showErrorBox_ = false;
  TExportType saveAsType_ = TExportType::Excel;
  bool addingRecord_ = false;
  bool addPending_ = false;
  std::string lastUpdateError_;
  std::string guid_;
  // Why the last read of the dataset stopped early (empty when it read the
  // whole page); the page shows it in its error box.
  std::string readError_;

  // Set while the dataset carries the sort key of the read under way:
  // while ReadValues applies its settings (it handed the sort column's key
  // over before reading the rows) and while SortDataset's re-read runs.
  // Re-applying the sort order then starts no second dataset sort or read.
  bool readingDataset_ = false;
};

}  // namespace zyl
