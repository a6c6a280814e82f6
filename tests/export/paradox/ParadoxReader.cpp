#include "export/paradox/ParadoxReader.h"

#include <bit>
#include <stdexcept>

namespace zyl::paradox_test {

namespace {

class ByteView {
 public:
  explicit ByteView(const std::vector<std::uint8_t>& data) : data_(data) {}
  std::size_t Size() const { return data_.size(); }
  std::uint8_t U8(std::size_t at) const { return data_.at(at); }
  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>(U8(at) | U8(at + 1) << 8);
  }
  std::uint32_t U32(std::size_t at) const {
    return static_cast<std::uint32_t>(U16(at)) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }
  // NUL-terminated text starting at `at`; `at` moves past the NUL.
  std::string CString(std::size_t& at, std::size_t limit) const {
    std::string s;
    while (true) {
      if (at >= limit) throw std::runtime_error("unterminated string in header");
      const auto c = U8(at++);
      if (c == 0) return s;
      s.push_back(static_cast<char>(c));
    }
  }
  const std::uint8_t* At(std::size_t at) const { return data_.data() + at; }

 private:
  const std::vector<std::uint8_t>& data_;
};

void Require(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what);
}

int FieldLength(std::uint8_t type, std::uint8_t size) {
  switch (type) {
    case 0x01:  // alpha
    case 0x18:  // bytes
      Require(size >= 1, "alpha/bytes field of size 0");
      return size;
    case 0x02:
    case 0x04:
    case 0x14:
    case 0x16:
      return 4;
    case 0x03:
      return 2;
    case 0x05:
    case 0x06:
    case 0x15:
      return 8;
    case 0x09:
      return 1;
    case 0x17:
      Require(size <= 32, "BCD with more than 32 decimals");
      return 17;
    default:
      throw std::runtime_error("unknown field type " + std::to_string(type));
  }
}

bool AllZero(const std::uint8_t* p, int n) {
  for (int i = 0; i < n; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

std::uint64_t BigEndian(const std::uint8_t* p, int n) {
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | p[i];
  return v;
}

std::int64_t FlippedInteger(const std::uint8_t* p, int n) {
  const std::uint64_t raw = BigEndian(p, n) ^ (std::uint64_t{0x80} << (8 * (n - 1)));
  const std::uint64_t sign = std::uint64_t{1} << (8 * n - 1);
  return raw & sign ? static_cast<std::int64_t>(raw) - static_cast<std::int64_t>(sign << 1)
                    : static_cast<std::int64_t>(raw);
}

double FlippedDouble(const std::uint8_t* p) {
  std::uint64_t bits = BigEndian(p, 8);
  bits = bits >> 63 ? bits ^ (std::uint64_t{1} << 63) : ~bits;
  return std::bit_cast<double>(bits);
}

std::string BcdText(const std::uint8_t* p, int decimals) {
  Require((p[0] & 0x40) != 0, "BCD value without its non-blank flag");
  Require((p[0] & 0x3F) == decimals, "BCD value with other decimals than its field");
  const bool negative = (p[0] & 0x80) == 0;
  std::string digits;
  for (int i = 1; i <= 16; ++i) {
    for (int nibble : {p[i] >> 4, p[i] & 0x0F}) {
      if (negative) nibble = 15 - nibble;
      Require(nibble <= 9, "BCD nibble above 9");
      digits.push_back(static_cast<char>('0' + nibble));
    }
  }
  std::string whole = digits.substr(0, 32 - static_cast<std::size_t>(decimals));
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  std::string text = (negative ? "-" : "") + whole;
  if (decimals > 0) text += "." + digits.substr(32 - static_cast<std::size_t>(decimals));
  return text;
}

PxValue Decode(const PxField& f, const std::uint8_t* p) {
  if (AllZero(p, f.length)) return std::monostate{};
  switch (f.type) {
    case 0x01: {
      Require(p[0] != 0, "alpha value starting with NUL");
      std::string s;
      for (int i = 0; i < f.length && p[i] != 0; ++i) s.push_back(static_cast<char>(p[i]));
      return s;
    }
    case 0x18:
      return std::vector<std::uint8_t>(p, p + f.length);
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x14:
    case 0x16:
      return FlippedInteger(p, f.length);
    case 0x05:
    case 0x06:
    case 0x15:
      return FlippedDouble(p);
    case 0x09:
      Require(p[0] == 0x80 || p[0] == 0x81, "logical byte other than 80/81");
      return p[0] == 0x81;
    case 0x17:
      return BcdText(p, f.sizeByte);
    default:
      throw std::runtime_error("cannot decode field type");
  }
}

}  // namespace

PxTable ReadParadox(const std::vector<std::uint8_t>& file) {
  const ByteView b(file);
  Require(b.Size() >= 0x800, "file shorter than the smallest header");
  PxTable t;
  t.recordSize = b.U16(0x00);
  t.headerSize = b.U16(0x02);
  t.fileType = b.U8(0x04);
  t.blockKiB = b.U8(0x05);
  t.records = b.U32(0x06);
  t.blocksInUse = b.U16(0x0A);
  t.blocksInFile = b.U16(0x0C);
  t.firstBlock = b.U16(0x0E);
  t.lastBlock = b.U16(0x10);
  const std::uint16_t nf = b.U16(0x21);
  t.sortOrder = b.U8(0x29);
  t.version = b.U8(0x39);
  t.autoIncrement = b.U32(0x49);
  t.updateTime = b.U32(0x60);
  t.highestFieldId = b.U16(0x64);
  t.codePage = b.U16(0x6A);

  Require(t.headerSize % 0x800 == 0 && t.headerSize <= b.Size(), "bad header size");
  Require(t.fileType == 2, "not an unkeyed table");
  Require(
      t.blockKiB == 1 || t.blockKiB == 2 || t.blockKiB == 4 || t.blockKiB == 16 || t.blockKiB == 32,
      "bad block size code");
  Require(nf >= 1 && nf <= 255, "bad field count");
  Require(b.U16(0x23) == 0, "key fields in an unkeyed table");
  Require(b.U32(0x25) == 0xFF00FF00u, "0x25 is not FF00FF00");
  Require(b.U8(0x3E) == 0x1F && b.U8(0x3F) == 0x0F, "0x3E is not 1F 0F");
  Require(b.U8(0x56) == 0x20, "0x56 is not 0x20");
  Require(b.U16(0x58) == 0x0100 + t.version && b.U16(0x5A) == b.U16(0x58),
          "file version words disagree");
  Require(b.U16(0x3A) == t.blocksInFile, "0x3A differs from the file's block count");
  Require(b.U8(0x14) == 0 && b.U8(0x2A) == 0, "modified flags set");

  // Variable part.
  std::size_t at = 0x78;
  int recordSize = 0;
  for (int i = 0; i < nf; ++i) {
    PxField f;
    f.type = b.U8(at);
    f.sizeByte = b.U8(at + 1);
    f.length = FieldLength(f.type, f.sizeByte);
    recordSize += f.length;
    t.fields.push_back(f);
    at += 2;
  }
  Require(recordSize == t.recordSize, "record size differs from the sum of field lengths");
  at += 4 + 4 * std::size_t{nf};  // run-time pointers
  const std::size_t nameArea = t.version >= 0x0C ? 261 : 79;
  std::size_t nameAt = at;
  t.tableName = b.CString(nameAt, at + nameArea);
  at += nameArea;
  for (auto& f : t.fields) f.name = b.CString(at, t.headerSize);
  Require(b.U16(0x66) + std::size_t{0x58} == at, "0x66 does not point at the field numbers");
  for (int i = 1; i <= nf; ++i, at += 2) Require(b.U16(at) == i, "field numbers not 1..n");
  Require(b.U16(0x6E) + std::size_t{0x58} == at, "0x6E does not point at the sort-order name");
  t.sortOrderName = b.CString(at, t.headerSize);
  Require(b.U16(0x51) == at, "0x51 is not the used header length");
  Require(AllZero(b.At(at), static_cast<int>(t.headerSize - at)), "header padding not zero");

  // Data blocks.
  const std::size_t blockSize = std::size_t{t.blockKiB} * 1024;
  Require(b.Size() == t.headerSize + t.blocksInFile * blockSize,
          "file length differs from header + blocks");
  Require(t.recordSize <= blockSize - 6, "record larger than a block");
  const int perBlock = static_cast<int>((blockSize - 6) / t.recordSize);
  std::uint16_t number = t.firstBlock;
  std::uint16_t previous = 0;
  Require((number == 0) == (t.blocksInUse == 0), "first block and block count disagree");
  while (number != 0) {
    Require(number <= t.blocksInFile, "block number beyond the file");
    Require(t.recordsPerBlock.size() < t.blocksInUse, "block chain longer than the count");
    const std::size_t base = t.headerSize + (number - std::size_t{1}) * blockSize;
    const std::uint16_t next = b.U16(base);
    Require(b.U16(base + 2) == previous, "block's previous pointer is wrong");
    const auto lastOffset = static_cast<std::int16_t>(b.U16(base + 4));
    Require(lastOffset % t.recordSize == 0, "last-record offset not a record boundary");
    const int count = lastOffset / t.recordSize + 1;
    Require(count >= 1 && count <= perBlock, "bad record count in a block");
    const std::size_t used = 6 + std::size_t(count) * t.recordSize;
    Require(AllZero(b.At(base + used), static_cast<int>(blockSize - used)),
            "unused block space not zero");
    for (int r = 0; r < count; ++r) {
      const std::uint8_t* p = b.At(base + 6 + std::size_t(r) * t.recordSize);
      std::vector<PxValue> row;
      for (const auto& f : t.fields) {
        row.push_back(Decode(f, p));
        p += f.length;
      }
      t.rows.push_back(std::move(row));
    }
    t.recordsPerBlock.push_back(count);
    previous = number;
    number = next;
  }
  Require(t.recordsPerBlock.size() == t.blocksInUse, "block chain shorter than the count");
  Require(previous == t.lastBlock, "chain does not end at the last block");
  Require(t.rows.size() == t.records, "record count differs from the records in the blocks");
  return t;
}

}  // namespace zyl::paradox_test
