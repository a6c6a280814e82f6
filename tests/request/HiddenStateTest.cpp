// The hidden state written into every form.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"

namespace zyl {
namespace {

std::string Hidden(const std::string& name, const std::string& value) {
  return "<INPUT TYPE=\"HIDDEN\" NAME=\"" + name + "\" VALUE=\"" + value + "\">";
}
std::string Pair(const std::string& name) { return Hidden(name + ".x", "0") + Hidden(name + ".y", "0"); }

TEST(HiddenState, PlainGridInOrder) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("Grid1");
  grid.SetGUID("GUIDTEXT");
  grid.SetPage(2);
  grid.SetRowsPerPage(20);
  grid.SetRecNo(21);
  EXPECT_EQ(grid.GetSettingsHV("", &grid),
            Hidden("GName", "Grid1") + Hidden("GUID", "GUIDTEXT") + Hidden("GPage", "2") +
                Hidden("GRPP", "20") + Pair("GGLYPHON") + Pair("GRecNo21"));
}

TEST(HiddenState, SortSelectorsAndExclusions) {
  TZylHTMLGrid grid(nullptr);
  grid.SetName("G");
  grid.SetColCount(3);
  grid.GetColumns(2)->StoreSortOrder(TSortOrder::soDescending);
  grid.SetShowGlyphs(false);
  grid.SetShowSelectors(true);
  grid.GetColumns(1)->SetVisible(false);
  std::string all = grid.GetSettingsHV("", &grid);
  EXPECT_NE(all.find(Pair("GGLYPHOFF")), std::string::npos);
  EXPECT_NE(all.find(Pair("GSortDESC_2") + Pair("GCHECKON") +
                     "<INPUT TYPE=HIDDEN NAME=\"GSel\" VALUE=\"0\">"
                     "<INPUT TYPE=HIDDEN NAME=\"GSel\" VALUE=\"2\">"),
            std::string::npos);
  std::string toolbar = grid.GetSettingsHV("GPage;GRPP;GRowNo;GSort", &grid);
  EXPECT_EQ(toolbar.find("GPage"), std::string::npos);
  EXPECT_EQ(toolbar.find("GSortDESC"), std::string::npos);
  EXPECT_NE(toolbar.find("GRecNo0.x"), std::string::npos);  // "GRowNo" matches no field
  std::string vertical = grid.GetSettingsHV("GSel;GGLYPHON", &grid);
  EXPECT_EQ(vertical.find("GSel"), std::string::npos);
}

TEST(HiddenState, MasterAndDetailCarryEachOther) {
  TZylHTMLGrid master(nullptr), detail(nullptr);
  master.SetName("M");
  detail.SetName("D");
  master.SetGUID("MG");
  detail.SetGUID("DG");
  master.SetDetailGrid(&detail);
  detail.SetMasterGrid(&master);
  detail.SetRecNo(5);
  master.SetRecNo(2);
  std::string fromMaster = master.GetSettingsHV("", &master);
  // The master's forms: the detail's block without its record pair, then its own.
  EXPECT_EQ(fromMaster.find(Hidden("GName", "D")), 0u);
  EXPECT_EQ(fromMaster.find("GRecNo5"), std::string::npos);
  EXPECT_LT(fromMaster.find(Hidden("GName", "D")), fromMaster.find(Hidden("GName", "M")));
  EXPECT_NE(fromMaster.find(Pair("GRecNo2")), std::string::npos);
  std::string fromDetail = detail.GetSettingsHV("", &detail);
  // The detail's forms: all of the master's fields first, then its own; only the master has a GUID.
  EXPECT_EQ(fromDetail.find(Hidden("GName", "M") + Hidden("GUID", "MG")), 0u);
  EXPECT_NE(fromDetail.find(Pair("GRecNo2")), std::string::npos);
  EXPECT_NE(fromDetail.find(Pair("GRecNo5")), std::string::npos);
  EXPECT_EQ(fromDetail.find("DG"), std::string::npos);
  // A master adding a record hides the detail's glyph state.
  master.SetAddingRecord(true);
  EXPECT_EQ(master.GetSettingsHV("", &master).find(Pair("GGLYPHON")),
            master.GetSettingsHV("", &master).rfind(Pair("GGLYPHON")));
}

TEST(HiddenState, RoundTripThroughTheParser) {
  TZylHTMLGrid a(nullptr), b(nullptr);
  a.SetName("G");
  b.SetName("G");
  a.SetColCount(3);
  b.SetColCount(3);
  a.SetPage(4);
  a.SetRowsPerPage(15);
  a.SetRecNo(47);
  a.GetColumns(1)->StoreSortOrder(TSortOrder::soAscending);
  a.SetShowSelectors(true);
  a.GetColumns(2)->SetVisible(false);
  a.SetShowGlyphs(false);
  std::string html = a.GetSettingsHV("", &a);
  // Turn the hidden inputs into posted lines as a browser would.
  std::string posted;
  std::size_t pos = 0;
  while ((pos = html.find("NAME=", pos)) != std::string::npos) {
    std::size_t n1 = html.find('"', pos) + 1, n2 = html.find('"', n1);
    std::size_t v1 = html.find("VALUE=\"", n2) + 7, v2 = html.find('"', v1);
    posted += html.substr(n1, n2 - n1) + "=" + html.substr(v1, v2 - v1) + "\r\n";
    pos = v2;
  }
  b.ProcessParametersData(posted);
  EXPECT_EQ(b.GetPage(), 4);
  EXPECT_EQ(b.GetRowsPerPage(), 15);
  EXPECT_EQ(b.GetRecNo(), 47);
  EXPECT_EQ(b.GetColumns(1)->GetSortOrder(), TSortOrder::soAscending);
  EXPECT_TRUE(b.GetShowSelectors());
  EXPECT_FALSE(b.GetColumns(2)->GetVisible());
  EXPECT_FALSE(b.GetShowGlyphs());
}

}  // namespace
}  // namespace zyl
