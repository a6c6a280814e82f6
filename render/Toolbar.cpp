// The horizontal toolbars above and below the data table: paging buttons,
// page list, page count, rows per page, save-as list, print, sum and
// average, in a frame of 2-pixel cells shaded from the grid's background.
// A detail grid with SmallToolbar shows the reduced toolbar without paging.
#include <algorithm>

#include "grid/ZylHTMLGrid.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "request/FormProtocol.h"

namespace zyl {

namespace {

constexpr std::string_view kCrLf = "\r\n";

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

void AppendSaveAsList(std::string& out, ToolCells& cells, std::string_view cls) {
  cells.Cell("");
  out += "                     <SELECT SIZE=\"1\" NAME=\"";
  out += form::kSaveType;
  out += "\" CLASS=\"";
  out += cls;
  out += "\">\r\n";
  out += "                     <OPTION VALUE=\"XLS\" SELECTED>Excel\r\n";
  out += "                     <OPTION VALUE=\"TXT\">Text\r\n";
  out += "                     <OPTION VALUE=\"MDB\">Access\r\n";
  out += "                     <OPTION VALUE=\"DBF\">dBase\r\n";
  out += "                     <OPTION VALUE=\"DB\">Paradox\r\n";
  out += "                     </SELECT>\r\n";
  out += cells.indent;
  out += "</TD>\r\n";
}

constexpr std::string_view kPrintEnding = "\" onclick=\"top.print();return false;\"></TD>";

}  // namespace

int TZylHTMLGrid::ToolbarPageCount() {
  // With RowsPerPage 0 (every record on one page) the toolbar shows one page.
  long long total = GetTotalRowCount();
  if (rowsPerPage_ <= 0) return 1;
  long long pages = total / rowsPerPage_ + (total % rowsPerPage_ > 0 ? 1 : 0);
  return static_cast<int>(pages);
}

std::string TZylHTMLGrid::GetToolbar(bool top) {
  std::string action = EscapeHtml(GetScriptName());
  action += '#';
  action += GetName();
  std::string spacer = "<IMG SRC=\"" + imagesURL_ + "Gt.gif\" WIDTH=\"2\" HEIGHT=\"2\">";
  std::string cls;
  ComposeCSS(toolbarFont_, toolbarFontStyle_, wordWrap_, toolbarHAlign_, toolbarVAlign_, "", -1,
             cls);
  std::string tool = IntToHex(ColorToRGB(toolbarColor_), 6);
  bool reduced = smallToolbar_ && masterGrid_ != nullptr;

  std::string inner;
  inner.reserve(4096);
  inner += "             <TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"0\" CLASS=\"";
  inner += cls;
  inner += "\">\r\n";
  inner += "              <TR>\r\n";
  inner += "                <FORM METHOD=\"POST\" ACTION=\"";
  inner += action;
  inner += top ? "\" NAME=\"TOOLBARTOP\">\r\n" : "\" NAME=\"TOOLBARBOTTOM\">\r\n";

  if (reduced) {
    ToolCells cells{inner, "                 ", tool};
    inner += "                 ";
    inner += GetSettingsHV("", this);
    inner += kCrLf;
    cells.Cell3("&nbsp;&nbsp;", textSaveAs_, "&nbsp;</TD>");
    AppendSaveAsList(inner, cells, cls);
    cells.Button(form::kSaveAs, imagesURL_, "GSaveAs.gif", altSave_);
    cells.Button(form::kPrint, imagesURL_, "GPrint.gif", altPrint_, kPrintEnding);
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.SummaryButton(form::kSum, imagesURL_, "GSum.gif", altSum_);
    cells.SummaryButton(form::kAverage, imagesURL_, "GSA.gif", altSA_);
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
    cells.Button(form::kFirst, imagesURL_, "GFirstPage.gif", altFirstPage_);
    cells.Button(form::kPrevious, imagesURL_, "GPrevPage.gif", altPreviousPage_);
    cells.Cell3("&nbsp;&nbsp;", textPage_, "&nbsp;</TD>");
    cells.Cell("");
    // One option line per page: a large table's list is most of the toolbar.
    inner.reserve(inner.size() + 1024 + static_cast<std::size_t>(std::max(pageCount, 0)) * 48);
    inner += "                    <SELECT SIZE=\"1\" NAME=\"";
    inner += form::kPage;
    inner += "\" CLASS=\"";
    inner += cls;
    inner += "\">\r\n";
    for (int p = 1; p <= pageCount; ++p) {
      std::string n = std::to_string(p);
      inner += "                     <OPTION VALUE=\"";
      inner += n;
      inner += p == page_ ? "\" SELECTED>" : "\">";
      inner += n;
      inner += kCrLf;
    }
    if (pageCount == 0) inner += "                     <OPTION VALUE=\"0\" SELECTED>0\r\n";
    inner += "                    </SELECT>\r\n";
    inner += "                </TD>\r\n";
    cells.Cell3("&nbsp;&nbsp;", textOf_, "&nbsp;&nbsp;</TD>");
    cells.Cell("");
    inner += "                   <INPUT TYPE=\"TEXT\" NAME=\"";
    inner += form::kPageCount;
    inner += "\" SIZE=\"3\" VALUE=\"";
    inner += pages;
    inner += "\" CLASS=\"";
    inner += cls;
    inner += "\" STYLE=\"width:30\">\r\n";
    inner += "                </TD>\r\n";
    cells.Cell3("&nbsp;&nbsp;", textRows_, "&nbsp;</TD>");
    cells.Open();
    inner += "<INPUT TYPE=\"TEXT\" NAME=\"";
    inner += form::kRowsPerPage;
    inner += "\" VALUE=\"";
    inner += std::to_string(rowsPerPage_);
    inner += "\" SIZE=\"3\" CLASS=\"";
    inner += cls;
    inner += "\" STYLE=\"width:30\"></TD>\r\n";
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.Button(form::kGo, imagesURL_, "GOk.gif", altOK_);
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.Button(form::kNext, imagesURL_, "GNextPage.gif", altNextPage_);
    cells.Button(form::kLast, imagesURL_, "GLastPage.gif", altLastPage_);
    cells.Cell3("&nbsp;&nbsp;", textSaveAs_, "&nbsp;</TD>");
    AppendSaveAsList(inner, cells, cls);
    cells.Button(form::kSaveAs, imagesURL_, "GSaveAs.gif", altSave_);
    cells.Cell("&nbsp;</TD>");
    cells.Button(form::kPrint, imagesURL_, "GPrint.gif", altPrint_, kPrintEnding);
    cells.Cell("&nbsp;&nbsp;</TD>");
    cells.SummaryButton(form::kSum, imagesURL_, "GSum.gif", altSum_);
    cells.SummaryButton(form::kAverage, imagesURL_, "GSA.gif", altSA_);
    inner += "                </FORM>\r\n";
    inner += "             </TR>\r\n";
    inner += "            </TABLE>";
  }

  std::string light47 = IntToHex(ColorToRGB(AddBrigthness(background_, 47)), 6);
  std::string light32 = IntToHex(ColorToRGB(AddBrigthness(background_, 32)), 6);
  std::string dark32 = IntToHex(ColorToRGB(AddBrigthness(background_, -32)), 6);
  std::string dark80 = IntToHex(ColorToRGB(AddBrigthness(background_, -80)), 6);
  std::string out;
  out.reserve(inner.size() + 1500);
  auto line = [&out](std::initializer_list<std::string_view> parts) {
    for (std::string_view p : parts) out += p;
    out += kCrLf;
  };
  line({"      <TABLE BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\" WIDTH=\"100%\">"});
  line({"       <TR><TD>"});
  line({"        <TABLE WIDTH=\"100%\" BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\">"});
  line({"           <TR>"});
  line({"             <TD WIDTH=\"2\" HEIGHT=\"2\" BGCOLOR=\"#", light47, "\">", spacer, "</TD>"});
  line({"             <TD HEIGHT=\"2\" BGCOLOR=\"#", light32, "\"></TD>"});
  line({"             <TD WIDTH=\"2\"  HEIGHT=\"2\" BGCOLOR=\"#", dark32, "\">", spacer, "</TD>"});
  line({"           </TR>"});
  line({"           <TR>"});
  line({"             <TD WIDTH=\"2\" BGCOLOR=\"#", light47, "\"></TD>"});
  line({"             <TD BGCOLOR=\"#", IntToHex(ColorToRGB(background_), 6), "\">", inner,
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
