// One-line texts for fonts and sort buttons, as the configuration file
// stores them (layout: docs/formats/config.md).
//
//   font text   name,size,BIUS,colour      "Arial,10,1010,clBlack"
//               BIUS: four digits 1/0 for bold, italic, underline, strike-out
//   glyph text  URLASC,WidthASC,HeightASC,BorderASC,AlignASC,
//               URLDSC,WidthDSC,HeightDSC,BorderDSC,AlignDSC
//                                          "GAsc.gif,16,12,0,1,GDesc.gif,16,12,0,1"
//
// Parsing applies every field as soon as it has been cut from the text, so
// a text that fails half-way leaves the fields before the failure applied.
#pragma once

#include <string>
#include <string_view>

#include "grid/ZylGlyph.h"
#include "platform/Font.h"

namespace zyl {

// Largest font size (in points, either sign) that StringToFont accepts; a
// larger one is not a font size and fails with "Invalid font info".
inline constexpr int kMaxFontTextSize = 1000000;

// The font's text: name, size, style digits and colour text (ColorToString).
std::string FontToString(const TFont& font);

// Sets `font` from a font text: name, then size, then the style set, then
// the colour. Raises EConvertError "Invalid font info" when a comma is
// missing, the style digits are not exactly four or the size is out of
// range; a size that is no integer or a colour that StringToColor rejects
// raises the platform's conversion error. Fields before the failure stay set.
void StringToFont(std::string_view text, TFont& font);

// The glyph's text: the ten fields above, alignments as ordinals.
std::string GlyphToString(const TZylGlyph& glyph);

// Sets `glyph` from a glyph text, one field after the other; the tenth
// field is the rest of the text. Raises EConvertError "Invalid glyph info"
// when fewer than ten fields are present or an alignment ordinal is out of
// range; a number field that is no integer raises the platform's
// conversion error. Fields before the failure stay set.
void StringToGlyph(std::string_view text, TZylGlyph& glyph);

}  // namespace zyl
