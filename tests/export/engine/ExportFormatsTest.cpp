// The Paradox target end to end through ExportToFile, read by the strict
// reader of the Paradox writer's tests. The other formats are read back by
// independent readers in ExportReadersTest.cpp.
#include <gtest/gtest.h>

#include "export/ZylHTMLExport.h"
#include "tests/export/engine/EngineTestSupport.h"
#include "tests/export/paradox/ParadoxReader.h"

namespace zyl {
namespace {

using enginetest::MakeGrid;
using enginetest::ScopedTempDir;
using FT = TFieldType;

std::unique_ptr<TZylHTMLGrid> OrdersGrid() {
  const double day = EncodeDate(2003, 12, 31);
  auto grid = MakeGrid({{"Name", FT::ftString, 20},
                        {"Qty", FT::ftInteger},
                        {"Price", FT::ftCurrency},
                        {"Weight", FT::ftFloat},
                        {"Paid", FT::ftBoolean},
                        {"Ordered", FT::ftDate},
                        {"Hidden", FT::ftString, 20, false}},
                       {{"Smith", "12", "19.99", "1.5", "True", {"31.12.2003", day}, "h"},
                        {"", "", "", "", "", "", "h"},
                        {"Zoë \"Z\"", "-3", "0.5", "-0.25", "False", {"x", day + 1}, "h"},
                        {"hidden row", "1", "1", "1", "True", {"x", day}, "h"}});
  grid->GetRows(3)->SetVisible(false);
  return grid;
}

std::string Export(TZylHTMLGrid& grid, TExportType type, const std::string& fileName) {
  std::string name = fileName;
  std::string temp;
  EXPECT_TRUE(ExportToFile(name, temp, grid, type));
  DeleteFile(temp);
  return name;
}

TEST(ExportFormats, ParadoxTableHoldsTheVisibleRows) {
  ScopedTempDir tmp;
  auto grid = OrdersGrid();
  const std::string file = Export(*grid, TExportType::Paradox, tmp.File("orders.txt"));
  const std::string bytes = ReadFileBytes(file);
  const auto table =
      paradox_test::ReadParadox(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  ASSERT_EQ(table.fields.size(), 6u);
  EXPECT_EQ(table.fields[0].name, "Name");
  EXPECT_EQ(table.fields[5].name, "Ordered");
  ASSERT_EQ(table.rows.size(), 3u);
  using PV = paradox_test::PxValue;
  const auto& first = table.rows[0];
  EXPECT_EQ(first[0], PV{std::string("Smith")});
  EXPECT_EQ(first[1], PV{std::int64_t{12}});
  EXPECT_EQ(first[2], PV{19.99});
  EXPECT_EQ(first[3], PV{1.5});
  EXPECT_EQ(first[4], PV{true});
  EXPECT_EQ(first[5], PV{paradox_test::DayNumber(2003, 12, 31)});
  const auto& empty = table.rows[1];
  EXPECT_EQ(empty[0], PV{});
  EXPECT_EQ(empty[1], PV{});
  EXPECT_EQ(empty[4], PV{false});                                // a Yes/No column holds no NULL
  EXPECT_EQ(table.rows[2][0], PV{std::string("Zo\xEB \"Z\"")});  // code page 1252
  EXPECT_EQ(table.rows[2][5], PV{paradox_test::DayNumber(2004, 1, 1)});
}

}  // namespace
}  // namespace zyl
