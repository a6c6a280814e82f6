// The root classes of the component framework: TObject (a class name and a
// virtual destructor) and TPersistent (copying between objects with Assign).
#pragma once

#include <string>

#include "platform/Exception.h"

namespace zyl {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // The class's name as the component interface spells it ("TZylHTMLGrid").
  virtual std::string ClassName() const { return "TObject"; }
};

class TPersistent : public TObject {
 public:
  std::string ClassName() const override { return "TPersistent"; }

  // Copies `source` into this object. The default asks the source to assign
  // itself (AssignTo); when neither side knows the other's class, raises
  // EConvertError "Cannot assign a <source class> to a <this class>".
  virtual void Assign(const TPersistent& source) { source.AssignTo(*this); }

 protected:
  // Copies this object into `dest`. The default raises the assignment error.
  virtual void AssignTo(TPersistent& dest) const {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
  }
  // Raises the assignment error for `source` into this object.
  [[noreturn]] void AssignError(const TPersistent& source) const {
    throw EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName());
  }
};

}  // namespace zyl
