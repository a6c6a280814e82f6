// CaptionRenderer: column captions drawn as raised buttons (a small table
// whose two-pixel outer cells form a bevel derived from the caption colour)
// holding the column-selector checkbox, the current-record marker cell, the
// caption text and the pair of sort buttons; also the sort buttons alone.
// Fixed cells of the body are drawn by the same caption Build.
//
// Escaping: the caption text is data (a column caption, or a fixed cell's
// Value) and is escaped at output (& < > " '), then line-processed. The
// column's and glyph's HTML overrides, CurrentHTML, class names, image
// names, ImagesURL and the Alt* texts are written as they are (see
// render/HtmlWriter.h).
//
// Internal to the library: TZylColumn::GetHTML/Build and
// TZylGlyph::GetHTML/Build use it.
#pragma once

#include <cstdint>
#include <string_view>

#include "grid/ZylHTMLGrid.h"
#include "render/HtmlWriter.h"

namespace zyl::render {

class CaptionRenderer {
 public:
  // Neither the grid nor the writer is owned; both outlive the renderer.
  CaptionRenderer(TZylHTMLGrid& grid, HtmlWriter& out) : grid_(grid), out_(out) {}

  // The column's caption element: its override or the built caption (flat
  // when the grid has no fixed rows and the column is not a fixed one),
  // then OnGetCaptionCellHTML.
  void AppendHTML(TZylColumn& column);
  // The caption with text `caption`; `flat` draws every bevel cell in the
  // column's colour, `cellMode` leaves out the hidden column-selector field.
  void AppendBuild(const TZylColumn& column, std::string_view caption, bool flat, bool cellMode);

  // The sort buttons: the glyph's override, else AppendGlyphBuild.
  void AppendGlyphHTML(const TZylGlyph& glyph);
  void AppendGlyphBuild(const TZylGlyph& glyph);

 private:
  struct Frame;
  static void Cell(HtmlWriter& out, std::string_view attributes, std::uint32_t shade);
  void Dot(HtmlWriter& out) const;
  // The parts of a caption, in order; AppendTop, AppendFaceOpen and
  // AppendBottom write to `out`, so that a fixed cell's bevel can be kept.
  void AppendTop(HtmlWriter& out, const TZylColumn& column, const Frame& f) const;
  void AppendSelector(const TZylColumn& column, std::string_view caption, const Frame& f);
  void AppendMarker(const TZylColumn& column, const Frame& f);
  static void AppendFaceOpen(HtmlWriter& out, const Frame& f);
  void AppendBottom(HtmlWriter& out, const Frame& f) const;
  void AppendEdge(HtmlWriter& out, const Frame& f, std::uint32_t left, std::uint32_t inner,
                  std::uint32_t right, std::string_view rightAttributes) const;

  TZylHTMLGrid& grid_;
  HtmlWriter& out_;
};

}  // namespace zyl::render
