#include "platform/Stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zyl {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    std::size_t n = Read(p + done, count - done);
    if (n == 0) throw EInOutError("Stream read error");
    done += n;
  }
}

void TStream::CopyFrom(TStream& source) {
  std::vector<std::uint8_t> buf(65536);
  for (;;) {
    std::size_t n = source.Read(buf.data(), buf.size());
    if (n == 0) break;
    Write(buf.data(), n);
  }
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= data_.size()) return 0;
  std::size_t n = std::min(count, data_.size() - position_);
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

void TMemoryStream::Write(const void* data, std::size_t count) {
  if (count == 0) return;
  if (position_ + count > data_.size()) data_.resize(position_ + count);
  std::memcpy(data_.data() + position_, data, count);
  position_ += count;
}

void TMemoryStream::SetPosition(std::int64_t position) {
  if (position < 0) throw EInOutError("Stream position out of range");
  position_ = static_cast<std::size_t>(position);
}

TFileStream::TFileStream(const std::string& fileName, Mode mode) : fileName_(fileName) {
  const char* how = mode == Mode::fmOpenRead ? "rb" : (mode == Mode::fmCreate ? "wb+" : "rb+");
  file_ = std::fopen(fileName.c_str(), how);
  if (file_ == nullptr) {
    throw EInOutError(std::string(mode == Mode::fmOpenRead ? "Cannot open file \"" : "Cannot create file \"") +
                      fileName + "\". " + std::strerror(errno));
  }
}

TFileStream::~TFileStream() {
  if (file_ != nullptr) std::fclose(file_);
}

void TFileStream::Direction(bool writing) {
  LastOp next = writing ? LastOp::Write : LastOp::Read;
  if (lastOp_ != LastOp::None && lastOp_ != next) std::fseek(file_, 0, SEEK_CUR);
  lastOp_ = next;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  Direction(false);
  std::size_t n = std::fread(buffer, 1, count, file_);
  if (n < count && std::ferror(file_)) throw EInOutError("file '" + fileName_ + "': read error");
  return n;
}

void TFileStream::Write(const void* data, std::size_t count) {
  Direction(true);
  if (count != 0 && std::fwrite(data, 1, count, file_) != count) {
    throw EInOutError("file '" + fileName_ + "': write error: " + std::strerror(errno));
  }
}

std::int64_t TFileStream::GetPosition() const { return std::ftell(file_); }

void TFileStream::SetPosition(std::int64_t position) {
  if (position < 0 || std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) {
    throw EInOutError("file '" + fileName_ + "': seek error");
  }
  lastOp_ = LastOp::None;
}

std::int64_t TFileStream::GetSize() const {
  if (lastOp_ == LastOp::Write) std::fflush(file_);  // buffered bytes count
  struct stat st{};
  if (::fstat(::fileno(file_), &st) != 0) {
    throw EInOutError("file '" + fileName_ + "': " + std::strerror(errno));
  }
  return static_cast<std::int64_t>(st.st_size);
}

TStdStream::TStdStream(Which which) : fd_(which == Which::Input ? 0 : 1) {}

std::size_t TStdStream::Read(void* buffer, std::size_t count) {
  for (;;) {
    ssize_t n = ::read(fd_, buffer, count);
    if (n >= 0) {
      moved_ += n;
      return static_cast<std::size_t>(n);
    }
    if (errno != EINTR) throw EInOutError(std::string("standard input: ") + std::strerror(errno));
  }
}

void TStdStream::Write(const void* data, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(std::string("standard output: ") + std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
  moved_ += static_cast<std::int64_t>(count);
}

void TStdStream::SetPosition(std::int64_t position) {
  if (position != moved_) throw EInOutError("standard streams cannot seek");
}

}  // namespace zyl
