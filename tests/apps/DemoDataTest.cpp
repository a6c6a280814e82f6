#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "AppTestSupport.h"
#include "tools/demo-data/DemoData.h"

namespace zylgrid {
namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(ZylgridDemoData, SameCountsGiveTheSameFile) {
  test::ScratchDir dir;
  std::string a = (dir.Path() / "a.db").string();
  std::string b = (dir.Path() / "b.db").string();
  demodata::CreateDatabase(a, {20, 500});
  demodata::CreateDatabase(b, {20, 500});
  EXPECT_EQ(Bytes(a), Bytes(b));
  EXPECT_EQ(test::QueryText(a, "SELECT count(*) FROM customers"), "20");
  EXPECT_EQ(test::QueryText(a, "SELECT count(*) FROM orders"), "500");
  EXPECT_EQ(test::QueryText(a, "SELECT count(*) FROM orders WHERE CustomerId NOT BETWEEN 1 AND 20"),
            "0");
  EXPECT_EQ(test::QueryText(a,
                            "SELECT count(*) FROM orders WHERE Status NOT IN "
                            "('New','Confirmed','Shipped','Delivered','Cancelled')"),
            "0");
  EXPECT_EQ(test::QueryText(a, "SELECT count(*) FROM orders WHERE date(OrderDate) IS NULL"), "0");
  EXPECT_EQ(test::QueryText(a, "SELECT count(*) FROM customers WHERE date(Since) IS NULL"), "0");
  EXPECT_FALSE(std::filesystem::exists(a + ".tmp"));
}

}  // namespace
}  // namespace zylgrid
