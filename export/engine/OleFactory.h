// Creates the export engine's automation objects by class name, as COM's
// CreateOleObject does for the real ones. One factory is one engine
// session (JetEngine.h): the catalog, table and connection objects it
// creates share its databases, regional settings and trace.
#pragma once

#include <memory>
#include <string>

#include "export/ExportTable.h"
#include "export/engine/AutomationTrace.h"
#include "export/engine/ValueConversion.h"
#include "platform/Automation.h"

namespace zyl::exporting {

class JetEngine;

class OleFactory {
 public:
  // `trace` (not owned, may be null) must outlive every object created.
  explicit OleFactory(SessionSettings settings = {}, AutomationTrace* trace = nullptr);

  // "ADOX.Catalog", "ADOX.Table" or "ADODB.Connection" (letter case
  // ignored). Throws EOleException "Invalid class string" for any other.
  std::shared_ptr<IAutoObject> CreateOleObject(const std::string& className);

  // The values the database at `path`, created in this session, has
  // substituted (JetDatabase::Substituted); none for any other path.
  Substitutions Substituted(const std::string& path) const;

 private:
  std::shared_ptr<JetEngine> engine_;
};

}  // namespace zyl::exporting
