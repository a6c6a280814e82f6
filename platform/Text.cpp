#include "platform/Text.h"

#include <cstdint>
#include <cstring>

namespace zyl {

std::string_view TrimView(std::string_view text, std::string_view blanks) {
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Trim(std::string_view text, std::string_view blanks) {
  return std::string(TrimView(text, blanks));
}

std::string_view TrimRightView(std::string_view text, std::string_view blanks) {
  std::size_t last = text.find_last_not_of(blanks);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

namespace {

// Adds `shift` to every byte in [from, from + 26): written without branches
// so that the compiler vectorises it (every rendered cell lower-cases its
// style rule).
std::string ShiftRange(std::string_view text, unsigned char from, unsigned char shift) {
  std::string out(text.size(), '\0');
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  auto* to = reinterpret_cast<unsigned char*>(out.data());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = in[i];
    to[i] = static_cast<unsigned char>(c + (static_cast<unsigned char>(c - from) < 26 ? shift : 0));
  }
  return out;
}

}  // namespace

std::string AsciiUpperCase(std::string_view text) {
  return ShiftRange(text, 'a', static_cast<unsigned char>(-32));
}

std::string AsciiLowerCase(std::string_view text) {
  return ShiftRange(text, 'A', 32);
}

bool SameAsciiText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// Eight bytes at a time: style-sheet lines and cell texts are tested often.
bool IsAscii(std::string_view text) {
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if ((word & 0x8080808080808080ull) != 0) return false;
  }
  for (; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  }
  return true;
}

void AppendHex(std::string& out, unsigned long long value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (digits <= 0) return;
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(digits));
  for (std::size_t i = out.size(); i > start; --i) {
    out[i - 1] = kDigits[value & 0xFu];
    value >>= 4;
  }
}

void AppendEscapedHtml(std::string& out, std::string_view text, std::string_view crlf) {
  std::size_t start = 0;  // first byte not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view replacement;
    std::size_t length = 1;
    switch (text[i]) {
      case '&': replacement = "&amp;"; break;
      case '<': replacement = "&lt;"; break;
      case '>': replacement = "&gt;"; break;
      case '"': replacement = "&quot;"; break;
      case '\'': replacement = "&#39;"; break;
      case '\r':
        if (!crlf.empty() && i + 1 < text.size() && text[i + 1] == '\n') {
          replacement = crlf;
          length = 2;
        }
        break;
      default: break;
    }
    if (replacement.empty()) continue;
    out.append(text.substr(start, i - start));
    out.append(replacement);
    i += length - 1;
    start = i + 1;
  }
  out.append(text.substr(start));
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  AppendEscapedHtml(out, text);
  return out;
}

}  // namespace zyl
