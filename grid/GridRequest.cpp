// The grid's request members, over the linked TZylCSS (request/): the
// entry point for a request (GET takes QUERY_STRING without the fields that
// change data, which only a POST may carry; POST the grid's
// QueryString plus the page's posted fields; the grid's block of them is
// read by request/GridBlock.h and applied here), the request's variables,
// the update locks (CanUpdate, Done, CleanupEdits, the claim of a change
// and the lock taken before the read) in the store the
// TZylCSS names, and a download sent through the request channel
// (standard output for CGI, the Response object for ASP; a web-module host
// sends it itself).
#include <climits>
#include <string>

#include "grid/ZylHTMLGrid.h"
#include "platform/Exception.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "request/FormProtocol.h"
#include "request/GridBlock.h"
#include "request/UpdateLockStore.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

// The prefix of this program's lock names.
std::string LockPrefix(const TZylCSS& css) {
  return ExtractFileName(css.GetModuleFileName());
}

// Removes CR, LF and double quotes: the text goes into a (quoted) header value.
std::string SafeHeaderText(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    if (c != '\r' && c != '\n' && c != '"') out += c;
  }
  return out;
}

// Writes the lock of page `guid`, after the store's sweep of the program's
// expired locks (at most once per sweep interval, with the cap on their
// count); false, writing nothing, for a page identity not of the library's
// form.
bool WriteLock(TZylCSS& css, const std::string& guid) {
  std::string prefix = LockPrefix(css);
  if (!IsUpdateLockKey(prefix, guid)) return false;
  UpdateLockStore& store = css.GetUpdateLockStore();
  store.Sweep(prefix, css.GetMaxLockAge(), css.GetLockSweepInterval(), css.GetMaxLocks());
  store.Write(prefix, guid);
  return true;
}

}  // namespace

std::string TZylHTMLGrid::WWWDecode(const std::string& s) {
  return form::UrlDecode(s);
}

std::string TZylHTMLGrid::GetEnvironmentVariable(const std::string& name) const {
  return links_.css == nullptr ? std::string() : links_.css->GetEnvironmentVariable(name);
}

std::string TZylHTMLGrid::GetScriptName() const {
  return links_.css == nullptr ? std::string() : links_.css->GetScriptName();
}

std::string TZylHTMLGrid::GetScriptPath() const {
  return links_.css == nullptr ? std::string() : links_.css->GetScriptPath();
}

std::string TZylHTMLGrid::GetServerName() const {
  return links_.css == nullptr ? std::string() : links_.css->GetServerName();
}

TStringList* TZylHTMLGrid::GetPostData() const {
  return links_.css == nullptr ? nullptr : &links_.css->GetPostData();
}

TGridAction TZylHTMLGrid::ProcessParameters() {
  std::string method = AnsiUpperCase(GetEnvironmentVariable("REQUEST_METHOD"));
  if (method == "GET") return ProcessQueryString();
  if (method != "POST" || links_.css == nullptr) return TGridAction::gaNoAction;
  // In a POST the URL's query is what the program put into QueryString;
  // its fields come before the posted ones.
  const form::FormFields& posted = links_.css->GetPostFields();
  TGridAction action;
  if (links_.queryString.empty()) {
    action = ProcessFields(posted);
  } else {
    form::FormFields fields = form::ParseUrlEncoded(links_.queryString);
    fields.insert(fields.end(), posted.begin(), posted.end());
    action = ProcessFields(fields);
  }
  links_.queryString.clear();
  return action;
}

TGridAction TZylHTMLGrid::ProcessQueryString() {
  links_.queryString = GetEnvironmentVariable("QUERY_STRING");
  if (links_.queryString.empty()) return TGridAction::gaNoAction;
  // A GET views: a link on any site can send one, so it never changes data.
  form::FormFields fields = form::ParseUrlEncoded(links_.queryString);
  std::erase_if(fields, form::IsChangeField);
  TGridAction action = ProcessFields(fields);
  links_.queryString.clear();
  return action;
}

// Change fields count only when the host says the request is a POST (its
// REQUEST_METHOD); a grid without a TZylCSS writes nothing anyway.
TGridAction TZylHTMLGrid::ProcessParametersData(const std::string& fieldText) {
  form::FormFields fields = form::ParseLines(fieldText);
  if (links_.css != nullptr &&
      AnsiUpperCase(links_.css->GetEnvironmentVariable("REQUEST_METHOD")) != "POST") {
    std::erase_if(fields, form::IsChangeField);
  }
  return ProcessFields(fields);
}

bool TZylHTMLGrid::HasIssuedGUID(const std::vector<form::FormField>& fields) const {
  for (const form::FormField& f : fields) {
    if (form::IsNamed(f, form::kGuid) && links_.css->IsIssuedGUID(f.value)) return true;
  }
  return false;
}

// The block's values are applied in the protocol's order: a later button
// overrides the action of an earlier one.
TGridAction TZylHTMLGrid::ProcessFields(const form::FormFields& fields) {
  bool keepEditing = GetEditMode();
  form::GridBlock block;
  if (!form::ReadGridBlock(fields, GetName(), block)) return TGridAction::gaNoAction;

  TGridAction action = block.pageAction;
  if (block.saveType) {
    // Without the extras a choice beyond the five formats is read as the
    // unknown values always were: tab-separated text of the page.
    const bool extra = *block.saveType > TExportType::Paradox || block.saveWholeResult;
    look_.saveAsType = extra && !look_.exportExtras ? TExportType::TabbedText : *block.saveType;
    look_.saveAsScope = block.saveWholeResult && look_.exportExtras ? TExportScope::WholeResult
                                                                    : TExportScope::Page;
  }
  // Both sort-button pairs present gives "shown".
  if (block.glyphsOff) SetShowGlyphs(false);
  if (block.glyphsOn) SetShowGlyphs(true);

  if (block.update) {
    action = TGridAction::gaUpdateData;
    keepEditing = false;
  }
  if (block.updateAdd) editing_.addPending = true;
  if (block.cancel) {
    editing_.addPending = false;
    keepEditing = false;
  }
  if (block.deleteRecord) {
    action = TGridAction::gaDeleteCurrent;
    keepEditing = false;
  }
  if (block.addRecord) {
    editing_.addingRecord = true;
    action = TGridAction::gaAddNew;
    keepEditing = false;
  }
  if (block.sum) paging_.doMadeSum = true;
  if (block.average) paging_.doMadeSA = true;

  SetShowSelectors(false);
  if (block.selectorsOn) look_.showSelectors = true;
  if (block.selectorsOff) look_.showSelectors = false;
  if (block.selectorsApply) look_.showSelectors = true;
  if (look_.showSelectors && block.anySelected) {
    for (TZylColumn* c : columns_) c->SetVisible(false);
    for (int col : block.selected) {
      if (col >= 0 && col < columns_.Count()) columns_.Get(col)->SetVisible(true);
    }
  }

  if (block.page) SetPage(*block.page);
  if (block.rowsPerPage) paging_.rowsPerPage = *block.rowsPerPage;
  if (block.recNo) paging_.recNo = *block.recNo;
  if (block.recordClicked) keepEditing = false;

  // Enter pressed in an edit control: cell fields without a button.
  if (keepEditing && block.anyCellField && editing_.updatByEnter) {
    action = TGridAction::gaUpdateData;
  }

  for (const form::SortRequest& sort : block.sorts) {
    // A column the grid may not have is ignored before any arithmetic.
    if (sort.column >= paging_.maxCols) continue;
    try {
      if (sort.column >= columns_.Count()) SetColCount(sort.column + 1);
      if (sort.column < columns_.Count()) {
        for (TZylColumn* c : columns_) c->StoreSortOrder(TSortOrder::soNone);
        if (sort.order != TSortOrder::soNone) columns_.Get(sort.column)->StoreSortOrder(sort.order);
      }
    } catch (const Exception&) {
      // A column that cannot be made is ignored.
    }
  }

  // "GO": the first record of the chosen page.
  if (block.go) {
    long long first = (static_cast<long long>(paging_.page) - 1) * paging_.rowsPerPage;
    paging_.recNo = first > INT_MAX ? INT_MAX : static_cast<int>(first);
  }

  // Finding: every form carries the whole filter, so what is posted
  // replaces it; Clear drops it.
  if (block.clearFilters || !block.filters.empty() || block.search) {
    finding_.filters.clear();
    finding_.search.clear();
  }
  if (!block.clearFilters) {
    for (const auto& [field, text] : block.filters) SetFilter(field, text);
    if (block.search) SetSearch(*block.search);
  }

  // A GUID the page's TZylCSS did not issue is none: the page gets a fresh one.
  if (block.guid && (links_.css == nullptr || links_.css->IsIssuedGUID(*block.guid))) {
    editing_.guid = *block.guid;
    if (links_.css != nullptr) links_.css->SetGUID(*block.guid);
  } else if (links_.css != nullptr) {
    editing_.guid = links_.css->GetGUID();
  }
  // With issued GUIDs, a change needs one of them among the posted fields
  // (a detail's block carries its master's): a post made up elsewhere is
  // refused before anything is written.
  bool change = block.update || block.updateAdd || block.deleteRecord || block.addRecord ||
                action == TGridAction::gaUpdateData;
  if (change && links_.css != nullptr && links_.css->GetSignGUIDs() && !HasIssuedGUID(fields)) {
    editing_.addPending = false;
    editing_.addingRecord = false;
    if (action == TGridAction::gaUpdateData || action == TGridAction::gaAddNew ||
        action == TGridAction::gaDeleteCurrent) {
      action = TGridAction::gaNoAction;
    }
    links_.css->SetErrorText(texts_.textRequestRefused);
    editing_.showErrorBox = true;
  }
  return action;
}

bool TZylHTMLGrid::CanUpdate() {
  return TestPageLock(false);
}

bool TZylHTMLGrid::ClaimChange() {
  return TestPageLock(true);
}

bool TZylHTMLGrid::TestPageLock(bool claim) {
  if (links_.css == nullptr || !GetEditMode()) return false;
  std::string prefix = LockPrefix(*links_.css);
  UpdateLockStore& store = links_.css->GetUpdateLockStore();
  const long maxAge = links_.css->GetMaxLockAge();
  // A lock older than the age limit counts as gone: the page is stale.
  bool valid = IsUpdateLockKey(prefix, editing_.guid) &&
               (claim ? store.Claim(prefix, editing_.guid, maxAge)
                      : store.IsValid(prefix, editing_.guid, maxAge));
  if (!valid && links_.masterGrid == nullptr) links_.css->SetErrorText(texts_.textUpdateError);
  return valid;
}

void TZylHTMLGrid::TakeUpdateLock() {
  if (links_.css == nullptr || !GetEditMode()) return;
  if (editing_.guid.empty()) editing_.guid = links_.css->GetGUID();  // as the page will carry
  editing_.lockTaken = WriteLock(*links_.css, editing_.guid);
}

// A lock taken before the read is not written again: a change claimed
// since then removed it, and the page it would guard shows positions from
// before that change.
bool TZylHTMLGrid::Done() {
  if (links_.css == nullptr || !GetEditMode()) return false;
  return editing_.lockTaken || WriteLock(*links_.css, editing_.guid);
}

void TZylHTMLGrid::CleanupEdits() {
  if (links_.css == nullptr || !GetEditMode()) return;
  links_.css->GetUpdateLockStore().DeleteAll(LockPrefix(*links_.css));
}

std::string TZylHTMLGrid::GetTempFileName() {
  return CreateUniqueTempFile(TempDirectory(), "");
}

void TZylHTMLGrid::SendFile(const std::string& contentType, TStream& stream,
                            const std::string& fileName) {
  if (links_.css == nullptr) return;
  links_.css->GetRequestChannel().SendDownload(SafeHeaderText(contentType),
                                               SafeHeaderText(fileName), stream);
}

}  // namespace zyl
