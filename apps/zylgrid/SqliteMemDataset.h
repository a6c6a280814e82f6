// SqliteMemDataset: the records of an SQLite table (optionally only those
// whose key column equals a value) or of a query, held in memory, with edits
// written through to the table by parameterised statements that address the
// record by its rowid. It serves detail grids: the rows of the master's
// current record are few, and the key value is bound, never spliced.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "apps/zylgrid/SqliteHelpers.h"
#include "datasets/ZylMemDataset.h"

namespace zylgrid {

struct SqliteSourceSettings {
  std::string path;       // database file
  std::string table;      // a table (editable when `editable`), or
  std::string query;      // a read-only SELECT
  std::string keyColumn;  // with a table: only records whose column equals keyValue
  zyl::TVariant keyValue = zyl::TVariant::Null();
  bool editable = false;
};

class SqliteMemDataset : public zyl::TZylMemDataset {
 public:
  SqliteMemDataset(zyl::TComponent* owner, SqliteSourceSettings source);
  ~SqliteMemDataset() override;
  // ClassName stays "TZylMemDataset": the grid picks the dataset's sort
  // property (IndexFieldNames) by class name.

  // Reads the records (raises sql::Error when the source cannot be read).
  void Open() override;
  // Writes the edited or new record into the table, then keeps it here; a new
  // record of a detail takes the key value in its key column.
  void Post() override;
  // Deletes the current record from the table, then here.
  void Delete() override;

 private:
  struct ColumnInfo {
    std::string name;
    zyl::TFieldType type = zyl::TFieldType::ftString;
    bool writable = true;
  };
  // Reads the structure and the records (once).
  void Load();
  // Reads the records again.
  void ReadRecords();
  zyl::TVariant ToStored(const zyl::TVariant& value, zyl::TFieldType type) const;
  zyl::TVariant FromStored(const zyl::TVariant& value, zyl::TFieldType type) const;

  SqliteSourceSettings spec_;
  std::unique_ptr<sql::Database> db_;
  std::vector<ColumnInfo> columns_;
  std::string select_;
  int rowidField_ = -1;  // the field holding the rowid (tables only)
  bool loaded_ = false;
};

// Field type of a declared SQLite column type.
zyl::TFieldType FieldTypeOf(const std::string& declaredType);

}  // namespace zylgrid
