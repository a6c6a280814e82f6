#include "apps/zylgrid/PageTemplate.h"

#include "render/HtmlWriter.h"

namespace zylgrid {

namespace {

// The look around the grids: a title bar, a centred column, quiet colours
// that suit the grids' grey bevels.
const char kPageStyle[] = R"(
html { background: #eef0f3; }
body { margin: 0; font-family: "Segoe UI", "DejaVu Sans", Arial, sans-serif; color: #1f2933; }
.zg-top { background: linear-gradient(#2f4f6f, #233b54); color: #fff; padding: 14px 28px;
  box-shadow: 0 2px 4px rgba(0,0,0,.25); }
.zg-top h1 { margin: 0; font-size: 20px; font-weight: 600; letter-spacing: .2px; }
.zg-main { max-width: 1180px; margin: 22px auto; padding: 0 20px; }
.zg-grid { background: #fff; border: 1px solid #c9ced6; border-radius: 4px; padding: 10px;
  margin-bottom: 22px; box-shadow: 0 1px 3px rgba(0,0,0,.08); overflow-x: auto; }
.zg-grid TABLE { border-collapse: separate; }
/* Cells that hold only an image (bevel corners, spacers) take the image's
   height, as they do in pages without a document type. */
.zg-grid TD > IMG:only-child { display: block; }
.zg-grid IMG, .zg-grid INPUT[type=image] { vertical-align: middle; }
.zg-grid SELECT, .zg-grid INPUT[type=text], .zg-grid INPUT[TYPE=TEXT] { font-size: 8pt; }
.zg-foot { text-align: center; color: #7b8794; font-size: 12px; padding: 8px 0 24px; }
)";

}  // namespace

std::string RenderPage(const SiteConfig& config, const std::string& gridStyles,
                       const std::string& fragments) {
  std::string title = zyl::render::EscapeHtml(config.title);
  std::string page;
  page.reserve(fragments.size() + gridStyles.size() + 2048);
  page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"UTF-8\">\n";
  page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<title>";
  page += title;
  page += "</title>\n<style>";
  page += kPageStyle;
  page += gridStyles;
  page += "\n";
  if (!config.stylesheet.empty()) {
    page += config.stylesheet;
    page += "\n";
  }
  page += "</style>\n</head>\n<body>\n";
  page += "<header class=\"zg-top\"><h1>";
  page += title;
  page += "</h1></header>\n";
  page += "<main class=\"zg-main\">\n";
  page += fragments;
  page += "</main>\n";
  page += "<footer class=\"zg-foot\">zylgrid &middot; ZylHG</footer>\n</body>\n</html>\n";
  return page;
}

}  // namespace zylgrid
