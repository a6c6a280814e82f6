// The shared string table (SST): every text cell refers to its text by index.
// Strings keep their first-use order; the SST record and its CONTINUE
// records follow the splitting rules in docs/formats/xls.md, section "SST".
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/xls/BiffWriter.h"

namespace zyl::exporting::xls {

class SharedStrings {
 public:
  // Adds one reference to `text` and returns its index.
  // REQUIRES text.size() <= kMaxCellChars.
  std::uint32_t Add(std::u16string text);

  bool Contains(const std::u16string& text) const { return index_.count(text) != 0; }
  std::uint32_t UniqueCount() const { return static_cast<std::uint32_t>(order_.size()); }
  std::uint32_t ReferenceCount() const { return references_; }

  // Appends SST, its CONTINUE records and EXTSST to `out`. Offsets in EXTSST
  // are stream offsets, so `out` must start at the start of the stream.
  void Write(BiffWriter& out) const;

  // Strings per EXTSST bucket for `unique` strings: keeps EXTSST to at most
  // 128 entries, and never below 8.
  static std::uint16_t StringsPerBucket(std::uint32_t unique);

 private:
  // Index of each distinct string. Map nodes never move, so order_ can point
  // at the keys.
  std::unordered_map<std::u16string, std::uint32_t> index_;
  std::vector<const std::u16string*> order_;
  std::uint32_t references_ = 0;
};

}  // namespace zyl::exporting::xls
