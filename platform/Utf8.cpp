#include "platform/Utf8.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <array>
#include <cstdint>

#include "platform/Text.h"

namespace zyl {

namespace {

// Code points of the cp1252 bytes 0x80-0x9F; 0 marks an unassigned byte.
// The bytes 0x00-0x7F are ASCII and 0xA0-0xFF equal U+00A0-U+00FF.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

}  // namespace

Utf8Char DecodeUtf8(std::string_view text, std::size_t pos) {
  constexpr Utf8Char kMalformed{kReplacementCharacter, 0};
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t cp = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0Fu;
    if (lead == 0xE0) lo = 0xA0;  // overlong
    if (lead == 0xED) hi = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07u;
    if (lead == 0xF0) lo = 0x90;  // overlong
    if (lead == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    return kMalformed;
  }
  if (text.size() - pos < length) return kMalformed;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[pos + k]);
    if (next < (k == 1 ? lo : 0x80) || next > (k == 1 ? hi : 0xBF)) return kMalformed;
    cp = (cp << 6) | (next & 0x3Fu);
  }
  return {cp, length};
}

std::string WithValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char c = DecodeUtf8(text, pos);
    if (c.length == 0) {
      out += '?';
      ++pos;
    } else {
      out.append(text.substr(pos, c.length));
      pos += c.length;
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = DecodeUtf8(text, i).length;
    if (n == 0) return false;
    i += n;
  }
  return true;
}

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

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Char c = DecodeUtf8(utf8, i);
    if (c.length == 0) return std::nullopt;
    if (c.codePoint >= 0x10000) {
      const char32_t v = c.codePoint - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(c.codePoint);
    }
    i += c.length;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::optional<unsigned char> CodePointToCp1252(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<unsigned char>(codePoint);
  }
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] != 0 && kCp1252High[i] == codePoint) {
      return static_cast<unsigned char>(0x80 + i);
    }
  }
  return std::nullopt;
}

std::string Utf8ToCp1252(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  // Every byte outside a well-formed sequence becomes one U+FFFD (one '?').
  icu::UnicodeString decoded;
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Char c = DecodeUtf8(utf8, i);
    decoded.append(static_cast<UChar32>(c.codePoint));
    i += c.length == 0 ? 1 : c.length;
  }
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  icu::UnicodeString composed;
  if (U_SUCCESS(status)) composed = nfc->normalize(decoded, status);
  if (U_FAILURE(status)) composed = decoded;

  std::string out;
  out.reserve(static_cast<std::size_t>(composed.length()));
  for (std::int32_t i = 0; i < composed.length(); i = composed.moveIndex32(i, 1)) {
    const auto cp = static_cast<char32_t>(composed.char32At(i));
    out += static_cast<char>(CodePointToCp1252(cp).value_or('?'));
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (const char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    char32_t cp = byte;
    if (byte >= 0x80 && byte < 0xA0) {
      cp = kCp1252High[byte - 0x80];
      if (cp == 0) cp = kReplacementCharacter;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace zyl
