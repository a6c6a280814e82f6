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

TEST(HtmlWriter, ValuesEscapeTheFiveMarkupCharacters) {
  EXPECT_EQ(EscapeHtml("a&b<c>d\"e'f", HtmlContext::Attribute), "a&amp;b&lt;c&gt;d&quot;e&#39;f");
  EXPECT_EQ(EscapeHtml("&amp;"), "&amp;amp;");  // escaped once more: the value is text
  EXPECT_EQ(EscapeHtml("Größe ½"), "Größe ½");   // bytes above ASCII pass
  EXPECT_EQ(EscapeHtml(""), "");
}

TEST(HtmlWriter, LineContextsTurnCrLfIntoBreaksAfterEscaping) {
  EXPECT_EQ(EscapeHtml("a<b\r\nc", HtmlContext::WrappedLine), "a&lt;b<BR>c");
  EXPECT_EQ(EscapeHtml("a<b\r\nc", HtmlContext::Line), "a&lt;b c");
  EXPECT_EQ(EscapeHtml("a\r\nc", HtmlContext::Text), "a\r\nc");
  EXPECT_EQ(EscapeHtml("a\rb\nc\n\r", HtmlContext::WrappedLine), "a\rb\nc\n\r");
}

TEST(HtmlWriter, LineContextsMatchTheGridsLineProcessingOfEscapedText) {
  for (std::string text : {"", "\r\n", "\r\r\n\n", "x\r\n\r\ny", "\r", "tail\r", "<a>\r\n'b'"}) {
    for (bool wrap : {false, true}) {
      EXPECT_EQ(EscapeHtml(text, wrap ? HtmlContext::WrappedLine : HtmlContext::Line),
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
