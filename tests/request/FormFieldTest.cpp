// The form-field protocol (cases in golden/posts.txt) and the hidden state
// every form carries, which posts back to the same state.
#include <gtest/gtest.h>

#include "HtmlForms.h"
#include "grid/ZylHTMLGrid.h"
#include "harness/Golden.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

// "a=1&b=2" as the parser's lines.
std::string Lines(std::string posted) {
  std::string text;
  for (std::size_t at; (at = posted.find('&')) != std::string::npos; posted.erase(0, at + 1)) {
    text += posted.substr(0, at) + "\r\n";
  }
  return text + posted + "\r\n";
}

// The action and what a post changed, in a line: settings that differ
// from a new four-column grid's, the save type of a save, sorted and
// hidden columns, flags.
std::string State(TGridAction action, TZylHTMLGrid& g) {
  static const char* const kActions[] = {"none", "first", "previous", "next", "last",
                                         "save", "update", "add", "delete"};
  static const char* const kSave[] = {"TXT", "XLS", "MDB", "DBF", "DB"};
  std::string s = kActions[static_cast<int>(action)];
  for (auto [name, value, usual] : {std::tuple{" page=", g.GetPage(), 1}, {" rpp=", g.GetRowsPerPage(), 40},
                                    {" rec=", g.GetRecNo(), 0}, {" cols=", g.GetColCount(), 4}}) {
    if (value != usual) s += name + std::to_string(value);
  }
  if (action == TGridAction::gaSaveAs) s += std::string(" save=") + kSave[static_cast<int>(g.GetSaveAsType())];
  for (int c = 0; c < g.GetColCount(); ++c) {
    TSortOrder order = g.GetColumns(c)->GetSortOrder();
    if (order != TSortOrder::soNone) s += " sort" + std::to_string(c) + (order == TSortOrder::soAscending ? "A" : "D");
    if (!g.GetColumns(c)->GetVisible()) s += " hide" + std::to_string(c);
  }
  for (auto [on, name] : {std::pair{!g.GetShowGlyphs(), " noglyphs"}, {g.GetShowSelectors(), " selectors"},
                          {g.GetAddingRecord(), " adding"}, {g.GetAddPending(), " addpending"},
                          {g.GetDoMadeSum(), " sum"}, {g.GetDoMadeSA(), " average"}}) {
    if (on) s += name;
  }
  return s;
}

TEST(FormFields, EachPostLeavesItsActionAndState) {
  for (const auto& post : harness::ReadCases("request/golden/posts.txt")) {
    const std::string flags = post.size() > 2 ? post[2] : "";
    const bool enter = flags.find("enter") != std::string::npos, get = flags.find("get") != std::string::npos;
    TZylCSS css(nullptr);
    TZylHTMLGrid grid(nullptr);
    grid.SetName("G1");
    grid.SetCSS(&css);
    grid.SetColCount(4);
    grid.SetShowSelectors(true);  // reset by every request
    grid.GetColumns(1)->SetEditMode(enter);
    grid.SetUpdatByEnter(enter);
    ::setenv("REQUEST_METHOD", get ? "GET" : "POST", 1), ::setenv("QUERY_STRING", ("GName=G1&" + post.at(0)).c_str(), 1);
    TGridAction action = get ? grid.ProcessParameters() : grid.ProcessParametersData(Lines("GName=G1&" + post.at(0)));
    ::unsetenv("REQUEST_METHOD"), ::unsetenv("QUERY_STRING");
    EXPECT_EQ(State(action, grid), post.at(1)) << post[0];
  }
}

TEST(FormFields, EachGridReadsOnlyItsOwnBlock) {
  TZylHTMLGrid g1(nullptr), g2(nullptr);
  g1.SetName("G1");
  g2.SetName("G2");
  std::string text = Lines("GName=G1&GPage=2&GName=G2&GPage=3&GLAST.x=1&GLAST.y=2");
  EXPECT_EQ(g1.ProcessParametersData(text), TGridAction::gaNoAction);
  EXPECT_EQ(g2.ProcessParametersData(text), TGridAction::gaLastPage);
  EXPECT_EQ(g1.GetPage(), 2);
  EXPECT_EQ(g2.GetPage(), 3);
  TZylHTMLGrid other(nullptr);
  other.SetName("Other");
  EXPECT_EQ(other.ProcessParametersData(text), TGridAction::gaNoAction);
  EXPECT_EQ(other.GetPage(), 1);
}

TEST(FormFields, TheGuidIsTakenOnlyWhenItIsOne) {
  const std::string guid = "0123ABCD-0000-4000-8000-00000000BEEF";
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G1");
  grid.SetCSS(&css);
  grid.ProcessParametersData(Lines("GName=G1&GUID=" + guid));
  EXPECT_EQ(grid.GetGUID(), guid);
  EXPECT_EQ(css.GetGUID(), guid);
  grid.ProcessParametersData(Lines("GName=G1&GUID=../../etc/passwd"));
  EXPECT_EQ(grid.GetGUID(), guid) << "the page's own is kept";
  TZylCSS fresh(nullptr);
  grid.SetCSS(&fresh);
  grid.SetGUID("");
  grid.ProcessParametersData(Lines("GName=G1"));
  EXPECT_EQ(grid.GetGUID().size(), 36u) << "made by the page";
}

TEST(FormFields, HostileInputNeverRaises) {
  std::string big(1 << 20, 'A');
  std::string many = "GName=G1\r\n";
  for (int i = 0; i < 50000; ++i) many += "GRecNo1.x=0\r\nGSel=1\r\nGSortASC_1.x=0\r\n";
  for (const std::string& text :
       {std::string(), Lines("GName=G1&=&==&.&.x=&GRecNo&GRecNo.&GRecNo.x&GSort&GSort_."),
        Lines("GName=G1&GRecNo99999999999999999999.x=1&GSortASC_-1.x=0&GSortDESC_1e9.y=0"),
        Lines("GName=G1&GPage=99999999999999999999&GRPP=&GSel&GSel=&GUID="),
        Lines("GName=G1&GSave&GSAVEAS.x&GSAVEAS.y&GCHECKON.x=0&GCHECKON.y=0&GSel=-5"),
        "GName=G1\r\n" + big + "\r\nGPage=" + big + "\r\nGRecNo" + big + ".x=0", many}) {
    TZylHTMLGrid grid(nullptr);
    grid.SetName("G1");
    grid.SetColCount(4);
    EXPECT_NO_THROW(grid.ProcessParametersData(text)) << text.substr(0, 80);
  }
}

// Grids of a page: plain; sorted with chosen columns; a master and its
// detail, each carrying the other's state; a master adding a record.
TEST(HiddenState, EveryFormCarriesTheGridsStateAndPostsItBack) {
  TZylHTMLGrid a(nullptr), master(nullptr), detail(nullptr);
  a.SetName("Grid1");
  a.SetGUID("GUIDTEXT");
  a.SetColCount(3);
  a.SetPage(4);
  a.SetRowsPerPage(15);
  a.SetRecNo(47);
  std::string out = a.GetSettingsHV("", &a);
  a.GetColumns(1)->StoreSortOrder(TSortOrder::soDescending);
  a.SetShowSelectors(true);
  a.GetColumns(2)->SetVisible(false);
  a.SetShowGlyphs(false);
  std::string all = a.GetSettingsHV("", &a);
  out += "\n" + all + "\n" + a.GetSettingsHV("GPage;GRPP;GRowNo;GSort", &a) + "\n" +
         a.GetSettingsHV("GSel;GGLYPHON", &a);
  master.SetName("M");
  detail.SetName("D");
  master.SetGUID("MG");
  detail.SetGUID("DG");
  master.SetDetailGrid(&detail);
  detail.SetMasterGrid(&master);
  detail.SetRecNo(5);
  master.SetRecNo(2);
  out += "\n" + master.GetSettingsHV("", &master) + "\n" + detail.GetSettingsHV("", &detail);
  master.SetAddingRecord(true);
  out += "\n" + master.GetSettingsHV("", &master);
  harness::ExpectGolden("request/golden/hidden_state.html", out);

  // Posted back as a browser would, the fields give the same state.
  auto forms = harness::ScanForms("<FORM>" + all + "</FORM>");
  std::string posted;
  for (const auto& [name, value] : forms.at(0).Submission("")) posted += name + "=" + value + "\r\n";
  TZylHTMLGrid b(nullptr);
  b.SetName("Grid1");
  b.SetColCount(3);
  b.ProcessParametersData(posted);
  EXPECT_EQ(State(TGridAction::gaNoAction, b), "none page=4 rpp=15 rec=47 cols=3 sort1D hide2 noglyphs selectors");
}

}  // namespace
}  // namespace zyl
