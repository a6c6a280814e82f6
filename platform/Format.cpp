#include "platform/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/Exception.h"

namespace zyl {

std::string IntToStr(long long value) {
  return std::to_string(value);
}

std::string IntToHex(unsigned long long value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*llX", digits < 0 ? 0 : (digits > 16 ? 16 : digits), value);
  return buf;
}

bool TryStrToInt64(std::string_view text, std::int64_t& value) {
  std::size_t p = 0;
  while (p < text.size() && text[p] == ' ') ++p;
  bool negative = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
  int base = 10;
  if (p < text.size() && text[p] == '$') {
    base = 16;
    ++p;
  } else if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (p >= text.size()) return false;
  std::uint64_t magnitude = 0;
  const char* first = text.data() + p;
  const char* last = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
  if (ec != std::errc() || ptr != last) return false;
  if (negative) {
    if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1) {
      return false;
    }
    value = static_cast<std::int64_t>(0 - magnitude);
  } else {
    if (base == 10 &&
        magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return false;
    }
    value = static_cast<std::int64_t>(magnitude);
  }
  return true;
}

bool TryStrToInt(std::string_view text, int& value) {
  std::int64_t v = 0;
  if (!TryStrToInt64(text, v)) return false;
  bool hex = text.find('$') != std::string_view::npos || text.find('x') != std::string_view::npos ||
             text.find('X') != std::string_view::npos;
  if (hex && v >= 0 && v <= 0xFFFFFFFFLL) {
    value = static_cast<int>(static_cast<std::uint32_t>(v));  // "$FFFFFFFF" is -1
    return true;
  }
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

int StrToInt(std::string_view text) {
  int v = 0;
  if (!TryStrToInt(text, v)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return v;
}

std::int64_t StrToInt64(std::string_view text) {
  std::int64_t v = 0;
  if (!TryStrToInt64(text, v)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return v;
}

std::string BytesToHex(const std::vector<std::uint8_t>& bytes, std::size_t maxBytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::size_t n = std::min(bytes.size(), maxBytes);
  std::string text(2 * n, '0');
  for (std::size_t i = 0; i < n; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 0xF];
  }
  return text;
}

std::string FloatToExactStr(double value) {
  if (!std::isfinite(value)) return FloatToStr(value);
  // Fixed notation where FloatToStr uses it, else the shorter form.
  const double magnitude = std::fabs(value);
  const bool fixed = value == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
  char buf[400];
  auto written = fixed ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                       : std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, written.ptr);
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  char buf[40];
  // A whole number below 10^15 has at most 15 digits: all of them show.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    auto written = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
    return std::string(buf, written.ptr);
  }
  // Any text of at most 15 significant digits that reads back as the value
  // is its 15-digit rounding (a double's spacing is below half a unit of the
  // 15th digit), so a value with few decimals is written from the whole
  // number of its scaled value.
  if (const double magnitude = std::fabs(value); magnitude >= 1e-5) {
    double scale = 1;
    for (int decimals = 1; decimals <= 20; ++decimals) {
      scale *= 10;
      const double scaled = std::nearbyint(magnitude * scale);
      if (scaled >= 1e15) break;
      if (scaled / scale != magnitude) continue;
      auto whole = static_cast<long long>(scaled);
      char* end = buf + sizeof buf;
      char* p = end;
      for (int d = 0; d < decimals; ++d, whole /= 10) *--p = static_cast<char>('0' + whole % 10);
      *--p = '.';
      do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
      } while (whole > 0);
      if (value < 0) *--p = '-';
      return std::string(p, end);
    }
  }
  // 15 significant digits: d.dddddddddddddde[+-]xx (to_chars ignores the
  // process locale, so the separator is always "."): the shortest form
  // when it has no more than 15 digits, as above (not for subnormal values,
  // whose spacing is wider).
  auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  const char* mantissa = buf + (buf[0] == '-' ? 1 : 0);
  const std::ptrdiff_t length =
      std::find(mantissa, static_cast<const char*>(written.ptr), 'e') - mantissa;
  if (length > 16 || !std::isnormal(value)) {  // more than 15 digits and the ".", or subnormal
    written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  }
  const char* p = buf;
  const bool negative = *p == '-';
  if (negative) ++p;
  const char* e = std::find(p, static_cast<const char*>(written.ptr), 'e');
  int exponent = 0;
  std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), written.ptr, exponent);
  char digits[24];
  std::size_t n = 0;
  digits[n++] = p[0];
  for (const char* d = p + 2; d < e; ++d) digits[n++] = *d;
  while (n > 1 && digits[n - 1] == '0') --n;
  const std::string_view all(digits, n);

  std::string out = negative ? "-" : "";
  if (exponent >= -5 && exponent < 15) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += all;
    } else {
      auto intDigits = static_cast<std::size_t>(exponent) + 1;
      if (n <= intDigits) {
        out += all;
        out.append(intDigits - n, '0');
      } else {
        out += all.substr(0, intDigits);
        out += '.';
        out += all.substr(intDigits);
      }
    }
  } else {
    out += digits[0];
    if (n > 1) {
      out += '.';
      out += all.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
  }
  return out;
}

bool TryStrToFloat(std::string_view text, double& value) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  if (b == e) return false;
  const char* first = text.data() + b;
  const char* last = text.data() + e;
  if (*first == '+') {
    ++first;
    if (first == last || *first == '-') return false;  // one sign only
  }
  double v = 0;
  auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
  if (ec != std::errc() || ptr != last || !std::isfinite(v)) return false;
  value = v;
  return true;
}

double StrToFloat(std::string_view text) {
  double v = 0;
  if (!TryStrToFloat(text, v)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  }
  return v;
}

}  // namespace zyl
