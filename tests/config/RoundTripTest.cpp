// A grid with non-default settings everywhere is saved, loaded into a new
// grid and saved again: both files are identical and so are the grids.
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "config/ConfigText.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Color.h"

namespace zyl {
namespace {

using testing::ReadFile;
using testing::ScratchDir;

// A font with the given settings, kept until the next call.
const TFont& MakeFont(const std::string& name, int size, TFontStyles style, TColor color) {
  static TFont font;
  font.SetName(name);
  font.SetSize(size);
  font.SetStyle(style);
  font.SetColor(color);
  return font;
}

void SetUpGridSettings(TZylHTMLGrid& g) {
  g.SetHeader("Quarterly sales");
  g.SetHeaderFont(
      MakeFont("Verdana", 12, {TFontStyleFlag::fsBold, TFontStyleFlag::fsItalic}, clNavy));
  g.SetHeaderColor(0x00123456);
  g.SetHeaderFontStyle(TFontStyle::fsSerif);
  g.SetHeaderHAlign(HAlignment::alCenter);
  g.SetHeaderVAlign(VAlignment::alBottom);
  g.SetGlobalSorting(true);
  g.SetMaxCols(300);
  g.SetFixedRows(2);
  g.SetFixedCols(0);
  g.SetRowsPerPage(25);
  g.SetWidth(80);
  g.SetWidthPercent(true);
  g.SetHeight(400);
  g.SetHeightPercent(true);
  g.SetImagesURL("/images/grid/");
  g.SetBackground(clCream);
  g.SetBorderColor(0x00010203);
  g.SetBorderWidth(3);
  g.SetToolbarColor(clBtnFace);
  g.SetToolbarFont(MakeFont("Tahoma", 9, {TFontStyleFlag::fsUnderline}, 0x00FF8000));
  g.SetToolbarFontStyle(TFontStyle::fsSerif);
  g.SetToolbarHAlign(HAlignment::alRight);
  g.SetToolbarVAlign(VAlignment::alTop);
  g.SetShowTopToolBar(false);
  g.SetShowBottomToolBar(false);
  g.SetShowVerticalToolbar(false);
  g.SetShowGlyphs(false);
  g.SetShowSelectors(true);
  g.SetShowMemos(true);
  g.SetShowBlobs(true);
  g.SetCacheBitmaps(true);
  g.SetUseControlStyles(false);
  g.SetUpdatByEnter(true);
  g.SetWordWrap(true);
  g.SetTextIndent(5);
  g.SetCSSUnits(TCSSUnits::cuPixels);
  g.SetTextPage("Seite:");
  g.SetTextOf("von:");
  g.SetTextRows("Zeilen:");
  g.SetTextSaveAs("Speichern:");
  g.SetTextAverage("Mittel:");
  g.SetTextSum("Summe:");
  g.SetTextConfirmDelete("Wirklich löschen?");
  g.SetTextUpdateError("  Fehler!\\n Nochmals versuchen. ");
  g.SetTextNumber("Nr.");
  g.SetMaxRows(900);
  g.SetSmallToolbar(false);
  g.SetDoMadeSA(true);
  g.SetDoMadeSum(true);
  g.SetDateFormat("yyyy-mm-dd");
  g.SetDateTimeFormat("yyyy-mm-dd hh:nn");
  g.SetTimeFormat("hh:nn");
  g.SetEditStyle(TEditStyle::AllRows);
  g.SetCalcRowColor(0x00AABBCC);
  g.SetCurrentRowColor(clYellow);
  g.SetEvenRowColor(0x00EEEEEE);
  g.SetOddRowColor(0x00DDDDDD);
  g.SetEvenColColor(0x00F0F0F0);
  g.SetOddColColor(clNone);
  g.SetAltFirstPage("Erste");
  g.SetAltPreviousPage("Vorige");
  g.SetAltNextPage("Nächste");
  g.SetAltLastPage("Letzte");
  g.SetAltOK("Los");
  g.SetAltSave("Sichern");
  g.SetAltPrint("Drucken");
  g.SetAltSelectColumns("Spalten wählen");
  g.SetAltShowAllColumns("Alle Spalten");
  g.SetAltShowSelectedColumns("Gewählte Spalten");
  g.SetAltSortAscending("Aufsteigend");
  g.SetAltSortDescending("Absteigend");
  g.SetAltCurrentRecord("Aktuell");
  g.SetAltGotoRecord("Gehe zu");
  g.SetAltClearSorting("Unsortiert");
  g.SetAltSum("Summieren");
  g.SetAltSA("Mitteln");
  g.SetAltGraph("Grafik");
  g.SetAltUpdate("Speichern");
  g.SetAltCancelUpdate("Abbrechen");
  g.SetAltAddRecord("Neu");
  g.SetAltDeleteRecord("Löschen");
  g.SetAltHideSortGlyphs("Sortierknöpfe aus");
  g.SetAltShowSortGlyphs("Sortierknöpfe an");
}

// Four data columns behind the number column, five rows, and cells that
// differ from their columns in every stored way.
void SetUpStructure(TZylHTMLGrid& g) {
  g.SetColCount(5);
  g.SetRowCount(5);
  const char* captions[] = {"Town", "Amount", "Date", "Note"};
  for (int c = 1; c <= 4; ++c) {
    TZylColumn& col = *g.GetColumns(c);
    col.SetCaption(captions[c - 1]);
    col.SetCaptionColor(0x00102030 * static_cast<unsigned>(c));
    col.SetCaptionFont(MakeFont("Georgia", 10 + c, {TFontStyleFlag::fsBold}, clMaroon));
    col.SetCaptionFontStyle(TFontStyle::fsSerif);
    col.SetCaptionHAlign(HAlignment::alJustify);
    col.SetCaptionVAlign(VAlignment::alBaseline);
    col.SetCaptionWidth(100 + c);
    col.SetCaptionHeight(20 + c);
    TZylGlyph& glyph = *col.Glyph();
    glyph.SetWidthASC(18);
    glyph.SetHeightASC(14);
    glyph.SetBorderASC(1);
    glyph.SetAlignASC(VAlignment::alTop);
    glyph.SetWidthDSC(19);
    glyph.SetHeightDSC(15);
    glyph.SetBorderDSC(2);
    glyph.SetAlignDSC(VAlignment::alBottom);
    col.SetShowGlyph(c % 2 == 0);
    col.SetWordWrap(c == 3);
    col.SetWidth(50 + c);
    col.SetHeight(c == 2 ? 30 : -1);
    col.SetHAlign(c == 2 ? HAlignment::alChar : HAlignment::alRight);
    col.SetVAlign(VAlignment::alTop);
    col.SetFont(MakeFont("Courier New", 9, {TFontStyleFlag::fsStrikeOut}, 0x00000080 + c));
    col.SetFontStyle(c == 4 ? TFontStyle::fsSerif : TFontStyle::fsSanSerif);
    col.SetVisible(c != 3);
    col.SetLimitToPickList(c == 1);
    col.SetAlignmentChar(c == 2 ? "," : ".");
    col.SetEditMode(c != 4);
    col.SetDataType(c == 2 ? TFieldType::ftFloat : TFieldType::ftWideString);
    col.SetDataSize(40 + c);
    col.SetCSS("col" + std::to_string(c));
    col.SetHTML(c == 4 ? "<TH>\nNote\n</TH>" : "");
  }
  // Pick list with a blank, a quote and a comma in its entries.
  TZylColumn& town = *g.GetColumns(1);
  town.PickList().Add("New York");
  town.PickList().Add("Boston");
  town.PickList().Add("\"Big\" Apple, NY");
  town.ValueList().Add("NY");
  town.ValueList().Add("");
  town.ValueList().Add("BA");
  town.SetSelectable(false);
  g.GetColumns(2)->SetShowSelector(false);
  g.GetColumns(2)->SetColor(0x00C0FFC0);  // reaches rows without colour through the mix
  g.GetColumns(3)->SetSortOrder(TSortOrder::soDescending);

  g.GetRows(1)->SetColor(0x00E0E0FF);
  g.GetRows(2)->SetVisible(false);
  g.GetRows(3)->SetCSS("row3");
  g.GetRows(4)->SetHTML("<TR><TD>replaced</TD></TR>");

  TZylField& wide = *g.GetCells(0, 1);
  wide.SetWidth(200);
  TZylField& coloured = *g.GetCells(3, 2);
  coloured.SetColor(clLime);
  TZylField& bold = *g.GetCells(4, 4);
  bold.Font().SetStyle({TFontStyleFlag::fsBold});
  bold.SetHAlign(HAlignment::alCenter);
  g.GetCells(2, 3)->SetVAlign(VAlignment::alBaseline);
  g.GetCells(0, 4)->SetFontStyle(TFontStyle::fsSanSerif);
  g.GetCells(1, 4)->SetHeight(44);
}

void ExpectSameFonts(const TFont& a, const TFont& b, const std::string& what) {
  EXPECT_TRUE(a.SameAs(b)) << what << ": " << FontToString(a) << " vs " << FontToString(b);
}

void ExpectSameGridSettings(TZylHTMLGrid& a, TZylHTMLGrid& b) {
  EXPECT_EQ(a.GetHeader(), b.GetHeader());
  ExpectSameFonts(a.HeaderFont(), b.HeaderFont(), "HeaderFont");
  EXPECT_EQ(a.GetHeaderColor(), b.GetHeaderColor());
  EXPECT_EQ(a.GetHeaderFontStyle(), b.GetHeaderFontStyle());
  EXPECT_EQ(a.GetHeaderHAlign(), b.GetHeaderHAlign());
  EXPECT_EQ(a.GetHeaderVAlign(), b.GetHeaderVAlign());
  EXPECT_EQ(a.GetGlobalSorting(), b.GetGlobalSorting());
  EXPECT_EQ(a.GetMaxCols(), b.GetMaxCols());
  EXPECT_EQ(a.GetRowCount(), b.GetRowCount());
  EXPECT_EQ(a.GetColCount(), b.GetColCount());
  EXPECT_EQ(a.GetFixedRows(), b.GetFixedRows());
  EXPECT_EQ(a.GetFixedCols(), b.GetFixedCols());
  EXPECT_EQ(a.GetRowsPerPage(), b.GetRowsPerPage());
  EXPECT_EQ(a.GetWidth(), b.GetWidth());
  EXPECT_EQ(a.GetWidthPercent(), b.GetWidthPercent());
  EXPECT_EQ(a.GetHeight(), b.GetHeight());
  EXPECT_EQ(a.GetHeightPercent(), b.GetHeightPercent());
  EXPECT_EQ(a.GetImagesURL(), b.GetImagesURL());
  EXPECT_EQ(a.GetBackground(), b.GetBackground());
  EXPECT_EQ(a.GetBorderColor(), b.GetBorderColor());
  EXPECT_EQ(a.GetBorderWidth(), b.GetBorderWidth());
  EXPECT_EQ(a.GetToolbarColor(), b.GetToolbarColor());
  ExpectSameFonts(a.ToolbarFont(), b.ToolbarFont(), "ToolbarFont");
  EXPECT_EQ(a.GetToolbarFontStyle(), b.GetToolbarFontStyle());
  EXPECT_EQ(a.GetToolbarHAlign(), b.GetToolbarHAlign());
  EXPECT_EQ(a.GetToolbarVAlign(), b.GetToolbarVAlign());
  EXPECT_EQ(a.GetShowTopToolBar(), b.GetShowTopToolBar());
  EXPECT_EQ(a.GetShowBottomToolBar(), b.GetShowBottomToolBar());
  EXPECT_EQ(a.GetShowVerticalToolbar(), b.GetShowVerticalToolbar());
  EXPECT_EQ(a.GetShowGlyphs(), b.GetShowGlyphs());
  EXPECT_EQ(a.GetShowSelectors(), b.GetShowSelectors());
  EXPECT_EQ(a.GetShowMemos(), b.GetShowMemos());
  EXPECT_EQ(a.GetShowBlobs(), b.GetShowBlobs());
  EXPECT_EQ(a.GetCacheBitmaps(), b.GetCacheBitmaps());
  EXPECT_EQ(a.GetUseControlStyles(), b.GetUseControlStyles());
  EXPECT_EQ(a.GetUpdatByEnter(), b.GetUpdatByEnter());
  EXPECT_EQ(a.GetSelectable(), b.GetSelectable());
  EXPECT_EQ(a.GetWordWrap(), b.GetWordWrap());
  EXPECT_EQ(a.GetTextIndent(), b.GetTextIndent());
  EXPECT_EQ(a.GetCSSUnits(), b.GetCSSUnits());
  EXPECT_EQ(a.GetShowRowNumber(), b.GetShowRowNumber());
  EXPECT_EQ(a.GetTextPage(), b.GetTextPage());
  EXPECT_EQ(a.GetTextOf(), b.GetTextOf());
  EXPECT_EQ(a.GetTextRows(), b.GetTextRows());
  EXPECT_EQ(a.GetTextSaveAs(), b.GetTextSaveAs());
  EXPECT_EQ(a.GetTextAverage(), b.GetTextAverage());
  EXPECT_EQ(a.GetTextSum(), b.GetTextSum());
  EXPECT_EQ(a.GetTextConfirmDelete(), b.GetTextConfirmDelete());
  EXPECT_EQ(a.GetTextUpdateError(), b.GetTextUpdateError());
  EXPECT_EQ(a.GetTextNumber(), b.GetTextNumber());
  EXPECT_EQ(a.GetMaxRows(), b.GetMaxRows());
  EXPECT_EQ(a.GetSmallToolbar(), b.GetSmallToolbar());
  EXPECT_EQ(a.GetDoMadeSA(), b.GetDoMadeSA());
  EXPECT_EQ(a.GetDoMadeSum(), b.GetDoMadeSum());
  EXPECT_EQ(a.GetDateFormat(), b.GetDateFormat());
  EXPECT_EQ(a.GetDateTimeFormat(), b.GetDateTimeFormat());
  EXPECT_EQ(a.GetTimeFormat(), b.GetTimeFormat());
  EXPECT_EQ(a.GetEditStyle(), b.GetEditStyle());
  EXPECT_EQ(a.GetCalcRowColor(), b.GetCalcRowColor());
  EXPECT_EQ(a.GetCurrentRowColor(), b.GetCurrentRowColor());
  EXPECT_EQ(a.GetEvenRowColor(), b.GetEvenRowColor());
  EXPECT_EQ(a.GetOddRowColor(), b.GetOddRowColor());
  EXPECT_EQ(a.GetEvenColColor(), b.GetEvenColColor());
  EXPECT_EQ(a.GetOddColColor(), b.GetOddColColor());
  EXPECT_EQ(a.GetAltFirstPage(), b.GetAltFirstPage());
  EXPECT_EQ(a.GetAltPreviousPage(), b.GetAltPreviousPage());
  EXPECT_EQ(a.GetAltNextPage(), b.GetAltNextPage());
  EXPECT_EQ(a.GetAltLastPage(), b.GetAltLastPage());
  EXPECT_EQ(a.GetAltOK(), b.GetAltOK());
  EXPECT_EQ(a.GetAltSave(), b.GetAltSave());
  EXPECT_EQ(a.GetAltPrint(), b.GetAltPrint());
  EXPECT_EQ(a.GetAltSelectColumns(), b.GetAltSelectColumns());
  EXPECT_EQ(a.GetAltShowAllColumns(), b.GetAltShowAllColumns());
  EXPECT_EQ(a.GetAltShowSelectedColumns(), b.GetAltShowSelectedColumns());
  EXPECT_EQ(a.GetAltSortAscending(), b.GetAltSortAscending());
  EXPECT_EQ(a.GetAltSortDescending(), b.GetAltSortDescending());
  EXPECT_EQ(a.GetAltCurrentRecord(), b.GetAltCurrentRecord());
  EXPECT_EQ(a.GetAltGotoRecord(), b.GetAltGotoRecord());
  EXPECT_EQ(a.GetAltClearSorting(), b.GetAltClearSorting());
  EXPECT_EQ(a.GetAltSum(), b.GetAltSum());
  EXPECT_EQ(a.GetAltSA(), b.GetAltSA());
  EXPECT_EQ(a.GetAltGraph(), b.GetAltGraph());
  EXPECT_EQ(a.GetAltUpdate(), b.GetAltUpdate());
  EXPECT_EQ(a.GetAltCancelUpdate(), b.GetAltCancelUpdate());
  EXPECT_EQ(a.GetAltAddRecord(), b.GetAltAddRecord());
  EXPECT_EQ(a.GetAltDeleteRecord(), b.GetAltDeleteRecord());
  EXPECT_EQ(a.GetAltHideSortGlyphs(), b.GetAltHideSortGlyphs());
  EXPECT_EQ(a.GetAltShowSortGlyphs(), b.GetAltShowSortGlyphs());
}

void ExpectSameColumns(TZylHTMLGrid& a, TZylHTMLGrid& b) {
  ASSERT_EQ(a.GetColCount(), b.GetColCount());
  for (int c = 0; c < a.GetColCount(); ++c) {
    SCOPED_TRACE("column " + std::to_string(c));
    const TZylColumn& x = *a.GetColumns(c);
    const TZylColumn& y = *b.GetColumns(c);
    EXPECT_EQ(x.GetCaption(), y.GetCaption());
    EXPECT_EQ(x.GetCaptionColor(), y.GetCaptionColor());
    ExpectSameFonts(x.CaptionFont(), y.CaptionFont(), "CaptionFont");
    EXPECT_EQ(x.GetCaptionFontStyle(), y.GetCaptionFontStyle());
    EXPECT_EQ(x.GetCaptionHAlign(), y.GetCaptionHAlign());
    EXPECT_EQ(x.GetCaptionVAlign(), y.GetCaptionVAlign());
    EXPECT_EQ(x.GetCaptionWidth(), y.GetCaptionWidth());
    EXPECT_EQ(x.GetCaptionHeight(), y.GetCaptionHeight());
    EXPECT_EQ(GlyphToString(*x.Glyph()), GlyphToString(*y.Glyph()));
    EXPECT_EQ(x.GetShowGlyph(), y.GetShowGlyph());
    EXPECT_EQ(x.GetSelectable(), y.GetSelectable());
    EXPECT_EQ(x.GetShowSelector(), y.GetShowSelector());
    EXPECT_EQ(x.GetWordWrap(), y.GetWordWrap());
    EXPECT_EQ(x.GetWidth(), y.GetWidth());
    EXPECT_EQ(x.GetHeight(), y.GetHeight());
    EXPECT_EQ(x.GetHAlign(), y.GetHAlign());
    EXPECT_EQ(x.GetVAlign(), y.GetVAlign());
    EXPECT_EQ(x.GetColor(), y.GetColor());
    ExpectSameFonts(x.Font(), y.Font(), "Font");
    EXPECT_EQ(x.GetFontStyle(), y.GetFontStyle());
    EXPECT_EQ(x.GetSortOrder(), y.GetSortOrder());
    EXPECT_EQ(x.GetVisible(), y.GetVisible());
    EXPECT_TRUE(x.PickList() == y.PickList()) << y.PickList().GetCommaText();
    EXPECT_TRUE(x.ValueList() == y.ValueList()) << y.ValueList().GetCommaText();
    EXPECT_EQ(x.GetLimitToPickList(), y.GetLimitToPickList());
    EXPECT_EQ(x.GetAlignmentChar(), y.GetAlignmentChar());
    EXPECT_EQ(x.GetEditMode(), y.GetEditMode());
    EXPECT_EQ(x.GetDataType(), y.GetDataType());
    EXPECT_EQ(x.GetDataSize(), y.GetDataSize());
    EXPECT_EQ(x.GetCSS(), y.GetCSS());
    EXPECT_EQ(x.GetHTMLOverride(), y.GetHTMLOverride());
  }
}

void ExpectSameRowsAndCells(TZylHTMLGrid& a, TZylHTMLGrid& b) {
  ASSERT_EQ(a.GetRowCount(), b.GetRowCount());
  ASSERT_EQ(a.GetColCount(), b.GetColCount());
  for (int r = 0; r < a.GetRowCount(); ++r) {
    SCOPED_TRACE("row " + std::to_string(r));
    EXPECT_EQ(a.GetRows(r)->GetColor(), b.GetRows(r)->GetColor());
    EXPECT_EQ(a.GetRows(r)->GetVisible(), b.GetRows(r)->GetVisible());
    EXPECT_EQ(a.GetRows(r)->GetCSS(), b.GetRows(r)->GetCSS());
    EXPECT_EQ(a.GetRows(r)->GetHTMLOverride(), b.GetRows(r)->GetHTMLOverride());
    for (int c = 0; c < a.GetColCount(); ++c) {
      SCOPED_TRACE("column " + std::to_string(c));
      const TZylField& x = *a.GetCells(r, c);
      const TZylField& y = *b.GetCells(r, c);
      EXPECT_EQ(x.GetWidth(), y.GetWidth());
      EXPECT_EQ(x.GetHeight(), y.GetHeight());
      EXPECT_EQ(x.GetColor(), y.GetColor());
      ExpectSameFonts(x.Font(), y.Font(), "cell font");
      EXPECT_EQ(x.GetFontStyle(), y.GetFontStyle());
      EXPECT_EQ(x.GetHAlign(), y.GetHAlign());
      EXPECT_EQ(x.GetVAlign(), y.GetVAlign());
      EXPECT_EQ(x.GetValue(), y.GetValue());  // the number column's numbers
    }
  }
}

TEST(ConfigRoundTrip, SecondSaveIsIdenticalAndTheGridsAgree) {
  ScratchDir dir;
  TZylHTMLGrid original(nullptr);
  original.Loaded();
  SetUpGridSettings(original);
  SetUpStructure(original);
  original.SaveConfig(dir.File("first.ini"));
  EXPECT_EQ(original.GetColCount(), 5);  // the number column is back
  EXPECT_EQ(original.GetCells(2, 0)->GetValue(), "3");

  TZylHTMLGrid copy(nullptr);
  copy.Loaded();
  copy.LoadConfig(dir.File("first.ini"));
  copy.SaveConfig(dir.File("second.ini"));

  std::string first = ReadFile(dir.File("first.ini"));
  EXPECT_EQ(first, ReadFile(dir.File("second.ini")));
  ExpectSameGridSettings(original, copy);
  ExpectSameColumns(original, copy);
  ExpectSameRowsAndCells(original, copy);

  // The file holds exactly the sections expected: GRID, four columns, five
  // rows and the cells that differ from their columns.
  std::vector<std::string> names;
  for (const auto& s : testing::ParseIni(first)) names.push_back(s.name);
  EXPECT_EQ(names, (std::vector<std::string>{"GRID", "COLUMN 0", "COLUMN 1", "COLUMN 2", "COLUMN 3",
                                             "ROW 0", "ROW 1", "ROW 2", "ROW 3", "ROW 4",
                                             "CELL 0,0", "CELL 0,3", "CELL 1,1", "CELL 1,3",
                                             "CELL 2,2", "CELL 3,1", "CELL 4,3"}));
}

TEST(ConfigRoundTrip, DefaultGridRoundTripsToo) {
  ScratchDir dir;
  TZylHTMLGrid original(nullptr);
  original.Loaded();
  original.SaveConfig(dir.File("first.ini"));
  TZylHTMLGrid copy(nullptr);
  copy.Loaded();
  copy.SetHeader("changed");
  copy.SetColCount(7);
  copy.LoadConfig(dir.File("first.ini"));
  copy.SaveConfig(dir.File("second.ini"));
  EXPECT_EQ(ReadFile(dir.File("first.ini")), ReadFile(dir.File("second.ini")));
  ExpectSameGridSettings(original, copy);
  ExpectSameColumns(original, copy);
  ExpectSameRowsAndCells(original, copy);
}

}  // namespace
}  // namespace zyl
