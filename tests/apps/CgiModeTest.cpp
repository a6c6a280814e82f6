// The CGI mode, run as a web server runs it: the environment and standard
// input carry the request, standard output takes the answer.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "ZylgridClient.h"

namespace zylgrid {
namespace {

class ZylgridCgiMode : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeShopDb(dir_);
    config_ = dir_.Write("site.ini",
                         "[Customers]\nSource=sqlite:shop.db\nTable=customers\nRowsPerPage=2\n");
  }

  // Runs zylgrid with the CGI variables and `body` on standard input; returns
  // standard output.
  std::string Run(const std::string& method, const std::string& body, const std::string& length) {
    return test::RunCgi(config_, dir_.Path(), method, "", body, length, status_);
  }

  test::ScratchDir dir_;
  std::string config_;
  int status_ = -1;
};

TEST_F(ZylgridCgiMode, PagesAndPagingWithTheScriptAsFormAction) {
  std::string page = Run("GET", "", "");
  EXPECT_EQ(status_, 0);
  EXPECT_EQ(page.rfind("Content-Type: text/html; charset=UTF-8\r\n\r\n<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("ACTION=\"/shop.cgi#Customers\""), std::string::npos);
  EXPECT_NE(page.find(">Ada<"), std::string::npos);
  std::string body = "GName=Customers&GPage=1&GRPP=2&GNEXT.x=1&GNEXT.y=1";
  page = Run("POST", body, std::to_string(body.size()));
  EXPECT_NE(page.find(">Cy<"), std::string::npos);
  EXPECT_EQ(page.find(">Ada<"), std::string::npos);
}

TEST_F(ZylgridCgiMode, DownloadsGoToStandardOutputWithTheirHeaders) {
  std::string body = "GName=Customers&GSave=TXT&GSAVEAS.x=1&GSAVEAS.y=1";
  std::string out = Run("POST", body, std::to_string(body.size()));
  EXPECT_EQ(out.rfind("Content-type: text/plain\r\nContent-disposition: attachment;filename=\""
                      "Customers.txt\"\r\n\r\n",
                      0),
            0u)
      << out.substr(0, 200);
  EXPECT_NE(out.find("\"Ada\""), std::string::npos);
}

TEST_F(ZylgridCgiMode, AShortBodyOrBadLengthGivesAnAnswerNotACrash) {
  std::string page = Run("POST", "GName=Customers", "5000");
  EXPECT_EQ(status_, 0);
  EXPECT_EQ(page.rfind("Status: 500", 0), 0u) << page.substr(0, 200);
  for (const char* length : {"-5", "abc", "99999999999999999999"}) {
    page = Run("POST", "GName=Customers", length);
    EXPECT_EQ(status_, 0);
    EXPECT_NE(page.find("</html>"), std::string::npos) << length;
  }
}

TEST_F(ZylgridCgiMode, ABrokenConfigurationAnswers500AndSaysNothingAboutIt) {
  config_ = dir_.Write("broken.ini", "[Customers]\nSource=sqlite:shop.db\nTable=nothere\n");
  std::string page = Run("GET", "", "");
  EXPECT_EQ(page.rfind("Status: 500", 0), 0u);
  EXPECT_EQ(page.find("nothere"), std::string::npos);
}

}  // namespace
}  // namespace zylgrid
