// The export module: the grid's visible data as an Excel, Access, dBase or
// Paradox file, and the library's one text-replace function.
#pragma once

#include <string>
#include <string_view>

namespace zyl {

class TZylHTMLGrid;

enum class TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };

// A set of TReplaceFlag values.
struct TReplaceFlags {
  unsigned bits = 0;
  constexpr TReplaceFlags() = default;
  constexpr TReplaceFlags(std::initializer_list<TReplaceFlag> flags) {
    for (auto f : flags) bits |= static_cast<unsigned>(f);
  }
  constexpr bool Has(TReplaceFlag f) const { return (bits & static_cast<unsigned>(f)) != 0; }
};

// Replaces the first (with rfReplaceAll: every) occurrence of `oldPattern`
// in `s` by `newPattern`. With rfIgnoreCase the search compares the locale
// upper-case forms; the result is built from the original texts. An empty
// `s` gives ""; an empty `oldPattern` is never found.
std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, TReplaceFlags flags);

}  // namespace zyl
