// TZylField: one cell of a grid. It keeps its text (Value), its typed forms
// (NumericValue, DateValue, VariantValue, BooleanValue) and its formatting.
// A cell does not know its position: rendering asks the grid's matrix.
//
// A page holds one cell per row and column, so a cell keeps what most cells
// never set (a font of its own, CSS, replacement HTML) out of line: until
// then it reads as the default font and empty texts.
#pragma once

#include <memory>
#include <string>

#include "model/GridTypes.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/Object.h"
#include "platform/Recycled.h"
#include "platform/Variant.h"

namespace zyl {

class TZylField : public TPersistent {
 public:
  // Creates a cell for `grid` (not owned; the cell never outlives it).
  explicit TZylField(TZylHTMLGrid* grid);
  // A page makes and drops a cell per row and column: their memory is
  // recycled per thread (a thousand cells' worth at most, 160 KB).
  static void* operator new(std::size_t size) { return Cells::Take(size); }
  static void operator delete(void* p, std::size_t size) { Cells::Give(p, size); }
  std::string ClassName() const override { return "TZylField"; }

  TZylHTMLGrid* Grid() const { return grid_; }

  int GetHeight() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  int GetWidth() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  // The cell's own font, made (as the default font) on first change.
  TFont& Font();
  // The cell's font; the default font while the cell has none of its own.
  const TFont& Font() const;
  bool HasOwnFont() const { return font_ != nullptr; }
  // Copies `font` into the cell's own font.
  void SetFont(const TFont& font) { Font().Assign(font); }
  TFontStyle GetFontStyle() const { return fontStyle_; }
  void SetFontStyle(TFontStyle v) { fontStyle_ = v; }
  HAlignment GetHAlign() const { return hAlign_; }
  void SetHAlign(HAlignment v) { hAlign_ = v; }
  VAlignment GetVAlign() const { return vAlign_; }
  void SetVAlign(VAlignment v) { vAlign_ = v; }
  const std::string& GetCSS() const { return overrides_ ? overrides_->css : kNoText; }
  void SetCSS(const std::string& v) { Extras().css = v; }
  const std::string& GetHTMLOverride() const { return overrides_ ? overrides_->html : kNoText; }
  // Replacement HTML: when not empty it is emitted instead of the built cell.
  void SetHTML(const std::string& v) { Extras().html = v; }
  const std::string& GetValue() const { return value_; }
  void SetValue(std::string v) { value_ = std::move(v); }
  double GetNumericValue() const { return numericValue_; }
  void SetNumericValue(double v) { numericValue_ = v; }
  double GetDateValue() const { return dateValue_; }
  void SetDateValue(double v) { dateValue_ = v; }
  const TVariant& GetVariantValue() const { return variantValue_; }
  void SetVariantValue(TVariant v) { variantValue_ = std::move(v); }
  bool GetBooleanValue() const { return booleanValue_; }
  void SetBooleanValue(bool v) { booleanValue_ = v; }

  // The cell's complete HTML with its events (defined by the renderer).
  std::string GetHTML();
  // The generated HTML for position (aRow, aCol), without events or override.
  std::string Build(int aRow, int aCol);

  // Copies every setting and value (not the grid) from another cell.
  void Assign(const TPersistent& source) override;

 private:
  using Cells = Recycled<TZylField, 1024>;
  static const std::string kNoText;
  struct Overrides {
    std::string css;
    std::string html;
  };
  Overrides& Extras();

  TZylHTMLGrid* grid_;
  int height_ = -1;
  int width_ = -1;
  TColor color_ = clNone;
  TFontStyle fontStyle_ = TFontStyle::fsSanSerif;
  HAlignment hAlign_ = HAlignment::alLeft;
  VAlignment vAlign_ = VAlignment::alMiddle;
  std::unique_ptr<TFont> font_;           // null: the default font
  std::unique_ptr<Overrides> overrides_;  // null: no CSS and no replacement HTML
  std::string value_;
  double numericValue_ = 0;
  double dateValue_ = 0;
  TVariant variantValue_{std::string()};
  bool booleanValue_ = false;
};

}  // namespace zyl
