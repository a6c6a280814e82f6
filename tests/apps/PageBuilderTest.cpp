#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "AppTestSupport.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/PageBuilder.h"
#include "grid/ZylHTMLGrid.h"

namespace zylgrid {
namespace {

using Answer = zyl::WebModuleChannel::Answer;

class ZylgridPageBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = test::MakeShopDb(dir_);
    ::setenv("TMPDIR", dir_.Path().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("TMPDIR"); }

  SiteConfig Load(const std::string& ini) {
    SiteConfig config = LoadSiteConfig(dir_.Write("site.ini", ini));
    config.imagesDir = ZYL_SOURCE_DIR "/assets/images";
    CheckSources(config);
    return config;
  }
  Answer Post(const SiteConfig& config, const std::string& body) {
    PageBuilder builder(config, [this](const std::string& line) { log_ += line + "\n"; });
    return test::Ask(builder, "POST", "", body);
  }
  Answer Get(const SiteConfig& config, const std::string& query = "") {
    PageBuilder builder(config, [this](const std::string& line) { log_ += line + "\n"; });
    return test::Ask(builder, "GET", query);
  }

  test::ScratchDir dir_;
  std::string db_;
  std::string log_;
};

const char kMasterDetail[] =
    "[Page]\nTitle=Shop & <Co>\n"
    "[Customers]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=2\n"
    "[Orders]\nSource=sqlite:shop.db\nTable=orders\nMaster=Customers\nDetailKey=CustomerId=Id\n"
    "Editable=1\nPickList.Status=New,Shipped\n";

TEST_F(ZylgridPageBuilder, PageIsACompleteDocumentWithEscapedTitleAndStyles) {
  SiteConfig config = Load(kMasterDetail);
  Answer page = Get(config);
  ASSERT_EQ(page.status, 200) << log_;
  EXPECT_EQ(page.contentType, "text/html; charset=UTF-8");
  EXPECT_EQ(page.body.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.body.find("<meta charset=\"UTF-8\">"), std::string::npos);
  EXPECT_NE(page.body.find("<title>Shop &amp; &lt;Co&gt;</title>"), std::string::npos);
  EXPECT_NE(page.body.find(".GS0"), std::string::npos);
  EXPECT_NE(page.body.find("<A NAME=\"Customers\"></A>"), std::string::npos);
  // The detail is nested in its master's fragment, once.
  std::size_t first = page.body.find("<A NAME=\"Orders\"></A>");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(page.body.find("<A NAME=\"Orders\"></A>", first + 1), std::string::npos);
  EXPECT_NE(page.body.find("Lamp"), std::string::npos);
  EXPECT_EQ(page.body.find("Pen"), std::string::npos);
  EXPECT_NE(page.body.find("<OPTION VALUE=\"Shipped\""), std::string::npos);
  EXPECT_NE(page.body.find("</html>"), std::string::npos);
}

TEST_F(ZylgridPageBuilder, SelectingAMasterRecordChangesTheDetail) {
  SiteConfig config = Load(kMasterDetail);
  Answer page = Post(config, "GName=Customers&GPage=1&GRPP=2&GRecNo1.x=4&GRecNo1.y=5");
  ASSERT_EQ(page.status, 200) << log_;
  EXPECT_NE(page.body.find("Pen"), std::string::npos);
  EXPECT_EQ(page.body.find("Lamp"), std::string::npos);
}

TEST_F(ZylgridPageBuilder, PagingMovesTheMaster) {
  SiteConfig config = Load(kMasterDetail);
  Answer page = Post(config, "GName=Customers&GPage=1&GRPP=2&GNEXT.x=1&GNEXT.y=1");
  ASSERT_EQ(page.status, 200) << log_;
  EXPECT_NE(page.body.find(">Cy<"), std::string::npos);
  EXPECT_EQ(page.body.find(">Ada<"), std::string::npos);
}

TEST_F(ZylgridPageBuilder, SaveAsTextIsADownloadNamedAfterTheHeader) {
  SiteConfig config =
      Load("[Customers]\nSource=sqlite:shop.db\nTable=customers\nHeader=My \"best\"\n");
  Answer download = Post(config, "GName=Customers&GSave=TXT&GSAVEAS.x=3&GSAVEAS.y=3");
  ASSERT_EQ(download.status, 200) << log_;
  EXPECT_EQ(download.contentType, "text/plain");
  EXPECT_EQ(download.fileName, "My best.txt");
  EXPECT_NE(download.body.find("\"Ada\""), std::string::npos);
  EXPECT_NE(download.body.find("\"Cy\""), std::string::npos);
}

TEST_F(ZylgridPageBuilder, HostileFieldsGiveAPageNeverACrash) {
  SiteConfig config = Load(kMasterDetail);
  const std::string bodies[] = {
      "GName=Customers&GPage=-99999999999&GRPP=99999999999999&GRecNo-5.x=1&GRecNo-5.y=1",
      "GName=Customers&GPage=2147483647&GRPP=2147483647&GNEXT.x=1",
      "GName=Customers&GRecNo99999999999999999999.x=1&GSort99999=1&GSel-1=on",
      "GName=Orders&GCELL_99999_99999=x&GCELL_-1_-1=y&GUPDATE.x=1&GUID=../../etc/passwd",
      "GName=Orders&GDEL.x=1&GRecNo0.x=1&GName=Customers&GName=Orders",
      "%&%%%=&=&&GName&GName=%00%FF%0D%0A&\xff\xfe\x00",
      std::string(100000, '&'),
      "GName=" + std::string(50000, 'A'),
  };
  for (const std::string& body : bodies) {
    Answer page = Post(config, body);
    EXPECT_EQ(page.status, 200) << body.substr(0, 80) << "\n" << log_;
  }
  EXPECT_EQ(Get(config, "GName=Customers&GPage=%zz&GRPP=").status, 200);
  EXPECT_EQ(test::QueryText(db_, "SELECT count(*) FROM orders"), "3");
}

TEST_F(ZylgridPageBuilder, LayoutFilesAreAppliedToTheirGrid) {
  zyl::TZylHTMLGrid model(nullptr);
  model.SetName("Customers");
  model.Loaded();
  model.SetHeader("Laid out by file");
  model.SetAltNextPage("Onwards");
  model.SaveConfig((dir_.Path() / "layout.ini").string());
  SiteConfig config =
      Load("[Customers]\nSource=sqlite:shop.db\nTable=customers\nLayout=layout.ini\n");
  Answer page = Get(config);
  ASSERT_EQ(page.status, 200) << log_;
  EXPECT_NE(page.body.find("Laid out by file"), std::string::npos);
  EXPECT_NE(page.body.find("ALT=\"Onwards\""), std::string::npos);
  EXPECT_NE(page.body.find(">Ada<"), std::string::npos);
}

TEST_F(ZylgridPageBuilder, FailuresGiveAGenericPageAndLogTheDetail) {
  SiteConfig config = Load(kMasterDetail);
  std::filesystem::remove(db_);
  test::ExecSql(db_, "CREATE TABLE other (x);");
  Answer page = Get(config);
  EXPECT_EQ(page.status, 500);
  EXPECT_NE(page.body.find("Something went wrong"), std::string::npos);
  EXPECT_EQ(page.body.find("customers"), std::string::npos);
  EXPECT_NE(log_.find("customers"), std::string::npos) << log_;

  PageBuilder builder(config, nullptr);
  EXPECT_EQ(test::Ask(builder, "PUT").status, 405);
}

}  // namespace
}  // namespace zylgrid
