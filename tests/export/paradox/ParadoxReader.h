// A strict reader of Paradox table files (.db) for the writer's tests. It
// follows the published layout on its own (it shares no code with the
// writer), checks every structural rule a writer must keep (header values
// and derived offsets, block chain, record counts, zero padding), and
// decodes every value of every record.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zyl::paradox_test {

struct PxField {
  std::uint8_t type = 0;      // type code (0x01 alpha, 0x02 date, ...)
  std::uint8_t sizeByte = 0;  // descriptor size byte
  int length = 0;             // bytes in the record
  std::string name;           // code page bytes as stored
};

// One decoded value; monostate is a blank. By field type:
//   alpha: string (code page bytes up to the first NUL); BCD: decimal text;
//   short, long: the integer; date: day number (0001-01-01 = 1);
//   time: milliseconds of the day; number, money: the double;
//   timestamp: the double (milliseconds, day number * 86400000 + time);
//   logical: bool; bytes: all `length` bytes.
using PxValue = std::variant<std::monostate, bool, std::int64_t, double, std::string,
                             std::vector<std::uint8_t>>;

struct PxTable {
  std::uint16_t recordSize = 0;
  std::uint16_t headerSize = 0;
  std::uint8_t fileType = 0;
  std::uint8_t blockKiB = 0;
  std::uint32_t records = 0;
  std::uint16_t blocksInUse = 0;
  std::uint16_t blocksInFile = 0;
  std::uint16_t firstBlock = 0;
  std::uint16_t lastBlock = 0;
  std::uint8_t sortOrder = 0;
  std::uint8_t version = 0;
  std::uint32_t autoIncrement = 0;
  std::uint32_t updateTime = 0;
  std::uint16_t highestFieldId = 0;
  std::uint16_t codePage = 0;
  std::string tableName;
  std::string sortOrderName;
  std::vector<PxField> fields;
  std::vector<int> recordsPerBlock;  // in chain order
  std::vector<std::vector<PxValue>> rows;
};

// Reads a whole .db file image. Throws std::runtime_error naming the first
// rule the file breaks.
PxTable ReadParadox(const std::vector<std::uint8_t>& file);

}  // namespace zyl::paradox_test
