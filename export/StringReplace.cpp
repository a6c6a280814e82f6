#include "export/ZylHTMLExport.h"

#include "platform/Locale.h"

namespace zyl {

namespace {

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, TReplaceFlags flags) {
  if (s.empty() || oldPattern.empty()) return std::string(s);
  bool all = flags.Has(TReplaceFlag::rfReplaceAll);
  bool ignoreCase = flags.Has(TReplaceFlag::rfIgnoreCase);
  // Case-insensitive search on upper-case forms. Upper-casing keeps byte
  // offsets for ASCII text; other text is searched piece by piece so the
  // offsets always refer to the original.
  std::string searchText, searchPattern;
  if (ignoreCase) {
    searchPattern = AnsiUpperCase(oldPattern);
    if (IsAscii(s)) searchText = AnsiUpperCase(s);
  }
  std::string result;
  result.reserve(s.size());
  std::size_t pos = 0;
  while (pos < s.size()) {
    std::size_t found;
    std::size_t matchLen = oldPattern.size();
    if (!ignoreCase) {
      found = s.find(oldPattern, pos);
    } else if (!searchText.empty()) {
      found = searchText.find(searchPattern, pos);
    } else {
      // Non-ASCII text: try each start position with a window of the
      // pattern's length (upper-casing may change lengths, so compare forms).
      found = std::string_view::npos;
      for (std::size_t i = pos; i + oldPattern.size() <= s.size(); ++i) {
        if (AnsiUpperCase(s.substr(i, oldPattern.size())) == searchPattern) {
          found = i;
          break;
        }
      }
    }
    if (found == std::string_view::npos) break;
    result.append(s.substr(pos, found - pos));
    result.append(newPattern);
    pos = found + matchLen;
    if (!all) break;
  }
  result.append(s.substr(pos));
  return result;
}

}  // namespace zyl
