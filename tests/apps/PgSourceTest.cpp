// PostgreSQL sources of the site configuration, on the throwaway test server.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include "AppTestSupport.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/PageBuilder.h"
#include "data/contract/PgServer.h"

namespace zylgrid {
namespace {

void PgExec(const std::string& sql) {
  PGconn* conn = PQconnectdb(zyl::test::PgServer::Get().ConnInfo().c_str());
  PGresult* result = PQexec(conn, sql.c_str());
  ExecStatusType status = PQresultStatus(result);
  EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) << PQerrorMessage(conn);
  PQclear(result);
  PQfinish(conn);
}

class ZylgridPostgres : public ::testing::Test {
 protected:
  void SetUp() override {
    zyl::test::PgServer& server = zyl::test::PgServer::Get();
    if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
    PgExec("DROP TABLE IF EXISTS zg_customers");
    PgExec("CREATE TABLE zg_customers (id integer PRIMARY KEY, name varchar(40))");
    PgExec("INSERT INTO zg_customers VALUES (1, 'Ada'), (2, 'Bob'), (3, 'Cy')");
    PgExec("DROP TABLE IF EXISTS zg_orders");
    PgExec("CREATE TABLE zg_orders (id serial PRIMARY KEY, customer integer, item text)");
    PgExec("INSERT INTO zg_orders (customer, item) VALUES (1, 'Lamp'), (2, 'Pen'), (1, 'Desk')");
    conninfo_ = server.ConnInfo();
  }

  SiteConfig Load(const std::string& ini) {
    SiteConfig config = LoadSiteConfig(dir_.Write("site.ini", ini));
    CheckSources(config);
    return config;
  }

  test::ScratchDir dir_;
  std::string conninfo_;
};

// A PostgreSQL detail reads the master's records only, its text columns
// shown (not hidden as memos).
TEST_F(ZylgridPostgres, TableIsShownAndMastersADetail) {
  SiteConfig config = Load("[Customers]\nSource=postgres:" + conninfo_ +
                           "\nTable=zg_customers\nRowsPerPage=2\n"
                           "[Orders]\nSource=postgres:" + conninfo_ +
                           "\nTable=zg_orders\nMaster=Customers\nDetailKey=customer=id\n");
  std::string log;
  PageBuilder builder(config, [&](const std::string& line) { log += line; });
  zyl::WebModuleChannel::Answer page = test::Ask(builder, "GET");
  ASSERT_EQ(page.status, 200) << log;
  EXPECT_NE(page.body.find(">Ada<"), std::string::npos);
  EXPECT_NE(page.body.find("Lamp"), std::string::npos);
  EXPECT_NE(page.body.find("Desk"), std::string::npos);
  EXPECT_EQ(page.body.find("Pen"), std::string::npos);
  page = test::Ask(builder, "POST", "", "GName=Customers&GPage=1&GRPP=2&GRecNo1.x=1&GRecNo1.y=1");
  EXPECT_NE(page.body.find("Pen"), std::string::npos) << log;
  EXPECT_EQ(page.body.find("Lamp"), std::string::npos);
}

TEST_F(ZylgridPostgres, MissingTableNamesSectionAndKey) {
  try {
    Load("[Customers]\nSource=postgres:" + conninfo_ + "\nTable=zg_nothere\n");
    FAIL() << "accepted";
  } catch (const ConfigError& e) {
    EXPECT_NE(std::string(e.what()).find("[Customers] Table: "), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace zylgrid
