#include "grid/ZylField.h"

namespace zyl {

namespace {

const TFont& DefaultFont() {
  static const TFont font;
  return font;
}

}  // namespace

TZylField::TZylField(TZylHTMLGrid* grid) : grid_(grid) {}

TFont& TZylField::Font() {
  if (!font_) font_ = std::make_unique<TFont>();
  return *font_;
}

const TFont& TZylField::Font() const {
  return font_ ? *font_ : DefaultFont();
}

TZylField::Overrides& TZylField::Extras() {
  if (!overrides_) overrides_ = std::make_unique<Overrides>();
  return *overrides_;
}

const std::string TZylField::kNoText;

void TZylField::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TZylField*>(&source);
  if (other == nullptr) AssignError(source);
  height_ = other->height_;
  width_ = other->width_;
  color_ = other->color_;
  fontStyle_ = other->fontStyle_;
  hAlign_ = other->hAlign_;
  vAlign_ = other->vAlign_;
  overrides_ = other->overrides_ ? std::make_unique<Overrides>(*other->overrides_) : nullptr;
  value_ = other->value_;
  numericValue_ = other->numericValue_;
  dateValue_ = other->dateValue_;
  booleanValue_ = other->booleanValue_;
  variantValue_ = other->variantValue_;
  if (other->font_) {
    Font().Assign(*other->font_);
  } else if (font_) {
    font_->Assign(DefaultFont());  // fires the cell font's OnChange, as any assignment does
  }
}

}  // namespace zyl
