// Page fragments compared byte for byte with golden files
// (tests/render/golden/<case>.html): cells and their edit controls,
// fixed cells with the record marker, captions with sort buttons,
// toolbars and whole pages. Parts of one case are joined by "\n====\n";
// a case that composes styles ends with its style sheet.
// To add a case: append it to kFragments, run with ZYL_UPDATE_GOLDEN=1,
// review the new file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <regex>

#include "harness/Golden.h"
#include "RenderTestSupport.h"

namespace zyl {
namespace {

using test::RenderGrid;

std::string Join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : "\n====\n") + part;
  return out;
}

// Column 1 edits field 4; row r shows record r.
struct EditGrid : RenderGrid {
  explicit EditGrid(int rows = 1) : RenderGrid(rows, 3) {
    Column(1).SetEditMode(true);
    Column(1).SetFieldIndex(4);
  }
};

// The page's text with its random page identity replaced by "GUID".
std::string Page(TZylHTMLGrid& grid) {
  static const std::regex kGuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
  return std::regex_replace(grid.GetHTML().GetText(), kGuid, "GUID");
}

struct Fragment {
  const char* name;
  std::function<std::string()> render;
};
void PrintTo(const Fragment& fragment, std::ostream* out) { *out << fragment.name; }

const Fragment kFragments[] = {
    {"cell_white", [] { RenderGrid g(2, 3); g.Cell(1, 1).SetValue("abc"); return g.Row(1) + g.SheetText(); }},
    {"cell_row_tint", [] {
       RenderGrid g(2, 3);
       g.grid.SetOddRowColor(clBlue);
       g.Cell(1, 1).SetColor(clRed);
       return g.Row(1);
     }},
    {"cell_column_colours", [] {
       RenderGrid g(1, 3);
       g.grid.SetOddColColor(0x00FFFF);
       std::string unset = g.Row(0);
       g.Cell(0, 1).SetColor(0x0000FF);
       return Join({unset, g.Row(0)});
     }},
    {"cell_current_row", [] {
       RenderGrid g(2, 3);
       g.grid.Loaded();  // adds the row-number column
       g.Cell(0, 1).SetColor(clRed);
       g.Cell(0, 2).SetColor(clGreen);
       std::string current = g.Row(0), other = g.Row(1);
       g.grid.SetShowRowNumber(false);
       g.grid.SetEvenRowColor(0x00FF00);
       return Join({current, other, g.Row(0)});
     }},
    {"edit_text", [] { EditGrid g; g.Cell(0, 1).SetValue("abc"); return g.Row(0) + g.SheetText(); }},
    {"edit_memo", [] {
       EditGrid g;
       g.Column(1).SetDataType(TFieldType::ftMemo);
       g.Cell(0, 1).SetValue("line 1\r\nline 2");
       return g.Row(0);
     }},
    {"edit_checkbox", [] {
       EditGrid g;
       g.Column(1).SetDataType(TFieldType::ftBoolean);
       g.Cell(0, 1).SetBooleanValue(true);
       std::string on = g.Row(0);
       g.Cell(0, 1).SetBooleanValue(false);
       return Join({on, g.Row(0)});
     }},
    {"edit_pick_list", [] {
       EditGrid g;
       g.Column(1).SetDataType(TFieldType::ftBoolean);  // the pick list comes first
       g.Column(1).PickList().SetCommaText("Red,Green,Blue");
       g.Column(1).ValueList().SetCommaText("r,g");  // the extra text is left out
       g.Cell(0, 1).SetValue("g");
       std::string chosen = g.Row(0);
       g.Cell(0, 1).SetValue("G");  // compared exactly: nothing selected
       std::string none = g.Row(0);
       g.Column(1).ValueList().SetCommaText("g,g,g");
       g.Cell(0, 1).SetValue("g");
       return Join({chosen, none, g.Row(0)});
     }},
    {"edit_current_row_only", [] {
       EditGrid g(3);
       g.grid.SetRecNo(1);
       for (int r = 0; r < 3; ++r) g.Cell(r, 1).SetValue("v");
       std::string current = Join({g.Row(0), g.Row(1), g.Row(2)}) + g.SheetText();
       g.grid.SetEditStyle(TEditStyle::AllRows);
       std::string all = Join({g.Row(0), g.Row(1), g.Row(2)});
       g.Column(1).SetReadOnly(true);
       return Join({current, all, g.Row(1)});
     }},
    {"edit_adding_record", [] {
       EditGrid g(3);
       g.grid.SetEditStyle(TEditStyle::AllRows);
       g.Column(2).SetEditMode(true);
       g.Column(2).PickList().SetCommaText("Red,Green");
       g.Column(2).ValueList().SetCommaText("r,g");
       g.grid.SetAddingRecord(true);
       std::string rows = Join({g.Row(0), g.Row(1), g.Row(2)});
       g.Column(2).SetLimitToPickList(true);
       std::string limited = g.Row(2);
       g.grid.SetEditStyle(TEditStyle::CurrentRow);
       return Join({rows, limited, g.Row(2)});
     }},
    {"edit_summary_row", [] {
       EditGrid g(3);
       g.grid.SetEditStyle(TEditStyle::AllRows);
       g.Column(1).SetDataType(TFieldType::ftBoolean);
       g.Column(2).PickList().SetCommaText("Red");
       g.Column(2).ValueList().SetCommaText("r");
       g.grid.SetDoMadeSum(true);
       g.Cell(2, 1).SetValue("2");
       g.Cell(2, 2).SetValue("r");
       std::string sum = Join({g.Row(1), g.Row(2)});
       g.grid.SetDoMadeSum(false);
       g.grid.SetDoMadeSA(true);
       return Join({sum, g.Row(2)});
     }},
    {"text_boolean", [] {
       RenderGrid g(1, 3);
       g.Column(1).SetDataType(TFieldType::ftBoolean);
       g.Cell(0, 1).SetBooleanValue(true);
       std::string on = g.Row(0);
       g.Cell(0, 1).SetBooleanValue(false);
       return Join({on, g.Row(0)});
     }},
    {"text_line_breaks", [] {
       RenderGrid g(1, 3);
       g.Cell(0, 1).SetValue("a\r\nb\nc\rd");
       std::string plain = g.Row(0);
       g.Column(1).SetWordWrap(true);
       return Join({plain, g.Row(0)}) + g.SheetText();
     }},
    {"text_pick_list", [] {
       RenderGrid g(1, 3);
       g.Column(1).PickList().SetCommaText("Red,Green");
       g.Column(1).ValueList().SetCommaText("r,g,b");
       std::string out;
       for (const char* value : {"g", "G", "x", "b"}) {  // case-blind; missing and textless: raw
         g.Cell(0, 1).SetValue(value);
         out = out.empty() ? g.Row(0) : Join({out, g.Row(0)});
       }
       return out;
     }},
    {"text_size_alignment", [] {
       RenderGrid g(1, 3);
       TZylField& cell = g.Cell(0, 1);
       cell.SetWidth(80);
       cell.SetHeight(0);
       cell.SetHAlign(HAlignment::alCenter);
       cell.SetVAlign(VAlignment::alBaseline);
       std::string attributes = g.Row(0);
       cell.SetHAlign(HAlignment::alChar);  // the class carries it
       cell.SetVAlign(VAlignment::alMiddle);
       return Join({attributes, g.Row(0)}) + g.SheetText();
     }},
    {"text_without_sheet", [] {
       RenderGrid g(1, 3, false);
       g.Cell(0, 1).SetValue("x");
       return g.Row(0) + g.SheetText();
     }},
    {"marker_record_buttons", [] {
       RenderGrid g(3, 3);
       g.grid.Loaded();
       g.grid.SetRecNo(1);
       return Join({g.Row(0), g.Row(1), g.Row(0)});  // the marker column's settings come back
     }},
    {"marker_summary", [] {
       RenderGrid g(3, 3);
       g.grid.Loaded();
       g.grid.SetDoMadeSum(true);
       return Join({g.Row(1), g.Row(2)});
     }},
    {"marker_new_record", [] {
       RenderGrid g(3, 3);
       g.grid.Loaded();
       g.grid.SetRecNo(1);
       g.grid.SetAddingRecord(true);
       return Join({g.Row(1), g.Row(2)});
     }},
    {"marker_enter_key", [] {
       RenderGrid g(2, 3);
       g.grid.Loaded();
       g.grid.SetUpdatByEnter(true);
       std::string browsing = g.Row(0);
       g.Column(1).SetEditMode(true);
       return Join({browsing, g.Row(0), g.Row(1)});
     }},
    {"fixed_cells_without_row_numbers", [] {
       RenderGrid g(2, 3);
       g.grid.Loaded();
       g.grid.SetShowRowNumber(false);
       g.Cell(1, 0).SetValue("label");
       std::string label = g.Row(1);
       g.grid.SetFixedRows(2);
       g.Cell(0, 1).SetValue("head");
       return Join({label, g.Row(0), g.Row(1)});
     }},
    {"caption_bevel", [] {
       RenderGrid g(2, 3);
       g.Column(1).SetCaption("Name");
       return g.Column(1).GetHTML() + g.SheetText();
     }},
    {"caption_selector_marker", [] {
       RenderGrid g(1, 2);
       g.Column(1).SetShowSelector(true);
       g.Column(1).SetShowCurrent(true);
       g.Column(1).SetCurrentHTML("<B>*</B>");
       g.Column(1).SetShowGlyph(false);
       return g.Column(1).Build("Qty", false, false);
     }},
    {"caption_flat", [] {
       RenderGrid g(1, 3);
       g.grid.SetFixedRows(0);
       g.Column(1).SetColor(0x00FF00);
       return Join({g.Column(0).GetHTML(), g.Column(1).GetHTML(), g.Column(2).GetHTML()});
     }},
    {"caption_without_rows", [] { RenderGrid g(0, 2); return g.Column(1).GetHTML(); }},
    {"caption_not_selectable", [] {
       RenderGrid g(2, 3);
       g.grid.SetSelectable(false);
       return Join({g.Column(0).GetHTML(), g.Column(1).GetHTML()});
     }},
    {"caption_sort_order", [] {
       RenderGrid g(3, 4);
       g.Column(2).SetSortOrder(TSortOrder::soDescending);
       return Join({g.Column(0).GetHTML(), g.Column(1).GetHTML(), g.Column(2).GetHTML(),
                    g.Column(3).GetHTML()});
     }},
    {"caption_glyph", [] {
       RenderGrid g(1, 2);
       TZylGlyph& glyph = *g.Column(1).Glyph();
       glyph.SetAlignASC(VAlignment::alBaseline);
       glyph.SetAlignDSC(VAlignment::alTop);
       glyph.SetWidthASC(-1);
       glyph.SetHeightDSC(-1);
       glyph.SetBorderDSC(2);
       g.grid.SetAltSortAscending("Up");
       std::string built = glyph.Build();
       glyph.SetHTML("<I>sort</I>");
       return Join({built, g.Column(1).GetHTML()});
     }},
    {"caption_line_breaks", [] {
       RenderGrid g(1, 2);
       g.Column(1).SetCaption("Unit\r\nPrice");
       std::string plain = g.Column(1).GetHTML();
       g.Column(1).SetWordWrap(true);
       return Join({plain, g.Column(1).GetHTML()});
     }},
    {"caption_without_sheet", [] {
       RenderGrid g(1, 2, false);
       g.Column(1).SetShowSelector(true);
       return g.Column(1).GetHTML();
     }},
    {"toolbar_top_and_bottom", [] {
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       return Join({grid.GetToolbar(true), grid.GetToolbar(false)});
     }},
    {"toolbar_page_lists", [] {
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetRowCount(0);
       std::string none = grid.GetToolbar(true);
       grid.SetTotalRowCount(81);
       grid.SetPage(2);
       std::string three = grid.GetToolbar(true);
       grid.SetTotalRowCount(80);
       std::string two = grid.GetToolbar(true);
       grid.SetPage(9);  // beyond the count: nothing selected
       std::string beyond = grid.GetToolbar(true);
       grid.SetRowsPerPage(0);  // every record on one page
       return Join({none, three, two, beyond, grid.GetToolbar(true)});
     }},
    {"toolbar_detail", [] {
       TZylHTMLGrid master(nullptr), detail(nullptr);
       master.SetName("M");
       detail.SetName("D");
       detail.SetMasterGrid(&master);
       std::string reduced = detail.GetToolbar(true);
       detail.SetSmallToolbar(false);
       return Join({reduced, detail.GetToolbar(true)});
     }},
    {"page_default", [] {
       TZylHTMLGrid grid(nullptr);
       grid.SetName("Grid1");
       return Page(grid);
     }},
    {"page_width_percent", [] {
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetWidth(80);
       grid.SetWidthPercent(true);
       return Page(grid);
     }},
    {"page_query_string", [] {
       ::setenv("SCRIPT_NAME", "/app", 1);
       TZylCSS css(nullptr);
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetCSS(&css);
       grid.SetQueryString("id=7&x=<y>");
       std::string page = Page(grid);
       ::unsetenv("SCRIPT_NAME");
       return page;
     }},
    {"page_editable", [] {
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
       return page + (detail.GetEditMode() || detail.GetShowGlyphs() || detail.GetSelectable()
                          ? "\n-- the detail still edits, sorts or selects"
                          : "");
     }},
    {"page_without_rows", [] {
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetRowCount(0);
       return Page(grid);
     }},
    {"page_error_box", [] {
       TZylCSS css(nullptr);
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetCSS(&css);
       css.SetErrorText("Boom\\nagain <b>");
       std::string hidden = Page(grid);  // only with ShowErrorBox
       grid.SetShowErrorBox(true);
       return Join({hidden, Page(grid)});
     }},
    {"page_preloaded_images", [] {
       TZylHTMLGrid grid(nullptr);
       grid.SetName("G");
       grid.SetImagesURL("/img/");
       grid.SetCacheBitmaps(true);
       return Page(grid);
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
