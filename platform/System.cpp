#include "platform/System.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/Exception.h"

namespace zyl {

namespace fs = std::filesystem;

bool GetEnvVar(const std::string& name, std::string& value) {
  const char* v = std::getenv(name.c_str());
  if (v == nullptr) return false;
  value = v;
  return true;
}

std::string ModuleFileName() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "zylhg";
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string TempDirectory() {
  std::string dir;
  if (!GetEnvVar("TMPDIR", dir) || dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string CreateUniqueTempFile(const std::string& directory, const std::string& prefix) {
  std::string pattern = directory;
  if (!pattern.empty() && pattern.back() != '/') pattern += '/';
  pattern += prefix + "XXXXXX";
  std::string buf = pattern;
  int fd = ::mkstemp(buf.data());
  if (fd < 0) {
    throw EInOutError("cannot create a temporary file in '" + directory +
                      "': " + std::strerror(errno));
  }
  ::close(fd);
  return buf;
}

bool FileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFile(const std::string& name) {
  return ::unlink(name.c_str()) == 0;
}

void CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    throw EInOutError("cannot copy '" + from + "' to '" + to + "': " + ec.message());
  }
}

int DeleteFiles(const std::string& directory, const std::string& pattern) {
  int deleted = 0;
  std::error_code ec;
  std::string dir = directory.empty() ? std::string(".") : directory;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code sec;
    if (!it->is_regular_file(sec)) continue;
    std::string name = it->path().filename().string();
    if (::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
    if (::unlink(it->path().c_str()) == 0) ++deleted;
  }
  return deleted;
}

std::string EscapeWildcards(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string ReadFileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) throw EInOutError("cannot open '" + name + "' for reading");
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EInOutError("cannot read '" + name + "'");
  return data;
}

std::string ExtractFileName(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFilePath(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  std::size_t slash = path.find_last_of('/');
  std::size_t dot = path.find_last_of('.');
  std::string out;
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
    out.assign(path.substr(0, dot));
  } else {
    out.assign(path);
  }
  out += ext;
  return out;
}

std::string CreateGuidString() {
  unsigned char b[16];
  std::size_t got = 0;
  while (got < sizeof b) {
    ssize_t n = ::getrandom(b + got, sizeof b - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(std::string("cannot read random bytes: ") + std::strerror(errno));
    }
    got += static_cast<std::size_t>(n);
  }
  b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(36);
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) s += '-';
    s += kHex[b[i] >> 4];
    s += kHex[b[i] & 15];
  }
  return s;
}

bool IsGuidString(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') return false;
    } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) {
      return false;
    }
  }
  return true;
}

ExclusiveFileLock::ExclusiveFileLock(const std::string& path, std::string_view what, unsigned mode,
                                     bool ownOnly) {
  auto fail = [&](const std::string& reason) {
    if (fd_ >= 0) ::close(fd_);
    throw EInOutError(std::string(what) + " '" + path + "': " + reason);
  };
  fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd_ < 0) fail(std::string("cannot open: ") + std::strerror(errno));
  struct stat st {};
  bool plain = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) &&
               (!ownOnly || (st.st_uid == ::geteuid() && st.st_nlink == 1));
  if (!plain) fail("the name is taken by another kind of file");
  int rc = 0;
  while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (rc != 0) fail(std::string("cannot lock: ") + std::strerror(errno));
}

ExclusiveFileLock::~ExclusiveFileLock() {
  ::close(fd_);  // releases the lock
}

}  // namespace zyl
