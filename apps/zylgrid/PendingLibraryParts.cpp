// Stand-ins for grid operations that this checkout of the library does not
// define yet (the build defines ZYLGRID_STANDIN_<name> for each missing one).
// They keep zylgrid usable for reading and paging: no editing, no lock files,
// tab-separated downloads only, no grid configuration files. Once the
// library defines the operations, none of this is compiled.
#include <cstdio>
#include <string>

#include "grid/ZylHTMLGrid.h"
#include "platform/Exception.h"
#include "platform/Stream.h"
#include "platform/StringList.h"
#include "platform/System.h"
#include "request/ZylCSS.h"

namespace zyl {

#ifdef ZYLGRID_STANDIN_DoDefaultAction
bool TZylHTMLGrid::DoDefaultAction(TGridAction action) {
  if (GetFileName().empty() && GetDataset() == nullptr) return true;
  auto load = [this] {
    if (!GetFileName().empty()) {
      SetFileName(GetFileName());
    } else {
      ReadValues();
    }
  };
  switch (action) {
    case TGridAction::gaFirstPage: SetPage(1); break;
    case TGridAction::gaPreviousPage: SetPage(GetPage() - 1); break;
    case TGridAction::gaNextPage: SetPage(GetPage() + 1); break;
    case TGridAction::gaLastPage: SetPage(GetPageCount()); break;
    default: break;
  }
  if (OnBeforeDoDefaultAction) OnBeforeDoDefaultAction(this, action);
  load();
  switch (action) {
    case TGridAction::gaFirstPage:
    case TGridAction::gaPreviousPage:
    case TGridAction::gaNextPage:
    case TGridAction::gaLastPage: SetRecNo((GetPage() - 1) * GetRowsPerPage()); break;
    default: break;
  }
  bool page = true;
  if (action == TGridAction::gaSaveAs) {
    TMemoryStream stream;
    SaveAs(GetSaveAsType(), stream);
    SendFile("text/plain", stream, (GetHeader().empty() ? GetName() : GetHeader()) + ".txt");
    page = false;
  }
  if (OnAfterDoDefaultAction) OnAfterDoDefaultAction(this, action);
  return page;
}
#endif

#ifdef ZYLGRID_STANDIN_Done
bool TZylHTMLGrid::Done() { return false; }
#endif

#ifdef ZYLGRID_STANDIN_SaveAs
void TZylHTMLGrid::SaveAs(TExportType exportType, TStream& stream) {
  if (exportType != TExportType::TabbedText) {
    throw ENotImplemented("grid '" + GetName() + "': this build saves tab-separated text only");
  }
  TStringList lines;
  SaveToStringList(lines, '\t', true);
  std::string text = lines.GetText();
  stream.Write(text.data(), text.size());
}
#endif

#ifdef ZYLGRID_STANDIN_SendFile
void TZylHTMLGrid::SendFile(const std::string& contentType, TStream& stream,
                            const std::string& fileName) {
  if (CSSLink() == nullptr || CSSLink()->GetModuleType() != TModuleType::Console) return;
  TStdStream out(TStdStream::Which::Output);
  std::string head = "Content-type: " + contentType + "\r\nContent-disposition: attachment;filename=\"" +
                     fileName + "\"\r\n\r\n";
  out.Write(head.data(), head.size());
  stream.SetPosition(0);
  char buffer[10001];
  for (;;) {
    std::size_t n = stream.Read(buffer, sizeof buffer);
    if (n == 0) break;
    out.Write(buffer, n);
  }
}
#endif

#ifdef ZYLGRID_STANDIN_LoadConfig
void TZylHTMLGrid::LoadConfig(const std::string& fileName) {
  throw ENotImplemented("grid '" + GetName() + "': cannot load " + fileName +
                        ": grid configuration files are not part of this build");
}
#endif

#ifdef ZYLGRID_STANDIN_GetTempFileName
std::string TZylHTMLGrid::GetTempFileName() { return CreateUniqueTempFile(TempDirectory()); }
#endif

}  // namespace zyl
