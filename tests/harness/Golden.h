// Output compared byte for byte with a file under tests/; ZYL_UPDATE_GOLDEN=1
// writes the file instead (review the difference before committing it).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

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

}  // namespace zyl::harness
