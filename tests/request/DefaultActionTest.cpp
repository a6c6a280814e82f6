// Paging clicks through whole requests, with their events; the console host.
#include <gtest/gtest.h>

#include <vector>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "harness/Golden.h"
#include "edit/EditBackends.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using harness::Site;

// What the page after a click shows: page, first record, rows, the page
// chosen in the toolbar.
std::string Shown(const Response& page, TDataSet& data) {
  TZylHTMLGrid& grid = page.Grid("Grid1");
  std::string chosen;
  for (const harness::Option& o : page.GetForm("TOOLBARTOP").Find("GPage")->options) {
    if (o.selected) chosen = o.value;
  }
  return "page " + std::to_string(grid.GetPage()) + " record " + std::to_string(grid.GetRecNo()) +
         " cursor " + std::to_string(dynamic_cast<TZylMemDataset&>(data).GetRecNo()) + " rows " + std::to_string(grid.GetRowCount()) +
         " chosen " + chosen;
}

TEST(Paging, EachMoveShowsItsPageWithItsEvents) {
  harness::PrivateTempDir temp;
  testing::EditBackend data("", 95);
  std::string events;
  Site site([&](Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowsPerPage(10);
    grid.SetDataset(&data.ForRequest(c));
    auto log = [&events](const char* when) {
      return [&events, when](TObject* sender, TGridAction action) {
        events += std::string(events.empty() ? "" : ", ") + when + " " +
                  std::to_string(static_cast<int>(action)) + " page " +
                  std::to_string(dynamic_cast<TZylHTMLGrid*>(sender)->GetPage());
      };
    };
    grid.OnBeforeDoDefaultAction = log("before");
    grid.OnAfterDoDefaultAction = log("after");
  });
  for (const auto& move : harness::ReadCases("request/golden/paging.txt")) {
    SCOPED_TRACE(move.at(0) + " from " + move.at(1));
    Response first = site.Open();
    events.clear();
    Response moved = site.Click(first, "TOOLBARTOP", move[0], [&](Form& f) {
      f.Choose("GPage", move[1]);
      if (!move.at(2).empty()) f.SetText("GRPP", move[2]);
    });
    EXPECT_EQ(events, move.at(3));
    EXPECT_EQ(Shown(moved, data.Reader()), move.at(4));
  }
}

TEST(Paging, ConsoleHostReadsTheEnvironmentAndStandardInput) {
  harness::PrivateTempDir temp;
  testing::EditBackend data("", 95);
  Site site([&](Components& c) {
    c.AddGrid("Grid1").SetRowsPerPage(10);
    c.Grid("Grid1").SetDataset(&data.ForRequest(c));
  }, TModuleType::Console);
  Response first = site.Open();
  EXPECT_EQ(first.GetForm("TOOLBARTOP").action, "/cgi-bin/grid.cgi#Grid1");
  Response next = site.Click(first, "TOOLBARBOTTOM", "GNEXT", [](Form& f) { f.Choose("GPage", "3"); });
  EXPECT_EQ(next.actions["Grid1"], TGridAction::gaNextPage);
  EXPECT_EQ(Shown(next, data.Reader()), "page 4 record 30 cursor 30 rows 10 chosen 4");
  EXPECT_EQ(next.Grid("Grid1").GetGUID(), first.Grid("Grid1").GetGUID()) << "the page keeps its GUID";
}

TEST(Paging, WithoutDataSourceNothingHappens) {
  TZylHTMLGrid grid(nullptr);
  int events = 0;
  grid.OnBeforeDoDefaultAction = [&](TObject*, TGridAction) { ++events; };
  grid.SetPage(3);
  EXPECT_TRUE(grid.DoDefaultAction(TGridAction::gaNextPage));
  EXPECT_TRUE(grid.DoDefaultAction(TGridAction::gaSaveAs));
  EXPECT_EQ(grid.GetPage(), 3);
  EXPECT_EQ(events, 0);
}

}  // namespace
}  // namespace zyl
