#include "platform/AspObjects.h"

#include "platform/Exception.h"
#include "platform/Locale.h"

namespace zyl {

namespace {

// A read-only collection object with Count and indexed members.
class TAspCollection : public IAutoObject {
 public:
  using Getter = std::function<TVariant(const std::string& member, std::int64_t index)>;
  TAspCollection(std::int64_t count, Getter getter) : count_(count), getter_(std::move(getter)) {}
  TVariant Invoke(const std::string& name, TInvokeKind kind, std::vector<TVariant>& args) override {
    if (kind == TInvokeKind::PropertyPut) throw Exception("ASP collection: '" + name + "' is read-only");
    if (AnsiSameText(name, "Count")) return TVariant(count_);
    if (args.size() != 1) throw Exception("ASP collection: '" + name + "' needs one index");
    std::int64_t i = args[0].ToInt64();
    if (i < 1 || i > count_) throw Exception("ASP collection: index " + std::to_string(i) + " out of range");
    return getter_(name, i);
  }

 private:
  std::int64_t count_;
  Getter getter_;
};

}  // namespace

TVariant TAspRequest::Invoke(const std::string& name, TInvokeKind kind, std::vector<TVariant>& args) {
  if (AnsiSameText(name, "ServerVariables")) {
    if (args.size() != 1) throw Exception("Request.ServerVariables: one name expected");
    auto it = serverVariables_.find(args[0].ToString());
    return TVariant(it == serverVariables_.end() ? std::string() : it->second);
  }
  if (AnsiSameText(name, "Form")) {
    if (args.empty()) {  // the collection: Count and Key(i)
      return TVariant(std::static_pointer_cast<IAutoObject>(std::make_shared<TAspCollection>(
          static_cast<std::int64_t>(form_.size()), [this](const std::string& member, std::int64_t i) {
            if (!AnsiSameText(member, "Key")) throw Exception("Request.Form: unknown member '" + member + "'");
            return TVariant(form_[static_cast<std::size_t>(i - 1)].first);
          })));
    }
    std::int64_t i = args[0].ToInt64();
    if (i < 1 || i > static_cast<std::int64_t>(form_.size())) {
      throw Exception("Request.Form: index " + std::to_string(i) + " out of range");
    }
    const auto& values = form_[static_cast<std::size_t>(i - 1)].second;
    return TVariant(std::static_pointer_cast<IAutoObject>(std::make_shared<TAspCollection>(
        static_cast<std::int64_t>(values.size()), [values](const std::string& member, std::int64_t j) {
          if (!AnsiSameText(member, "Item")) throw Exception("Request.Form(i): unknown member '" + member + "'");
          return TVariant(values[static_cast<std::size_t>(j - 1)]);
        })));
  }
  (void)kind;
  throw Exception("Request: unknown member '" + name + "'");
}

TVariant TAspResponse::Invoke(const std::string& name, TInvokeKind kind, std::vector<TVariant>& args) {
  calls_.push_back(Call{name, args});
  if (AnsiSameText(name, "Clear")) {
    body_.clear();
    headers_.clear();
  } else if (AnsiSameText(name, "ContentType") && kind == TInvokeKind::PropertyPut && args.size() == 1) {
    contentType_ = args[0].ToString();
  } else if (AnsiSameText(name, "Status") && kind == TInvokeKind::PropertyPut && args.size() == 1) {
    status_ = args[0].ToString();
  } else if (AnsiSameText(name, "AddHeader") && args.size() == 2) {
    headers_.emplace_back(args[0].ToString(), args[1].ToString());
  } else if (AnsiSameText(name, "BinaryWrite") && args.size() == 1) {
    const auto& bytes = args[0].ToBytes();
    body_.insert(body_.end(), bytes.begin(), bytes.end());
  } else if (AnsiSameText(name, "End")) {
    ended_ = true;
  } else {
    throw Exception("Response: unknown member '" + name + "'");
  }
  return TVariant();
}

}  // namespace zyl
