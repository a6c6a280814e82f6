#include "platform/Color.h"

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

}  // namespace zyl
