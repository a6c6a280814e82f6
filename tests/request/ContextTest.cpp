// The request context: URL decoding, reading the posted fields from each
// kind of host, script names, the page's GUID.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "grid/ZylHTMLGrid.h"
#include "platform/AspObjects.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

// Sets CGI variables for one test and feeds `body` to standard input.
class CgiRequest {
 public:
  CgiRequest(const std::string& method, const std::string& body,
             const std::string& contentLength = "") {
    ::setenv("REQUEST_METHOD", method.c_str(), 1);
    std::string length = contentLength.empty() ? std::to_string(body.size()) : contentLength;
    ::setenv("CONTENT_LENGTH", length.c_str(), 1);
    savedStdin_ = ::dup(0);
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    // Bodies in these tests fit the pipe buffer.
    EXPECT_EQ(::write(fds[1], body.data(), body.size()), static_cast<ssize_t>(body.size()));
    ::close(fds[1]);
    ::dup2(fds[0], 0);
    ::close(fds[0]);
  }
  ~CgiRequest() {
    ::dup2(savedStdin_, 0);
    ::close(savedStdin_);
    for (const char* v : {"REQUEST_METHOD", "CONTENT_LENGTH", "QUERY_STRING", "SCRIPT_NAME"}) {
      ::unsetenv(v);
    }
  }

 private:
  int savedStdin_;
};

std::vector<std::string> Lines(const TStringList& list) { return {list.begin(), list.end()}; }

TEST(UrlDecode, SpecExamples) {
  EXPECT_EQ(TZylCSS::WWWDecode("a+b%20c"), "a b c");
  EXPECT_EQ(TZylCSS::WWWDecode("%2B"), "+");
  EXPECT_EQ(TZylCSS::WWWDecode("%41%62"), "Ab");
  EXPECT_EQ(TZylHTMLGrid::WWWDecode("%c3%a9"), "\xC3\xA9");  // bytes, no multi-byte handling
}

TEST(UrlDecode, MalformedEscapesDisappear) {
  EXPECT_EQ(TZylCSS::WWWDecode("x%00y"), "xy");
  EXPECT_EQ(TZylCSS::WWWDecode("x%zzy"), "xy");
  EXPECT_EQ(TZylCSS::WWWDecode("abc%"), "abc");
  EXPECT_EQ(TZylCSS::WWWDecode("abc%G"), "abc");
  EXPECT_EQ(TZylCSS::WWWDecode("abc%4"), std::string("abc\x04"));
  EXPECT_EQ(TZylCSS::WWWDecode("%4Gx"), "x");
}

TEST(PostData, BodyIsSplitIntoDecodedLines) {
  CgiRequest request("POST", "GName=G1&x=1%262&y=a%0D%0Ab&z=+q");
  TZylCSS css(nullptr);
  EXPECT_EQ(Lines(css.GetPostData()),
            (std::vector<std::string>{"GName=G1", "x=1&2", "y=a", "b", "z= q"}));
}

TEST(PostData, TwoGridsShareOneReadOfTheBody) {
  CgiRequest request("post", "GName=A&GPage=2&GName=B&GPage=3");
  TZylCSS css(nullptr);
  TZylHTMLGrid a(nullptr), b(nullptr);
  a.SetName("A");
  b.SetName("B");
  a.SetCSS(&css);
  b.SetCSS(&css);
  a.ProcessParameters();
  b.ProcessParameters();  // standard input is empty now; the lines are kept
  EXPECT_EQ(a.GetPage(), 2);
  EXPECT_EQ(b.GetPage(), 3);
  EXPECT_EQ(b.GetPostData(), &css.GetPostData());
}

TEST(PostData, ABodyThatEndsEarlyIsAnInputError) {
  CgiRequest request("POST", "GName=A", "100");
  TZylCSS css(nullptr);
  EXPECT_THROW(css.GetPostData(), EInOutError);
}

TEST(PostData, OversizedAndMissingLengthsAreNotRead) {
  {
    CgiRequest request("POST", "GName=A", "7");
    TZylCSS css(nullptr);
    css.SetMaxPostSize(6);
    EXPECT_EQ(css.GetPostData().Count(), 0);
  }
  {
    CgiRequest request("POST", "GName=A", "seven");
    TZylCSS css(nullptr);
    EXPECT_EQ(css.GetPostData().Count(), 0);
  }
  {
    CgiRequest request("GET", "GName=A");
    TZylCSS css(nullptr);
    EXPECT_EQ(css.GetPostData().Count(), 0);
  }
}

TEST(PostData, AspFormFieldsBecomeLinesWithoutDecoding) {
  auto request = std::make_shared<TAspRequest>();
  request->SetServerVariable("REQUEST_METHOD", "POST");
  request->SetServerVariable("CONTENT_LENGTH", "40");
  request->SetServerVariable("SCRIPT_NAME", "/app/grid.asp");
  request->AddFormField("GName", {"Grid1"});
  request->AddFormField("GSel", {"1", "3%41"});
  TZylCSS css(nullptr);
  css.SetModuleType(TModuleType::ASP);
  css.SetASPRequest(TVariant(std::static_pointer_cast<IAutoObject>(request)));
  EXPECT_EQ(Lines(css.GetPostData()),
            (std::vector<std::string>{"GName=Grid1", "GSel=1", "GSel=3%41"}));
  EXPECT_EQ(css.GetScriptName(), "/app/grid.asp");
  EXPECT_EQ(css.GetScriptPath(), "/app/");
}

TEST(Parameters, WebModuleReadsNothingFromTheEnvironment) {
  ::setenv("REQUEST_METHOD", "POST", 1);
  TZylCSS css(nullptr);
  css.SetModuleType(TModuleType::WebModule);
  TZylHTMLGrid grid(nullptr);
  grid.SetCSS(&css);
  EXPECT_EQ(grid.ProcessParameters(), TGridAction::gaNoAction);
  EXPECT_EQ(grid.GetEnvironmentVariable("REQUEST_METHOD"), "");
  ::unsetenv("REQUEST_METHOD");
}

TEST(Parameters, GetUsesTheQueryString) {
  ::setenv("REQUEST_METHOD", "GET", 1);
  ::setenv("QUERY_STRING", "GName=G&GNEXT.x=1&GNEXT.y=1&GPage=4", 1);
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetCSS(&css);
  EXPECT_EQ(grid.ProcessParameters(), TGridAction::gaNextPage);
  EXPECT_EQ(grid.GetPage(), 4);
  EXPECT_EQ(grid.GetQueryString(), "");
  ::setenv("QUERY_STRING", "", 1);
  EXPECT_EQ(grid.ProcessParameters(), TGridAction::gaNoAction);
  EXPECT_EQ(grid.GetQueryString(), "");
  ::unsetenv("REQUEST_METHOD");
  ::unsetenv("QUERY_STRING");
}

TEST(Parameters, PostTakesTheProgramsQueryStringFirst) {
  CgiRequest request("POST", "GPage=5");
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetCSS(&css);
  grid.SetQueryString("GName=G&GRPP=7");
  grid.ProcessParameters();
  EXPECT_EQ(grid.GetPage(), 5);
  EXPECT_EQ(grid.GetRowsPerPage(), 7);
  EXPECT_EQ(grid.GetQueryString(), "");
}

TEST(Context, ScriptPathAndGuid) {
  ::setenv("SCRIPT_NAME", "/cgi-bin/app.exe", 1);
  TZylCSS css(nullptr);
  EXPECT_EQ(css.GetScriptPath(), "/cgi-bin/");
  ::setenv("SCRIPT_NAME", "app.exe", 1);
  EXPECT_EQ(css.GetScriptPath(), "");
  ::unsetenv("SCRIPT_NAME");
  TZylHTMLGrid grid(nullptr);
  EXPECT_EQ(grid.GetScriptName(), "");  // no TZylCSS: nothing is read

  std::string guid = css.GetGUID();
  EXPECT_EQ(guid.size(), 36u);
  EXPECT_EQ(css.GetGUID(), guid);
  for (std::size_t i = 0; i < guid.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      EXPECT_EQ(guid[i], '-');
    } else {
      EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(guid[i])) && !std::islower(guid[i]));
    }
  }
}

TEST(Context, AssignCopiesSheetFieldsAndFlag) {
  TZylCSS a(nullptr), b(nullptr);
  a.GetCSS().Add(".GS0   { }");
  TStringList posted;
  posted.Add("GName=X");
  a.SetPostData(posted);
  a.SetCSSUnits(TCSSUnits::cuPixels);
  a.SetErrorText("kept apart");
  b.Assign(a);
  EXPECT_EQ(b.GetCSS().Count(), 1);
  EXPECT_EQ(b.GetCSSUnits(), TCSSUnits::cuPixels);
  EXPECT_EQ(b.GetErrorText(), "");
}

}  // namespace
}  // namespace zyl
