#include "datasets/SQLiteDataset.h"

#include <algorithm>

#include "datasets/SQLiteBackend.h"

namespace zyl {

TZylSQLiteDataset::TZylSQLiteDataset(TComponent* owner) : TZylSqlDataset(owner, "SQLite") {}

void TZylSQLiteDataset::SetBusyTimeout(int milliseconds) {
  busyTimeout_ = std::max(0, milliseconds);
  if (Backend() != nullptr) Backend()->SetBusyTimeout(busyTimeout_);
}

std::unique_ptr<SqlBackend> TZylSQLiteDataset::OpenBackend() {
  if (database_.empty()) throw Exception(Context() + ": no database file is set");
  return std::make_unique<sqlite::Backend>(database_, GetTableName(), GetSQL(), busyTimeout_,
                                           memoryMap_, countCache_, connectionPool_);
}

}  // namespace zyl
