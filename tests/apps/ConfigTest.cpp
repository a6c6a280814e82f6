// zylgrid's command line and site configuration: what is read, and the
// errors that stop the program at start naming the argument, or the file,
// section and key.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ZylgridSupport.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/Options.h"
#include "apps/zylgrid/PageBuilder.h"
#include "apps/zylgrid/SiteConfig.h"

namespace zylgrid {
namespace {

std::string Describe(const std::vector<std::string>& args, bool gatewayInterface) {
  try {
    Options o = ParseOptions(args, gatewayInterface);
    const char* modes[] = {"serve", "cgi", "fcgi", "demo", "help"};
    return std::string(modes[static_cast<int>(o.mode)]) + " config=" + o.configFile + " " +
           o.bind + ":" + std::to_string(o.port) + " socket=" + o.socketPath +
           (o.countCache ? " counts kept" : " counted");
  } catch (const UsageError& e) {
    return std::string("error: ") + e.what();
  }
}

TEST(ZylgridOptions, ModesSettingsAndBadCommandLines) {
  struct Case {
    std::vector<std::string> args;
    bool gatewayInterface;
    const char* expected;  // the description, or a part of the error
  };
  const Case cases[] = {
      {{"serve", "--config", "site.ini", "--port=9000", "--bind", "0.0.0.0"}, false,
       "serve config=site.ini 0.0.0.0:9000 socket= counts kept"},
      {{"fcgi", "--socket", "/run/zylgrid.sock"}, false,
       "fcgi config= 127.0.0.1:0 socket=/run/zylgrid.sock counts kept"},
      {{"demo"}, false, "demo config= 127.0.0.1:8080 socket= counts kept"},
      {{"serve", "--no-count-cache"}, false, "serve config= 127.0.0.1:8080 socket= counted"},
      {{"fcgi", "--no-count-cache", "--port", "9000"}, false, "127.0.0.1:9000 socket= counted"},
      // A web server passes the words of an ISINDEX query as arguments.
      {{"serve", "--bogus"}, true, "cgi config="},
      {{}, true, "cgi config="},
      {{}, false, "error: zylgrid: no mode given"},
      {{"run"}, false, "'run'"},
      {{"serve", "--port", "0"}, false, "--port"},
      {{"serve", "--port", "80x"}, false, "'80x'"},
      {{"serve", "--port", "70000"}, false, "70000"},
      {{"serve", "--port"}, false, "needs a value"},
      {{"cgi", "--port", "80"}, false, "unknown option '--port'"},
      {{"serve", "--socket", "x"}, false, "unknown option '--socket'"},
      {{"fcgi", "--socket", "s", "--port", "9"}, false, "not both"},
      {{"cgi", "--no-count-cache"}, false, "zylgrid cgi: unknown option '--no-count-cache'"},
      {{"demo", "--no-count-cache"}, false, "zylgrid demo: unknown option '--no-count-cache'"},
      {{"serve", "--no-count-cache=1"}, false, "error: "},
  };
  for (const Case& c : cases) {
    std::string got = Describe(c.args, c.gatewayInterface);
    EXPECT_NE(got.find(c.expected), std::string::npos) << c.expected << "\n=> " << got;
  }
  EXPECT_NE(UsageText().find("--no-count-cache"), std::string::npos);
}

class ZylgridSiteConfig : public ::testing::Test {
 protected:
  void SetUp() override { test::MakeShopDb(dir_); }
  // The message of the ConfigError that loading and checking `ini` raises.
  std::string Failure(const std::string& ini) {
    try {
      CheckSources(LoadSiteConfig(test::Write(dir_, "site.ini", ini)));
    } catch (const ConfigError& e) {
      return e.what();
    }
    return "accepted";
  }
  test::PrivateTempDir dir_;
};

TEST_F(ZylgridSiteConfig, ReadsPageAndGridsInPageOrder) {
  test::Write(dir_, "extra.css", "body { color: red; }");
  SiteConfig config = LoadSiteConfig(test::Write(
      dir_, "site.ini",
      "[Page]\nTitle=Shop <admin>\nImagesURL=/img/\nStylesheet=extra.css\n"
      "[Zeta]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=5\n"
      "[Alpha]\nSource=sqlite:shop.db\nTable=orders\nMaster=Zeta\nDetailKey=CustomerId = Id\n"
      "Editable=1\nGlobalSorting=yes\nPickList.Status=New, Shipped\n"));
  CheckSources(config);
  EXPECT_EQ(config.title + "|" + config.imagesURL + "|" + config.stylesheet,
            "Shop <admin>|/img/|body { color: red; }");
  ASSERT_EQ(config.grids.size(), 2u);
  const GridSettings& master = config.grids[0];
  const GridSettings& detail = config.grids[1];
  EXPECT_EQ(master.name + " " + std::to_string(master.rowsPerPage) + " " + master.path,
            "Zeta 5 " + dir_.File("shop.db"));
  EXPECT_EQ(detail.master + " " + detail.detailColumn + "=" + detail.masterColumn, "Zeta CustomerId=Id");
  EXPECT_TRUE(detail.editable && detail.globalSorting);
  EXPECT_EQ(detail.pickLists.at("Status"), (std::vector<std::string>{"New", "Shipped"}));
}

TEST_F(ZylgridSiteConfig, ErrorsNameFileSectionAndKey) {
  std::string grid = "[Orders]\nSource=sqlite:shop.db\n";
  std::string customers = "[Customers]\nSource=sqlite:shop.db\nTable=customers\n";
  std::string locks = "\n[Customers]\nSource=sqlite:shop.db\nTable=customers\nEditable=1\n";
  test::Write(dir_, "items.csv", "Name;Qty\nLamp;2\n");
  const std::pair<std::string, std::string> cases[] = {  // the file, what its message says
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
      {grid + "Table=orders\nMaster=Customers\n", "[Orders] Master: Master and DetailKey go together"},
      {grid + "Table=orders\nMaster=Nobody\nDetailKey=CustomerId=Id\n",
       "[Orders] Master: no grid named 'Nobody'"},
      {grid + "Table=orders\nMaster=Customers\nDetailKey=CustomerId=Id\n" + customers,
       "[Orders] Master: the master grid's section must come before its detail"},
      {customers + grid + "Table=orders\nMaster=Customers\nDetailKey=Client=Id\n",
       "[Orders] DetailKey: no column 'Client'"},
      {customers + grid + "Table=orders\nMaster=Customers\nDetailKey=CustomerId\n",
       "[Orders] DetailKey: expected detailcolumn=mastercolumn"},
      {"[Bad Name]\nSource=sqlite:shop.db\nTable=orders\n", "[Bad Name] (name)"},
      {"stray=1\n" + grid + "Table=orders\n", "key 'stray' stands before the first section"},
      {"[Items]\nSource=csv:items.csv\nEditable=1\n", "[Items] Editable"},  // csv is read-only
      {"[Items]\nSource=csv:items.csv\n", "accepted"},
      {"[Page]\nLocks=postgres:" + locks, "[Page] Locks: postgres: needs a connection string"},
      {"[Page]\nLocks=" + locks, "[Page] Locks: '' is not files or postgres:CONNINFO"},
      {"[Page]\nLocks=file" + locks, "[Page] Locks: 'file' is not files or postgres:CONNINFO"},
      {"[Page]\nLocks=files:x" + locks, "[Page] Locks: 'files:...' is not files or"},
      {"[Page]\nLocks=postgress:host=db password=hunter2" + locks,
       "[Page] Locks: 'postgress:...' is not files or postgres:CONNINFO"},
  };
  for (const auto& [ini, expected] : cases) {
    std::string message = Failure(ini);
    EXPECT_NE(message.find(expected), std::string::npos) << ini << "\n=> " << message;
    if (message != "accepted") {
      EXPECT_EQ(message.rfind(dir_.File("site.ini") + ": ", 0), 0u) << message;
    }
    EXPECT_EQ(message.find("hunter2"), std::string::npos) << "the password is echoed";
  }
}

TEST_F(ZylgridSiteConfig, LockFilesByDefaultOrAPostgresTable) {
  const std::pair<const char*, const char*> cases[] = {  // [Page] line, the lock database
      {"Title=x", ""}, {"Locks=files", ""}, {"Locks = Files ", ""},
      {"Locks=postgres: host=db.example port=5432 dbname=shop", "host=db.example port=5432 dbname=shop"},
      {"Locks=postgres:postgresql://db/shop", "postgresql://db/shop"}};
  for (const auto& [line, conninfo] : cases) {
    SiteConfig config = LoadSiteConfig(test::Write(
        dir_, "site.ini", std::string("[Page]\n") + line + "\n[C]\nSource=sqlite:shop.db\nTable=customers\n"));
    EXPECT_EQ(config.locks, *conninfo ? LockKind::Postgres : LockKind::Files) << line;
    EXPECT_EQ(config.locksConnInfo, conninfo);
  }
}

TEST_F(ZylgridSiteConfig, AnUnreachableLockDatabaseStopsTheBuilder) {
  SiteConfig config = LoadSiteConfig(test::Write(
      dir_, "site.ini", "[Page]\nLocks=postgres:host=127.0.0.1 port=1 connect_timeout=5\n"
                        "[C]\nSource=sqlite:shop.db\nTable=customers\n"));
  try {
    PageBuilder builder(config, nullptr);
    FAIL() << "opened";
  } catch (const ConfigError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(config.fileName + ": [Page] Locks: PostgreSQL update lock "
                                                            "table 'zyl_update_locks': cannot connect: ", 0),
              0u)
        << e.what();
  }
}

TEST_F(ZylgridSiteConfig, ServeStopsAtStartOnABadValue) {
  std::string ini = test::Write(dir_, "site.ini",
                                "[Page]\nLocks=memcache\n[C]\nSource=sqlite:shop.db\nTable=customers\n");
  std::string command = "'" ZYLGRID_BINARY "' serve --config '" + ini + "' --port 1 > /dev/null 2> '" +
                        dir_.File("stderr") + "'";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::stringstream text;
  text << std::ifstream(dir_.File("stderr")).rdbuf();
  EXPECT_EQ(text.str(), "zylgrid: " + ini + ": [Page] Locks: 'memcache' is not files or postgres:CONNINFO\n");
}

TEST(ZylgridConfigFile, FoundByOptionEnvironmentOrExecutableName) {
  EXPECT_EQ(FindConfigFile("given.ini", "/srv/bin/zylgrid"), "given.ini");
  ::setenv("ZYLGRID_CONFIG", "/etc/zylgrid/site.ini", 1);
  EXPECT_EQ(FindConfigFile("", "/srv/bin/zylgrid"), "/etc/zylgrid/site.ini");
  ::unsetenv("ZYLGRID_CONFIG");
  EXPECT_EQ(FindConfigFile("", "/srv/cgi-bin/shop.cgi"), "/srv/cgi-bin/shop.ini");
}

}  // namespace
}  // namespace zylgrid
