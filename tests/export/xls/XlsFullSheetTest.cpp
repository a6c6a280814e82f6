// A table one row longer than a sheet holds: the first sheet fills all
// 65,536 rows, the last row goes to "Big (2)", and the stream (about 11 MB)
// needs a DIFAT sector. Read back whole by xlrd and LibreOffice.
#include "export/xls/XlsWriter.h"

#include <gtest/gtest.h>

#include "ReadBack.h"
#include "XlsTestReader.h"
#include "platform/FileSink.h"

namespace {

using namespace zyl::exporting;
namespace tr = zyl::testing::xls;
using tr::Cell;

constexpr std::size_t kRows = 65536;

struct Fixture {
  std::filesystem::path dir;
  std::string path;
  tr::Workbook want;
};

Fixture WriteBigWorkbook(const std::string& reader) {
  Fixture f;
  f.dir = tr::FreshTempDir("zyl_xls_full_" + reader);
  f.path = (f.dir / "big.xls").string();
  Table t{"Big",
          {{"No", AdoType::Integer}, {"Name", AdoType::VarWChar}, {"Ratio", AdoType::Double},
           {"Price", AdoType::Currency}, {"Done", AdoType::Boolean}, {"Day", AdoType::Date},
           {"Stamp", AdoType::Date}, {"Group", AdoType::VarWChar}},
          {}};
  std::vector<Cell> header;
  for (const Column& c : t.columns) header.push_back(Cell::Text(c.name));
  f.want = {{"Big", {header}}, {"Big (2)", {header}}};
  t.rows.reserve(kRows);
  for (std::size_t i = 0; i < kRows; ++i) {
    const auto n = static_cast<std::int64_t>(i);
    char name[32];
    std::snprintf(name, sizeof name, "row %06zu Z\xC3\xBCrich", i);
    const double day = 36526.0 + static_cast<double>(i % 3000);
    const double stamp = 36526.0 + static_cast<double>(i * 97) / 86400.0;
    const std::string group = "m" + std::to_string(i % 50);
    t.rows.push_back({n - 35000, std::string(name), static_cast<double>(i) / 7.0, CurrencyValue{n},
                      i % 3 == 0, DateTimeValue{day}, DateTimeValue{stamp}, group});
    f.want[i < 65535 ? 0 : 1].rows.push_back(
        {Cell::Number(static_cast<double>(n - 35000)), Cell::Text(name), Cell::Number(static_cast<double>(i) / 7.0),
         Cell::Number(static_cast<double>(i) / 10000.0), Cell::Bool(i % 3 == 0), Cell::Date(day),
         Cell::Date(stamp), Cell::Text(group)});
  }
  zyl::FileSink sink(f.path);
  WriteXls(t, sink);
  sink.Commit();
  return f;
}

void CheckWith(const std::string& python, const std::string& reader) {
  const Fixture f = WriteBigWorkbook(reader);
  const auto file = tr::ReadFile(f.path);
  EXPECT_GE(tr::U32(file, 0x48), 1u);  // DIFAT sectors in use
  const auto books = tr::ReadWorkbooks(python, reader, {f.path});
  ASSERT_EQ(books.count(f.path), 1u);
  const tr::Workbook& got = books.at(f.path);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].rows.size(), 65536u);
  EXPECT_EQ(tr::CompareWorkbooks(got, f.want), "");
  std::filesystem::remove_all(f.dir);
}

TEST(XlsFullSheet, XlrdReadsAFullSheetAndTheOverflowSheet) {
  const auto python = tr::FindPython({"xlrd"});
  if (!python) GTEST_SKIP() << "python3 with xlrd not found (Debian package python3-xlrd)";
  CheckWith(*python, "xlrd");
}

TEST(XlsFullSheet, LibreOfficeReadsAFullSheetAndTheOverflowSheet) {
  if (!tr::HaveProgram("soffice")) GTEST_SKIP() << "soffice not found (Debian package libreoffice-calc-nogui)";
  const auto python = tr::FindPython({"uno"});
  if (!python) GTEST_SKIP() << "python3 with uno not found (Debian package python3-uno)";
  CheckWith(*python, "libreoffice");
}

}  // namespace
