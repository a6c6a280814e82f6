// Reads written tables back with pxlib (Debian package pxlib1), an
// independent C reader of Paradox files, loaded at run time so that the
// build does not depend on it. pxlib 0.6.8 reports blank date, time and long
// fields as values (it does so for tables written by Paradox too), so blanks
// are checked only for the other types. ZYL_PXLIB may name the library file.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "export/paradox/ParadoxReader.h"
#include "export/paradox/ParadoxTestTables.h"
#include "platform/FileSink.h"

namespace zyl::paradox_test {
namespace {

namespace fs = std::filesystem;

struct PxDoc;
struct PxFieldInfo {
  char* name;
  char type;
  int length;
  int decimals;
};

using ErrorProc = void (*)(PxDoc*, int, const char*, void*);
using AllocProc = void* (*)(PxDoc*, std::size_t, const char*);
using ReallocProc = void* (*)(PxDoc*, void*, std::size_t, const char*);
using FreeProc = void (*)(PxDoc*, void*);

std::vector<std::string>* gErrors = nullptr;

void OnError(PxDoc*, int, const char* message, void*) {
  if (gErrors != nullptr) gErrors->push_back(message);
}
void* Alloc(PxDoc*, std::size_t size, const char*) {
  return std::calloc(1, size + 1);
}
void* Realloc(PxDoc*, void* mem, std::size_t size, const char*) {
  return std::realloc(mem, size);
}
void Free(PxDoc*, void* mem) {
  std::free(mem);
}

// The few pxlib entry points the test uses.
class Pxlib {
 public:
  // ZYL_PXLIB may name another build of the library (a newer pxlib, say).
  Pxlib() {
    const char* path = std::getenv("ZYL_PXLIB");
    handle_ = dlopen(path != nullptr && *path != '\0' ? path : "libpx.so.0", RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) return;
    Load(newDoc, "PX_new2");
    Load(openFile, "PX_open_file");
    Load(setTargetEncoding, "PX_set_targetencoding");
    Load(numRecords, "PX_get_num_records");
    Load(numFields, "PX_get_num_fields");
    Load(getField, "PX_get_field");
    Load(getRecord, "PX_get_record");
    Load(getValue, "PX_get_value");
    Load(getAlpha, "PX_get_data_alpha");
    Load(getBytes, "PX_get_data_bytes");
    Load(getShort, "PX_get_data_short");
    Load(getLong, "PX_get_data_long");
    Load(getDouble, "PX_get_data_double");
    Load(getByte, "PX_get_data_byte");
    Load(getBcd, "PX_get_data_bcd");
    Load(closeDoc, "PX_close");
    Load(deleteDoc, "PX_delete");
  }
  ~Pxlib() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  Pxlib(const Pxlib&) = delete;
  Pxlib& operator=(const Pxlib&) = delete;

  bool Usable() const { return handle_ != nullptr && complete_; }

  PxDoc* (*newDoc)(ErrorProc, AllocProc, ReallocProc, FreeProc) = nullptr;
  int (*openFile)(PxDoc*, const char*) = nullptr;
  int (*setTargetEncoding)(PxDoc*, const char*) = nullptr;
  int (*numRecords)(PxDoc*) = nullptr;
  int (*numFields)(PxDoc*) = nullptr;
  PxFieldInfo* (*getField)(PxDoc*, int) = nullptr;
  char* (*getRecord)(PxDoc*, int, char*) = nullptr;
  int (*getValue)(PxDoc*, const char*, float*) = nullptr;
  int (*getAlpha)(PxDoc*, char*, int, char**) = nullptr;
  int (*getBytes)(PxDoc*, char*, int, char**) = nullptr;
  int (*getShort)(PxDoc*, char*, int, short*) = nullptr;
  int (*getLong)(PxDoc*, char*, int, long*) = nullptr;
  int (*getDouble)(PxDoc*, char*, int, double*) = nullptr;
  int (*getByte)(PxDoc*, char*, int, char*) = nullptr;
  int (*getBcd)(PxDoc*, unsigned char*, int, char**) = nullptr;
  int (*closeDoc)(PxDoc*) = nullptr;
  void (*deleteDoc)(PxDoc*) = nullptr;

 private:
  template <typename F>
  void Load(F& f, const char* name) {
    void* sym = dlsym(handle_, name);
    complete_ = complete_ && sym != nullptr;
    f = reinterpret_cast<F>(sym);
  }

  void* handle_ = nullptr;
  bool complete_ = true;
};

// A value as pxlib reports it: text for alpha (UTF-8), BCD (with a decimal
// point) and bytes, numbers otherwise.
using Cell = std::variant<std::monostate, std::int64_t, double, std::string>;

struct PxRead {
  float codePage = 0;
  float fileVersion = 0;
  std::vector<std::string> names;
  std::vector<char> types;
  std::vector<std::vector<Cell>> rows;
  std::vector<std::string> errors;
};

PxRead ReadWithPxlib(const Pxlib& px, const fs::path& file) {
  PxRead out;
  gErrors = &out.errors;
  PxDoc* doc = px.newDoc(&OnError, &Alloc, &Realloc, &Free);
  if (px.openFile(doc, file.c_str()) != 0) {
    px.deleteDoc(doc);
    gErrors = nullptr;
    out.errors.push_back("cannot open");
    return out;
  }
  px.setTargetEncoding(doc, "UTF-8");
  px.getValue(doc, "codepage", &out.codePage);
  px.getValue(doc, "fileversion", &out.fileVersion);
  const int nf = px.numFields(doc);
  int recordSize = 0;
  std::vector<PxFieldInfo> fields;
  for (int i = 0; i < nf; ++i) {
    fields.push_back(*px.getField(doc, i));
    out.names.emplace_back(fields.back().name);
    out.types.push_back(fields.back().type);
    recordSize += fields.back().length;
  }
  std::vector<char> record(static_cast<std::size_t>(recordSize));
  for (int r = 0; r < px.numRecords(doc); ++r) {
    if (px.getRecord(doc, r, record.data()) == nullptr) break;
    char* at = record.data();
    std::vector<Cell> row;
    for (const auto& f : fields) {
      Cell cell;
      char* text = nullptr;
      long l = 0;
      short s = 0;
      double d = 0;
      char b = 0;
      switch (f.type) {
        case 0x01:
          if (px.getAlpha(doc, at, f.length, &text) > 0) cell = std::string(text);
          break;
        case 0x17:
          if (px.getBcd(doc, reinterpret_cast<unsigned char*>(at), f.decimals, &text) > 0) {
            cell = std::string(text);
          }
          break;
        case 0x18:
          if (px.getBytes(doc, at, f.length, &text) > 0) {
            cell = std::string(text, static_cast<std::size_t>(f.length));
          }
          break;
        case 0x03:
          if (px.getShort(doc, at, f.length, &s) > 0) cell = std::int64_t{s};
          break;
        case 0x02:
        case 0x04:
        case 0x14:
          if (px.getLong(doc, at, f.length, &l) > 0) cell = std::int64_t{l};
          break;
        case 0x05:
        case 0x06:
        case 0x15:
          if (px.getDouble(doc, at, f.length, &d) > 0) cell = d;
          break;
        case 0x09:
          if (px.getByte(doc, at, f.length, &b) > 0) cell = std::int64_t{b};
          break;
        default:
          break;
      }
      std::free(text);
      row.push_back(cell);
      at += f.length;
    }
    out.rows.push_back(std::move(row));
  }
  px.closeDoc(doc);
  px.deleteDoc(doc);
  gErrors = nullptr;
  return out;
}

class PxlibReadBack : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!px_.Usable()) GTEST_SKIP() << "pxlib (libpx.so.0, Debian package pxlib1) is not installed";
    dir_ = fs::temp_directory_path() / ("zyl_paradox_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  PxRead WriteAndRead(const Table& table, const std::string& name) {
    const fs::path file = dir_ / name;
    FileSink sink(file.string());
    exporting::WriteParadox(table, sink, exporting::ParadoxOptions{kUpdateTime});
    sink.Commit();
    return ReadWithPxlib(px_, file);
  }

  Pxlib px_;
  fs::path dir_;
};

Column Col(std::string name, AdoType type, int size = 0) {
  return Column{std::move(name), type, size, true};
}

TEST_F(PxlibReadBack, EveryFieldTypeReadsBackWithItsValue) {
  auto dt = [](int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return DateTimeValue{TableDays(y, mo, d, h, mi, s, ms)};
  };
  const Table table = MakeTable(
      {Col("Stadt", AdoType::VarWChar, 20), Col("Größe", AdoType::SmallInt),
       Col("Anzahl", AdoType::Integer), Col("Riesig", AdoType::BigInt),
       Col("Quote", AdoType::Double), Col("Preis", AdoType::Currency),
       Col("Aktiv", AdoType::Boolean), Col("Tag", AdoType::Date), Col("Uhrzeit", AdoType::Date),
       Col("Zeitpunkt", AdoType::Date), Col("Roh", AdoType::Binary, 3)},
      {{std::string("Zürich €"), std::int64_t{-32767}, std::int64_t{-2147483647},
        std::int64_t{1} << 60, -1e-300, CurrencyValue{-12345}, true, dt(1850, 3, 1),
        dt(1899, 12, 30, 23, 59, 59, 999), dt(2100, 1, 1, 0, 0, 0, 1), Bytes{0x01, 0x02, 0x03}},
       {std::string("x"), std::int64_t{32767}, std::int64_t{2147483647}, std::int64_t{-5}, 1.5e308,
        CurrencyValue{0}, false, dt(9999, 12, 31), dt(1899, 12, 30, 0, 0, 1), dt(1066, 10, 14, 12),
        Value()},
       {Value(), Value(), std::int64_t{0}, Value(), Value(), Value(), Value(), dt(2038, 1, 20),
        dt(1899, 12, 30, 12), Value(), Value()}});
  const PxRead got = WriteAndRead(table, "types.db");
  ASSERT_TRUE(got.errors.empty()) << got.errors.front();
  EXPECT_EQ(got.codePage, 1252.0f);
  EXPECT_EQ(got.fileVersion, 7.0f);
  EXPECT_EQ(got.types,
            (std::vector<char>{0x01, 0x03, 0x04, 0x17, 0x06, 0x05, 0x09, 0x02, 0x14, 0x15, 0x18}));
  EXPECT_EQ(got.names[1],
            "Gr\xF6\xDF"
            "e");  // pxlib leaves names in the code page
  ASSERT_EQ(got.rows.size(), 3u);

  const std::vector<Cell> first = {std::string("Zürich €"),
                                   std::int64_t{-32767},
                                   std::int64_t{-2147483647},
                                   std::string("1152921504606846976."),
                                   -1e-300,
                                   -1.2345,
                                   std::int64_t{1},
                                   DayNumber(1850, 3, 1),
                                   std::int64_t{86399999},
                                   static_cast<double>(DayNumber(2100, 1, 1)) * 86400000 + 1,
                                   std::string("\x01\x02\x03")};
  EXPECT_EQ(got.rows[0], first);
  const std::vector<Cell> second = {
      std::string("x"),
      std::int64_t{32767},
      std::int64_t{2147483647},
      std::string("-5."),
      1.5e308,
      0.0,
      std::int64_t{0},
      DayNumber(9999, 12, 31),
      std::int64_t{1000},
      static_cast<double>(DayNumber(1066, 10, 14)) * 86400000 + 12 * 3600000,
      Cell()};
  EXPECT_EQ(got.rows[1], second);
  // Blanks of the types this pxlib reads correctly.
  const auto& third = got.rows[2];
  for (std::size_t i : {0u, 1u, 3u, 4u, 5u, 6u, 9u, 10u}) EXPECT_EQ(third[i], Cell()) << i;
  EXPECT_EQ(third[2], Cell(std::int64_t{0}));
  EXPECT_EQ(third[7], Cell(DayNumber(2038, 1, 20)));
  EXPECT_EQ(third[8], Cell(std::int64_t{12 * 3600000}));
}

TEST_F(PxlibReadBack, ManyBlocksAndWideRecords) {
  std::vector<std::vector<Value>> rows;
  for (int i = 0; i < 10000; ++i) {
    rows.push_back({std::int64_t{i + 1}, std::string(i % 255 + 1, static_cast<char>('a' + i % 26)),
                    std::string("Zeile ") + std::to_string(i)});
  }
  std::vector<Column> columns = {Col("Nr", AdoType::Integer), Col("Lang", AdoType::VarWChar),
                                 Col("Text", AdoType::VarWChar, 255)};
  // 4 + 255 + 255 + 6 x 255 = 2044 bytes: 4 KiB blocks.
  for (int c = 0; c < 6; ++c) {
    columns.push_back(Col("Pad" + std::to_string(c), AdoType::VarWChar));
    for (auto& row : rows) row.emplace_back(std::monostate{});
  }
  const PxRead got = WriteAndRead(MakeTable(columns, rows), "many.db");
  ASSERT_TRUE(got.errors.empty()) << got.errors.front();
  ASSERT_EQ(got.rows.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(got.rows[i][0], Cell(static_cast<std::int64_t>(i + 1))) << i;
    ASSERT_EQ(got.rows[i][1], Cell(std::get<std::string>(rows[i][1]))) << i;
    ASSERT_EQ(got.rows[i][2], Cell(std::get<std::string>(rows[i][2]))) << i;
  }
}

}  // namespace
}  // namespace zyl::paradox_test
