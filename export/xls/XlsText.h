// Text as BIFF8 stores it: UTF-16 code units, written "compressed" (one byte
// per unit) when every unit is below 0x100, else as UTF-16LE. Counts are in
// UTF-16 code units, so a character outside the BMP counts two.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "export/xls/ByteWriter.h"
#include "platform/Utf8.h"

namespace zyl::exporting::xls {

// Most UTF-16 code units one cell can hold.
inline constexpr std::size_t kMaxCellChars = 32767;

// True for the first unit of a surrogate pair.
inline bool IsHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}

// True when every code unit fits one byte, so the text can be stored compressed.
bool IsCompressible(std::u16string_view text);

// The longest prefix of at most `limit` code units that does not end between
// the two halves of a surrogate pair.
std::u16string_view ClipUtf16(std::u16string_view text, std::size_t limit);

// Turns CR LF and lone CR into LF, the one line break a cell keeps in every reader.
void NormaliseLineBreaks(std::u16string& text);

// The characters alone, compressed (REQUIRES IsCompressible) or UTF-16LE.
void AppendCharacters(ByteWriter& out, std::u16string_view text, bool compressed);

// ShortXLUnicodeString: count (1 byte), flags, characters. REQUIRES size <= 255.
void AppendShortString(ByteWriter& out, std::u16string_view text);

// XLUnicodeString: count (2 bytes), flags, characters. REQUIRES size <= 65535.
void AppendString(ByteWriter& out, std::u16string_view text);

}  // namespace zyl::exporting::xls
