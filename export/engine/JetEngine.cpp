#include "export/engine/JetEngine.h"

#include <filesystem>

#include "export/engine/EngineError.h"
#include "platform/System.h"

namespace zyl::exporting {

JetEngine::JetEngine(SessionSettings settings, AutomationTrace* trace)
    : settings_(std::move(settings)), trace_(trace) {}

std::string JetEngine::Key(const std::string& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

std::shared_ptr<JetDatabase> JetEngine::CreateDatabase(const std::string& path) {
  if (path.empty()) throw EOleException("Jet engine: the connection string names no Data Source");
  if (FileExists(path)) throw EOleException("Jet engine: Database '" + path + "' already exists.");
  auto database = std::make_shared<JetDatabase>(path, settings_.stagingOnly);
  database->WriteFile();
  databases_[Key(path)] = database;
  return database;
}

std::shared_ptr<JetDatabase> JetEngine::OpenDatabase(const std::string& path) {
  if (path.empty()) throw EOleException("Jet engine: the connection string names no Data Source");
  if (!FileExists(path)) throw EOleException("Jet engine: Could not find file '" + path + "'.");
  auto found = databases_.find(Key(path));
  if (found == databases_.end()) {
    throw EOleException("Jet engine: cannot open '" + path +
                        "': the engine opens only the databases it created in this session");
  }
  return found->second;
}

Substitutions JetEngine::Substituted(const std::string& path) const {
  auto found = databases_.find(Key(path));
  return found == databases_.end() ? Substitutions{} : found->second->Substituted();
}

}  // namespace zyl::exporting
