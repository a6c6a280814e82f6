#include "grid/ZylField.h"

namespace zyl {

TZylField::TZylField(TZylHTMLGrid* grid) : grid_(grid) {}

void TZylField::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TZylField*>(&source);
  if (other == nullptr) AssignError(source);
  height_ = other->height_;
  width_ = other->width_;
  color_ = other->color_;
  fontStyle_ = other->fontStyle_;
  hAlign_ = other->hAlign_;
  vAlign_ = other->vAlign_;
  css_ = other->css_;
  html_ = other->html_;
  value_ = other->value_;
  numericValue_ = other->numericValue_;
  dateValue_ = other->dateValue_;
  booleanValue_ = other->booleanValue_;
  variantValue_ = other->variantValue_;
  font_.Assign(other->font_);
}

}  // namespace zyl
