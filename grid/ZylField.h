// TZylField: one cell of a grid. It keeps its text (Value), its typed forms
// (NumericValue, DateValue, VariantValue, BooleanValue) and its formatting.
// A cell does not know its position: rendering asks the grid's matrix.
#pragma once

#include <string>

#include "model/GridTypes.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/Object.h"
#include "platform/Variant.h"

namespace zyl {

class TZylField : public TPersistent {
 public:
  // Creates a cell for `grid` (not owned; the cell never outlives it).
  explicit TZylField(TZylHTMLGrid* grid);
  std::string ClassName() const override { return "TZylField"; }

  TZylHTMLGrid* Grid() const { return grid_; }

  int GetHeight() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  int GetWidth() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  // Copies `font` into the cell's own font.
  void SetFont(const TFont& font) { font_.Assign(font); }
  TFontStyle GetFontStyle() const { return fontStyle_; }
  void SetFontStyle(TFontStyle v) { fontStyle_ = v; }
  HAlignment GetHAlign() const { return hAlign_; }
  void SetHAlign(HAlignment v) { hAlign_ = v; }
  VAlignment GetVAlign() const { return vAlign_; }
  void SetVAlign(VAlignment v) { vAlign_ = v; }
  const std::string& GetCSS() const { return css_; }
  void SetCSS(const std::string& v) { css_ = v; }
  const std::string& GetHTMLOverride() const { return html_; }
  // Replacement HTML: when not empty it is emitted instead of the built cell.
  void SetHTML(const std::string& v) { html_ = v; }
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
  TZylHTMLGrid* grid_;
  int height_ = -1;
  int width_ = -1;
  TColor color_ = clNone;
  TFont font_;
  TFontStyle fontStyle_ = TFontStyle::fsSanSerif;
  HAlignment hAlign_ = HAlignment::alLeft;
  VAlignment vAlign_ = VAlignment::alMiddle;
  std::string css_;
  std::string html_;
  std::string value_;
  double numericValue_ = 0;
  double dateValue_ = 0;
  TVariant variantValue_{std::string()};
  bool booleanValue_ = false;
};

}  // namespace zyl
