#include "render/Accessible.h"

#include "render/HtmlWriter.h"

namespace zyl::render {

std::string AriaLabel(const TZylHTMLGrid& grid, std::string_view label) {
  std::string out;
  if (!grid.GetAccessibleMarkup()) return out;
  HtmlWriter(out).Literal(" aria-label=\"").Value(label, HtmlContext::Attribute).Literal("\"");
  return out;
}

std::string AriaLabelText(const TZylHTMLGrid& grid, std::string_view hostText) {
  std::string out;
  if (!grid.GetAccessibleMarkup()) return out;
  HtmlWriter(out).Literal(" aria-label=\"").Literal(hostText).Literal("\"");
  return out;
}

std::string SortButtonAlt(std::string_view text, std::string_view caption) {
  const std::size_t blank = text.find(' ');
  const std::string_view first = text.substr(0, blank);
  std::string out;
  HtmlWriter writer(out);
  writer.Literal(first).Literal(" ").Value(caption, HtmlContext::Line);
  if (blank != std::string_view::npos) writer.Literal(text.substr(blank));
  return out;
}

}  // namespace zyl::render
