// Record counts kept by the long-lived modes: the next request sees every
// change made by another connection, another process or the grid itself;
// --no-count-cache turns the keeping off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "ZylgridClient.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/Options.h"
#include "apps/zylgrid/PageBuilder.h"
#include "datasets/SQLiteCountCache.h"

namespace zylgrid {
namespace {

TEST(ZylgridCountCacheOption, ServeAndFcgiOnly) {
  EXPECT_TRUE(ParseOptions({"serve"}, false).countCache);
  EXPECT_FALSE(ParseOptions({"serve", "--no-count-cache"}, false).countCache);
  EXPECT_FALSE(ParseOptions({"fcgi", "--no-count-cache", "--port", "9000"}, false).countCache);
  EXPECT_THROW(ParseOptions({"cgi", "--no-count-cache"}, false), UsageError);
  EXPECT_THROW(ParseOptions({"demo", "--no-count-cache"}, false), UsageError);
  EXPECT_THROW(ParseOptions({"serve", "--no-count-cache=1"}, false), UsageError);
  EXPECT_NE(UsageText().find("--no-count-cache"), std::string::npos);
}

class ZylgridCountCache : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = test::MakeShopDb(dir_);
    ::setenv("TMPDIR", dir_.Path().c_str(), 1);
    config_ = LoadSiteConfig(dir_.Write(
        "site.ini", "[Customers]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=10\n"
                    "Editable=1\n"));
    config_.imagesDir = ZYL_SOURCE_DIR "/assets/images";
    CheckSources(config_);
  }
  void TearDown() override { ::unsetenv("TMPDIR"); }

  zyl::WebModuleChannel::Answer Request(const std::string& method, const std::string& body = "") {
    PageBuilder builder(config_, [](const std::string&) {});
    return test::Ask(builder, method, "", body);
  }
  // True when a row shows `name`, as text or in the edit box of the current row.
  static bool Shows(const zyl::WebModuleChannel::Answer& page, const std::string& name) {
    return page.body.find(">" + name + "<") != std::string::npos ||
           page.body.find("VALUE=\"" + name + "\"") != std::string::npos;
  }
  // The fields a browser posts when the Delete button under the edited
  // first row of `page` is clicked.
  static std::string DeleteFirstRow(const std::string& page) {
    std::smatch guid;
    std::regex pattern("NAME=\"GUID\" VALUE=\"([^\"]*)\"");
    if (!std::regex_search(page, guid, pattern)) return "";
    return "GName=Customers&GUID=" + guid[1].str() +
           "&GPage=1&GRPP=10&GCELL_0_1=Ada&GDEL.x=1&GDEL.y=1";
  }

  test::ScratchDir dir_;
  std::string db_;
  SiteConfig config_;
  zyl::SQLiteCountCache cache_;
};

TEST_F(ZylgridCountCache, EveryChangeShowsOnTheNextRequest) {
  CountCacheInUse inUse(&cache_);
  zyl::WebModuleChannel::Answer page = Request("GET");
  ASSERT_TRUE(Shows(page, "Cy")) << page.body.substr(0, 400);
  EXPECT_FALSE(Shows(page, "Dora"));
  Request("GET");
  EXPECT_GE(cache_.Hits(), 1);

  // Another connection.
  test::ExecSql(db_, "INSERT INTO customers VALUES (4, 'Dora')");
  page = Request("GET");
  EXPECT_TRUE(Shows(page, "Dora"));

  // Another process.
  if (std::system("command -v sqlite3 >/dev/null 2>&1") == 0) {
    std::string command =
        "sqlite3 '" + db_ + "' \"INSERT INTO customers VALUES (5, 'Eve'), (6, 'Fay')\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    page = Request("GET");
    EXPECT_TRUE(Shows(page, "Eve"));
    EXPECT_TRUE(Shows(page, "Fay"));
    test::ExecSql(db_, "DELETE FROM customers WHERE Id >= 5");
  }

  // The grid deletes its current (first) record; the count drops with it.
  page = Request("GET");
  ASSERT_TRUE(Shows(page, "Ada"));
  zyl::WebModuleChannel::Answer deleted = Request("POST", DeleteFirstRow(page.body));
  EXPECT_EQ(test::QueryText(db_, "SELECT count(*) FROM customers"), "3");
  EXPECT_FALSE(Shows(deleted, "Ada"));
  page = Request("GET");
  EXPECT_FALSE(Shows(page, "Ada"));
  EXPECT_TRUE(Shows(page, "Dora"));

  // A delete by another connection: the count falls, no empty row remains.
  test::ExecSql(db_, "DELETE FROM customers WHERE Id = 4");
  page = Request("GET");
  EXPECT_FALSE(Shows(page, "Dora"));
  EXPECT_TRUE(Shows(page, "Cy"));
}

// The embedded server installs a cache of its own; --no-count-cache leaves it out.
class ZylgridServeCounts : public ZylgridCountCache, public ::testing::WithParamInterface<bool> {};

TEST_P(ZylgridServeCounts, AnInsertShowsOnTheNextRequest) {
  std::string config = dir_.Write(
      "serve.ini", "[Customers]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=10\n");
  std::vector<std::string> options;
  if (!GetParam()) options.emplace_back("--no-count-cache");
  auto server = test::StartZylgrid("serve", config, dir_.Path() / "tmp", options);
  ASSERT_TRUE(server->Ready()) << "zylgrid serve did not start";
  EXPECT_NE(server->Get().find(">Cy<"), std::string::npos);
  server->Get();
  test::ExecSql(db_, "INSERT INTO customers VALUES (4, 'Dora')");
  EXPECT_NE(server->Get().find(">Dora<"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(CacheOnOff, ZylgridServeCounts, ::testing::Values(true, false));

}  // namespace
}  // namespace zylgrid
