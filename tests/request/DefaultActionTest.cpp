// Paging clicks through whole requests, with their events; the console host.
#include <gtest/gtest.h>

#include <vector>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
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

struct Move {
  const char* button;
  const char* page;  // chosen in the page list
  const char* rowsPerPage;
  const char* events;  // the action's number and the page each event sees
  const char* shown;
};

// 95 records, 10 a page.
const Move kMoves[] = {
    {"GNEXT", "3", "", "before 3 page 4, after 3 page 4", "page 4 record 30 cursor 30 rows 10 chosen 4"},
    {"GPREVIOUS", "3", "", "before 2 page 2, after 2 page 2", "page 2 record 10 cursor 10 rows 10 chosen 2"},
    {"GFIRST", "5", "", "before 1 page 1, after 1 page 1", "page 1 record 0 cursor 0 rows 10 chosen 1"},
    // Page 0 is below the setter's range, which keeps 1.
    {"GPREVIOUS", "1", "", "before 2 page 1, after 2 page 1", "page 1 record 0 cursor 0 rows 10 chosen 1"},
    // No bound before reading; reading pulls the page back.
    {"GNEXT", "10", "", "before 3 page 11, after 3 page 10", "page 10 record 90 cursor 90 rows 5 chosen 10"},
    // Nothing read before the action: the page count comes from the source.
    {"GLAST", "1", "", "before 4 page 10, after 4 page 10", "page 10 record 90 cursor 90 rows 5 chosen 10"},
    {"GNEXT", "2", "25", "before 3 page 3, after 3 page 3", "page 3 record 50 cursor 50 rows 25 chosen 3"},
};

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
  for (const Move& move : kMoves) {
    Response first = site.Open();
    events.clear();
    Response moved = site.Click(first, "TOOLBARTOP", move.button, [&](Form& f) {
      f.Choose("GPage", move.page);
      if (*move.rowsPerPage != '\0') f.SetText("GRPP", move.rowsPerPage);
    });
    EXPECT_EQ(events, move.events) << move.button << " from " << move.page;
    EXPECT_EQ(Shown(moved, data.Reader()), move.shown) << move.button << " from " << move.page;
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
