// Default actions through whole requests: page moves with their events, the
// current record, and the actions without a data source.
#include <gtest/gtest.h>

#include <vector>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "datasets/ZylMemDataset.h"
#include "platform/Stream.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using harness::Site;

// Fields ID and Name; record i holds i and "n<i>".
std::unique_ptr<TZylMemDataset> Numbered(int records) {
  auto ds = std::make_unique<TZylMemDataset>(nullptr);
  ds->AddField("ID", TFieldType::ftInteger);
  ds->AddField("Name", TFieldType::ftString, 20);
  for (int i = 0; i < records; ++i) ds->AddRecord({TVariant(i), TVariant("n" + std::to_string(i))});
  ds->Open();
  return ds;
}

std::string SelectedPage(const Response& page) {
  const harness::Control* list = page.GetForm("TOOLBARTOP").Find("GPage");
  for (const harness::Option& o : list->options) {
    if (o.selected) return o.value;
  }
  return "";
}

class PagingTest : public ::testing::Test {
 protected:
  PagingTest()
      : data_(Numbered(95)), site_([this](Components& c) {
          TZylHTMLGrid& grid = c.AddGrid("Grid1");
          grid.SetRowsPerPage(10);
          grid.SetDataset(data_.get());
          grid.OnBeforeDoDefaultAction = [this](TObject* sender, TGridAction action) {
            auto* g = dynamic_cast<TZylHTMLGrid*>(sender);
            events_.push_back("before " + std::to_string(static_cast<int>(action)) + " page " +
                              std::to_string(g->GetPage()));
          };
          grid.OnAfterDoDefaultAction = [this](TObject* sender, TGridAction action) {
            auto* g = dynamic_cast<TZylHTMLGrid*>(sender);
            events_.push_back("after " + std::to_string(static_cast<int>(action)) + " page " +
                              std::to_string(g->GetPage()));
          };
        }) {}

  // Clicks a paging button of the top toolbar with page `page` chosen.
  Response Move(const std::string& button, const std::string& page) {
    Response first = site_.Open();
    events_.clear();
    return site_.Click(first, "TOOLBARTOP", button, [&](Form& f) { f.Choose("GPage", page); });
  }

  harness::PrivateTempDir temp_;
  std::unique_ptr<TZylMemDataset> data_;
  std::vector<std::string> events_;
  Site site_;
};

TEST_F(PagingTest, NextPageFromPageThree) {
  Response next = Move("GNEXT", "3");
  TZylHTMLGrid& grid = next.Grid("Grid1");
  EXPECT_EQ(next.actions["Grid1"], TGridAction::gaNextPage);
  EXPECT_EQ(grid.GetPage(), 4);
  EXPECT_EQ(grid.GetRecNo(), 30);
  EXPECT_EQ(data_->GetRecNo(), 30) << "the cursor stands on the first record of the page";
  EXPECT_EQ(grid.GetRows(0)->GetRecNo(), 30);
  EXPECT_EQ(events_, (std::vector<std::string>{"before 3 page 4", "after 3 page 4"}))
      << "the before event already sees the new page";
  EXPECT_EQ(SelectedPage(next), "4");
}

TEST_F(PagingTest, PreviousAndFirstPage) {
  Response previous = Move("GPREVIOUS", "3");
  EXPECT_EQ(previous.Grid("Grid1").GetPage(), 2);
  EXPECT_EQ(previous.Grid("Grid1").GetRecNo(), 10);

  Response first = Move("GFIRST", "5");
  EXPECT_EQ(first.Grid("Grid1").GetPage(), 1);
  EXPECT_EQ(first.Grid("Grid1").GetRecNo(), 0);
  EXPECT_EQ(events_, (std::vector<std::string>{"before 1 page 1", "after 1 page 1"}));
}

TEST_F(PagingTest, PreviousPageOfPageOneStaysOnPageOne) {
  // Page 0 is below the setter's range, which keeps 1.
  Response previous = Move("GPREVIOUS", "1");
  EXPECT_EQ(previous.Grid("Grid1").GetPage(), 1);
  EXPECT_EQ(previous.Grid("Grid1").GetRecNo(), 0);
  EXPECT_EQ(events_.front(), "before 2 page 1");
}

TEST_F(PagingTest, NextPageFromTheLastIsPulledBackByReading) {
  Response next = Move("GNEXT", "10");
  EXPECT_EQ(events_.front(), "before 3 page 11") << "no bound before reading";
  EXPECT_EQ(next.Grid("Grid1").GetPage(), 10);
  EXPECT_EQ(next.Grid("Grid1").GetRecNo(), 90);
  EXPECT_EQ(next.Grid("Grid1").GetRowCount(), 5);
}

TEST_F(PagingTest, LastPageOfAGridNotReadYet) {
  // The program reads nothing before the action: the page count comes
  // from the source, not from a total of 0.
  Response last = Move("GLAST", "1");
  EXPECT_EQ(events_.front(), "before 4 page 10");
  EXPECT_EQ(last.Grid("Grid1").GetPage(), 10);
  EXPECT_EQ(last.Grid("Grid1").GetRecNo(), 90);
}

TEST_F(PagingTest, RowsPerPageFromTheToolbar) {
  Response first = site_.Open();
  Response again = site_.Click(first, "TOOLBARTOP", "GNEXT", [](Form& f) {
    f.Choose("GPage", "2");
    f.SetText("GRPP", "25");
  });
  // The toolbar posts GRPP as typed; page 3 of 25 rows.
  EXPECT_EQ(again.Grid("Grid1").GetRowsPerPage(), 25);
  EXPECT_EQ(again.Grid("Grid1").GetPage(), 3);
  EXPECT_EQ(again.Grid("Grid1").GetRecNo(), 50);
}

TEST(ConsoleHost, RequestThroughEnvironmentAndStandardInput) {
  harness::PrivateTempDir temp;
  auto ds = Numbered(95);
  Site site(
      [&](Components& c) {
        TZylHTMLGrid& grid = c.AddGrid("Grid1");
        grid.SetRowsPerPage(10);
        grid.SetDataset(ds.get());
      },
      TModuleType::Console);
  Response first = site.Open();
  EXPECT_EQ(first.actions["Grid1"], TGridAction::gaNoAction);
  EXPECT_EQ(first.GetForm("TOOLBARTOP").action, "/cgi-bin/grid.cgi#Grid1");
  Response next =
      site.Click(first, "TOOLBARBOTTOM", "GNEXT", [](Form& f) { f.Choose("GPage", "3"); });
  EXPECT_EQ(next.actions["Grid1"], TGridAction::gaNextPage);
  EXPECT_EQ(next.Grid("Grid1").GetPage(), 4);
  EXPECT_EQ(next.Grid("Grid1").GetRecNo(), 30);
  EXPECT_EQ(next.Grid("Grid1").GetGUID(), first.Grid("Grid1").GetGUID())
      << "the page keeps its GUID";
}

TEST(DefaultAction, WithoutDataSourceNothingHappens) {
  TZylHTMLGrid grid(nullptr);
  int events = 0;
  grid.OnBeforeDoDefaultAction = [&](TObject*, TGridAction) { ++events; };
  grid.SetPage(3);
  EXPECT_TRUE(grid.DoDefaultAction(TGridAction::gaNextPage));
  EXPECT_TRUE(grid.DoDefaultAction(TGridAction::gaSaveAs));
  EXPECT_EQ(grid.GetPage(), 3);
  EXPECT_EQ(events, 0);
}

TEST(DefaultAction, SaveAsSendsTheDownloadAndNoPage) {
  harness::PrivateTempDir temp;
  auto ds = Numbered(3);
  TZylCSS css(nullptr);
  TMemoryStream out;
  css.SetConsoleOutput(&out);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("Grid1");
  grid.SetCSS(&css);
  grid.SetDataset(ds.get());
  grid.SetSaveAsType(TExportType::Excel);
  EXPECT_FALSE(grid.DoDefaultAction(TGridAction::gaSaveAs));
  std::string sent = out.AsString();
  EXPECT_EQ(sent.rfind("Content-type: application/x-msexcel\r\n"
                       "Content-disposition: attachment;filename=\"Grid1.xls\"\r\n\r\n",
                       0),
            0u);
  EXPECT_GT(sent.size(), 512u);           // a workbook follows the header
  EXPECT_TRUE(temp.Entries().empty());  // the temporary files are gone

  TMemoryStream text;
  css.SetConsoleOutput(&text);
  grid.SetHeader("Orders");
  grid.SetSaveAsType(TExportType::TabbedText);
  EXPECT_FALSE(grid.DoDefaultAction(TGridAction::gaSaveAs));
  EXPECT_EQ(text.AsString().rfind("Content-type: text/plain\r\n"
                                  "Content-disposition: attachment;filename=\"Orders.txt\"", 0),
            0u);
  EXPECT_TRUE(temp.Entries().empty());
}

TEST(DefaultAction, AddNewShowsTheNewRecordRow) {
  harness::PrivateTempDir temp;
  auto ds = Numbered(4);
  Site site([&](Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetDataset(ds.get());
    grid.ReadValues();
    grid.SetEditMode(true);
  });
  Response page = site.Open();
  Response adding = site.Click(page, "Grid1_TABLE", "GADD");
  EXPECT_EQ(adding.actions["Grid1"], TGridAction::gaAddNew);
  EXPECT_EQ(adding.Grid("Grid1").GetRowCount(), 5) << "four records and the new-record row";
  EXPECT_NE(adding.GetForm("Grid1_TABLE").Find("GUPDATEADD"), nullptr);
  EXPECT_EQ(ds->RecordCount(), 4);
}

}  // namespace
}  // namespace zyl
