// Signed row identities: the value of a row's identity field (named by
// request/FormProtocol.h). It names the record a row of the page showed
// and vouches for the values it showed there, so that an update or delete
// reaches that record only, and only while it still holds them; the
// signature keeps a visitor from aiming an edit at another record by
// changing the field.
//
// Value: base64url(key) "." base64url(fingerprint) "." base64url(mac),
// where mac is HMAC-SHA256 under the site's secret of the grid's name, the
// row's recNo, the key and the fingerprint (encoded as datasets/RecordKey.h
// encodes values, so no two different quadruples sign alike).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Variant.h"

namespace zyl {
class TDataSet;
}

namespace zyl::form {

// What a row's identity field vouches for. `key` is the dataset's
// RecordKey (for a text file: the line's record number, encoded);
// `fingerprint` is Fingerprint of the row's values as read.
struct RowIdentity {
  std::string key;
  std::string fingerprint;
};

std::string SignRowIdentity(std::string_view secret, std::string_view grid, int recNo,
                            const RowIdentity& identity);
// The identity the value vouches for; nullopt when it is malformed or its
// signature is not the one `secret` gives for this grid and row.
std::optional<RowIdentity> VerifyRowIdentity(std::string_view secret, std::string_view grid,
                                             int recNo, std::string_view value);

// A digest of values (all fields of a record, or all cells of a text
// line): equal for the same values, different when any one differs. 16
// bytes of SHA-256 over their exact encoding.
std::string Fingerprint(const std::vector<TVariant>& values);
// The fingerprint of the dataset's current record: every field's value.
std::string RecordFingerprint(const TDataSet& ds);

}  // namespace zyl::form
