// The HTML5 document around the grids' fragments: charset, title, the grids'
// style sheet and the surrounding look of the page.
#pragma once

#include <string>
#include <vector>

#include "apps/zylgrid/SiteConfig.h"

namespace zylgrid {

// The whole document. `gridStyles` are the TZylCSS style-sheet lines,
// `userBar` the signed-in visitor's bar ("" for none), `fragments` the
// grids' HTML in page order, each in its own section. The title is escaped.
// The page is built in the first fragment's string: a large grid's text is
// not copied once more.
std::string RenderPage(const SiteConfig& config, const std::string& gridStyles,
                       const std::string& userBar, std::vector<std::string> fragments);

}  // namespace zylgrid
