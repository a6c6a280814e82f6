#include "export/engine/EngineObject.h"

#include <cmath>

#include "export/engine/EngineError.h"
#include "export/engine/SqlLexer.h"
#include "platform/Format.h"
#include "platform/Text.h"

namespace zyl::exporting {

EngineObject::EngineObject(std::string className, std::shared_ptr<JetEngine> engine)
    : engine_(std::move(engine)), className_(std::move(className)) {}

TVariant EngineObject::Invoke(const std::string& name, TInvokeKind kind,
                              std::vector<TVariant>& args) {
  if (AutomationTrace* trace = engine_->Trace()) {
    std::string line = className_ + "." + name;
    if (kind == TInvokeKind::PropertyPut) {
      line += " := " + (args.empty() ? std::string("?") : TraceArgument(args.back()));
    } else if (kind == TInvokeKind::Method) {
      line += "(";
      for (std::size_t i = 0; i < args.size(); ++i)
        line += (i ? ", " : "") + TraceArgument(args[i]);
      line += ")";
    } else if (!args.empty()) {
      line += "(";
      for (std::size_t i = 0; i < args.size(); ++i)
        line += (i ? ", " : "") + TraceArgument(args[i]);
      line += ")";
    }
    trace->calls.push_back(std::move(line));
  }
  if (kind == TInvokeKind::PropertyPut && args.empty()) {
    Fail("property put '" + name + "' without a value");
  }
  return Dispatch(name, kind, args);
}

void EngineObject::Fail(const std::string& message) const {
  throw EOleException(className_ + ": " + message);
}

void EngineObject::Unknown(const std::string& name, TInvokeKind kind) const {
  const char* how = kind == TInvokeKind::Method        ? "method"
                    : kind == TInvokeKind::PropertyGet ? "property get"
                                                       : "property put";
  Fail("unknown member '" + name + "' (" + how + ")");
}

void EngineObject::CheckArgs(const std::string& name, const std::vector<TVariant>& args,
                             std::size_t min, std::size_t max) const {
  if (args.size() < min || args.size() > max) {
    Fail("'" + name + "' takes " +
         (min == max ? std::to_string(min) : std::to_string(min) + " to " + std::to_string(max)) +
         " arguments, not " + std::to_string(args.size()));
  }
}

std::int64_t EngineObject::WholeNumber(const std::string& what, const TVariant& v) const {
  if (v.GetKind() == TVariant::Kind::Integer) return v.ToInt64();
  if (v.GetKind() == TVariant::Kind::Double) {
    const double d = v.ToDouble();
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9e15) {
      return static_cast<std::int64_t>(d);
    }
  }
  Fail(what + " must be a whole number, not " + v.KindName() + " " + TraceArgument(v));
}

std::string EngineObject::Text(const std::string& what, const TVariant& v) const {
  if (v.GetKind() != TVariant::Kind::String) {
    Fail(what + " must be a String, not " + v.KindName());
  }
  return v.ToString();
}

bool EngineObject::Is(const std::string& name, const char* member) {
  return SameAsciiText(name, member);
}

std::string TraceArgument(const TVariant& v) {
  // Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on
  // "literal" + std::string.
  std::string text;
  auto enclose = [&text](char open, const std::string& inner, const char* close) {
    text += open;
    text += inner;
    text += close;
    return text;
  };
  switch (v.GetKind()) {
    case TVariant::Kind::Empty:
      return "Empty";
    case TVariant::Kind::Null:
      return "Null";
    case TVariant::Kind::Boolean:
      return v.ToBoolean() ? "True" : "False";
    case TVariant::Kind::Integer:
      return IntToStr(v.ToInt64());
    case TVariant::Kind::Double:
      return FloatToStr(v.ToDouble());
    case TVariant::Kind::Date:
      return enclose('#', FloatToStr(v.ToDouble()), "#");
    case TVariant::Kind::String:
      return enclose('"', v.ToString(), "\"");
    case TVariant::Kind::ByteArray:
      return enclose('<', std::to_string(v.ToBytes().size()), " bytes>");
    case TVariant::Kind::Object: {
      const auto* object = dynamic_cast<const EngineObject*>(v.ToObject().get());
      return enclose('<', object != nullptr ? object->ClassName() : "object", ">");
    }
  }
  return "?";
}

}  // namespace zyl::exporting
