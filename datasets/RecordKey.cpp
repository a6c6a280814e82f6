#include "datasets/RecordKey.h"

#include <bit>
#include <charconv>
#include <cstdint>

#include "platform/Exception.h"
#include "platform/Format.h"

namespace zyl {

namespace {

void Append(std::string& out, char kind, std::string_view payload) {
  out += kind;
  out += std::to_string(payload.size());
  out += ':';
  out += payload;
}

std::string Bits(double value) {
  return IntToHex(std::bit_cast<std::uint64_t>(value), 16);
}

std::optional<double> FromBits(std::string_view hex) {
  std::uint64_t bits = 0;
  auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
  if (error != std::errc() || end != hex.data() + hex.size() || hex.size() != 16)
    return std::nullopt;
  return std::bit_cast<double>(bits);
}

}  // namespace

std::string EncodeValues(const std::vector<TVariant>& values) {
  std::string out;
  for (const TVariant& value : values) {
    using K = TVariant::Kind;
    switch (value.GetKind()) {
      case K::Empty:
      case K::Null:
        Append(out, 'N', "");
        break;
      case K::Boolean:
        Append(out, 'B', value.ToBoolean() ? "1" : "0");
        break;
      case K::Integer:
        Append(out, 'I', std::to_string(value.ToInt64()));
        break;
      case K::Double:
        Append(out, 'F', Bits(value.ToDouble()));
        break;
      case K::Date:
        Append(out, 'D', Bits(value.ToDateTime()));
        break;
      case K::String:
        Append(out, 'S', value.ToString());
        break;
      case K::ByteArray: {
        const std::vector<std::uint8_t>& bytes = value.ToBytes();
        Append(out, 'Y',
               std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        break;
      }
      case K::Object:
        throw EConvertError("an object value cannot be part of a record key");
    }
  }
  return out;
}

std::optional<std::vector<TVariant>> DecodeValues(std::string_view text) {
  std::vector<TVariant> values;
  while (!text.empty()) {
    const char kind = text[0];
    std::size_t colon = text.find(':');
    std::size_t length = 0;
    if (colon == std::string_view::npos) return std::nullopt;
    auto [end, error] = std::from_chars(text.data() + 1, text.data() + colon, length);
    if (error != std::errc() || end != text.data() + colon || length > text.size() - colon - 1) {
      return std::nullopt;
    }
    std::string_view payload = text.substr(colon + 1, length);
    text.remove_prefix(colon + 1 + length);
    std::optional<double> number;
    std::int64_t integer = 0;
    switch (kind) {
      case 'N':
        values.push_back(TVariant::Null());
        break;
      case 'B':
        values.emplace_back(payload == "1");
        break;
      case 'I':
        if (std::from_chars(payload.data(), payload.data() + payload.size(), integer).ptr !=
            payload.data() + payload.size()) {
          return std::nullopt;
        }
        values.emplace_back(integer);
        break;
      case 'F':
      case 'D':
        if (!(number = FromBits(payload))) return std::nullopt;
        values.push_back(kind == 'F' ? TVariant(*number) : TVariant::FromDate(*number));
        break;
      case 'S':
        values.emplace_back(std::string(payload));
        break;
      case 'Y':
        values.emplace_back(std::vector<std::uint8_t>(payload.begin(), payload.end()));
        break;
      default:
        return std::nullopt;
    }
  }
  return values;
}

std::string DescribeKey(std::string_view key) {
  std::optional<std::vector<TVariant>> values = DecodeValues(key);
  if (!values) return "?";
  std::string text;
  for (const TVariant& value : *values) {
    if (!text.empty()) text += ", ";
    auto kind = value.GetKind();
    bool quoted = kind == TVariant::Kind::String || kind == TVariant::Kind::ByteArray;
    text += quoted ? "'" + value.ToString() + "'" : value.ToString();
  }
  return text;
}

}  // namespace zyl
