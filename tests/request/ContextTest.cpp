// The request context: URL decoding, posted fields from each kind of host,
// short, oversized or missing bodies, query string, script path, GUID.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "RequestHarness.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/AspObjects.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

using CgiRequest = harness::ConsoleRequest;

TEST(UrlDecode, EscapesBlanksAndMalformedEscapes) {
  const std::pair<const char*, std::string> cases[] = {
      {"a+b%20c", "a b c"}, {"%2B", "+"},       {"%41%62", "Ab"}, {"%c3%a9", "\xC3\xA9"},
      {"x%00y", "xy"},      {"x%zzy", "xy"},    {"abc%", "abc"},  {"abc%G", "abc"},
      {"%4Gx", "x"},        {"abc%4", std::string("abc\x04")},
  };
  for (const auto& [encoded, decoded] : cases) {
    EXPECT_EQ(TZylCSS::WWWDecode(encoded), decoded) << encoded;
    EXPECT_EQ(TZylHTMLGrid::WWWDecode(encoded), decoded) << encoded;
  }
}

// The body is split at "&" and each name and value decoded on its own, so
// an encoded "&", "=" or line break stays inside its value.
TEST(PostData, BodyBecomesDecodedFieldsInOrderAndLines) {
  CgiRequest request("POST", "GName=G1&x=1%262&y=a%0D%0Ab%0Ac&z=+q&&%3D=%3D&flag");
  TZylCSS css(nullptr);
  EXPECT_EQ(css.GetPostFields(), (form::FormFields{{"GName", "G1"}, {"x", "1&2"}, {"y", "a\r\nb\nc"},
                                                   {"z", " q"}, {"=", "="}, {"flag", ""}}));
  EXPECT_EQ(css.GetPostData().GetText(), "GName=G1\r\nx=1&2\r\ny=a\r\nb\nc\r\nz= q\r\n===\r\nflag=\r\n");
  css.GetPostData().Add("GPage=2");  // lines a caller adds or sets become the fields
  EXPECT_EQ(css.GetPostFields().back(), (form::FormField{"GPage", "2"}));
  TStringList lines;
  lines.Add("note=a=b");
  css.SetPostData(lines);
  EXPECT_EQ(css.GetPostFields(), (form::FormFields{{"note", "a=b"}}));
}

TEST(PostData, TwoGridsShareOneReadOfTheBody) {
  CgiRequest request("post", "GName=A&GPage=2&GName=B&GPage=3");
  TZylCSS css(nullptr);
  TZylHTMLGrid a(nullptr), b(nullptr);
  for (auto [grid, name] : {std::pair{&a, "A"}, {&b, "B"}}) {  // the second finds standard input empty
    grid->SetName(name);
    grid->SetCSS(&css);
    grid->ProcessParameters();
  }
  EXPECT_EQ(a.GetPage(), 2);
  EXPECT_EQ(b.GetPage(), 3);
}

TEST(PostData, ShortOversizedAndMissingBodies) {
  {
    CgiRequest request("POST", "GName=A", "", "", "100");
    TZylCSS css(nullptr);
    EXPECT_THROW(css.GetPostData(), EInOutError) << "a body that ends early";
  }
  const std::pair<const char*, const char*> unread[] = {{"POST", "7"}, {"POST", "seven"}, {"GET", ""}};
  for (const auto& [method, length] : unread) {
    CgiRequest request(method, "GName=A", "", "", length);
    TZylCSS css(nullptr);
    if (std::string(length) == "7") css.SetMaxPostSize(6);
    EXPECT_EQ(css.GetPostData().Count(), 0) << method << " " << length;
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
  EXPECT_EQ(css.GetPostFields(), (form::FormFields{{"GName", "Grid1"}, {"GSel", "1"}, {"GSel", "3%41"}}));
  EXPECT_EQ(css.GetScriptPath(), "/app/");
}

TEST(Parameters, GetUsesTheQueryStringPostTheProgramsFirstAWebModuleNeither) {
  ::setenv("REQUEST_METHOD", "GET", 1);
  ::setenv("QUERY_STRING", "GName=G&GNEXT.x=1&GNEXT.y=1&GPage=4", 1);
  TZylCSS css(nullptr), module(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G"), grid.SetCSS(&module);
  module.SetModuleType(TModuleType::WebModule);
  EXPECT_EQ(grid.ProcessParameters(), TGridAction::gaNoAction) << "a web module reads no environment";
  EXPECT_EQ(grid.GetEnvironmentVariable("REQUEST_METHOD"), "");
  grid.SetCSS(&css);
  EXPECT_EQ(grid.ProcessParameters(), TGridAction::gaNextPage);
  EXPECT_EQ(grid.GetPage(), 4);
  ::unsetenv("QUERY_STRING");
  CgiRequest request("POST", "GPage=5");
  TZylCSS posted(nullptr);
  grid.SetCSS(&posted);
  grid.SetQueryString("GName=G&GRPP=7");
  grid.ProcessParameters();
  EXPECT_EQ(grid.GetPage(), 5);
  EXPECT_EQ(grid.GetRowsPerPage(), 7);
  EXPECT_EQ(grid.GetQueryString(), "") << "used once";
}

TEST(Context, ScriptPathAndGuid) {
  ::setenv("SCRIPT_NAME", "/cgi-bin/app.exe", 1);
  TZylCSS css(nullptr);
  EXPECT_EQ(css.GetScriptPath(), "/cgi-bin/");
  ::setenv("SCRIPT_NAME", "app.exe", 1);
  EXPECT_EQ(css.GetScriptPath(), "");
  ::unsetenv("SCRIPT_NAME");
  std::string guid = css.GetGUID();
  EXPECT_EQ(css.GetGUID(), guid);
  EXPECT_TRUE(std::regex_match(guid, std::regex("[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}"))) << guid;
  TZylCSS copy(nullptr);
  css.SetErrorText("kept apart");
  copy.Assign(css);
  EXPECT_EQ(copy.GetErrorText(), "");
}

}  // namespace
}  // namespace zyl
