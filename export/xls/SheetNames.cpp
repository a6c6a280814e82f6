#include "export/xls/SheetNames.h"

#include <unordered_set>

#include "export/xls/XlsText.h"

namespace zyl::exporting::xls {
namespace {

bool IsForbidden(char16_t u) {
  return u < 0x20 || u == u':' || u == u'\\' || u == u'/' || u == u'?' || u == u'*' ||
         u == u'[' || u == u']';
}

std::u16string_view TrimApostrophes(std::u16string_view s) {
  while (!s.empty() && s.front() == u'\'') s.remove_prefix(1);
  while (!s.empty() && s.back() == u'\'') s.remove_suffix(1);
  return s;
}

// Case folding for the uniqueness test: Excel compares names ignoring case.
std::u16string Folded(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& u : out) {
    if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - u'a' + u'A');
  }
  return out;
}

}  // namespace

std::u16string SanitiseSheetName(std::u16string_view name) {
  std::u16string cleaned(name);
  for (char16_t& u : cleaned) {
    if (IsForbidden(u)) u = u'_';
  }
  std::u16string_view s = TrimApostrophes(cleaned);
  s = TrimApostrophes(ClipUtf16(s, kMaxSheetName));
  if (s.empty()) return u"Sheet";
  if (Folded(s) == u"HISTORY") return std::u16string(s) + u"_";
  return std::u16string(s);
}

std::vector<std::u16string> NumberedSheetNames(const std::u16string& base, std::size_t count) {
  std::vector<std::u16string> names;
  names.reserve(count);
  std::unordered_set<std::u16string> taken;
  std::size_t number = 2;
  for (std::size_t i = 0; i < count; ++i) {
    std::u16string name = base;
    // A 31-unit base that itself ends in " (2)" would meet its numbered
    // form; the next number is taken then.
    while (i > 0 && taken.count(Folded(name)) != 0) {
      const std::string digits = " (" + std::to_string(number++) + ")";
      const std::u16string suffix(digits.begin(), digits.end());
      name = std::u16string(ClipUtf16(base, kMaxSheetName - suffix.size())) + suffix;
    }
    taken.insert(Folded(name));
    names.push_back(std::move(name));
  }
  return names;
}

}  // namespace zyl::exporting::xls
