// The GRID section: the grid's own 88 settings. They are written in one
// order and read in another, because some setters depend on what was set
// before them (the counts before the columns, ShowRowNumber after them).
#include <algorithm>
#include <cstring>

#include "config/ConfigKeys.h"
#include "config/Sections.h"

namespace zyl::config {

namespace {

using G = TZylHTMLGrid;

TFont& HeaderFontOf(G& g) {
  return g.HeaderFont();
}
TFont& ToolbarFontOf(G& g) {
  return g.ToolbarFont();
}

template <auto Get, auto Set>
constexpr Key<G> Str(const char* name) {
  return MakeKey<StringKey<Get, Set>>(name);
}
template <auto Get, auto Set>
constexpr Key<G> Int(const char* name) {
  return MakeKey<IntegerKey<Get, Set>>(name);
}
template <auto Get, auto Set>
constexpr Key<G> Bool(const char* name) {
  return MakeKey<BooleanKey<Get, Set>>(name);
}
template <auto Get, auto Set>
constexpr Key<G> Color(const char* name) {
  return MakeKey<ColorKey<Get, Set>>(name);
}
template <auto Get, auto Set>
constexpr Key<G> Ord(const char* name) {
  return MakeKey<OrdinalKey<Get, Set>>(name);
}
// Written like an integer; loaded by LoadGridSection itself.
template <auto Get>
constexpr Key<G> Count(const char* name) {
  return {name, &IntegerKey<Get, &G::SetRowCount>::Save, nullptr};
}

// In the written order.
const Key<G> kGridKeys[] = {
    Str<&G::GetHeader, &G::SetHeader>("Header"),
    MakeKey<FontKey<G, HeaderFontOf>>("HeaderFont"),
    Color<&G::GetHeaderColor, &G::SetHeaderColor>("HeaderColor"),
    Ord<&G::GetHeaderFontStyle, &G::SetHeaderFontStyle>("HeaderFontStyle"),
    Ord<&G::GetHeaderHAlign, &G::SetHeaderHAlign>("HeaderHAlign"),
    Ord<&G::GetHeaderVAlign, &G::SetHeaderVAlign>("HeaderVAlign"),
    Bool<&G::GetGlobalSorting, &G::SetGlobalSorting>("GlobalSorting"),
    Int<&G::GetMaxCols, &G::SetMaxCols>("MaxCols"),
    Count<&G::GetRowCount>("RowCount"),
    Count<&G::GetColCount>("ColCount"),
    Int<&G::GetFixedRows, &G::SetFixedRows>("FixedRows"),
    Int<&G::GetFixedCols, &G::SetFixedCols>("FixedCols"),
    Int<&G::GetRowsPerPage, &G::SetRowsPerPage>("RowsPerPage"),
    Int<&G::GetWidth, &G::SetWidth>("Width"),
    Bool<&G::GetWidthPercent, &G::SetWidthPercent>("WidthPercent"),
    Int<&G::GetHeight, &G::SetHeight>("Height"),
    Bool<&G::GetHeightPercent, &G::SetHeightPercent>("HeightPercent"),
    Str<&G::GetImagesURL, &G::SetImagesURL>("ImagesURL"),
    Color<&G::GetBackground, &G::SetBackground>("Background"),
    Color<&G::GetBorderColor, &G::SetBorderColor>("BorderColor"),
    Int<&G::GetBorderWidth, &G::SetBorderWidth>("BorderWidth"),
    Color<&G::GetToolbarColor, &G::SetToolbarColor>("ToolbarColor"),
    MakeKey<FontKey<G, ToolbarFontOf>>("ToolbarFont"),
    Ord<&G::GetToolbarFontStyle, &G::SetToolbarFontStyle>("ToolbarFontStyle"),
    Ord<&G::GetToolbarHAlign, &G::SetToolbarHAlign>("ToolbarHAlign"),
    Ord<&G::GetToolbarVAlign, &G::SetToolbarVAlign>("ToolbarVAlign"),
    Bool<&G::GetShowTopToolBar, &G::SetShowTopToolBar>("ShowTopToolBar"),
    Bool<&G::GetShowBottomToolBar, &G::SetShowBottomToolBar>("ShowBottomToolBar"),
    Bool<&G::GetShowVerticalToolbar, &G::SetShowVerticalToolbar>("ShowVerticalToolbar"),
    Bool<&G::GetShowGlyphs, &G::SetShowGlyphs>("ShowGlyphs"),
    Bool<&G::GetShowSelectors, &G::SetShowSelectors>("ShowSelectors"),
    Bool<&G::GetShowMemos, &G::SetShowMemos>("ShowMemos"),
    Bool<&G::GetShowBlobs, &G::SetShowBlobs>("ShowBlobs"),
    Bool<&G::GetCacheBitmaps, &G::SetCacheBitmaps>("CacheBitmaps"),
    Bool<&G::GetUseControlStyles, &G::SetUseControlStyles>("UseControlStyles"),
    Bool<&G::GetUpdatByEnter, &G::SetUpdatByEnter>("UpdatByEnter"),
    Bool<&G::GetSelectable, &G::SetSelectable>("Selectable"),
    Bool<&G::GetWordWrap, &G::SetWordWrap>("WordWrap"),
    Int<&G::GetTextIndent, &G::SetTextIndent>("TextIndent"),
    Ord<&G::GetCSSUnits, &G::SetCSSUnits>("CSSUnits"),
    Bool<&G::GetShowRowNumber, &G::SetShowRowNumber>("ShowRowNumber"),
    Str<&G::GetTextPage, &G::SetTextPage>("TextPage"),
    Str<&G::GetTextOf, &G::SetTextOf>("TextOf"),
    Str<&G::GetTextRows, &G::SetTextRows>("TextRows"),
    Str<&G::GetTextSaveAs, &G::SetTextSaveAs>("TextSaveAs"),
    Str<&G::GetTextAverage, &G::SetTextAverage>("TextAverage"),
    Str<&G::GetTextSum, &G::SetTextSum>("TextSum"),
    Str<&G::GetTextConfirmDelete, &G::SetTextConfirmDelete>("TextConfirmDelete"),
    Str<&G::GetTextUpdateError, &G::SetTextUpdateError>("TextUpdateError"),
    Str<&G::GetTextNumber, &G::SetTextNumber>("TextNumber"),
    Int<&G::GetMaxRows, &G::SetMaxRows>("MaxRows"),
    Bool<&G::GetSmallToolbar, &G::SetSmallToolbar>("SmallToolbar"),
    Bool<&G::GetDoMadeSA, &G::SetDoMadeSA>("DoMadeSA"),
    Bool<&G::GetDoMadeSum, &G::SetDoMadeSum>("DoMadeSum"),
    Str<&G::GetDateFormat, &G::SetDateFormat>("DateFormat"),
    Str<&G::GetDateTimeFormat, &G::SetDateTimeFormat>("DateTimeFormat"),
    Str<&G::GetTimeFormat, &G::SetTimeFormat>("TimeFormat"),
    Ord<&G::GetEditStyle, &G::SetEditStyle>("EditStyle"),
    Color<&G::GetCalcRowColor, &G::SetCalcRowColor>("CalcRowColor"),
    Color<&G::GetCurrentRowColor, &G::SetCurrentRowColor>("CurrentRowColor"),
    Color<&G::GetEvenRowColor, &G::SetEvenRowColor>("EvenRowColor"),
    Color<&G::GetOddRowColor, &G::SetOddRowColor>("OddRowColor"),
    Color<&G::GetEvenColColor, &G::SetEvenColColor>("EvenColColor"),
    Color<&G::GetOddColColor, &G::SetOddColColor>("OddColColor"),
    Str<&G::GetAltFirstPage, &G::SetAltFirstPage>("AltFirstPage"),
    Str<&G::GetAltPreviousPage, &G::SetAltPreviousPage>("AltPreviousPage"),
    Str<&G::GetAltNextPage, &G::SetAltNextPage>("AltNextPage"),
    Str<&G::GetAltLastPage, &G::SetAltLastPage>("AltLastPage"),
    Str<&G::GetAltOK, &G::SetAltOK>("AltOK"),
    Str<&G::GetAltSave, &G::SetAltSave>("AltSave"),
    Str<&G::GetAltPrint, &G::SetAltPrint>("AltPrint"),
    Str<&G::GetAltSelectColumns, &G::SetAltSelectColumns>("AltSelectColumns"),
    Str<&G::GetAltShowAllColumns, &G::SetAltShowAllColumns>("AltShowAllColumns"),
    Str<&G::GetAltShowSelectedColumns, &G::SetAltShowSelectedColumns>("AltShowSelectedColumns"),
    Str<&G::GetAltSortAscending, &G::SetAltSortAscending>("AltSortAscending"),
    Str<&G::GetAltSortDescending, &G::SetAltSortDescending>("AltSortDescending"),
    Str<&G::GetAltCurrentRecord, &G::SetAltCurrentRecord>("AltCurrentRecord"),
    Str<&G::GetAltGotoRecord, &G::SetAltGotoRecord>("AltGotoRecord"),
    Str<&G::GetAltClearSorting, &G::SetAltClearSorting>("AltClearSorting"),
    Str<&G::GetAltSA, &G::SetAltSA>("AltSA"),
    Str<&G::GetAltSum, &G::SetAltSum>("AltSum"),
    Str<&G::GetAltGraph, &G::SetAltGraph>("AltGraph"),
    Str<&G::GetAltUpdate, &G::SetAltUpdate>("AltUpdate"),
    Str<&G::GetAltCancelUpdate, &G::SetAltCancelUpdate>("AltCancelUpdate"),
    Str<&G::GetAltAddRecord, &G::SetAltAddRecord>("AltAddRecord"),
    Str<&G::GetAltDeleteRecord, &G::SetAltDeleteRecord>("AltDeleteRecord"),
    Str<&G::GetAltHideSortGlyphs, &G::SetAltHideSortGlyphs>("AltHideSortGlyphs"),
    Str<&G::GetAltShowSortGlyphs, &G::SetAltShowSortGlyphs>("AltShowSortGlyphs"),
};
static_assert(std::size(kGridKeys) == 88);

// The load order: Selectable, WordWrap and TextIndent come before
// ShowMemos, and AltSum before AltSA; the rest as written.
const char* const kGridLoadOrder[] = {
    "Header",
    "HeaderFont",
    "HeaderColor",
    "HeaderFontStyle",
    "HeaderHAlign",
    "HeaderVAlign",
    "GlobalSorting",
    "MaxCols",
    "RowCount",
    "ColCount",
    "FixedRows",
    "FixedCols",
    "RowsPerPage",
    "Width",
    "WidthPercent",
    "Height",
    "HeightPercent",
    "ImagesURL",
    "Background",
    "BorderColor",
    "BorderWidth",
    "ToolbarColor",
    "ToolbarFont",
    "ToolbarFontStyle",
    "ToolbarHAlign",
    "ToolbarVAlign",
    "ShowTopToolBar",
    "ShowBottomToolBar",
    "ShowVerticalToolbar",
    "ShowGlyphs",
    "ShowSelectors",
    "Selectable",
    "WordWrap",
    "TextIndent",
    "ShowMemos",
    "ShowBlobs",
    "CacheBitmaps",
    "UseControlStyles",
    "UpdatByEnter",
    "CSSUnits",
    "ShowRowNumber",
    "TextPage",
    "TextOf",
    "TextRows",
    "TextSaveAs",
    "TextAverage",
    "TextSum",
    "TextConfirmDelete",
    "TextUpdateError",
    "TextNumber",
    "MaxRows",
    "SmallToolbar",
    "DoMadeSA",
    "DoMadeSum",
    "DateFormat",
    "DateTimeFormat",
    "TimeFormat",
    "EditStyle",
    "CalcRowColor",
    "CurrentRowColor",
    "EvenRowColor",
    "OddRowColor",
    "EvenColColor",
    "OddColColor",
    "AltFirstPage",
    "AltPreviousPage",
    "AltNextPage",
    "AltLastPage",
    "AltOK",
    "AltSave",
    "AltPrint",
    "AltSelectColumns",
    "AltShowAllColumns",
    "AltShowSelectedColumns",
    "AltSortAscending",
    "AltSortDescending",
    "AltCurrentRecord",
    "AltGotoRecord",
    "AltClearSorting",
    "AltSum",
    "AltSA",
    "AltGraph",
    "AltUpdate",
    "AltCancelUpdate",
    "AltAddRecord",
    "AltDeleteRecord",
    "AltHideSortGlyphs",
    "AltShowSortGlyphs",
};
static_assert(std::size(kGridLoadOrder) == std::size(kGridKeys));

const Key<G>& FindGridKey(const char* name) {
  for (const auto& key : kGridKeys) {
    if (std::strcmp(key.name, name) == 0) return key;
  }
  throw Exception(std::string("configuration: no GRID key '") + name + "'");
}

// The counts the file asks for, bounded: columns by the grid's MaxCols and
// limits.maxCols, rows by limits.maxRows and by limits.maxCells over the
// wider of the present and the coming column count.
struct Counts {
  int rows;
  int cols;
};

Counts BoundedCounts(G& grid, IniFile& ini, const ConfigLimits& limits) {
  int rows = ini.ReadInteger(kGridSection, "RowCount", grid.GetRowCount());
  int cols = ini.ReadInteger(kGridSection, "ColCount", grid.GetColCount());
  cols = std::min(cols, std::max(limits.maxCols, 0));
  rows = std::min(rows, std::max(limits.maxRows, 0));
  long long widest = std::max({1, grid.GetColCount(), std::min(cols, grid.GetMaxCols())});
  long long cellRows = std::max(limits.maxCells, 0LL) / widest;
  if (rows > cellRows) rows = static_cast<int>(cellRows);
  return {rows, cols};
}

}  // namespace

void SaveGridSection(TZylHTMLGrid& grid, IniFile& ini) {
  for (const auto& key : kGridKeys) key.save(grid, ini, kGridSection, key.name);
}

void LoadGridSection(TZylHTMLGrid& grid, IniFile& ini, const ConfigLimits& limits) {
  Counts counts{};
  for (const char* name : kGridLoadOrder) {
    if (std::strcmp(name, "RowCount") == 0) {
      counts = BoundedCounts(grid, ini, limits);
      grid.SetRowCount(counts.rows);
    } else if (std::strcmp(name, "ColCount") == 0) {
      grid.SetColCount(counts.cols);
    } else {
      const Key<G>& key = FindGridKey(name);
      key.load(grid, ini, kGridSection, key.name);
    }
  }
}

std::vector<std::string> GridKeysWritten() {
  std::vector<std::string> names;
  for (const auto& key : kGridKeys) names.emplace_back(key.name);
  return names;
}

std::vector<std::string> GridKeysLoaded() {
  std::vector<std::string> names;
  for (const char* name : kGridLoadOrder) names.emplace_back(FindGridKey(name).name);
  return names;
}

}  // namespace zyl::config
