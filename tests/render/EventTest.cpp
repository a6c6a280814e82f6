// Rendering events: their order, what they see and what their answers change.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "request/FormProtocol.h"

namespace zyl {
namespace {

using test::RenderGrid;

TEST(CellEvents, DataEventFirstThenHtmlEventWhichMayDropTheCell) {
  RenderGrid g(2, 3);
  g.Cell(1, 1).SetValue("before");
  g.grid.GetRows(1)->SetRecNo(7);
  std::vector<std::string> calls;
  g.grid.OnProcessCellData = [&](TObject* sender, int row, int col, int recNo, std::string value) {
    calls.push_back("data " + std::to_string(row) + std::to_string(col) + std::to_string(recNo) + value);
    static_cast<TZylField*>(sender)->SetValue("after");
  };
  g.grid.OnGetCellHTML = [&](TObject* sender, TZylHTMLGrid* grid, int row, int col, int recNo,
                             std::string& html) {
    EXPECT_EQ(sender, &g.Cell(row, col));
    EXPECT_EQ(grid, &g.grid);
    calls.push_back("html " + std::to_string(row) + std::to_string(col) + std::to_string(recNo) + html);
    if (col == 2) html.clear();  // an empty answer removes the cell
  };
  g.Column(0).SetVisible(false);  // hidden: no events
  EXPECT_EQ(g.Row(1), "<TR><TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">after</TD></TR>");
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "data 117before", "html 117<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">after</TD>",
                       "data 127", "html 127<TD BGCOLOR=\"FFFFFF\" CLASS=\"GS0\">after</TD>"}));
}

TEST(CellEvents, OwnHtmlAddsItsStyleLineEveryTimeAndStrayCellsRenderNothing) {
  RenderGrid g(1, 3);
  g.Cell(0, 1).SetHTML("<TD CLASS=\"mine\">own</TD>");
  g.Cell(0, 1).SetCSS(".mine   { color: red; }");
  EXPECT_EQ(g.Cell(0, 1).GetHTML(), "<TD CLASS=\"mine\">own</TD>");
  EXPECT_EQ(g.Cell(0, 1).GetHTML(), "<TD CLASS=\"mine\">own</TD>");
  EXPECT_EQ(g.SheetText(), "\n-- style sheet\n.mine   { color: red; }\n.mine   { color: red; }");
  TZylField stray(&g.grid);
  stray.SetValue("x");
  EXPECT_EQ(stray.GetHTML(), "");
}

TEST(RowEvents, OwnHtmlAndTheEventReplaceTheRowEvenAHiddenOne) {
  RenderGrid g(2, 2);
  g.grid.GetRows(1)->SetRecNo(9);
  g.grid.GetRows(1)->SetHTML("<TR><TD>own</TD></TR>");
  EXPECT_EQ(g.Row(1), "<TR><TD>own</TD></TR>");
  EXPECT_EQ(g.grid.GetRows(1)->GetColor(), clNone) << "an override builds nothing";
  std::string seen;
  g.grid.OnGetRowHTML = [&](TObject* sender, TZylHTMLGrid*, int row, int recNo, std::string& html) {
    EXPECT_EQ(sender, g.grid.GetRows(row));
    seen = std::to_string(row) + "," + std::to_string(recNo) + "," + html;
    html = "<TR></TR>";
  };
  EXPECT_EQ(g.Row(1), "<TR></TR>");
  EXPECT_EQ(seen, "1,9,<TR><TD>own</TD></TR>");
  g.grid.GetRows(0)->SetVisible(false);
  EXPECT_EQ(g.Row(0), "<TR></TR>");
  EXPECT_EQ(seen, "0,0,");
}

TEST(CaptionEvents, OwnHtmlThenTheEventReplaceTheCaption) {
  RenderGrid g(1, 2);
  g.Column(1).SetHTML("<TD>own</TD>");
  std::string seen;
  g.grid.OnGetCaptionCellHTML = [&](TObject* sender, TZylHTMLGrid* grid, int col, std::string& html) {
    EXPECT_EQ(sender, &g.Column(1));
    EXPECT_EQ(grid, &g.grid);
    seen = std::to_string(col) + html;
    html = "<TD>event</TD>";
  };
  EXPECT_EQ(g.Column(1).GetHTML(), "<TD>event</TD>");
  EXPECT_EQ(seen, "1<TD>own</TD>");
  EXPECT_EQ(g.Sheet().Count(), 0) << "nothing composed for an override";
}

TEST(PageEvents, InOrderWithTheDetailInside) {
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
  using G = TZylHTMLGrid;
  for (auto [g, event, name] : {std::tuple{&grid, &G::OnBeforeHTMLGeneration, "BeforeHTML"},
                                {&grid, &G::OnBeforeAddHeader, "BeforeHeader"}, {&grid, &G::OnAfterAddHeader, "AfterHeader"},
                                {&grid, &G::OnBeforeAddToobar, "BeforeToolbar"}, {&grid, &G::OnAfterAddToobar, "AfterToolbar"},
                                {&grid, &G::OnAddHiddenVariables, "Hidden"}, {&grid, &G::OnAddPlugin, "Plugin"},
                                {&grid, &G::OnAfterHTMLGeneration, "AfterHTML"},
                                {&detail, &G::OnBeforeHTMLGeneration, "DetailBefore"},
                                {&detail, &G::OnAfterHTMLGeneration, "DetailAfter"}}) {
    (g->*event) = [&log, name = name](TObject*, TStringList&) { log.push_back(name); };
  }
  std::string toolbarSeen;
  grid.OnAddToolbarHiddenVariables = [&](TObject*, std::string html) {
    log.push_back("ToolbarHidden");
    toolbarSeen = html;
    html += "ignored";
  };
  grid.OnGetCaptionCellHTML = [&](TObject*, G*, int c, std::string&) { log.push_back("Caption" + std::to_string(c)); };
  grid.OnProcessCellData = [&](TObject*, int r, int c, int, std::string) { log.push_back("Data" + std::to_string(r) + std::to_string(c)); };
  grid.OnGetCellHTML = [&](TObject*, G*, int r, int c, int, std::string&) { log.push_back("Cell" + std::to_string(r) + std::to_string(c)); };
  grid.OnGetRowHTML = [&](TObject*, G*, int r, int, std::string&) { log.push_back("Row" + std::to_string(r)); };
  std::string text = grid.GetHTML().GetText();
  EXPECT_EQ(log, (std::vector<std::string>{
                     "BeforeHTML", "BeforeHeader", "AfterHeader", "BeforeToolbar", "ToolbarHidden",
                     "AfterToolbar", "Hidden", "Plugin", "Caption0", "Caption1", "Data00", "Cell00",
                     "Data01", "Cell01", "Row0", "Hidden", "BeforeToolbar", "ToolbarHidden",
                     "AfterToolbar", "DetailBefore", "DetailAfter", "AfterHTML"}));
  EXPECT_NE(toolbarSeen.find("NAME=\"GName\""), std::string::npos);
  EXPECT_EQ(text.find("ignored"), std::string::npos);
  EXPECT_EQ(grid.GetCSS(), &css);
  EXPECT_EQ(grid.GetGUID(), css.GetGUID());
}

// A watcher of the toolbars sees the page's items before the bottom toolbar
// splits them into lines; without one they are added split: the page's
// items come out the same either way, and so does the page as one text.
TEST(PageItems, TheSameLinesWhetherOrNotAToolbarIsWatched) {
  for (bool edit : {false, true}) {
    std::vector<std::string> items[2];
    for (int watched = 0; watched < 2; ++watched) {
      test::RenderGrid g(3, 3);
      g.css.SetGUID("00000000-0000-0000-0000-000000000000");
      g.grid.SetShowRowNumber(true);
      g.grid.GetColumns(1)->SetEditMode(edit);
      g.Cell(1, 1).SetValue("a\nb\rc\r\nd\n");  // every kind of line break
      if (watched) g.grid.OnBeforeAddToobar = [](TObject*, TStringList&) {};
      const TStringList& page = g.grid.GetHTML();
      items[watched].assign(page.begin(), page.end());
      const std::string text = page.GetText();
      EXPECT_EQ(g.grid.GetHTMLText(), text) << "edit " << edit;
      g.grid.SetShowBottomToolBar(false);  // the items stay whole
      EXPECT_EQ(g.grid.GetHTMLText(), g.grid.GetHTML().GetText()) << "edit " << edit;
    }
    EXPECT_GT(items[0].size(), 100u);
    EXPECT_EQ(items[0], items[1]) << "edit " << edit;
  }
}

// PageNumberBox: above 1,000 pages the page's number goes in a box.
TEST(PageList, ANumberBoxReplacesTheListAboveAThousandPagesWhenTurnedOn) {
  const std::string list = "<SELECT SIZE=\"1\" NAME=\"" + std::string(form::kPage) + "\"";
  const std::string box = "<INPUT TYPE=\"TEXT\" NAME=\"" + std::string(form::kPage) + "\" SIZE=\"4\" VALUE=\"7\"";
  const struct { bool on; int records; bool listed; } cases[] = {
      {false, 40001, true}, {true, 40000, true}, {true, 40001, false}, {true, 0, true}};
  for (const auto& c : cases) {
    test::RenderGrid g(1, 2);
    g.grid.SetPageNumberBox(c.on), g.grid.SetTotalRowCount(c.records), g.grid.SetPage(7);
    std::string bar = g.grid.GetToolbar(false);
    EXPECT_EQ(bar.find(list) != std::string::npos, c.listed) << c.records;
    EXPECT_EQ(bar.find(box) != std::string::npos, !c.listed) << c.records;
  }
}

}  // namespace
}  // namespace zyl
