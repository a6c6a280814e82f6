// The connection object of the export engine, standing in for
// "ADODB.Connection" with the Jet 4.0 provider:
//
//   Provider, Username, Password, ConnectionString   (get, put)
//   Open([connection string[, user[, password[, options]]]])
//   Execute(command text[, records affected (out)[, options]])
//   Close()
//   State (get: 0 closed, 1 open)
//
// Open reaches a database created in the same engine session; the Jet
// provider and the unsecured account (user "Admin" or none, no password)
// are the only ones there are. Execute runs one SQL statement
// (JetDatabase.h) and returns no records; Close writes the database file.
#pragma once

#include <memory>

#include "export/engine/EngineObject.h"

namespace zyl::exporting {

class AdoConnection : public EngineObject {
 public:
  explicit AdoConnection(std::shared_ptr<JetEngine> engine);

 protected:
  TVariant Dispatch(const std::string& name, TInvokeKind kind,
                    std::vector<TVariant>& args) override;

 private:
  void Open(std::vector<TVariant>& args);
  TVariant Execute(std::vector<TVariant>& args);
  void Close();

  std::string provider_;
  std::string username_;
  std::string password_;
  std::string connectionString_;
  std::shared_ptr<JetDatabase> database_;  // set while open
};

}  // namespace zyl::exporting
