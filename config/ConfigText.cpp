#include "config/ConfigText.h"

#include "config/Ordinals.h"
#include "platform/Color.h"
#include "platform/Exception.h"
#include "platform/Format.h"

namespace zyl {

namespace {

[[noreturn]] void InvalidFont() {
  throw EConvertError("Invalid font info");
}
[[noreturn]] void InvalidGlyph() {
  throw EConvertError("Invalid glyph info");
}

// Cuts the text before the next comma off `rest` (dropping the comma).
// False when there is no comma left.
bool CutField(std::string_view& rest, std::string_view& field) {
  std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) return false;
  field = rest.substr(0, comma);
  rest.remove_prefix(comma + 1);
  return true;
}

VAlignment GlyphAlignment(std::string_view field) {
  VAlignment align{};
  if (!config::TryOrdinal(StrToInt(field), align)) InvalidGlyph();
  return align;
}

}  // namespace

std::string FontToString(const TFont& font) {
  TFontStyles style = font.GetStyle();
  char digits[5] = {style.Has(TFontStyleFlag::fsBold) ? '1' : '0',
                    style.Has(TFontStyleFlag::fsItalic) ? '1' : '0',
                    style.Has(TFontStyleFlag::fsUnderline) ? '1' : '0',
                    style.Has(TFontStyleFlag::fsStrikeOut) ? '1' : '0', '\0'};
  return font.GetName() + "," + IntToStr(font.GetSize()) + "," + digits + "," +
         ColorToString(font.GetColor());
}

void StringToFont(std::string_view text, TFont& font) {
  std::string_view rest = text;
  std::string_view field;
  if (!CutField(rest, field)) InvalidFont();
  font.SetName(std::string(field));

  if (!CutField(rest, field)) InvalidFont();
  int size = StrToInt(field);
  if (size > kMaxFontTextSize || size < -kMaxFontTextSize) InvalidFont();
  font.SetSize(size);

  // Exactly four style digits, then a comma.
  if (rest.find(',') != 4) InvalidFont();
  constexpr TFontStyleFlag kFlags[4] = {TFontStyleFlag::fsBold, TFontStyleFlag::fsItalic,
                                        TFontStyleFlag::fsUnderline, TFontStyleFlag::fsStrikeOut};
  TFontStyles style;
  for (int i = 0; i < 4; ++i) {
    if (rest[static_cast<std::size_t>(i)] == '1') style.Include(kFlags[i]);
  }
  font.SetStyle(style);
  rest.remove_prefix(5);

  font.SetColor(StringToColor(rest));
}

std::string GlyphToString(const TZylGlyph& glyph) {
  std::string s;
  s += glyph.GetURLASC();
  s += ',' + IntToStr(glyph.GetWidthASC());
  s += ',' + IntToStr(glyph.GetHeightASC());
  s += ',' + IntToStr(glyph.GetBorderASC());
  s += ',' + IntToStr(config::Ordinal(glyph.GetAlignASC()));
  s += ',' + glyph.GetURLDSC();
  s += ',' + IntToStr(glyph.GetWidthDSC());
  s += ',' + IntToStr(glyph.GetHeightDSC());
  s += ',' + IntToStr(glyph.GetBorderDSC());
  s += ',' + IntToStr(config::Ordinal(glyph.GetAlignDSC()));
  return s;
}

void StringToGlyph(std::string_view text, TZylGlyph& glyph) {
  std::string_view rest = text;
  std::string_view field;
  // Fields one to nine end at a comma; the tenth is the rest of the text.
  auto next = [&]() {
    if (!CutField(rest, field)) InvalidGlyph();
    return field;
  };
  glyph.SetURLASC(std::string(next()));
  glyph.SetWidthASC(StrToInt(next()));
  glyph.SetHeightASC(StrToInt(next()));
  glyph.SetBorderASC(StrToInt(next()));
  glyph.SetAlignASC(GlyphAlignment(next()));
  glyph.SetURLDSC(std::string(next()));
  glyph.SetWidthDSC(StrToInt(next()));
  glyph.SetHeightDSC(StrToInt(next()));
  glyph.SetBorderDSC(StrToInt(next()));
  glyph.SetAlignDSC(GlyphAlignment(rest));
}

}  // namespace zyl
