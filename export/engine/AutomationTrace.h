// A record of what was asked of the export engine's automation objects:
// every call in order, and the command text of every SQL statement. The
// export fills one when a caller hands it in (tests, diagnostics).
#pragma once

#include <string>
#include <vector>

namespace zyl::exporting {

struct AutomationTrace {
  // One line per call, in order:
  //   method        "ADOX.Catalog.Create(\"Provider=...\")"
  //   property get  "ADOX.Table.Columns"
  //   property put  "ADOX.Table.Name := \"ExportTable\""
  // Strings are shown in double quotes, numbers as they are, objects as
  // "<ADOX.Table>", Null and Empty as "Null" and "Empty".
  std::vector<std::string> calls;
  // The command text of every Execute, exactly as received.
  std::vector<std::string> statements;
};

}  // namespace zyl::exporting
