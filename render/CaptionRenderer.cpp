// Caption rendering: TZylColumn::GetHTML and Build, TZylGlyph::GetHTML and
// Build, and the renderer behind them.
//
// A caption is a 3 x n table: the outer cells form the bevel, the middle
// row holds (left to right) the selector checkbox, the marker cell, the
// caption text and the sort buttons. The light edges are the caption colour
// +47 (top-left corner, left edge) and +32 (top edge); the dark ones -32
// (top-right and bottom-left corners) and -80 (right and bottom edges,
// bottom-right corner); the inner cells carry the caption colour itself. A
// flat caption paints every one of them in the column's colour.
#include "render/CaptionRenderer.h"

#include <string>

#include "render/Accessible.h"
#include "request/FormProtocol.h"

namespace zyl::render {

namespace {

// The five shades of one caption as 0xRRGGBB values.
struct Shades {
  std::uint32_t light;   // +47
  std::uint32_t top;     // +32
  std::uint32_t face;    // the caption colour
  std::uint32_t corner;  // -32
  std::uint32_t shadow;  // -80
};

Shades ShadesOf(const TZylColumn& column, bool flat) {
  if (flat) {
    std::uint32_t rgb = TZylHTMLGrid::ColorToRGB(column.GetColor());
    return Shades{rgb, rgb, rgb, rgb, rgb};
  }
  auto shade = [&](int delta) {
    return TZylHTMLGrid::ColorToRGB(TZylHTMLGrid::AddBrigthness(column.GetCaptionColor(), delta));
  };
  return Shades{shade(47), shade(32), shade(0), shade(-32), shade(-80)};
}

const char* AlignWord(VAlignment align) {
  switch (align) {
    case VAlignment::alTop:
      return "TOP";
    case VAlignment::alMiddle:
      return "MIDDLE";
    case VAlignment::alBottom:
      return "BOTTOM";
    case VAlignment::alBaseline:
      return "";
  }
  return "";
}

constexpr std::string_view kNL = "\r\n";

}  // namespace

void CaptionRenderer::AppendHTML(TZylColumn& column) {
  const std::size_t mark = out_.Size();
  if (!column.GetHTMLOverride().empty()) {
    out_.Literal(column.GetHTMLOverride());
  } else {
    const bool flat = grid_.GetFixedRows() <= 0 && grid_.GetFixedCols() <= column.GetColNo();
    AppendBuild(column, column.GetCaption(), flat, false);
  }
  if (grid_.OnGetCaptionCellHTML) {
    std::string html = out_.TakeFrom(mark);
    grid_.OnGetCaptionCellHTML(&column, &grid_, column.GetColNo(), html);
    out_.Literal(html);
  }
}

void CaptionRenderer::AppendBuild(const TZylColumn& column, std::string_view caption, bool flat,
                                  bool cellMode) {
  const Shades x = ShadesOf(column, flat);
  const std::string& images = grid_.GetImagesURL();
  auto dot = [&] {
    out_.Literal("<IMG SRC=\"").Literal(images).Literal("Gt.gif\" WIDTH=\"2\" HEIGHT=\"2\"");
    out_.Literal(DecorativeAlt(grid_)).Literal(">");
  };
  // "       <TD" + attributes + " BGCOLOR=\"#" + shade + "\">"
  auto cell = [&](std::string_view attributes, std::uint32_t shade) {
    out_.Literal("       <TD").Literal(attributes).Literal(" BGCOLOR=\"#").Hex6(shade);
  };
  std::string className;
  grid_.ComposeClass(column.CaptionFont(), column.GetCaptionFontStyle(), column.GetWordWrap(),
                     column.GetCaptionHAlign(), column.GetAlignmentChar(), grid_.GetTextIndent(),
                     className);
  const bool selector = column.GetShowSelector();
  const bool current = column.GetShowCurrent();
  const bool glyph = column.GetShowGlyph();

  const bool header = grid_.GetAccessibleMarkup();
  if (header) {
    // A caption heads its column, a fixed cell of the body its row.
    out_.Literal(cellMode ? "<TH scope=\"row\"" : "<TH scope=\"col\"");
    if (!cellMode && column.GetSortOrder() != TSortOrder::soNone) {
      out_.Literal(" aria-sort=\"");
      out_.Literal(column.GetSortOrder() == TSortOrder::soAscending ? "ascending" : "descending");
      out_.Literal("\"");
    }
    out_.Literal(" HEIGHT=\"100%\">").Literal(kNL);
  } else {
    out_.Literal("<TD HEIGHT=\"100%\">").Literal(kNL);
  }
  out_.Literal("  <TABLE WIDTH=\"100%\" HEIGHT=\"100%\" BORDER=\"0\" CELLSPACING=\"0\"");
  out_.Literal(" CELLPADDING=\"0\"").Literal(LayoutRole(grid_)).Literal(">").Literal(kNL);

  // Top edge.
  out_.Literal("     <TR>").Literal(kNL);
  cell(" WIDTH=\"2\" HEIGHT=\"2\"", x.light);
  out_.Literal("\">");
  dot();
  out_.Literal("</TD>").Literal(kNL);
  const int topCells = 1 + (selector ? 1 : 0) + (current ? 1 : 0);
  for (int i = 0; i < topCells; ++i) {
    cell(" HEIGHT=\"2\"", x.top);
    out_.Literal("\"></TD>").Literal(kNL);
  }
  if (glyph) {
    cell(" WIDTH=\"32\" HEIGHT=\"2\"", x.top);
    out_.Literal("\"></TD>").Literal(kNL);
  }
  cell(" WIDTH=\"2\"  HEIGHT=\"2\"", x.corner);
  out_.Literal("\">");
  dot();
  out_.Literal("</TD>").Literal(kNL);
  out_.Literal("     </TR>").Literal(kNL);

  // Middle: left edge, selector, marker, caption text, sort buttons, right edge.
  out_.Literal("     <TR>").Literal(kNL);
  cell(" WIDTH=\"2\"", x.light);
  out_.Literal("\"></TD>").Literal(kNL);
  if (selector) {
    cell(" WIDTH=\"16\"", x.face);
    out_.Literal("\" CLASS=\"").Literal(className);
    out_.Literal("\"><INPUT TYPE=\"CHECKBOX\" NAME=\"").Literal(form::kSelected);
    out_.Literal("\" VALUE=").Number(column.GetColNo());
    out_.Literal(AriaLabel(grid_, caption)).Literal(" CHECKED></TD>").Literal(kNL);
  } else if (grid_.GetSelectable() && !cellMode) {
    // Keeps the column in the selection while the selectors are hidden.
    out_.Literal("       <INPUT TYPE=\"HIDDEN\" NAME=\"").Literal(form::kSelected);
    out_.Literal("\" VALUE=").Number(column.GetColNo());
    out_.Literal(">").Literal(kNL);
  }
  if (current) {
    cell(" WIDTH=\"16\"", x.face);
    out_.Literal("\" CLASS=\"").Literal(className).Literal("\">");
    out_.Literal(column.GetCurrentHTML()).Literal("</TD>").Literal(kNL);
  }
  cell("", x.face);
  out_.Literal("\" CLASS=\"").Literal(className).Literal("\">&nbsp;");
  out_.Value(caption, column.GetWordWrap() ? HtmlContext::WrappedLine : HtmlContext::Line);
  out_.Literal("&nbsp;&nbsp;</TD>").Literal(kNL);
  if (glyph) {
    cell(" WIDTH=\"34\"", x.face);
    out_.Literal("\">");
    // Without rows there is nothing to sort: the cell stays, empty.
    if (column.Glyph() != nullptr && grid_.GetRowCount() > 0) AppendGlyphHTML(*column.Glyph());
    out_.Literal("</TD>").Literal(kNL);
  }
  cell(" WIDTH=\"2\"", x.shadow);
  out_.Literal("\"></TD>").Literal(kNL);
  out_.Literal("     </TR>").Literal(kNL);

  // Bottom edge.
  out_.Literal("     <TR>").Literal(kNL);
  cell(" WIDTH=\"2\" HEIGHT=\"2\"", x.corner);
  out_.Literal("\">");
  dot();
  out_.Literal("</TD>").Literal(kNL);
  for (int i = 0; i < topCells; ++i) {
    cell(" HEIGHT=\"2\"", x.shadow);
    out_.Literal("\"></TD>").Literal(kNL);
  }
  if (glyph) {
    cell(" WIDTH=\"32\" HEIGHT=\"2\"", x.shadow);
    out_.Literal("\"></TD>").Literal(kNL);
  }
  cell(" WIDTH=\"2\" HEIGHT=\"2\"", x.shadow);
  out_.Literal("\">");
  dot();
  out_.Literal("</TD>").Literal(kNL);
  out_.Literal("     </TR>").Literal(kNL);
  out_.Literal("  </TABLE>").Literal(kNL);
  out_.Literal(header ? "</TH>" : "</TD>");
}

void CaptionRenderer::AppendGlyphHTML(const TZylGlyph& glyph) {
  if (!glyph.GetHTMLOverride().empty()) {
    out_.Literal(glyph.GetHTMLOverride());
  } else {
    AppendGlyphBuild(glyph);
  }
}

void CaptionRenderer::AppendGlyphBuild(const TZylGlyph& glyph) {
  const int colNo = glyph.Column() != nullptr ? glyph.Column()->GetColNo() : -1;
  auto button = [&](bool descending, const std::string& url, int border, int width, int height,
                    VAlignment align, const std::string& alt) {
    out_.Literal("<INPUT TYPE=\"IMAGE\" NAME=\"").Literal(form::SortButton(descending, colNo));
    out_.Literal("\" SRC=\"").Literal(grid_.GetImagesURL()).Literal(url);
    out_.Literal("\" BORDER=\"").Number(border).Literal("\" ");
    if (width != -1) out_.Literal("WIDTH=\"").Number(width).Literal("\" ");
    if (height != -1) out_.Literal("HEIGHT=\"").Number(height).Literal("\" ");
    out_.Literal("ALIGN=\"").Literal(AlignWord(align)).Literal("\" ALT=\"");
    if (grid_.GetAccessibleMarkup() && glyph.Column() != nullptr) {
      out_.Literal(SortButtonAlt(alt, glyph.Column()->GetCaption()));
    } else {
      out_.Literal(alt);
    }
    out_.Literal("\">");
  };
  out_.Literal("<TABLE BORDER=\"0\" WIDTH=\"100%\" HEIGHT=\"100%\" CELLSPACING=\"0\"");
  out_.Literal(" CELLPADDING=\"0\"").Literal(LayoutRole(grid_)).Literal("><TR><TD>");
  button(false, glyph.GetURLASC(), glyph.GetBorderASC(), glyph.GetWidthASC(), glyph.GetHeightASC(),
         glyph.GetAlignASC(), grid_.GetAltSortAscending());
  out_.Literal("</TD><TD>");
  button(true, glyph.GetURLDSC(), glyph.GetBorderDSC(), glyph.GetWidthDSC(), glyph.GetHeightDSC(),
         glyph.GetAlignDSC(), grid_.GetAltSortDescending());
  out_.Literal("</TD></TR></TABLE>");
}

}  // namespace zyl::render

namespace zyl {

std::string TZylColumn::GetHTML() {
  std::string html;
  html.reserve(2048);
  render::HtmlWriter out(html);
  render::CaptionRenderer(*grid_, out).AppendHTML(*this);
  return html;
}

std::string TZylColumn::Build(const std::string& caption, bool flat, bool cellMode) {
  std::string html;
  html.reserve(2048);
  render::HtmlWriter out(html);
  render::CaptionRenderer(*grid_, out).AppendBuild(*this, caption, flat, cellMode);
  return html;
}

std::string TZylGlyph::GetHTML() {
  std::string html;
  render::HtmlWriter out(html);
  render::CaptionRenderer(*grid_, out).AppendGlyphHTML(*this);
  return html;
}

std::string TZylGlyph::Build() {
  std::string html;
  render::HtmlWriter out(html);
  render::CaptionRenderer(*grid_, out).AppendGlyphBuild(*this);
  return html;
}

}  // namespace zyl
