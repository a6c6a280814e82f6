// The colour functions: channel order, brightness shifts and row tints.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"

namespace zyl {
namespace {

using G = TZylHTMLGrid;

TEST(Colors, ColorToRgbSwapsRedAndBlueAndDropsTheHighByte) {
  EXPECT_EQ(G::ColorToRGB(0x0000FF), 0xFF0000u);  // red
  EXPECT_EQ(G::ColorToRGB(0xC8D0D4), 0xD4D0C8u);
  EXPECT_EQ(G::ColorToRGB(clNone), 0xFFFFFFu);
  EXPECT_EQ(G::ColorToRGB(clBtnFace), 0x0F0000u);  // system colours are not resolved
}

TEST(Colors, AddBrightnessShiftsEachChannelAndClamps) {
  EXPECT_EQ(G::AddBrigthness(0xC8D0D4, 47), 0xF7FFFFu);  // red FF, green FF, blue F7
  EXPECT_EQ(G::AddBrigthness(0xC8D0D4, -80), 0x788084u);
  EXPECT_EQ(G::AddBrigthness(0x000000, -80), 0x000000u);
  EXPECT_EQ(G::AddBrigthness(clNone, 32), 0xFFFFFFu);
  EXPECT_EQ(G::AddBrigthness(0x102030, 0x7FFFFFFF), 0xFFFFFFu);
  EXPECT_EQ(G::AddBrigthness(0x102030, -0x7FFFFFFF - 1), 0x000000u);
}

TEST(Colors, MixTreatsWhiteAndNoColourAsNeutral) {
  EXPECT_EQ(G::MixColors(clNone, clNone), clNone);
  EXPECT_EQ(G::MixColors(clNone, 0xFFFFFF), 0xFFFFFFu);
  EXPECT_EQ(G::MixColors(0xFFFFFF, 0x0000FF), 0x0000FFu);
  EXPECT_EQ(G::MixColors(0x0000FF, 0xFFFFFF), 0x0000FFu);
  EXPECT_EQ(G::MixColors(0x123456, clNone), 0x123456u);
}

TEST(Colors, MixRoundsHalvesToTheEvenNeighbour) {
  // 255 + 0 halves to 127.5 and rounds to 128.
  EXPECT_EQ(G::MixColors(0x0000FF, 0xFF0000), 0x800080u);
  // 2 + 3 halves to 2.5 and rounds to 2; 4 + 5 to 4.5 and rounds to 4.
  EXPECT_EQ(G::MixColors(0x000402, 0x000503), 0x000402u);
  // Whole means stay as they are; the high byte is not carried over.
  EXPECT_EQ(G::MixColors(0x80000010, 0x00000030), 0x000020u);
}

}  // namespace
}  // namespace zyl
