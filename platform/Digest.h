// Digests, message authentication and random bytes (libsodium): what row
// identity needs to fingerprint a record's values and to sign what a page
// hands the visitor.
//
// Every function is thread-safe; the library initialises libsodium on the
// first call. Results are raw bytes in a std::string.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zyl {

// SHA-256 of `data`: 32 bytes.
std::string Sha256(std::string_view data);
// HMAC-SHA256 of `data` under `key` (any length): 32 bytes.
std::string HmacSha256(std::string_view key, std::string_view data);
// True when `a` and `b` are the same bytes; the time taken depends only on
// their lengths.
bool SameBytes(std::string_view a, std::string_view b);
// `count` bytes from the system's random generator.
std::string RandomBytes(std::size_t count);

// URL-safe base64 without padding ("A-Z a-z 0-9 - _"), and back: nullopt
// for text that is not of that form.
std::string ToBase64Url(std::string_view bytes);
std::optional<std::string> FromBase64Url(std::string_view text);

}  // namespace zyl
