#include "export/xls/XlsText.h"

#include <algorithm>
#include <cassert>

namespace zyl::exporting::xls {

bool IsCompressible(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t u) { return u < 0x100; });
}

std::u16string_view ClipUtf16(std::u16string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t n = limit;
  if (n > 0 && IsHighSurrogate(text[n - 1])) --n;
  return text.substr(0, n);
}

void NormaliseLineBreaks(std::u16string& text) {
  if (text.find(u'\r') == std::u16string::npos) return;
  std::size_t w = 0;
  for (std::size_t r = 0; r < text.size(); ++r) {
    if (text[r] == u'\r') {
      text[w++] = u'\n';
      if (r + 1 < text.size() && text[r + 1] == u'\n') ++r;
    } else {
      text[w++] = text[r];
    }
  }
  text.resize(w);
}

void AppendCharacters(ByteWriter& out, std::u16string_view text, bool compressed) {
  if (compressed) {
    for (char16_t u : text) out.U8(static_cast<std::uint8_t>(u));
  } else {
    for (char16_t u : text) out.U16(u);
  }
}

void AppendShortString(ByteWriter& out, std::u16string_view text) {
  assert(text.size() <= 0xFF);
  const bool compressed = IsCompressible(text);
  out.U8(static_cast<std::uint8_t>(text.size()));
  out.U8(compressed ? 0 : 1);
  AppendCharacters(out, text, compressed);
}

void AppendString(ByteWriter& out, std::u16string_view text) {
  assert(text.size() <= 0xFFFF);
  const bool compressed = IsCompressible(text);
  out.U16(static_cast<std::uint16_t>(text.size()));
  out.U8(compressed ? 0 : 1);
  AppendCharacters(out, text, compressed);
}

}  // namespace zyl::exporting::xls
