// The hidden state every form of the page repeats, so that the next
// request finds the grid as the visitor left it: name, GUID, page, rows
// per page, sort-button state, current record, sort column, column
// selection. A linked master or detail grid's state travels along.
#include "grid/ZylHTMLGrid.h"

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
void AppendPair(std::string& out, const std::string& name) {
  AppendHidden(out, name + ".x", "0");
  AppendHidden(out, name + ".y", "0");
}

bool Excluded(const std::string& exclusions, const char* name) {
  return exclusions.find(name) != std::string::npos;
}

}  // namespace

std::string TZylHTMLGrid::GetSettingsHV(const std::string& exclusions, TZylHTMLGrid* caller) {
  std::string out;
  if (masterGrid_ != nullptr && (caller == this || caller == detailGrid_)) {
    out += masterGrid_->GetSettingsHV("", this);
  }
  if (detailGrid_ != nullptr && (caller == this || caller == masterGrid_)) {
    std::string detailExclusions;
    if (caller == this) detailExclusions += "GRecNo;";
    if (addingRecord_) detailExclusions += "GGLYPHON;GGLYPHOFF;";
    out += detailGrid_->GetSettingsHV(detailExclusions, this);
  }
  // The grid's name is a component name chosen by the program; the GUID
  // and numbers are the library's own. Nothing here comes from the request
  // unchecked.
  if (!Excluded(exclusions, "GName")) AppendHidden(out, "GName", GetName());
  if (!Excluded(exclusions, "GUID") && masterGrid_ == nullptr) AppendHidden(out, "GUID", guid_);
  if (!Excluded(exclusions, "GPage")) AppendHidden(out, "GPage", std::to_string(page_));
  if (!Excluded(exclusions, "GRPP")) AppendHidden(out, "GRPP", std::to_string(rowsPerPage_));
  if (showGlyphs_ && !Excluded(exclusions, "GGLYPHON")) AppendPair(out, "GGLYPHON");
  if (!showGlyphs_ && !Excluded(exclusions, "GGLYPHOFF")) AppendPair(out, "GGLYPHOFF");
  if (!Excluded(exclusions, "GRecNo")) AppendPair(out, "GRecNo" + std::to_string(recNo_));
  int sorted = GetSortColumn();
  if (sorted != -1 && !Excluded(exclusions, "GSort")) {
    bool ascending = columns_.Get(sorted)->GetSortOrder() == TSortOrder::soAscending;
    AppendPair(out, (ascending ? "GSortASC_" : "GSortDESC_") + std::to_string(sorted));
  }
  if (showSelectors_ && !Excluded(exclusions, "GCHECKON")) AppendPair(out, "GCHECKON");
  if (!Excluded(exclusions, "GSel") && selectable_ && showSelectors_) {
    for (TZylColumn* c : columns_) {
      if (!c->GetVisible()) continue;
      out += "<INPUT TYPE=HIDDEN NAME=\"GSel\" VALUE=\"";
      out += std::to_string(c->GetColNo());
      out += "\">";
    }
  }
  return out;
}

}  // namespace zyl
