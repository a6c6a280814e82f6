#include "platform/Color.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/Exception.h"
#include "platform/Locale.h"
#include "platform/Text.h"

namespace zyl {

namespace {

struct ColorIdent {
  TColor value;
  const char* name;
};

constexpr ColorIdent kIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

// The classic scheme's values for the system colour indices 0..24.
constexpr std::array<TColor, 25> kSystemColors{{
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
    0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF,
}};

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

bool ColorToIdent(TColor color, std::string& ident) {
  for (const auto& entry : kIdents) {
    if (entry.value == color) {
      ident = entry.name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(std::string_view ident, TColor& color) {
  for (const auto& entry : kIdents) {
    if (AnsiSameText(ident, entry.name)) {
      color = entry.value;
      return true;
    }
  }
  return false;
}

std::string ColorToString(TColor color) {
  std::string ident;
  if (ColorToIdent(color, ident)) return ident;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(color));
  return buf;
}

TColor StringToColor(std::string_view text) {
  TColor color = 0;
  if (IdentToColor(text, color)) return color;
  std::string_view digits = text;
  int base = 10;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (!digits.empty() && digits[0] == '$') {
    base = 16;
    digits.remove_prefix(1);
  } else if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  auto fail = [&]() -> TColor {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  };
  if (digits.empty() || digits.size() > (base == 16 ? 8u : 10u)) return fail();
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0 || d >= base) return fail();
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
  }
  // Decimal text covers the signed and the unsigned 32-bit range.
  if (base == 10 && value > (negative ? 0x80000000u : 0xFFFFFFFFu)) return fail();
  auto result = static_cast<TColor>(value);
  return negative ? static_cast<TColor>(0u - result) : result;
}

TColor ResolveColor(TColor color) {
  if ((color & 0xFF000000u) == 0x80000000u) {
    std::uint32_t index = color & 0xFFu;
    return index < kSystemColors.size() ? kSystemColors[index] : 0x000000;
  }
  return color & 0x00FFFFFFu;
}

std::uint32_t ColorToRGB(TColor color) {
  return (static_cast<std::uint32_t>(Red(color)) << 16) |
         (static_cast<std::uint32_t>(Green(color)) << 8) | static_cast<std::uint32_t>(Blue(color));
}

TColor AddBrightness(TColor color, int delta) {
  // Sums in 64 bits: a delta near the int limits must clamp, not overflow.
  auto add = [delta](int channel) {
    long long sum = static_cast<long long>(channel) + delta;
    return static_cast<int>(std::clamp(sum, 0LL, 255LL));
  };
  return FromChannels(add(Red(color)), add(Green(color)), add(Blue(color)));
}

TColor MixColors(TColor color1, TColor color2) {
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
