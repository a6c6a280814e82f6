#include "export/jet4/Jet4Header.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#include "export/jet4/Jet4Catalog.h"

namespace zyl::exporting::jet4 {

void Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) {
  std::array<std::uint8_t, 256> s{};
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i);
  std::size_t j = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    j = (j + s[i] + key[i % key.size()]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  std::size_t i = 0;
  j = 0;
  for (std::uint8_t& b : data) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    b ^= s[(s[i] + s[j]) & 0xFF];
  }
}

void WriteHeaderPage(std::uint8_t* page) {
  std::memset(page, 0, kPageSize);
  page[1] = 0x01;
  std::memcpy(page + 4, "Standard Jet DB", 16);  // with its terminating zero
  PutU32(page + 0x14, 1);                        // Jet 4

  // The 128 bytes from 0x18 are stored masked; `plain` holds them unmasked,
  // indexed from 0x18.
  std::array<std::uint8_t, 128> plain{};
  static constexpr std::uint8_t kLead[24] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                             0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                             0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
  std::memcpy(plain.data(), kLead, sizeof kLead);
  PutU16(plain.data() + (0x3C - 0x18), 1252);  // code page
  // 0x3E: database key 0, so the pages after the header are not encoded.
  // 0x42: the password field. An empty password is stored as the mask that
  // the creation date yields: its whole days as int32, ten times.
  const auto days =
      static_cast<std::uint32_t>(static_cast<std::int32_t>(std::floor(kDatabaseCreated)));
  for (int k = 0; k < 10; ++k) PutU32(plain.data() + (0x42 - 0x18) + 4 * k, days);
  PutU32(plain.data() + (0x6A - 0x18), 0x11A6);  // as in the engine's file
  std::memcpy(plain.data() + (0x6E - 0x18), kSortGeneral, sizeof kSortGeneral);
  PutU64(plain.data() + (0x72 - 0x18), std::bit_cast<std::uint64_t>(kDatabaseCreated));
  static constexpr std::uint8_t kMaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
  Rc4(kMaskKey, plain);
  std::memcpy(page + 0x18, plain.data(), plain.size());

  static constexpr std::uint8_t kVersionTail[8] = {0x54, 0x06, 0x00, 0x00, 0x34, 0x2E, 0x30, 0x00};
  std::memcpy(page + 0x98, kVersionTail, sizeof kVersionTail);
  page[0xE00] = 0x01;
  for (std::size_t k = 0xE01; k < kPageSize; k += 2) page[k] = 0x01;
}

void WriteGlobalMap(PageFile& file) {
  std::uint8_t* page = file.Data(kGlobalMapPage);
  InitDataPage(page, 1);  // Jet writes owner 1 here
  // Row 0: bit set = page free. Pages inside the file are in use; the rest
  // of the map's 512-page window is free.
  UsageMapRow freePages{};
  for (std::uint32_t p = file.Count(); p < kInlineMapPages; ++p) {
    freePages[5 + p / 8] |= static_cast<std::uint8_t>(1u << (p % 8));
  }
  AppendDataRow(page, freePages);
  const UsageMapRow empty{};
  AppendDataRow(page, empty);
}

}  // namespace zyl::exporting::jet4
