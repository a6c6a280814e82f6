// The page zylgrid builds for a request, in process: the document, master and
// detail, layouts, hostile fields, failures, the image set, the demo data.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ZylgridSupport.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/ImageSet.h"
#include "apps/zylgrid/PageBuilder.h"
#include "apps/zylgrid/PagePolicy.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/System.h"
#include "tools/demo-data/DemoData.h"

namespace zylgrid {
namespace {

using Answer = zyl::WebModuleChannel::Answer;

const char kMasterDetail[] =
    "[Page]\nTitle=Shop & <Co>\n"
    "[Customers]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=2\nHeader=<i>Ours</i>\n"
    "[Orders]\nSource=sqlite:shop.db\nTable=orders\nMaster=Customers\nDetailKey=CustomerId=Id\n"
    "HeaderHTML=<b>Orders</b>\n"
    "Editable=1\nPickList.Status=New,Shipped\n";

class ZylgridPage : public ::testing::Test {
 protected:
  void SetUp() override { db_ = test::MakeShopDb(dir_); }
  SiteConfig Load(const std::string& ini) {
    SiteConfig config = LoadSiteConfig(test::Write(dir_, "site.ini", ini));
    config.imagesDir = ZYL_SOURCE_DIR "/assets/images";
    CheckSources(config);
    return config;
  }
  Answer Ask(const SiteConfig& config, const std::string& method, const std::string& body = "",
             const std::string& query = "") {
    PageBuilder builder(config, [this](const std::string& line) { log_ += line + "\n"; });
    return test::Ask(builder, method, query, body);
  }
  // Each of `expected` ("!text": must not appear) in the page.
  void ExpectShows(const Answer& page, std::initializer_list<std::string> expected) {
    ASSERT_EQ(page.status, 200) << log_;
    for (const std::string& e : expected) {
      bool absent = e[0] == '!';
      EXPECT_EQ(page.body.find(absent ? e.substr(1) : e) == std::string::npos, absent) << e;
    }
  }

  test::PrivateTempDir dir_;
  std::string db_, log_;
};

TEST_F(ZylgridPage, ACompleteDocumentWithTheDetailNestedInItsMaster) {
  SiteConfig config = Load(kMasterDetail);
  Answer page = Ask(config, "GET");
  EXPECT_EQ(page.contentType, "text/html; charset=UTF-8");
  EXPECT_EQ(page.body.rfind("<!DOCTYPE html>", 0), 0u);
  ExpectShows(page,
              {"<meta charset=\"UTF-8\">", "<title>Shop &amp; &lt;Co&gt;</title>", ".GS0",
               "<A NAME=\"Customers\"></A>", "Lamp", "!Pen", "<OPTION VALUE=\"Shipped\"", "</html>",
               "&nbsp;&lt;i&gt;Ours&lt;/i&gt;&nbsp;", "!<i>", "&nbsp;<b>Orders</b>&nbsp;"});
  std::size_t detail = page.body.find("<A NAME=\"Orders\"></A>");
  ASSERT_NE(detail, std::string::npos);
  EXPECT_EQ(page.body.find("<A NAME=\"Orders\"></A>", detail + 1), std::string::npos) << "once";
  ExpectShows(Ask(config, "POST", "GName=Customers&GPage=1&GRPP=2&GRecNo1.x=4&GRecNo1.y=5"),
              {"Pen", "!Lamp"});
  ExpectShows(Ask(config, "POST", "GName=Customers&GPage=1&GRPP=2&GNEXT.x=1&GNEXT.y=1"),
              {">Cy<", "!>Ada<"});
}

TEST_F(ZylgridPage, LayoutFilesAreAppliedToTheirGrid) {
  zyl::TZylHTMLGrid model(nullptr);
  model.SetName("Customers"), model.Loaded(), model.SetHeader("Laid out by file");
  model.SetAltNextPage("Onwards"), model.SaveConfig(dir_.File("layout.ini"));
  ExpectShows(
      Ask(Load("[Customers]\nSource=sqlite:shop.db\nTable=customers\nLayout=layout.ini\n"), "GET"),
      {"Laid out by file", "ALT=\"Onwards\"", ">Ada<"});
}

TEST_F(ZylgridPage, HostileFieldsGiveAPageNeverACrash) {
  SiteConfig config = Load(kMasterDetail);
  // clang-format off
  for (const std::string& body : {
           std::string("GName=Customers&GPage=-99999999999&GRPP=99999999999999&GRecNo-5.x=1&GRecNo-5.y=1"),
           std::string("GName=Customers&GPage=2147483647&GRPP=2147483647&GNEXT.x=1"),
           std::string("GName=Customers&GRecNo99999999999999999999.x=1&GSort99999=1&GSel-1=on"),
           std::string("GName=Orders&GCELL_99999_99999=x&GCELL_-1_-1=y&GUPDATE.x=1&GUID=../../etc/passwd"),
           std::string("GName=Orders&GDEL.x=1&GRecNo0.x=1&GName=Customers&GName=Orders"),
           std::string("%&%%%=&=&&GName&GName=%00%FF%0D%0A&\xff\xfe\x00", 38),
           std::string(100000, '&'), "GName=" + std::string(50000, 'A')}) {  // clang-format on
    EXPECT_EQ(Ask(config, "POST", body).status, 200) << body.substr(0, 80) << "\n" << log_;
  }
  EXPECT_EQ(Ask(config, "GET", "", "GName=Customers&GPage=%zz&GRPP=").status, 200);
  EXPECT_EQ(test::Sql(db_, "SELECT count(*) FROM orders"), "3");
}

TEST_F(ZylgridPage, FailuresGiveAGenericPageAndLogTheDetail) {
  SiteConfig config = Load(kMasterDetail);
  EXPECT_EQ(Ask(config, "PUT").status, 405);
  std::filesystem::remove(db_);
  test::Sql(db_, "CREATE TABLE other (x);");
  Answer page = Ask(config, "GET");
  EXPECT_EQ(page.status, 500);
  EXPECT_NE(page.body.find("Something went wrong"), std::string::npos);
  EXPECT_EQ(page.body.find("customers"), std::string::npos);
  EXPECT_NE(log_.find("customers"), std::string::npos) << log_;
}

TEST(ZylgridPolicy, HashesEveryInlineScriptAndHandlerInAnyCaseAndPlace) {
  const std::string pad(21, '.');  // moves the code across sixteen-byte blocks
  const std::pair<std::string, int> cases[] = {
      {"", 0},
      {"<p>on=\"x\" <b on=\"y\"> don't</p>", 0},
      {"<SCRIPT>a()</Script>", 1},
      {pad + "<b ONCLICK=\"b()\">" + pad + "<script>a()</script> onload=\"b()\"", 2},
      {"<i onclick=\"c()\"><script>d()", 1},
      {"<i onclick=\"c()\"><u onmouseover=\"e", 1},
      {pad + "<s", 0},
      {pad + " o", 0}};
  for (const auto& [page, hashes] : cases) {
    const std::string policy = ContentPolicy(page);
    int found = 0;
    for (std::size_t at = policy.find("'sha256-"); at != std::string::npos;
         at = policy.find("'sha256-", at + 1)) {
      ++found;
    }
    EXPECT_EQ(found, hashes) << page;
    EXPECT_EQ(policy.find("script-src 'none'") != std::string::npos, hashes == 0) << page;
  }
}

TEST(ZylgridImageSet, ServesBothTabSpellingsAndNothingOutsideTheFolder) {
  const std::string images = ZYL_SOURCE_DIR "/assets/images";
  const std::pair<const char*, bool> cases[] = {
      {"GTab.gif", true},     {"GTab.Gif", true},    {"../images/GTab.gif", false},
      {"..", false},          {".hidden", false},    {"sub/GTab.gif", false},
      {"GTab.gif%00", false}, {"NoSuch.gif", false}, {"", false}};
  for (const auto& [name, served] : cases) {
    std::string bytes;
    EXPECT_EQ(ReadImage(images, name, bytes), served) << name;
    EXPECT_EQ(bytes.substr(0, 3) == "GIF", served) << name;
  }
  test::PrivateTempDir site;  // ImagesDir set to the site's own folder
  for (const char* name : {"site.ini", "shop.db", "logo.PNG"}) test::Write(site, name, "GIF");
  for (const auto& [name, served] :
       {std::pair{"site.ini", false}, {"shop.db", false}, {"logo.PNG", true}}) {
    std::string bytes;
    EXPECT_EQ(ReadImage(site.Path().string(), name, bytes), served) << name;
  }
  EXPECT_EQ(ImageContentType("GTab.Gif"), "image/gif");
  EXPECT_EQ(ImageContentType("x.bin"), "application/octet-stream");
}

TEST(ZylgridDemoData, SameCountsGiveTheSameConsistentFile) {
  test::PrivateTempDir dir;
  for (const char* name : {"0.db", "1.db"}) demodata::CreateDatabase(dir.File(name), {20, 500});
  EXPECT_EQ(zyl::ReadFileBytes(dir.File("0.db")), zyl::ReadFileBytes(dir.File("1.db")));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"0.db", "1.db"})) << "no temporary file left";
  EXPECT_EQ(test::Sql(dir.File("0.db"),
                      "SELECT (SELECT count(*) FROM customers) || ' ' || count(*) || ' ' || sum("
                      "CustomerId NOT BETWEEN 1 AND 20 OR date(OrderDate) IS NULL OR Status NOT IN "
                      "('New','Confirmed','Shipped','Delivered','Cancelled')) || ' ' || (SELECT "
                      "count(*) FROM customers WHERE date(Since) IS NULL) FROM orders"),
            "20 500 0 0");
}

}  // namespace
}  // namespace zylgrid
