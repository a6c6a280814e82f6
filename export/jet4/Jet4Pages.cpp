#include "export/jet4/Jet4Pages.h"

#include <algorithm>
#include <cstring>

namespace zyl::exporting::jet4 {

namespace {

std::uint32_t GetU16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}

}  // namespace

PageFile::PageFile() = default;
PageFile::~PageFile() = default;

std::uint32_t PageFile::Allocate() {
  if (pages_.size() >= kMaxPages) {
    Fail("the database would exceed the 2 GB that a Jet 4 file can hold");
  }
  pages_.push_back(std::make_unique<Page>());
  pages_.back()->fill(0);
  return Count() - 1;
}

std::uint8_t* PageFile::Data(std::uint32_t page) {
  if (!pages_[page]) {
    auto back = std::make_unique<Page>();
    std::string bytes;
    sealed_->Read(std::uint64_t{page} * kPageSize, kPageSize, bytes);
    if (bytes.size() != kPageSize) Fail("a sealed page could not be read back");
    std::memcpy(back->data(), bytes.data(), kPageSize);
    pages_[page] = std::move(back);
  }
  return pages_[page]->data();
}

void PageFile::Seal(std::uint32_t page) {
  if (Count() < kPagesInMemory || !pages_[page]) return;
  if (!sealed_) sealed_ = std::make_unique<SpillFile>();
  sealed_->WriteAt(std::uint64_t{page} * kPageSize, pages_[page]->data(), kPageSize);
  pages_[page].reset();
}

void PageFile::Reserve(std::uint32_t count) {
  while (Count() < count) Allocate();
}

void PageFile::WriteTo(ByteSink& sink) const {
  std::string bytes;
  for (std::size_t p = 0; p < pages_.size(); ++p) {
    if (pages_[p]) {
      sink.Write(pages_[p]->data(), kPageSize);
      continue;
    }
    bytes.clear();
    sealed_->Read(std::uint64_t{p} * kPageSize, kPageSize, bytes);
    if (bytes.size() != kPageSize) Fail("a sealed page could not be read back");
    sink.Write(bytes);
  }
}

void InitDataPage(std::uint8_t* page, std::uint32_t owner) {
  std::memset(page, 0, kPageSize);
  page[0] = 0x01;
  page[1] = 0x01;
  PutU16(page + 2, kPageSize - kDataPageHeader);
  PutU32(page + 4, owner);
}

bool DataPageFits(const std::uint8_t* page, std::size_t rowSize) {
  return GetU16(page + 12) < kMaxRowsPerPage && rowSize + 2 <= GetU16(page + 2);
}

std::uint32_t AppendDataRow(std::uint8_t* page, std::span<const std::uint8_t> row) {
  const std::uint32_t count = GetU16(page + 12);
  const std::uint32_t end =
      count == 0 ? kPageSize : GetU16(page + kDataPageHeader + 2 * (count - 1));
  const std::uint32_t start = end - static_cast<std::uint32_t>(row.size());
  if (!row.empty()) std::memcpy(page + start, row.data(), row.size());
  PutU16(page + kDataPageHeader + 2 * count, start);
  PutU16(page + 12, count + 1);
  PutU16(page + 2, GetU16(page + 2) - static_cast<std::uint32_t>(row.size()) - 2);
  return count;
}

std::uint8_t* DataRow(std::uint8_t* page, std::uint32_t row) {
  return page + (GetU16(page + kDataPageHeader + 2 * row) & 0x1FFF);
}

std::uint32_t RowWriter::Add(std::span<const std::uint8_t> row) {
  if (pages_.empty() || !DataPageFits(file_.Data(pages_.back()), row.size())) {
    const std::uint32_t number = file_.Allocate();
    InitDataPage(file_.Data(number), owner_);
    pages_.push_back(number);
    // Rows are patched at most one page back (long-value chains).
    if (pages_.size() >= 3) file_.Seal(pages_[pages_.size() - 3]);
  }
  const std::uint32_t page = pages_.back();
  return PgRow(page, AppendDataRow(file_.Data(page), row));
}

UsageMapRow MakeUsageMap(PageFile& file, std::span<const std::uint32_t> pages) {
  UsageMapRow map{};
  if (pages.empty() || pages.back() - (pages.front() & ~7u) < kInlineMapPages) {
    // Jet keeps the window at page 0 while it can.
    const std::uint32_t start =
        pages.empty() || pages.back() < kInlineMapPages ? 0 : pages.front() & ~7u;
    map[0] = 0;
    PutU32(map.data() + 1, start);
    for (std::uint32_t p : pages) {
      const std::uint32_t bit = p - start;
      map[5 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
    }
    return map;
  }
  map[0] = 1;
  std::array<std::uint32_t, kMapPageSlots> slots{};
  for (std::uint32_t p : pages) {
    const std::uint32_t slot = p / kMapPageBits;
    if (slot >= slots.size()) Fail("a usage map cannot reach page " + std::to_string(p));
    if (slots[slot] == 0) {
      slots[slot] = file.Allocate();
      std::uint8_t* bitmap = file.Data(slots[slot]);
      bitmap[0] = 0x05;
      bitmap[1] = 0x01;
    }
    const std::uint32_t bit = p % kMapPageBits;
    file.Data(slots[slot])[4 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
  }
  for (std::size_t k = 0; k < slots.size(); ++k) PutU32(map.data() + 1 + 4 * k, slots[k]);
  return map;
}

}  // namespace zyl::exporting::jet4
