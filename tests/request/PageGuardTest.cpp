// Issued page GUIDs and the change they guard, the cap on posted fields.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "request/FormProtocol.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

const std::string kMadeUp = "0F8FAD5B-D9CB-469F-A165-70867728950E";

// Who may name a page: with issued GUIDs only the site's own GUID for the
// same secret and browser (in either letter case); without, any GUID.
TEST(PageGuid, OnlyIssuedGuidsNameAPage) {
  TZylCSS site(nullptr);
  site.SetSiteSecret("secret"), site.SetSignGUIDs(true), site.SetBrowserKey("browser-1");
  const std::string issued = site.GetGUID();
  std::string tampered = issued;
  tampered.back() = tampered.back() == '0' ? '1' : '0';
  struct Case {
    const char* what;
    std::string secret, browser, guid;
    bool sign, expected;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"the site's own", "secret", "browser-1", issued, true, true},
           {"in lower case", "secret", "browser-1", AnsiLowerCase(issued), true, true},
           {"another browser's", "secret", "browser-2", issued, true, false},
           {"another secret's", "other", "browser-1", issued, true, false},
           {"tampered", "secret", "browser-1", tampered, true, false},
           {"made up", "secret", "browser-1", kMadeUp, true, false},
           {"no GUID", "secret", "browser-1", "../../x", true, false},
           {"made up, not signing", "secret", "browser-1", kMadeUp, false, true},
           {"no GUID, not signing", "secret", "browser-1", "../../x", false, false}}) {
    TZylCSS css(nullptr);
    css.SetSiteSecret(c.secret), css.SetSignGUIDs(c.sign), css.SetBrowserKey(c.browser);
    EXPECT_EQ(css.IsIssuedGUID(c.guid), c.expected) << c.what;
  }
  EXPECT_TRUE(IsGuidString(issued));
  EXPECT_NE(issued, TZylCSS(nullptr).GetGUID());
}

// A posted GUID the page did not issue is none (a fresh one is issued), and
// a change posted without an issued GUID is refused with the error box;
// a grid's fields are changes only in a POST.
TEST(PageGuid, ChangesNeedAnIssuedGuidAndAPost) {
  struct Case {
    const char* what;
    std::string method, fields;
    bool issuedGuid;
    TGridAction expected;
    bool refused;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"update", "POST", "GUPDATE.x=1\nGUPDATE.y=1", true, TGridAction::gaUpdateData, false},
           {"forged update", "POST", "GUPDATE.x=1\nGUPDATE.y=1", false, TGridAction::gaNoAction, true},
           {"forged delete", "POST", "GDEL.x=1\nGDEL.y=1", false, TGridAction::gaNoAction, true},
           {"forged add", "POST", "GADD.x=1\nGADD.y=1", false, TGridAction::gaNoAction, true},
           {"forged paging", "POST", "GNEXT.x=1\nGNEXT.y=1", false, TGridAction::gaNextPage, false},
           {"update in a GET", "GET", "GUPDATE.x=1\nGUPDATE.y=1", true, TGridAction::gaNoAction, false},
           {"no method", "", "GDEL.x=1\nGDEL.y=1", true, TGridAction::gaNoAction, false}}) {
    WebModuleChannel channel;
    channel.SetVariable("REQUEST_METHOD", c.method);
    TZylCSS page(nullptr), post(nullptr);
    for (TZylCSS* css : {&page, &post}) {
      css->SetModuleType(TModuleType::WebModule), css->SetRequestChannel(&channel);
      css->SetSiteSecret("s"), css->SetSignGUIDs(true), css->SetBrowserKey("b");
    }
    const std::string guid = c.issuedGuid ? page.GetGUID() : kMadeUp;
    TZylHTMLGrid grid(nullptr);
    grid.SetName("G1"), grid.SetCSS(&post), grid.SetColCount(2), grid.SetEditMode(true);
    TGridAction action = grid.ProcessParametersData("GName=G1\nGUID=" + guid + "\n" + c.fields);
    EXPECT_EQ(action, c.expected) << c.what;
    EXPECT_EQ(post.GetErrorText() == grid.GetTextRequestRefused(), c.refused) << c.what;
    EXPECT_EQ(grid.GetGUID() == guid, c.issuedGuid) << c.what;
    EXPECT_TRUE(post.IsIssuedGUID(grid.GetGUID())) << c.what << ": a fresh one instead";
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
