// Escaping of data text, and the grid's line processing of shown text.
#include "render/HtmlWriter.h"

#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl::render {

HtmlWriter& HtmlWriter::Value(std::string_view text, HtmlContext context) {
  std::string_view crlf;
  if (context == HtmlContext::Line) crlf = " ";
  if (context == HtmlContext::WrappedLine) crlf = "<BR>";
  AppendEscapedHtml(out_, text, crlf);
  return *this;
}

std::string HtmlWriter::TakeFrom(std::size_t mark) {
  std::string tail = out_.substr(mark);
  out_.resize(mark);
  return tail;
}

}  // namespace zyl::render

namespace zyl {

std::string TZylHTMLGrid::ProcessLine(const std::string& text, bool wordWrap) {
  return StringReplace(text, "\r\n", wordWrap ? "<BR>" : " ", {TReplaceFlag::rfReplaceAll});
}

}  // namespace zyl
