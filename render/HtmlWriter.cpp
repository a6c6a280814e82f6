// Escaping of data text, and the grid's line processing of shown text.
#include "render/HtmlWriter.h"

#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl::render {

HtmlWriter& HtmlWriter::Value(std::string_view text, HtmlContext context) {
  const bool lines = context == HtmlContext::Line || context == HtmlContext::WrappedLine;
  const std::string_view lineBreak = context == HtmlContext::WrappedLine ? "<BR>" : " ";
  std::size_t start = 0;  // first byte not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view replacement;
    std::size_t length = 1;
    switch (text[i]) {
      case '&': replacement = "&amp;"; break;
      case '<': replacement = "&lt;"; break;
      case '>': replacement = "&gt;"; break;
      case '"': replacement = "&quot;"; break;
      case '\'': replacement = "&#39;"; break;
      case '\r':
        if (lines && i + 1 < text.size() && text[i + 1] == '\n') {
          replacement = lineBreak;
          length = 2;
        }
        break;
      default: break;
    }
    if (replacement.empty()) continue;
    out_.append(text.substr(start, i - start));
    out_.append(replacement);
    i += length - 1;
    start = i + 1;
  }
  out_.append(text.substr(start));
  return *this;
}

std::string HtmlWriter::TakeFrom(std::size_t mark) {
  std::string tail = out_.substr(mark);
  out_.resize(mark);
  return tail;
}

std::string EscapeHtml(std::string_view text, HtmlContext context) {
  std::string out;
  out.reserve(text.size() + 16);
  HtmlWriter(out).Value(text, context);
  return out;
}

}  // namespace zyl::render

namespace zyl {

std::string TZylHTMLGrid::ProcessLine(const std::string& text, bool wordWrap) {
  return StringReplace(text, "\r\n", wordWrap ? "<BR>" : " ", {TReplaceFlag::rfReplaceAll});
}

}  // namespace zyl
