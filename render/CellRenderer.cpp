// Cell rendering: TZylField::GetHTML and Build, and the renderer behind them.
//
// A cell is a data cell when its column is not a fixed column and its row
// is at least FixedRows - 1 (the caption line counts as the first fixed
// row). Data cells show text, a true/false image or an edit control; the
// others are drawn like captions.
//
// Background of a data cell: the cell's colour, else the odd or even column
// colour, else white; in the current record's row a set row colour
// replaces it, in every other row it is mixed with the row's colour
// (MixColors, where white and unset colours are neutral).
#include "render/CellRenderer.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ScopeExit.h"
#include "render/Accessible.h"
#include "render/CaptionRenderer.h"
#include "request/FormProtocol.h"
#include "request/ZylCSS.h"

namespace zyl::render {

namespace {

// The ALIGN and VALIGN attributes of a data cell; none for left and middle.
std::string_view AlignAttribute(HAlignment align) {
  switch (align) {
    case HAlignment::alCenter:
      return " ALIGN=\"CENTER\"";
    case HAlignment::alRight:
      return " ALIGN=\"RIGHT\"";
    case HAlignment::alJustify:
      return " ALIGN=\"JUSTIFY\"";
    case HAlignment::alLeft:
    case HAlignment::alChar:
      break;
  }
  return {};
}
std::string_view VAlignAttribute(VAlignment align) {
  switch (align) {
    case VAlignment::alTop:
      return " VALIGN=\"TOP\"";
    case VAlignment::alBottom:
      return " VALIGN=\"BOTTOM\"";
    case VAlignment::alBaseline:
      return " VALIGN=\"BASELINE\"";
    case VAlignment::alMiddle:
      break;
  }
  return {};
}

// A data cell's opening tag, written to an HtmlWriter or an HtmlPiece.
template <typename Out>
void OpenDataCell(Out& out, const TZylField& cell, TColor background, std::string_view className) {
  out.Literal("<TD");
  if (cell.GetWidth() > -1) out.Literal(" WIDTH=\"").Number(cell.GetWidth()).Literal("\"");
  if (cell.GetHeight() > -1) out.Literal(" HEIGHT=\"").Number(cell.GetHeight()).Literal("\"");
  out.Literal(" BGCOLOR=\"").Hex6(TZylHTMLGrid::ColorToRGB(background)).Literal("\"");
  out.Literal(" CLASS=\"").Literal(className).Literal("\"");
  // Most cells have neither: nothing is appended for them.
  const std::string_view align = AlignAttribute(cell.GetHAlign());
  const std::string_view valign = VAlignAttribute(cell.GetVAlign());
  if (!align.empty()) out.Literal(align);
  if (!valign.empty()) out.Literal(valign);
  out.Literal(">");
}

}  // namespace

void CellRenderer::AppendHTML(TZylField& cell, int aRow, int aCol) {
  if (!grid_.GetColumns(aCol)->GetVisible()) return;
  if (grid_.OnProcessCellData) {
    grid_.OnProcessCellData(&cell, aRow, aCol, grid_.GetRows(aRow)->GetRecNo(), cell.GetValue());
  }
  const std::size_t mark = out_.Size();
  if (!cell.GetHTMLOverride().empty()) {
    out_.Literal(cell.GetHTMLOverride());
    TZylCSS* css = grid_.CSSLink();
    if (!cell.GetCSS().empty() && css != nullptr) css->GetCSS().Add(cell.GetCSS());
  } else {
    AppendBuild(cell, aRow, aCol);
  }
  if (grid_.OnGetCellHTML) {
    std::string html = out_.TakeFrom(mark);
    grid_.OnGetCellHTML(&cell, &grid_, aRow, aCol, grid_.GetRows(aRow)->GetRecNo(), html);
    out_.Literal(html);
  }
}

void CellRenderer::AppendBuild(TZylField& cell, int aRow, int aCol) {
  const bool dataCell = aCol >= grid_.GetFixedCols() && aRow >= grid_.GetFixedRows() - 1;
  if (dataCell) {
    AppendDataCell(cell, aRow, aCol);
  } else {
    AppendFixedCell(cell, aRow, aCol);
  }
}

namespace {

// What the last data cell of a column without a font of its own composed:
// its inputs and the sheet's line. Kept per thread, by column; valid while
// the sheet keeps its revision (a new line takes a new one).
struct ClassMemo {
  const TZylHTMLGrid* grid = nullptr;
  const TZylCSS* css = nullptr;
  std::uint64_t revision = 0;
  TCSSUnits units = TCSSUnits::cuPoints;
  TFontStyle fontStyle = TFontStyle::fsSanSerif;
  HAlignment hAlign = HAlignment::alLeft;
  bool wordWrap = false;
  int indent = 0;
  int line = -1;
  std::string alignmentChar, className;
};

ClassMemo& MemoOfColumn(int aCol) {
  thread_local std::vector<ClassMemo> memos;
  const auto index = static_cast<std::size_t>(aCol);
  if (memos.size() <= index) memos.resize(index + 1);
  return memos[index];
}

}  // namespace

void CellRenderer::ComposeCellClass(const TZylField& cell, const TZylColumn& column, int aCol,
                                    int indent, std::string& className) {
  TZylCSS* css = grid_.CSSLink();
  if (css == nullptr || cell.HasOwnFont()) {
    grid_.ComposeClass(cell.Font(), cell.GetFontStyle(), column.GetWordWrap(), cell.GetHAlign(),
                       column.GetAlignmentChar(), indent, className);
    return;
  }
  // The cells of a column compose the same class row after row.
  ClassMemo& memo = MemoOfColumn(aCol);
  if (memo.line >= 0 && memo.grid == &grid_ && memo.css == css &&
      memo.revision == css->GetSheetRevision() && memo.units == grid_.GetCSSUnits() &&
      memo.fontStyle == cell.GetFontStyle() && memo.hAlign == cell.GetHAlign() &&
      memo.wordWrap == column.GetWordWrap() && memo.indent == indent &&
      memo.alignmentChar == column.GetAlignmentChar()) {
    css->SetCSSUnits(memo.units);
    css->SetWordWrap(memo.wordWrap);
    css->CountRuleUse(memo.line);
    className = memo.className;
    return;
  }
  grid_.ComposeClass(cell.Font(), cell.GetFontStyle(), column.GetWordWrap(), cell.GetHAlign(),
                     column.GetAlignmentChar(), indent, className);
  memo.grid = &grid_;
  memo.css = css;
  memo.revision = css->GetSheetRevision();
  memo.units = grid_.GetCSSUnits();
  memo.fontStyle = cell.GetFontStyle();
  memo.hAlign = cell.GetHAlign();
  memo.wordWrap = column.GetWordWrap();
  memo.indent = indent;
  memo.line = css->GetLastRuleLine();
  memo.alignmentChar = column.GetAlignmentChar();
  memo.className = className;
}

bool CellRenderer::IsSummaryRow(int aRow) {
  return (grid_.GetDoMadeSum() || grid_.GetDoMadeSA()) && aRow == grid_.GetRowCount() - 1;
}

void CellRenderer::AppendDataCell(TZylField& cell, int aRow, int aCol) {
  const TZylColumn& column = *grid_.GetColumns(aCol);
  const TZylRow& row = *grid_.GetRows(aRow);

  TColor cellColor = cell.GetColor();
  if (cellColor == clNone)
    cellColor = aCol % 2 != 0 ? grid_.GetOddColColor() : grid_.GetEvenColColor();
  if (cellColor == clNone) cellColor = clWhite;
  const bool currentRecord = row.GetRecNo() == grid_.GetRecNo();
  const TColor background = currentRecord && row.GetColor() != clNone
                                ? row.GetColor()
                                : TZylHTMLGrid::MixColors(row.GetColor(), cellColor);

  // While a record is being added only the last row is editable; otherwise
  // every row, or only the current record's row with EditStyle CurrentRow.
  const bool lastRow = aRow == grid_.GetRowCount() - 1;
  const bool summaryRow = IsSummaryRow(aRow);
  const bool rowEditable =
      grid_.GetAddingRecord() ? lastRow
                              : !(grid_.GetEditStyle() == TEditStyle::CurrentRow && !currentRecord);
  const bool edit = rowEditable && column.GetEditMode() && !column.GetReadOnly() && !summaryRow;

  std::string className;
  ComposeCellClass(cell, column, aCol, edit ? -1 : grid_.GetTextIndent(), className);
  HtmlPiece<192> tag;
  OpenDataCell(tag, cell, background, className);
  if (tag.Fits()) {
    out_.Literal(tag.Text());
  } else {
    OpenDataCell(out_, cell, background, className);
  }

  if (edit) {
    AppendEditControl(cell, column, row.GetRecNo(), className, background);
  } else {
    AppendShownText(cell, column, summaryRow);
  }
  out_.Literal("</TD>");
}

void CellRenderer::AppendEditControl(const TZylField& cell, const TZylColumn& column, int recNo,
                                     const std::string& className, TColor background) {
  const TColor textColor = cell.Font().GetColor();
  // The control's NAME (and, with AccessibleMarkup, its label: the caption).
  auto name = [&] {
    out_.Literal(form::CellField(recNo, column.GetFieldIndex()));
    // The caller closes the attribute: NAME="<name>" aria-label="<caption>".
    if (grid_.GetAccessibleMarkup()) {
      out_.Literal("\" aria-label=\"").Value(column.GetCaption(), HtmlContext::Attribute);
    }
  };
  const TStringList& pickList = column.PickList();
  if (!pickList.Empty() && (!grid_.GetAddingRecord() || column.GetLimitToPickList())) {
    out_.Literal("<SELECT NAME=\"");
    name();
    out_.Literal("\" CLASS=\"").Literal(className).Literal("\" STYLE=\"");
    out_.Literal(grid_.ComposeSTYLE("100%", "", "", textColor, background)).Literal("\">");
    // Texts and values pair by index; a pick list longer than its value
    // list is cut to the shorter length.
    const TStringList& valueList = column.ValueList();
    const int options = std::min(pickList.Count(), valueList.Count());
    for (int i = 0; i < options; ++i) {
      out_.Literal("<OPTION VALUE=\"").Value(valueList[i], HtmlContext::Attribute);
      out_.Literal(valueList[i] == cell.GetValue() ? "\" SELECTED>" : "\">");
      out_.Value(pickList[i], HtmlContext::Text);
    }
    out_.Literal("</SELECT>");
    return;
  }
  const TFieldType type = column.GetDataType();
  if (type == TFieldType::ftBoolean) {
    out_.Literal("<INPUT TYPE=\"CHECKBOX\" NAME=\"");
    name();
    out_.Literal("\" CLASS=\"").Literal(className).Literal("\" STYLE=\"");
    out_.Literal(grid_.ComposeSTYLE("", "", "", textColor, background));
    out_.Literal(cell.GetBooleanValue() ? "\" CHECKED>" : "\">");
    return;
  }
  const std::string style = grid_.ComposeSTYLE("100%", "100%", "", textColor, background);
  // A memo edits in a text area, and so does a value with a line break: a
  // text input would drop its line breaks when the row is posted.
  const std::string& value = cell.GetValue();
  if (type == TFieldType::ftMemo || value.find_first_of("\r\n") != std::string::npos) {
    out_.Literal("<TEXTAREA NAME=\"");
    name();
    out_.Literal("\" CLASS=\"").Literal(className).Literal("\" STYLE=\"").Literal(style);
    out_.Literal("\">");
    // Browsers drop a line break right after the start tag: a value that
    // begins with one gets one more.
    if (!value.empty() && (value.front() == '\r' || value.front() == '\n')) out_.Literal("\n");
    out_.Value(value, HtmlContext::Text).Literal("</TEXTAREA>");
    return;
  }
  out_.Literal("<INPUT TYPE=\"TEXT\" NAME=\"");
  name();
  out_.Literal("\" VALUE=\"").Value(cell.GetValue(), HtmlContext::Attribute);
  out_.Literal("\" CLASS=\"").Literal(className).Literal("\" STYLE=\"").Literal(style);
  out_.Literal("\">");
}

void CellRenderer::AppendShownText(const TZylField& cell, const TZylColumn& column,
                                   bool summaryRow) {
  if (column.GetDataType() == TFieldType::ftBoolean && !summaryRow) {
    out_.Literal("<IMG SRC=\"").Literal(grid_.GetImagesURL());
    out_.Literal(cell.GetBooleanValue() ? "GTrue.gif" : "GFalse.gif");
    out_.Literal("\" WIDTH=\"12\" HEIGHT=\"12\"");
    if (grid_.GetAccessibleMarkup()) {
      out_.Literal(cell.GetBooleanValue() ? " ALT=\"Yes\"" : " ALT=\"No\"");
    }
    out_.Literal(">");
    return;
  }
  std::string_view shown = cell.GetValue();
  const TStringList& pickList = column.PickList();
  if (!pickList.Empty() && !summaryRow) {
    // The first value equal ignoring case names the text shown; a value
    // without a text shows as it is.
    const int index = column.ValueList().IndexOf(cell.GetValue());
    if (index >= 0 && pickList.Count() > index) shown = pickList[index];
  }
  out_.Value(shown, column.GetWordWrap() ? HtmlContext::WrappedLine : HtmlContext::Line);
}

std::string CellRenderer::CurrentMarker(int aRow) {
  std::string marker;
  if (IsSummaryRow(aRow)) return marker;  // the summary row's marker cell stays empty
  HtmlWriter out(marker);
  const std::string& images = grid_.GetImagesURL();
  out.Reserve(160 + 2 * images.size());  // the marker's button in one allocation
  if (grid_.GetUpdatByEnter() && aRow == 0 && grid_.GetEditMode()) {
    // An invisible first button of the form: browsers click it when Enter
    // is pressed in a text field.
    out.Literal("<INPUT TYPE=\"IMAGE\" NAME=\"").Literal(form::kDummy).Literal("\" SRC=\"");
    out.Literal(images);
    out.Literal("Gt.gif\" BORDER=\"0\" WIDTH=\"0\" HEIGHT=\"0\"");
    // Out of the tab order: Enter reaches it, Tab would stop on nothing seen.
    if (grid_.GetAccessibleMarkup()) {
      out.Literal(" TABINDEX=\"-1\" ALT=\"").Literal(grid_.GetAltUpdate()).Literal("\"");
    }
    out.Literal(">");
  }
  const int recNo = grid_.GetRows(aRow)->GetRecNo();
  if (grid_.GetAddingRecord() && aRow == grid_.GetRowCount() - 1) {
    out.Literal("<IMG SRC=\"").Literal(images).Literal("GCurrent.gif\" BORDER=\"0\" WIDTH=\"12\"");
    out.Literal(" HEIGHT=\"12\" ALT=\"").Literal(grid_.GetAltCurrentRecord()).Literal("\">");
    return marker;
  }
  const bool current = !grid_.GetAddingRecord() && recNo == grid_.GetRecNo();
  out.Literal("<INPUT TYPE=\"IMAGE\" NAME=\"").Literal(form::RecordButton(recNo));
  out.Literal("\" SRC=\"");
  out.Literal(images).Literal(current ? "GCurrent.gif" : "GNone.gif");
  out.Literal("\" BORDER=\"0\" WIDTH=\"12\" HEIGHT=\"12\" ALT=\"");
  out.Literal(current ? grid_.GetAltCurrentRecord() : grid_.GetAltGotoRecord()).Literal("\">");
  return marker;
}

void CellRenderer::AppendFixedCell(TZylField& cell, int aRow, int aCol) {
  TZylColumn& column = *grid_.GetColumns(aCol);
  const bool showGlyph = column.GetShowGlyph();
  const bool showSelector = column.GetShowSelector();
  const bool marker = aCol == 0 && grid_.GetShowRowNumber();
  // A fixed cell shows neither sort buttons nor a selector; the marker
  // settings are transient and end empty.
  ScopeExit restore([&] {
    column.SetShowGlyph(showGlyph);
    column.SetShowSelector(showSelector);
    if (marker) {
      column.SetShowCurrent(false);
      column.SetCurrentHTML(std::string());
    }
  });
  column.SetShowGlyph(false);
  column.SetShowSelector(false);
  if (marker) {
    column.SetShowCurrent(true);
    column.SetCurrentHTML(CurrentMarker(aRow));
  }
  CaptionRenderer(grid_, out_).AppendBuild(column, cell.GetValue(), false, true);
}

}  // namespace zyl::render

namespace zyl {

std::string TZylField::GetHTML() {
  std::string html;
  const TPoint at = grid_->Matrix().IndexOf(this);
  if (at.X < 0) return html;  // a cell outside the grid's matrix has no place to render
  render::HtmlWriter out(html);
  render::CellRenderer(*grid_, out).AppendHTML(*this, at.X, at.Y);
  return html;
}

std::string TZylField::Build(int aRow, int aCol) {
  std::string html;
  html.reserve(256);
  render::HtmlWriter out(html);
  render::CellRenderer(*grid_, out).AppendBuild(*this, aRow, aCol);
  return html;
}

}  // namespace zyl
