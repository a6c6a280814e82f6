#include "export/jet4/Jet4Tdef.h"

#include <algorithm>
#include <cstring>

#include "export/jet4/Jet4Text.h"
#include "platform/Text.h"

namespace zyl::exporting::jet4 {

namespace {

void AppendName(ByteVector& out, const std::string& name) {
  const std::size_t lengthAt = out.size();
  AppendU16(out, 0);
  if (!AppendUtf16Le(name, out)) Fail("name '" + name + "' is not valid UTF-8");
  PutU16(out.data() + lengthAt, static_cast<std::uint32_t>(out.size() - lengthAt - 2));
}

void AppendDescriptor(ByteVector& out, const JetColumn& c, bool system) {
  AppendU8(out, static_cast<std::uint32_t>(c.type));
  AppendU32(out, kTdefMagic);
  AppendU16(out, c.number);
  AppendU16(out, c.varIndex);
  AppendU16(out, system ? 0 : c.number);
  // Text and memo carry their sort order; Jet gives it to every system column.
  if (system || c.type == JetType::Text || c.type == JetType::Memo) {
    out.insert(out.end(), std::begin(kSortGeneral), std::end(kSortGeneral));
  } else {
    AppendZeros(out, 4);
  }
  std::uint32_t flags = 0x02 | (IsFixed(c.type) ? 0x01 : 0x00);
  if (system) flags |= 0x10 | (c.type == JetType::Binary ? 0x20 : 0x00);
  AppendU8(out, flags);
  AppendU8(out, 0);  // no Unicode compression
  AppendU32(out, 0);
  AppendU16(out, c.fixedOffset);
  AppendU16(out, DescriptorLength(c));
}

}  // namespace

ByteVector BuildTdefStream(const TdefContent& content) {
  const TableLayout& layout = *content.layout;
  const std::vector<JetColumn>& columns = layout.Columns();
  ByteVector b;
  b.reserve(64 + columns.size() * 200);
  AppendU8(b, 0x02);
  AppendU8(b, 0x01);
  AppendU16(b, 0);  // free space, set per page
  AppendU32(b, 0);  // next page, set per page
  AppendU32(b, 0);  // total length, set below
  AppendU32(b, kTdefMagic);
  AppendU32(b, content.rowCount);
  AppendU32(b, 0);  // next autonumber value
  AppendU8(b, 0x01);
  AppendZeros(b, 15);
  AppendU8(b, content.system ? kTableSystem : kTableUser);
  AppendU16(b, static_cast<std::uint32_t>(columns.size()));
  AppendU16(b, static_cast<std::uint32_t>(layout.VariableCount()));
  AppendU16(b, static_cast<std::uint32_t>(columns.size()));
  AppendU32(b, static_cast<std::uint32_t>(content.logicalIndexes.size()));
  AppendU32(b, static_cast<std::uint32_t>(content.realIndexes.size()));
  AppendU32(b, content.ownedMap);
  AppendU32(b, content.freeMap);

  for (const RealIndex& ri : content.realIndexes) {
    AppendU32(b, 0);
    AppendU32(b, ri.distinctKeys);
    AppendU32(b, 0);
  }

  // Jet sorts the descriptors of its system tables by name; readers sort by
  // column number, so user tables keep column order.
  std::vector<const JetColumn*> order;
  for (const JetColumn& c : columns) order.push_back(&c);
  if (content.system) {
    std::stable_sort(order.begin(), order.end(), [](const JetColumn* x, const JetColumn* y) {
      return AsciiLowerCase(x->name) < AsciiLowerCase(y->name);
    });
  }
  for (const JetColumn* c : order) AppendDescriptor(b, *c, content.system);
  for (const JetColumn* c : order) AppendName(b, c->name);

  for (const RealIndex& ri : content.realIndexes) {
    AppendU32(b, kRealIndexMagic);
    for (std::size_t slot = 0; slot < 10; ++slot) {
      if (slot < ri.columns.size()) {
        AppendU16(b, ri.columns[slot]);
        AppendU8(b, 0x01);  // ascending
      } else {
        AppendU16(b, 0xFFFF);
        AppendU8(b, 0);
      }
    }
    AppendU32(b, ri.usageMap);
    AppendU32(b, ri.rootPage);
    AppendU32(b, 0);
    AppendU8(b, ri.flags);
    AppendZeros(b, 5);
  }
  for (const LogicalIndex& li : content.logicalIndexes) {
    AppendU32(b, kTdefMagic);
    AppendU32(b, li.number);
    AppendU32(b, li.realIndex);
    AppendU8(b, 0);
    AppendU32(b, 0xFFFFFFFFu);  // no related index
    AppendU32(b, 0);
    // Jet's own system-table indexes carry 04 04 as cascade flags.
    AppendU8(b, content.system ? 0x04 : 0);
    AppendU8(b, content.system ? 0x04 : 0);
    AppendU8(b, li.kind);
    AppendU32(b, 0);
  }
  for (const LogicalIndex& li : content.logicalIndexes) AppendName(b, li.name);
  for (const LongValueMaps& lv : content.longValueMaps) {
    AppendU16(b, lv.column);
    AppendU32(b, lv.owned);
    AppendU32(b, lv.free);
  }
  AppendU8(b, 0xFF);
  AppendU8(b, 0xFF);
  PutU32(b.data() + 8, static_cast<std::uint32_t>(b.size()));
  return b;
}

void WriteTdef(PageFile& file, std::uint32_t firstPage, const ByteVector& stream) {
  std::uint32_t page = firstPage;
  std::size_t pos = 0;
  while (true) {
    std::uint8_t* p = file.Data(page);
    std::size_t used = 0;
    if (pos == 0) {
      const std::size_t take = std::min(kPageSize, stream.size());
      std::memcpy(p, stream.data(), take);
      pos = take;
      used = take;
    } else {
      const std::size_t take = std::min(kPageSize - 8, stream.size() - pos);
      p[0] = 0x02;
      p[1] = 0x01;
      std::memcpy(p + 8, stream.data() + pos, take);
      pos += take;
      used = take + 8;
    }
    PutU16(p + 2, static_cast<std::uint32_t>(used + 8 <= kPageSize ? kPageSize - used - 8 : 0));
    if (pos >= stream.size()) {
      PutU32(p + 4, 0);
      return;
    }
    const std::uint32_t next = file.Allocate();
    PutU32(file.Data(page) + 4, next);
    page = next;
  }
}

}  // namespace zyl::exporting::jet4
