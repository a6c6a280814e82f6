// Reading and adding the rows of an export table. A large table keeps its
// rows in an unlinked temporary file in the system's temporary folder
// instead of memory: the rows spilled there come first, then the ones in
// `Table::rows`. Every reader of a table goes through RowReader (or
// ForEachRow), which sees both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportTable.h"

namespace zyl::exporting {

// Rows kept in memory before a spilling table moves them to its file.
inline constexpr std::size_t kRowsInMemory = 4096;

// Bytes in a temporary file, removed from the folder as soon as it is
// opened (it goes when the last handle closes): appended, read back from
// any offset. Throws EInOutError when the file cannot be created, written
// or read.
class SpillFile {
 public:
  SpillFile();
  ~SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  void Append(const void* data, std::size_t n);
  // Writes `n` bytes at `offset` (past the end: the gap reads as zeros).
  void WriteAt(std::uint64_t offset, const void* data, std::size_t n);
  std::uint64_t Size() const { return written_ + buffer_.size(); }
  // The bytes from `offset` on, at most `max` of them, appended to `out`;
  // false at the end.
  bool Read(std::uint64_t offset, std::size_t max, std::string& out) const;

 private:
  void FlushBuffer();

  int fd_ = -1;
  std::uint64_t written_ = 0;  // bytes in the file; the rest is in buffer_
  std::string buffer_;
};

// Rows in a SpillFile, appended in order; any number of readers
// (RowReader) read them back.
class SpilledRows {
 public:
  void Append(const std::vector<Value>& row);
  std::size_t Count() const { return count_; }
  const SpillFile& File() const { return file_; }

 private:
  SpillFile file_;
  std::string encoded_;
  std::size_t count_ = 0;
};

// The rows of a table in order, one at a time.
class RowReader {
 public:
  explicit RowReader(const Table& table) : table_(table) {}
  // The next row, or null after the last; valid until the next call.
  // Throws EInOutError when the spill file cannot be read.
  const std::vector<Value>* Next();
  // The index (from 0) of the row Next returned last.
  std::size_t Index() const { return index_ - 1; }

 private:
  bool Ensure(std::size_t n);

  const Table& table_;
  std::size_t index_ = 0;
  std::uint64_t offset_ = 0;  // spill bytes read into chunk_
  std::string chunk_;
  std::size_t at_ = 0;
  std::vector<Value> row_;
};

// Rows of the table, spilled and in memory.
inline std::size_t RowCount(const Table& table) {
  return table.rows.size() + (table.spilled ? table.spilled->Count() : 0);
}

// Calls visit(row, index) for each row in order.
template <typename Visit>
void ForEachRow(const Table& table, Visit&& visit) {
  RowReader reader(table);
  while (const std::vector<Value>* row = reader.Next()) visit(*row, reader.Index());
}

// Adds a row at the end; a `spill` table moves its rows in memory to its
// file once they reach kRowsInMemory.
void AddRow(Table& table, std::vector<Value> row, bool spill);

// A table with the name and `columns` given and the rows make(row, index)
// makes of each row of `table`; spilled when `table` has spilled rows.
template <typename Make>
Table MapRows(const Table& table, std::vector<Column> columns, Make&& make) {
  Table out;
  out.name = table.name;
  out.columns = std::move(columns);
  const bool spill = table.spilled != nullptr;
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t r) {
    AddRow(out, make(row, r), spill);
  });
  return out;
}

// `table` itself when `unstorable(value)` gives "" for every value, else a
// copy in `copy` with those values NULL (a writer's blank), each noted in
// `noted` (may be null) under the reason `unstorable` gave.
template <typename Check>
const Table& WithBlanks(const Table& table, Table& copy, Check unstorable, Substitutions* noted) {
  bool any = false;
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t) {
    for (std::size_t c = 0; !any && c < row.size() && c < table.columns.size(); ++c) {
      any = !unstorable(row[c]).empty();
    }
  });
  if (!any) return table;
  copy = MapRows(table, table.columns, [&](const std::vector<Value>& row, std::size_t r) {
    std::vector<Value> out = row;
    for (std::size_t c = 0; c < out.size() && c < table.columns.size(); ++c) {
      const std::string why = unstorable(out[c]);
      if (why.empty()) continue;
      out[c] = std::monostate{};
      if (noted != nullptr) noted->Note(table.columns[c].name, r + 1, why, "blank");
    }
    return out;
  });
  return copy;
}

}  // namespace zyl::exporting
