#include "request/ZylCSS.h"

#include "platform/Digest.h"
#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "request/PageGuid.h"
#include "request/UpdateLockStore.h"

namespace zyl {

TZylCSS::TZylCSS(TComponent* owner) : TComponent(owner) {
  moduleFileName_ = ModuleFileName();
  modulePath_ = ExtractFilePath(moduleFileName_);
  postData_.OnChange = [this](TStringList& lines) {
    if (!rebuildingPostData_) postFields_ = form::FromLines(lines);
  };
}

void TZylCSS::SetCSS(const TStringList& lines) {
  css_.BeginUpdate();
  css_.Assign(lines);
  css_.EndUpdate();
}

const std::string& TZylCSS::GetGUID() {
  if (guid_.empty()) {
    guid_ = signGUIDs_ ? form::IssueGuid(GetSiteSecret(), browserKey_) : CreateGuidString();
  }
  return guid_;
}

bool TZylCSS::IsIssuedGUID(const std::string& guid) const {
  if (!signGUIDs_) return IsGuidString(guid);
  return form::IsIssuedGuid(GetSiteSecret(), browserKey_, guid);
}

const std::string& TZylCSS::GetSiteSecret() const {
  static const std::string processSecret = RandomBytes(32);
  return siteSecret_.empty() ? processSecret : siteSecret_;
}

UpdateLockStore& TZylCSS::GetUpdateLockStore() const {
  return updateLockStore_ != nullptr ? *updateLockStore_ : DefaultUpdateLockStore();
}

RequestChannel& TZylCSS::GetRequestChannel() const {
  if (hostChannel_ != nullptr) return *hostChannel_;
  switch (moduleType_) {
    case TModuleType::Console:
      consoleChannel_.SetOutput(consoleOutput_);
      return consoleChannel_;
    case TModuleType::ASP:
      aspChannel_.SetObjects(aspRequest_, aspResponse_);
      return aspChannel_;
    case TModuleType::WebModule:
      break;
  }
  return webModuleChannel_;
}

std::string TZylCSS::GetEnvironmentVariable(const std::string& name) const {
  return GetRequestChannel().GetVariable(name);
}

std::string TZylCSS::WWWDecode(const std::string& s) {
  return form::UrlDecode(s);
}

void TZylCSS::ReadPostDataOnce() {
  if (postDataRead_) return;
  ProcessPostData();
  postDataRead_ = true;
}

const form::FormFields& TZylCSS::GetPostFields() {
  ReadPostDataOnce();
  return postFields_;
}

void TZylCSS::SetPostFields(form::FormFields fields) {
  postFields_ = std::move(fields);
  postDataStale_ = true;
}

TStringList& TZylCSS::GetPostData() {
  ReadPostDataOnce();
  if (postDataStale_) {
    rebuildingPostData_ = true;
    form::ToLines(postFields_, postData_);
    rebuildingPostData_ = false;
    postDataStale_ = false;
  }
  return postData_;
}

void TZylCSS::SetPostData(const TStringList& lines) {
  SetPostFields(form::FromLines(lines));
}

void TZylCSS::ProcessPostData() {
  // A web-module host without a channel of its own sets the fields itself.
  if (hostChannel_ == nullptr && moduleType_ == TModuleType::WebModule) return;
  SetPostFields({});
  if (AnsiUpperCase(GetEnvironmentVariable("REQUEST_METHOD")) != "POST") return;
  std::int64_t length = 0;
  if (!TryStrToInt64(GetEnvironmentVariable("CONTENT_LENGTH"), length)) length = 0;
  if (length <= 0) return;
  SetPostFields(GetRequestChannel().ReadFields(length, maxPostSize_, maxPostFields_));
}

std::string TZylCSS::GetScriptPath() const {
  std::string name = GetScriptName();
  std::size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

void TZylCSS::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TZylCSS*>(&source);
  if (other == nullptr) AssignError(source);
  cssUnits_ = other->cssUnits_;
  wordWrap_ = other->wordWrap_;
  postDataRead_ = other->postDataRead_;
  css_.Assign(other->css_);
  SetPostFields(other->postFields_);
}

}  // namespace zyl
