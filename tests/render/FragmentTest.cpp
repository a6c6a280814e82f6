// Page fragments compared byte for byte with tests/render/golden/<case>.html;
// parts of a case joined by "\n====\n", then the style sheet if it composes
// styles. To add a case: append it, run with ZYL_UPDATE_GOLDEN=1, review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <regex>

#include "harness/Golden.h"
#include "RenderTestSupport.h"

namespace zyl {
namespace {

using test::RenderGrid;

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : "\n====\n") + part;
  return out;
}

// The page's text with its random page identity replaced by "GUID".
std::string Page(TZylHTMLGrid& grid) {
  static const std::regex kGuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
  return std::regex_replace(grid.GetHTML().GetText(), kGuid, "GUID");
}
std::string Rows(RenderGrid& g, std::initializer_list<int> rows) {
  std::vector<std::string> out;
  for (int r : rows) out.push_back(g.Row(r));
  return Join(out);
}
std::string Captions(RenderGrid& g) {
  std::vector<std::string> out;
  for (int c = 0; c < g.grid.GetColCount(); ++c) out.push_back(g.Column(c).GetHTML());
  return Join(out);
}

struct Fragment {
  const char* name;
  std::function<std::string()> render;
};
void PrintTo(const Fragment& fragment, std::ostream* out) { *out << fragment.name; }

const Fragment kFragments[] = {
    {"cell_colours", [] {  // column colours, a cell's mixed with the row tint, the current row
       RenderGrid g(3, 3);
       g.grid.Loaded();  // adds the row-number column
       g.grid.SetOddColColor(0x00FFFF);
       g.grid.SetOddRowColor(clBlue);
       g.Cell(1, 1).SetColor(clRed);
       g.Cell(0, 2).SetColor(clGreen);
       std::string numbered = Rows(g, {0, 1, 2});
       g.grid.SetShowRowNumber(false);  // the current row takes the even row colour
       g.grid.SetEvenRowColor(0x00FF00);
       return g.WithSheet(Join({numbered, Rows(g, {0, 1, 2})}));
     }},
    {"cell_edit_controls", [] {  // text, memo, checkboxes, pick list
       RenderGrid g(2, 6);
       for (int c = 1; c < 6; ++c) {
         g.Column(c).SetEditMode(true);
         g.Column(c).SetFieldIndex(c + 3);  // named GCELL_<record>_<field>
       }
       g.Column(2).SetDataType(TFieldType::ftMemo);
       g.Column(3).SetDataType(TFieldType::ftBoolean);
       g.Column(4).SetDataType(TFieldType::ftBoolean);  // the pick list comes first
       g.Column(4).PickList().SetCommaText("Red,Green,Blue");
       g.Column(4).ValueList().SetCommaText("r,g");  // the extra text is left out
       g.Column(5).SetDataType(TFieldType::ftBoolean);
       for (int r = 0; r < 2; ++r) {
         g.Cell(r, 1).SetValue("abc");
         g.Cell(r, 2).SetValue("line 1\r\nline 2");
         g.Cell(r, 3).SetBooleanValue(true);
         g.Cell(r, 4).SetValue(r ? "G" : "g");  // compared exactly
       }
       std::string current = g.WithSheet(Rows(g, {0, 1}));
       g.grid.SetEditStyle(TEditStyle::AllRows);
       std::string all = g.Row(1);
       g.Column(4).ValueList().SetCommaText("g,g,g");
       g.Column(1).SetReadOnly(true);
       return Join({current, all, g.Row(0)});
     }},
    {"cell_edit_adding_and_summing", [] {
       RenderGrid g(3, 4);
       g.grid.SetEditStyle(TEditStyle::AllRows);
       g.Column(1).SetEditMode(true);
       g.Column(2).SetEditMode(true);
       g.Column(2).PickList().SetCommaText("Red,Green");
       g.Column(2).ValueList().SetCommaText("r,g");
       g.Column(3).SetEditMode(true);
       g.Column(3).SetDataType(TFieldType::ftBoolean);
       g.grid.SetAddingRecord(true);  // only the last row edits
       std::string adding = Rows(g, {0, 1, 2});
       g.Column(2).SetLimitToPickList(true);  // only now does the pick list offer its choices
       std::string limited = g.Row(2);
       g.grid.SetAddingRecord(false);
       g.grid.SetDoMadeSum(true);  // the summary row is never edited
       g.Cell(2, 1).SetValue("2");
       g.Cell(2, 2).SetValue("r");
       std::string sum = Rows(g, {1, 2});
       g.grid.SetDoMadeSum(false);
       g.grid.SetDoMadeSA(true);
       return Join({adding, limited, sum, g.Row(2)});
     }},
    {"cell_text", [] {  // booleans, line breaks, pick-list texts, sizes and alignments
       RenderGrid g(4, 6);
       g.Column(1).SetDataType(TFieldType::ftBoolean);
       g.Column(2).SetWordWrap(true);
       g.Column(4).PickList().SetCommaText("Red,Green");
       g.Column(4).ValueList().SetCommaText("r,g,b");
       const char* picked[] = {"g", "G", "x", "b"};  // case-blind; missing and textless: raw
       for (int r = 0; r < 4; ++r) {
         g.Cell(r, 1).SetBooleanValue(r % 2 == 0);
         g.Cell(r, 2).SetValue("a\r\nb\nc\rd");
         g.Cell(r, 3).SetValue("a\r\nb\nc\rd");
         g.Cell(r, 4).SetValue(picked[r]);
       }
       TZylField& cell = g.Cell(0, 5);
       cell.SetWidth(80);
       cell.SetHeight(0);
       cell.SetHAlign(HAlignment::alCenter);
       cell.SetVAlign(VAlignment::alBaseline);
       g.Cell(1, 5).SetHAlign(HAlignment::alChar);  // the class carries it
       return g.WithSheet(Rows(g, {0, 1, 2, 3}));
     }},
    {"cell_without_sheet", [] {
       RenderGrid g(1, 3, false);
       g.Cell(0, 1).SetValue("x");
       g.Column(2).SetShowSelector(true);
       std::string builds = Join({g.grid.GetRows(0)->Build(), g.Cell(0, 1).Build(0, 1)});
       return g.WithSheet(Join({g.Row(0), g.Column(2).GetHTML(), builds}));
     }},
    {"fixed_cells_and_markers", [] {  // record buttons, summary, new record, Enter
       RenderGrid g(3, 3);
       g.grid.Loaded();
       g.grid.SetRecNo(1);
       g.grid.SetUpdatByEnter(true);  // no Enter button while browsing
       std::string buttons = Rows(g, {0, 1, 0});  // the marker column's settings come back
       g.Column(1).SetEditMode(true);
       std::string enter = Rows(g, {0, 1});
       g.grid.SetAddingRecord(true);
       std::string adding = g.Row(2);
       g.grid.SetAddingRecord(false);
       g.grid.SetDoMadeSum(true);
       return Join({buttons, enter, adding, Rows(g, {1, 2})});
     }},
    {"fixed_cells_without_row_numbers", [] {
       RenderGrid g(2, 3);
       g.grid.Loaded();
       g.grid.SetShowRowNumber(false);
       g.Cell(1, 0).SetValue("label");
       std::string label = g.Row(1);
       g.grid.SetFixedRows(2);  // the caption line and row 0
       g.Cell(0, 1).SetValue("head");
       return Join({label, g.Row(0), g.Row(1)});
     }},
    {"captions", [] {  // bevels, sort buttons and their order, line breaks, glyphs
       RenderGrid g(2, 6);
       g.Column(1).SetCaption("Name");
       g.Column(2).SetSortOrder(TSortOrder::soDescending);
       g.Column(3).SetCaption("Unit\r\nPrice");
       g.Column(4).SetCaption("Unit\r\nPrice");
       g.Column(4).SetWordWrap(true);
       TZylGlyph& glyph = *g.Column(5).Glyph();
       glyph.SetAlignASC(VAlignment::alBaseline);
       glyph.SetAlignDSC(VAlignment::alTop);
       glyph.SetWidthASC(-1);
       glyph.SetHeightDSC(-1);
       glyph.SetBorderDSC(2);
       g.grid.SetAltSortAscending("Up");
       std::string captions = g.WithSheet(Captions(g));
       glyph.SetHTML("<I>sort</I>");
       std::string own = Join({g.Column(5).GetHTML(), glyph.GetHTML(), glyph.Build()});
       g.Column(1).SetShowSelector(true);
       g.Column(1).SetShowCurrent(true);
       g.Column(1).SetCurrentHTML("<B>*</B>");
       g.Column(1).SetShowGlyph(false);
       std::string selector = g.Column(1).Build("Qty", false, false);
       g.grid.SetSelectable(false);
       return Join({captions, own, selector, g.Column(2).GetHTML()});
     }},
    {"captions_flat_and_without_rows", [] {
       RenderGrid g(1, 3);
       g.grid.SetFixedRows(0);  // flat in the column colour; a fixed column keeps its bevel
       g.Column(1).SetColor(0x00FF00);
       RenderGrid empty(0, 2);
       return Join({Captions(g), empty.Column(1).GetHTML()});
     }},
    {"toolbars", [] {  // top and bottom, page lists, a detail's small one
       TZylHTMLGrid grid(nullptr), master(nullptr), detail(nullptr);
       grid.SetName("G");
       std::string bars = Join({grid.GetToolbar(true), grid.GetToolbar(false)});
       grid.SetRowCount(0);
       std::string none = grid.GetToolbar(true);
       grid.SetTotalRowCount(81);
       grid.SetPage(2);
       std::string three = grid.GetToolbar(true);
       grid.SetTotalRowCount(80);
       grid.SetPage(9);  // beyond the count: nothing selected
       std::string beyond = grid.GetToolbar(true);
       grid.SetRowsPerPage(0);  // every record on one page
       std::string one = grid.GetToolbar(true);
       master.SetName("M");
       detail.SetName("D");
       detail.SetMasterGrid(&master);
       std::string reduced = detail.GetToolbar(true);
       detail.SetSmallToolbar(false);
       return Join({bars, none, three, beyond, one, reduced, detail.GetToolbar(true)});
     }},
    {"page_plain", [] {  // default, sized, without rows, preloaded images
       TZylHTMLGrid grid(nullptr);
       grid.SetName("Grid1");
       std::string plain = Page(grid);
       grid.SetWidth(80);
       grid.SetWidthPercent(true);
       std::string sized = Page(grid);
       grid.SetRowCount(0);
       std::string empty = Page(grid);
       grid.SetImagesURL("/img/");
       grid.SetCacheBitmaps(true);
       return Join({plain, sized, empty, Page(grid)});
     }},
    {"page_query_string_and_error_box", [] {
       ::setenv("SCRIPT_NAME", "/app", 1);
       TZylCSS css(nullptr);
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetCSS(&css);
       grid.SetQueryString("id=7&x=<y>");  // on the data form only
       std::string page = Page(grid);
       ::unsetenv("SCRIPT_NAME");
       css.SetErrorText("Boom\\nagain <b>");
       std::string hidden = Page(grid);  // only with ShowErrorBox
       grid.SetShowErrorBox(true);
       return Join({page, hidden, Page(grid)});
     }},
    {"page_editable", [] {  // the edit toolbar's states, the script, the zipped page
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetColCount(2);
       grid.GetColumns(1)->SetEditMode(true);
       std::string normal = Page(grid);
       grid.SetAddingRecord(true);
       std::string adding = Page(grid);
       grid.SetAddingRecord(false);
       grid.SetDoMadeSum(true);
       std::string summing = Page(grid);
       grid.SetDoMadeSum(false);
       grid.SetRowCount(0);
       return Join({normal, adding, summing, Page(grid), grid.GetHTMLZip()});
     }},
    {"page_accessible", [] {  // AccessibleMarkup: header cells, labels, alternative texts, alert
       RenderGrid g(2, 3);
       g.grid.SetName("G");
       g.grid.SetHeader("Cities");
       g.grid.SetAccessibleMarkup(true);
       g.grid.Loaded();  // the row-number column (0), then City (1), Open "now" (2) and Kind (3)
       g.grid.SetShowSelectors(true);
       g.grid.SetUpdatByEnter(true);
       g.grid.SetShowErrorBox(true);
       g.css.SetErrorText("Bad <value>\\nagain");
       for (int c = 1; c < 4; ++c) g.Column(c).SetEditMode(c != 2);
       g.Column(1).SetCaption("City");
       g.Column(2).SetCaption("Open \"now\"");
       g.Column(2).SetDataType(TFieldType::ftBoolean);
       g.Column(3).SetCaption("Kind");
       g.Column(3).PickList().SetCommaText("Town,Village");
       g.Column(3).ValueList().SetCommaText("t,v");
       g.Column(1).SetSortOrder(TSortOrder::soDescending);
       return Page(g.grid);
     }},
    {"page_detail_while_master_adds", [] {
       TZylHTMLGrid master(nullptr), detail(nullptr);
       master.SetName("M");
       detail.SetName("D");
       detail.SetColCount(2);
       detail.GetCells(0, 1)->SetValue("detail-row-value");
       detail.GetColumns(1)->SetEditMode(true);
       master.SetDetailGrid(&detail);
       detail.SetMasterGrid(&master);
       master.SetAddingRecord(true);
       std::string page = Page(detail);
       bool unlocked = detail.GetEditMode() || detail.GetShowGlyphs() || detail.GetSelectable();
       return page + (unlocked ? "\n-- the detail still edits, sorts or selects" : "");
     }},
};

class FragmentTest : public ::testing::TestWithParam<Fragment> {};

TEST_P(FragmentTest, MatchesItsGoldenFile) {
  harness::ExpectGolden(std::string("render/golden/") + GetParam().name + ".html",
                        GetParam().render());
}

INSTANTIATE_TEST_SUITE_P(Golden, FragmentTest, ::testing::ValuesIn(kFragments),
                         [](const ::testing::TestParamInfo<Fragment>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace
}  // namespace zyl
