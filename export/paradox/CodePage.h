// Text conversion from UTF-8 to Windows code page 1252 (Western European),
// the code page the Paradox writer declares for its tables.
#pragma once

#include <string>
#include <string_view>

namespace zyl::exporting::paradox {

// Converts UTF-8 text to code page 1252, one byte per character. Characters
// the code page lacks (and the C1 controls U+0080..U+009F) become '?', and so
// does every byte of a malformed UTF-8 sequence. NUL characters are kept.
std::string Utf8ToCp1252(std::string_view utf8);

// The code page 1252 byte for a Unicode code point, or '?' when there is none.
char Cp1252FromCodePoint(char32_t codePoint);

}  // namespace zyl::exporting::paradox
