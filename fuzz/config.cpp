// Fuzzes configuration files and the font and sort-button texts: whatever
// a file holds, loading it into a grid must not crash; conversion errors
// (zyl::Exception) are the expected way to refuse it. A loaded grid is
// also saved again, which walks everything the file could set.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/GridConfig.h"
#include "grid/ZylHTMLGrid.h"

namespace {

// Small bounds keep every input fast; the bounding itself is what is tested.
zyl::ConfigLimits FuzzLimits() {
  zyl::ConfigLimits limits;
  limits.maxRows = 64;
  limits.maxCols = 32;
  limits.maxCells = 512;
  limits.maxFileBytes = 1 << 20;
  return limits;
}

// Files in memory where the system offers it (saving syncs its file),
// removed when the fuzzer exits.
std::string ScratchName(const char* suffix) {
  static const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return folder + "/fuzz_config_" + std::to_string(::getpid()) + suffix;
}

const std::string in = ScratchName(".ini");
const std::string out = ScratchName("_out.ini");

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit([] { std::remove(in.c_str()); std::remove(out.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (std::FILE* f = std::fopen(in.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }

  zyl::TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  try {
    zyl::LoadGridConfig(grid, in, FuzzLimits());
    std::remove(out.c_str());
    grid.SaveConfig(out);
  } catch (const zyl::Exception&) {
  }

  zyl::TFont font;
  try {
    zyl::StringToFont(text, font);
    (void)zyl::FontToString(font);
  } catch (const zyl::Exception&) {
  }
  zyl::TZylGlyph glyph(&grid, nullptr);
  try {
    zyl::StringToGlyph(text, glyph);
    (void)zyl::GlyphToString(glyph);
  } catch (const zyl::Exception&) {
  }
  return 0;
}
