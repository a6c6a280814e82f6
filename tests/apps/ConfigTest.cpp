// zylgrid's command line and site configuration: what is read, and the errors
// that stop it at start naming the argument, or the file, section and key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "ZylgridSupport.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/Options.h"
#include "apps/zylgrid/PageBuilder.h"
#include "apps/zylgrid/SiteConfig.h"
#include "harness/Golden.h"
#include "platform/System.h"

namespace zylgrid {
namespace {

std::string Describe(const std::vector<std::string>& args, bool gatewayInterface) {
  Options o;
  std::string error = zyl::harness::MessageOf([&] { o = ParseOptions(args, gatewayInterface); });
  if (error != "no error") return "error: " + error;
  const char* modes[] = {"serve", "cgi", "fcgi", "demo", "help", "passwd"};
  return std::string(modes[static_cast<int>(o.mode)]) + " config=" + o.configFile + " " + o.bind + ":" +
         std::to_string(o.port) + " socket=" + o.socketPath + (o.countCache ? " counts kept" : " counted");
}

// Each case of `file` in this folder: the lines before a line "=> X", and X.
std::vector<std::pair<std::string, std::string>> Cases(const std::string& file) {
  std::ifstream in(ZYL_SOURCE_DIR "/tests/apps/" + file);
  std::vector<std::pair<std::string, std::string>> cases;
  for (std::string line, text; std::getline(in, line);) {
    std::size_t arrow = line.find("=> ");
    if (line.rfind("##", 0) == 0) continue;
    if (arrow == std::string::npos) text += line + "\n";
    if (arrow != std::string::npos)
      cases.emplace_back(text + line.substr(0, arrow), line.substr(arrow + 3)), text.clear();
  }
  EXPECT_GT(cases.size(), 10u) << file;
  return cases;
}

TEST(ZylgridOptions, ModesSettingsAndBadCommandLines) {
  for (const auto& [line, expected] : Cases("options.txt")) {
    std::istringstream words(line);
    std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    bool gateway = !args.empty() && args[0] == "GATEWAY_INTERFACE";
    std::string got = Describe({args.begin() + (gateway ? 1 : 0), args.end()}, gateway);
    EXPECT_NE(got.find(expected), std::string::npos) << line << "\n=> " << got;
  }
  EXPECT_NE(UsageText().find("--no-count-cache"), std::string::npos);
}

class ZylgridSiteConfig : public ::testing::Test {
 protected:
  void SetUp() override { test::MakeShopDb(dir_); }
  // The ConfigError that loading and checking `ini` raises, or the update locks.
  std::string Failure(const std::string& ini) {
    SiteConfig config;
    std::string error = zyl::harness::MessageOf(
        [&] { CheckSources(config = LoadSiteConfig(test::Write(dir_, "site.ini", ini))); });
    if (error != "no error") return error;
    return (config.locks == LockKind::Files ? "accepted, lock files" : "accepted, locks in ") + config.locksConnInfo;
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
  const GridSettings &master = config.grids[0], &detail = config.grids[1];
  EXPECT_EQ(master.name + " " + std::to_string(master.rowsPerPage) + " " + master.path,
            "Zeta 5 " + dir_.File("shop.db"));
  EXPECT_EQ(detail.master + " " + detail.detailColumn + "=" + detail.masterColumn,
            "Zeta CustomerId=Id");
  EXPECT_TRUE(detail.editable && detail.globalSorting);
  EXPECT_EQ(detail.pickLists.at("Status"), (std::vector<std::string>{"New", "Shipped"}));
}

TEST_F(ZylgridSiteConfig, ErrorsNameFileSectionAndKey) {
  test::Write(dir_, "items.csv", "Name;Qty\nLamp;2\n");
  for (const auto& [ini, expected] : Cases("site-config-errors.txt")) {
    std::string message = Failure(ini);
    EXPECT_NE(message.find(expected), std::string::npos) << ini << "\n=> " << message;
    if (message.rfind("accepted", 0) != 0) {
      EXPECT_EQ(message.rfind(dir_.File("site.ini") + ": ", 0), 0u) << message;
    }
    EXPECT_EQ(message.find("hunter2"), std::string::npos) << "the password is echoed";
  }
}

TEST_F(ZylgridSiteConfig, AnUnreachableLockDatabaseStopsTheBuilder) {
  SiteConfig config =
      LoadSiteConfig(test::Write(dir_, "site.ini",
                                 "[Page]\nLocks=postgres:host=127.0.0.1 port=1 connect_timeout=5\n"
                                 "[C]\nSource=sqlite:shop.db\nTable=customers\n"));
  EXPECT_THAT([&] { PageBuilder builder(config, nullptr); },
              testing::ThrowsMessage<ConfigError>(testing::StartsWith(
                  config.fileName + ": [Page] Locks: PostgreSQL update lock table "
                                    "'zyl_update_locks': cannot connect: ")));
}

TEST_F(ZylgridSiteConfig, TheSiteSecretIsMadeOnceReadableByTheOwnerOnly) {
  const std::string grid = "[C]\nSource=sqlite:shop.db\nTable=customers\n";
  SiteConfig config = LoadSiteConfig(test::Write(dir_, "site.ini", grid));
  std::string secret = LoadSiteSecret(config);
  struct stat made {};
  ASSERT_EQ(::stat(dir_.File("zylgrid.secret").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0600u);
  EXPECT_GE(secret.size(), 32u);
  EXPECT_EQ(LoadSiteSecret(config), secret) << "kept from start to start";
  test::Write(dir_, "short.secret", "abc\n");
  config = LoadSiteConfig(test::Write(dir_, "site.ini", "[Page]\nSecretFile=short.secret\n" + grid));
  EXPECT_THAT([&] { LoadSiteSecret(config); },
              testing::ThrowsMessage<ConfigError>(testing::EndsWith(
                  "[Page] SecretFile '" + dir_.File("short.secret") + "': holds fewer than 16 characters")));
}

TEST_F(ZylgridSiteConfig, ServeStopsAtStartOnABadValue) {
  std::string ini = test::Write(
      dir_, "site.ini", "[Page]\nLocks=memcache\n[C]\nSource=sqlite:shop.db\nTable=orders\n");
  test::Zylgrid serve("serve", ini, dir_.Path());
  EXPECT_FALSE(serve.Ready());
  EXPECT_EQ(serve.ExitStatus(), 2);
  EXPECT_EQ(zyl::ReadFileBytes(dir_.File("server.log")),
            "zylgrid: " + ini + ": [Page] Locks: 'memcache' is not files or postgres:CONNINFO\n");
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
