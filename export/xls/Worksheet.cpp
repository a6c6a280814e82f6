#include "export/xls/Worksheet.h"

#include <algorithm>
#include <cassert>

#include "export/xls/WorkbookGlobals.h"

namespace zyl::exporting::xls {
namespace {

constexpr std::size_t kRowsPerBlock = 32;
constexpr std::size_t kRowRecordSize = 4 + 16;
constexpr std::uint16_t kDefaultRowHeight = 0x00FF;  // twips

void SheetSettings(BiffWriter& out) {
  out.U16Record(rt::kCalcMode, 1);  // automatic
  out.U16Record(rt::kCalcCount, 100);
  out.U16Record(rt::kRefMode, 1);  // A1
  out.U16Record(rt::kIteration, 0);
  out.Record(rt::kDelta, [](ByteWriter& b) { b.F64(0.001); });
  out.U16Record(rt::kSaveRecalc, 1);
  out.U16Record(rt::kPrintHeaders, 0);
  out.U16Record(rt::kPrintGridLines, 0);
  out.U16Record(rt::kGridSet, 1);
  out.Record(rt::kGuts, [](ByteWriter& b) { b.Zeros(8); });
  out.Record(rt::kDefaultRowHeight, [](ByteWriter& b) {
    b.U16(0);
    b.U16(kDefaultRowHeight);
  });
  out.U16Record(rt::kWsBool, 0x04C1);
}

void Row(BiffWriter& out, std::uint16_t row, std::uint16_t columns) {
  out.Record(rt::kRow, [=](ByteWriter& b) {
    b.U16(row);
    b.U16(0);        // first column
    b.U16(columns);  // last column + 1
    b.U16(kDefaultRowHeight);
    b.U16(0);
    b.U16(0);
    b.U16(0x0100);  // flags as Excel writes them
    b.U16(kXfGeneral);
  });
}

}  // namespace

Worksheet::Worksheet(const Table& table, RowReader& rows, std::size_t rowCount, bool active,
                     CellWriter& cells) {
  assert(rowCount < kMaxSheetRows && !table.columns.empty() &&
         table.columns.size() <= kMaxSheetColumns);
  const auto columns = static_cast<std::uint16_t>(table.columns.size());
  const std::size_t sheetRows = rowCount + 1;  // the header row included
  const std::size_t blocks = (sheetRows + kRowsPerBlock - 1) / kRowsPerBlock;

  WriteBof(out_, kBofWorksheet);
  const std::size_t index = out_.Size() + 4;
  out_.Record(rt::kIndex, [&](ByteWriter& b) {
    b.U32(0);
    b.U32(0);                                      // first used row
    b.U32(static_cast<std::uint32_t>(sheetRows));  // last used row + 1
    b.Zeros(4 + 4 * blocks);                       // DEFCOLWIDTH, then each DBCELL
  });
  SheetSettings(out_);
  ByteWriter& bytes = out_.Bytes();
  bytes.PatchU32(index + 12, static_cast<std::uint32_t>(out_.Size()));
  offsetFields_.push_back(index + 12);
  out_.U16Record(rt::kDefColWidth, 8);
  out_.Record(rt::kDimensions, [&](ByteWriter& b) {
    b.U32(0);
    b.U32(static_cast<std::uint32_t>(sheetRows));
    b.U16(0);
    b.U16(columns);
    b.U16(0);
  });

  std::vector<std::uint16_t> cellOffsets;
  cellOffsets.reserve(kRowsPerBlock);
  for (std::size_t block = 0; block < blocks; ++block) {
    const std::size_t first = block * kRowsPerBlock;
    const std::size_t count = std::min(kRowsPerBlock, sheetRows - first);
    const std::size_t firstRowRecord = out_.Size();
    for (std::size_t r = first; r < first + count; ++r) {
      Row(out_, static_cast<std::uint16_t>(r), columns);
    }
    // DBCELL: the first offset counts from the end of the block's first ROW
    // record, each later one from the previous row's first cell.
    cellOffsets.clear();
    std::size_t previous = firstRowRecord + kRowRecordSize;
    for (std::size_t r = first; r < first + count; ++r) {
      cellOffsets.push_back(static_cast<std::uint16_t>(out_.Size() - previous));
      previous = out_.Size();
      const auto row = static_cast<std::uint16_t>(r);
      const std::vector<Value>* values = r == 0 ? nullptr : rows.Next();
      for (std::uint16_t c = 0; c < columns; ++c) {
        if (values == nullptr) {
          cells.Header(out_, row, c);
        } else {
          cells.Cell(out_, row, rows.Index(), c, (*values)[c]);
        }
      }
    }
    const std::size_t field = index + 16 + 4 * block;
    bytes.PatchU32(field, static_cast<std::uint32_t>(out_.Size()));
    offsetFields_.push_back(field);
    const auto backToFirstRow = static_cast<std::uint32_t>(out_.Size() - firstRowRecord);
    out_.Record(rt::kDbCell, [&](ByteWriter& b) {
      b.U32(backToFirstRow);
      for (std::uint16_t offset : cellOffsets) b.U16(offset);
    });
  }

  out_.Record(rt::kWindow2, [active](ByteWriter& b) {
    b.U16(active ? 0x06B6 : 0x00B6);  // grid, headers, zeros, outline; selected and shown
    b.U16(0);                         // top row
    b.U16(0);                         // left column
    b.U32(64);                        // grid colour: automatic
    b.U16(0);
    b.U16(0);  // zoom 100 %
    b.U32(0);
  });
  out_.Empty(rt::kEof);
}

void Worksheet::Place(std::uint32_t streamOffset) {
  ByteWriter& bytes = out_.Bytes();
  for (std::size_t field : offsetFields_)
    bytes.PatchU32(field, bytes.ReadU32(field) + streamOffset);
}

}  // namespace zyl::exporting::xls
