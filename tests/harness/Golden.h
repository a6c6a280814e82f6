// Output compared byte for byte with a file under tests/; ZYL_UPDATE_GOLDEN=1
// writes the file instead (review the difference before committing it).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zyl::harness {

inline void ExpectGolden(const std::string& underTests, const std::string& actual) {
  const std::string path = std::string(ZYL_SOURCE_DIR) + "/tests/" + underTests;
  if (std::getenv("ZYL_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "no golden file " << path << " (ZYL_UPDATE_GOLDEN=1 writes it)";
  const std::string expected{std::istreambuf_iterator<char>(in), {}};
  if (actual == expected) return;
  auto at = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  auto line = [](const std::string& text, std::size_t pos) {
    std::size_t start = text.rfind('\n', pos == 0 ? 0 : pos - 1);
    start = start == std::string::npos || pos == 0 ? 0 : start + 1;
    return ::testing::PrintToString(text.substr(start, text.find('\n', pos) - start));
  };
  std::size_t pos = static_cast<std::size_t>(at.first - expected.begin());
  ADD_FAILURE() << path << " differs at line " << 1 + std::count(expected.begin(), at.first, '\n')
                << "\n  expected: " << line(expected, pos) << "\n  actual:   " << line(actual, pos);
}

// The cases of a data file under tests/, one a line: fields split at '|' and
// trimmed; blank lines and lines starting with '#' skipped.
inline std::vector<std::vector<std::string>> ReadCases(const std::string& underTests) {
  std::ifstream in(std::string(ZYL_SOURCE_DIR) + "/tests/" + underTests);
  std::vector<std::vector<std::string>> cases;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    cases.emplace_back();
    for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
      bar = line.find('|', start);
      std::string field = line.substr(start, bar == std::string::npos ? bar : bar - start);
      field.erase(0, field.find_first_not_of(' '));
      cases.back().push_back(field.erase(field.find_last_not_of(' ') + 1));
    }
  }
  EXPECT_FALSE(cases.empty()) << "no cases in tests/" << underTests;
  return cases;
}

}  // namespace zyl::harness
