// A text-file column declared boolean shows and keeps the stored state.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"

namespace zyl {
namespace {

TEST(TextFileBoolean, DeclaredBooleanColumnsReadTheirState) {
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();       // number column at 0
  grid.SetColCount(3);  // then Name and Paid
  grid.GetColumns(2)->SetDataType(TFieldType::ftBoolean);
  TStringList lines;
  lines.Add("\"Name\"\t\"Paid\"");
  lines.Add("\"a\"\t\"True\"");
  lines.Add("\"b\"\t\"False\"");
  lines.Add("\"c\"\t\"1\"");
  ASSERT_TRUE(grid.LoadFromStringList(lines, '\t'));
  EXPECT_TRUE(grid.GetCells(0, 2)->GetBooleanValue());
  EXPECT_FALSE(grid.GetCells(1, 2)->GetBooleanValue());
  EXPECT_TRUE(grid.GetCells(2, 2)->GetBooleanValue());
}

}  // namespace
}  // namespace zyl
