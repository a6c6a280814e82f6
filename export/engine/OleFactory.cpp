#include "export/engine/OleFactory.h"

#include "export/engine/AdoConnection.h"
#include "export/engine/AdoxObjects.h"
#include "export/engine/EngineError.h"
#include "export/engine/JetEngine.h"
#include "export/engine/SqlLexer.h"
#include "platform/Text.h"

namespace zyl::exporting {

OleFactory::OleFactory(SessionSettings settings, AutomationTrace* trace)
    : engine_(std::make_shared<JetEngine>(std::move(settings), trace)) {}

std::shared_ptr<IAutoObject> OleFactory::CreateOleObject(const std::string& className) {
  if (AutomationTrace* trace = engine_->Trace()) {
    trace->calls.push_back("CreateOleObject(\"" + className + "\")");
  }
  if (SameAsciiText(className, "ADOX.Catalog")) return std::make_shared<AdoxCatalog>(engine_);
  if (SameAsciiText(className, "ADOX.Table")) return std::make_shared<AdoxTable>(engine_);
  if (SameAsciiText(className, "ADODB.Connection")) {
    return std::make_shared<AdoConnection>(engine_);
  }
  throw EOleException("automation: cannot create '" + className +
                      "': Invalid class string (the export engine provides ADOX.Catalog, "
                      "ADOX.Table and ADODB.Connection)");
}

Substitutions OleFactory::Substituted(const std::string& path) const {
  return engine_->Substituted(path);
}

}  // namespace zyl::exporting
