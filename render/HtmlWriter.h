// HtmlWriter: appends HTML to one buffer owned by the caller. It has two
// verbs: Literal() writes markup the library builds, as it is; Value()
// writes text that comes from data, escaped for the place it lands in. So
// whether a piece of output is escaped is decided by the verb that wrote it.
//
// What is escaped (the rule every renderer follows): text from data is
// written through Value(): cell values wherever they appear (cell text,
// VALUE attributes, TEXTAREA content), pick-list and value-list entries
// (option text and VALUE), column captions, and the cell values that fixed
// cells show as their caption. Value() escapes through the library's one
// escaper (AppendEscapedHtml, platform/Text.h): & < > " ' become &amp;
// &lt; &gt; &quot; &#39;. Everything the host sets as HTML on purpose is
// written through Literal(): the HTML overrides of cells, rows, columns and glyphs,
// CSS texts and class names, CurrentHTML (built by the library) and the
// texts the host configures (Header, the Alt* and Text* properties,
// ImagesURL, image names). Escaping happens at output only: stored values,
// sorting, summary rows and exports see the original text.
//
// Internal to the library (not part of the public interface).
#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace zyl::render {

// Where an escaped value lands.
enum class HtmlContext {
  Attribute,    // inside a double-quoted attribute value
  Text,         // element content; CR and LF stay as they are
  Line,         // shown cell or caption text: CR LF becomes one blank
  WrappedLine,  // shown cell or caption text: CR LF becomes "<BR>"
};

// The verbs for library-built numbers, written through the writer's own
// Literal(): HtmlWriter's and HtmlPiece's.
template <typename Writer>
class NumberVerbs {
 public:
  // Appends a decimal number.
  Writer& Number(long long value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    return Self().Literal(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
  }
  // Appends the low 24 bits of `rgb` as six upper-case hexadecimal digits.
  Writer& Hex6(std::uint32_t rgb) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char text[6] = {kDigits[(rgb >> 20) & 0xFu], kDigits[(rgb >> 16) & 0xFu],
                          kDigits[(rgb >> 12) & 0xFu], kDigits[(rgb >> 8) & 0xFu],
                          kDigits[(rgb >> 4) & 0xFu],  kDigits[rgb & 0xFu]};
    return Self().Literal(std::string_view(text, sizeof text));
  }

 private:
  Writer& Self() { return static_cast<Writer&>(*this); }
};

class HtmlWriter : public NumberVerbs<HtmlWriter> {
 public:
  // Appends to `buffer` (not owned; it must outlive the writer).
  explicit HtmlWriter(std::string& buffer) : out_(buffer) {}

  // Makes room for `bytes` more bytes, so that a page or row is built
  // without reallocations. Growth stays geometric when called repeatedly.
  void Reserve(std::size_t bytes) {
    if (out_.capacity() - out_.size() >= bytes) return;
    out_.reserve(std::max(out_.size() + bytes, 2 * out_.capacity()));
  }

  // Appends library-built markup or host-configured HTML unchanged.
  HtmlWriter& Literal(std::string_view text) {
    out_.append(text);
    return *this;
  }

  // Appends text that comes from data, escaped for `context`.
  HtmlWriter& Value(std::string_view text, HtmlContext context);

  // Current length of the buffer, and the text written since `mark` taken
  // out of it (the buffer is cut back to `mark`).
  std::size_t Size() const { return out_.size(); }
  std::string TakeFrom(std::size_t mark);

 private:
  std::string& out_;
};

// A short piece of library-built markup put together on the stack, with
// HtmlWriter's verbs for literals, then appended to a page in one go: a
// cell's opening tag is a dozen small pieces. A piece that would not fit
// marks the whole as not fitting (Fits()), and the caller writes it the
// ordinary way.
template <std::size_t Capacity>
class HtmlPiece : public NumberVerbs<HtmlPiece<Capacity>> {
 public:
  HtmlPiece& Literal(std::string_view text) {
    if (text.size() > Capacity - size_) {
      fits_ = false;
    } else if (fits_) {
      std::memcpy(text_ + size_, text.data(), text.size());
      size_ += text.size();
    }
    return *this;
  }
  bool Fits() const { return fits_; }
  std::string_view Text() const { return std::string_view(text_, size_); }

 private:
  char text_[Capacity];
  std::size_t size_ = 0;
  bool fits_ = true;
};

}  // namespace zyl::render
