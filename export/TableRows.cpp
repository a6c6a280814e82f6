#include "export/TableRows.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <type_traits>

#include "platform/Exception.h"
#include "platform/System.h"

namespace zyl::exporting {
namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

void PutRaw(std::string& out, const void* p, std::size_t n) {
  out.append(static_cast<const char*>(p), n);
}

template <typename T>
void Put(std::string& out, T v) {
  PutRaw(out, &v, sizeof v);
}

template <typename T>
T Get(const std::string& in, std::size_t& at) {
  T v;
  std::memcpy(&v, in.data() + at, sizeof v);
  at += sizeof v;
  return v;
}

// A value: its type index, then its bytes (texts and binaries with their length).
void Encode(std::string& out, const Value& value) {
  out += static_cast<char>(value.index());
  std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          out += static_cast<char>(v);
        } else if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>) {
          Put(out, v);
        } else if constexpr (std::is_same_v<T, CurrencyValue>) {
          Put(out, v.scaled);
        } else if constexpr (std::is_same_v<T, DateTimeValue>) {
          Put(out, v.days);
        } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, Bytes>) {
          Put(out, static_cast<std::uint64_t>(v.size()));
          PutRaw(out, v.data(), v.size());
        }
      },
      value);
}

[[noreturn]] void Fail(const char* what) {
  throw EInOutError(std::string("export rows: cannot ") + what +
                    " the temporary file: " + std::strerror(errno));
}

}  // namespace

SpillFile::SpillFile() {
  const std::string name = CreateUniqueTempFile(TempDirectory(), "zylrows");
  fd_ = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
  DeleteFile(name);
  if (fd_ < 0) Fail("open");
}

SpillFile::~SpillFile() {
  ::close(fd_);
}

void SpillFile::Append(const void* data, std::size_t n) {
  PutRaw(buffer_, data, n);
  if (buffer_.size() >= kBufferBytes) FlushBuffer();
}

void SpillFile::WriteAt(std::uint64_t offset, const void* data, std::size_t n) {
  FlushBuffer();
  const auto* p = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) Fail("write");
    done += static_cast<std::size_t>(w);
  }
  written_ = std::max(written_, offset + n);
}

void SpillFile::FlushBuffer() {
  if (buffer_.empty()) return;
  const std::string pending = std::move(buffer_);
  buffer_.clear();
  WriteAt(written_, pending.data(), pending.size());
}

bool SpillFile::Read(std::uint64_t offset, std::size_t max, std::string& out) const {
  if (offset >= written_) {
    const std::size_t at = static_cast<std::size_t>(offset - written_);
    if (at >= buffer_.size()) return false;
    out.append(buffer_, at, max);
    return true;
  }
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(max, written_ - offset));
  const std::size_t start = out.size();
  out.resize(start + n);
  ssize_t got = -1;
  do {
    got = ::pread(fd_, out.data() + start, n, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  if (got <= 0) Fail("read");
  out.resize(start + static_cast<std::size_t>(got));
  return true;
}

void SpilledRows::Append(const std::vector<Value>& row) {
  encoded_.clear();
  Put(encoded_, static_cast<std::uint32_t>(row.size()));
  for (const Value& value : row) Encode(encoded_, value);
  file_.Append(encoded_.data(), encoded_.size());
  ++count_;
}

bool RowReader::Ensure(std::size_t n) {
  if (chunk_.size() - at_ >= n) return true;
  chunk_.erase(0, at_);
  at_ = 0;
  while (chunk_.size() < n) {
    const std::size_t before = chunk_.size();
    if (!table_.spilled->File().Read(offset_, std::max(kBufferBytes, n - before), chunk_))
      return false;
    offset_ += chunk_.size() - before;
  }
  return true;
}

const std::vector<Value>* RowReader::Next() {
  const std::size_t spilled = table_.spilled ? table_.spilled->Count() : 0;
  if (index_ >= spilled) {
    if (index_ - spilled >= table_.rows.size()) return nullptr;
    return &table_.rows[index_++ - spilled];
  }
  ++index_;
  if (!Ensure(4)) Fail("read");
  row_.resize(Get<std::uint32_t>(chunk_, at_));
  for (Value& value : row_) {
    Ensure(9);  // the type and any fixed-size value (a short read is caught below)
    if (chunk_.size() - at_ < 1) Fail("read");
    const auto type = static_cast<std::size_t>(static_cast<unsigned char>(chunk_[at_++]));
    switch (type) {
      case 0:
        value = std::monostate{};
        break;
      case 1:
        value = chunk_[at_++] != 0;
        break;
      case 2:
        value = Get<std::int64_t>(chunk_, at_);
        break;
      case 3:
        value = Get<double>(chunk_, at_);
        break;
      case 4:
        value = CurrencyValue{Get<std::int64_t>(chunk_, at_)};
        break;
      case 5:
        value = DateTimeValue{Get<double>(chunk_, at_)};
        break;
      default: {
        const auto size = static_cast<std::size_t>(Get<std::uint64_t>(chunk_, at_));
        if (!Ensure(size)) Fail("read");
        const char* p = chunk_.data() + at_;
        if (type == 6) {
          value = std::string(p, size);
        } else {
          value = Bytes(p, p + size);
        }
        at_ += size;
      }
    }
  }
  return &row_;
}

void AddRow(Table& table, std::vector<Value> row, bool spill) {
  table.rows.push_back(std::move(row));
  if (!spill || table.rows.size() < kRowsInMemory) return;
  if (!table.spilled) table.spilled = std::make_shared<SpilledRows>();
  for (const std::vector<Value>& r : table.rows) table.spilled->Append(r);
  table.rows.clear();
}

}  // namespace zyl::exporting
