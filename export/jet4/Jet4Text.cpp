#include "export/jet4/Jet4Text.h"

#include <array>

#include "platform/Utf8.h"

namespace zyl::exporting::jet4 {

namespace {

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
  const std::optional<std::u16string> units = Utf8ToUtf16(utf8);
  if (!units) return std::nullopt;
  out.reserve(out.size() + 2 * units->size());
  for (char16_t unit : *units) AppendU16(out, unit);
  return units->size();
}

std::optional<std::size_t> Utf16Length(std::string_view utf8) {
  const std::optional<std::u16string> units = Utf8ToUtf16(utf8);
  if (!units) return std::nullopt;
  return units->size();
}

std::u32string FoldedName(std::string_view utf8) {
  std::u32string folded;
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Char c = DecodeUtf8(utf8, i);
    if (c.length == 0) break;
    i += c.length;
    char32_t cp = c.codePoint;
    if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) ||
        (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) || (cp >= 0x410 && cp <= 0x42F)) {
      cp += 0x20;
    } else if (cp >= 0x400 && cp <= 0x40F) {
      cp += 0x50;
    }
    folded.push_back(cp);
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
