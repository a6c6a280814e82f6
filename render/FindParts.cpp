// The finding parts of the page (grid properties FilterRow, QuickSearch,
// ViewLink): the filter row under the captions, the search box and the
// view's link in the header bar. Plain forms that post without a script:
// Enter in an input applies it. Every input has an accessible name.
#include "grid/ZylHTMLGrid.h"
#include "platform/Text.h"
#include "request/FormProtocol.h"

namespace zyl {

namespace {

std::string Escaped(std::string_view text) {
  std::string out;
  AppendEscapedHtml(out, text);
  return out;
}

std::string Submit(std::string_view name, const std::string& label) {
  return "<INPUT TYPE=\"SUBMIT\" NAME=\"" + std::string(name) + "\" VALUE=\"" + label +
         "\" aria-label=\"" + label + "\">";
}

}  // namespace

std::string TZylHTMLGrid::GetFilterRowHTML() {
  std::string action = EscapeHtml(GetScriptName());
  if (!links_.queryString.empty()) action += "?" + EscapeHtml(links_.queryString);
  std::string out = "<FORM NAME=\"" + GetName() + "_FILTER\" METHOD=\"POST\" ACTION=\"" + action +
                    "#" + GetName() + "\">" +
                    GetSettingsHV(std::string(form::kFilterRowExclusions), this) +
                    "\r\n   <TR CLASS=\"GFilterRow\">";
  std::string buttons = Submit(form::kFilterApply, "OK") + Submit(form::kFilterClear, "Clear");
  int last = -1;
  for (int c = 0; c < columns_.Count(); ++c)
    if (columns_.Get(c)->GetVisible()) last = c;
  for (int c = 0; c <= last; ++c) {
    const TZylColumn* column = columns_.Get(c);
    if (!column->GetVisible()) continue;
    out += "<TD>";
    if (c == 0 && look_.showRowNumber) {
      out += buttons + "</TD>";
      buttons.clear();
      continue;
    }
    int field = column->GetFieldIndex();
    auto text = finding_.filters.find(field);
    out += "<INPUT TYPE=\"TEXT\" NAME=\"" + form::FilterField(field) + "\" VALUE=\"" +
           (text == finding_.filters.end() ? std::string() : Escaped(text->second)) +
           "\" SIZE=\"8\" aria-label=\"Filter " + Escaped(column->GetCaption()) + "\">";
    if (c == last) out += buttons;
    if (auto error = finding_.errors.find(field); error != finding_.errors.end()) {
      out += "<BR><SPAN CLASS=\"GFilterError\" STYLE=\"color:#C00000\" role=\"alert\">" +
             Escaped(error->second) + "</SPAN>";
    }
    out += "</TD>";
  }
  return out + "</TR>\r\n</FORM>";
}

std::string TZylHTMLGrid::GetSearchBoxHTML() {
  std::string out;
  if (finding_.quickSearch) {
    std::string action = EscapeHtml(GetScriptName());
    if (!links_.queryString.empty()) action += "?" + EscapeHtml(links_.queryString);
    out += "<FORM NAME=\"" + GetName() + "_SEARCH\" METHOD=\"POST\" ACTION=\"" + action + "#" +
           GetName() + "\" STYLE=\"display:inline;margin:0\" role=\"search\">" +
           GetSettingsHV(std::string(form::kSearchExclusions), this) +
           "<INPUT TYPE=\"SEARCH\" NAME=\"" + std::string(form::kSearch) + "\" VALUE=\"" +
           Escaped(finding_.search) + "\" SIZE=\"16\" aria-label=\"Search\">" +
           Submit(form::kFilterApply, "Search") + "</FORM>";
  }
  if (finding_.viewLink) {
    out +=
        "&nbsp;<A HREF=\"" + Escaped(GetViewURL()) + "\" CLASS=\"GViewLink\">link to this view</A>";
  }
  return out;
}

}  // namespace zyl
