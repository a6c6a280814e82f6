#include "apps/zylgrid/PagePolicy.h"

#include <cstdint>
#include <cstring>
#include <set>
#include <string_view>

#include "platform/Digest.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "request/RequestChannel.h"

namespace zylgrid {

namespace {

constexpr std::size_t kKeyLength = 43;  // 32 random bytes in base64url

bool IsKeyText(const std::string& text) {
  if (text.size() != kKeyLength) return false;
  for (char c : text) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

// The value of cookie `name` in a Cookie header ("a=1; b=2"), "" when absent.
std::string CookieValue(const std::string& header, const std::string& name) {
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find(';', start);
    if (end == std::string::npos) end = header.size();
    std::size_t first = header.find_first_not_of(' ', start);
    std::size_t eq = header.find('=', first);
    if (first < end && eq < end && header.compare(first, eq - first, name) == 0) {
      return header.substr(eq + 1, end - eq - 1);
    }
    start = end + 1;
  }
  return "";
}

// The host part of an origin ("https://example.org:8443" gives
// "example.org:8443"), lower case.
std::string OriginHost(const std::string& origin) {
  std::size_t at = origin.find("://");
  return zyl::AnsiLowerCase(at == std::string::npos ? origin : origin.substr(at + 3));
}

// Standard base64 (with padding) of `bytes`, as policies write hashes.
std::string Base64(const std::string& bytes) {
  std::string text = zyl::ToBase64Url(bytes);
  for (char& c : text) {
    if (c == '-') c = '+';
    if (c == '_') c = '/';
  }
  while (text.size() % 4 != 0) text += '=';
  return text;
}

// True when `text` holds `lower` (lower case ASCII) at `at`, ignoring ASCII case.
bool HasAt(std::string_view text, std::size_t at, std::string_view lower) {
  if (at > text.size() || text.size() - at < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i) {
    if (zyl::AsciiLower(text[at + i]) != lower[i]) return false;
  }
  return true;
}

// The first `lower` (lower case ASCII, starting with a character that is
// not a letter) in `text` from `from`, ignoring ASCII case; npos if none.
std::size_t FindNoCase(std::string_view text, std::string_view lower, std::size_t from) {
  while (from < text.size()) {
    const void* at = std::memchr(text.data() + from, lower[0], text.size() - from);
    if (at == nullptr) break;
    from = static_cast<std::size_t>(static_cast<const char*>(at) - text.data());
    if (HasAt(text, from, lower)) return from;
    ++from;
  }
  return std::string_view::npos;
}

// Calls `visit(i)` in ascending order for every i where the page holds " o"
// or "<s" (either case). Sixty-four bytes at a time with the compiler's
// vector types: a page is mostly other text.
template <typename Visit>
void ForEachCandidate(std::string_view page, Visit visit) {
  auto check = [&](std::size_t i) {
    const char next = zyl::AsciiLower(page[i + 1]);
    if ((page[i] == ' ' && next == 'o') || (page[i] == '<' && next == 's')) visit(i);
  };
  using Block = unsigned char __attribute__((vector_size(16)));
  auto found = [&page](std::size_t at) {
    Block here, next;
    std::memcpy(&here, page.data() + at, sizeof here);
    std::memcpy(&next, page.data() + at + 1, sizeof next);
    next |= 0x20;  // letters in lower case
    return ((here == ' ') & (next == 'o')) | ((here == '<') & (next == 's'));
  };
  auto any = [](auto lanes) {
    std::uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
  };
  constexpr std::size_t kStride = 4 * sizeof(Block);
  std::size_t i = 0;
  for (; i + kStride + 1 <= page.size(); i += kStride) {
    if (!any(found(i) | found(i + 16) | found(i + 32) | found(i + 48))) continue;
    for (std::size_t j = i; j < i + kStride; ++j) check(j);
  }
  for (; i + 1 < page.size(); ++i) check(i);
}

// The contents of every <script> element and every on...="..." attribute.
std::set<std::string> InlineCode(const std::string& page) {
  std::set<std::string> code;
  bool scripts = true, handlers = true;  // each search ends at its first unclosed find
  ForEachCandidate(page, [&](std::size_t at) {
    if (page[at] == '<') {
      if (!scripts || !HasAt(page, at + 2, "cript")) return;
      std::size_t open = page.find('>', at);
      std::size_t close = FindNoCase(page, "</script", open);
      if (open == std::string::npos || close == std::string::npos) {
        scripts = false;
        return;
      }
      // Hashed as a browser does: with the parser's newlines (LF only).
      code.insert(zyl::LineFeedsOnly(page.substr(open + 1, close - open - 1)));
      return;
    }
    if (!handlers || zyl::AsciiLower(page[at + 2]) != 'n') return;
    std::size_t name = at + 3;
    while (name < page.size() && zyl::AsciiLower(page[name]) >= 'a' &&
           zyl::AsciiLower(page[name]) <= 'z') {
      ++name;
    }
    if (name == at + 3 || page.compare(name, 2, "=\"") != 0) return;
    std::size_t end = page.find('"', name + 2);
    if (end == std::string::npos) {
      handlers = false;
      return;
    }
    code.insert(zyl::LineFeedsOnly(page.substr(name + 2, end - name - 2)));
  });
  return code;
}

}  // namespace

std::string BrowserKey(zyl::RequestChannel& channel) {
  std::string key = CookieValue(channel.GetVariable("HTTP_COOKIE"), kBrowserCookie);
  if (IsKeyText(key)) return key;
  key = zyl::ToBase64Url(zyl::RandomBytes(32));
  std::string cookie =
      std::string(kBrowserCookie) + "=" + key + "; Path=/; HttpOnly; SameSite=Strict";
  if (zyl::AnsiSameText(channel.GetVariable("HTTPS"), "on")) cookie += "; Secure";
  channel.AddAnswerHeader("Set-Cookie", cookie);
  return key;
}

bool IsCrossSite(const zyl::RequestChannel& channel) {
  std::string site = zyl::AnsiLowerCase(channel.GetVariable("HTTP_SEC_FETCH_SITE"));
  if (!site.empty() && site != "same-origin" && site != "none") return true;
  std::string origin = channel.GetVariable("HTTP_ORIGIN");
  if (origin.empty()) return false;
  return OriginHost(origin) != zyl::AnsiLowerCase(channel.GetVariable("HTTP_HOST"));
}

std::string ContentPolicy(const std::string& page) {
  std::string scripts;
  for (const std::string& code : InlineCode(page)) {
    scripts += " 'sha256-" + Base64(zyl::Sha256(code)) + "'";
  }
  // 'unsafe-hashes' lets the hashes cover event handler attributes too.
  std::string policy = "script-src";
  policy += scripts.empty() ? std::string(" 'none'") : " 'unsafe-hashes'" + scripts;
  policy += "; object-src 'none'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'";
  return policy;
}

}  // namespace zylgrid
