#include "ReadBack.h"

#include <sys/wait.h>
#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "export/MiniJson.h"

namespace zyl::testing::xls {
namespace {

Cell CellFrom(const json::Value& v) {
  using K = json::Value::Kind;
  if (v.kind == K::Null) return Cell::Empty();
  if (v.kind != K::Array || v.array.size() != 2 || v.array[0].kind != K::String) {
    throw std::runtime_error("read_xls.py: unexpected cell form");
  }
  const std::string& tag = v.array[0].string;
  const json::Value& x = v.array[1];
  if (tag == "s") return Cell::Text(x.string);
  if (tag == "n") return Cell::Number(x.number);
  if (tag == "d") return Cell::Date(x.number);
  if (tag == "b") return Cell::Bool(x.boolean);
  if (tag == "e") return Cell::Error(static_cast<int>(x.number));
  throw std::runtime_error("read_xls.py: unknown cell tag " + tag);
}

std::string Describe(const Cell& c) {
  std::ostringstream os;
  PrintTo(c, &os);
  return os.str();
}

}  // namespace

bool Cell::operator==(const Cell& o) const {
  if (kind != o.kind) return false;
  switch (kind) {
    case Kind::Empty:
      return true;
    case Kind::Text:
      return text == o.text;
    case Kind::Number:
    case Kind::Date:
      return std::bit_cast<std::uint64_t>(number) == std::bit_cast<std::uint64_t>(o.number) ||
             (number == 0 && o.number == 0);
    case Kind::Bool:
      return flag == o.flag;
    case Kind::Error:
      return error == o.error;
  }
  return false;
}

void PrintTo(const Cell& c, std::ostream* os) {
  char num[40];
  std::snprintf(num, sizeof num, "%.17g", c.number);
  switch (c.kind) {
    case Cell::Kind::Empty:
      *os << "empty";
      break;
    case Cell::Kind::Text:
      *os << "text(" << c.text.size() << " bytes) \"" << c.text.substr(0, 60)
          << (c.text.size() > 60 ? "...\"" : "\"");
      break;
    case Cell::Kind::Number:
      *os << "number " << num;
      break;
    case Cell::Kind::Date:
      *os << "date " << num;
      break;
    case Cell::Kind::Bool:
      *os << "bool " << (c.flag ? "true" : "false");
      break;
    case Cell::Kind::Error:
      *os << "error " << c.error;
      break;
  }
}

int RunCommand(const std::string& command, std::string& out) {
  out.clear();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

std::optional<std::string> FindPython(const std::vector<std::string>& modules) {
  std::string imports = "import sys";
  for (const std::string& m : modules) imports += "; import " + m;
  for (const char* candidate : {"/usr/bin/python3", "python3"}) {
    std::string out;
    if (RunCommand(std::string(candidate) + " -c " + ShellQuote(imports) + " >/dev/null 2>&1",
                   out) == 0) {
      return std::string(candidate);
    }
  }
  return std::nullopt;
}

bool HaveProgram(const std::string& name) {
  std::string out;
  return RunCommand("command -v " + ShellQuote(name) + " >/dev/null 2>&1", out) == 0;
}

std::map<std::string, Workbook> ReadWorkbooks(const std::string& python, const std::string& reader,
                                              const std::vector<std::string>& paths) {
  std::string command = python + " " +
                        ShellQuote(std::string(ZYL_SOURCE_DIR) + "/tests/export/xls/read_xls.py") +
                        " " + reader;
  for (const std::string& p : paths) command += " " + ShellQuote(p);
  std::string out;
  if (RunCommand(command, out) != 0) throw std::runtime_error("read_xls.py " + reader + " failed");
  const json::Value doc = json::Parse(out);
  std::map<std::string, Workbook> books;
  for (std::size_t i = 0; i < doc.keys.size(); ++i) {
    Workbook& book = books[doc.keys[i]];
    for (const json::Value& s : doc.members[i].array) {
      Sheet sheet;
      sheet.name = s.Find("name")->string;
      for (const json::Value& row : s.Find("rows")->array) {
        auto& cells = sheet.rows.emplace_back();
        cells.reserve(row.array.size());
        for (const json::Value& cell : row.array) cells.push_back(CellFrom(cell));
      }
      book.push_back(std::move(sheet));
    }
  }
  return books;
}

std::filesystem::path FreshTempDir(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string CompareWorkbooks(const Workbook& got, const Workbook& want) {
  std::ostringstream diff;
  if (got.size() != want.size()) {
    diff << "read " << got.size() << " sheets, wrote " << want.size();
    return diff.str();
  }
  static const std::vector<Cell> kNoRow;
  for (std::size_t s = 0; s < want.size(); ++s) {
    if (got[s].name != want[s].name) {
      diff << "sheet " << s + 1 << ": read name '" << got[s].name << "', wrote '" << want[s].name
           << "'";
      return diff.str();
    }
    const auto& g = got[s].rows;
    const auto& w = want[s].rows;
    for (std::size_t r = 0; r < std::max(g.size(), w.size()); ++r) {
      const auto& grow = r < g.size() ? g[r] : kNoRow;
      const auto& wrow = r < w.size() ? w[r] : kNoRow;
      for (std::size_t c = 0; c < std::max(grow.size(), wrow.size()); ++c) {
        const Cell a = c < grow.size() ? grow[c] : Cell::Empty();
        const Cell b = c < wrow.size() ? wrow[c] : Cell::Empty();
        if (!(a == b)) {
          diff << "sheet '" << want[s].name << "' R" << r + 1 << "C" << c + 1 << ": read "
               << Describe(a) << ", wrote " << Describe(b);
          return diff.str();
        }
      }
    }
  }
  return {};
}

}  // namespace zyl::testing::xls
