// The HTML5 document around the grids' fragments: charset, title, the grids'
// style sheet and the surrounding look of the page.
#pragma once

#include <string>

#include "apps/zylgrid/SiteConfig.h"

namespace zylgrid {

// The whole document. `gridStyles` are the TZylCSS style-sheet lines,
// `fragments` the grids' HTML in page order. The title is escaped.
std::string RenderPage(const SiteConfig& config, const std::string& gridStyles,
                       const std::string& fragments);

}  // namespace zylgrid
