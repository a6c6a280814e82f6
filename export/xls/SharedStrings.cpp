#include "export/xls/SharedStrings.h"

#include <algorithm>

#include "export/xls/XlsText.h"

namespace zyl::exporting::xls {
namespace {

// One logical record that overflows into CONTINUE records: bytes go straight
// into the stream, and each record's size is filled in when it is closed.
class ContinuedRecord {
 public:
  ContinuedRecord(ByteWriter& out, std::uint16_t type) : out_(out) { Open(type); }

  std::size_t Room() const { return kMaxRecordBody - (out_.Size() - start_ - 4); }
  // Offset of the next byte from the start of the current record's header.
  std::size_t OffsetInRecord() const { return out_.Size() - start_; }
  void Continue() {
    Close();
    Open(rt::kContinue);
  }
  void Close() { out_.PatchU16(start_ + 2, static_cast<std::uint16_t>(out_.Size() - start_ - 4)); }

 private:
  void Open(std::uint16_t type) {
    start_ = out_.Size();
    out_.U16(type);
    out_.U16(0);
  }
  ByteWriter& out_;
  std::size_t start_ = 0;
};

struct Bucket {
  std::uint32_t streamOffset;  // of the first string's character count
  std::uint16_t recordOffset;  // the same, from the start of its SST/CONTINUE record
};

}  // namespace

std::uint32_t SharedStrings::Add(std::u16string text) {
  ++references_;
  const auto next = static_cast<std::uint32_t>(order_.size());
  auto [it, inserted] = index_.try_emplace(std::move(text), next);
  if (inserted) order_.push_back(&it->first);
  return it->second;
}

std::uint16_t SharedStrings::StringsPerBucket(std::uint32_t unique) {
  return static_cast<std::uint16_t>(std::clamp<std::uint32_t>(unique / 128 + 1, 8, 0xFFFF));
}

void SharedStrings::Write(BiffWriter& biff) const {
  ByteWriter& out = biff.Bytes();
  const std::uint16_t perBucket = StringsPerBucket(UniqueCount());
  std::vector<Bucket> buckets;
  buckets.reserve(order_.size() / perBucket + 1);

  ContinuedRecord record(out, rt::kSst);
  out.U32(references_);
  out.U32(UniqueCount());
  for (std::size_t i = 0; i < order_.size(); ++i) {
    std::u16string_view rest = *order_[i];
    const bool compressed = IsCompressible(rest);
    const std::size_t unit = compressed ? 1 : 2;
    const std::uint8_t flags = compressed ? 0 : 1;
    // The header (count, flags) never splits, and keeps at least its first
    // character with it (both units of a surrogate pair).
    const std::size_t first = rest.empty() ? 0 : IsHighSurrogate(rest[0]) ? 2 * unit : unit;
    if (record.Room() < 3 + first) record.Continue();
    if (i % perBucket == 0) {
      buckets.push_back({static_cast<std::uint32_t>(out.Size()),
                         static_cast<std::uint16_t>(record.OffsetInRecord())});
    }
    out.U16(static_cast<std::uint16_t>(rest.size()));
    out.U8(flags);
    for (;;) {
      std::size_t n = std::min(rest.size(), record.Room() / unit);
      // Split between characters: readers that decode each record's part
      // on its own (xlrd) reject half a surrogate pair.
      if (n < rest.size() && n > 0 && IsHighSurrogate(rest[n - 1])) --n;
      AppendCharacters(out, rest.substr(0, n), compressed);
      rest.remove_prefix(n);
      if (rest.empty()) break;
      // Characters continue in the next record, which starts with the
      // option byte of their width.
      record.Continue();
      out.U8(flags);
    }
  }
  record.Close();

  // EXTSST is only a lookup aid; past 1,027 buckets it would not fit one
  // record, and a workbook that large goes without it.
  if (2 + 8 * buckets.size() <= kMaxRecordBody) {
    biff.Record(rt::kExtSst, [&](ByteWriter& b) {
      b.U16(perBucket);
      for (const Bucket& bucket : buckets) {
        b.U32(bucket.streamOffset);
        b.U16(bucket.recordOffset);
        b.U16(0);
      }
    });
  }
}

}  // namespace zyl::exporting::xls
