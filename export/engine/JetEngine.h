// One session of the export engine: what the Jet engine and the OLE DB
// provider are to the automation objects. It knows the databases created
// in it (by path), the regional settings it reads dates with, and the
// trace it reports calls to. A session lives as long as any of its objects.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "export/engine/AutomationTrace.h"
#include "export/engine/JetDatabase.h"
#include "export/engine/ValueConversion.h"

namespace zyl::exporting {

class JetEngine {
 public:
  // `trace` (not owned, may be null) must outlive the session.
  explicit JetEngine(SessionSettings settings = {}, AutomationTrace* trace = nullptr);

  // Creates the empty database file at `path`. Throws EOleException when a
  // file of that name exists; the file sink's errors pass through.
  std::shared_ptr<JetDatabase> CreateDatabase(const std::string& path);
  // The database at `path`, created in this session and still on disk.
  // Throws EOleException otherwise (the engine reads no foreign files).
  std::shared_ptr<JetDatabase> OpenDatabase(const std::string& path);

  // JetDatabase::Substituted of the database at `path`; none when the
  // session created no database there.
  Substitutions Substituted(const std::string& path) const;

  const SessionSettings& Settings() const { return settings_; }
  AutomationTrace* Trace() const { return trace_; }

 private:
  static std::string Key(const std::string& path);

  SessionSettings settings_;
  AutomationTrace* trace_;
  std::map<std::string, std::shared_ptr<JetDatabase>> databases_;
};

}  // namespace zyl::exporting
