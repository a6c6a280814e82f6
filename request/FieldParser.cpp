// The form-field protocol: picks this grid's block out of the posted
// 'name=value' lines, applies the hidden state and the click to the grid,
// and returns the action the visitor asked for.
//
// Visitor input never raises: values that do not parse (also numbers in
// field names) leave the previous setting, negative page numbers and page
// sizes are ignored, and a posted GUID is taken only in the form the
// library generates (it becomes part of a file name).
#include <climits>
#include <string_view>
#include <vector>

#include "grid/ZylHTMLGrid.h"
#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

bool StartsWith(std::string_view s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::string_view NameOf(std::string_view line) { return line.substr(0, line.find('=')); }

std::string_view ValueOf(std::string_view line) {
  std::size_t eq = line.find('=');
  return eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
}

// The lines of one grid's block with the lookups the protocol needs. Names
// compare ignoring case. Every pass over the lines is linear, so a hostile
// body of many fields costs time in proportion to its size only.
class FieldBlock {
 public:
  explicit FieldBlock(const std::string& text) {
    TStringList list;
    list.SetText(text);
    lines_.assign(list.begin(), list.end());
  }

  // Keeps the lines after the first line "GName=<name>" (whole line, ignoring
  // case) up to the next line named "GName"; false when there is none.
  bool SelectBlock(const std::string& name) {
    std::string wanted = "GName=" + name;
    std::size_t start = 0;
    while (start < lines_.size() && !AnsiSameText(lines_[start], wanted)) ++start;
    if (start == lines_.size()) return false;
    std::size_t end = start + 1;
    while (end < lines_.size() && !AnsiSameText(NameOf(lines_[end]), "GName")) ++end;
    lines_ = std::vector<std::string>(lines_.begin() + static_cast<std::ptrdiff_t>(start) + 1,
                                      lines_.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
  }

  // Removes the first line named `name`; true (with its value) when there was one.
  bool TakeValue(std::string_view name, std::string& value) {
    for (auto it = lines_.begin(); it != lines_.end(); ++it) {
      if (AnsiSameText(NameOf(*it), name)) {
        value = std::string(ValueOf(*it));
        lines_.erase(it);
        return true;
      }
    }
    return false;
  }
  bool HasName(std::string_view name) const {
    for (const std::string& line : lines_) {
      if (AnsiSameText(NameOf(line), name)) return true;
    }
    return false;
  }

  // An image button's click: both X.x and X.y present. Removes whichever
  // of the two exist.
  struct PairValues {
    std::string x, y;
  };
  bool TakePair(const std::string& name, PairValues& values) {
    bool hasX = TakeValue(name + ".x", values.x);
    bool hasY = TakeValue(name + ".y", values.y);
    return hasX && hasY;
  }
  bool TakePair(const std::string& name) {
    PairValues values;
    return TakePair(name, values);
  }

  // Calls fn(line) for every line in order and removes those for which it
  // returns true.
  template <class Fn>
  void TakeEach(Fn fn) {
    std::vector<std::string> kept;
    kept.reserve(lines_.size());
    for (std::string& line : lines_) {
      if (!fn(std::string_view(line))) kept.push_back(std::move(line));
    }
    lines_.swap(kept);
  }

  bool AnyStartsWith(const char* prefix) const {
    for (const std::string& line : lines_) {
      if (StartsWith(line, prefix)) return true;
    }
    return false;
  }

 private:
  std::vector<std::string> lines_;
};

TExportType SaveTypeFor(const std::string& value) {
  if (value == "XLS") return TExportType::Excel;
  if (value == "MDB") return TExportType::Access;
  if (value == "DBF") return TExportType::dBase;
  if (value == "DB") return TExportType::Paradox;
  return TExportType::TabbedText;
}

}  // namespace

TGridAction TZylHTMLGrid::ProcessParametersData(const std::string& fieldText) {
  FieldBlock block(fieldText);
  bool keepEditing = GetEditMode();
  TGridAction action = TGridAction::gaNoAction;

  // 1-2. This grid's block: after "GName=<Name>", up to the next "GName".
  if (!block.SelectBlock(GetName())) return TGridAction::gaNoAction;

  // 3. Page actions: the first one present wins; the others are not looked at.
  if (block.TakePair("GSAVEAS")) {
    action = TGridAction::gaSaveAs;
    std::string type;
    if (block.TakeValue("GSave", type)) saveAsType_ = SaveTypeFor(type);
  } else if (block.TakePair("GLAST")) {
    action = TGridAction::gaLastPage;
  } else if (block.TakePair("GNEXT")) {
    action = TGridAction::gaNextPage;
  } else if (block.TakePair("GPREVIOUS")) {
    action = TGridAction::gaPreviousPage;
  } else {
    FieldBlock::PairValues first;
    if (block.TakePair("GFIRST", first) && first.x != "0" && first.y != "0") {
      action = TGridAction::gaFirstPage;
    }
  }

  // 4. Sort buttons shown or hidden; both pairs present gives "shown".
  if (block.TakePair("GGLYPHOFF")) SetShowGlyphs(false);
  if (block.TakePair("GGLYPHON")) SetShowGlyphs(true);

  // 5-10. Editing buttons and summary rows.
  if (block.TakePair("GUPDATE")) {
    action = TGridAction::gaUpdateData;
    keepEditing = false;
  }
  std::string ignored;
  if (block.TakeValue("GUPDATEADD", ignored)) addPending_ = true;
  if (block.TakePair("GCANCEL")) {
    addPending_ = false;
    keepEditing = false;
  }
  if (block.TakePair("GDEL")) {
    action = TGridAction::gaDeleteCurrent;
    keepEditing = false;
  }
  if (block.TakePair("GADD")) {
    addingRecord_ = true;
    action = TGridAction::gaAddNew;
    keepEditing = false;
  }
  if (block.TakePair("GSUM")) doMadeSum_ = true;
  if (block.TakePair("GSA")) doMadeSA_ = true;

  // 11-12. Column selection.
  SetShowSelectors(false);
  if (block.TakePair("GCHECKON")) showSelectors_ = true;
  if (block.TakePair("GCHECKOFF")) showSelectors_ = false;
  if (block.TakePair("GCHECKDO")) showSelectors_ = true;
  if (showSelectors_ && block.HasName("GSel")) {
    for (TZylColumn* c : columns_) c->SetVisible(false);
    block.TakeEach([this](std::string_view line) {
      if (!AnsiSameText(NameOf(line), "GSel")) return false;
      int col = 0;
      if (TryStrToInt(ValueOf(line), col) && col >= 0 && col < columns_.Count()) {
        columns_.Get(col)->SetVisible(true);
      }
      return true;
    });
  }

  // 13-16. Page, rows per page; the page list's count box has no effect.
  std::string value;
  block.TakeValue("GSave", value);
  if (block.TakeValue("GPage", value)) {
    int page = 0;
    if (TryStrToInt(value, page) && page >= 0) SetPage(page);
  }
  block.TakeValue("GOf", value);
  if (block.TakeValue("GRPP", value)) {
    int rpp = 0;
    if (TryStrToInt(value, rpp) && rpp >= 0) rowsPerPage_ = rpp;
  }

  // 17. Current record: every "GRecNo<n>.<x|y>" line in order.
  block.TakeEach([this, &keepEditing](std::string_view line) {
    std::string_view name = NameOf(line);
    if (!StartsWith(name, "GRecNo")) return false;
    std::size_t dot = name.find('.', 6);
    if (dot == std::string_view::npos) return false;
    int recNo = 0;
    if (TryStrToInt(name.substr(6, dot - 6), recNo)) {
      recNo_ = recNo;
      if (ValueOf(line) != "0") keepEditing = false;
    }
    return true;
  });

  // 18. Enter pressed in an edit control: cell fields without a button.
  if (keepEditing) {
    if (block.AnyStartsWith("GCELL_") && updatByEnter_) action = TGridAction::gaUpdateData;
  }

  // 19. Sorting: "GSort<dir>_<col>.<x|y>" lines, unless "GSORTOFF" was clicked.
  if (!block.TakePair("GSORTOFF")) {
    block.TakeEach([this](std::string_view line) {
      std::string_view name = NameOf(line);
      std::size_t under = StartsWith(name, "GSort") ? name.find('_', 5) : std::string_view::npos;
      std::size_t dot = under == std::string_view::npos ? under : name.find('.', under + 1);
      if (dot == std::string_view::npos) return false;
      std::string_view direction = name.substr(5, under - 5);
      int col = 0;
      if (TryStrToInt(name.substr(under + 1, dot - under - 1), col) && col >= 0) {
        try {
          if (col >= columns_.Count()) SetColCount(col + 1);
          if (col < columns_.Count()) {
            for (TZylColumn* c : columns_) c->StoreSortOrder(TSortOrder::soNone);
            if (direction == "ASC") columns_.Get(col)->StoreSortOrder(TSortOrder::soAscending);
            if (direction == "DESC") columns_.Get(col)->StoreSortOrder(TSortOrder::soDescending);
          }
        } catch (const Exception&) {
          // A column that cannot be made is ignored.
        }
      }
      return true;
    });
  }

  // 20. "GO": the first record of the chosen page.
  if (block.TakePair("GOK")) {
    long long first = (static_cast<long long>(page_) - 1) * rowsPerPage_;
    recNo_ = first > INT_MAX ? INT_MAX : static_cast<int>(first);
  }

  // 21. The page's GUID: only a well-formed one is taken from the request.
  std::string guid;
  if (block.TakeValue("GUID", guid) && IsGuidString(guid)) {
    guid_ = guid;
    if (css_ != nullptr) css_->SetGUID(guid);
  } else if (css_ != nullptr) {
    guid_ = css_->GetGUID();
  }
  return action;
}

}  // namespace zyl
