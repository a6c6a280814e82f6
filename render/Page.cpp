// The grid's page: reading HTML builds the framed fragment into the grid's
// own page text, one item per piece: page script, anchor, preloaded images,
// header bar, error box, toolbars, the selectors form with the vertical
// toolbar and the captions, the data form with its hidden state and rows,
// the edit toolbar and a nested detail grid.
//
// Texts the host configures (Header, Alt*, Text*, ImagesURL) are written as
// HTML on purpose; the script name and query string come from the request
// and are escaped where they enter attributes.
#include <bit>
#include <cstdint>
#include <cstring>
#include <set>
#include <string_view>
#include <vector>

#include "grid/ZylHTMLGrid.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "render/Accessible.h"
#include "render/HtmlWriter.h"
#include "render/RowRenderer.h"
#include "request/FormProtocol.h"
#include "request/RowIdentity.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

// The first CR or LF in [pos, end), or end.
const char* FindLineBreak(const char* pos, const char* end) {
  const void* cr = std::memchr(pos, '\r', static_cast<std::size_t>(end - pos));
  const char* limit = cr != nullptr ? static_cast<const char*>(cr) : end;
  const void* lf = std::memchr(pos, '\n', static_cast<std::size_t>(limit - pos));
  return lf != nullptr ? static_cast<const char*>(lf) : limit;
}

bool HasLineBreak(std::string_view text) {
  return FindLineBreak(text.data(), text.data() + text.size()) != text.data() + text.size();
}

// Calls `add` with each line of `text` as the string list splits text: at
// CR, LF or CR LF; a text that ends with a line break has no empty last line.
template <typename Add>
void ForEachLine(std::string_view text, Add add) {
  const char* pos = text.data();
  const char* const stop = pos + text.size();
  while (pos != stop) {
    const char* end = FindLineBreak(pos, stop);
    add(std::string(pos, end));
    if (end == stop) break;
    pos = end + 1;
    if (*end == '\r' && pos != stop && *pos == '\n') ++pos;
  }
}

// Appends `text` to the page as separate lines, with the result of setting
// the list's text to its text plus `text`: the new lines and the lines of
// any earlier multi-line item become one item each. Since the text puts CR
// LF after every item, each item splits on its own: when all items are
// single lines already (the page after its first toolbar) only the new text
// is split, so a large table's page list (one line per page) is not joined
// and split again for every later piece.
void AppendLines(TStringList& page, const std::string& text) {
  if (page.GetSorted()) {
    std::string all = page.GetText();
    all += text;
    page.SetText(all);
    return;
  }
  auto single = [&page](int i) {
    const std::string& item = page[i];
    return page.GetObject(i) == 0 && !HasLineBreak(item);
  };
  page.BeginUpdate();
  int first = 0;
  while (first < page.Count() && single(first)) ++first;
  if (first < page.Count()) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(page.Count() - first) * 2);
    for (int i = first; i < page.Count(); ++i) {
      if (single(i)) {
        lines.push_back(page[i]);
      } else {
        ForEachLine(page[i] + "\r\n",
                    [&lines](std::string line) { lines.push_back(std::move(line)); });
      }
    }
    while (page.Count() > first) page.Delete(page.Count() - 1);
    for (std::string& line : lines) page.Add(std::move(line));
  }
  ForEachLine(text, [&page](std::string line) { page.Add(std::move(line)); });
  page.EndUpdate();
}

// Adds `item` to the page; when `split`, as the lines AppendLines would
// later make of it, so that appending the bottom toolbar finds nothing to
// split again.
void AddItem(TStringList& page, std::string item, bool split) {
  if (!split || !HasLineBreak(item)) {
    page.Add(std::move(item));
    return;
  }
  item += "\r\n";
  ForEachLine(item, [&page](std::string line) { page.Add(std::move(line)); });
}

}  // namespace

namespace render {

// Where the page's items go: the grid's list of items, or one text as the
// list's lines would give it once the bottom toolbar has split every item
// (each line ends with CR LF).
class PageSink {
 public:
  PageSink(TStringList& list, std::string* text) : list_(list), text_(text) {}
  // The list the handlers see (empty while writing text).
  TStringList& List() { return list_; }
  bool WritesText() const { return text_ != nullptr; }
  void Add(std::string item) {
    if (text_ == nullptr) {
      list_.Add(std::move(item));
    } else {
      AppendNormalized(item, true);
    }
  }
  void AddItem(std::string item, bool split) {
    if (text_ == nullptr) {
      zyl::AddItem(list_, std::move(item), split);
    } else {
      AppendNormalized(item, true);
    }
  }
  // Adds the item `write` puts into an HtmlWriter; while writing text it
  // is written in place, and only an item with other line breaks than CR
  // LF is taken out again to be normalized.
  template <typename Write>
  void AddWritten(Write write, bool split) {
    if (text_ == nullptr) {
      std::string item;
      HtmlWriter out(item);
      write(out);
      zyl::AddItem(list_, std::move(item), split);
      return;
    }
    const std::size_t mark = text_->size();
    HtmlWriter out(*text_);
    write(out);
    if (OnlyCrLf(std::string_view(*text_).substr(mark))) {
      text_->append("\r\n");
      return;
    }
    std::string item = out.TakeFrom(mark);
    AppendNormalized(item, true);
  }
  void AppendLines(const std::string& text) {
    if (text_ == nullptr) {
      zyl::AppendLines(list_, text);
    } else {
      const bool open = !text.empty() && text.back() != '\r' && text.back() != '\n';
      AppendNormalized(text, open);
    }
  }

 private:
  // `text` with every line break (CR, LF or CR LF) written as CR LF, and
  // one more CR LF when `close`. Runs whose breaks are CR LF already (the
  // renderers' own) go in whole.
  void AppendNormalized(std::string_view text, bool close) {
    if (OnlyCrLf(text)) {
      text_->append(text);
      if (close) text_->append("\r\n");
      return;
    }
    const char* pos = text.data();
    const char* const stop = pos + text.size();
    const char* run = pos;
    while (pos != stop) {
      const char* end = FindLineBreak(pos, stop);
      if (end == stop) break;
      pos = end + 1;
      if (*end == '\r' && pos != stop && *pos == '\n') {
        ++pos;
        continue;
      }
      text_->append(run, static_cast<std::size_t>(end - run));
      text_->append("\r\n");
      run = pos;
    }
    text_->append(run, static_cast<std::size_t>(stop - run));
    if (close) text_->append("\r\n");
  }

  // Whether every line break of `text` is CR LF already (no lone CR or LF):
  // every LF comes right after a CR and every CR right before an LF. On a
  // little-endian machine sixteen bytes at a time: the lanes holding LF
  // must be exactly those after the lanes holding CR.
  static bool OnlyCrLf(std::string_view text) {
    const char* const p = text.data();
    const std::size_t n = text.size();
    bool afterCr = false;  // the byte before holds CR
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
      using Block = unsigned char __attribute__((vector_size(16)));
      std::uint64_t carry = 0;  // 0xFF in the low byte when the block before ended in CR
      for (; i + sizeof(Block) <= n; i += sizeof(Block)) {
        Block block;
        std::memcpy(&block, p + i, sizeof block);
        const auto crs = block == '\r', lfs = block == '\n';
        std::uint64_t cr[2], lf[2];
        std::memcpy(cr, &crs, sizeof cr);
        std::memcpy(lf, &lfs, sizeof lf);
        if (lf[0] != ((cr[0] << 8) | carry) || lf[1] != ((cr[1] << 8) | (cr[0] >> 56)))
          return false;
        carry = cr[1] >> 56;
      }
      afterCr = carry != 0;
    }
    for (; i < n; ++i) {
      if (afterCr != (p[i] == '\n')) return false;
      afterCr = p[i] == '\r';
    }
    return !afterCr;
  }

  TStringList& list_;
  std::string* text_;
};

}  // namespace render

bool TZylHTMLGrid::LockedByMaster() const {
  std::set<const TZylHTMLGrid*> seen{this};
  for (const TZylHTMLGrid* m = links_.masterGrid; m != nullptr && seen.insert(m).second;
       m = m->links_.masterGrid) {
    if (m->editing_.addingRecord) return true;
  }
  return false;
}

TStringList& TZylHTMLGrid::GetHTML() {
  pageText_.Clear();
  render::PageSink page(pageText_, nullptr);
  BuildHTML(page);
  return pageText_;
}

std::string TZylHTMLGrid::GetHTMLText() {
  // The bottom toolbar splits every item into lines (AppendLines), so the
  // text is the items' lines; without it, or with a handler that may look
  // at the items, the list is built.
  const bool text = look_.showBottomToolBar && !LockedByMaster() && !pageText_.GetSorted() &&
                    !OnBeforeHTMLGeneration && !OnAfterHTMLGeneration && !OnBeforeAddHeader &&
                    !OnAfterAddHeader && !OnBeforeAddToobar && !OnAfterAddToobar &&
                    !OnAddHiddenVariables && !OnAddPlugin;
  if (!text) return GetHTML().GetText();
  pageText_.Clear();
  std::string html;
  html.reserve(4096 + 2048 * static_cast<std::size_t>(rows_.Count()));
  render::PageSink page(pageText_, &html);
  BuildHTML(page);
  return html;
}

void TZylHTMLGrid::BuildHTML(render::PageSink& page) {
  std::string size;
  if (editing_.guid.empty() && links_.css != nullptr) editing_.guid = links_.css->GetGUID();
  if (look_.width > 0) {
    size += " WIDTH=\"" + std::to_string(look_.width) + (look_.widthPercent ? "%" : "") + "\"";
  }
  if (look_.height > 0) {
    size += " HEIGHT=\"" + std::to_string(look_.height) + (look_.heightPercent ? "%" : "") + "\"";
  }
  bool locked = LockedByMaster();
  if (locked) {
    for (TZylColumn* c : columns_) c->SetEditMode(false);
    SetShowTopToolBar(false);
    SetShowBottomToolBar(false);
    SetShowVerticalToolbar(false);
    SetShowGlyphs(false);
    SetSelectable(false);
  }
  if (OnBeforeHTMLGeneration) OnBeforeHTMLGeneration(this, page.List());

  std::string headerClass;
  ComposeCSS(look_.headerFont, look_.headerFontStyle, look_.wordWrap, look_.headerHAlign,
             look_.headerVAlign, "", look_.textIndent, headerClass);
  bool editMode = GetEditMode();
  if (links_.masterGrid == nullptr && editMode) page.Add(GetJavaScript());
  page.Add("<A NAME=\"" + GetName() + "\"></A>");
  if (look_.cacheBitmaps && links_.masterGrid == nullptr) page.Add(GetCachedBitmaps(""));

  const std::string layout(render::LayoutRole(*this));
  page.Add("<TABLE BORDER=\"0\" CELLPADDING=\"1\" CELLSPACING=\"0\"" + size + layout +
           "><TR><TD BGCOLOR=\"#" + IntToHex(ColorToRGB(look_.background), 6) + "\">");
  page.Add("<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"0\"" + layout + ">");
  page.Add("<TR><TD BGCOLOR=\"" + IntToHex(ColorToRGB(look_.headerColor), 6) + "\" CLASS=\"" +
           headerClass + "\">");
  if (OnBeforeAddHeader) OnBeforeAddHeader(this, page.List());
  page.Add("&nbsp;" + look_.header + "&nbsp;");
  if (finding_.quickSearch || finding_.viewLink) page.Add(GetSearchBoxHTML());
  if (OnAfterAddHeader) OnAfterAddHeader(this, page.List());
  page.Add("</TD></TR>");
  page.Add("</TABLE>");
  std::string bevel = "<IMG SRC=\"" + look_.imagesURL + "GBevel.gif\" WIDTH=\"100%\" HEIGHT=\"9\"" +
                      std::string(render::DecorativeAlt(*this)) + ">";
  page.Add(bevel);

  if (editing_.showErrorBox && links_.css != nullptr && !links_.css->GetErrorText().empty()) {
    page.Add(GetErrorBox(links_.css->GetErrorText()));
  } else if (!reading_.readError.empty()) {
    page.Add(GetErrorBox("Error:\\n" + reading_.readError));
  }
  if (look_.showTopToolBar) {
    if (OnBeforeAddToobar) OnBeforeAddToobar(this, page.List());
    page.AppendLines(GetToolbar(true));
    if (OnAfterAddToobar) OnAfterAddToobar(this, page.List());
  }

  // The bottom toolbar splits every item into lines: with nobody to see the
  // items in between, the items from here on are added split already.
  const bool split = look_.showBottomToolBar && !page.List().GetSorted() && !OnBeforeAddToobar &&
                     !OnAddHiddenVariables && !OnAddPlugin;
  size = " WIDTH=\"100%\" HEIGHT=\"100%\"";
  page.Add("<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"1\"" + size + layout + ">");
  page.Add("<TR>");
  page.Add(" <TD BGCOLOR=\"#" + IntToHex(ColorToRGB(look_.borderColor), 6) + "\">");
  page.Add("  <TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"" +
           std::to_string(look_.borderWidth) + "\"" + size + ">");
  if (look_.accessibleMarkup) {
    // The table's name for assistive technology; the header bar shows it.
    page.Add(
        "<CAPTION STYLE=\"position:absolute;width:1px;height:1px;overflow:hidden;"
        "clip:rect(0 0 0 0);white-space:nowrap\">" +
        look_.header + "</CAPTION>");
  }

  std::string script = EscapeHtml(GetScriptName());
  page.Add("<FORM NAME=\"" + GetName() + "_SELECTORS\" METHOD=\"POST\" ACTION=\"" + script + "#" +
           GetName() + "\">");
  if (OnAddHiddenVariables) OnAddHiddenVariables(this, page.List());
  page.Add("   <TR>");
  if (look_.showVerticalToolbar) {
    int spanned = GetRowCount() + (finding_.filterRow ? 2 : 1);
    page.Add("<TD WIDTH=\"24\" ROWSPAN=\"" + std::to_string(spanned) + "\" BGCOLOR=\"" +
             IntToHex(ColorToRGB(look_.background), 6) + "\" BACKGROUND=\"" + look_.imagesURL +
             "GBevelV.gif\" VALIGN=\"TOP\">");
    page.AddItem(GetSettingsHV(std::string(form::kVerticalToolbarExclusions), this), split);
    if (GetRowCount() > 0) {
      auto button = [&](std::string_view name, const char* image, const std::string& alt) {
        page.Add("<INPUT TYPE=\"IMAGE\"  NAME=\"" + std::string(name) + "\" SRC=\"" +
                 look_.imagesURL + image + "\" WIDTH=\"24\" HEIGHT=\"24\" BORDER=\"0\" ALT=\"" +
                 alt + "\"><BR>");
      };
      if (look_.glyphToggle && look_.showGlyphs)
        button(form::kGlyphsOff, "GSortOff.gif", texts_.altHideSortGlyphs);
      if (look_.glyphToggle && !look_.showGlyphs)
        button(form::kGlyphsOn, "GSortOn.gif", texts_.altShowSortGlyphs);
      if (look_.selectable && look_.showSelectors) {
        button(form::kSelectorsApply, "GCheck.gif", texts_.altShowSelectedColumns);
        button(form::kSelectorsOff, "GCheckOff.gif", texts_.altShowAllColumns);
      }
      if (look_.selectable && !look_.showSelectors) {
        button(form::kSelectorsOn, "GCheckOn.gif", texts_.altSelectColumns);
      }
      if (GetSortColumn() != -1) button(form::kSortOff, "GRestoreSort.gif", texts_.altClearSorting);
    }
    if (OnAddPlugin) OnAddPlugin(this, page.List());
    page.Add("</TD>");
  }
  for (int c = 0; c < columns_.Count(); ++c) {
    TZylColumn* column = columns_.Get(c);
    if (!column->GetVisible()) continue;
    // Column 0 never shows a selector checkbox.
    bool selector = column->GetShowSelector();
    if (c == 0 && selector) column->SetShowSelector(false);
    std::string caption = column->GetHTML();
    if (c == 0 && selector) column->SetShowSelector(true);
    page.AddItem(std::move(caption), split);
  }
  page.Add("</FORM>");
  page.Add("   </TR>");
  if (finding_.filterRow && !locked) page.AppendLines(GetFilterRowHTML());

  std::string tableAction = script;
  if (!links_.queryString.empty()) tableAction += "?" + EscapeHtml(links_.queryString);
  page.Add("<FORM NAME=\"" + GetName() + "_TABLE\" METHOD=\"POST\" ACTION=\"" + tableAction + "#" +
           GetName() + "\">");
  page.AddItem(GetSettingsHV("", this), split);
  if (!locked) {
    for (int r = 0; r < rows_.Count(); ++r) {
      TZylRow& row = *rows_.Get(r);
      page.AddWritten(
          [&](render::HtmlWriter& out) { render::RowRenderer(*this, out).AppendHTML(row); }, split);
    }
    // Each row with edit controls names its record (request/RowIdentity.h).
    if (editing_.rowIdentity && editMode && !editing_.addingRecord && links_.css != nullptr) {
      const std::string& secret = links_.css->GetSiteSecret();
      for (int r = 0; r < rows_.Count(); ++r) {
        const TZylRow& row = *rows_.Get(r);
        bool edited =
            editing_.editStyle != TEditStyle::CurrentRow || row.GetRecNo() == paging_.recNo;
        if (row.GetRecordKey().empty() || !row.GetVisible() || !edited) continue;
        std::string value = form::SignRowIdentity(secret, GetName(), row.GetRecNo(),
                                                  {row.GetRecordKey(), row.GetFingerprint()});
        page.Add("<INPUT TYPE=\"HIDDEN\" NAME=\"" + form::RowIdentityField(row.GetRecNo()) +
                 "\" VALUE=\"" + EscapeHtml(value) + "\">");
      }
    }
  }
  page.Add("  </TABLE>");
  page.Add(" </TD>");
  editMode = GetEditMode();
  if (!editMode) page.Add("</FORM>");
  page.Add("</TR>");
  page.Add("</TABLE>");
  if (editMode) {
    AppendEditToolbar(page);
  } else {
    page.Add(bevel);
  }
  if (look_.showBottomToolBar) {
    if (OnBeforeAddToobar) OnBeforeAddToobar(this, page.List());
    page.AppendLines(GetToolbar(false));
    if (OnAfterAddToobar) OnAfterAddToobar(this, page.List());
  }
  if (links_.detailGrid != nullptr) page.AppendLines(links_.detailGrid->GetHTML().GetText());
  page.Add("</TD></TR></TABLE>");
  if (OnAfterHTMLGeneration) OnAfterHTMLGeneration(this, page.List());
}

void TZylHTMLGrid::AppendEditToolbar(render::PageSink& page) {
  auto active = [this](std::string_view name, const char* image, const std::string& alt,
                       const char* ending) {
    return "<INPUT TYPE=\"IMAGE\" NAME=\"" + std::string(name) + "\" SRC=\"" + look_.imagesURL +
           image + "\" WIDTH=\"24\" HEIGHT=\"24\" BORDER=\"0\" ALT=\"" + alt + ending;
  };
  auto inactive = [this](const char* image, const std::string& alt) {
    return "<IMG SRC=\"" + look_.imagesURL + image +
           "\" WIDTH=\"24\" HEIGHT=\"24\" BORDER=\"0\" ALT=\"" + alt + "\">";
  };
  std::string add = editing_.addingRecord
                        ? inactive("GAddRow.gif", texts_.altAddRecord)
                        : active(form::kAdd, "GAddRow.gif", texts_.altAddRecord, "\">");
  std::string del = inactive("GDelRow.gif", texts_.altDeleteRecord);
  std::string update = inactive("GUpdate.gif", texts_.altUpdate);
  std::string cancel = inactive("GCancel.gif", texts_.altCancelUpdate);
  if (GetRowCount() > 0) {
    update = active(form::kUpdate, "GUpdate.gif", texts_.altUpdate, "\">");
    if (editing_.addingRecord || paging_.doMadeSum || paging_.doMadeSA) {
      cancel = active(form::kCancel, "GCancel.gif", texts_.altCancelUpdate, "\">");
    } else {
      del = active(form::kDelete, "GDelRow.gif", texts_.altDeleteRecord,
                   "\" onClick=\"return CanDelete();\">");
    }
  }
  std::string buttons = add + del + update + cancel;
  page.Add("<TABLE BORDER=\"0\" CELLPADDING=\"" + std::to_string(2 * look_.borderWidth) +
           "\" CELLSPACING=\"0\" WIDTH=\"100%\"" + std::string(render::LayoutRole(*this)) + ">");
  page.Add("<TR>");
  page.Add("<TD BACKGROUND=\"" + look_.imagesURL + "GBevel.gif\">");
  if (editing_.addingRecord) {
    page.Add("<INPUT TYPE=\"HIDDEN\" NAME=\"" + std::string(form::kUpdateAdd) + "\" VALUE=\"1\">");
  }
  const std::string alt(render::DecorativeAlt(*this));
  page.Add("<IMG SRC=\"" + look_.imagesURL + "GUbar.gif\" WIDTH=\"96\" HEIGHT=\"24\" BORDER=\"0\"" +
           alt + ">" + buttons);
  page.Add("</TD>");
  page.Add("<TD BACKGROUND=\"" + look_.imagesURL + "GBevel.gif\" ALIGN=\"RIGHT\">");
  page.Add(buttons + "<IMG SRC=\"" + look_.imagesURL +
           "GUbarR.gif\" WIDTH=\"96\" HEIGHT=\"24\" BORDER=\"0\"" + alt + ">");
  page.Add("</TD>");
  if (OnAddHiddenVariables) OnAddHiddenVariables(this, page.List());
  page.Add("</FORM>");
  page.Add("</TR>");
  page.Add("</TABLE>");
}

void TZylHTMLGrid::SetHTML(const TStringList& lines) {
  pageText_.BeginUpdate();
  pageText_.Assign(lines);
  pageText_.EndUpdate();
}

TZylCSS* TZylHTMLGrid::GetCSS() {
  if (links_.css == nullptr) return nullptr;
  GetHTML();
  return links_.css;
}

}  // namespace zyl
