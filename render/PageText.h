// Small text helpers of the page renderer.
#pragma once

#include <string>
#include <string_view>

#include "platform/Color.h"

namespace zyl {

// Six upper-case hex digits red, green, blue of a colour (the form every
// colour takes in the HTML).
std::string Hex6(TColor color);

// `text` with & < > " ' replaced by entities: for values that come from
// data or from the request.
std::string EscapeHtml(std::string_view text);

}  // namespace zyl
