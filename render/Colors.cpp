// The grid's colour functions. Every colour attribute of the rendered HTML
// rests on them: ColorToRGB turns a TColor (0x00BBGGRR) into the order the
// HTML writes (0xRRGGBB); AddBrigthness derives the bevel shades of
// captions and toolbars; MixColors tints cells with their row's colour.
// All three read the raw channel bytes: the high byte is ignored and
// system colours are not resolved.
#include <algorithm>

#include "grid/ZylHTMLGrid.h"

namespace zyl {

namespace {

int Red(TColor c) { return static_cast<int>(c & 0xFFu); }
int Green(TColor c) { return static_cast<int>((c >> 8) & 0xFFu); }
int Blue(TColor c) { return static_cast<int>((c >> 16) & 0xFFu); }

TColor FromChannels(int red, int green, int blue) {
  auto clamp = [](int v) { return static_cast<TColor>(std::clamp(v, 0, 255)); };
  return clamp(red) | (clamp(green) << 8) | (clamp(blue) << 16);
}

// The mean of two channel values, halves rounded to the even neighbour
// (255 and 0 give 128, 2 and 3 give 2).
int Mean(int a, int b) {
  int sum = a + b;
  int mean = sum / 2;
  if (sum % 2 != 0 && mean % 2 != 0) ++mean;
  return mean;
}

}  // namespace

std::uint32_t TZylHTMLGrid::ColorToRGB(TColor color) {
  return (static_cast<std::uint32_t>(Red(color)) << 16) |
         (static_cast<std::uint32_t>(Green(color)) << 8) | static_cast<std::uint32_t>(Blue(color));
}

TColor TZylHTMLGrid::AddBrigthness(TColor color, int delta) {
  // Sums in 64 bits: a delta near the int limits must clamp, not overflow.
  auto add = [delta](int channel) {
    long long sum = static_cast<long long>(channel) + delta;
    return static_cast<int>(std::clamp(sum, 0LL, 255LL));
  };
  return FromChannels(add(Red(color)), add(Green(color)), add(Blue(color)));
}

TColor TZylHTMLGrid::MixColors(TColor color1, TColor color2) {
  // White and the no-colour value are neutral.
  if (color1 == clNone && color2 == clNone) return clNone;
  if (color1 == clNone) return color2;
  if (color2 == clNone) return color1;
  if (color2 == clWhite) return color1;
  if (color1 == clWhite) return color2;
  return FromChannels(Mean(Red(color1), Red(color2)), Mean(Green(color1), Green(color2)),
                      Mean(Blue(color1), Blue(color2)));
}

}  // namespace zyl
