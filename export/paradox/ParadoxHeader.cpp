#include "export/paradox/ParadoxHeader.h"

#include <algorithm>
#include <cstring>

namespace zyl::exporting::paradox {

namespace {

constexpr std::size_t kVariablePartStart = 0x78;
constexpr std::size_t kTableNameArea = 261;  // level 7 tables
constexpr std::size_t kHeaderStep = 0x800;
constexpr std::uint16_t kFileVersion = 0x010C;  // Paradox 7

void Put16(std::vector<std::uint8_t>& h, std::size_t at, std::uint32_t v) {
  h[at] = static_cast<std::uint8_t>(v & 0xFFu);
  h[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFFu);
}

void Put32(std::vector<std::uint8_t>& h, std::size_t at, std::uint32_t v) {
  Put16(h, at, v & 0xFFFFu);
  Put16(h, at + 2, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> BuildHeader(const std::vector<FieldPlan>& fields,
                                      const std::string& tableFileName,
                                      const TableGeometry& geometry, std::uint32_t updateTime) {
  const std::size_t nf = fields.size();

  // Variable part: descriptors, name pointers (run-time only, zero), the
  // table name area, field names, field numbers, the sort-order name.
  std::vector<std::uint8_t> tail;
  for (const auto& f : fields) {
    tail.push_back(static_cast<std::uint8_t>(f.type));
    tail.push_back(f.sizeByte);
  }
  tail.resize(tail.size() + 4 + 4 * nf, 0);
  const std::size_t nameAt = tail.size();
  tail.resize(nameAt + kTableNameArea, 0);
  std::memcpy(tail.data() + nameAt, tableFileName.data(),
              std::min(tableFileName.size(), kTableNameArea - 1));
  for (const auto& f : fields) {
    tail.insert(tail.end(), f.name.begin(), f.name.end());
    tail.push_back(0);
  }
  const std::size_t numbersAt = kVariablePartStart + tail.size();
  for (std::size_t i = 1; i <= nf; ++i) {
    tail.push_back(static_cast<std::uint8_t>(i & 0xFFu));
    tail.push_back(static_cast<std::uint8_t>(i >> 8));
  }
  const std::size_t sortNameAt = kVariablePartStart + tail.size();
  tail.insert(tail.end(), kSortOrderName, kSortOrderName + sizeof kSortOrderName);  // with NUL
  const std::size_t used = kVariablePartStart + tail.size();
  const std::size_t size = (used + kHeaderStep - 1) / kHeaderStep * kHeaderStep;

  std::vector<std::uint8_t> h(size, 0);
  const std::uint32_t blocks = geometry.blocks;
  Put16(h, 0x00, static_cast<std::uint32_t>(geometry.recordSize));
  Put16(h, 0x02, static_cast<std::uint32_t>(size));
  h[0x04] = 2;  // unkeyed table
  h[0x05] = static_cast<std::uint8_t>(geometry.blockKiB);
  Put32(h, 0x06, geometry.records);
  Put16(h, 0x0A, blocks);  // blocks in use
  Put16(h, 0x0C, blocks);  // blocks in the file
  Put16(h, 0x0E, blocks == 0 ? 0 : 1);
  Put16(h, 0x10, blocks);  // last block
  Put16(h, 0x12, 1);
  Put16(h, 0x21, static_cast<std::uint32_t>(nf));
  Put32(h, 0x25, 0xFF00FF00u);  // level 4 and later: no encryption
  h[0x29] = kSortOrder;
  h[0x2D] = 1;
  h[0x2E] = 1;
  Put32(h, 0x30, static_cast<std::uint32_t>(kVariablePartStart + 2 * nf));
  Put32(h, 0x34, static_cast<std::uint32_t>(kVariablePartStart));
  h[0x39] = 0x0C;  // Paradox 7
  Put16(h, 0x3A, blocks);
  h[0x3E] = 0x1F;
  h[0x3F] = 0x0F;
  Put16(h, 0x51, static_cast<std::uint32_t>(used));
  h[0x56] = 0x20;
  Put16(h, 0x58, kFileVersion);
  Put16(h, 0x5A, kFileVersion);
  Put32(h, 0x60, updateTime);
  Put16(h, 0x64, static_cast<std::uint32_t>(nf + 1));  // highest field id
  Put16(h, 0x66, static_cast<std::uint32_t>(numbersAt - 0x58));
  Put16(h, 0x6A, kCodePage);
  h[0x6C] = 1;
  h[0x6D] = 1;
  Put16(h, 0x6E, static_cast<std::uint32_t>(sortNameAt - 0x58));
  Put16(h, 0x70, 1);
  std::memcpy(h.data() + kVariablePartStart, tail.data(), tail.size());
  return h;
}

}  // namespace zyl::exporting::paradox
