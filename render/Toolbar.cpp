// The horizontal toolbars above and below the data table: paging buttons,
// page list, page count, rows per page, save-as list, print, sum and
// average, in a frame of 2-pixel cells shaded from the grid's background.
// A detail grid with SmallToolbar shows the reduced toolbar without paging.
#include <algorithm>
#include <charconv>
#include <utility>

#include "grid/ZylHTMLGrid.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "render/Accessible.h"
#include "request/FormProtocol.h"

namespace zyl {

namespace {

constexpr std::string_view kCrLf = "\r\n";
// Pages the toolbar lists one by one when PageNumberBox is on.
constexpr int kPageListLimit = 1000;

// One toolbar cell "<indent><TD BGCOLOR="#<tool>">" followed by `content`.
struct ToolCells {
  std::string& out;
  std::string_view indent;
  std::string_view tool;

  void Open() {
    out += indent;
    out += "<TD BGCOLOR=\"#";
    out += tool;
    out += "\">";
  }
  void Cell(std::string_view content) {
    Open();
    out += content;
    out += kCrLf;
  }
  void Cell3(std::string_view a, std::string_view b, std::string_view c) {
    Open();
    out += a;
    out += b;
    out += c;
    out += kCrLf;
  }
  // An image button; `ending` closes the tag and the cell.
  void Button(std::string_view name, const std::string& imagesURL, std::string_view image,
              std::string_view alt, std::string_view ending = "\"></TD>") {
    Open();
    out += "<INPUT TYPE=\"IMAGE\" NAME=\"";
    out += name;
    out += "\" BORDER=\"0\" SRC=\"";
    out += imagesURL;
    out += image;
    out += "\" WIDTH=\"24\" HEIGHT=\"24\" ALT=\"";
    out += alt;
    out += ending;
    out += kCrLf;
  }
  // The sum and average buttons are written in the vertical toolbar's form.
  void SummaryButton(std::string_view name, const std::string& imagesURL, std::string_view image,
                     std::string_view alt) {
    Open();
    out += "<INPUT TYPE=\"IMAGE\"  NAME=\"";
    out += name;
    out += "\" SRC=\"";
    out += imagesURL;
    out += image;
    out += "\" WIDTH=\"24\" HEIGHT=\"24\" BORDER=\"0\" ALT=\"";
    out += alt;
    out += "\"></TD>";
    out += kCrLf;
  }
};

// The formats of the save list with the grid's ExportExtras: value, label.
constexpr std::pair<std::string_view, std::string_view> kExtraFormats[] = {
    {"XLS", "Excel"}, {"XLSX", "Excel 2007+"}, {"CSV", "CSV"},   {"JSON", "JSON"},
    {"TXT", "Text"},  {"MDB", "Access"},       {"DBF", "dBase"}, {"DB", "Paradox"}};

// Every format for the current page, then every format for the whole result.
void AppendExtraOptions(std::string& out) {
  for (bool whole : {false, true}) {
    out += whole ? "                     <OPTGROUP LABEL=\"Every row\">\r\n"
                 : "                     <OPTGROUP LABEL=\"This page\">\r\n";
    for (const auto& [value, label] : kExtraFormats) {
      out += "                     <OPTION VALUE=\"";
      out += value;
      if (whole) out += form::kWholeResultSuffix;
      out += value == "XLS" && !whole ? "\" SELECTED>" : "\">";
      out += label;
      out += whole ? " (every row)\r\n" : "\r\n";
    }
    out += "                     </OPTGROUP>\r\n";
  }
}

void AppendSaveAsList(std::string& out, ToolCells& cells, std::string_view cls,
                      std::string_view label, bool extras) {
  cells.Cell("");
  out += "                     <SELECT SIZE=\"1\" NAME=\"";
  out += form::kSaveType;
  out += '"';
  out += label;
  out += " CLASS=\"";
  out += cls;
  out += "\">\r\n";
  if (extras) {
    AppendExtraOptions(out);
  } else {
    out += "                     <OPTION VALUE=\"XLS\" SELECTED>Excel\r\n";
    out += "                     <OPTION VALUE=\"TXT\">Text\r\n";
    out += "                     <OPTION VALUE=\"MDB\">Access\r\n";
    out += "                     <OPTION VALUE=\"DBF\">dBase\r\n";
    out += "                     <OPTION VALUE=\"DB\">Paradox\r\n";
  }
  out += "                     </SELECT>\r\n";
  out += cells.indent;
  out += "</TD>\r\n";
}

constexpr std::string_view kPrintEnding = "\" onclick=\"top.print();return false;\"></TD>";

}  // namespace

int TZylHTMLGrid::ToolbarPageCount() {
  // With RowsPerPage 0 (every record on one page) the toolbar shows one page.
  long long total = GetTotalRowCount();
  if (paging_.rowsPerPage <= 0) return 1;
  long long pages = total / paging_.rowsPerPage + (total % paging_.rowsPerPage > 0 ? 1 : 0);
  return static_cast<int>(pages);
}

std::string TZylHTMLGrid::GetToolbar(bool top) {
  std::string action = EscapeHtml(GetScriptName());
  action += '#';
  action += GetName();
  std::string spacer = "<IMG SRC=\"" + look_.imagesURL + "Gt.gif\" WIDTH=\"2\" HEIGHT=\"2\"" +
                       std::string(render::DecorativeAlt(*this)) + ">";
  const std::string_view layout = render::LayoutRole(*this);
  const std::string saveLabel = render::AriaLabelText(*this, texts_.textSaveAs);
  std::string cls;
  ComposeCSS(look_.toolbarFont, look_.toolbarFontStyle, look_.wordWrap, look_.toolbarHAlign,
             look_.toolbarVAlign, "", -1, cls);
  std::string tool = IntToHex(ColorToRGB(look_.toolbarColor), 6);
  bool reduced = look_.smallToolbar && links_.masterGrid != nullptr;

  std::string inner;
  inner.reserve(4096);
  inner += "             <TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"0\" CLASS=\"";
  inner += cls;
  inner += '"';
  inner += layout;
  inner += ">\r\n";
  inner += "              <TR>\r\n";
  inner += "                <FORM METHOD=\"POST\" ACTION=\"";
  inner += action;
  inner += top ? "\" NAME=\"TOOLBARTOP\">\r\n" : "\" NAME=\"TOOLBARBOTTOM\">\r\n";

  if (reduced) {
    ToolCells cells{inner, "                 ", tool};
    inner += "                 ";
    inner += GetSettingsHV("", this);
    inner += kCrLf;
    cells.Cell3("&nbsp;&nbsp;", texts_.textSaveAs, "&nbsp;</TD>");
    AppendSaveAsList(inner, cells, cls, saveLabel, look_.exportExtras);
    cells.Button(form::kSaveAs, look_.imagesURL, "GSaveAs.gif", texts_.altSave);
    cells.Button(form::kPrint, look_.imagesURL, "GPrint.gif", texts_.altPrint, kPrintEnding);
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.SummaryButton(form::kSum, look_.imagesURL, "GSum.gif", texts_.altSum);
    cells.SummaryButton(form::kAverage, look_.imagesURL, "GSA.gif", texts_.altSA);
    inner += "                 </FORM>\r\n";
    inner += "              </TR>\r\n";
    inner += "             </TABLE>";
  } else {
    ToolCells cells{inner, "                ", tool};
    inner += "                ";
    inner += GetSettingsHV(std::string(form::kToolbarExclusions), this);
    inner += kCrLf;
    if (OnAddToolbarHiddenVariables) OnAddToolbarHiddenVariables(this, inner);
    int pageCount = ToolbarPageCount();
    std::string pages = std::to_string(pageCount);
    cells.Cell("&nbsp;</TD>");
    cells.Button(form::kFirst, look_.imagesURL, "GFirstPage.gif", texts_.altFirstPage);
    cells.Button(form::kPrevious, look_.imagesURL, "GPrevPage.gif", texts_.altPreviousPage);
    cells.Cell3("&nbsp;&nbsp;", texts_.textPage, "&nbsp;</TD>");
    cells.Cell("");
    if (look_.pageNumberBox && pageCount > kPageListLimit) {
      // The page's number in a box: the read brings a number past the last
      // page back to the last.
      inner += "                    <INPUT TYPE=\"TEXT\" NAME=\"";
      inner += form::kPage;
      inner += '"';
      inner += render::AriaLabelText(*this, texts_.textPage);
      inner += " SIZE=\"";
      inner += std::to_string(pages.size());
      inner += "\" VALUE=\"";
      inner += std::to_string(paging_.page);
      inner += "\" CLASS=\"";
      inner += cls;
      inner += "\">\r\n";
    } else {
      // One option line per page: a large table's list is most of the toolbar.
      inner.reserve(inner.size() + 1024 + static_cast<std::size_t>(std::max(pageCount, 0)) * 48);
      inner += "                    <SELECT SIZE=\"1\" NAME=\"";
      inner += form::kPage;
      inner += '"';
      inner += render::AriaLabelText(*this, texts_.textPage);
      inner += " CLASS=\"";
      inner += cls;
      inner += "\">\r\n";
      // Each line put together in place: a list holds thousands.
      static constexpr std::string_view kOpen = "                     <OPTION VALUE=\"";
      for (int p = 1; p <= pageCount; ++p) {
        char line[kOpen.size() + 2 * 11 + 16];
        char* end = std::copy(kOpen.begin(), kOpen.end(), line);
        char* number = end;
        end = std::to_chars(end, line + sizeof line, p).ptr;
        const std::string_view digits(number, static_cast<std::size_t>(end - number));
        const std::string_view close = p == paging_.page ? "\" SELECTED>" : "\">";
        end = std::copy(close.begin(), close.end(), end);
        end = std::copy(digits.begin(), digits.end(), end);
        *end++ = '\r';
        *end++ = '\n';
        inner.append(line, static_cast<std::size_t>(end - line));
      }
      if (pageCount == 0) inner += "                     <OPTION VALUE=\"0\" SELECTED>0\r\n";
      inner += "                    </SELECT>\r\n";
    }
    inner += "                </TD>\r\n";
    // "of about" where the dataset estimated its records.
    cells.Cell3("&nbsp;&nbsp;", texts_.textOf,
                paging_.countEstimated ? "&nbsp;about&nbsp;&nbsp;</TD>" : "&nbsp;&nbsp;</TD>");
    cells.Cell("");
    inner += "                   <INPUT TYPE=\"TEXT\" NAME=\"";
    inner += form::kPageCount;
    inner += '"';
    inner += render::AriaLabelText(*this, texts_.textOf);
    inner += " SIZE=\"3\" VALUE=\"";
    inner += pages;
    inner += "\" CLASS=\"";
    inner += cls;
    inner += "\" STYLE=\"width:30\">\r\n";
    inner += "                </TD>\r\n";
    cells.Cell3("&nbsp;&nbsp;", texts_.textRows, "&nbsp;</TD>");
    cells.Open();
    inner += "<INPUT TYPE=\"TEXT\" NAME=\"";
    inner += form::kRowsPerPage;
    inner += '"';
    inner += render::AriaLabelText(*this, texts_.textRows);
    inner += " VALUE=\"";
    inner += std::to_string(paging_.rowsPerPage);
    inner += "\" SIZE=\"3\" CLASS=\"";
    inner += cls;
    inner += "\" STYLE=\"width:30\"></TD>\r\n";
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.Button(form::kGo, look_.imagesURL, "GOk.gif", texts_.altOK);
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.Button(form::kNext, look_.imagesURL, "GNextPage.gif", texts_.altNextPage);
    cells.Button(form::kLast, look_.imagesURL, "GLastPage.gif", texts_.altLastPage);
    cells.Cell3("&nbsp;&nbsp;", texts_.textSaveAs, "&nbsp;</TD>");
    AppendSaveAsList(inner, cells, cls, saveLabel, look_.exportExtras);
    cells.Button(form::kSaveAs, look_.imagesURL, "GSaveAs.gif", texts_.altSave);
    cells.Cell("&nbsp;</TD>");
    cells.Button(form::kPrint, look_.imagesURL, "GPrint.gif", texts_.altPrint, kPrintEnding);
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.SummaryButton(form::kSum, look_.imagesURL, "GSum.gif", texts_.altSum);
    cells.SummaryButton(form::kAverage, look_.imagesURL, "GSA.gif", texts_.altSA);
    inner += "                </FORM>\r\n";
    inner += "             </TR>\r\n";
    inner += "            </TABLE>";
  }

  std::string light47 = IntToHex(ColorToRGB(AddBrigthness(look_.background, 47)), 6);
  std::string light32 = IntToHex(ColorToRGB(AddBrigthness(look_.background, 32)), 6);
  std::string dark32 = IntToHex(ColorToRGB(AddBrigthness(look_.background, -32)), 6);
  std::string dark80 = IntToHex(ColorToRGB(AddBrigthness(look_.background, -80)), 6);
  std::string out;
  out.reserve(inner.size() + 1500);
  auto line = [&out](std::initializer_list<std::string_view> parts) {
    for (std::string_view p : parts) out += p;
    out += kCrLf;
  };
  line({"      <TABLE BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\" WIDTH=\"100%\"", layout,
        ">"});
  line({"       <TR><TD>"});
  line({"        <TABLE WIDTH=\"100%\" BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\"", layout,
        ">"});
  line({"           <TR>"});
  line({"             <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#", light47, "\">", spacer, "</TD>"});
  line({"             <TD HEIGHT=\"2\" BGCOLOR=\"#", light32, "\"></TD>"});
  line({"             <TD WIDTH=\"2\"  HEIGHT=\"2\" BGCOLOR=\"#", dark32, "\">", spacer, "</TD>"});
  line({"           </TR>"});
  line({"           <TR>"});
  line({"             <TD WIDTH=\"2\" BGCOLOR=\"#", light47, "\"></TD>"});
  line({"             <TD BGCOLOR=\"#", IntToHex(ColorToRGB(look_.background), 6), "\">", inner,
        "</TD>"});
  line({"             <TD WIDTH=\"2\" BGCOLOR=\"#", dark80, "\"></TD>"});
  line({"           </TR>"});
  line({"           <TR>"});
  line({"             <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#", dark32, "\">", spacer, "</TD>"});
  line({"             <TD HEIGHT=\"2\" BGCOLOR=\"#", dark80, "\"></TD>"});
  line({"             <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#", dark80, "\">", spacer, "</TD>"});
  line({"           </TR>"});
  line({"        </TABLE>"});
  line({"       </TD></TR>"});
  line({"      </TABLE>"});
  return out;
}

}  // namespace zyl
