#include "platform/Digest.h"

#include <sodium.h>

#include "platform/Exception.h"

namespace zyl {

namespace {

void Init() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) throw Exception("libsodium: cannot initialise");
}

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

std::string Sha256(std::string_view data) {
  Init();
  std::string out(crypto_hash_sha256_BYTES, '\0');
  crypto_hash_sha256(reinterpret_cast<unsigned char*>(out.data()), Bytes(data), data.size());
  return out;
}

std::string HmacSha256(std::string_view key, std::string_view data) {
  Init();
  crypto_auth_hmacsha256_state state;
  crypto_auth_hmacsha256_init(&state, Bytes(key), key.size());
  crypto_auth_hmacsha256_update(&state, Bytes(data), data.size());
  std::string out(crypto_auth_hmacsha256_BYTES, '\0');
  crypto_auth_hmacsha256_final(&state, reinterpret_cast<unsigned char*>(out.data()));
  return out;
}

bool SameBytes(std::string_view a, std::string_view b) {
  Init();
  return a.size() == b.size() && (a.empty() || sodium_memcmp(a.data(), b.data(), a.size()) == 0);
}

std::string RandomBytes(std::size_t count) {
  Init();
  std::string out(count, '\0');
  randombytes_buf(out.data(), count);
  return out;
}

std::string ToBase64Url(std::string_view bytes) {
  Init();
  constexpr int kVariant = sodium_base64_VARIANT_URLSAFE_NO_PADDING;
  std::string out(sodium_base64_ENCODED_LEN(bytes.size(), kVariant), '\0');
  sodium_bin2base64(out.data(), out.size(), Bytes(bytes), bytes.size(), kVariant);
  out.resize(out.size() - 1);  // the terminating zero
  return out;
}

std::optional<std::string> FromBase64Url(std::string_view text) {
  Init();
  std::string out(text.size() * 3 / 4 + 1, '\0');
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(out.data()), out.size(), text.data(),
                        text.size(), nullptr, &length, &end,
                        sodium_base64_VARIANT_URLSAFE_NO_PADDING) != 0 ||
      end != text.data() + text.size()) {
    return std::nullopt;
  }
  out.resize(length);
  return out;
}

}  // namespace zyl
