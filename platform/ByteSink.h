// Where writers put bytes. A writer appends to a sink it does not own; tests
// use an in-memory sink, including one that fails after a given number of
// bytes, and the export engine uses a file sink that only replaces its
// target when the whole content was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace zyl {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends n bytes. Throws zyl::EInOutError (or another zyl::Exception) on failure.
  virtual void Write(const void* data, std::size_t n) = 0;
  void Write(std::string_view s) { Write(s.data(), s.size()); }
};

// Collects everything in memory.
class MemorySink : public ByteSink {
 public:
  void Write(const void* data, std::size_t n) override {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
  }
  using ByteSink::Write;
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Accepts `limit` bytes, then throws EInOutError: for testing failure paths.
class FailingSink : public ByteSink {
 public:
  explicit FailingSink(std::size_t limit) : limit_(limit) {}
  void Write(const void* data, std::size_t n) override {
    if (written_ + n > limit_) throw EInOutError("write failed: device full");
    written_ += n;
    (void)data;
  }
  using ByteSink::Write;

 private:
  std::size_t limit_;
  std::size_t written_ = 0;
};

}  // namespace zyl
