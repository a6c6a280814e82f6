// The database file as a growing set of 4 KB pages, data pages filled with
// rows from the end backwards, and usage maps (the page sets that a table
// or a long-value column owns).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "export/TableRows.h"
#include "export/jet4/Jet4Format.h"
#include "platform/ByteSink.h"

namespace zyl::exporting::jet4 {

using Page = std::array<std::uint8_t, kPageSize>;

// Pages a file keeps in memory before its writers' finished pages are sealed.
inline constexpr std::uint32_t kPagesInMemory = 2048;

// All pages of the file being built. Pages stay at their address while
// more are allocated, so a page pointer is valid for the file's lifetime,
// or until the page is sealed: a large file moves the pages its writers
// are done with to a temporary file, and Data brings a sealed page back.
class PageFile {
 public:
  PageFile();
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // Appends a zero-filled page and returns its number. Throws when the file
  // would grow past the 2 GB that Jet can address.
  std::uint32_t Allocate();
  // Allocates pages up to (excluding) `count` so that fixed page numbers exist.
  void Reserve(std::uint32_t count);
  std::uint8_t* Data(std::uint32_t page);
  // Moves `page` to the temporary file once the file has kPagesInMemory
  // pages; nothing before.
  void Seal(std::uint32_t page);
  std::uint32_t Count() const { return static_cast<std::uint32_t>(pages_.size()); }
  // Writes every page in order. Errors of the sink propagate.
  void WriteTo(ByteSink& sink) const;

 private:
  std::vector<std::unique_ptr<Page>> pages_;  // null: sealed
  std::unique_ptr<SpillFile> sealed_;
};

// The owner field of long-value pages: the ASCII bytes "LVAL".
inline constexpr std::uint32_t kOwnerLongValues = 0x4C41564Cu;

// Data page (type 0x01) access. Rows are stored from the end of the page
// backwards; the offset table after the 14-byte header gives each row's start.
void InitDataPage(std::uint8_t* page, std::uint32_t owner);
bool DataPageFits(const std::uint8_t* page, std::size_t rowSize);
// Appends a row; the caller checked DataPageFits. Returns the row number.
std::uint32_t AppendDataRow(std::uint8_t* page, std::span<const std::uint8_t> row);
// Start of row `row` inside the page.
std::uint8_t* DataRow(std::uint8_t* page, std::uint32_t row);

// Puts the rows of one owner onto data pages, opening a new page when the
// current one is full (by size or by the 255-row limit).
class RowWriter {
 public:
  // Does not take ownership of `file`, which must outlive the writer.
  RowWriter(PageFile& file, std::uint32_t owner) : file_(file), owner_(owner) {}
  // Stores a row of at most kMaxRowSize + 16 bytes; returns its PgRow pointer.
  std::uint32_t Add(std::span<const std::uint8_t> row);
  // The stored bytes of the row at `ptr`, for patching in place.
  std::uint8_t* Row(std::uint32_t ptr) { return DataRow(file_.Data(ptr >> 8), ptr & 0xFF); }
  // Pages opened so far, in allocation (= ascending) order.
  const std::vector<std::uint32_t>& Pages() const { return pages_; }

 private:
  PageFile& file_;
  std::uint32_t owner_;
  std::vector<std::uint32_t> pages_;
};

using UsageMapRow = std::array<std::uint8_t, kUsageMapRowSize>;

// A usage-map row listing `pages` (ascending, no duplicates). Inline (type 0)
// when they fit in one 512-page window; otherwise a reference map (type 1)
// whose bitmaps go to newly allocated 0x05 pages of `file`.
UsageMapRow MakeUsageMap(PageFile& file, std::span<const std::uint32_t> pages);

}  // namespace zyl::exporting::jet4
