// The grid component: construction, links to other components, setters
// with side effects (the current record moves the dataset's cursor, a file
// name loads the file), copying, the colour functions (platform/Color.h)
// and the hidden state of its forms.
// Structure editing is in GridStructure.cpp, in-grid sorting in
// GridSort.cpp, the request members in GridRequest.cpp.
#include "grid/ZylHTMLGrid.h"

#include "request/FormProtocol.h"
#include "request/HiddenState.h"
#include "request/ZylCSS.h"

namespace zyl {

TZylHTMLGrid::TZylHTMLGrid(TComponent* owner)
    : TComponent(owner), matrix_(std::make_unique<TZylMatrix>(this)) {
  SetRowCount(1);
  SetColCount(1);
  // The number column itself is added by Loaded() or a later SetShowRowNumber.
  look_.showRowNumber = true;
}

TZylHTMLGrid::~TZylHTMLGrid() {
  // Cells and columns point back at the grid; free them while it is whole.
  matrix_.reset();
  rows_.Clear();
  columns_.Clear();
}

void TZylHTMLGrid::Loaded() {
  TComponent::Loaded();
  pageText_.Clear();
  if (look_.showRowNumber) {
    look_.showRowNumber = false;
    SetShowRowNumber(true);
  }
  look_.glyphToggle = look_.showGlyphs;
}

void TZylHTMLGrid::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == links_.dataset) links_.dataset = nullptr;
  if (component == links_.masterGrid) links_.masterGrid = nullptr;
  if (component == links_.detailGrid) links_.detailGrid = nullptr;
  if (component == links_.css) links_.css = nullptr;
}

void TZylHTMLGrid::SetDataset(TDataSet* dataset) {
  links_.dataset = dataset;
  if (dataset != nullptr) {
    FreeNotification(dataset);
    links_.fileName.clear();
  }
}

void TZylHTMLGrid::SetRecNo(int recNo) {
  paging_.recNo = recNo;
  if (links_.dataset == nullptr || !links_.dataset->GetActive()) return;
  int n = links_.dataset->RecordCount();
  if (paging_.recNo > n - 1) paging_.recNo = n - 1;
  if (paging_.recNo < 0) paging_.recNo = 0;
  if (n > 0) {
    links_.dataset->First();
    links_.dataset->MoveBy(paging_.recNo);
  }
}

void TZylHTMLGrid::SetFileName(const std::string& fileName) {
  links_.fileName = fileName;
  if (fileName.empty()) return;
  if (links_.dataset != nullptr) {
    RemoveFreeNotification(links_.dataset);
    links_.dataset = nullptr;
  }
  LoadFromFile(fileName);
}

void TZylHTMLGrid::SetMasterGrid(TZylHTMLGrid* master) {
  if (master == this) throw Exception("Circular references are not allowed!");
  if (master != nullptr && master == links_.detailGrid) {
    throw Exception("Master and Detail grid must be different!");
  }
  links_.masterGrid = master;
  if (master != nullptr) {
    FreeNotification(master);
    paging_.rowsPerPage = master->GetMaxRows();
  }
}

void TZylHTMLGrid::SetDetailGrid(TZylHTMLGrid* detail) {
  if (detail == this) throw Exception("Circular references are not allowed!");
  if (detail != nullptr && detail == links_.masterGrid) {
    throw Exception("Master and Detail grid must be different!");
  }
  links_.detailGrid = detail;
  if (detail != nullptr) FreeNotification(detail);
}

void TZylHTMLGrid::SetCSS(TZylCSS* css) {
  links_.css = css;
  if (css != nullptr) FreeNotification(css);
}

std::unique_ptr<TZylMatrix> TZylHTMLGrid::SetMatrix(std::unique_ptr<TZylMatrix> matrix) {
  std::swap(matrix_, matrix);
  return matrix;
}

bool TZylHTMLGrid::GetEditMode() const {
  for (TZylColumn* c : columns_) {
    if (c->GetEditMode()) return true;
  }
  return false;
}

void TZylHTMLGrid::SetEditMode(bool value) {
  for (int i = look_.showRowNumber ? 1 : 0; i < columns_.Count(); ++i) {
    columns_.Get(i)->SetEditMode(value);
  }
}

void TZylHTMLGrid::SetShowGlyphs(bool v) {
  look_.showGlyphs = v;
  for (TZylColumn* c : columns_) c->SetShowGlyph(v);
}

void TZylHTMLGrid::SetSelectable(bool v) {
  look_.selectable = v;
  if (!v) SetShowSelectors(false);
}

void TZylHTMLGrid::SetShowSelectors(bool v) {
  look_.showSelectors = v && look_.selectable;
  for (TZylColumn* c : columns_) c->SetShowSelector(look_.showSelectors);
}

void TZylHTMLGrid::SetWordWrap(bool v) {
  look_.wordWrap = v;
  for (TZylColumn* c : columns_) c->SetWordWrap(v);
}

int TZylHTMLGrid::GetPageCount() const {
  if (paging_.rowsPerPage <= 0) return 0;
  int pages = paging_.totalRowCount / paging_.rowsPerPage;
  if (paging_.totalRowCount % paging_.rowsPerPage > 0) ++pages;
  return pages;
}

int TZylHTMLGrid::GetTotalRowCount() {
  return paging_.totalRowCount == 0 ? GetRowCount() : paging_.totalRowCount;
}

void TZylHTMLGrid::Assign(const TPersistent& source) {
  const auto* o = dynamic_cast<const TZylHTMLGrid*>(&source);
  if (o == nullptr) {
    TComponent::Assign(source);
    return;
  }
  if (o == this) return;
  links_.dataset = o->links_.dataset;
  if (links_.dataset != nullptr) FreeNotification(links_.dataset);
  paging_.doMadeSA = o->paging_.doMadeSA;
  paging_.doMadeSum = o->paging_.doMadeSum;
  look_.dateFormat = o->look_.dateFormat;
  look_.timeFormat = o->look_.timeFormat;
  look_.dateTimeFormat = o->look_.dateTimeFormat;
  paging_.storedRowCount = o->paging_.storedRowCount;
  paging_.storedColCount = o->paging_.storedColCount;
  paging_.row = o->paging_.row;
  paging_.rowsPerPage = o->paging_.rowsPerPage;
  paging_.page = o->paging_.page;
  paging_.col = o->paging_.col;
  look_.heightPercent = o->look_.heightPercent;
  look_.widthPercent = o->look_.widthPercent;
  look_.height = o->look_.height;
  look_.width = o->look_.width;
  links_.css = o->links_.css;
  if (links_.css != nullptr) FreeNotification(links_.css);
  paging_.fixedRows = o->paging_.fixedRows;
  paging_.fixedCols = o->paging_.fixedCols;
  look_.imagesURL = o->look_.imagesURL;
  look_.background = o->look_.background;
  look_.showBottomToolBar = o->look_.showBottomToolBar;
  look_.showVerticalToolbar = o->look_.showVerticalToolbar;
  look_.showTopToolBar = o->look_.showTopToolBar;
  look_.header = o->look_.header;
  look_.cssUnits = o->look_.cssUnits;
  look_.wordWrap = o->look_.wordWrap;
  look_.showGlyphs = o->look_.showGlyphs;
  look_.showSelectors = o->look_.showSelectors;
  look_.selectable = o->look_.selectable;
  look_.borderColor = o->look_.borderColor;
  look_.borderWidth = o->look_.borderWidth;
  look_.showRowNumber = o->look_.showRowNumber;
  texts_.textPage = o->texts_.textPage;
  texts_.textOf = o->texts_.textOf;
  texts_.textRows = o->texts_.textRows;
  texts_.textSaveAs = o->texts_.textSaveAs;
  texts_.textNumber = o->texts_.textNumber;
  texts_.textUpdateError = o->texts_.textUpdateError;
  texts_.textRequestRefused = o->texts_.textRequestRefused;
  look_.toolbarFont.Assign(o->look_.toolbarFont);
  look_.toolbarFontStyle = o->look_.toolbarFontStyle;
  paging_.totalRowCount = o->paging_.totalRowCount;
  paging_.countEstimated = o->paging_.countEstimated;
  look_.toolbarHAlign = o->look_.toolbarHAlign;
  look_.toolbarColor = o->look_.toolbarColor;
  look_.toolbarVAlign = o->look_.toolbarVAlign;
  look_.calcRowColor = o->look_.calcRowColor;
  look_.currentRowColor = o->look_.currentRowColor;
  look_.evenRowColor = o->look_.evenRowColor;
  look_.oddRowColor = o->look_.oddRowColor;
  look_.evenColColor = o->look_.evenColColor;
  look_.oddColColor = o->look_.oddColColor;
  look_.headerHAlign = o->look_.headerHAlign;
  look_.headerColor = o->look_.headerColor;
  look_.headerFont.Assign(o->look_.headerFont);
  look_.headerFontStyle = o->look_.headerFontStyle;
  look_.headerVAlign = o->look_.headerVAlign;
  look_.saveAsType = o->look_.saveAsType;
  links_.queryString = o->links_.queryString;
  paging_.maxCols = o->paging_.maxCols;
  links_.fileName = o->links_.fileName;
  paging_.globalSorting = o->paging_.globalSorting;
  paging_.maxRows = o->paging_.maxRows;
  look_.showMemos = o->look_.showMemos;
  look_.showBlobs = o->look_.showBlobs;
  look_.cacheBitmaps = o->look_.cacheBitmaps;
  look_.useControlStyles = o->look_.useControlStyles;
  look_.accessibleMarkup = o->look_.accessibleMarkup;
  editing_.updatByEnter = o->editing_.updatByEnter;
  paging_.recNo = o->paging_.recNo;
  links_.masterGrid = o->links_.masterGrid;
  if (links_.masterGrid != nullptr) FreeNotification(links_.masterGrid);
  look_.smallToolbar = o->look_.smallToolbar;
  editing_.editStyle = o->editing_.editStyle;
  editing_.rowIdentity = o->editing_.rowIdentity;
  texts_.altFirstPage = o->texts_.altFirstPage;
  texts_.altPreviousPage = o->texts_.altPreviousPage;
  texts_.altNextPage = o->texts_.altNextPage;
  texts_.altLastPage = o->texts_.altLastPage;
  texts_.altOK = o->texts_.altOK;
  texts_.altSave = o->texts_.altSave;
  texts_.altPrint = o->texts_.altPrint;
  texts_.altSelectColumns = o->texts_.altSelectColumns;
  texts_.altShowAllColumns = o->texts_.altShowAllColumns;
  texts_.altShowSelectedColumns = o->texts_.altShowSelectedColumns;
  texts_.altSortAscending = o->texts_.altSortAscending;
  texts_.altSortDescending = o->texts_.altSortDescending;
  texts_.altCurrentRecord = o->texts_.altCurrentRecord;
  texts_.altGotoRecord = o->texts_.altGotoRecord;
  texts_.altClearSorting = o->texts_.altClearSorting;
  texts_.altSum = o->texts_.altSum;
  texts_.altSA = o->texts_.altSA;
  texts_.altGraph = o->texts_.altGraph;
  texts_.altUpdate = o->texts_.altUpdate;
  texts_.altCancelUpdate = o->texts_.altCancelUpdate;
  texts_.altAddRecord = o->texts_.altAddRecord;
  texts_.altDeleteRecord = o->texts_.altDeleteRecord;
  texts_.altHideSortGlyphs = o->texts_.altHideSortGlyphs;
  texts_.altShowSortGlyphs = o->texts_.altShowSortGlyphs;
  // Columns and cells: the target must be at least as large as the source.
  // A smaller target raises EListError from the lists once it runs out.
  for (int c = 0; c < o->columns_.Count(); ++c) columns_.Get(c)->Assign(*o->columns_.Get(c));
  for (int r = 0; r < o->matrix_->RowListCount(); ++r) {
    for (int c = 0; c < o->matrix_->RowList(r).Count(); ++c) {
      GetCells(r, c)->Assign(*o->GetCells(r, c));
    }
  }
}

std::uint32_t TZylHTMLGrid::ColorToRGB(TColor color) {
  return zyl::ColorToRGB(color);
}

TColor TZylHTMLGrid::AddBrigthness(TColor color, int delta) {
  return AddBrightness(color, delta);
}

TColor TZylHTMLGrid::MixColors(TColor color1, TColor color2) {
  return zyl::MixColors(color1, color2);
}

// A linked master's or detail's state travels along with the grid's own.
form::GridHiddenState TZylHTMLGrid::HiddenState() const {
  form::GridHiddenState state;
  state.name = GetName();
  state.guid = editing_.guid;
  state.writeGuid = links_.masterGrid == nullptr;
  state.page = paging_.page;
  state.rowsPerPage = paging_.rowsPerPage;
  state.showGlyphs = look_.showGlyphs;
  state.recNo = paging_.recNo;
  state.sortColumn = GetSortColumn();
  if (state.sortColumn != -1) {
    state.sortAscending = columns_.Get(state.sortColumn)->GetSortOrder() == TSortOrder::soAscending;
  }
  state.showSelectors = look_.showSelectors;
  state.selectable = look_.selectable;
  if (state.selectable && state.showSelectors) {
    for (TZylColumn* c : columns_) {
      if (c->GetVisible()) state.visibleColumns.push_back(c->GetColNo());
    }
  }
  for (const auto& [field, text] : finding_.filters) state.filters.emplace_back(field, text);
  state.search = finding_.search;
  return state;
}

std::string TZylHTMLGrid::ViewState() const {
  return form::ViewQuery(HiddenState(), std::string(form::kViewLinkExclusions));
}

std::string TZylHTMLGrid::GetSettingsHV(const std::string& exclusions, TZylHTMLGrid* caller) {
  std::string out;
  if (links_.masterGrid != nullptr && (caller == this || caller == links_.detailGrid)) {
    out += links_.masterGrid->GetSettingsHV("", this);
  }
  if (links_.detailGrid != nullptr && (caller == this || caller == links_.masterGrid)) {
    std::string detailExclusions;
    if (caller == this) detailExclusions += form::kDetailRecordExclusion;
    if (editing_.addingRecord) detailExclusions += form::kDetailGlyphExclusions;
    out += links_.detailGrid->GetSettingsHV(detailExclusions, this);
  }
  form::AppendHiddenState(out, HiddenState(), exclusions);
  return out;
}

void TZylHTMLGrid::SetFilter(int fieldIndex, const std::string& text) {
  if (text.empty()) {
    finding_.filters.erase(fieldIndex);
  } else {
    finding_.filters[fieldIndex] = text;
  }
}

std::string TZylHTMLGrid::GetViewURL() {
  // The master's state first (its current record selects this grid's
  // records), then this grid's and its detail's, as the forms post them.
  std::vector<TZylHTMLGrid*> chain;
  for (TZylHTMLGrid* g = this; g != nullptr && chain.size() < 8; g = g->links_.masterGrid)
    chain.insert(chain.begin(), g);
  if (links_.detailGrid != nullptr) chain.push_back(links_.detailGrid);
  std::string query;
  for (TZylHTMLGrid* g : chain) {
    std::string fields = g->ViewState();
    if (!query.empty() && !fields.empty()) query += '&';
    query += fields;
  }
  return GetScriptName() + "?" + query;
}

}  // namespace zyl
