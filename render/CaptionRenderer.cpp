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

#include <algorithm>
#include <array>
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

// What the bevel of one caption is drawn with.
struct CaptionRenderer::Frame {
  Shades x;
  std::string className;
  bool selector, current, glyph, header, cellMode;
};

namespace {

// The parts of a bevel that do not depend on the caption, its marker or
// its sort buttons: everything before the marker cell, the caption cell's
// opening and everything after the caption text (without sort buttons).
// Fixed cells of the body draw the same bevel on every row; the last few
// are kept per thread, keyed by every input of the parts.
struct FrameKey {
  std::uint32_t light, top, face, corner, shadow;
  bool header, current;
  std::string images, className;
  bool operator==(const FrameKey&) const = default;
};
struct FrameParts {
  FrameKey key;
  std::string top, face, tail;
  bool filled = false;
};
struct RecentFrames {
  std::array<FrameParts, 4> slots;
  std::size_t next = 0;
};
RecentFrames& Frames() {
  thread_local RecentFrames frames;
  return frames;
}

}  // namespace

void CaptionRenderer::AppendBuild(const TZylColumn& column, std::string_view caption, bool flat,
                                  bool cellMode) {
  Frame f{ShadesOf(column, flat),
          std::string(),
          column.GetShowSelector(),
          column.GetShowCurrent(),
          column.GetShowGlyph(),
          grid_.GetAccessibleMarkup(),
          cellMode};
  grid_.ComposeClass(column.CaptionFont(), column.GetCaptionFontStyle(), column.GetWordWrap(),
                     column.GetCaptionHAlign(), column.GetAlignmentChar(), grid_.GetTextIndent(),
                     f.className);
  const HtmlContext context = column.GetWordWrap() ? HtmlContext::WrappedLine : HtmlContext::Line;
  if (!cellMode || f.selector || f.glyph) {
    AppendTop(out_, column, f);
    AppendSelector(column, caption, f);
    AppendMarker(column, f);
    AppendFaceOpen(out_, f);
    out_.Value(caption, context);
    out_.Literal("&nbsp;&nbsp;</TD>").Literal(kNL);
    if (f.glyph) {
      Cell(out_, " WIDTH=\"34\"", f.x.face);
      out_.Literal("\">");
      // Without rows there is nothing to sort: the cell stays, empty.
      if (column.Glyph() != nullptr && grid_.GetRowCount() > 0) AppendGlyphHTML(*column.Glyph());
      out_.Literal("</TD>").Literal(kNL);
    }
    AppendBottom(out_, f);
    return;
  }
  // A fixed cell of the body: the kept parts around its marker and text.
  FrameKey key{f.x.light,  f.x.top,  f.x.face,  f.x.corner,
               f.x.shadow, f.header, f.current, grid_.GetImagesURL(),
               f.className};
  RecentFrames& frames = Frames();
  auto parts = std::find_if(frames.slots.begin(), frames.slots.end(),
                            [&](const FrameParts& p) { return p.filled && p.key == key; });
  if (parts == frames.slots.end()) {
    parts = frames.slots.begin() + static_cast<std::ptrdiff_t>(frames.next);
    frames.next = (frames.next + 1) % frames.slots.size();
    parts->top.clear(), parts->face.clear(), parts->tail.clear();
    HtmlWriter top(parts->top), face(parts->face), tail(parts->tail);
    AppendTop(top, column, f);
    AppendFaceOpen(face, f);
    tail.Literal("&nbsp;&nbsp;</TD>").Literal(kNL);
    AppendBottom(tail, f);
    parts->key = std::move(key);
    parts->filled = true;
  }
  out_.Literal(parts->top);
  AppendMarker(column, f);
  out_.Literal(parts->face);
  out_.Value(caption, context);
  out_.Literal(parts->tail);
}

// "       <TD" + attributes + " BGCOLOR=\"#" + shade (the caller closes it).
void CaptionRenderer::Cell(HtmlWriter& out, std::string_view attributes, std::uint32_t shade) {
  out.Literal("       <TD").Literal(attributes).Literal(" BGCOLOR=\"#").Hex6(shade);
}

void CaptionRenderer::Dot(HtmlWriter& out) const {
  out.Literal("<IMG SRC=\"").Literal(grid_.GetImagesURL());
  out.Literal("Gt.gif\" WIDTH=\"2\" HEIGHT=\"2\"").Literal(DecorativeAlt(grid_)).Literal(">");
}

// The caption's opening, its top edge and the left edge of its middle row.
void CaptionRenderer::AppendTop(HtmlWriter& out, const TZylColumn& column, const Frame& f) const {
  if (f.header) {
    // A caption heads its column, a fixed cell of the body its row.
    out.Literal(f.cellMode ? "<TH scope=\"row\"" : "<TH scope=\"col\"");
    if (!f.cellMode && column.GetSortOrder() != TSortOrder::soNone) {
      out.Literal(" aria-sort=\"");
      out.Literal(column.GetSortOrder() == TSortOrder::soAscending ? "ascending" : "descending");
      out.Literal("\"");
    }
    out.Literal(" HEIGHT=\"100%\">").Literal(kNL);
  } else {
    out.Literal("<TD HEIGHT=\"100%\">").Literal(kNL);
  }
  out.Literal("  <TABLE WIDTH=\"100%\" HEIGHT=\"100%\" BORDER=\"0\" CELLSPACING=\"0\"");
  out.Literal(" CELLPADDING=\"0\"").Literal(LayoutRole(grid_)).Literal(">").Literal(kNL);

  AppendEdge(out, f, f.x.light, f.x.top, f.x.corner, " WIDTH=\"2\"  HEIGHT=\"2\"");

  // Middle: left edge, selector, marker, caption text, sort buttons, right edge.
  out.Literal("     <TR>").Literal(kNL);
  Cell(out, " WIDTH=\"2\"", f.x.light);
  out.Literal("\"></TD>").Literal(kNL);
}

void CaptionRenderer::AppendSelector(const TZylColumn& column, std::string_view caption,
                                     const Frame& f) {
  if (f.selector) {
    Cell(out_, " WIDTH=\"16\"", f.x.face);
    out_.Literal("\" CLASS=\"").Literal(f.className);
    out_.Literal("\"><INPUT TYPE=\"CHECKBOX\" NAME=\"").Literal(form::kSelected);
    out_.Literal("\" VALUE=").Number(column.GetColNo());
    out_.Literal(AriaLabel(grid_, caption)).Literal(" CHECKED></TD>").Literal(kNL);
  } else if (grid_.GetSelectable() && !f.cellMode) {
    // Keeps the column in the selection while the selectors are hidden.
    out_.Literal("       <INPUT TYPE=\"HIDDEN\" NAME=\"").Literal(form::kSelected);
    out_.Literal("\" VALUE=").Number(column.GetColNo());
    out_.Literal(">").Literal(kNL);
  }
}

void CaptionRenderer::AppendMarker(const TZylColumn& column, const Frame& f) {
  if (!f.current) return;
  Cell(out_, " WIDTH=\"16\"", f.x.face);
  out_.Literal("\" CLASS=\"").Literal(f.className).Literal("\">");
  out_.Literal(column.GetCurrentHTML()).Literal("</TD>").Literal(kNL);
}

void CaptionRenderer::AppendFaceOpen(HtmlWriter& out, const Frame& f) {
  Cell(out, "", f.x.face);
  out.Literal("\" CLASS=\"").Literal(f.className).Literal("\">&nbsp;");
}

// The top or bottom edge: a corner with a dot, a two-pixel cell above or
// below each cell of the middle row, and the other corner with a dot.
void CaptionRenderer::AppendEdge(HtmlWriter& out, const Frame& f, std::uint32_t left,
                                 std::uint32_t inner, std::uint32_t right,
                                 std::string_view rightAttributes) const {
  out.Literal("     <TR>").Literal(kNL);
  Cell(out, " WIDTH=\"2\" HEIGHT=\"2\"", left);
  out.Literal("\">");
  Dot(out);
  out.Literal("</TD>").Literal(kNL);
  const int cells = 1 + (f.selector ? 1 : 0) + (f.current ? 1 : 0);
  for (int i = 0; i < cells; ++i) {
    Cell(out, " HEIGHT=\"2\"", inner);
    out.Literal("\"></TD>").Literal(kNL);
  }
  if (f.glyph) {
    Cell(out, " WIDTH=\"32\" HEIGHT=\"2\"", inner);
    out.Literal("\"></TD>").Literal(kNL);
  }
  Cell(out, rightAttributes, right);
  out.Literal("\">");
  Dot(out);
  out.Literal("</TD>").Literal(kNL);
  out.Literal("     </TR>").Literal(kNL);
}

// The right edge of the middle row, the bottom edge and the closing.
void CaptionRenderer::AppendBottom(HtmlWriter& out, const Frame& f) const {
  Cell(out, " WIDTH=\"2\"", f.x.shadow);
  out.Literal("\"></TD>").Literal(kNL);
  out.Literal("     </TR>").Literal(kNL);

  AppendEdge(out, f, f.x.corner, f.x.shadow, f.x.shadow, " WIDTH=\"2\" HEIGHT=\"2\"");
  out.Literal("  </TABLE>").Literal(kNL);
  out.Literal(f.header ? "</TH>" : "</TD>");
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
