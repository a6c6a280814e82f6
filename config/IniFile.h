// IniFile: the INI file behind the grid's configuration, read and written
// one key at a time (internal to config/).
//
// It behaves as a file-backed INI object: a missing key or section reads as
// the default the caller passes; section and key names compare ignoring
// (ASCII) case; sections, keys and comments that are not written again
// stay as they were. Parsing and formatting are SimpleIni's. Writes are
// kept in memory and reach the file through UpdateFile(), which replaces
// the file atomically (temporary file beside it, then rename), so a write
// that fails half-way leaves the old file intact.
//
// Every value stands on its own Key=Value line, so that other INI readers
// (Python's configparser among them) read the file. A value that could not
// stand there as it is (outer blanks or control characters, line breaks, a
// leading "<<<", or text that reads as the quoted form) is written in double
// quotes with \\, \r and \n for backslash, CR and LF; every value reads
// back exactly. SimpleIni's multi-line blocks (key=<<<END_OF_TEXT ...
// END_OF_TEXT) of earlier files are read, and written again quoted.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace zyl::config {

class IniFile {
 public:
  // Files larger than this are refused (a configuration is a few kilobytes).
  static constexpr std::size_t kDefaultMaxBytes = std::size_t{64} << 20;

  // Reads `fileName` when it exists; a missing file reads as empty. Throws
  // EInOutError when the file exists but cannot be read or is larger than
  // `maxBytes`. Nothing touches the file until UpdateFile().
  explicit IniFile(std::string fileName, std::size_t maxBytes = kDefaultMaxBytes);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  const std::string& FileName() const { return fileName_; }

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;

  // The value as written in the file, or `def` when the key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // The value as an integer (decimal, or hex after "$" or "0x"); `def`
  // when the key is missing or its value is not an integer.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // ReadInteger(..., def ? 1 : 0) != 0.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  // Sets the value in memory, adding the section and key when missing (an
  // existing key keeps its place).
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // The whole content as it would be written.
  std::string Text() const;
  // Writes the content to the file when anything was written since it was
  // read: to a temporary file beside it, renamed over it once complete (a
  // symbolic link is followed; an existing file keeps its permission bits).
  // Throws EInOutError; the old file is then left as it was.
  void UpdateFile();

 private:
  struct Impl;
  std::string fileName_;
  std::unique_ptr<Impl> impl_;
  bool dirty_ = false;
};

}  // namespace zyl::config
