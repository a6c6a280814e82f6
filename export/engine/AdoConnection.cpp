#include "export/engine/AdoConnection.h"

#include "export/engine/ConnectionString.h"
#include "export/engine/EngineError.h"
#include "export/engine/SqlLexer.h"
#include "platform/Text.h"

namespace zyl::exporting {

AdoConnection::AdoConnection(std::shared_ptr<JetEngine> engine)
    : EngineObject("ADODB.Connection", std::move(engine)) {}

TVariant AdoConnection::Dispatch(const std::string& name, TInvokeKind kind,
                                 std::vector<TVariant>& args) {
  std::string* property = Is(name, "Provider")           ? &provider_
                          : Is(name, "Username")         ? &username_
                          : Is(name, "Password")         ? &password_
                          : Is(name, "ConnectionString") ? &connectionString_
                                                         : nullptr;
  if (property != nullptr && kind == TInvokeKind::PropertyGet) {
    CheckArgs(name, args, 0, 0);
    return *property;
  }
  if (property != nullptr && kind == TInvokeKind::PropertyPut) {
    CheckArgs(name, args, 1, 1);
    if (database_) Fail("Operation is not allowed when the object is open. (" + name + ")");
    *property = args[0].IsNullOrEmpty() ? std::string() : Text(name, args[0]);
    return {};
  }
  if (kind == TInvokeKind::PropertyGet && Is(name, "State")) {
    CheckArgs(name, args, 0, 0);
    return database_ ? 1 : 0;
  }
  if (kind == TInvokeKind::Method) {
    if (Is(name, "Open")) {
      CheckArgs(name, args, 0, 4);
      Open(args);
      return {};
    }
    if (Is(name, "Execute")) {
      CheckArgs(name, args, 1, 3);
      return Execute(args);
    }
    if (Is(name, "Close")) {
      CheckArgs(name, args, 0, 0);
      Close();
      return {};
    }
  }
  Unknown(name, kind);
}

void AdoConnection::Open(std::vector<TVariant>& args) {
  if (database_) Fail("Operation is not allowed when the object is open.");
  auto argText = [&](std::size_t i, const std::string& fallback) {
    return i < args.size() && !args[i].IsNullOrEmpty() ? Text("an Open argument", args[i])
                                                       : fallback;
  };
  const ConnectionSettings settings = ParseConnectionString(argText(0, connectionString_));
  const std::string provider = settings.provider.empty() ? provider_ : settings.provider;
  if (!IsJetProvider(provider)) {
    Fail("Provider cannot be found. It may not be properly installed. ('" + provider +
         "'; the engine provides " + kJetProvider + ")");
  }
  const std::string user = argText(1, settings.userId.empty() ? username_ : settings.userId);
  const std::string password =
      argText(2, settings.password.empty() ? password_ : settings.password);
  if ((!user.empty() && !SameAsciiText(user, "Admin")) || !password.empty()) {
    Fail(
        "Not a valid account name or password. (the database is unsecured: user Admin, no "
        "password)");
  }
  database_ = engine_->OpenDatabase(settings.dataSource);
}

TVariant AdoConnection::Execute(std::vector<TVariant>& args) {
  if (!database_) Fail("Operation is not allowed when the object is closed. (Execute)");
  const std::string command = Text("the command text", args[0]);
  if (args.size() == 3 && !args[2].IsNullOrEmpty()) WholeNumber("the options", args[2]);
  if (AutomationTrace* trace = engine_->Trace()) trace->statements.push_back(command);
  const long affected = database_->Execute(command, engine_->Settings());
  if (args.size() >= 2) args[1] = static_cast<std::int64_t>(affected);
  return {};
}

void AdoConnection::Close() {
  if (!database_) Fail("Operation is not allowed when the object is closed. (Close)");
  auto database = std::move(database_);
  database_.reset();
  database->Flush();
}

}  // namespace zyl::exporting
