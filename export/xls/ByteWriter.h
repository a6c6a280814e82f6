// A growable little-endian byte buffer: the building block of the compound
// file and of the BIFF8 records (every multi-byte field of an .xls file is
// little-endian, whatever the host's byte order).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zyl::exporting::xls {

class ByteWriter {
 public:
  void Reserve(std::size_t n) { bytes_.reserve(n); }
  std::size_t Size() const { return bytes_.size(); }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }
  void Clear() { bytes_.clear(); }

  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    bytes_.insert(bytes_.end(), b, b + 2);
  }
  void U32(std::uint32_t v) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 24)};
    bytes_.insert(bytes_.end(), b, b + 4);
  }
  void U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
  }
  // An IEEE 754 double, stored bit for bit.
  void F64(double v) { U64(std::bit_cast<std::uint64_t>(v)); }
  void Append(std::span<const std::uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
  }
  void Zeros(std::size_t n) { bytes_.resize(bytes_.size() + n, 0); }

  // Overwrite fields written earlier (sizes and offsets known only later).
  // REQUIRES: pos + width <= Size().
  void PatchU16(std::size_t pos, std::uint16_t v) {
    bytes_[pos] = static_cast<std::uint8_t>(v);
    bytes_[pos + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  void PatchU32(std::size_t pos, std::uint32_t v) {
    PatchU16(pos, static_cast<std::uint16_t>(v));
    PatchU16(pos + 2, static_cast<std::uint16_t>(v >> 16));
  }
  std::uint32_t ReadU32(std::size_t pos) const {
    return static_cast<std::uint32_t>(bytes_[pos]) |
           static_cast<std::uint32_t>(bytes_[pos + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[pos + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[pos + 3]) << 24;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace zyl::exporting::xls
