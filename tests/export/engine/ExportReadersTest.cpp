// Excel, dBase and Access files from ExportToFile read back by independent
// readers (read_export.py: xlrd, dbfread, mdb-export). Skipped when the
// reader is not installed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "export/ZylHTMLExport.h"
#include "tests/export/engine/EngineTestSupport.h"

namespace zyl {
namespace {

using enginetest::MakeGrid;
using enginetest::ScopedTempDir;
using FT = TFieldType;

std::unique_ptr<TZylHTMLGrid> OrdersGrid() {
  const double day = EncodeDate(2003, 12, 31);
  auto grid = MakeGrid(
      {{"Name", FT::ftString, 20},
       {"Qty", FT::ftInteger},
       {"Price", FT::ftCurrency},
       {"Weight", FT::ftFloat},
       {"Paid", FT::ftBoolean},
       {"Ordered", FT::ftDate},
       {"Serial", FT::ftLargeint},
       {"Hidden", FT::ftString, 20, false}},
      {{"Smith", "12", "19.99", "1.5", "True", {"31.12.2003", day}, "9007199254740993", "h"},
       {"", "", "", "", "", "", "", "h"},
       {"Zoë \"Z\"", "-3", "0.5", "-0.25", "False", {"x", day + 1}, "7", "h"},
       {"hidden row", "1", "1", "1", "True", {"x", day}, "1", "h"}});
  grid->GetRows(3)->SetVisible(false);
  return grid;
}

struct ReadResult {
  int status = -1;
  std::vector<std::string> lines;
};

ReadResult ReadBack(const std::string& kind, const std::string& file) {
  const std::string python =
      std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  const std::string command = python + " " + ZYL_SOURCE_DIR "/tests/export/engine/read_export.py " +
                              kind + " '" + file + "' 2>/dev/null";
  ReadResult result;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::string text;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    result.lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return result;
}

class ExportReaders : public ::testing::Test {
 protected:
  std::vector<std::string> ExportAndRead(TExportType type, const std::string& kind) {
    auto grid = OrdersGrid();
    std::string fileName = tmp_.File("orders.txt");
    std::string temp;
    EXPECT_TRUE(ExportToFile(fileName, temp, *grid, type));
    const ReadResult r = ReadBack(kind, fileName);
    if (r.status == 3) skipped_ = true;
    EXPECT_TRUE(r.status == 0 || r.status == 3) << "reader failed for " << fileName;
    return r.lines;
  }
  ScopedTempDir tmp_;
  bool skipped_ = false;
};

TEST_F(ExportReaders, ExcelWorkbookThroughXlrd) {
  const auto lines = ExportAndRead(TExportType::Excel, "xls");
  if (skipped_) GTEST_SKIP() << "python3-xlrd is not installed";
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "ExportTable",
                       "Name\tQty\tPrice\tWeight\tPaid\tOrdered\tSerial",
                       "Smith\t12\t19.99\t1.5\tTrue\t2003-12-31\t9007199254740993",
                       "NULL\tNULL\tNULL\tNULL\tFalse\tNULL\tNULL",
                       "Zoë \"Z\"\t-3\t0.5\t-0.25\tFalse\t2004-01-01\t7",
                   }));
}

TEST_F(ExportReaders, DBaseTableThroughDbfread) {
  const auto lines = ExportAndRead(TExportType::dBase, "dbf");
  if (skipped_) GTEST_SKIP() << "python3-dbfread is not installed";
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "NAME\tQTY\tPRICE\tWEIGHT\tPAID\tORDERED\tSERIAL",
                       "Smith\t12\t19.99\t1.5\tTrue\t2003-12-31\t9007199254740993",
                       "\tNULL\tNULL\tNULL\tFalse\tNULL\tNULL",
                       "Zoë \"Z\"\t-3\t0.5\t-0.25\tFalse\t2004-01-01\t7",
                   }));
}

TEST_F(ExportReaders, AccessDatabaseThroughMdbTools) {
  const auto lines = ExportAndRead(TExportType::Access, "mdb");
  if (skipped_) GTEST_SKIP() << "mdbtools is not installed";
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "ExportTable",
                       "Name\tQty\tPrice\tWeight\tPaid\tOrdered\tSerial",
                       "Smith\t12\t19.99\t1.5\tTrue\t2003-12-31\t9007199254740993",
                       "NULL\tNULL\tNULL\tNULL\tFalse\tNULL\tNULL",
                       "Zoë \"Z\"\t-3\t0.5\t-0.25\tFalse\t2004-01-01\t7",
                   }));
}

}  // namespace
}  // namespace zyl
