// Text as the Access writer stores it: UTF-16LE without byte-order mark or
// terminator, and object names as "General legacy" index sort keys.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "export/jet4/Jet4Format.h"

namespace zyl::exporting::jet4 {

// Appends `utf8` to `out` as UTF-16LE and returns the number of UTF-16 code
// units written (characters outside the BMP count twice). Returns nullopt,
// leaving `out` as it was, when `utf8` is not well-formed UTF-8.
std::optional<std::size_t> AppendUtf16Le(std::string_view utf8, ByteVector& out);

// Length of `utf8` in UTF-16 code units, or nullopt when it is not UTF-8.
std::optional<std::size_t> Utf16Length(std::string_view utf8);

// `utf8` with letters folded to lower case, for comparing names the way
// Access does (case-insensitively): ASCII, Latin-1, Greek and Cyrillic
// capitals are folded. REQUIRES: `utf8` is valid UTF-8.
std::u32string FoldedName(std::string_view utf8);

// The sort-code bytes of one character of a table name, or an empty view
// when the writer has no plain code for it (non-ASCII, apostrophe, hyphen,
// control characters).
std::string_view NameSortCode(char c);

// Index key of a text value under "General legacy" sorting: 0x7F, the sort
// codes, 01, 00. Every character must have a code (see NameSortCode).
ByteVector TextIndexKey(std::string_view ascii);

// Index key of a long integer: 0x7F, then big-endian with the sign bit flipped.
ByteVector LongIndexKey(std::int32_t value);

}  // namespace zyl::exporting::jet4
