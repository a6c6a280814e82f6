#include "config/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Exception.h"
#include "platform/FileSink.h"
#include "platform/Format.h"

// Byte strings as they are (no wide-character conversion); names compare
// ignoring ASCII case. Debian's header keeps the template definitions
// behind SI_IMPLEMENTATION: this file instantiates them, so no SimpleIni
// library is linked.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace zyl::config {

namespace {

constexpr const char kTag[] = "END_OF_TEXT";

std::string ErrnoText(int err) {
  return std::strerror(err);
}

bool IsIniSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// SimpleIni writes a value in its multi-line form when it starts or ends
// with white space or holds a line break.
bool WrittenAsMultiLine(const std::string& value) {
  if (value.empty()) return false;
  if (IsIniSpace(value.front()) || IsIniSpace(value.back())) return true;
  return value.find_first_of("\r\n") != std::string::npos;
}

bool SameAsciiText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

// True when a line of the multi-line value would end it early on reading.
bool HoldsEndTag(std::string_view value) {
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = value.size();
    std::string_view line = value.substr(start, end - start);
    while (!line.empty() && IsIniSpace(line.back())) line.remove_suffix(1);
    if (SameAsciiText(line, kTag)) return true;
    start = end + 1;
  }
  return false;
}

std::string ReadWholeFile(const std::string& fileName, std::size_t maxBytes) {
  auto fail = [&](const std::string& why) -> std::string {
    throw EInOutError("configuration file '" + fileName + "': " + why);
  };
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    return fail("cannot open: " + ErrnoText(errno));
  }
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return fail("cannot read: " + ErrnoText(err));
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return fail("is a directory");
  }
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return fail("cannot read: " + ErrnoText(err));
    }
    if (n == 0) break;
    if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
      ::close(fd);
      return fail("larger than " + IntToStr(static_cast<long long>(maxBytes)) + " bytes");
    }
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

}  // namespace

struct IniFile::Impl {
  // Not UTF-8 aware (bytes as they are), one value per key, multi-line values.
  CSimpleIniA ini{false, false, true};
};

IniFile::IniFile(std::string fileName, std::size_t maxBytes)
    : fileName_(std::move(fileName)), impl_(std::make_unique<Impl>()) {
  impl_->ini.SetSpaces(false);
  std::string data = ReadWholeFile(fileName_, maxBytes);
  if (!data.empty() && impl_->ini.LoadData(data) < 0) {
    throw EInOutError("configuration file '" + fileName_ + "': cannot parse");
  }
}

IniFile::~IniFile() = default;

bool IniFile::SectionExists(const std::string& section) const {
  return impl_->ini.GetSection(section.c_str()) != nullptr;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
  return impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr) != nullptr;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  const char* value = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
  return value != nullptr ? std::string(value) : def;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const char* text = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
  int value = 0;
  if (text == nullptr || !TryStrToInt(text, value)) return def;
  return value;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  bool multiLine = WrittenAsMultiLine(value);
  if ((!multiLine && value.rfind("<<<", 0) == 0) || (multiLine && HoldsEndTag(value))) {
    throw EConvertError("configuration file '" + fileName_ + "': [" + section + "] " + key +
                        ": the value cannot be stored (it would read back as another value)");
  }
  if (impl_->ini.SetValue(section.c_str(), key.c_str(), value.c_str()) < 0) {
    throw EInOutError("configuration file '" + fileName_ + "': out of memory");
  }
  dirty_ = true;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, IntToStr(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
  std::string text;
  if (impl_->ini.Save(text, false) < 0) {
    throw EInOutError("configuration file '" + fileName_ + "': cannot format");
  }
  return text;
}

void IniFile::UpdateFile() {
  if (!dirty_) return;
  std::string text = Text();

  // Write where a symbolic link points, and keep an existing file's mode.
  std::string target = fileName_;
  if (char* resolved = ::realpath(fileName_.c_str(), nullptr)) {
    target = resolved;
    std::free(resolved);
  }
  struct stat st {};
  bool existed = ::stat(target.c_str(), &st) == 0;
  if (existed && ::access(target.c_str(), W_OK) != 0) {
    throw EInOutError("configuration file '" + fileName_ + "': cannot write: " + ErrnoText(errno));
  }
  FileSink sink(target);
  sink.Write(text);
  sink.Commit();
  if (existed) {
    // Best effort: the new file takes the old one's permission bits and owner.
    (void)::chmod(target.c_str(), st.st_mode & 07777);
    if (::chown(target.c_str(), st.st_uid, st.st_gid) != 0) {
      // Only root may give a file away; the file stays the writer's own.
    }
  }
  dirty_ = false;
}

}  // namespace zyl::config
