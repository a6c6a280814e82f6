// TFont: name, size in points, height in pixels, colour and the style set
// bold / italic / underline / strike-out. Size and height stay consistent
// at 96 pixels per inch: Height = -round(Size * 96 / 72) (a negative height
// gives the character height). OnChange fires after every change.
#pragma once

#include <functional>
#include <string>

#include "platform/Color.h"
#include "platform/Object.h"

namespace zyl {

enum class TFontStyleFlag : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A set of TFontStyleFlag values.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyleFlag> flags) {
    for (auto f : flags) bits_ |= static_cast<unsigned>(f);
  }
  constexpr bool Has(TFontStyleFlag f) const { return (bits_ & static_cast<unsigned>(f)) != 0; }
  constexpr void Include(TFontStyleFlag f) { bits_ |= static_cast<unsigned>(f); }
  constexpr void Exclude(TFontStyleFlag f) { bits_ &= ~static_cast<unsigned>(f); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr unsigned Bits() const { return bits_; }
  constexpr bool operator==(const TFontStyles&) const = default;

 private:
  unsigned bits_ = 0;
};

class TFont : public TPersistent {
 public:
  static constexpr int kPixelsPerInch = 96;

  // Every font starts as "Arial", 8 points, black, no styles.
  TFont() = default;
  std::string ClassName() const override { return "TFont"; }

  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name);
  int GetSize() const { return size_; }
  void SetSize(int size);
  int GetHeight() const { return height_; }
  void SetHeight(int height);
  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles style);

  // Fired after every change of name, size, height, colour or style, and
  // after Assign.
  std::function<void(TFont&)> OnChange;

  // Copies name, size, height, colour and style from another TFont; fires
  // OnChange once. Other sources assign themselves (AssignTo) or raise the
  // assignment error, leaving the font unchanged.
  void Assign(const TPersistent& source) override;

  // Same name, size, colour and style.
  bool SameAs(const TFont& other) const {
    return name_ == other.name_ && size_ == other.size_ && color_ == other.color_ &&
           style_ == other.style_;
  }

 private:
  void Changed();

  std::string name_ = "Arial";
  int size_ = 8;
  int height_ = -11;
  TColor color_ = clBlack;
  TFontStyles style_;
};

}  // namespace zyl
