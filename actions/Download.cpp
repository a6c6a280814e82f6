// SaveAs: the grid's data in a chosen format, written into a stream (a
// tab-separated text or, through export/, an Excel, Access, dBase or
// Paradox file).
#include <string_view>

#include "export/ExportStatements.h"
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/ScopeExit.h"
#include "platform/Stream.h"
#include "platform/System.h"

namespace zyl {
namespace {

// Field types whose cells are numbers, booleans or dates, never formulas.
bool IsValueType(int code) {
  return exporting::IsNumberCode(code) || code == 5 || (code >= 9 && code <= 11);
}

// A text a spreadsheet would evaluate as a formula (OWASP's list: = + - @,
// and a tab or carriage return in front of them), with an apostrophe.
std::string Guarded(std::string text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) {
    text.insert(0, 1, '\'');
  }
  return text;
}

// A date-time cell whose value has milliseconds, which the grid's date
// patterns usually leave out.
bool HasMilliseconds(const TZylField& cell) {
  int h = 0, n = 0, s = 0, ms = 0;
  DecodeTime(cell.GetDateValue(), h, n, s, ms);
  return ms != 0;
}

}  // namespace

void TZylHTMLGrid::SaveAs(TExportType exportType, TStream& stream) {
  if (exportType == TExportType::TabbedText) {
    // The cells' exact values: numbers as the dataset gave them, date-times
    // with milliseconds in ISO form (others as shown), binary values as
    // hex, text as it is (guarded when GuardFormulas).
    SetLastExportNote("");
    const bool guard = GetGuardFormulas();
    TStringList lines;
    SaveToStringList(
        lines, '\t', true,
        [&](int r, int c) {
          const TZylField* cell = GetCells(r, c);
          const TVariant& value = cell->GetVariantValue();
          if (value.GetKind() == TVariant::Kind::ByteArray) return BytesToHex(value.ToBytes());
          const int code = exporting::FieldTypeCode(GetColumns(c)->GetDataType());
          if (auto exact = exporting::ExactNumberText(*cell, code)) return *exact;
          if (code >= 9 && code <= 11 && !cell->GetValue().empty() && HasMilliseconds(*cell)) {
            return FormatDateTime(code == 10 ? "hh:nn:ss.zzz" : "yyyy-mm-dd hh:nn:ss.zzz",
                                  cell->GetDateValue());
          }
          return guard && !IsValueType(code) ? Guarded(cell->GetValue()) : cell->GetValue();
        },
        [&](const std::string& caption) { return guard ? Guarded(caption) : caption; });
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
