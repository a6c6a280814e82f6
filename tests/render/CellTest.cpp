// Cells: backgrounds, edit controls, shown text, fixed cells with the
// current-record marker, and the two cell events.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"

namespace zyl {
namespace {

using test::Count;
using test::Lines;
using test::RenderGrid;

constexpr const char* kWhiteStyle = "color: #000000;background-color: #FFFFFF;";

// A grid whose column 1 is editable with field index 4; row r shows record r.
struct EditGrid : RenderGrid {
  explicit EditGrid(int rows = 1) : RenderGrid(rows, 3) {
    Column(1).SetEditMode(true);
    Column(1).SetFieldIndex(4);
  }
};

// ---- Backgrounds -------------------------------------------------------------

TEST(CellBackground, WithNoColoursSetTheCellIsWhite) {
  RenderGrid g(2, 3);
  g.Cell(1, 1).SetValue("abc");
  EXPECT_EQ(g.Cell(1, 1).GetHTML(), "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">abc</TD>");
  EXPECT_NE(g.grid.GetRows(1)->GetHTML().find("<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">abc</TD>"),
            std::string::npos);
}

TEST(CellBackground, CellColourIsMixedWithTheRowTint) {
  RenderGrid g(2, 3);
  g.grid.SetOddRowColor(clBlue);
  g.Cell(1, 1).SetColor(clRed);
  std::string row = g.grid.GetRows(1)->GetHTML();
  EXPECT_NE(row.find("<TD BGCOLOR=\"800080\""), std::string::npos);
  EXPECT_NE(row.find("<TD BGCOLOR=\"0000FF\""), std::string::npos);  // white cell: the tint
  EXPECT_EQ(g.grid.GetRows(1)->GetColor(), clBlue);                 // kept on the row...
  EXPECT_EQ(g.Cell(1, 2).GetColor(), clNone);                       // ...not put into cells
}

TEST(CellBackground, ColumnColoursFillUnsetCells) {
  RenderGrid g(1, 3);
  g.grid.SetOddColColor(0x00FFFF);
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1).rfind("<TD BGCOLOR=\"FFFF00\"", 0), 0u);
  EXPECT_EQ(g.Cell(0, 2).Build(0, 2).rfind("<TD BGCOLOR=\"FFFFFF\"", 0), 0u);
  g.Cell(0, 1).SetColor(0x0000FF);
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1).rfind("<TD BGCOLOR=\"FF0000\"", 0), 0u);
}

TEST(CellBackground, CurrentRowColourReplacesCellColoursWithRowNumbers) {
  RenderGrid g(2, 3);
  g.grid.Loaded();  // adds the row-number column
  ASSERT_EQ(g.grid.GetColCount(), 4);
  g.Cell(0, 1).SetColor(clRed);
  g.Cell(0, 2).SetColor(clGreen);
  std::string current = g.grid.GetRows(0)->GetHTML();
  EXPECT_EQ(Count(current, "<TD BGCOLOR=\"FFFFE0\""), 3);
  std::string other = g.grid.GetRows(1)->GetHTML();
  EXPECT_EQ(Count(other, "<TD BGCOLOR=\"FFFFFF\""), 3);

  // Without row numbers the current row takes the even row colour instead.
  g.grid.SetShowRowNumber(false);
  g.grid.SetEvenRowColor(0x00FF00);
  current = g.grid.GetRows(0)->GetHTML();
  EXPECT_EQ(Count(current, "<TD BGCOLOR=\"00FF00\""), 2) << current;
  EXPECT_EQ(current.find("FFFFE0"), std::string::npos);
}

// ---- Edit controls ---------------------------------------------------------------

TEST(CellEdit, TextFieldCarriesNameValueClassAndStyle) {
  EditGrid g;
  g.Cell(0, 1).SetValue("abc");
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1),
            std::string("<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\"><INPUT TYPE=\"TEXT\" "
                        "NAME=\"GCELL_0_4\" VALUE=\"abc\" CLASS=\"GS0\" STYLE=\"width: 100%;"
                        "height: 100%;") +
                kWhiteStyle + "\"></TD>");
  // Edit controls get no padding.
  EXPECT_EQ(g.Sheet()[0].find("padding"), std::string::npos);
}

TEST(CellEdit, MemoBecomesATextArea) {
  EditGrid g;
  g.Column(1).SetDataType(TFieldType::ftMemo);
  g.Cell(0, 1).SetValue("line 1\r\nline 2");
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1),
            std::string("<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\"><TEXTAREA NAME=\"GCELL_0_4\" "
                        "CLASS=\"GS0\" STYLE=\"width: 100%;height: 100%;") +
                kWhiteStyle + "\">line 1\r\nline 2</TEXTAREA></TD>");
}

TEST(CellEdit, BooleanBecomesACheckbox) {
  EditGrid g;
  g.Column(1).SetDataType(TFieldType::ftBoolean);
  g.Cell(0, 1).SetBooleanValue(true);
  const std::string head =
      "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\"><INPUT TYPE=\"CHECKBOX\" NAME=\"GCELL_0_4\" "
      "CLASS=\"GS0\" STYLE=\"";
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1), head + kWhiteStyle + "\" CHECKED></TD>");
  g.Cell(0, 1).SetBooleanValue(false);
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1), head + kWhiteStyle + "\"></TD>");
}

TEST(CellEdit, PickListBecomesASelectionList) {
  EditGrid g;
  g.Column(1).SetDataType(TFieldType::ftBoolean);  // the pick list comes first
  g.Column(1).PickList().SetCommaText("Red,Green,Blue");
  g.Column(1).ValueList().SetCommaText("r,g");  // the extra text is left out
  g.Cell(0, 1).SetValue("g");
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1),
            std::string("<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\"><SELECT NAME=\"GCELL_0_4\" "
                        "CLASS=\"GS0\" STYLE=\"width: 100%;") +
                kWhiteStyle +
                "\"><OPTION VALUE=\"r\">Red<OPTION VALUE=\"g\" SELECTED>Green</SELECT></TD>");
  g.Cell(0, 1).SetValue("G");  // selection compares exactly
  EXPECT_EQ(Count(g.Cell(0, 1).Build(0, 1), "SELECTED"), 0);
  g.Column(1).ValueList().SetCommaText("g,g,g");
  g.Cell(0, 1).SetValue("g");
  EXPECT_EQ(Count(g.Cell(0, 1).Build(0, 1), " SELECTED>"), 3);
}

TEST(CellEdit, CurrentRowStyleEditsOnlyTheCurrentRecord) {
  EditGrid g(3);
  g.grid.SetRecNo(1);
  for (int r = 0; r < 3; ++r) g.Cell(r, 1).SetValue("v");
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1).find("<INPUT"), std::string::npos);
  EXPECT_NE(g.Cell(1, 1).Build(1, 1).find("<INPUT TYPE=\"TEXT\" NAME=\"GCELL_1_4\""),
            std::string::npos);
  // The text cells are padded by TextIndent.
  std::string text = g.Cell(2, 1).Build(2, 1);
  std::string name = text.substr(text.find("CLASS=\"") + 7);
  name = name.substr(0, name.find('"'));
  int line = -1;
  for (int i = 0; i < g.Sheet().Count(); ++i) {
    if (g.Sheet()[i].rfind("." + name + "   ", 0) == 0) line = i;
  }
  ASSERT_GE(line, 0);
  EXPECT_NE(g.Sheet()[line].find(" padding-left: 3pt; padding-right: 3pt; }"), std::string::npos);

  g.grid.SetEditStyle(TEditStyle::AllRows);
  for (int r = 0; r < 3; ++r) {
    EXPECT_NE(g.Cell(r, 1).Build(r, 1).find("<INPUT TYPE=\"TEXT\""), std::string::npos) << r;
  }
  g.Column(1).SetReadOnly(true);
  EXPECT_EQ(g.Cell(1, 1).Build(1, 1).find("<INPUT"), std::string::npos);
}

TEST(CellEdit, AddingRecordEditsOnlyTheLastRow) {
  EditGrid g(3);
  g.grid.SetEditStyle(TEditStyle::AllRows);
  g.Column(2).SetEditMode(true);
  g.Column(2).PickList().SetCommaText("Red,Green");
  g.Column(2).ValueList().SetCommaText("r,g");
  g.grid.SetAddingRecord(true);
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1).find("<INPUT"), std::string::npos);  // the current record
  EXPECT_EQ(g.Cell(1, 1).Build(1, 1).find("<INPUT"), std::string::npos);
  EXPECT_NE(g.Cell(2, 1).Build(2, 1).find("<INPUT TYPE=\"TEXT\""), std::string::npos);
  // A pick list offers its choices only when the value must be one of them.
  EXPECT_NE(g.Cell(2, 2).Build(2, 2).find("<INPUT TYPE=\"TEXT\""), std::string::npos);
  g.Column(2).SetLimitToPickList(true);
  EXPECT_NE(g.Cell(2, 2).Build(2, 2).find("<SELECT"), std::string::npos);
  g.grid.SetEditStyle(TEditStyle::CurrentRow);
  EXPECT_NE(g.Cell(2, 1).Build(2, 1).find("<INPUT"), std::string::npos);
}

TEST(CellEdit, SummaryRowIsNeverEditedAndShowsPlainText) {
  EditGrid g(3);
  g.grid.SetEditStyle(TEditStyle::AllRows);
  g.Column(1).SetDataType(TFieldType::ftBoolean);
  g.Column(2).PickList().SetCommaText("Red");
  g.Column(2).ValueList().SetCommaText("r");
  g.grid.SetDoMadeSum(true);
  g.Cell(2, 1).SetValue("2");
  g.Cell(2, 2).SetValue("r");
  EXPECT_EQ(g.Cell(2, 1).Build(2, 1), "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">2</TD>");
  EXPECT_EQ(g.Cell(2, 2).Build(2, 2), "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">r</TD>");
  EXPECT_NE(g.Cell(1, 1).Build(1, 1).find("CHECKBOX"), std::string::npos);
  g.grid.SetDoMadeSum(false);
  g.grid.SetDoMadeSA(true);
  EXPECT_EQ(g.Cell(2, 1).Build(2, 1).find("CHECKBOX"), std::string::npos);
}

// ---- Shown text ---------------------------------------------------------------------

TEST(CellText, BooleansShowTrueOrFalseImages) {
  RenderGrid g(1, 3);
  g.Column(1).SetDataType(TFieldType::ftBoolean);
  g.Cell(0, 1).SetBooleanValue(true);
  EXPECT_EQ(g.Cell(0, 1).Build(0, 1),
            "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\"><IMG SRC=\"img/GTrue.gif\" WIDTH=\"12\" "
            "HEIGHT=\"12\"></TD>");
  g.Cell(0, 1).SetBooleanValue(false);
  EXPECT_NE(g.Cell(0, 1).Build(0, 1).find("<IMG SRC=\"img/GFalse.gif\" WIDTH=\"12\""),
            std::string::npos);
}

TEST(CellText, CrLfBecomesABreakOrABlank) {
  RenderGrid g(1, 3);
  g.Cell(0, 1).SetValue("a\r\nb\nc\rd");
  EXPECT_NE(g.Cell(0, 1).Build(0, 1).find(">a b\nc\rd</TD>"), std::string::npos);
  g.Column(1).SetWordWrap(true);
  EXPECT_NE(g.Cell(0, 1).Build(0, 1).find(">a<BR>b\nc\rd</TD>"), std::string::npos);
  EXPECT_EQ(g.Sheet().Count(), 2);  // wrapping changes the rule (no nowrap)
}

TEST(CellText, PickListShowsTheTextOfTheValue) {
  RenderGrid g(1, 3);
  g.Column(1).PickList().SetCommaText("Red,Green");
  g.Column(1).ValueList().SetCommaText("r,g,b");
  auto shown = [&](const std::string& value) {
    g.Cell(0, 1).SetValue(value);
    std::string html = g.Cell(0, 1).Build(0, 1);
    std::size_t start = html.find('>') + 1;
    return html.substr(start, html.size() - 5 - start);
  };
  EXPECT_EQ(shown("g"), "Green");
  EXPECT_EQ(shown("G"), "Green");    // looked up ignoring case
  EXPECT_EQ(shown("x"), "x");        // missing: the raw value
  EXPECT_EQ(shown("b"), "b");        // no text for this value
  EXPECT_EQ(g.Cell(0, 1).GetValue(), "b");
}

TEST(CellText, SizeAndAlignmentAttributesFollowTheBackground) {
  RenderGrid g(1, 3);
  TZylField& cell = g.Cell(0, 1);
  cell.SetWidth(80);
  cell.SetHeight(0);
  cell.SetHAlign(HAlignment::alCenter);
  cell.SetVAlign(VAlignment::alBaseline);
  EXPECT_EQ(cell.Build(0, 1).rfind("<TD WIDTH=\"80\" HEIGHT=\"0\" BGCOLOR=\"FFFFFF\" CLASS=\"GS0\" "
                                   "ALIGN=\"CENTER\" VALIGN=\"BASELINE\">",
                                   0),
            0u);
  cell.SetHAlign(HAlignment::alChar);  // the class carries it; no attribute
  cell.SetVAlign(VAlignment::alMiddle);
  EXPECT_NE(cell.Build(0, 1).find("CLASS=\"GS1\">"), std::string::npos);
}

TEST(CellText, WithoutLinkedSheetClassIsEmpty) {
  RenderGrid g(1, 3, /*linkCss=*/false);
  g.Cell(0, 1).SetValue("x");
  EXPECT_EQ(g.Cell(0, 1).GetHTML(), "<TD BGCOLOR=\"FFFFFF\" CLASS=\"\">x</TD>");
  EXPECT_EQ(g.Sheet().Count(), 0);
}

// ---- Events, overrides, visibility --------------------------------------------

TEST(CellEvents, InvisibleColumnYieldsNothingAndFiresNoEvent) {
  RenderGrid g(1, 3);
  int events = 0;
  g.grid.OnProcessCellData = [&](TObject*, int, int, int, std::string) { ++events; };
  g.grid.OnGetCellHTML = [&](TObject*, TZylHTMLGrid*, int, int, int, std::string&) { ++events; };
  g.Column(2).SetVisible(false);
  EXPECT_EQ(g.Cell(0, 2).GetHTML(), "");
  EXPECT_EQ(events, 0);
  std::string row = g.grid.GetRows(0)->GetHTML();
  EXPECT_EQ(events, 4);  // two cells, two events each
  EXPECT_EQ(row, "<TR>" + g.Cell(0, 0).GetHTML() + g.Cell(0, 1).GetHTML() + "</TR>");
}

TEST(CellEvents, ProcessCellDataRunsFirstAndMayChangeTheCell) {
  RenderGrid g(2, 3);
  g.Cell(1, 1).SetValue("before");
  std::vector<std::string> calls;
  g.grid.OnProcessCellData = [&](TObject* sender, int aRow, int aCol, int aRecNo,
                                 std::string value) {
    calls.push_back("data " + std::to_string(aRow) + "," + std::to_string(aCol) + "," +
                    std::to_string(aRecNo) + "," + value);
    static_cast<TZylField*>(sender)->SetValue("after");
  };
  g.grid.OnGetCellHTML = [&](TObject* sender, TZylHTMLGrid* grid, int aRow, int aCol, int aRecNo,
                             std::string& html) {
    EXPECT_EQ(sender, &g.Cell(1, 1));
    EXPECT_EQ(grid, &g.grid);
    calls.push_back("html " + std::to_string(aRow) + "," + std::to_string(aCol) + "," +
                    std::to_string(aRecNo) + "," + html);
  };
  g.grid.GetRows(1)->SetRecNo(7);
  EXPECT_EQ(g.Cell(1, 1).GetHTML(), "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">after</TD>");
  std::vector<std::string> expected = {
      "data 1,1,7,before", "html 1,1,7,<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">after</TD>"};
  EXPECT_EQ(calls, expected);
}

TEST(CellEvents, EmptyHtmlFromTheEventRemovesTheCell) {
  RenderGrid g(1, 3);
  g.Cell(0, 1).SetValue("gone");
  g.Cell(0, 2).SetValue("kept");
  g.grid.OnGetCellHTML = [](TObject*, TZylHTMLGrid*, int, int aCol, int, std::string& html) {
    if (aCol == 1) html.clear();
  };
  std::string row = g.grid.GetRows(0)->GetHTML();
  EXPECT_EQ(row.find("gone"), std::string::npos);
  EXPECT_EQ(row, "<TR>" + g.Cell(0, 0).GetHTML() + g.Cell(0, 2).GetHTML() + "</TR>");
}

TEST(CellEvents, ReplacementHtmlAddsItsCssLinePerRendering) {
  RenderGrid g(1, 3);
  TZylField& cell = g.Cell(0, 1);
  cell.SetHTML("<TD CLASS=\"mine\">own</TD>");
  cell.SetCSS(".mine   { color: red; }");
  EXPECT_EQ(cell.GetHTML(), "<TD CLASS=\"mine\">own</TD>");
  EXPECT_EQ(cell.GetHTML(), "<TD CLASS=\"mine\">own</TD>");
  ASSERT_EQ(g.Sheet().Count(), 2);
  EXPECT_EQ(g.Sheet()[0], ".mine   { color: red; }");
  EXPECT_EQ(g.Sheet()[1], ".mine   { color: red; }");
  EXPECT_EQ(cell.Build(0, 1), "<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS2\"></TD>");  // Build ignores it

  RenderGrid unlinked(1, 3, /*linkCss=*/false);
  unlinked.Cell(0, 1).SetHTML("<TD>own</TD>");
  unlinked.Cell(0, 1).SetCSS(".mine   { color: red; }");
  EXPECT_EQ(unlinked.Cell(0, 1).GetHTML(), "<TD>own</TD>");
}

TEST(CellEvents, CellOutsideTheMatrixRendersNothing) {
  RenderGrid g(1, 3);
  TZylField stray(&g.grid);
  stray.SetValue("x");
  EXPECT_EQ(stray.GetHTML(), "");
}

// ---- Fixed cells and the current-record marker ---------------------------------

// The marker cell's line of the fixed cell at (row, 0).
std::string MarkerLine(RenderGrid& g, int row) {
  for (const std::string& line : Lines(g.Cell(row, 0).GetHTML())) {
    if (line.rfind("       <TD WIDTH=\"16\"", 0) == 0) return line;
  }
  return "(none)";
}

TEST(CellMarker, RowNumberCellsCarryRecordButtons) {
  RenderGrid g(3, 3);
  g.grid.Loaded();
  g.grid.SetRecNo(1);
  const std::string head = "       <TD WIDTH=\"16\" BGCOLOR=\"#D4D0C8\" CLASS=\"GS0\">";
  EXPECT_EQ(MarkerLine(g, 1),
            head + "<INPUT TYPE=\"IMAGE\" NAME=\"GRecNo1\" SRC=\"img/GCurrent.gif\" BORDER=\"0\" "
                   "WIDTH=\"12\" HEIGHT=\"12\" ALT=\"Current record\"></TD>");
  EXPECT_EQ(MarkerLine(g, 0),
            head + "<INPUT TYPE=\"IMAGE\" NAME=\"GRecNo0\" SRC=\"img/GNone.gif\" BORDER=\"0\" "
                   "WIDTH=\"12\" HEIGHT=\"12\" ALT=\"Go to this record\"></TD>");
  std::string fixed = g.Cell(1, 0).GetHTML();
  EXPECT_NE(fixed.find("CLASS=\"GS0\">&nbsp;2&nbsp;&nbsp;</TD>"), std::string::npos);
  EXPECT_EQ(fixed.find("GSel"), std::string::npos);
  EXPECT_EQ(fixed.find("WIDTH=\"34\""), std::string::npos);  // no sort buttons
  // The column's transient settings end empty; its own settings come back.
  TZylColumn& number = g.Column(0);
  EXPECT_FALSE(number.GetShowCurrent());
  EXPECT_EQ(number.GetCurrentHTML(), "");
  EXPECT_TRUE(number.GetShowGlyph());
}

TEST(CellMarker, SummaryRowHasAnEmptyMarker) {
  RenderGrid g(3, 3);
  g.grid.Loaded();
  g.grid.SetDoMadeSum(true);
  EXPECT_EQ(MarkerLine(g, 2), "       <TD WIDTH=\"16\" BGCOLOR=\"#D4D0C8\" CLASS=\"GS0\"></TD>");
  EXPECT_NE(MarkerLine(g, 1).find("GNone.gif"), std::string::npos);
}

TEST(CellMarker, NewRecordShowsAPlainImageInTheLastRow) {
  RenderGrid g(3, 3);
  g.grid.Loaded();
  g.grid.SetRecNo(1);
  g.grid.SetAddingRecord(true);
  EXPECT_NE(MarkerLine(g, 2).find("\"><IMG SRC=\"img/GCurrent.gif\" BORDER=\"0\" WIDTH=\"12\" "
                                  "HEIGHT=\"12\" ALT=\"Current record\"></TD>"),
            std::string::npos);
  EXPECT_NE(MarkerLine(g, 1).find("NAME=\"GRecNo1\" SRC=\"img/GNone.gif\""), std::string::npos);
}

TEST(CellMarker, EnterKeyButtonLeadsTheFirstRowInEditMode) {
  RenderGrid g(2, 3);
  g.grid.Loaded();
  g.grid.SetUpdatByEnter(true);
  EXPECT_EQ(MarkerLine(g, 0).find("GDUMMY"), std::string::npos);  // not editing
  g.Column(1).SetEditMode(true);
  EXPECT_NE(MarkerLine(g, 0).find("CLASS=\"GS0\"><INPUT TYPE=\"IMAGE\" NAME=\"GDUMMY\" "
                                  "SRC=\"img/Gt.gif\" BORDER=\"0\" WIDTH=\"0\" HEIGHT=\"0\">"
                                  "<INPUT TYPE=\"IMAGE\" NAME=\"GRecNo0\""),
            std::string::npos);
  EXPECT_EQ(MarkerLine(g, 1).find("GDUMMY"), std::string::npos);
}

TEST(CellMarker, FixedCellsWithoutRowNumbersHaveNoMarker) {
  RenderGrid g(2, 3);
  g.grid.Loaded();
  g.grid.SetShowRowNumber(false);
  g.Cell(1, 0).SetValue("label");
  EXPECT_EQ(MarkerLine(g, 1), "(none)");
  EXPECT_NE(g.Cell(1, 0).GetHTML().find("&nbsp;label&nbsp;&nbsp;"), std::string::npos);
  // Fixed rows: with two fixed rows the caption line and row 0 are fixed.
  g.grid.SetFixedRows(2);
  g.Cell(0, 1).SetValue("head");
  EXPECT_EQ(g.Cell(0, 1).GetHTML().rfind("<TD HEIGHT=\"100%\">", 0), 0u);
  EXPECT_EQ(g.Cell(1, 1).GetHTML().rfind("<TD BGCOLOR=", 0), 0u);
}

}  // namespace
}  // namespace zyl
