// Byte-string helpers shared by every layer: trimming, ASCII case, hex
// digits and HTML escaping. Locale-aware case mapping and collation are in
// platform/Locale.h; UTF-8 and code page 1252 in platform/Utf8.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zyl {

// The blanks Trim removes unless told otherwise: space, TAB, CR and LF.
inline constexpr std::string_view kBlanks = " \t\r\n";

// `text` without the leading and trailing characters found in `blanks`.
std::string_view TrimView(std::string_view text, std::string_view blanks = kBlanks);
std::string Trim(std::string_view text, std::string_view blanks = kBlanks);
// `text` without the trailing characters found in `blanks`.
std::string_view TrimRightView(std::string_view text, std::string_view blanks = kBlanks);

// ASCII letters only; every other byte (UTF-8 included) stays as it is.
constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string AsciiUpperCase(std::string_view text);
std::string AsciiLowerCase(std::string_view text);
// Equal but for the case of ASCII letters.
bool SameAsciiText(std::string_view a, std::string_view b);

// True when every byte is below 0x80.
bool IsAscii(std::string_view text);

// The value of a hexadecimal digit (either case), or -1.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// Appends the low `digits` hex digits of `value` (upper case, zero-padded).
void AppendHex(std::string& out, unsigned long long value, int digits);
// Appends `text` percent-encoded: ASCII letters, digits and the characters
// of `keep` as they are, every other byte as "%XX" (upper-case hex).
void AppendPercentEncoded(std::string& out, std::string_view text, std::string_view keep);

// `text` with its line breaks as LF: CR LF and a lone CR become LF.
std::string LineFeedsOnly(std::string_view text);

// Appends `text` for HTML: & < > " ' become &amp; &lt; &gt; &quot; &#39;,
// every other byte stays. When `crlf` is not empty, each CR LF pair becomes
// `crlf` (after escaping, so "<BR>" stays markup). For text that comes from
// data or from the request; the one escaper of the library and its host.
void AppendEscapedHtml(std::string& out, std::string_view text, std::string_view crlf = {});
std::string EscapeHtml(std::string_view text);

// `text` with the passwords of the connection strings it may hold replaced
// by "***": the value of every "password=" (key/value form, quoted or not,
// and URI query parameter) and the password of "scheme://user:password@".
// The one mask for what is printed: error messages and log lines.
std::string MaskPasswords(std::string_view text);

}  // namespace zyl
