#include "platform/FileSink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

fs::path TempDir() {
  fs::path dir = fs::temp_directory_path() / ("zyl_filesink_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(FileSink, CommitReplacesTargetAtomically) {
  fs::path dir = TempDir();
  fs::path target = dir / "out.bin";
  { std::ofstream(target) << "old"; }
  {
    zyl::FileSink sink(target.string());
    sink.Write("new content");
    EXPECT_EQ(ReadAll(target), "old");  // the target is untouched until Commit
    sink.Commit();
  }
  EXPECT_EQ(ReadAll(target), "new content");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
  fs::remove_all(dir);
}

TEST(FileSink, AbandonedSinkLeavesNoPartialFile) {
  fs::path dir = TempDir();
  fs::path target = dir / "never.bin";
  {
    zyl::FileSink sink(target.string());
    sink.Write("half");
  }
  EXPECT_FALSE(fs::exists(target));
  EXPECT_TRUE(fs::is_empty(dir));
  fs::remove_all(dir);
}

TEST(FileSink, UnwritableDirectoryThrows) {
  EXPECT_THROW(zyl::FileSink("/nonexistent-dir/x.bin"), zyl::EInOutError);
}
