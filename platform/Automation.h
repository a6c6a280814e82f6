// Late-bound automation objects: method calls and property reads and writes
// by name with variant arguments, the way an ASP host's Request and Response
// objects (and the export engine's catalog, table and connection objects)
// are driven. Implementations live beside the code that needs them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Variant.h"

namespace zyl {

enum class TInvokeKind { Method, PropertyGet, PropertyPut };

class IAutoObject {
 public:
  virtual ~IAutoObject() = default;
  // Calls member `name`. For PropertyPut the last argument is the value.
  // Unknown members and bad arguments raise zyl::Exception with a message
  // naming the object and the member.
  virtual TVariant Invoke(const std::string& name, TInvokeKind kind,
                          std::vector<TVariant>& args) = 0;

  // Conveniences over Invoke.
  TVariant Call(const std::string& name, std::vector<TVariant> args = {}) {
    return Invoke(name, TInvokeKind::Method, args);
  }
  TVariant Get(const std::string& name, std::vector<TVariant> args = {}) {
    return Invoke(name, TInvokeKind::PropertyGet, args);
  }
  void Put(const std::string& name, TVariant value) {
    std::vector<TVariant> args{std::move(value)};
    Invoke(name, TInvokeKind::PropertyPut, args);
  }
};

}  // namespace zyl
