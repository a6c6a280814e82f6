#include "apps/zylgrid/ImageSet.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Text.h"

namespace zylgrid {

bool ReadImage(const std::string& folder, const std::string& name, std::string& bytes) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  bool plain = std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return std::isalnum(c) != 0 || c == '.' || c == '_' || c == '-';
  });
  if (!plain || ImageContentType(name).rfind("image/", 0) != 0) return false;
  std::filesystem::path path = std::filesystem::path(folder) / name;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  bytes = out.str();
  return true;
}

std::string ImageContentType(const std::string& name) {
  const std::string lower = zyl::AsciiLowerCase(name);
  if (lower.ends_with(".gif")) return "image/gif";
  if (lower.ends_with(".png")) return "image/png";
  return "application/octet-stream";
}

}  // namespace zylgrid
