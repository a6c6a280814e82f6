// The request context: URL decoding, reading the posted fields from each
// kind of host, script names, the page's GUID.
#include <gtest/gtest.h>

#include <cstdlib>

#include "RequestHarness.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/AspObjects.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

using CgiRequest = harness::ConsoleRequest;

std::vector<std::string> Lines(const TStringList& list) {
  return {list.begin(), list.end()};
}

TEST(UrlDecode, EscapesBlanksAndMalformedEscapes) {
  const std::pair<const char*, std::string> cases[] = {
      {"a+b%20c", "a b c"},   {"%2B", "+"},    {"%41%62", "Ab"},
      {"%c3%a9", "\xC3\xA9"},  // bytes, no multi-byte handling
      {"x%00y", "xy"},        {"x%zzy", "xy"}, {"abc%", "abc"},
      {"abc%G", "abc"},       {"%4Gx", "x"},   {"abc%4", std::string("abc\x04")},
  };
  for (const auto& [encoded, decoded] : cases) {
    EXPECT_EQ(TZylCSS::WWWDecode(encoded), decoded) << encoded;
    EXPECT_EQ(TZylHTMLGrid::WWWDecode(encoded), decoded) << encoded;
  }
}

// The body is split at "&" and each name and value decoded on its own, so
// an encoded "&", "=" or line break stays inside its value.
TEST(PostData, BodyBecomesDecodedFieldsInOrder) {
  CgiRequest request("POST", "GName=G1&x=1%262&y=a%0D%0Ab%0Ac&z=+q&&%3D=%3D&flag");
  TZylCSS css(nullptr);
  const form::FormFields expected = {{"GName", "G1"}, {"x", "1&2"}, {"y", "a\r\nb\nc"},
                                     {"z", " q"},     {"=", "="},   {"flag", ""}};
  EXPECT_EQ(css.GetPostFields(), expected);
  // The lines view keeps each field on one line, line breaks and all.
  EXPECT_EQ(Lines(css.GetPostData()),
            (std::vector<std::string>{"GName=G1", "x=1&2", "y=a\r\nb\nc", "z= q", "===", "flag="}));
  // Lines a caller sets or changes become the fields.
  css.GetPostData().Add("GPage=2");
  EXPECT_EQ(css.GetPostFields().back(), (form::FormField{"GPage", "2"}));
  TStringList lines;
  lines.Add("GName=G2");
  lines.Add("note=a=b");
  css.SetPostData(lines);
  EXPECT_EQ(css.GetPostFields(), (form::FormFields{{"GName", "G2"}, {"note", "a=b"}}));
  EXPECT_EQ(Lines(css.GetPostData()), (std::vector<std::string>{"GName=G2", "note=a=b"}));
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
  CgiRequest request("POST", "GName=A", "", "", "100");
  TZylCSS css(nullptr);
  EXPECT_THROW(css.GetPostData(), EInOutError);
}

TEST(PostData, OversizedAndMissingLengthsAreNotRead) {
  {
    CgiRequest request("POST", "GName=A", "", "", "7");
    TZylCSS css(nullptr);
    css.SetMaxPostSize(6);
    EXPECT_EQ(css.GetPostData().Count(), 0);
  }
  {
    CgiRequest request("POST", "GName=A", "", "", "seven");
    TZylCSS css(nullptr);
    EXPECT_EQ(css.GetPostData().Count(), 0);
  }
  {
    CgiRequest request("GET", "GName=A");
    TZylCSS css(nullptr);
    EXPECT_EQ(css.GetPostData().Count(), 0);
  }
}

TEST(PostData, AspFormFieldsAreTakenWithoutDecoding) {
  auto request = std::make_shared<TAspRequest>();
  request->SetServerVariable("REQUEST_METHOD", "POST");
  request->SetServerVariable("CONTENT_LENGTH", "40");
  request->SetServerVariable("SCRIPT_NAME", "/app/grid.asp");
  request->AddFormField("GName", {"Grid1"});
  request->AddFormField("GSel", {"1", "3%41"});
  TZylCSS css(nullptr);
  css.SetModuleType(TModuleType::ASP);
  css.SetASPRequest(TVariant(std::static_pointer_cast<IAutoObject>(request)));
  EXPECT_EQ(css.GetPostFields(),
            (form::FormFields{{"GName", "Grid1"}, {"GSel", "1"}, {"GSel", "3%41"}}));
  EXPECT_EQ(css.GetScriptName(), "/app/grid.asp");
  EXPECT_EQ(css.GetScriptPath(), "/app/");
}

TEST(Parameters, WebModuleReadsOnlyWhatTheHostHandsOver) {
  ::setenv("REQUEST_METHOD", "POST", 1);
  TZylCSS css(nullptr);
  css.SetModuleType(TModuleType::WebModule);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetCSS(&css);
  EXPECT_EQ(grid.ProcessParameters(), TGridAction::gaNoAction);
  EXPECT_EQ(grid.GetEnvironmentVariable("REQUEST_METHOD"), "");
  ::unsetenv("REQUEST_METHOD");
  // A channel of the host's own carries the request in its place.
  std::string body = "GName=G&GNEXT.x=1&GNEXT.y=1&GPage=2";
  WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", "POST");
  channel.SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
  channel.SetBody(body);
  TZylCSS hosted(nullptr);
  hosted.SetModuleType(TModuleType::WebModule);
  hosted.SetRequestChannel(&channel);
  grid.SetCSS(&hosted);
  EXPECT_EQ(grid.ProcessParameters(), TGridAction::gaNextPage);
  EXPECT_EQ(grid.GetPage(), 2);
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
