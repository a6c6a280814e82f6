#include <gtest/gtest.h>

#include "apps/zylgrid/ImageSet.h"

namespace zylgrid {
namespace {

const std::string kImages = ZYL_SOURCE_DIR "/assets/images";

TEST(ZylgridImageSet, ServesBothSpellingsOfTheTabImage) {
  std::string lower;
  std::string upper;
  ASSERT_TRUE(ReadImage(kImages, "GTab.gif", lower));
  ASSERT_TRUE(ReadImage(kImages, "GTab.Gif", upper));
  EXPECT_EQ(lower.substr(0, 3), "GIF");
  EXPECT_EQ(upper.substr(0, 3), "GIF");
  EXPECT_EQ(ImageContentType("GTab.Gif"), "image/gif");
}

TEST(ZylgridImageSet, RefusesPathsHiddenFilesAndMissingNames) {
  std::string bytes;
  EXPECT_FALSE(ReadImage(kImages, "../images/GTab.gif", bytes));
  EXPECT_FALSE(ReadImage(kImages, "..", bytes));
  EXPECT_FALSE(ReadImage(kImages, ".hidden", bytes));
  EXPECT_FALSE(ReadImage(kImages, "sub/GTab.gif", bytes));
  EXPECT_FALSE(ReadImage(kImages, "GTab.gif%00", bytes));
  EXPECT_FALSE(ReadImage(kImages, "NoSuch.gif", bytes));
  EXPECT_FALSE(ReadImage(kImages, "", bytes));
  EXPECT_EQ(ImageContentType("x.bin"), "application/octet-stream");
}

}  // namespace
}  // namespace zylgrid
