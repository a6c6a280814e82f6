// Small helpers shared by the Paradox writer tests: building tables and
// writing them to memory.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "export/ExportTable.h"
#include "export/paradox/ParadoxWriter.h"
#include "platform/ByteSink.h"

namespace zyl::paradox_test {

using exporting::AdoType;
using exporting::Bytes;
using exporting::Column;
using exporting::CurrencyValue;
using exporting::DateTimeValue;
using exporting::Table;
using exporting::Value;

inline constexpr std::uint32_t kUpdateTime = 1700000000;  // 2023-11-14

inline Table MakeTable(std::vector<Column> columns, std::vector<std::vector<Value>> rows = {}) {
  Table table;
  table.name = "ExportTable";
  table.columns = std::move(columns);
  table.rows = std::move(rows);
  return table;
}

inline std::vector<std::uint8_t> WriteToMemory(const Table& table) {
  MemorySink sink;
  exporting::WriteParadox(table, sink, exporting::ParadoxOptions{kUpdateTime});
  return sink.Take();
}

inline std::vector<std::uint8_t> Hex(const std::string& hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    if (hex[i] == ' ') {
      --i;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

}  // namespace zyl::paradox_test
