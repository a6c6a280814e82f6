#include "export/jet4/Jet4Text.h"

#include <array>

namespace zyl::exporting::jet4 {

namespace {

// Decodes one UTF-8 sequence at s[i]; advances i. Returns -1 when the
// sequence is malformed (truncated, overlong, surrogate, above U+10FFFF).
long DecodeOne(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  long cp = 0;
  long minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return -1;
  }
  if (s.size() - i <= static_cast<std::size_t>(extra)) return -1;
  for (int k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

// "General legacy" sort codes of the printable ASCII characters that sort
// by a plain code. Letters share codes across case.
struct SortTable {
  std::array<std::string_view, 128> codes{};
  SortTable() {
    static constexpr std::string_view kLetters =
        "\x4A\x4C\x4D\x4F\x51\x53\x55\x57\x59\x5B\x5C\x5E\x60\x62\x64\x66\x68\x69\x6B\x6D\x6F"
        "\x71\x73\x75\x76\x78";
    for (std::size_t k = 0; k < 26; ++k) {
      codes['A' + k] = codes['a' + k] = kLetters.substr(k, 1);
    }
    static constexpr std::string_view kDigits = "\x36\x38\x3A\x3C\x3E\x40\x42\x44\x46\x48";
    for (std::size_t k = 0; k < 10; ++k) codes['0' + k] = kDigits.substr(k, 1);
    codes[' '] = "\x07";
    codes['!'] = "\x09";
    codes['"'] = "\x0A";
    codes['#'] = "\x0C";
    codes['$'] = "\x0E";
    codes['%'] = "\x10";
    codes['&'] = "\x12";
    codes['('] = "\x14";
    codes[')'] = "\x16";
    codes['*'] = "\x18";
    codes['+'] = "\x2C";
    codes[','] = "\x1A";
    codes['.'] = "\x1C";
    codes['/'] = "\x1E";
    codes[':'] = "\x20";
    codes[';'] = "\x22";
    codes['<'] = "\x2E";
    codes['='] = "\x30";
    codes['>'] = "\x32";
    codes['?'] = "\x24";
    codes['@'] = "\x26";
    codes['['] = "\x27";
    codes['\\'] = "\x29";
    codes[']'] = "\x2A";
    codes['^'] = "\x2B\x02";
    codes['_'] = "\x2B\x03";
    codes['`'] = "\x2B\x07";
    codes['{'] = "\x2B\x09";
    codes['|'] = "\x2B\x0B";
    codes['}'] = "\x2B\x0D";
    codes['~'] = "\x2B\x0F";
  }
};

const SortTable& Sorting() {
  static const SortTable table;
  return table;
}

}  // namespace

std::optional<std::size_t> AppendUtf16Le(std::string_view utf8, ByteVector& out) {
  const std::size_t start = out.size();
  out.reserve(start + 2 * utf8.size());
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const long cp = DecodeOne(utf8, i);
    if (cp < 0) {
      out.resize(start);
      return std::nullopt;
    }
    if (cp < 0x10000) {
      AppendU16(out, static_cast<std::uint32_t>(cp));
      ++units;
    } else {
      const auto v = static_cast<std::uint32_t>(cp - 0x10000);
      AppendU16(out, 0xD800 + (v >> 10));
      AppendU16(out, 0xDC00 + (v & 0x3FF));
      units += 2;
    }
  }
  return units;
}

std::optional<std::size_t> Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const long cp = DecodeOne(utf8, i);
    if (cp < 0) return std::nullopt;
    units += cp < 0x10000 ? 1 : 2;
  }
  return units;
}

std::u32string FoldedName(std::string_view utf8) {
  std::u32string folded;
  std::size_t i = 0;
  while (i < utf8.size()) {
    long cp = DecodeOne(utf8, i);
    if (cp < 0) break;
    if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) ||
        (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) || (cp >= 0x410 && cp <= 0x42F)) {
      cp += 0x20;
    } else if (cp >= 0x400 && cp <= 0x40F) {
      cp += 0x50;
    }
    folded.push_back(static_cast<char32_t>(cp));
  }
  return folded;
}

std::string_view NameSortCode(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 128 ? Sorting().codes[u] : std::string_view{};
}

ByteVector TextIndexKey(std::string_view ascii) {
  ByteVector key{0x7F};
  for (char c : ascii) {
    const std::string_view code = NameSortCode(c);
    if (code.empty()) Fail("no index sort code for character '" + std::string(1, c) + "'");
    key.insert(key.end(), code.begin(), code.end());
  }
  key.push_back(0x01);
  key.push_back(0x00);
  return key;
}

ByteVector LongIndexKey(std::int32_t value) {
  const std::uint32_t v = static_cast<std::uint32_t>(value) ^ 0x80000000u;
  return {0x7F, static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

}  // namespace zyl::exporting::jet4
