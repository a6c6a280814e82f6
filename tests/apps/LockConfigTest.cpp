// [Page] Locks: lock files by default or a PostgreSQL table; bad values and
// an unreachable database stop the program at start with the file, the
// section and the key.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "AppTestSupport.h"
#include "apps/zylgrid/PageBuilder.h"
#include "apps/zylgrid/SiteConfig.h"

namespace zylgrid {
namespace {

using test::ScratchDir;

const char kGrid[] = "[Customers]\nSource=sqlite:shop.db\nTable=customers\nEditable=1\n";

class ZylgridLocks : public ::testing::Test {
 protected:
  void SetUp() override { test::MakeShopDb(dir_); }
  SiteConfig Load(const std::string& page) {
    return LoadSiteConfig(dir_.Write("site.ini", "[Page]\n" + page + "\n" + kGrid));
  }
  std::string Failure(const std::string& page) {
    try {
      Load(page);
    } catch (const ConfigError& e) {
      return e.what();
    }
    return "accepted";
  }
  ScratchDir dir_;
};

TEST_F(ZylgridLocks, FilesByDefaultOrAPostgresConnection) {
  EXPECT_EQ(Load("Title=x").locks, LockKind::Files);
  EXPECT_EQ(Load("Locks=files").locks, LockKind::Files);
  EXPECT_EQ(Load("Locks = Files ").locks, LockKind::Files);
  SiteConfig pg = Load("Locks=postgres: host=db.example port=5432 dbname=shop");
  EXPECT_EQ(pg.locks, LockKind::Postgres);
  EXPECT_EQ(pg.locksConnInfo, "host=db.example port=5432 dbname=shop");
  EXPECT_EQ(Load("Locks=postgres:postgresql://db/shop").locksConnInfo, "postgresql://db/shop");
}

TEST_F(ZylgridLocks, BadValuesNameFileSectionAndKey) {
  std::string file = (dir_.Path() / "site.ini").string();
  EXPECT_EQ(Failure("Locks=postgres:"),
            file + ": [Page] Locks: postgres: needs a connection string");
  EXPECT_EQ(Failure("Locks="), file + ": [Page] Locks: '' is not files or postgres:CONNINFO");
  EXPECT_EQ(Failure("Locks=file"),
            file + ": [Page] Locks: 'file' is not files or postgres:CONNINFO");
  EXPECT_EQ(Failure("Locks=files:x"),
            file + ": [Page] Locks: 'files:...' is not files or postgres:CONNINFO");
  std::string secret = Failure("Locks=postgress:host=db password=hunter2");
  EXPECT_EQ(secret, file + ": [Page] Locks: 'postgress:...' is not files or postgres:CONNINFO");
}

TEST_F(ZylgridLocks, AnUnreachableLockDatabaseStopsTheBuilder) {
  SiteConfig config = Load("Locks=postgres:host=127.0.0.1 port=1 connect_timeout=5");
  try {
    PageBuilder builder(config, nullptr);
    FAIL() << "opened";
  } catch (const ConfigError& e) {
    std::string message = e.what();
    EXPECT_EQ(message.rfind(config.fileName + ": [Page] Locks: PostgreSQL update lock table "
                                              "'zyl_update_locks': cannot connect: ",
                            0),
              0u)
        << message;
  }
}

TEST_F(ZylgridLocks, ServeStopsAtStartOnABadValue) {
  std::string ini = dir_.Write("site.ini", std::string("[Page]\nLocks=memcache\n") + kGrid);
  std::string err = (dir_.Path() / "stderr").string();
  std::string command =
      "'" ZYLGRID_BINARY "' serve --config '" + ini + "' --port 1 > /dev/null 2> '" + err + "'";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::ifstream in(err);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(),
            "zylgrid: " + ini + ": [Page] Locks: 'memcache' is not files or postgres:CONNINFO\n");
}

}  // namespace
}  // namespace zylgrid
