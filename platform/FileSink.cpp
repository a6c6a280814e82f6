#include "platform/FileSink.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zyl {

namespace {

std::string RandomSuffix() {
  unsigned char bytes[6];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    for (auto& b : bytes) b = static_cast<unsigned char>(std::rand());
  }
  static const char kHex[] = "0123456789abcdef";
  std::string s;
  for (unsigned char b : bytes) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

std::string ErrnoText() { return std::strerror(errno); }

}  // namespace

FileSink::FileSink(std::string target) : target_(std::move(target)) {
  tempName_ = target_ + "." + RandomSuffix() + ".tmp";
  int fd = ::open(tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    throw EInOutError("file '" + target_ + "': cannot create temporary file: " + ErrnoText());
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    ::unlink(tempName_.c_str());
    throw EInOutError("file '" + target_ + "': cannot open temporary file: " + ErrnoText());
  }
}

FileSink::~FileSink() {
  if (file_ != nullptr) std::fclose(file_);
  if (!committed_) ::unlink(tempName_.c_str());
}

void FileSink::Write(const void* data, std::size_t n) {
  if (file_ == nullptr) throw EInOutError("file '" + target_ + "': already closed");
  if (n != 0 && std::fwrite(data, 1, n, file_) != n) {
    throw EInOutError("file '" + target_ + "': write failed: " + ErrnoText());
  }
}

void FileSink::Commit() {
  if (file_ == nullptr) throw EInOutError("file '" + target_ + "': already closed");
  bool ok = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (!ok) throw EInOutError("file '" + target_ + "': write failed: " + ErrnoText());
  if (::rename(tempName_.c_str(), target_.c_str()) != 0) {
    throw EInOutError("file '" + target_ + "': cannot rename temporary file: " + ErrnoText());
  }
  committed_ = true;
}

}  // namespace zyl
