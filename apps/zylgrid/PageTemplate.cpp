#include "apps/zylgrid/PageTemplate.h"

#include <utility>

#include "platform/Text.h"

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
.zg-foot { text-align: center; color: #5b6672; font-size: 12px; padding: 8px 0 24px; }
/* Every control shows where the keyboard is. */
.zg-grid :focus-visible { outline: 3px solid #1d4ed8; outline-offset: 1px; }
)";

// Theme=modern: the colours come from custom properties (a light and a dark
// set, chosen by the visitor's prefers-color-scheme) and override the
// grids' BGCOLOR attributes and bevels, which CSS outranks. Hooks are the
// accessible markup's: TH scope="col" captions, TH scope="row" record
// numbers, aria-current on the current row, role="alert" on the error box,
// and the toolbars' forms. Text colours keep at least 4.5:1 against their
// backgrounds in both sets.
const char kModernTheme[] = R"(
:root { color-scheme: light dark;
  --zg-page: #eef1f5; --zg-surface: #ffffff; --zg-text: #17202b; --zg-muted: #445160;
  --zg-line: #c3cad4; --zg-head: #e3e9f0; --zg-tool: #f3f5f8; --zg-current: #fff1b8;
  --zg-input: #ffffff; --zg-focus: #1d4ed8; --zg-error: #9b1c1c; --zg-error-bg: #fde8e8;
  --zg-bar: #1e3a5f; --zg-bar-text: #ffffff; }
@media (prefers-color-scheme: dark) { :root {
  --zg-page: #0d1117; --zg-surface: #161b22; --zg-text: #e6edf3; --zg-muted: #aab4bf;
  --zg-line: #3a4450; --zg-head: #222b36; --zg-tool: #1b222c; --zg-current: #3d3413;
  --zg-input: #0d1117; --zg-focus: #7aa7ff; --zg-error: #ffb4b4; --zg-error-bg: #3b1515;
  --zg-bar: #0b1a2b; --zg-bar-text: #e6edf3; } }
html { background: var(--zg-page); }
body { color: var(--zg-text); }
.zg-top { background: var(--zg-bar); color: var(--zg-bar-text); }
.zg-foot { color: var(--zg-muted); }
.zg-grid { background: var(--zg-surface); border-color: var(--zg-line); color: var(--zg-text);
  overflow: auto; max-height: 85vh; }
.zg-grid :focus-visible { outline-color: var(--zg-focus); }
.zg-grid TABLE, .zg-grid TD, .zg-grid TH { background-color: transparent; background-image: none; }
.zg-grid * { color: var(--zg-text); }
.zg-grid .GFilterError { color: var(--zg-error) !important; }  /* over its inline red */
.zg-grid IMG[src$="GBevel.gif"], .zg-grid IMG[src$="GUbar.gif"], .zg-grid IMG[src$="GUbarR.gif"],
.zg-grid IMG[src$="GTab.Gif"], .zg-grid IMG[src$="Gw.gif"] { display: none; }
.zg-grid A[name] + TABLE > TBODY > TR > TD > TABLE:first-child TD { font-size: 15px; font-weight: 600;
  padding: 2px 0 8px; }
.zg-grid TH[scope] { background-color: var(--zg-head); font-weight: 600; text-align: left; }
.zg-grid TH[scope] TD { background-color: var(--zg-head); }
.zg-grid TH[scope="col"] { position: sticky; top: 0; z-index: 1;
  border-bottom: 2px solid var(--zg-line); }
.zg-grid TR:has(> TH[scope="row"]) > TD { border-bottom: 1px solid var(--zg-line);
  padding: 2px 6px; }
.zg-grid TR[aria-current] > TD, .zg-grid TR[aria-current] > TH,
.zg-grid TR[aria-current] > TH TD { background-color: var(--zg-current); }
.zg-grid TR:has(> FORM[name^="TOOLBAR"]) { display: flex; flex-wrap: wrap; align-items: center;
  gap: 2px 4px; padding: 4px; }
/* A toolbar stays in view while the grid scrolls sideways, and wraps when
   the screen is narrower than it. */
.zg-grid TABLE:has(> TBODY > TR > FORM[name^="TOOLBAR"]) { display: block; position: sticky;
  left: 0; max-width: calc(100vw - 48px); box-sizing: border-box;
  background-color: var(--zg-tool); border: 1px solid var(--zg-line); border-radius: 4px; }
.zg-grid TABLE:has(> TBODY > TR > FORM[name^="TOOLBAR"]) > TBODY { display: block; }
.zg-grid INPUT, .zg-grid SELECT, .zg-grid TEXTAREA { background-color: var(--zg-input) !important;
  color: var(--zg-text) !important; border: 1px solid var(--zg-line); border-radius: 3px; }
.zg-grid INPUT[type=image], .zg-grid INPUT[TYPE=IMAGE] { border: 0; background: none !important; }
.zg-grid [role="alert"] TEXTAREA { color: var(--zg-error) !important;
  background-color: var(--zg-error-bg) !important; border-color: var(--zg-error);
  max-width: calc(100vw - 80px); }
@media (max-width: 640px) {
  .zg-main { margin: 10px auto; padding: 0 6px; }
  .zg-top { padding: 10px 12px; }
  .zg-grid { padding: 4px; }
}
)";

}  // namespace

std::string RenderPage(const SiteConfig& config, const std::string& gridStyles,
                       const std::string& userBar, std::vector<std::string> fragments) {
  std::string title = zyl::EscapeHtml(config.title);
  std::string head;
  head.reserve(userBar.size() + gridStyles.size() + config.stylesheet.size() + 16384);
  head += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"UTF-8\">\n";
  head += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  head += "<title>";
  head += title;
  head += "</title>\n<style>";
  head += kPageStyle;
  head += gridStyles;
  if (config.modernTheme) head += kModernTheme;  // after the grids' classes, which it outranks
  head += "\n";
  if (!config.stylesheet.empty()) {
    head += config.stylesheet;
    head += "\n";
  }
  head += "</style>\n</head>\n<body>\n";
  head += "<header class=\"zg-top\"><h1>";
  head += title;
  head += "</h1></header>\n";
  head += "<main class=\"zg-main\">\n";
  head += userBar;
  const char kOpen[] = "<section class=\"zg-grid\">\n";
  const char kClose[] = "\n</section>\n";
  const char kFoot[] =
      "</main>\n<footer class=\"zg-foot\">zylgrid &middot; ZylHG</footer>\n</body>\n</html>\n";
  std::size_t size = head.size() + sizeof kFoot;
  for (const std::string& fragment : fragments)
    size += fragment.size() + sizeof kOpen + sizeof kClose;
  std::string page;
  if (fragments.empty()) {
    page = std::move(head);
  } else {
    page = std::move(fragments.front());
    page.reserve(size);
    head += kOpen;
    page.insert(0, head);
    page += kClose;
  }
  for (std::size_t i = 1; i < fragments.size(); ++i) {
    page += kOpen;
    page += fragments[i];
    page += kClose;
  }
  page += kFoot;
  return page;
}

}  // namespace zylgrid
