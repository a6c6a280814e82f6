// Byte streams: TStream with position and size, a file stream, a memory
// stream, and the process's standard input and output.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ByteSink.h"
#include "platform/Object.h"

namespace zyl {

class TStream : public TObject, public ByteSink {
 public:
  std::string ClassName() const override { return "TStream"; }
  // Reads up to `count` bytes; returns how many were read (0 at the end).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes all `count` bytes or raises EInOutError.
  void Write(const void* data, std::size_t count) override = 0;
  using ByteSink::Write;
  virtual std::int64_t GetPosition() const = 0;
  virtual void SetPosition(std::int64_t position) = 0;
  virtual std::int64_t GetSize() const = 0;

  // Reads exactly `count` bytes or raises EInOutError.
  void ReadBuffer(void* buffer, std::size_t count);
  // Copies the rest of `source` (from its position) into this stream.
  void CopyFrom(TStream& source);
};

class TMemoryStream : public TStream {
 public:
  std::string ClassName() const override { return "TMemoryStream"; }
  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* data, std::size_t count) override;
  using TStream::Write;
  std::int64_t GetPosition() const override { return static_cast<std::int64_t>(position_); }
  void SetPosition(std::int64_t position) override;
  std::int64_t GetSize() const override { return static_cast<std::int64_t>(data_.size()); }
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::string AsString() const { return std::string(data_.begin(), data_.end()); }

 private:
  std::vector<std::uint8_t> data_;
  std::size_t position_ = 0;
};

// A file opened for reading (fmOpenRead), created or emptied (fmCreate, then
// readable too) or opened for both (fmOpenReadWrite). Reads and writes may
// alternate without seeking in between; SetPosition past the end is allowed
// and a later write fills the gap with zeros. Errors raise EInOutError.
class TFileStream : public TStream {
 public:
  enum class Mode { fmOpenRead, fmCreate, fmOpenReadWrite };
  TFileStream(const std::string& fileName, Mode mode);  // raises EInOutError
  ~TFileStream() override;
  std::string ClassName() const override { return "TFileStream"; }
  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* data, std::size_t count) override;
  using TStream::Write;
  std::int64_t GetPosition() const override;
  void SetPosition(std::int64_t position) override;
  std::int64_t GetSize() const override;
  const std::string& FileName() const { return fileName_; }

 private:
  // Switches the C stream between reading and writing, which needs a
  // positioning call in between.
  void Direction(bool writing);

  std::string fileName_;
  std::FILE* file_ = nullptr;
  enum class LastOp { None, Read, Write } lastOp_ = LastOp::None;
};

// Standard input or output as an untyped byte stream (not seekable; the
// position counts the bytes moved). Does not close the descriptor.
class TStdStream : public TStream {
 public:
  enum class Which { Input, Output };
  explicit TStdStream(Which which);
  std::string ClassName() const override { return "TStdStream"; }
  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* data, std::size_t count) override;
  using TStream::Write;
  std::int64_t GetPosition() const override { return moved_; }
  void SetPosition(std::int64_t position) override;
  std::int64_t GetSize() const override { return moved_; }

 private:
  int fd_;
  std::int64_t moved_ = 0;
};

}  // namespace zyl
