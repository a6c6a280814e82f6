#include "export/xls/XlsWriter.h"

#include <algorithm>
#include <memory>
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

// Adds `v` to the little-endian 32-bit field at `pos`.
void AddU32(std::string& bytes, std::size_t pos, std::uint32_t v) {
  std::uint32_t field = 0;
  for (std::size_t i = 4; i-- > 0;) field = field << 8 | static_cast<unsigned char>(bytes[pos + i]);
  field += v;
  for (std::size_t i = 0; i < 4; ++i) bytes[pos + i] = static_cast<char>(field >> (8 * i) & 0xFFu);
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
  // globals in front of them carry. A table with spilled rows keeps its
  // memory bounded: each sheet goes to a temporary file once built, and
  // the shared strings stop growing at kSharedStringsKept.
  const bool bounded = table.spilled != nullptr;
  SharedStrings strings;
  CellWriter cells(table, strings, options.substitutions, bounded ? kSharedStringsKept : 0);
  std::vector<Worksheet> sheets;
  std::unique_ptr<SpillFile> spill = bounded ? std::make_unique<SpillFile>() : nullptr;
  std::vector<std::uint64_t> sizes;
  std::vector<std::vector<std::size_t>> fields;  // a spilled sheet's offset fields
  RowReader rows(table);
  for (std::size_t s = 0; s < sheetCount; ++s) {
    const std::size_t count = std::min(perSheet, rowCount - s * perSheet);
    Worksheet sheet(table, rows, count, s == 0, cells);
    sizes.push_back(sheet.Size());
    if (spill) {
      fields.push_back(sheet.OffsetFields());
      spill->Append(sheet.Bytes().data(), sheet.Size());
    } else {
      sheets.push_back(std::move(sheet));
    }
  }

  BiffWriter globals;
  const std::vector<std::size_t> offsetFields = WriteGlobals(globals, names, strings);
  std::vector<std::uint32_t> starts;
  std::uint64_t offset = globals.Size();
  for (std::size_t s = 0; s < sheetCount; ++s) {
    if (offset + sizes[s] > kMaxStreamBytes) {
      throw Exception(Prefix(table) +
                      "the workbook would exceed the 4 GiB an .xls file can address");
    }
    globals.Bytes().PatchU32(offsetFields[s], static_cast<std::uint32_t>(offset));
    starts.push_back(static_cast<std::uint32_t>(offset));
    offset += sizes[s];
  }
  WriteCompoundFile(
      "Workbook", offset,
      [&](ByteSink& out) {
        out.Write(globals.Bytes().Bytes().data(), globals.Size());
        std::string bytes;
        std::uint64_t at = 0;
        for (std::size_t s = 0; s < sheetCount; ++s) {
          if (!spill) {
            sheets[s].Place(starts[s]);
            out.Write(sheets[s].Bytes().data(), sheets[s].Size());
            continue;
          }
          bytes.clear();
          while (bytes.size() < sizes[s] &&
                 spill->Read(at + bytes.size(), sizes[s] - bytes.size(), bytes)) {
          }
          for (std::size_t field : fields[s]) AddU32(bytes, field, starts[s]);
          out.Write(bytes);
          at += sizes[s];
        }
      },
      sink);
}

}  // namespace zyl::exporting
