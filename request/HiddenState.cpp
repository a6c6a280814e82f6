#include "request/HiddenState.h"

#include "platform/Text.h"
#include "request/FormProtocol.h"

namespace zyl {
namespace form {

namespace {

// Writes hidden inputs, or (`query`) the fields of a query string.
struct Writer {
  std::string& out;
  bool query = false;
};

void AppendHidden(Writer& w, std::string_view name, std::string_view value) {
  if (w.query) return AppendQueryField(w.out, name, value);
  w.out += "<INPUT TYPE=\"HIDDEN\" NAME=\"";
  w.out += name;
  w.out += "\" VALUE=\"";
  AppendEscapedHtml(w.out, value);
  w.out += "\">";
}

// A click imitated by the pair X.x=0 and X.y=0.
void AppendPair(Writer& out, std::string_view button) {
  AppendHidden(out, ClickX(button), "0");
  AppendHidden(out, ClickY(button), "0");
}

bool Excluded(const std::string& exclusions, std::string_view name) {
  return exclusions.find(name) != std::string::npos;
}

void Append(Writer& out, const GridHiddenState& state, const std::string& exclusions) {
  // The grid's name is a component name chosen by the program; the GUID
  // and numbers are the library's own. Nothing here comes from the request
  // unchecked.
  if (!Excluded(exclusions, kGridName)) AppendHidden(out, kGridName, state.name);
  if (!Excluded(exclusions, kGuid) && state.writeGuid) AppendHidden(out, kGuid, state.guid);
  if (!Excluded(exclusions, kPage)) AppendHidden(out, kPage, std::to_string(state.page));
  if (!Excluded(exclusions, kRowsPerPage)) {
    AppendHidden(out, kRowsPerPage, std::to_string(state.rowsPerPage));
  }
  if (state.showGlyphs && !Excluded(exclusions, kGlyphsOn)) AppendPair(out, kGlyphsOn);
  if (!state.showGlyphs && !Excluded(exclusions, kGlyphsOff)) AppendPair(out, kGlyphsOff);
  if (!Excluded(exclusions, kRecordPrefix)) AppendPair(out, RecordButton(state.recNo));
  if (state.sortColumn != -1 && !Excluded(exclusions, kSortPrefix)) {
    AppendPair(out, SortButton(!state.sortAscending, state.sortColumn));
  }
  if (state.showSelectors && !Excluded(exclusions, kSelectorsOn)) AppendPair(out, kSelectorsOn);
  if (!Excluded(exclusions, kSelected) && state.selectable && state.showSelectors) {
    for (int column : state.visibleColumns) {
      if (out.query) {
        AppendQueryField(out.out, kSelected, std::to_string(column));
        continue;
      }
      out.out += "<INPUT TYPE=HIDDEN NAME=\"";
      out.out += kSelected;
      out.out += "\" VALUE=\"";
      out.out += std::to_string(column);
      out.out += "\">";
    }
  }
  if (!Excluded(exclusions, kFilterPrefix)) {
    for (const auto& [field, text] : state.filters)
      if (!text.empty()) AppendHidden(out, FilterField(field), text);
  }
  if (!state.search.empty() && !Excluded(exclusions, kSearch))
    AppendHidden(out, kSearch, state.search);
}

}  // namespace

void AppendHiddenState(std::string& out, const GridHiddenState& state,
                       const std::string& exclusions) {
  Writer writer{out};
  Append(writer, state, exclusions);
}

std::string ViewQuery(const GridHiddenState& state, const std::string& exclusions) {
  std::string query;
  Writer writer{query, true};
  Append(writer, state, exclusions);
  return query;
}

}  // namespace form
}  // namespace zyl
