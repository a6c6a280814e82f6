// The HTML writer: literals go out as they are, data text escaped.
#include "render/HtmlWriter.h"

#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"

namespace zyl::render {
namespace {

TEST(HtmlWriter, LiteralsNumbersAndColoursAreWrittenAsTheyAre) {
  std::string out;
  HtmlWriter(out).Literal("<TD a=\"'&'\">").Number(-42).Hex6(0xFF0000).Hex6(0x0A0B0C);
  EXPECT_EQ(out, "<TD a=\"'&'\">-42FF00000A0B0C");
}

// The contexts choose what CR LF becomes; the escaping itself is tested
// with AppendEscapedHtml (tests/platform/TextTest.cpp).
TEST(HtmlWriter, LineContextsMatchTheGridsLineProcessingOfEscapedText) {
  auto value = [](const std::string& text, HtmlContext context) {
    std::string out;
    HtmlWriter(out).Value(text, context);
    return out;
  };
  for (std::string text : {"", "\r\n", "\r\r\n\n", "x\r\n\r\ny", "\r", "tail\r", "<a>\r\n'b'"}) {
    EXPECT_EQ(value(text, HtmlContext::Text), EscapeHtml(text));
    EXPECT_EQ(value(text, HtmlContext::Attribute), EscapeHtml(text));
    for (bool wrap : {false, true}) {
      EXPECT_EQ(value(text, wrap ? HtmlContext::WrappedLine : HtmlContext::Line),
                TZylHTMLGrid::ProcessLine(EscapeHtml(text), wrap))
          << "text of " << text.size() << " bytes, wrap " << wrap;
    }
  }
}

TEST(HtmlWriter, TakeFromCutsTheBufferBack) {
  std::string out = "<TR>";
  HtmlWriter writer(out);
  std::size_t mark = writer.Size();
  writer.Literal("<TD></TD>");
  EXPECT_EQ(writer.TakeFrom(mark), "<TD></TD>");
  EXPECT_EQ(out, "<TR>");
}

}  // namespace
}  // namespace zyl::render
