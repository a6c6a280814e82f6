#include "export/xls/XlsText.h"

#include <algorithm>
#include <cassert>

namespace zyl::exporting::xls {
namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    if (b0 < 0x80) {
      out += static_cast<char16_t>(b0);
      ++i;
      continue;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
      len = 2, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      len = 3, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      len = 4, cp = b0 & 0x07, minimum = 0x10000;
    } else {
      return std::nullopt;  // a continuation byte or 0xF8..0xFF in lead position
    }
    if (utf8.size() - i < len) return std::nullopt;
    for (std::size_t k = 1; k < len; ++k) {
      const auto b = static_cast<unsigned char>(utf8[i + k]);
      if (!IsContinuation(b)) return std::nullopt;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size()) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

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
