#include "render/PageText.h"

#include "grid/ZylHTMLGrid.h"

namespace zyl {

std::string Hex6(TColor color) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::uint32_t rgb = TZylHTMLGrid::ColorToRGB(color);
  std::string out(6, '0');
  for (int i = 5; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kHex[rgb & 15u];
    rgb >>= 4;
  }
  return out;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c; break;
    }
  }
  return out;
}

}  // namespace zyl
