// Golden files of the export tests: the expected output is a file under
// tests/export/.../golden/, compared byte for byte. ZYL_UPDATE_GOLDEN=1
// rewrites the files instead (check the change with the read-back test
// and `git diff` before committing it).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace zyl::exporttest {

inline std::string GoldenPath(const std::string& relative) {
  return std::string(ZYL_SOURCE_DIR) + "/tests/export/" + relative;
}

// Bytes as lines of "offset: 16 hex bytes", so that a difference shows
// where it is in the file and a golden file diffs line by line; a run of
// lines equal to the one before is one "*" line (as hexdump writes it), and
// the last line is the size.
inline std::string HexDump(const std::string& bytes) {
  std::string out;
  char buf[24];
  bool starred = false;
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    if (at >= 16 && bytes.compare(at, 16, bytes, at - 16, 16) == 0 && bytes.size() - at >= 16) {
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

// Compares `actual` with the golden file; a failure names the first line
// that differs.
inline void ExpectGolden(const std::string& relative, const std::string& actual) {
  const std::string path = GoldenPath(relative);
  const char* update = std::getenv("ZYL_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "missing golden file " << path << " (ZYL_UPDATE_GOLDEN=1 writes it)";
  std::stringstream expected;
  expected << in.rdbuf();
  if (expected.str() == actual) return;
  std::istringstream a(actual), e(expected.str());
  std::string al, el;
  for (int line = 1;; ++line) {
    const bool ha = static_cast<bool>(std::getline(a, al));
    const bool he = static_cast<bool>(std::getline(e, el));
    if (al != el || ha != he) {
      ADD_FAILURE() << relative << " line " << line << " differs:\n  want: " << (he ? el : "(end)")
                    << "\n  got:  " << (ha ? al : "(end)");
      return;
    }
  }
}

}  // namespace zyl::exporttest
