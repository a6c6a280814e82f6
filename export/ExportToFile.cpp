// ExportToFile: builds the temporary Access database with one table
// ExportTable through the engine's catalog, table and connection objects,
// fills it with one INSERT per exported row and copies it into the target
// format.
#include <memory>

#include "export/ExportRows.h"
#include "export/ExportStatements.h"
#include "export/ExportTable.h"
#include "export/ZylHTMLExport.h"
#include "export/engine/OleFactory.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/System.h"

namespace zyl {
namespace {

using exporting::ExportColumn;

constexpr int kAdoBoolean = 11;
constexpr int kAttributeNullable = 2;
constexpr int kExecuteNoRecords = 128;

void DefineTable(exporting::OleFactory& com, IAutoObject& catalog,
                 const std::vector<ExportColumn>& columns) {
  auto table = com.CreateOleObject("ADOX.Table");
  table->Put("Name", exporting::kExportTableName);
  for (const ExportColumn& column : columns) {
    std::vector<TVariant> args{column.name, column.adoType};
    if (column.size != 0) args.emplace_back(column.size);
    table->Get("Columns").ToObject()->Call("Append", std::move(args));
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].adoType == kAdoBoolean) continue;
    table->Get("Columns")
        .ToObject()
        ->Get("Item", {static_cast<std::int64_t>(i)})
        .ToObject()
        ->Put("Attributes", kAttributeNullable);
  }
  catalog.Get("Tables").ToObject()->Call("Append", {table});
}

// Files the export has made its own so far, for the clean-up after a failure.
struct OwnedFiles {
  bool database = false;  // the temporary database was created
  bool target = false;    // the target name was cleared for the export
};

bool RunExport(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
               TExportType exportType, TExportScope scope, exporting::AutomationTrace* trace,
               OwnedFiles& owned) {
  // The engine session reads dates in the grid's own formats first, as the
  // database engine reads them in the host's regional formats.
  // It keeps every row: a value a format cannot hold becomes its
  // substitute, noted for the grid's LastExportNote. The whole result
  // keeps its rows in a temporary file, and for the formats other than
  // Access the database only stages them for the copy.
  const bool whole = scope == TExportScope::WholeResult;
  exporting::OleFactory com({{grid.GetDateTimeFormat(), grid.GetDateFormat(), grid.GetTimeFormat()},
                             true,
                             whole,
                             whole && exportType != TExportType::Access},
                            trace);
  auto catalog = com.CreateOleObject("ADOX.Catalog");

  tempFileName = CreateUniqueTempFile(TempDirectory());
  DeleteFile(tempFileName);

  if (exportType != TExportType::TabbedText) {
    // TabbedText keeps the name and writes nothing, so the file is left alone.
    fileName = ChangeFileExt(fileName, exporting::ExportExtension(exportType));
    DeleteFile(fileName);
    owned.target = true;
  }

  tempFileName = ChangeFileExt(tempFileName, ".mdb");
  catalog->Call("Create", {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + tempFileName});
  owned.database = true;

  // The rows first: the whole result leaves the row-number column out.
  const std::unique_ptr<exporting::ExportRows> rows = exporting::RowsOf(grid, scope);
  const std::vector<ExportColumn> columns = exporting::ExportedColumns(grid, exportType);
  const std::string columnList = exporting::ColumnList(columns);
  DefineTable(com, *catalog, columns);

  auto connection = com.CreateOleObject("ADODB.Connection");
  connection->Put("Provider", "Microsoft.Jet.OLEDB.4.0");
  connection->Put("Username", "Admin");
  connection->Put("Password", "");
  connection->Put("ConnectionString", "Data Source=\"" + tempFileName + "\"");
  connection->Call("Open");

  while (rows->Next()) {
    connection->Call("Execute",
                     {exporting::InsertStatement(grid, rows->GridRow(), columns, columnList),
                      TVariant(), kExecuteNoRecords});
  }

  const std::string copy = exporting::CopyStatement(exportType, fileName);
  if (!copy.empty()) connection->Call("Execute", {copy, TVariant(), kExecuteNoRecords});

  connection->Call("Close");
  if (exportType == TExportType::Access) CopyFile(tempFileName, fileName);
  grid.SetLastExportNote(exporting::SubstitutionNote(com.Substituted(tempFileName)));
  return true;
}

}  // namespace

bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType) {
  return ExportToFile(fileName, tempFileName, grid, exportType, TExportScope::Page, nullptr);
}

bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType, TExportScope scope) {
  return ExportToFile(fileName, tempFileName, grid, exportType, scope, nullptr);
}

bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType, exporting::AutomationTrace* trace) {
  return ExportToFile(fileName, tempFileName, grid, exportType, TExportScope::Page, trace);
}

bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType, TExportScope scope, exporting::AutomationTrace* trace) {
  OwnedFiles owned;
  grid.SetLastExportNote("");
  try {
    return RunExport(fileName, tempFileName, grid, exportType, scope, trace, owned);
  } catch (...) {
    // A failed export leaves neither the temporary database (which holds
    // the grid's data) nor a target file behind; the names stay returned.
    if (owned.database) DeleteFile(tempFileName);
    if (owned.target) DeleteFile(fileName);
    throw;
  }
}

}  // namespace zyl
