#include "export/paradox/ParadoxWriter.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "export/TableRows.h"
#include "export/paradox/ParadoxFields.h"
#include "export/paradox/ParadoxHeader.h"
#include "export/paradox/ParadoxValues.h"
#include "platform/Exception.h"
#include "platform/Utf8.h"

namespace zyl::exporting {

namespace {

using namespace paradox;

constexpr int kBlockHeader = 6;
constexpr std::size_t kMaxBlocks = 0xFFFF;
constexpr int kBlockKiBChoices[] = {2, 4, 16, 32};
constexpr std::size_t kMaxTableName = 256;  // leaves room for ".db" and the NUL

// The smallest block size that holds a record and keeps the block count
// within 65535.
TableGeometry ChooseGeometry(const Table& table, int recordSize) {
  TableGeometry g;
  g.recordSize = recordSize;
  const std::size_t rows = RowCount(table);
  g.records = static_cast<std::uint32_t>(std::min<std::size_t>(rows, UINT32_MAX));
  for (int kib : kBlockKiBChoices) {
    const int perBlock = (kib * 1024 - kBlockHeader) / recordSize;
    if (perBlock == 0) continue;
    const std::size_t blocks = (rows + perBlock - 1) / perBlock;
    if (blocks > kMaxBlocks) continue;
    g.blockKiB = kib;
    g.blocks = static_cast<std::uint16_t>(blocks);
    return g;
  }
  const int largest = kBlockKiBChoices[std::size(kBlockKiBChoices) - 1] * 1024 - kBlockHeader;
  if (recordSize > largest) {
    throw EConvertError("Paradox writer: table '" + table.name + "': a record of " +
                        std::to_string(recordSize) + " bytes is longer than the " +
                        std::to_string(largest) + " bytes a Paradox record can take");
  }
  throw EConvertError("Paradox writer: table '" + table.name + "': " + std::to_string(rows) +
                      " rows are more than a Paradox table can hold");
}

std::string TableFileName(const std::string& utf8Name) {
  std::string name = Utf8ToCp1252(utf8Name.empty() ? "ExportTable" : utf8Name);
  std::replace(name.begin(), name.end(), '\0', '_');
  if (name.size() > kMaxTableName) name.resize(kMaxTableName);
  return name + ".db";
}

std::uint32_t Now() {
  const auto secs = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(secs.count());
}

// Fills and emits data blocks one after the other: each block is chained to
// its neighbours, holds as many whole records as fit, and is zero-padded.
class BlockWriter {
 public:
  BlockWriter(ByteSink& sink, const TableGeometry& g)
      : sink_(sink),
        recordSize_(g.recordSize),
        perBlock_((g.blockKiB * 1024 - kBlockHeader) / g.recordSize),
        lastBlock_(g.blocks),
        block_(static_cast<std::size_t>(g.blockKiB) * 1024, 0) {}

  // A zeroed record slot in the current block.
  std::uint8_t* NextRecord() {
    if (inBlock_ == perBlock_) Flush();
    return block_.data() + kBlockHeader + static_cast<std::size_t>(inBlock_++) * recordSize_;
  }

  // Emits the last, partly filled block, if any.
  void Finish() {
    if (inBlock_ > 0) Flush();
  }

 private:
  void Flush() {
    ++number_;
    const int next = number_ == lastBlock_ ? 0 : number_ + 1;
    const int lastOffset = (inBlock_ - 1) * recordSize_;
    Put16(0, static_cast<std::uint16_t>(next));
    Put16(2, static_cast<std::uint16_t>(number_ - 1));
    Put16(4, static_cast<std::uint16_t>(lastOffset));
    sink_.Write(block_.data(), block_.size());
    std::fill(block_.begin(), block_.end(), 0);
    inBlock_ = 0;
  }

  void Put16(std::size_t at, std::uint16_t v) {
    block_[at] = static_cast<std::uint8_t>(v & 0xFFu);
    block_[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }

  ByteSink& sink_;
  const int recordSize_;
  const int perBlock_;
  const int lastBlock_;
  int number_ = 0;   // blocks emitted so far
  int inBlock_ = 0;  // records in block_
  std::vector<std::uint8_t> block_;
};

}  // namespace

void WriteParadox(const Table& table, ByteSink& sink) {
  WriteParadox(table, sink, {});
}

void WriteParadox(const Table& whole, ByteSink& sink, const ParadoxOptions& options) {
  Table copy;
  const Table& table = WithBlanks(whole, copy, ParadoxUnstorable, options.substitutions);
  const std::vector<FieldPlan> fields = PlanFields(table);
  int recordSize = 0;
  for (const auto& f : fields) recordSize += f.length;
  const TableGeometry geometry = ChooseGeometry(table, recordSize);

  const auto header =
      BuildHeader(fields, TableFileName(table.name), geometry, options.updateTime.value_or(Now()));
  sink.Write(header.data(), header.size());

  BlockWriter blocks(sink, geometry);
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    std::uint8_t* out = blocks.NextRecord();
    for (const auto& field : fields) {
      try {
        EncodeValue(field, row[field.column], out);
      } catch (const EConvertError& e) {
        throw EConvertError("Paradox writer: column '" + table.columns[field.column].name +
                            "', row " + std::to_string(r + 1) + ": " + e.Message());
      }
      out += field.length;
    }
  });
  blocks.Finish();
}

}  // namespace zyl::exporting
