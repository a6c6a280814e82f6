// The assembled page: order of the pieces, conditions, events.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

// Index of the first item at or after `from` that contains `what`, or -1.
int Find(const TStringList& page, const std::string& what, int from = 0) {
  for (int i = from; i < page.Count(); ++i) {
    if (page[i].find(what) != std::string::npos) return i;
  }
  return -1;
}

// Asserts that every text occurs, each after the previous one.
void ExpectInOrder(const TStringList& page, const std::vector<std::string>& texts) {
  int at = 0;
  for (const std::string& t : texts) {
    int found = Find(page, t, at);
    ASSERT_GE(found, 0) << "missing or out of order: " << t;
    at = found + 1;
  }
}

TEST(Page, DefaultGridInOrder) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("Grid1");
  const TStringList& page = grid.GetHTML();
  EXPECT_EQ(page[0], "<A NAME=\"Grid1\"></A>");
  EXPECT_EQ(page[1],
            "<TABLE BORDER=\"0\" CELLPADDING=\"1\" CELLSPACING=\"0\"><TR><TD BGCOLOR=\"#D4D0C8\">");
  EXPECT_EQ(page[2], "<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"0\">");
  EXPECT_EQ(page[3], "<TR><TD BGCOLOR=\"D4D0C8\" CLASS=\"\">");
  EXPECT_EQ(page[4], "&nbsp;&nbsp;");
  EXPECT_EQ(page[7], "<IMG SRC=\"GBevel.gif\" WIDTH=\"100%\" HEIGHT=\"9\">");
  ExpectInOrder(page, {
                          "NAME=\"TOOLBARTOP\"",
                          "<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"1\" WIDTH=\"100%\" HEIGHT=\"100%\">",
                          " <TD BGCOLOR=\"#000000\">",
                          "  <TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"1\" WIDTH=\"100%\" HEIGHT=\"100%\">",
                          "<FORM NAME=\"Grid1_SELECTORS\" METHOD=\"POST\" ACTION=\"#Grid1\">",
                          "   <TR>",
                          "<TD WIDTH=\"24\" ROWSPAN=\"2\" BGCOLOR=\"D4D0C8\" BACKGROUND=\"GBevelV.gif\" VALIGN=\"TOP\">",
                          "<INPUT TYPE=\"IMAGE\"  NAME=\"GGLYPHOFF\" SRC=\"GSortOff.gif\"",
                          "NAME=\"GCHECKON\"",
                          "</TD>",
                          "<TD HEIGHT=\"100%\">",
                          "</FORM>",
                          "   </TR>",
                          "<FORM NAME=\"Grid1_TABLE\" METHOD=\"POST\" ACTION=\"#Grid1\">",
                          "<INPUT TYPE=\"HIDDEN\" NAME=\"GName\" VALUE=\"Grid1\">",
                          "<TR><TD",
                          "  </TABLE>",
                          " </TD>",
                          "</FORM>",
                          "</TR>",
                          "</TABLE>",
                          "<IMG SRC=\"GBevel.gif\" WIDTH=\"100%\" HEIGHT=\"9\">",
                          "NAME=\"TOOLBARBOTTOM\"",
                          "</TD></TR></TABLE>",
                      });
  EXPECT_EQ(page[page.Count() - 1], "</TD></TR></TABLE>");
  EXPECT_EQ(Find(page, "SCRIPT START"), -1);  // not editable: no script
}

TEST(Page, SizeAttributesOnlyOnTheOuterFrame) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetWidth(80);
  grid.SetWidthPercent(true);
  const TStringList& page = grid.GetHTML();
  EXPECT_EQ(page[1],
            "<TABLE BORDER=\"0\" CELLPADDING=\"1\" CELLSPACING=\"0\" WIDTH=\"80%\"><TR><TD "
            "BGCOLOR=\"#D4D0C8\">");
  EXPECT_GE(Find(page, "CELLSPACING=\"1\" WIDTH=\"100%\" HEIGHT=\"100%\">"), 0);
}

TEST(Page, QueryStringOnlyOnTheDataForm) {
  ::setenv("SCRIPT_NAME", "/app", 1);
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetCSS(&css);
  grid.SetQueryString("id=7&x=<y>");
  const TStringList& page = grid.GetHTML();
  EXPECT_GE(Find(page, "<FORM NAME=\"G_TABLE\" METHOD=\"POST\" ACTION=\"/app?id=7&amp;x=&lt;y&gt;#G\">"), 0);
  EXPECT_GE(Find(page, "<FORM NAME=\"G_SELECTORS\" METHOD=\"POST\" ACTION=\"/app#G\">"), 0);
  ::unsetenv("SCRIPT_NAME");
}

TEST(Page, MasterAddingRecordLocksTheDetail) {
  TZylHTMLGrid master(nullptr), detail(nullptr);
  master.SetName("M");
  detail.SetName("D");
  detail.SetColCount(2);
  detail.GetCells(0, 1)->SetValue("detail-row-value");
  detail.GetColumns(1)->SetEditMode(true);
  master.SetDetailGrid(&detail);
  detail.SetMasterGrid(&master);
  master.SetAddingRecord(true);
  const TStringList& page = detail.GetHTML();
  EXPECT_EQ(Find(page, "detail-row-value"), -1);
  EXPECT_EQ(Find(page, "TOOLBARTOP"), -1);
  EXPECT_EQ(Find(page, "BACKGROUND=\"GBevelV.gif\""), -1);
  EXPECT_FALSE(detail.GetEditMode());
  EXPECT_FALSE(detail.GetShowGlyphs());
  EXPECT_FALSE(detail.GetSelectable());
}

TEST(Page, EditToolbarButtonStates) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetColCount(2);
  grid.GetColumns(1)->SetEditMode(true);
  const std::string addActive = "<INPUT TYPE=\"IMAGE\" NAME=\"GADD\" SRC=\"GAddRow.gif\"";
  const std::string delActive =
      "<INPUT TYPE=\"IMAGE\" NAME=\"GDEL\" SRC=\"GDelRow.gif\" WIDTH=\"24\" HEIGHT=\"24\" BORDER=\"0\" "
      "ALT=\"Delete Record\" onClick=\"return CanDelete();\">";
  const std::string updActive = "<INPUT TYPE=\"IMAGE\" NAME=\"GUPDATE\"";
  const std::string cancelActive = "<INPUT TYPE=\"IMAGE\" NAME=\"GCANCEL\"";
  auto bar = [&]() {
    const TStringList& page = grid.GetHTML();
    int at = Find(page, "GUbar.gif");
    EXPECT_GE(at, 0);
    return at < 0 ? std::string() : page[at];
  };
  std::string normal = bar();
  EXPECT_NE(normal.find(addActive), std::string::npos);
  EXPECT_NE(normal.find(delActive), std::string::npos);
  EXPECT_NE(normal.find(updActive), std::string::npos);
  EXPECT_NE(normal.find("<IMG SRC=\"GCancel.gif\""), std::string::npos);
  EXPECT_GE(Find(grid.GetHTML(), "<!-- SCRIPT START -->"), 0);

  grid.SetAddingRecord(true);
  std::string adding = bar();
  EXPECT_NE(adding.find("<IMG SRC=\"GAddRow.gif\""), std::string::npos);
  EXPECT_NE(adding.find("<IMG SRC=\"GDelRow.gif\""), std::string::npos);
  EXPECT_NE(adding.find(updActive), std::string::npos);
  EXPECT_NE(adding.find(cancelActive), std::string::npos);
  const TStringList& page = grid.GetHTML();
  EXPECT_EQ(Find(page, "<INPUT TYPE=\"HIDDEN\" NAME=\"GUPDATEADD\" VALUE=\"1\">") + 1, Find(page, "GUbar.gif"));

  grid.SetAddingRecord(false);
  grid.SetDoMadeSum(true);
  std::string summing = bar();
  EXPECT_NE(summing.find(addActive), std::string::npos);
  EXPECT_NE(summing.find(cancelActive), std::string::npos);

  grid.SetDoMadeSum(false);
  grid.SetRowCount(0);
  std::string empty = bar();
  EXPECT_NE(empty.find(addActive), std::string::npos);
  EXPECT_NE(empty.find("<IMG SRC=\"GUpdate.gif\""), std::string::npos);
  EXPECT_NE(empty.find("<IMG SRC=\"GCancel.gif\""), std::string::npos);
}

TEST(Page, VerticalToolbarWithoutRowsKeepsItsState) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetRowCount(0);
  const TStringList& page = grid.GetHTML();
  int cell = Find(page, "ROWSPAN=\"1\"");
  ASSERT_GE(cell, 0);
  EXPECT_NE(page[cell + 1].find("NAME=\"GName\""), std::string::npos);
  EXPECT_EQ(page[cell + 2], "</TD>");
}

TEST(Page, ZipKeepsScriptLinesApart) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.GetColumns(0)->SetEditMode(true);
  std::string zip = grid.GetHTMLZip();
  EXPECT_NE(zip.find("<!-- SCRIPT START -->\r\n<script language=\"JavaScript\">\r\n<!-- \r\n"
                     "function CanDelete()\r\n{\r\nreturn  confirm(\"Are You sure to delete current "
                     "record?\");\r\n}\r\n// -->\r\n</script>\r\n<!-- SCRIPT END -->\r\n<A NAME=\"G\"></A><TABLE"),
            std::string::npos);
  EXPECT_EQ(zip.find("\r\n", zip.find("<!-- SCRIPT END -->\r\n") + 21), std::string::npos);
  EXPECT_EQ(zip.find("\n "), std::string::npos);
}

TEST(Page, ErrorBoxUpperCasesAndBreaksLines) {
  TZylHTMLGrid grid(nullptr);
  std::string box = grid.GetErrorBox("first\\nsecond <b>");
  EXPECT_NE(box.find("<TEXTAREA STYLE=\"width: 470;height: 38;color: #FFFFE0;background-color: "
                     "#FF0000;font-weight: bold;\">FIRST\r\nSECOND &lt;B&gt;</TEXTAREA>"),
            std::string::npos);
  EXPECT_EQ(box.find("<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"0\"><TR><TD><IMG "
                     "SRC=\"GTab.Gif\" WIDTH=\"82\" HEIGHT=\"23\"></TD><TD>&nbsp;</TD><TR>"),
            0u);
}

TEST(Page, ErrorBoxShowsThePagesErrorText) {
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetCSS(&css);
  css.SetErrorText("Boom\\nagain");
  EXPECT_EQ(Find(grid.GetHTML(), "BOOM"), -1);  // only with ShowErrorBox
  grid.SetShowErrorBox(true);
  const TStringList& page = grid.GetHTML();
  EXPECT_GE(Find(page, "BOOM"), 0);
  EXPECT_LT(Find(page, "GTab.Gif"), Find(page, "TOOLBARTOP"));
}

TEST(Page, PreloadedImagesCarryBareNames) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetImagesURL("/img/");
  grid.SetCacheBitmaps(true);
  const TStringList& page = grid.GetHTML();
  EXPECT_EQ(page[1].rfind("<IMG SRC=\"GAddRow.gif\" WIDTH=\"0\" HEIGHT=\"0\">", 0), 0u);
  int n = 0;
  for (std::size_t p = page[1].find("<IMG"); p != std::string::npos; p = page[1].find("<IMG", p + 1)) ++n;
  EXPECT_EQ(n, 37);
  EXPECT_GE(Find(page, "SRC=\"/img/GBevel.gif\""), 0);
}

TEST(Page, EventsInOrder) {
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr), detail(nullptr);
  grid.SetName("G");
  detail.SetName("D");
  grid.SetCSS(&css);
  grid.SetColCount(2);
  grid.GetColumns(1)->SetEditMode(true);
  grid.SetDetailGrid(&detail);
  detail.SetMasterGrid(&grid);
  std::vector<std::string> log;
  auto page = [&log](const char* name) {
    return [&log, name](TObject*, TStringList&) { log.push_back(name); };
  };
  grid.OnBeforeHTMLGeneration = page("BeforeHTML");
  grid.OnBeforeAddHeader = page("BeforeHeader");
  grid.OnAfterAddHeader = page("AfterHeader");
  grid.OnBeforeAddToobar = page("BeforeToolbar");
  grid.OnAfterAddToobar = page("AfterToolbar");
  grid.OnAddHiddenVariables = page("Hidden");
  grid.OnAddPlugin = page("Plugin");
  grid.OnAfterHTMLGeneration = page("AfterHTML");
  grid.OnAddToolbarHiddenVariables = [&](TObject*, std::string) { log.push_back("ToolbarHidden"); };
  grid.OnGetCaptionCellHTML = [&](TObject*, TZylHTMLGrid*, int c, std::string&) {
    log.push_back("Caption" + std::to_string(c));
  };
  grid.OnProcessCellData = [&](TObject*, int r, int c, int, std::string) {
    log.push_back("Data" + std::to_string(r) + std::to_string(c));
  };
  grid.OnGetCellHTML = [&](TObject*, TZylHTMLGrid*, int r, int c, int, std::string&) {
    log.push_back("Cell" + std::to_string(r) + std::to_string(c));
  };
  grid.OnGetRowHTML = [&](TObject*, TZylHTMLGrid*, int r, int, std::string&) {
    log.push_back("Row" + std::to_string(r));
  };
  detail.OnBeforeHTMLGeneration = page("DetailBefore");
  detail.OnAfterHTMLGeneration = page("DetailAfter");
  grid.GetHTML();
  EXPECT_EQ(log, (std::vector<std::string>{
                     "BeforeHTML", "BeforeHeader", "AfterHeader", "BeforeToolbar", "ToolbarHidden",
                     "AfterToolbar", "Hidden", "Plugin", "Caption0", "Caption1", "Data00", "Cell00",
                     "Data01", "Cell01", "Row0", "Hidden", "BeforeToolbar", "ToolbarHidden",
                     "AfterToolbar", "DetailBefore", "DetailAfter", "AfterHTML"}));
}

TEST(Page, GridCssPropertyBuildsThePageFirst) {
  TZylHTMLGrid lone(nullptr);
  EXPECT_EQ(lone.GetCSS(), nullptr);
  EXPECT_EQ(lone.PageText().Count(), 0);
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetCSS(&css);
  EXPECT_EQ(grid.GetCSS(), &css);
  EXPECT_GT(css.GetCSS().Count(), 0);
  EXPECT_GT(grid.PageText().Count(), 0);
  EXPECT_EQ(grid.GetGUID(), css.GetGUID());
}

}  // namespace
}  // namespace zyl
