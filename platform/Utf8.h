// UTF-8 decoding and encoding, UTF-16, and Windows code page 1252
// ("Windows ANSI", Western European), the character set of the dBase and
// Paradox tables the export writes. Well-formed UTF-8 excludes overlong
// forms, surrogates (U+D800-U+DFFF), values beyond U+10FFFF and sequences
// cut short.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zyl {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character decoded from UTF-8: its code point and how many bytes it
// takes. `length` 0 marks a byte that does not start a well-formed
// sequence; its code point is then U+FFFD and the caller steps one byte.
struct Utf8Char {
  char32_t codePoint;
  std::size_t length;
};

// Decodes the character at text[pos]. REQUIRES pos < text.size().
Utf8Char DecodeUtf8(std::string_view text, std::size_t pos);
bool IsValidUtf8(std::string_view text);
// `text` with '?' for every byte that is not part of a well-formed sequence.
std::string WithValidUtf8(std::string_view text);
// Appends the UTF-8 form of `codePoint` (REQUIRES codePoint <= U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

// UTF-8 as UTF-16 code units (characters beyond the BMP as surrogate
// pairs); nothing when `utf8` is not well-formed.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);
// UTF-16 (REQUIRES well-formed) as UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

// The cp1252 byte of a code point; nothing when cp1252 has no such
// character (the bytes 0x81 0x8D 0x8F 0x90 0x9D stand for none either).
std::optional<unsigned char> CodePointToCp1252(char32_t codePoint);
// UTF-8 text as cp1252, one byte per character. The text is composed first
// (NFC: "e" + combining acute becomes one "é"); every character cp1252
// lacks becomes '?', and so does every byte that is not part of a
// well-formed sequence. NUL stays NUL.
std::string Utf8ToCp1252(std::string_view utf8);
// cp1252 bytes as UTF-8; an unassigned byte becomes U+FFFD.
std::string Cp1252ToUtf8(std::string_view cp1252);

}  // namespace zyl
