// A private temporary directory for one test: created fresh, made the
// system's temporary directory (TMPDIR) for the test's duration, so update
// locks and temporary files of different tests never meet, and removed
// with everything in it afterwards.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/System.h"

namespace zyl::harness {

class PrivateTempDir {
 public:
  PrivateTempDir() : path_(std::filesystem::temp_directory_path() / ("zyl-test-" + CreateGuidString())) {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    std::filesystem::create_directories(path_);
    ::setenv("TMPDIR", path_.c_str(), 1);
  }
  ~PrivateTempDir() {
    old_ ? ::setenv("TMPDIR", old_->c_str(), 1) : ::unsetenv("TMPDIR");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  PrivateTempDir(const PrivateTempDir&) = delete;
  PrivateTempDir& operator=(const PrivateTempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // `name` inside the directory.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of the directory's entries, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
  std::optional<std::string> old_;
};

}  // namespace zyl::harness
