// Pieces of the page: the delete-confirmation script, the error box, the
// image preloading block and the compact one-string form of the page.
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "render/Accessible.h"

namespace zyl {

namespace {

// The image set, in the order the preloading block lists it.
constexpr const char* kImageSet[] = {
    "GAddRow.gif",   "GAsc.gif",      "GAscA.gif",      "GBevel.gif",    "GBevelV.gif",
    "GCancel.gif",   "GCheck.gif",    "GCheckOff.gif",  "GCheckOn.gif",  "GCurrent.gif",
    "GDelRow.gif",   "GDesc.gif",     "GDescA.gif",     "GFalse.gif",    "GFirstPage.gif",
    "GResult.gif",   "Graph.gif",     "GLastPage.gif",  "GNextPage.gif", "GNone.gif",
    "GOk.gif",       "GPage.gif",     "GPrevPage.gif",  "GPrint.gif",    "GRestoreSort.gif",
    "GSA.gif",       "GSaveAs.gif",   "GSortOff.gif",   "GSortOn.gif",   "GSum.gif",
    "Gt.gif",        "GTab.gif",      "GTrue.gif",      "GUbar.gif",     "GUbarR.gif",
    "GUpdate.gif",   "Gw.gif",
};
static_assert(std::size(kImageSet) == 37);

}  // namespace

std::string TZylHTMLGrid::GetJavaScript() const {
  std::string out;
  for (std::string_view line :
       {std::string_view("<!-- SCRIPT START -->"), std::string_view("<script language=\"JavaScript\">"),
        std::string_view("<!-- "), std::string_view("function CanDelete()"), std::string_view("{")}) {
    out += line;
    out += "\r\n";
  }
  out += "return  confirm(\"";
  out += texts_.textConfirmDelete;
  out += "\");\r\n";
  for (std::string_view line : {"}", "// -->", "</script>", "<!-- SCRIPT END -->"}) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::string TZylHTMLGrid::GetErrorBox(const std::string& text) {
  std::string style = ComposeSTYLE("470", "38", "", look_.currentRowColor, 0x0000FF);
  style += "font-weight: bold;";
  // The message may carry data (an exception text): escape it after the
  // line-break conversion and upper-casing.
  std::string message = EscapeHtml(AnsiUpperCase(
      StringReplace(text, "\\n", "\r\n", {TReplaceFlag::rfReplaceAll, TReplaceFlag::rfIgnoreCase})));
  std::string out;
  out.reserve(600 + message.size());
  // With AccessibleMarkup the box is announced as an alert, its pictures
  // are decorative and its text area is read-only, named by its first line.
  const bool accessible = look_.accessibleMarkup;
  const std::string alt(render::DecorativeAlt(*this));
  out += accessible ? "<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"0\" role=\"alert\">"
                    : "<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"0\">";
  out += "<TR><TD><IMG SRC=\"" + look_.imagesURL + "GTab.Gif\" WIDTH=\"82\" HEIGHT=\"23\"" + alt +
         "></TD><TD>&nbsp;</TD>";
  out += "<TR><TD COLSPAN=\"2\" HEIGHT=\"36\" VALIGN=\"TOP\"><IMG SRC=\"" + look_.imagesURL +
         "Gw.gif\" WIDTH=\"2\" HEIGHT=\"36\"" + alt + ">";
  out += "<IMG SRC=\"" + look_.imagesURL + "Gt.gif\" WIDTH=\"35\" HEIGHT=\"35\"" + alt +
         "><TEXTAREA STYLE=\"" + style + "\"";
  if (accessible) {
    out += " READONLY";
    out += render::AriaLabelText(*this, message.substr(0, message.find_first_of("\r\n")));
  }
  out += ">";
  out += message;
  out += "</TEXTAREA></TD></TR>";
  out += "</TABLE>";
  return out;
}

std::string TZylHTMLGrid::GetCachedBitmaps(const std::string& text) const {
  std::string out = text;
  for (const char* name : kImageSet) {
    out += "<IMG SRC=\"";
    out += name;
    out += "\" WIDTH=\"0\" HEIGHT=\"0\">";
  }
  return out;
}

std::string TZylHTMLGrid::GetHTMLZip() {
  const TStringList& page = GetHTML();
  std::string out;
  bool inScript = false;
  for (const std::string& item : page) {
    if (item.find("<!-- SCRIPT START -->") != std::string::npos) inScript = true;
    std::size_t first = item.find_first_not_of(' ');
    if (first != std::string::npos) out.append(item, first, std::string::npos);
    if (inScript) out += "\r\n";
    if (item.find("<!-- SCRIPT END -->") != std::string::npos) inScript = false;
  }
  return out;
}

}  // namespace zyl
