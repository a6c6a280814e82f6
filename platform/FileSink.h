// A sink that writes a file atomically: bytes go to a temporary file beside
// the target, and Commit() renames it over the target. A sink destroyed
// without Commit() (an error half-way) removes its temporary file, so the
// target is always either absent/old or complete.
#pragma once

#include <cstdio>
#include <string>

#include "platform/ByteSink.h"

namespace zyl {

class FileSink : public ByteSink {
 public:
  // Opens "<target>.<random>.tmp" in the target's directory.
  // Throws EInOutError when it cannot be created.
  explicit FileSink(std::string target);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  void Write(const void* data, std::size_t n) override;
  using ByteSink::Write;

  // Flushes, syncs and renames the temporary file over the target.
  void Commit();
  const std::string& Target() const { return target_; }

 private:
  std::string target_;
  std::string tempName_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace zyl
