// A grid with non-default settings everywhere is saved: the file equals the
// golden file byte for byte (which Python's configparser reads as well, see
// configparser_check.py), and a new grid loaded from it saves it again
// unchanged, so every key is written and read back.
#include <gtest/gtest.h>

#include <cstdlib>

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
  g.SetAltOK("\" Los \"");  // reads as the quoted form itself
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
  g.SetAltGraph("<<<Grafik>>>");
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
  g.GetRows(4)->SetHTML("<TR><TD>C:\\temp</TD></TR>\r\n");

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

TEST(ConfigRoundTrip, SavedFileEqualsTheGoldenFileAndLoadsBackUnchanged) {
  const std::string golden = ZYL_SOURCE_DIR "/tests/config/golden-grid.ini";
  ScratchDir dir;
  TZylHTMLGrid original(nullptr);
  original.Loaded();
  SetUpGridSettings(original);
  SetUpStructure(original);
  original.SaveConfig(dir.File("first.ini"));
  const std::string first = ReadFile(dir.File("first.ini"));
  if (std::getenv("ZYL_UPDATE_GOLDEN") != nullptr) testing::WriteFile(golden, first);
  EXPECT_EQ(first, ReadFile(golden));
  EXPECT_EQ(original.GetColCount(), 5);  // the number column is back
  EXPECT_EQ(original.GetCells(2, 0)->GetValue(), "3");

  TZylHTMLGrid copy(nullptr);
  copy.Loaded();
  copy.LoadConfig(golden);
  copy.SaveConfig(dir.File("second.ini"));
  EXPECT_EQ(ReadFile(dir.File("second.ini")), first);
  // Values that need the quoted form come back exactly.
  EXPECT_EQ(copy.GetTextUpdateError(), original.GetTextUpdateError());
  EXPECT_EQ(copy.GetAltOK(), original.GetAltOK());
  EXPECT_EQ(copy.GetRows(4)->GetHTMLOverride(), original.GetRows(4)->GetHTMLOverride());
  EXPECT_TRUE(copy.GetColumns(1)->PickList() == original.GetColumns(1)->PickList());
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
  EXPECT_EQ(copy.GetHeader(), original.GetHeader());
  EXPECT_EQ(copy.GetTextUpdateError(), original.GetTextUpdateError());  // a leading blank
}

}  // namespace
}  // namespace zyl
