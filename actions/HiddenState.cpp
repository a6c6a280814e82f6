// The hidden state every form of the page repeats, so that the next
// request finds the grid as the visitor left it: name, GUID, page, rows
// per page, sort-button state, current record, sort column, column
// selection. A linked master or detail grid's state travels along.
#include "grid/ZylHTMLGrid.h"
#include "request/FormProtocol.h"

namespace zyl {

namespace {

void AppendHidden(std::string& out, std::string_view name, std::string_view value) {
  out += "<INPUT TYPE=\"HIDDEN\" NAME=\"";
  out += name;
  out += "\" VALUE=\"";
  out += value;
  out += "\">";
}

// A click imitated by the pair X.x=0 and X.y=0.
void AppendPair(std::string& out, std::string_view button) {
  AppendHidden(out, form::ClickX(button), "0");
  AppendHidden(out, form::ClickY(button), "0");
}

bool Excluded(const std::string& exclusions, std::string_view name) {
  return exclusions.find(name) != std::string::npos;
}

}  // namespace

std::string TZylHTMLGrid::GetSettingsHV(const std::string& exclusions, TZylHTMLGrid* caller) {
  using namespace form;
  std::string out;
  if (masterGrid_ != nullptr && (caller == this || caller == detailGrid_)) {
    out += masterGrid_->GetSettingsHV("", this);
  }
  if (detailGrid_ != nullptr && (caller == this || caller == masterGrid_)) {
    std::string detailExclusions;
    if (caller == this) detailExclusions += kDetailRecordExclusion;
    if (addingRecord_) detailExclusions += kDetailGlyphExclusions;
    out += detailGrid_->GetSettingsHV(detailExclusions, this);
  }
  // The grid's name is a component name chosen by the program; the GUID
  // and numbers are the library's own. Nothing here comes from the request
  // unchecked.
  if (!Excluded(exclusions, kGridName)) AppendHidden(out, kGridName, GetName());
  if (!Excluded(exclusions, kGuid) && masterGrid_ == nullptr) AppendHidden(out, kGuid, guid_);
  if (!Excluded(exclusions, kPage)) AppendHidden(out, kPage, std::to_string(page_));
  if (!Excluded(exclusions, kRowsPerPage)) {
    AppendHidden(out, kRowsPerPage, std::to_string(rowsPerPage_));
  }
  if (showGlyphs_ && !Excluded(exclusions, kGlyphsOn)) AppendPair(out, kGlyphsOn);
  if (!showGlyphs_ && !Excluded(exclusions, kGlyphsOff)) AppendPair(out, kGlyphsOff);
  if (!Excluded(exclusions, kRecordPrefix)) AppendPair(out, RecordButton(recNo_));
  int sorted = GetSortColumn();
  if (sorted != -1 && !Excluded(exclusions, kSortPrefix)) {
    bool ascending = columns_.Get(sorted)->GetSortOrder() == TSortOrder::soAscending;
    AppendPair(out, SortButton(!ascending, sorted));
  }
  if (showSelectors_ && !Excluded(exclusions, kSelectorsOn)) AppendPair(out, kSelectorsOn);
  if (!Excluded(exclusions, kSelected) && selectable_ && showSelectors_) {
    for (TZylColumn* c : columns_) {
      if (!c->GetVisible()) continue;
      out += "<INPUT TYPE=HIDDEN NAME=\"";
      out += kSelected;
      out += "\" VALUE=\"";
      out += std::to_string(c->GetColNo());
      out += "\">";
    }
  }
  return out;
}

}  // namespace zyl
