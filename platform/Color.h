// TColor: a 32-bit colour 0x00BBGGRR (red in the low byte). Values with the
// high byte 0x80 name system colours; clNone (0x1FFFFFFF) means "no colour".
// Colour identifiers ("clBlack", "clBtnFace", ...) convert both ways.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zyl {

using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// System colours: 0x80000000 + the system colour index.
inline constexpr TColor clScrollBar = 0x80000000;
inline constexpr TColor clBackground = 0x80000001;
inline constexpr TColor clActiveCaption = 0x80000002;
inline constexpr TColor clInactiveCaption = 0x80000003;
inline constexpr TColor clMenu = 0x80000004;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clWindowFrame = 0x80000006;
inline constexpr TColor clMenuText = 0x80000007;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clCaptionText = 0x80000009;
inline constexpr TColor clActiveBorder = 0x8000000A;
inline constexpr TColor clInactiveBorder = 0x8000000B;
inline constexpr TColor clAppWorkSpace = 0x8000000C;
inline constexpr TColor clHighlight = 0x8000000D;
inline constexpr TColor clHighlightText = 0x8000000E;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnShadow = 0x80000010;
inline constexpr TColor clGrayText = 0x80000011;
inline constexpr TColor clBtnText = 0x80000012;
inline constexpr TColor clInactiveCaptionText = 0x80000013;
inline constexpr TColor clBtnHighlight = 0x80000014;
inline constexpr TColor cl3DDkShadow = 0x80000015;
inline constexpr TColor cl3DLight = 0x80000016;
inline constexpr TColor clInfoText = 0x80000017;
inline constexpr TColor clInfoBk = 0x80000018;

// The identifier of a colour when it has one, otherwise "$" followed by
// the eight upper-case hex digits of the value ("$00C8D0D4").
std::string ColorToString(TColor color);
// Accepts an identifier (ignoring case), "$" or "0x" plus one to eight hex
// digits, or a decimal number from -2147483648 to 4294967295 (a negative
// one taken as its 32-bit pattern); a sign may lead. Anything else, blanks
// included, raises EConvertError "'<text>' is not a valid integer value".
TColor StringToColor(std::string_view text);
// Identifier lookups; false when there is none.
bool ColorToIdent(TColor color, std::string& ident);
bool IdentToColor(std::string_view ident, TColor& color);

// Resolves a system colour to the plain 0x00BBGGRR value it stands for (the
// classic desktop scheme; there is no live desktop here). Other values pass
// through with the high byte cleared.
TColor ResolveColor(TColor color);

// Colour arithmetic on the raw channel bytes (the high byte is ignored and
// system colours are not resolved). ColorToRGB turns 0x00BBGGRR into the
// order HTML writes, 0xRRGGBB. AddBrightness adds `delta` to each channel
// (clamped to 0..255). MixColors averages two colours channel by channel,
// halves rounded to the even neighbour; white and clNone are neutral.
std::uint32_t ColorToRGB(TColor color);
TColor AddBrightness(TColor color, int delta);
TColor MixColors(TColor color1, TColor color2);

}  // namespace zyl
