// A fresh TMPDIR for one test, so lock and temporary files of different
// tests never meet; removed with its content afterwards.
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
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of the entries ending in `suffix`, sorted.
  std::vector<std::string> Entries(const std::string& suffix = "") const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      if (entry.path().filename().string().ends_with(suffix)) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Removes the update locks: as if another page had added or deleted a record.
  void DropLocks() const {
    for (const std::string& name : Entries(".upd")) std::filesystem::remove(path_ / name);
  }

 private:
  std::filesystem::path path_;
  std::optional<std::string> old_;
};

}  // namespace zyl::harness
