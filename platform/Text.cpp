#include "platform/Text.h"

#include <array>
#include <cctype>
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
  if (digits > 16) out.append(static_cast<std::size_t>(digits - 16), '0');
  char text[16];
  const int n = digits > 16 ? 16 : digits;
  for (int i = n; i > 0; --i) {
    text[i - 1] = kDigits[value & 0xFu];
    value >>= 4;
  }
  out.append(text, static_cast<std::size_t>(n));
}

void AppendPercentEncoded(std::string& out, std::string_view text, std::string_view keep) {
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x80 && (std::isalnum(c) != 0 || keep.find(ch) != std::string_view::npos)) {
      out += ch;
    } else {
      out += '%';
      AppendHex(out, c, 2);
    }
  }
}

std::string LineFeedsOnly(std::string_view text) {
  if (text.find('\r') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

namespace {

// The bytes AppendEscapedHtml looks at; every other byte is copied as it is.
constexpr std::array<bool, 256> kEscapeBytes = [] {
  std::array<bool, 256> bytes{};
  for (unsigned char c : {'&', '<', '>', '"', '\'', '\r'}) bytes[c] = true;
  return bytes;
}();

}  // namespace

void AppendEscapedHtml(std::string& out, std::string_view text, std::string_view crlf) {
  std::size_t start = 0;  // first byte not yet copied
  const std::size_t size = text.size();
  for (std::size_t i = 0;; ++i) {
    while (i < size && !kEscapeBytes[static_cast<unsigned char>(text[i])]) ++i;
    if (i == size) break;
    std::string_view replacement;
    std::size_t length = 1;
    switch (text[i]) {
      case '&':
        replacement = "&amp;";
        break;
      case '<':
        replacement = "&lt;";
        break;
      case '>':
        replacement = "&gt;";
        break;
      case '"':
        replacement = "&quot;";
        break;
      case '\'':
        replacement = "&#39;";
        break;
      case '\r':
        if (!crlf.empty() && i + 1 < size && text[i + 1] == '\n') {
          replacement = crlf;
          length = 2;
        }
        break;
      default:
        break;
    }
    if (replacement.empty()) continue;
    out.append(text.data() + start, i - start);
    out.append(replacement);
    i += length - 1;
    start = i + 1;
  }
  out.append(text.data() + start, size - start);
}

namespace {

// The end of a "password=" value that starts at `at`: a quoted value runs to
// its closing quote (backslash escapes), any other to a blank, or to "&" in
// a URI query.
std::size_t PasswordValueEnd(std::string_view text, std::size_t at, bool query) {
  if (at < text.size() && text[at] == '\'') {
    for (std::size_t i = at + 1; i < text.size(); ++i) {
      if (text[i] == '\\') {
        ++i;
      } else if (text[i] == '\'') {
        return i + 1;
      }
    }
    return text.size();
  }
  std::size_t end = at;
  while (end < text.size() && kBlanks.find(text[end]) == std::string_view::npos &&
         !(query && text[end] == '&')) {
    ++end;
  }
  return end;
}

}  // namespace

std::string MaskPasswords(std::string_view text) {
  constexpr std::string_view kKey = "password";
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    // key/value: "password" after a start, blank, "?" or "&", then "=".
    bool keyStart = i == 0 || kBlanks.find(text[i - 1]) != std::string_view::npos ||
                    text[i - 1] == '?' || text[i - 1] == '&';
    if (keyStart && SameAsciiText(text.substr(i, kKey.size()), kKey)) {
      std::size_t eq = i + kKey.size();
      while (eq < text.size() && (text[eq] == ' ' || text[eq] == '\t')) ++eq;
      if (eq < text.size() && text[eq] == '=') {
        std::size_t value = eq + 1;
        while (value < text.size() && (text[value] == ' ' || text[value] == '\t')) ++value;
        bool query = i > 0 && (text[i - 1] == '?' || text[i - 1] == '&');
        out.append(text.substr(i, value - i));
        out += "***";
        i = PasswordValueEnd(text, value, query);
        continue;
      }
    }
    // URI: "://user:password@host"; the user part holds no "/", "@" or blank.
    if (text.compare(i, 3, "://") == 0) {
      std::size_t end = text.find_first_of("/?# \t\r\n", i + 3);
      if (end == std::string_view::npos) end = text.size();
      std::string_view authority = text.substr(i + 3, end - i - 3);
      std::size_t at = authority.rfind('@');
      std::size_t colon = authority.substr(0, at == std::string_view::npos ? 0 : at).find(':');
      if (at != std::string_view::npos && colon != std::string_view::npos) {
        out.append(text.substr(i, 3 + colon + 1));
        out += "***";
        i += 3 + at;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  AppendEscapedHtml(out, text);
  return out;
}

}  // namespace zyl
