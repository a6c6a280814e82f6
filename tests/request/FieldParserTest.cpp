// The form-field protocol: blocks, actions and their precedence, state
// fields, and hostile input.
#include <gtest/gtest.h>

#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

std::string Fields(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

class FieldParser : public ::testing::Test {
 protected:
  FieldParser() : css_(nullptr), grid_(nullptr) {
    grid_.SetName("G1");
    grid_.SetCSS(&css_);
    grid_.SetColCount(4);
  }
  TGridAction Parse(std::initializer_list<const char*> lines) {
    return grid_.ProcessParametersData(Fields(lines));
  }
  TZylCSS css_;
  TZylHTMLGrid grid_;
};

TEST_F(FieldParser, WithoutItsBlockNothingChanges) {
  EXPECT_EQ(Parse({"GName=Other", "GPage=5", "GNEXT.x=1", "GNEXT.y=1"}), TGridAction::gaNoAction);
  EXPECT_EQ(grid_.GetPage(), 1);
  EXPECT_EQ(grid_.GetGUID(), "");
}

TEST_F(FieldParser, EachGridSeesOnlyItsOwnBlock) {
  TZylHTMLGrid g2(nullptr);
  g2.SetName("G2");
  std::string text = Fields({"GName=G1", "GPage=2", "GName=G2", "GPage=3", "GLAST.x=1", "GLAST.y=2"});
  EXPECT_EQ(grid_.ProcessParametersData(text), TGridAction::gaNoAction);
  EXPECT_EQ(g2.ProcessParametersData(text), TGridAction::gaLastPage);
  EXPECT_EQ(grid_.GetPage(), 2);
  EXPECT_EQ(g2.GetPage(), 3);
}

TEST_F(FieldParser, PageActionsAndPrecedence) {
  EXPECT_EQ(Parse({"GName=G1", "GNEXT.x=5", "GNEXT.y=7", "GPage=3"}), TGridAction::gaNextPage);
  EXPECT_EQ(grid_.GetPage(), 3);
  EXPECT_EQ(Parse({"GName=G1", "GPREVIOUS.x=1", "GPREVIOUS.y=1"}), TGridAction::gaPreviousPage);
  EXPECT_EQ(Parse({"GName=G1", "GFIRST.x=2", "GFIRST.y=3"}), TGridAction::gaFirstPage);
  EXPECT_EQ(Parse({"GName=G1", "GFIRST.x=0", "GFIRST.y=0"}), TGridAction::gaNoAction);
  EXPECT_EQ(Parse({"GName=G1", "GFIRST.x=4", "GFIRST.y=0"}), TGridAction::gaNoAction);
  EXPECT_EQ(Parse({"GName=G1", "GSAVEAS.x=1", "GSAVEAS.y=1", "GNEXT.x=1", "GNEXT.y=1"}),
            TGridAction::gaSaveAs);
  EXPECT_EQ(Parse({"GName=G1", "GLAST.x=1", "GLAST.y=1", "GNEXT.x=1", "GNEXT.y=1"}),
            TGridAction::gaLastPage);
  EXPECT_EQ(Parse({"GName=G1", "GNEXT.x=1"}), TGridAction::gaNoAction);  // half a pair
  // Editing buttons outrank page buttons; add outranks delete outranks update.
  EXPECT_EQ(Parse({"GName=G1", "GUPDATE.x=1", "GUPDATE.y=1", "GNEXT.x=1", "GNEXT.y=1"}),
            TGridAction::gaUpdateData);
  EXPECT_EQ(Parse({"GName=G1", "GDEL.x=1", "GDEL.y=1", "GUPDATE.x=1", "GUPDATE.y=1"}),
            TGridAction::gaDeleteCurrent);
  EXPECT_EQ(Parse({"GName=G1", "GADD.x=1", "GADD.y=1", "GDEL.x=1", "GDEL.y=1"}),
            TGridAction::gaAddNew);
  EXPECT_TRUE(grid_.GetAddingRecord());
}

TEST_F(FieldParser, SaveTypeFollowsTheList) {
  const std::pair<const char*, TExportType> cases[] = {
      {"GSave=XLS", TExportType::Excel},  {"GSave=MDB", TExportType::Access},
      {"GSave=DBF", TExportType::dBase},  {"GSave=DB", TExportType::Paradox},
      {"GSave=TXT", TExportType::TabbedText}, {"GSave=odd", TExportType::TabbedText}};
  for (const auto& [line, type] : cases) {
    EXPECT_EQ(Parse({"GName=G1", "GSAVEAS.x=1", "GSAVEAS.y=1", line}), TGridAction::gaSaveAs);
    EXPECT_EQ(grid_.GetSaveAsType(), type) << line;
  }
  Parse({"GName=G1", "GSAVEAS.x=1", "GSAVEAS.y=1"});
  EXPECT_EQ(grid_.GetSaveAsType(), TExportType::TabbedText);  // kept without a list value
}

TEST_F(FieldParser, GlyphPairs) {
  Parse({"GName=G1", "GGLYPHOFF.x=0", "GGLYPHOFF.y=0"});
  EXPECT_FALSE(grid_.GetShowGlyphs());
  EXPECT_FALSE(grid_.GetColumns(2)->GetShowGlyph());
  Parse({"GName=G1", "GGLYPHON.y=0"});
  EXPECT_FALSE(grid_.GetShowGlyphs());
  Parse({"GName=G1", "GGLYPHOFF.x=0", "GGLYPHOFF.y=0", "GGLYPHON.x=3", "GGLYPHON.y=4"});
  EXPECT_TRUE(grid_.GetShowGlyphs());
}

TEST_F(FieldParser, UpdateByEnter) {
  grid_.GetColumns(1)->SetEditMode(true);
  EXPECT_EQ(Parse({"GName=G1", "GCELL_3_1=abc"}), TGridAction::gaNoAction);
  grid_.SetUpdatByEnter(true);
  EXPECT_EQ(Parse({"GName=G1", "GCELL_3_1=abc"}), TGridAction::gaUpdateData);
  EXPECT_EQ(Parse({"GName=G1", "GCELL_3_1=abc", "GDEL.x=1", "GDEL.y=1"}),
            TGridAction::gaDeleteCurrent);
  // A record button click (value not "0") ends editing too.
  EXPECT_EQ(Parse({"GName=G1", "GCELL_3_1=abc", "GRecNo3.x=4", "GRecNo3.y=5"}),
            TGridAction::gaNoAction);
  EXPECT_EQ(Parse({"GName=G1", "GCELL_3_1=abc", "GRecNo3.x=0", "GRecNo3.y=0"}),
            TGridAction::gaUpdateData);
}

TEST_F(FieldParser, RecordPairsSetTheCurrentRecord) {
  Parse({"GName=G1", "GRecNo12.x=0", "GRecNo12.y=0"});
  EXPECT_EQ(grid_.GetRecNo(), 12);
  Parse({"GName=G1", "GRecNo7.x=4", "GRecNo7.y=1", "GRecNo"});
  EXPECT_EQ(grid_.GetRecNo(), 7);
  Parse({"GName=G1", "GRecNoX.x=1", "GRecNoX.y=1"});  // not a number: ignored
  EXPECT_EQ(grid_.GetRecNo(), 7);
}

TEST_F(FieldParser, SortFieldsGrowTheColumnsAndSortOffWins) {
  Parse({"GName=G1", "GSortDESC_9.x=0", "GSortDESC_9.y=0"});
  EXPECT_EQ(grid_.GetColCount(), 10);
  EXPECT_EQ(grid_.GetColumns(9)->GetSortOrder(), TSortOrder::soDescending);
  EXPECT_EQ(grid_.GetColumns(9)->Glyph()->GetURLDSC(), "GDesc.gif");  // stored, no images
  Parse({"GName=G1", "GSORTOFF.x=1", "GSORTOFF.y=1", "GSortASC_2.x=0", "GSortASC_2.y=0"});
  EXPECT_EQ(grid_.GetColumns(2)->GetSortOrder(), TSortOrder::soNone);
  EXPECT_EQ(grid_.GetColumns(9)->GetSortOrder(), TSortOrder::soDescending);
  Parse({"GName=G1", "GSortASC_2.x=0", "GSortASC_2.y=0"});
  EXPECT_EQ(grid_.GetColumns(2)->GetSortOrder(), TSortOrder::soAscending);
  EXPECT_EQ(grid_.GetColumns(9)->GetSortOrder(), TSortOrder::soNone);
  Parse({"GName=G1", "GSortASC_99999999.x=0", "GSortASC_99999999.y=0"});
  EXPECT_EQ(grid_.GetColCount(), 256);  // capped at MaxCols
}

TEST_F(FieldParser, ColumnSelection) {
  grid_.SetShowSelectors(true);
  Parse({"GName=G1", "GSel=1", "GSel=3"});
  EXPECT_FALSE(grid_.GetShowSelectors());  // reset by every request
  EXPECT_TRUE(grid_.GetColumns(0)->GetVisible());
  Parse({"GName=G1", "GCHECKON.x=0", "GCHECKON.y=0", "GSel=1", "GSel=3", "GSel=x", "GSel=77"});
  EXPECT_TRUE(grid_.GetShowSelectors());
  EXPECT_FALSE(grid_.GetColumns(0)->GetVisible());
  EXPECT_TRUE(grid_.GetColumns(1)->GetVisible());
  EXPECT_FALSE(grid_.GetColumns(2)->GetVisible());
  EXPECT_TRUE(grid_.GetColumns(3)->GetVisible());
  Parse({"GName=G1", "GCHECKON.x=0", "GCHECKON.y=0", "GCHECKOFF.x=1", "GCHECKOFF.y=1"});
  EXPECT_FALSE(grid_.GetShowSelectors());
}

TEST_F(FieldParser, PagingValuesAndGo) {
  Parse({"GName=G1", "GPage=3", "GRPP=20", "GOK.x=1", "GOK.y=1"});
  EXPECT_EQ(grid_.GetRecNo(), 40);
  Parse({"GName=G1", "GPage=-4", "GRPP=-1"});
  EXPECT_EQ(grid_.GetPage(), 3);
  EXPECT_EQ(grid_.GetRowsPerPage(), 20);
  Parse({"GName=G1", "GPage=2147483647", "GRPP=2147483647", "GOK.x=1", "GOK.y=1"});
  EXPECT_EQ(grid_.GetRecNo(), 2147483647);  // no overflow
  Parse({"GName=G1", "GPage=abc"});
  EXPECT_EQ(grid_.GetPage(), 2147483647);
}

TEST_F(FieldParser, SummaryAndEditingFlags) {
  Parse({"GName=G1", "GSUM.x=1", "GSUM.y=1", "GSA.x=1", "GSA.y=1", "GUPDATEADD=1"});
  EXPECT_TRUE(grid_.GetDoMadeSum());
  EXPECT_TRUE(grid_.GetDoMadeSA());
  EXPECT_TRUE(grid_.GetAddPending());
  EXPECT_EQ(Parse({"GName=G1", "GCANCEL.x=1", "GCANCEL.y=1"}), TGridAction::gaNoAction);
  EXPECT_FALSE(grid_.GetAddPending());
}

TEST_F(FieldParser, GuidIsTakenOnlyInItsOwnForm) {
  Parse({"GName=G1", "GUID=0123ABCD-0000-4000-8000-00000000BEEF"});
  EXPECT_EQ(grid_.GetGUID(), "0123ABCD-0000-4000-8000-00000000BEEF");
  EXPECT_EQ(css_.GetGUID(), "0123ABCD-0000-4000-8000-00000000BEEF");
  Parse({"GName=G1", "GUID=../../etc/passwd"});
  EXPECT_EQ(grid_.GetGUID(), "0123ABCD-0000-4000-8000-00000000BEEF");  // the page's one
  TZylCSS fresh(nullptr);
  TZylHTMLGrid other(nullptr);
  other.SetName("G1");
  other.SetCSS(&fresh);
  other.ProcessParametersData(Fields({"GName=G1"}));
  EXPECT_EQ(other.GetGUID().size(), 36u);  // generated by the page
}

TEST_F(FieldParser, HostileInputNeverRaises) {
  std::string big(1 << 20, 'A');
  std::vector<std::string> texts = {
      "",
      "GName=G1",
      "GName=G1\r\n=\r\n==\r\n.\r\n.x=\r\nGRecNo\r\nGRecNo.\r\nGRecNo.x\r\nGSort\r\nGSort_.\r\n",
      "GName=G1\r\nGRecNo99999999999999999999.x=1\r\nGSortASC_-1.x=0\r\nGSortDESC_1e9.y=0",
      "GName=G1\r\nGPage=99999999999999999999\r\nGRPP=\r\nGSel\r\nGSel=\r\nGUID=",
      "GName=G1\r\nGSave\r\nGSAVEAS.x\r\nGSAVEAS.y\r\nGCHECKON.x=0\r\nGCHECKON.y=0\r\nGSel=-5",
      "GName=G1\r\n" + big + "\r\nGPage=" + big + "\r\nGRecNo" + big + ".x=0",
  };
  for (const std::string& text : texts) {
    EXPECT_NO_THROW(grid_.ProcessParametersData(text));
  }
  std::string many = "GName=G1\r\n";
  for (int i = 0; i < 50000; ++i) many += "GRecNo1.x=0\r\nGSel=1\r\nGSortASC_1.x=0\r\n";
  EXPECT_NO_THROW(grid_.ProcessParametersData(many));
}

}  // namespace
}  // namespace zyl
