#include "platform/Font.h"

#include <cmath>
#include <cstdlib>

namespace zyl {

namespace {

int MulDivRound(int value, int num, int den) {
  return static_cast<int>(std::lround(static_cast<double>(value) * num / den));
}

}  // namespace

void TFont::Changed() {
  if (OnChange) OnChange(*this);
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetSize(int size) {
  int height = -MulDivRound(size, kPixelsPerInch, 72);
  if (size == size_ && height == height_) return;
  size_ = size;
  height_ = height;
  Changed();
}

void TFont::SetHeight(int height) {
  int size = MulDivRound(-height, 72, kPixelsPerInch);
  if (height == height_ && size == size_) return;
  height_ = height;
  size_ = size;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TFont*>(&source);
  if (other == nullptr) {
    TPersistent::Assign(source);  // the source may know fonts; else the assignment error
    return;
  }
  name_ = other->name_;
  size_ = other->size_;
  height_ = other->height_;
  color_ = other->color_;
  style_ = other->style_;
  Changed();
}

}  // namespace zyl
