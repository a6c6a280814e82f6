#include "config/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

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

std::string ErrnoText(int err) {
  return std::strerror(err);
}

// A blank or a control character, which INI readers strip from the ends of
// a value (SimpleIni writes such a value as a multi-line block).
bool IsOuterBlank(char c) {
  return c == ' ' || (static_cast<unsigned char>(c) < 0x20);
}

// The value of a quoted line form ("..." with \\ \r \n), or nothing when
// `line` is not one.
std::optional<std::string> Unquote(std::string_view line) {
  if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::nullopt;
  std::string value;
  value.reserve(line.size() - 2);
  for (std::size_t i = 1; i + 1 < line.size(); ++i) {
    if (line[i] != '\\') {
      value += line[i];
      continue;
    }
    if (i + 2 >= line.size()) return std::nullopt;  // a lone backslash at the end
    switch (line[++i]) {
      case '\\': value += '\\'; break;
      case 'r': value += '\r'; break;
      case 'n': value += '\n'; break;
      default: return std::nullopt;
    }
  }
  return value;
}

// True when `value` cannot stand on its line as it is: outer blanks (which
// readers strip), line breaks, or a leading "<<<" (a multi-line block).
bool CannotStandAlone(std::string_view value) {
  if (value.empty()) return false;
  if (IsOuterBlank(value.front()) || IsOuterBlank(value.back())) return true;
  return value.find_first_of("\r\n") != std::string_view::npos || value.starts_with("<<<");
}

bool IsQuoteShaped(std::string_view value) {
  return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// A value is written quoted when it cannot stand alone, or when it would
// itself read as a quoted form: its text inside the quotes cannot stand
// alone or is quote-shaped again. Any other value is written as it is, so a
// line reads as its quoted form only when the value inside needs quotes.
// (No recursion: a file's value of a million quotes costs one pass.)
bool NeedsQuotes(std::string_view value) {
  if (CannotStandAlone(value)) return true;
  std::optional<std::string> inner = Unquote(value);
  return inner && (CannotStandAlone(*inner) || IsQuoteShaped(*inner));
}

// Whether a one-line value read from a file is a quoted line form.
bool IsQuotedLine(std::string_view line) {
  std::optional<std::string> value = Unquote(line);
  return value && NeedsQuotes(*value);
}

std::string Quote(std::string_view value) {
  std::string line = "\"";
  for (char c : value) {
    switch (c) {
      case '\\': line += "\\\\"; break;
      case '\r': line += "\\r"; break;
      case '\n': line += "\\n"; break;
      default: line += c; break;
    }
  }
  line += '"';
  return line;
}

// The value a line form stands for.
std::string ValueOf(const char* line) {
  std::optional<std::string> value = Unquote(line);
  return value && NeedsQuotes(*value) ? std::move(*value) : std::string(line);
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
  // Not UTF-8 aware (bytes as they are), one value per key; multi-line
  // blocks are read (files of earlier versions) but never written: every
  // value is kept in the form it takes on its line.
  CSimpleIniA ini{false, false, true};

  // Turns the values read from multi-line blocks into their line forms.
  void QuoteBlockValues() {
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    for (const auto& section : sections) {
      CSimpleIniA::TNamesDepend keys;
      ini.GetAllKeys(section.pItem, keys);
      for (const auto& key : keys) {
        const char* value = ini.GetValue(section.pItem, key.pItem, "");
        if (!NeedsQuotes(value) || IsQuotedLine(value)) continue;
        ini.SetValue(section.pItem, key.pItem, Quote(value).c_str());
      }
    }
  }
};

IniFile::IniFile(std::string fileName, std::size_t maxBytes)
    : fileName_(std::move(fileName)), impl_(std::make_unique<Impl>()) {
  impl_->ini.SetSpaces(false);
  std::string data = ReadWholeFile(fileName_, maxBytes);
  if (!data.empty() && impl_->ini.LoadData(data) < 0) {
    throw EInOutError("configuration file '" + fileName_ + "': cannot parse");
  }
  impl_->QuoteBlockValues();
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
  const char* line = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
  return line != nullptr ? ValueOf(line) : def;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const char* line = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
  int value = 0;
  if (line == nullptr || !TryStrToInt(ValueOf(line), value)) return def;
  return value;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  const std::string line = NeedsQuotes(value) ? Quote(value) : value;
  if (impl_->ini.SetValue(section.c_str(), key.c_str(), line.c_str()) < 0) {
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
