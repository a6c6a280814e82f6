// Issued page GUIDs and the change they guard, the cap on posted fields.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

const std::string kMadeUp = "0F8FAD5B-D9CB-469F-A165-70867728950E";

void Guard(TZylCSS& css, const std::string& secret, const std::string& browser, bool sign = true) {
  css.SetSiteSecret(secret), css.SetBrowserKey(browser), css.SetSignGUIDs(sign);
}

// With issued GUIDs only the site's own for the same secret and browser
// names a page (in either letter case); without, any GUID.
TEST(PageGuid, OnlyIssuedGuidsNameAPage) {
  TZylCSS site(nullptr);
  Guard(site, "secret", "browser-1");
  const std::string issued = site.GetGUID();
  std::string tampered = issued;
  tampered.back() = tampered.back() == '0' ? '1' : '0';
  for (const auto& [secret, browser, guid, sign, expected] : std::initializer_list<
           std::tuple<const char*, const char*, std::string, bool, bool>>{
           {"secret", "browser-1", issued, true, true}, {"secret", "browser-1", AnsiLowerCase(issued), true, true},
           {"secret", "browser-2", issued, true, false}, {"other", "browser-1", issued, true, false},
           {"secret", "browser-1", tampered, true, false}, {"secret", "browser-1", kMadeUp, true, false},
           {"secret", "browser-1", kMadeUp, false, true}, {"secret", "browser-1", "../x", false, false}}) {
    TZylCSS css(nullptr);
    Guard(css, secret, browser, sign);
    EXPECT_EQ(css.IsIssuedGUID(guid), expected) << secret << " " << browser << " " << guid << " " << sign;
  }
  EXPECT_TRUE(IsGuidString(issued));
}

// A posted GUID the page did not issue is none (a fresh one is issued); a
// change posted without an issued GUID is refused with the error box; a
// grid's fields are changes only in a POST.
TEST(PageGuid, ChangesNeedAnIssuedGuidAndAPost) {
  const std::string update = "GUPDATE.x=1\nGUPDATE.y=1", del = "GDEL.x=1\nGDEL.y=1";
  using A = TGridAction;
  for (const auto& [method, fields, issuedGuid, expected, refused] :
       std::initializer_list<std::tuple<const char*, std::string, bool, A, bool>>{
           {"POST", update, true, A::gaUpdateData, false}, {"POST", update, false, A::gaNoAction, true},
           {"POST", del, false, A::gaNoAction, true}, {"POST", "GADD.x=1\nGADD.y=1", false, A::gaNoAction, true},
           {"POST", "GNEXT.x=1\nGNEXT.y=1", false, A::gaNextPage, false}, {"GET", update, true, A::gaNoAction, false},
           {"", del, true, A::gaNoAction, false}}) {
    WebModuleChannel channel;
    channel.SetVariable("REQUEST_METHOD", method);
    TZylCSS page(nullptr), post(nullptr);
    Guard(page, "s", "b"), Guard(post, "s", "b"), post.SetRequestChannel(&channel);
    const std::string guid = issuedGuid ? page.GetGUID() : kMadeUp, what = method + (" " + fields);
    TZylHTMLGrid grid(nullptr);
    grid.SetName("G1"), grid.SetCSS(&post), grid.SetColCount(2), grid.SetEditMode(true);
    EXPECT_EQ(grid.ProcessParametersData("GName=G1\nGUID=" + guid + "\n" + fields), expected) << what;
    EXPECT_EQ(post.GetErrorText() == grid.GetTextRequestRefused(), refused) << what;
    EXPECT_EQ(grid.GetShowErrorBox(), refused) << what;
    EXPECT_EQ(grid.GetGUID() == guid, issuedGuid) << what;
    EXPECT_TRUE(post.IsIssuedGUID(grid.GetGUID())) << what << ": a fresh one instead";
  }
}

TEST(PostedFields, FieldsBeyondTheCapAreDropped) {
  WebModuleChannel channel;
  channel.SetBody("a=1&b=2&c=3&d=4");
  EXPECT_EQ(channel.ReadFields(15, 100, 2), (form::FormFields{{"a", "1"}, {"b", "2"}}));
  EXPECT_EQ(form::ParseUrlEncoded("a=1&&b&c=3", 0).size(), 3u);
  EXPECT_EQ(form::ParseUrlEncoded("a=1&&b&c=3", 2).size(), 2u);
}

}  // namespace
}  // namespace zyl
