// The grid's entry point for a request: GET takes QUERY_STRING, POST the
// grid's QueryString plus the page's posted fields; both go to the field
// parser. Environment reads go through the linked TZylCSS.
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "request/ZylCSS.h"

namespace zyl {

std::string TZylHTMLGrid::GetEnvironmentVariable(const std::string& name) const {
  return css_ == nullptr ? std::string() : css_->GetEnvironmentVariable(name);
}

std::string TZylHTMLGrid::GetScriptName() const {
  return css_ == nullptr ? std::string() : css_->GetScriptName();
}

std::string TZylHTMLGrid::GetScriptPath() const {
  return css_ == nullptr ? std::string() : css_->GetScriptPath();
}

std::string TZylHTMLGrid::GetServerName() const {
  return css_ == nullptr ? std::string() : css_->GetServerName();
}

TStringList* TZylHTMLGrid::GetPostData() const {
  return css_ == nullptr ? nullptr : &css_->GetPostData();
}

TGridAction TZylHTMLGrid::ProcessParameters() {
  std::string method = AnsiUpperCase(GetEnvironmentVariable("REQUEST_METHOD"));
  if (method == "GET") return ProcessQueryString();
  if (method != "POST" || css_ == nullptr) return TGridAction::gaNoAction;
  queryString_ =
      WWWDecode(StringReplace(queryString_, "&", "\r\n", {TReplaceFlag::rfReplaceAll}));
  std::string fields = queryString_;
  fields += "\r\n";
  fields += css_->GetPostData().GetText();
  TGridAction action = ProcessParametersData(fields);
  queryString_.clear();
  return action;
}

TGridAction TZylHTMLGrid::ProcessQueryString() {
  queryString_ = GetEnvironmentVariable("QUERY_STRING");
  if (queryString_.empty()) return TGridAction::gaNoAction;
  queryString_ =
      WWWDecode(StringReplace(queryString_, "&", "\r\n", {TReplaceFlag::rfReplaceAll}));
  TGridAction action = ProcessParametersData(queryString_);
  queryString_.clear();
  return action;
}

}  // namespace zyl
