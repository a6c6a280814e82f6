// The COLUMN, ROW and CELL sections: one column, row or cell each.
#include <cstring>

#include "config/ConfigKeys.h"
#include "config/Sections.h"
#include "platform/Format.h"

namespace zyl::config {

namespace {

using C = TZylColumn;
using R = TZylRow;
using F = TZylField;

TFont& CaptionFontOf(C& c) {
  return c.CaptionFont();
}
TFont& CellFontOf(F& f) {
  return f.Font();
}

// The column's font reaches its cells through the font's change handler,
// which only fires for a real change; the key is applied through SetFont
// as well, so that loading copies the column's font into every cell even
// when the file leaves it unchanged.
struct ColumnFontKey {
  using Object = C;
  static void Save(C& c, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteString(s, k, FontToString(c.Font()));
  }
  static void Load(C& c, IniFile& ini, const std::string& s, const char* k) {
    StringToFont(ini.ReadString(s, k, FontToString(c.Font())), c.Font());
    TFont font;
    font.Assign(c.Font());
    c.SetFont(font);
  }
};

// The column's sort buttons as glyph text.
struct GlyphKey {
  using Object = C;
  static void Save(C& c, IniFile& ini, const std::string& s, const char* k) {
    if (c.Glyph() != nullptr) ini.WriteString(s, k, GlyphToString(*c.Glyph()));
  }
  static void Load(C& c, IniFile& ini, const std::string& s, const char* k) {
    if (c.Glyph() != nullptr)
      StringToGlyph(ini.ReadString(s, k, GlyphToString(*c.Glyph())), *c.Glyph());
  }
};

// A string list as comma text; the list is replaced by the parsed entries.
template <TStringList& (C::*List)()>
struct CommaTextKey {
  using Object = C;
  static void Save(C& c, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteString(s, k, (c.*List)().GetCommaText());
  }
  static void Load(C& c, IniFile& ini, const std::string& s, const char* k) {
    TStringList& list = (c.*List)();
    list.SetCommaText(ini.ReadString(s, k, list.GetCommaText()));
  }
};

// The non-const overloads of the column's list accessors.
constexpr TStringList& (C::*kPickList)() = &C::PickList;
constexpr TStringList& (C::*kValueList)() = &C::ValueList;

// In the written order.
const Key<C> kColumnKeys[] = {
    MakeKey<StringKey<&C::GetCaption, &C::SetCaption>>("Caption"),
    MakeKey<ColorKey<&C::GetCaptionColor, &C::SetCaptionColor>>("CaptionColor"),
    MakeKey<FontKey<C, CaptionFontOf>>("CaptionFont"),
    MakeKey<OrdinalKey<&C::GetCaptionFontStyle, &C::SetCaptionFontStyle>>("CaptionFontStyle"),
    MakeKey<OrdinalKey<&C::GetCaptionHAlign, &C::SetCaptionHAlign>>("CaptionHAlign"),
    MakeKey<OrdinalKey<&C::GetCaptionVAlign, &C::SetCaptionVAlign>>("CaptionVAlign"),
    MakeKey<IntegerKey<&C::GetCaptionWidth, &C::SetCaptionWidth>>("CaptionWidth"),
    MakeKey<IntegerKey<&C::GetCaptionHeight, &C::SetCaptionHeight>>("CaptionHeight"),
    MakeKey<GlyphKey>("CaptionGlyph"),
    MakeKey<BooleanKey<&C::GetShowGlyph, &C::SetShowGlyph>>("ShowGlyph"),
    MakeKey<BooleanKey<&C::GetSelectable, &C::SetSelectable>>("Selectable"),
    MakeKey<BooleanKey<&C::GetShowSelector, &C::SetShowSelector>>("ShowSelector"),
    MakeKey<BooleanKey<&C::GetWordWrap, &C::SetWordWrap>>("WordWrap"),
    MakeKey<IntegerKey<&C::GetWidth, &C::SetWidth>>("Width"),
    MakeKey<IntegerKey<&C::GetHeight, &C::SetHeight>>("Height"),
    MakeKey<OrdinalKey<&C::GetHAlign, &C::SetHAlign>>("HAlign"),
    MakeKey<OrdinalKey<&C::GetVAlign, &C::SetVAlign>>("VAlign"),
    MakeKey<ColorKey<&C::GetColor, &C::SetColor>>("Color"),
    MakeKey<ColumnFontKey>("Font"),
    MakeKey<OrdinalKey<&C::GetFontStyle, &C::SetFontStyle>>("FontStyle"),
    MakeKey<OrdinalKey<&C::GetSortOrder, &C::SetSortOrder>>("SortOrder"),
    MakeKey<BooleanKey<&C::GetVisible, &C::SetVisible>>("Visible"),
    MakeKey<CommaTextKey<kPickList>>("PickList"),
    MakeKey<CommaTextKey<kValueList>>("ValueList"),
    MakeKey<BooleanKey<&C::GetLimitToPickList, &C::SetLimitToPickList>>("LimitToPickList"),
    MakeKey<StringKey<&C::GetAlignmentChar, &C::SetAlignmentChar>>("AlignmentChar"),
    MakeKey<BooleanKey<&C::GetEditMode, &C::SetEditMode>>("EditMode"),
    MakeKey<OrdinalKey<&C::GetDataType, &C::SetDataType>>("DataType"),
    MakeKey<IntegerKey<&C::GetDataSize, &C::SetDataSize>>("DataSize"),
    MakeKey<StringKey<&C::GetCSS, &C::SetCSS>>("CSS"),
    MakeKey<StringKey<&C::GetHTMLOverride, &C::SetHTML>>("HTML"),
};
static_assert(std::size(kColumnKeys) == 31);

// The load order: AlignmentChar right after Height, the rest as written.
const char* const kColumnLoadOrder[] = {
    "Caption",       "CaptionColor",
    "CaptionFont",   "CaptionFontStyle",
    "CaptionHAlign", "CaptionVAlign",
    "CaptionWidth",  "CaptionHeight",
    "CaptionGlyph",  "ShowGlyph",
    "Selectable",    "ShowSelector",
    "WordWrap",      "Width",
    "Height",        "AlignmentChar",
    "HAlign",        "VAlign",
    "Color",         "Font",
    "FontStyle",     "SortOrder",
    "Visible",       "PickList",
    "ValueList",     "LimitToPickList",
    "EditMode",      "DataType",
    "DataSize",      "CSS",
    "HTML",
};
static_assert(std::size(kColumnLoadOrder) == std::size(kColumnKeys));

const Key<C>& FindColumnKey(const char* name) {
  for (const auto& key : kColumnKeys) {
    if (std::strcmp(key.name, name) == 0) return key;
  }
  throw Exception(std::string("configuration: no COLUMN key '") + name + "'");
}

const Key<R> kRowKeys[] = {
    MakeKey<ColorKey<&R::GetColor, &R::SetColor>>("Color"),
    MakeKey<BooleanKey<&R::GetVisible, &R::SetVisible>>("Visible"),
    MakeKey<StringKey<&R::GetCSS, &R::SetCSS>>("CSS"),
    MakeKey<StringKey<&R::GetHTMLOverride, &R::SetHTML>>("HTML"),
};

// A cell's Value, CSS and HTML are not stored.
const Key<F> kCellKeys[] = {
    MakeKey<IntegerKey<&F::GetWidth, &F::SetWidth>>("Width"),
    MakeKey<IntegerKey<&F::GetHeight, &F::SetHeight>>("Height"),
    MakeKey<ColorKey<&F::GetColor, &F::SetColor>>("Color"),
    MakeKey<FontKey<F, CellFontOf>>("Font"),
    MakeKey<OrdinalKey<&F::GetFontStyle, &F::SetFontStyle>>("FontStyle"),
    MakeKey<OrdinalKey<&F::GetHAlign, &F::SetHAlign>>("HAlign"),
    MakeKey<OrdinalKey<&F::GetVAlign, &F::SetVAlign>>("VAlign"),
};

}  // namespace

std::string ColumnSection(int col) {
  return "COLUMN " + IntToStr(col);
}
std::string RowSection(int row) {
  return "ROW " + IntToStr(row);
}
std::string CellSection(int row, int col) {
  return "CELL " + IntToStr(row) + "," + IntToStr(col);
}

void SaveColumnSection(TZylColumn& column, IniFile& ini, int col) {
  std::string section = ColumnSection(col);
  for (const auto& key : kColumnKeys) key.save(column, ini, section, key.name);
}

void LoadColumnSection(TZylColumn& column, IniFile& ini, int col) {
  std::string section = ColumnSection(col);
  for (const char* name : kColumnLoadOrder) {
    const Key<C>& key = FindColumnKey(name);
    key.load(column, ini, section, key.name);
  }
}

std::vector<std::string> ColumnKeysWritten() {
  std::vector<std::string> names;
  for (const auto& key : kColumnKeys) names.emplace_back(key.name);
  return names;
}

std::vector<std::string> ColumnKeysLoaded() {
  std::vector<std::string> names;
  for (const char* name : kColumnLoadOrder) names.emplace_back(FindColumnKey(name).name);
  return names;
}

void SaveRowSection(TZylRow& row, IniFile& ini, int index) {
  std::string section = RowSection(index);
  for (const auto& key : kRowKeys) key.save(row, ini, section, key.name);
}

void LoadRowSection(TZylRow& row, IniFile& ini, int index) {
  std::string section = RowSection(index);
  for (const auto& key : kRowKeys) key.load(row, ini, section, key.name);
}

bool CellDiffers(const TZylField& cell, const TZylRow& row, const TZylColumn& column) {
  return cell.GetWidth() != column.GetWidth() || cell.GetHeight() != column.GetHeight() ||
         cell.GetColor() != MixCellColors(row.GetColor(), column.GetColor()) ||
         !cell.Font().SameAs(column.Font()) || cell.GetFontStyle() != column.GetFontStyle() ||
         cell.GetHAlign() != column.GetHAlign() || cell.GetVAlign() != column.GetVAlign();
}

void SaveCellSection(TZylField& cell, IniFile& ini, int row, int col) {
  std::string section = CellSection(row, col);
  for (const auto& key : kCellKeys) key.save(cell, ini, section, key.name);
}

void LoadCellSection(TZylField& cell, IniFile& ini, int row, int col) {
  std::string section = CellSection(row, col);
  if (!ini.SectionExists(section)) return;
  for (const auto& key : kCellKeys) key.load(cell, ini, section, key.name);
}

TColor MixCellColors(TColor color1, TColor color2) {
  return TZylHTMLGrid::MixColors(color1, color2);
}

}  // namespace zyl::config
