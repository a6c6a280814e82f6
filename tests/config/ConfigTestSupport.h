// Helpers for the configuration tests: a scratch folder per test and a
// small independent reader of INI text (sections and keys in file order).
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace zyl::testing {

// A fresh folder under the temporary directory, removed with everything
// in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zylcfg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }
  // Names of the files in the folder.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) {
      names.push_back(e.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << text;
}

// One section of an INI text: its name and its 'key=value' lines in order.
struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;

  const std::string* Find(const std::string& key) const {
    for (const auto& e : entries) {
      if (e.first == key) return &e.second;
    }
    return nullptr;
  }
};

inline std::vector<IniSection> ParseIni(const std::string& text) {
  std::vector<IniSection> sections;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      sections.push_back({line.substr(1, line.find(']') - 1), {}});
      continue;
    }
    auto eq = line.find('=');
    if (eq == std::string::npos || sections.empty()) continue;
    sections.back().entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
  }
  return sections;
}

inline const IniSection* FindSection(const std::vector<IniSection>& sections,
                                     const std::string& name) {
  for (const auto& s : sections) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

}  // namespace zyl::testing
