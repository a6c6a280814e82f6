// Record keys and fingerprints as text: a list of values encoded exactly
// (kind and bytes), so that the key a dataset hands out addresses the same
// record when it comes back, and two lists encode alike only when they
// hold the same values.
//
// Layout, per value: one kind letter, the payload's length in decimal, ":"
// and the payload. N null (or empty, no payload), B boolean ("0"/"1"), I
// 64-bit integer (decimal), F double and D date (the 8 bytes of the IEEE
// value, hexadecimal), S text (its bytes), Y byte array (its bytes). An
// automation object has no encoding (raises EConvertError).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Variant.h"

namespace zyl {

std::string EncodeValues(const std::vector<TVariant>& values);
// The values of EncodeValues' text; nullopt for text of another form.
std::optional<std::vector<TVariant>> DecodeValues(std::string_view text);
// The values for a visitor to read: "3" or "7, 'north'" (nullopt text: "?").
std::string DescribeKey(std::string_view key);

}  // namespace zyl
