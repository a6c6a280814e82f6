// Reading workbooks back with independent readers (xlrd, LibreOffice)
// through tests/export/xls/read_xls.py, and comparing what they saw with
// what was written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zyl::testing::xls {

// One cell as a reader sees it.
struct Cell {
  enum class Kind { Empty, Text, Number, Date, Bool, Error };
  Kind kind = Kind::Empty;
  std::string text;   // Text
  double number = 0;  // Number, Date (serial)
  bool flag = false;  // Bool
  int error = 0;      // Error: BIFF error code

  static Cell Empty() { return {}; }
  static Cell Text(std::string s) { return {Kind::Text, std::move(s), 0, false, 0}; }
  static Cell Number(double v) { return {Kind::Number, {}, v, false, 0}; }
  static Cell Date(double serial) { return {Kind::Date, {}, serial, false, 0}; }
  static Cell Bool(bool b) { return {Kind::Bool, {}, 0, b, 0}; }
  static Cell Error(int code) { return {Kind::Error, {}, 0, false, code}; }

  // Numbers compare bit for bit (0.0 and -0.0 aside).
  bool operator==(const Cell& o) const;
};
void PrintTo(const Cell& cell, std::ostream* os);

struct Sheet {
  std::string name;
  std::vector<std::vector<Cell>> rows;
};
using Workbook = std::vector<Sheet>;

// The first python3 (the system one first, where Debian's reader packages
// live) that can import every module in `modules`, or nullopt.
std::optional<std::string> FindPython(const std::vector<std::string>& modules);
bool HaveProgram(const std::string& name);

// Runs read_xls.py with `reader` ("xlrd" or "libreoffice") over `paths`.
// Throws std::runtime_error when the script fails.
std::map<std::string, Workbook> ReadWorkbooks(const std::string& python, const std::string& reader,
                                              const std::vector<std::string>& paths);

// Runs a shell command; returns its exit status and puts its stdout in `out`.
int RunCommand(const std::string& command, std::string& out);
std::string ShellQuote(const std::string& s);

// A fresh directory under the system temp directory (removed first if present).
std::filesystem::path FreshTempDir(const std::string& name);
void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

// Empty when `got` holds `want`, else a description of the first difference.
// Cells and rows missing at the ends count as empty, since readers may stop
// at the last non-empty cell.
std::string CompareWorkbooks(const Workbook& got, const Workbook& want);

}  // namespace zyl::testing::xls
