// Download responses: SaveAs writes the grid's data in a chosen format into
// a stream; SendFile sends a stream as an attachment through the page's
// request channel (standard output for CGI, the Response object for ASP; a
// web-module host sends it itself).
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Stream.h"
#include "platform/System.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

// Removes CR, LF and double quotes: the text goes into a (quoted) header value.
std::string SafeHeaderText(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    if (c != '\r' && c != '\n' && c != '"') out += c;
  }
  return out;
}

// Deletes the named files when it goes out of scope, however the export ends.
class TempFiles {
 public:
  TempFiles(const std::string& a, const std::string& b) : a_(a), b_(b) {}
  ~TempFiles() {
    if (!a_.empty()) DeleteFile(a_);
    if (!b_.empty()) DeleteFile(b_);
  }
  TempFiles(const TempFiles&) = delete;
  TempFiles& operator=(const TempFiles&) = delete;

 private:
  const std::string& a_;
  const std::string& b_;
};

}  // namespace

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
  TempFiles cleanup(fileName, tempFileName);
  if (ExportToFile(fileName, tempFileName, *this, exportType)) {
    TFileStream file(fileName, TFileStream::Mode::fmOpenRead);
    stream.CopyFrom(file);
  }
}

void TZylHTMLGrid::SendFile(const std::string& contentType, TStream& stream,
                            const std::string& fileName) {
  if (links_.css == nullptr) return;
  links_.css->GetRequestChannel().SendDownload(SafeHeaderText(contentType), SafeHeaderText(fileName),
                                         stream);
}

}  // namespace zyl
