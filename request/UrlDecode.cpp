// URL decoding of posted and query text.
#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

// "+" is a blank; "%" takes the next two characters (fewer at the end of
// the text) as hex digits. A value from 1 to 255 becomes that byte; 0, a
// non-hex digit or no digit at all drops the escape silently.
std::string TZylCSS::WWWDecode(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == '+') {
      out += ' ';
      ++i;
      continue;
    }
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    ++i;
    std::size_t take = s.size() - i < 2 ? s.size() - i : 2;
    int value = take == 0 ? -1 : 0;
    for (std::size_t k = 0; k < take; ++k) {
      int d = HexDigit(s[i + k]);
      if (d < 0) {
        value = -1;
        break;
      }
      value = value * 16 + d;
    }
    i += take;
    if (value >= 1 && value <= 255) out += static_cast<char>(value);
  }
  return out;
}

std::string TZylHTMLGrid::WWWDecode(const std::string& s) { return TZylCSS::WWWDecode(s); }

}  // namespace zyl
