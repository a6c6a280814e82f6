// SaveAs: the grid's data in a chosen format, written into a stream (a
// tab-separated text or, through export/, an Excel, Access, dBase or
// Paradox file).
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/ScopeExit.h"
#include "platform/Stream.h"
#include "platform/System.h"

namespace zyl {

void TZylHTMLGrid::SaveAs(TExportType exportType, TStream& stream) {
  if (exportType == TExportType::TabbedText) {
    TStringList lines;
    SaveToStringList(lines, '\t', true);
    stream.Write(lines.GetText());
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
  if (ExportToFile(fileName, tempFileName, *this, exportType)) {
    TFileStream file(fileName, TFileStream::Mode::fmOpenRead);
    stream.CopyFrom(file);
  }
}

}  // namespace zyl
