#include "grid/ZylGlyph.h"

namespace zyl {

void TZylGlyph::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TZylGlyph*>(&source);
  if (other == nullptr) AssignError(source);
  urlAsc_ = other->urlAsc_;
  widthAsc_ = other->widthAsc_;
  heightAsc_ = other->heightAsc_;
  borderAsc_ = other->borderAsc_;
  alignAsc_ = other->alignAsc_;
  urlDsc_ = other->urlDsc_;
  widthDsc_ = other->widthDsc_;
  heightDsc_ = other->heightDsc_;
  borderDsc_ = other->borderDsc_;
  alignDsc_ = other->alignDsc_;
  html_ = other->html_;
}

}  // namespace zyl
