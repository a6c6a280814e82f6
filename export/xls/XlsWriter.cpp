#include "export/xls/XlsWriter.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "export/TableRows.h"
#include "export/xls/BiffWriter.h"
#include "export/xls/CellWriter.h"
#include "export/xls/CompoundFile.h"
#include "export/xls/SharedStrings.h"
#include "export/xls/SheetNames.h"
#include "export/xls/WorkbookGlobals.h"
#include "export/xls/Worksheet.h"
#include "export/xls/XlsText.h"
#include "platform/Exception.h"

namespace zyl::exporting {
namespace {

using namespace xls;

std::string Prefix(const Table& table) {
  return "Excel writer: table '" + table.name + "': ";
}

void CheckShape(const Table& table, const XlsOptions& options) {
  if (table.columns.empty()) throw Exception(Prefix(table) + "no columns to write");
  if (table.columns.size() > kMaxSheetColumns) {
    throw Exception(Prefix(table) + std::to_string(table.columns.size()) +
                    " columns exceed the 256 columns of a sheet");
  }
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    if (row.size() != table.columns.size()) {
      throw Exception(Prefix(table) + "row " + std::to_string(r + 1) + " has " +
                      std::to_string(row.size()) + " values for " +
                      std::to_string(table.columns.size()) + " columns");
    }
  });
  if (options.dataRowsPerSheet < 1 || options.dataRowsPerSheet > kXlsMaxDataRowsPerSheet) {
    throw Exception(Prefix(table) + std::to_string(options.dataRowsPerSheet) +
                    " rows per sheet is outside 1 to 65535");
  }
}

std::vector<std::u16string> PlanSheetNames(const Table& table, std::size_t sheets) {
  if (sheets > kMaxSheets) {
    throw Exception(Prefix(table) + "the rows need " + std::to_string(sheets) +
                    " sheets, more than the " + std::to_string(kMaxSheets) +
                    " a workbook can list");
  }
  auto name = Utf8ToUtf16(table.name);
  if (!name) throw EConvertError(Prefix(table) + "the table name is not valid UTF-8");
  return NumberedSheetNames(SanitiseSheetName(*name), sheets);
}

}  // namespace

void WriteXls(const Table& table, ByteSink& sink) {
  WriteXls(table, sink, XlsOptions{});
}

void WriteXls(const Table& table, ByteSink& sink, const XlsOptions& options) {
  CheckShape(table, options);
  const std::size_t perSheet = options.dataRowsPerSheet;
  const std::size_t rowCount = RowCount(table);
  const std::size_t sheetCount = rowCount == 0 ? 1 : (rowCount + perSheet - 1) / perSheet;
  const std::vector<std::u16string> names = PlanSheetNames(table, sheetCount);

  // Sheets first: their cells fill the shared string table, which the
  // globals in front of them carry.
  SharedStrings strings;
  CellWriter cells(table, strings, options.substitutions);
  std::vector<Worksheet> sheets;
  sheets.reserve(sheetCount);
  RowReader rows(table);
  for (std::size_t s = 0; s < sheetCount; ++s) {
    const std::size_t count = std::min(perSheet, rowCount - s * perSheet);
    sheets.emplace_back(table, rows, count, s == 0, cells);
  }

  BiffWriter globals;
  const std::vector<std::size_t> offsetFields = WriteGlobals(globals, names, strings);
  std::uint64_t offset = globals.Size();
  std::vector<std::span<const std::uint8_t>> parts{globals.Bytes().Bytes()};
  for (std::size_t s = 0; s < sheetCount; ++s) {
    if (offset + sheets[s].Size() > kMaxStreamBytes) {
      throw Exception(Prefix(table) +
                      "the workbook would exceed the 4 GiB an .xls file can address");
    }
    globals.Bytes().PatchU32(offsetFields[s], static_cast<std::uint32_t>(offset));
    sheets[s].Place(static_cast<std::uint32_t>(offset));
    parts.push_back(sheets[s].Bytes());
    offset += sheets[s].Size();
  }
  WriteCompoundFile("Workbook", parts, sink);
}

}  // namespace zyl::exporting
