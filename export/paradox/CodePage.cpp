#include "export/paradox/CodePage.h"

#include <array>
#include <cstdint>

namespace zyl::exporting::paradox {

namespace {

// Code points of bytes 0x80..0x9F; 0 where the code page leaves the byte unused.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88..8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98..9F
};

// Decodes one UTF-8 sequence at text[pos]; returns the code point and sets
// `length`. A malformed sequence (bad lead or continuation byte, overlong
// form, surrogate, beyond U+10FFFF, cut short) yields U+FFFD with length 1.
char32_t DecodeOne(std::string_view text, std::size_t pos, std::size_t& length) {
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  length = 1;
  if (lead < 0x80) return lead;
  std::size_t count = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1, cp = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2, cp = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3, cp = lead & 0x07u, minimum = 0x10000;
  } else {
    return U'\uFFFD';
  }
  if (pos + count >= text.size()) return U'\uFFFD';
  for (std::size_t i = 1; i <= count; ++i) {
    const auto next = static_cast<std::uint8_t>(text[pos + i]);
    if ((next & 0xC0u) != 0x80u) return U'\uFFFD';
    cp = (cp << 6) | (next & 0x3Fu);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return U'\uFFFD';
  length = count + 1;
  return cp;
}

}  // namespace

char Cp1252FromCodePoint(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<char>(static_cast<std::uint8_t>(codePoint));
  }
  if (codePoint > 0xFFFF) return '?';
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == codePoint) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

std::string Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t length = 1;
    out.push_back(Cp1252FromCodePoint(DecodeOne(utf8, pos, length)));
    pos += length;
  }
  return out;
}

}  // namespace zyl::exporting::paradox
