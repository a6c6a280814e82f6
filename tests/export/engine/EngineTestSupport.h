// Helpers for the export engine's tests: grids built by hand, a private
// temporary directory (also the process's TMPDIR while a test runs), and
// file listings for leftover checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "datasets/FieldType.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/System.h"

namespace zyl::enginetest {

namespace fs = std::filesystem;

struct TestColumn {
  std::string fieldName;
  TFieldType type = TFieldType::ftString;
  int size = 20;
  bool visible = true;
};

// A cell: its text, and for date columns the DateValue as well.
struct TestCell {
  std::string value;
  double dateValue = 0;
  TestCell(const char* v) : value(v) {}             // NOLINT(google-explicit-constructor)
  TestCell(std::string v) : value(std::move(v)) {}  // NOLINT
  TestCell(std::string v, double date) : value(std::move(v)), dateValue(date) {}
};

inline std::unique_ptr<TZylHTMLGrid> MakeGrid(const std::vector<TestColumn>& columns,
                                              const std::vector<std::vector<TestCell>>& rows) {
  auto grid = std::make_unique<TZylHTMLGrid>(nullptr);
  grid->SetColCount(static_cast<int>(columns.size()));
  grid->SetRowCount(static_cast<int>(rows.size()));
  for (std::size_t c = 0; c < columns.size(); ++c) {
    TZylColumn* column = grid->GetColumns(static_cast<int>(c));
    column->SetFieldName(columns[c].fieldName);
    column->SetDataType(columns[c].type);
    column->SetDataSize(columns[c].size);
    column->SetVisible(columns[c].visible);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      TZylField* cell = grid->GetCells(static_cast<int>(r), static_cast<int>(c));
      cell->SetValue(rows[r][c].value);
      cell->SetDateValue(rows[r][c].dateValue);
    }
  }
  return grid;
}

// A fresh directory under the system's temporary directory that is also
// TMPDIR while the object lives; removed with everything in it afterwards.
class ScopedTempDir {
 public:
  ScopedTempDir() {
    const char* old = std::getenv("TMPDIR");
    if (old != nullptr) oldTmpDir_ = old;
    hadTmpDir_ = old != nullptr;
    std::string pattern = (fs::temp_directory_path() / "zyl-engine-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    ::setenv("TMPDIR", path_.c_str(), 1);
  }
  ~ScopedTempDir() {
    if (hadTmpDir_) {
      ::setenv("TMPDIR", oldTmpDir_.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The directory with a trailing "/".
  std::string Dir() const { return path_ + "/"; }
  std::string File(const std::string& name) const { return Dir() + name; }

  // Names of the files in the directory.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::string path_;
  std::string oldTmpDir_;
  bool hadTmpDir_ = false;
};

}  // namespace zyl::enginetest
