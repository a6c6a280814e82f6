// SaveAs: the grid's data in a chosen format, written into a stream (a
// tab-separated text, CSV, JSON or, through export/, an Excel, XLSX,
// Access, dBase or Paradox file), of the current page or the whole result.
#include "export/ExportRows.h"
#include "export/ExportTable.h"
#include "export/StreamedExports.h"
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/ScopeExit.h"
#include "platform/Stream.h"
#include "platform/System.h"

namespace zyl {

void TZylHTMLGrid::SaveAs(TExportType exportType, TStream& stream) {
  SaveAs(exportType, stream, TExportScope::Page);
}

void TZylHTMLGrid::SaveAs(TExportType exportType, TStream& stream, TExportScope scope) {
  SetLastExportNote("");
  if (exportType == TExportType::TabbedText && scope == TExportScope::Page) {
    // The cells' exact values (TabbedCellText), with the row-number column.
    const bool guard = GetGuardFormulas();
    TStringList lines;
    SaveToStringList(
        lines, '\t', true,
        [&](int r, int c) { return exporting::TabbedCellText(*this, r, c, guard); },
        [&](const std::string& caption) {
          return guard ? exporting::GuardedText(caption) : caption;
        });
    stream.Write(lines.GetText());
    return;
  }
  exporting::Substitutions noted;
  if (exportType == TExportType::TabbedText || exportType == TExportType::CSV ||
      exportType == TExportType::JSON) {
    auto rows = exporting::RowsOf(*this, scope);
    exporting::WriteTextExport(exportType, *this, *rows, stream, noted);
    SetLastExportNote(exporting::SubstitutionNote(noted));
    return;
  }
  std::string fileName = GetTempFileName();
  DeleteFile(fileName);
  std::string tempFileName;
  // The export's files are removed on success and on failure alike.
  ScopeExit cleanup([&] {
    if (!fileName.empty()) DeleteFile(fileName);
    if (!tempFileName.empty()) DeleteFile(tempFileName);
  });
  bool written = false;
  if (exportType == TExportType::XLSX) {
    auto rows = exporting::RowsOf(*this, scope);
    fileName = ChangeFileExt(fileName, ".xlsx");
    exporting::WriteXlsx(*this, *rows, fileName, TempDirectory(), noted);
    SetLastExportNote(exporting::SubstitutionNote(noted));
    written = true;
  } else {
    written = ExportToFile(fileName, tempFileName, *this, exportType, scope);
  }
  if (written) {
    TFileStream file(fileName, TFileStream::Mode::fmOpenRead);
    stream.CopyFrom(file);
  }
}

}  // namespace zyl
