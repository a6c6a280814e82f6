#include "request/ZylCSS.h"

#include "platform/Automation.h"
#include "platform/System.h"
#include "request/UpdateLockStore.h"

namespace zyl {

TZylCSS::TZylCSS(TComponent* owner) : TComponent(owner) {
  moduleFileName_ = ModuleFileName();
  modulePath_ = ExtractFilePath(moduleFileName_);
}

void TZylCSS::SetCSS(const TStringList& lines) {
  css_.BeginUpdate();
  css_.Assign(lines);
  css_.EndUpdate();
}

void TZylCSS::SetPostData(const TStringList& lines) { postData_.Assign(lines); }

const std::string& TZylCSS::GetGUID() {
  if (guid_.empty()) guid_ = CreateGuidString();
  return guid_;
}

UpdateLockStore& TZylCSS::GetUpdateLockStore() const {
  return updateLockStore_ != nullptr ? *updateLockStore_ : DefaultUpdateLockStore();
}

std::string TZylCSS::GetEnvironmentVariable(const std::string& name) const {
  switch (moduleType_) {
    case TModuleType::Console: {
      std::string value;
      return GetEnvVar(name, value) ? value : std::string();
    }
    case TModuleType::WebModule:
      return std::string();
    case TModuleType::ASP: {
      if (aspRequest_.IsNullOrEmpty()) return std::string();
      return aspRequest_.ToObject()->Call("ServerVariables", {TVariant(name)}).ToString();
    }
  }
  return std::string();
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
  postData_.Assign(other->postData_);
}

}  // namespace zyl
