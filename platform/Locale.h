// Locale-aware text services on UTF-8 strings, through ICU with the
// process's default locale (a "C"/POSIX process collates by the neutral
// root order): case mapping and collation. Byte-wise toupper is never used
// on non-ASCII text. Bytes that are not well-formed UTF-8 (text in another
// code page) pass case mapping unchanged; collation sees them as U+FFFD,
// and the comparisons then tell such texts apart by their bytes.
#pragma once

#include <string>
#include <string_view>

namespace zyl {

std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

// Locale collation, case-sensitive: negative, 0 or positive. Texts that
// collate equal but differ in bytes are ordered by their bytes, so the
// result is 0 only for identical texts.
int AnsiCompareStr(std::string_view a, std::string_view b);
// Locale collation ignoring case (and only case): 0 only for texts that
// AnsiSameText calls the same; texts that merely collate alike (width
// variants, ignorable characters) are ordered by their upper-case bytes.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// Finds `pattern` in `text` ignoring case; returns the byte offset in
// `text` of the first match, or npos. Both are compared by their
// upper-case forms, so the offset refers to the original text only when
// upper-casing does not change byte lengths before the match; callers that
// need exact offsets use it on ASCII patterns.
std::size_t FindText(std::string_view text, std::string_view pattern);

}  // namespace zyl
