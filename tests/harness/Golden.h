// Output compared byte for byte with a file under tests/; ZYL_UPDATE_GOLDEN=1
// writes the file instead (review the difference before committing it). Cases
// read from data files, and the message an operation raised.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Exception.h"

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

// Bytes as lines of "offset: 16 hex bytes", so that a binary golden file
// diffs line by line and a difference shows where it is; a run of lines
// equal to the one before is one "*" line (as hexdump writes it), and the
// last line is the size.
inline std::string HexDump(const std::string& bytes) {
  std::string out;
  char buf[24];
  bool starred = false;
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    if (at >= 16 && bytes.size() - at >= 16 && bytes.compare(at, 16, bytes, at - 16, 16) == 0) {
      if (!starred) out += "*\n";
      starred = true;
      continue;
    }
    starred = false;
    std::snprintf(buf, sizeof buf, "%06zx:", at);
    out += buf;
    for (std::size_t i = at; i < bytes.size() && i < at + 16; ++i) {
      std::snprintf(buf, sizeof buf, " %02x", static_cast<unsigned char>(bytes[i]));
      out += buf;
    }
    out += '\n';
  }
  std::snprintf(buf, sizeof buf, "%06zx", bytes.size());
  return out + buf + "\n";
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

// The message of the zyl::Exception that `op` raises, or "no error".
inline std::string MessageOf(const std::function<void()>& op) {
  try {
    op();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace zyl::harness
