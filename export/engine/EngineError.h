// The error every failing automation call and SQL statement of the export
// engine raises. Messages start with the part that failed ("Jet engine: ",
// "ADOX.Table: ") and, for SQL, follow the database engine's own wording
// ("Syntax error in INSERT INTO statement.") with the detail after it.
#pragma once

#include "platform/Exception.h"

namespace zyl::exporting {

class EOleException : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace zyl::exporting
