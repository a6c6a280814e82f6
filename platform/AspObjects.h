// In-memory ASP Request and Response objects, driven through the
// automation interface exactly as an ASP host's objects are. Tests use
// them, and so can hosts that bridge to a real automation host: fill the
// Request from the real one, then replay the Response's recorded calls.
//
// Request members: ServerVariables(name) (method) -> string; Form() (method)
// -> the form collection, with Count (property) and Key(i) (property, 1-based);
// Form(i) (property, 1-based) -> the values of field i, with Count and Item(j).
// Response members: Clear(), Status and ContentType (property puts),
// AddHeader(name, value), BinaryWrite(bytes), End(); every call is recorded
// in order.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Automation.h"

namespace zyl {

class TAspRequest : public IAutoObject {
 public:
  void SetServerVariable(const std::string& name, const std::string& value) {
    serverVariables_[name] = value;
  }
  // Adds a form field with one or more values, in posting order.
  void AddFormField(const std::string& name, std::vector<std::string> values) {
    form_.emplace_back(name, std::move(values));
  }
  TVariant Invoke(const std::string& name, TInvokeKind kind, std::vector<TVariant>& args) override;

 private:
  std::map<std::string, std::string> serverVariables_;
  std::vector<std::pair<std::string, std::vector<std::string>>> form_;
};

class TAspResponse : public IAutoObject {
 public:
  struct Call {
    std::string name;
    std::vector<TVariant> args;
  };
  TVariant Invoke(const std::string& name, TInvokeKind kind, std::vector<TVariant>& args) override;

  const std::vector<Call>& Calls() const { return calls_; }
  const std::string& ContentType() const { return contentType_; }
  const std::string& Status() const { return status_; }  // empty until set
  const std::vector<std::pair<std::string, std::string>>& Headers() const { return headers_; }
  const std::vector<std::uint8_t>& Body() const { return body_; }
  bool Ended() const { return ended_; }

 private:
  std::vector<Call> calls_;
  std::string contentType_;
  std::string status_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::vector<std::uint8_t> body_;
  bool ended_ = false;
};

}  // namespace zyl
