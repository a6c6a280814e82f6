#include "request/RowIdentity.h"

#include "datasets/DataSet.h"
#include "datasets/RecordKey.h"
#include "platform/Digest.h"

namespace zyl::form {

namespace {

std::string Mac(std::string_view secret, std::string_view grid, int recNo,
                const RowIdentity& identity) {
  return HmacSha256(secret, EncodeValues({TVariant(std::string(grid)), TVariant(recNo),
                                          TVariant(identity.key), TVariant(identity.fingerprint)}));
}

}  // namespace

std::string SignRowIdentity(std::string_view secret, std::string_view grid, int recNo,
                            const RowIdentity& identity) {
  return ToBase64Url(identity.key) + "." + ToBase64Url(identity.fingerprint) + "." +
         ToBase64Url(Mac(secret, grid, recNo, identity));
}

std::optional<RowIdentity> VerifyRowIdentity(std::string_view secret, std::string_view grid,
                                             int recNo, std::string_view value) {
  std::size_t first = value.find('.');
  std::size_t second = first == std::string_view::npos ? first : value.find('.', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::optional<std::string> key = FromBase64Url(value.substr(0, first));
  std::optional<std::string> fingerprint =
      FromBase64Url(value.substr(first + 1, second - first - 1));
  std::optional<std::string> mac = FromBase64Url(value.substr(second + 1));
  if (!key || !fingerprint || !mac) return std::nullopt;
  RowIdentity identity{std::move(*key), std::move(*fingerprint)};
  if (!SameBytes(*mac, Mac(secret, grid, recNo, identity))) return std::nullopt;
  return identity;
}

std::string Fingerprint(const std::vector<TVariant>& values) {
  return Sha256(EncodeValues(values)).substr(0, 16);
}

std::string RecordFingerprint(const TDataSet& ds) {
  std::vector<TVariant> values;
  values.reserve(static_cast<std::size_t>(ds.FieldCount()));
  for (int f = 0; f < ds.FieldCount(); ++f) values.push_back(ds.GetField(f)->Value());
  return Fingerprint(values);
}

}  // namespace zyl::form
