// The catalog objects of the export engine, standing in for ADOX:
//
//   "ADOX.Catalog"  Create(connection string)  creates the empty database
//                   Tables                     the catalog's tables
//   ADOX.Tables     Append(table)              stores a table's definition
//                   Count
//   "ADOX.Table"    Name (get, put)            Columns
//   ADOX.Columns    Append(name, type[, size]) Item(index or name)  Count
//   ADOX.Column     Attributes (get, put: 1 fixed, 2 nullable), Name, Type,
//                   DefinedSize
//
// Types are ADO type codes (export/ExportTable.h's AdoType); a column is
// not nullable until its Attributes say so. Columns.Append checks the
// arguments; the database judges the whole definition at Tables.Append,
// after which the table object can no longer be changed.
#pragma once

#include <memory>

#include "export/ExportTable.h"
#include "export/engine/EngineObject.h"

namespace zyl::exporting {

// A table definition shared by a table object and its column objects.
struct TableDefinition {
  Table table;
  bool appended = false;  // stored in a catalog; no further changes
};

class AdoxCatalog : public EngineObject {
 public:
  explicit AdoxCatalog(std::shared_ptr<JetEngine> engine);

 protected:
  TVariant Dispatch(const std::string& name, TInvokeKind kind,
                    std::vector<TVariant>& args) override;

 private:
  std::shared_ptr<JetDatabase> database_;  // set by Create
};

class AdoxTable : public EngineObject {
 public:
  explicit AdoxTable(std::shared_ptr<JetEngine> engine);
  const std::shared_ptr<TableDefinition>& Definition() const { return definition_; }

 protected:
  TVariant Dispatch(const std::string& name, TInvokeKind kind,
                    std::vector<TVariant>& args) override;

 private:
  std::shared_ptr<TableDefinition> definition_;
  std::shared_ptr<IAutoObject> columns_;
};

}  // namespace zyl::exporting
