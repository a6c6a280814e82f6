#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/SiteConfig.h"

namespace zylgrid {
namespace {

using test::ScratchDir;

// The message of the ConfigError that loading and checking `ini` raises.
std::string Failure(const ScratchDir& dir, const std::string& ini) {
  std::string file = dir.Write("site.ini", ini);
  try {
    CheckSources(LoadSiteConfig(file));
  } catch (const ConfigError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(ZylgridSiteConfig, ReadsPageAndGridsInPageOrder) {
  ScratchDir dir;
  test::MakeShopDb(dir);
  dir.Write("extra.css", "body { color: red; }");
  std::string file = dir.Write("site.ini",
                               "[Page]\nTitle=Shop <admin>\nImagesURL=/img/\nStylesheet=extra.css\n"
                               "[Zeta]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=5\n"
                               "[Alpha]\nSource=sqlite:shop.db\nTable=orders\nMaster=Zeta\n"
                               "DetailKey=CustomerId = Id\nEditable=1\nGlobalSorting=yes\n"
                               "PickList.Status=New, Shipped\n");
  SiteConfig config = LoadSiteConfig(file);
  CheckSources(config);
  EXPECT_EQ(config.title, "Shop <admin>");
  EXPECT_EQ(config.imagesURL, "/img/");
  EXPECT_EQ(config.stylesheet, "body { color: red; }");
  ASSERT_EQ(config.grids.size(), 2u);
  EXPECT_EQ(config.grids[0].name, "Zeta");
  EXPECT_EQ(config.grids[0].rowsPerPage, 5);
  EXPECT_EQ(config.grids[0].path, (dir.Path() / "shop.db").string());
  const GridSettings& detail = config.grids[1];
  EXPECT_EQ(detail.master, "Zeta");
  EXPECT_EQ(detail.detailColumn, "CustomerId");
  EXPECT_EQ(detail.masterColumn, "Id");
  EXPECT_TRUE(detail.editable);
  EXPECT_TRUE(detail.globalSorting);
  EXPECT_EQ(detail.pickLists.at("Status"), (std::vector<std::string>{"New", "Shipped"}));
}

TEST(ZylgridSiteConfig, ErrorsNameFileSectionAndKey) {
  ScratchDir dir;
  test::MakeShopDb(dir);
  std::string grid = "[Orders]\nSource=sqlite:shop.db\n";
  struct Case {
    std::string ini;
    std::string expected;
  };
  const Case cases[] = {
      {"[Page]\nTitle=x\n", "no grid section"},
      {"[Page]\nColour=red\n" + grid + "Table=orders\n", "[Page] Colour: unknown key"},
      {"[Page]\nImagesURL=/img\n" + grid + "Table=orders\n", "[Page] ImagesURL"},
      {grid + "Table=ordrs\n", "no table or view named 'ordrs'"},
      {grid, "[Orders] Table: give either Table or Query"},
      {grid + "Table=orders\nQuery=SELECT 1\n", "[Orders] Table: give either"},
      {grid + "Query=DELETE FROM orders\n", "[Orders] Query: must be a SELECT"},
      {grid + "Query=SELECT * FROM nowhere\n", "[Orders] Query: "},
      {grid + "Query=WITH x AS (SELECT 1) DELETE FROM orders\n",
       "[Orders] Query: SQLite query: only a read-only SELECT"},
      {"[Orders]\nSource=sqlite:missing.db\nTable=orders\n", "[Orders] Source: file"},
      {"[Orders]\nSource=mysql:x\n", "[Orders] Source: 'mysql:x'"},
      {"[Orders]\nSource=postgres:\n", "[Orders] Source: postgres: needs a connection string"},
      {"[Orders]\nSource=postgres:host=/nonexistent dbname=x\nTable=t\n",
       "[Orders] Source: cannot connect"},
      {grid + "Table=orders\nRowsPerPage=0\n", "[Orders] RowsPerPage: '0'"},
      {grid + "Table=orders\nEditable=maybe\n", "[Orders] Editable: 'maybe'"},
      {grid + "Table=orders\nLayout=none.ini\n", "[Orders] Layout: file"},
      {grid + "Table=orders\nColour=1\n", "[Orders] Colour: unknown key"},
      {grid + "Table=orders\nMaster=Customers\n",
       "[Orders] Master: Master and DetailKey go together"},
      {grid + "Table=orders\nMaster=Nobody\nDetailKey=CustomerId=Id\n",
       "[Orders] Master: no grid named 'Nobody'"},
      {grid + "Table=orders\nMaster=Customers\nDetailKey=CustomerId=Id\n[Customers]\n"
              "Source=sqlite:shop.db\nTable=customers\n",
       "[Orders] Master: the master grid's section must come before its detail"},
      {"[Customers]\nSource=sqlite:shop.db\nTable=customers\n" + grid +
           "Table=orders\nMaster=Customers\nDetailKey=Client=Id\n",
       "[Orders] DetailKey: no column 'Client'"},
      {"[Customers]\nSource=sqlite:shop.db\nTable=customers\n" + grid +
           "Table=orders\nMaster=Customers\nDetailKey=CustomerId\n",
       "[Orders] DetailKey: expected detailcolumn=mastercolumn"},
      {"[Bad Name]\nSource=sqlite:shop.db\nTable=orders\n", "[Bad Name] (name)"},
      {"stray=1\n" + grid + "Table=orders\n", "key 'stray' stands before the first section"},
  };
  for (const Case& c : cases) {
    std::string message = Failure(dir, c.ini);
    EXPECT_NE(message.find(c.expected), std::string::npos) << c.ini << "\n=> " << message;
    if (message != "accepted") {
      EXPECT_EQ(message.rfind((dir.Path() / "site.ini").string(), 0), 0u) << message;
    }
  }
}

TEST(ZylgridSiteConfig, FindsTheFileByOptionEnvironmentOrExecutableName) {
  EXPECT_EQ(FindConfigFile("given.ini", "/srv/bin/zylgrid"), "given.ini");
  ::setenv("ZYLGRID_CONFIG", "/etc/zylgrid/site.ini", 1);
  EXPECT_EQ(FindConfigFile("", "/srv/bin/zylgrid"), "/etc/zylgrid/site.ini");
  ::unsetenv("ZYLGRID_CONFIG");
  EXPECT_EQ(FindConfigFile("", "/srv/cgi-bin/shop.cgi"), "/srv/cgi-bin/shop.ini");
}

TEST(ZylgridSiteConfig, CsvSourcesAreReadOnly) {
  ScratchDir dir;
  dir.Write("items.csv", "Name;Qty\nLamp;2\n");
  EXPECT_NE(Failure(dir, "[Items]\nSource=csv:items.csv\nEditable=1\n").find("[Items] Editable"),
            std::string::npos);
  EXPECT_EQ(Failure(dir, "[Items]\nSource=csv:items.csv\n"), "accepted");
}

}  // namespace
}  // namespace zylgrid
