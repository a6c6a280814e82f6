// Windows code page 1252 ("Windows ANSI", Western European), the character
// set of the dBase and Paradox tables the export writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zyl::exporting {

// The cp1252 byte of one Unicode code point, or nothing when cp1252 has no
// such character (the five unassigned bytes 0x81 0x8D 0x8F 0x90 0x9D stand
// for no character either).
std::optional<unsigned char> CodePointToCp1252(char32_t codePoint);

// UTF-8 text as cp1252 bytes, one byte per code point. The text is composed
// first (NFC: "e" + combining acute becomes "é"); every character cp1252
// lacks, and every invalid UTF-8 sequence, becomes '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// cp1252 bytes as UTF-8 text; an unassigned byte becomes U+FFFD.
std::string Cp1252ToUtf8(std::string_view cp1252);

}  // namespace zyl::exporting
