// The grid's entry point for a request: GET takes QUERY_STRING, POST the
// grid's QueryString plus the page's posted fields; both go to the field
// parser as name/value pairs. Environment reads go through the linked
// TZylCSS.
#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "request/FormProtocol.h"
#include "request/ZylCSS.h"

namespace zyl {

std::string TZylHTMLGrid::WWWDecode(const std::string& s) { return form::UrlDecode(s); }

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
  // In a POST the URL's query is what the program put into QueryString;
  // its fields come before the posted ones.
  const form::FormFields& posted = css_->GetPostFields();
  TGridAction action;
  if (queryString_.empty()) {
    action = ProcessFields(posted);
  } else {
    form::FormFields fields = form::ParseUrlEncoded(queryString_);
    fields.insert(fields.end(), posted.begin(), posted.end());
    action = ProcessFields(fields);
  }
  queryString_.clear();
  return action;
}

TGridAction TZylHTMLGrid::ProcessQueryString() {
  queryString_ = GetEnvironmentVariable("QUERY_STRING");
  if (queryString_.empty()) return TGridAction::gaNoAction;
  TGridAction action = ProcessFields(form::ParseUrlEncoded(queryString_));
  queryString_.clear();
  return action;
}

}  // namespace zyl
