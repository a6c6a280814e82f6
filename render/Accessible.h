// The markup that AccessibleMarkup adds to the page, in one place. With the
// property off, every helper here writes nothing, so the page keeps its
// classic bytes. With it on, the grid writes:
//  - captions as TH scope="col" (aria-sort on the sorted column), the fixed
//    cells of the body (the record numbers) as TH scope="row", and a
//    visually hidden CAPTION with the Header in the data table;
//  - role="presentation" on the tables that only lay out the page (bevels,
//    frames, toolbars), so that the data table is the one table read out;
//  - ALT="" on decorative images and an ALT on every image that means
//    something; the sort buttons name their column ("Sort City ascending");
//  - an aria-label on every control the visitor changes: the toolbar's
//    lists and boxes take the grid's Text* texts, edit controls and column
//    selectors their column's caption;
//  - role="alert" on the error box (its text area read-only);
//  - aria-current="true" on the current record's row; the invisible Enter
//    button of an edited grid is taken out of the tab order.
// The tab order stays the document order: nothing sets a positive TABINDEX.
//
// Internal to the library (the renderers in render/ use it).
#pragma once

#include <string>
#include <string_view>

#include "grid/ZylHTMLGrid.h"

namespace zyl::render {

// " role=\"presentation\"" for a layout table, "" with the property off.
inline std::string_view LayoutRole(const TZylHTMLGrid& grid) {
  return grid.GetAccessibleMarkup() ? " role=\"presentation\"" : "";
}

// " ALT=\"\"" for a decorative image, "" with the property off.
inline std::string_view DecorativeAlt(const TZylHTMLGrid& grid) {
  return grid.GetAccessibleMarkup() ? " ALT=\"\"" : "";
}

// " aria-label=\"<label>\"", "" with the property off. `label` is data (a
// caption) and is escaped; `hostText` is a text the host configures and is
// written as it is (render/HtmlWriter.h).
std::string AriaLabel(const TZylHTMLGrid& grid, std::string_view label);
std::string AriaLabelText(const TZylHTMLGrid& grid, std::string_view hostText);

// The alternative text of a sort button: the grid's text with the column's
// caption after its first word ("Sort ascending", "City": "Sort City
// ascending"; a text of one word gets the caption after it). The caption is
// escaped, CR LF shown as a blank.
std::string SortButtonAlt(std::string_view text, std::string_view caption);

}  // namespace zyl::render
