// The base of the export engine's automation objects: member names ignore
// letter case (as late-bound automation does), every call is reported to
// the session's trace first, and failures name the object's class.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "export/engine/JetEngine.h"
#include "platform/Automation.h"

namespace zyl::exporting {

class EngineObject : public IAutoObject {
 public:
  TVariant Invoke(const std::string& name, TInvokeKind kind, std::vector<TVariant>& args) final;
  // The automation class name ("ADOX.Table").
  const std::string& ClassName() const { return className_; }

 protected:
  EngineObject(std::string className, std::shared_ptr<JetEngine> engine);

  virtual TVariant Dispatch(const std::string& name, TInvokeKind kind,
                            std::vector<TVariant>& args) = 0;

  // "<class>: <message>".
  [[noreturn]] void Fail(const std::string& message) const;
  [[noreturn]] void Unknown(const std::string& name, TInvokeKind kind) const;
  // Refuses fewer than `min` or more than `max` arguments.
  void CheckArgs(const std::string& name, const std::vector<TVariant>& args, std::size_t min,
                 std::size_t max) const;
  // A whole number argument (Integer, or a Double without fraction).
  std::int64_t WholeNumber(const std::string& what, const TVariant& v) const;
  // A String argument.
  std::string Text(const std::string& what, const TVariant& v) const;

  static bool Is(const std::string& name, const char* member);

  std::shared_ptr<JetEngine> engine_;

 private:
  std::string className_;
};

// An argument as the trace shows it: "text" in quotes, numbers, True/False,
// Null, Empty, <class> for objects.
std::string TraceArgument(const TVariant& v);

}  // namespace zyl::exporting
