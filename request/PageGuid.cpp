// Server-issued page GUIDs (request/PageGuid.h).
#include "request/PageGuid.h"

#include <cstdint>

#include "platform/Digest.h"
#include "platform/Locale.h"
#include "platform/System.h"

namespace zyl::form {

namespace {

constexpr std::size_t kRandomPart = 19;  // "XXXXXXXX-XXXX-4XXX-": 16 hex digits

// The last 17 characters "XXXX-XXXXXXXXXXXX" for the random part.
std::string Signature(std::string_view secret, std::string_view browserKey,
                      std::string_view randomPart) {
  std::string data = "page-guid:";
  data += std::to_string(browserKey.size());
  data += ':';
  data += browserKey;
  data += randomPart;
  std::string mac = HmacSha256(secret, data);
  mac[0] = static_cast<char>((static_cast<unsigned char>(mac[0]) & 0x3F) | 0x80);
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (int i = 0; i < 8; ++i) {
    if (i == 2) out += '-';
    auto b = static_cast<unsigned char>(mac[static_cast<std::size_t>(i)]);
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

}  // namespace

std::string IssueGuid(std::string_view secret, std::string_view browserKey) {
  std::string guid = CreateGuidString().substr(0, kRandomPart);
  return guid + Signature(secret, browserKey, guid);
}

bool IsIssuedGuid(std::string_view secret, std::string_view browserKey, std::string_view guid) {
  if (!IsGuidString(guid)) return false;
  std::string upper = AnsiUpperCase(std::string(guid));
  std::string_view randomPart = std::string_view(upper).substr(0, kRandomPart);
  return SameBytes(std::string_view(upper).substr(kRandomPart),
                   Signature(secret, browserKey, randomPart));
}

}  // namespace zyl::form
