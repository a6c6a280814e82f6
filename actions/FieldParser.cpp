// The form-field protocol: picks this grid's block out of the posted
// fields, applies the hidden state and the click to the grid, and returns
// the action the visitor asked for. The field names are those of
// request/FormProtocol.h.
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
#include "request/FormProtocol.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

using form::FormField;
using form::FormFields;

// The fields of one grid's block with the lookups the protocol needs.
// Names compare ignoring case. Every pass over the fields is linear, so a
// hostile body of many fields costs time in proportion to its size only.
class FieldBlock {
 public:
  // Keeps the fields after the first field "GName" whose value is `name`
  // (both ignoring case) up to the next field named "GName"; false when
  // there is none.
  bool Select(const FormFields& fields, const std::string& name) {
    std::size_t start = 0;
    while (start < fields.size() && !(form::IsNamed(fields[start], form::kGridName) &&
                                      AnsiSameText(fields[start].value, name))) {
      ++start;
    }
    if (start == fields.size()) return false;
    for (std::size_t i = start + 1; i < fields.size(); ++i) {
      if (form::IsNamed(fields[i], form::kGridName)) break;
      fields_.push_back(&fields[i]);
    }
    return true;
  }

  // Removes the first field named `name`; true (with its value) when there was one.
  bool TakeValue(std::string_view name, std::string& value) {
    for (auto it = fields_.begin(); it != fields_.end(); ++it) {
      if (form::IsNamed(**it, name)) {
        value = (*it)->value;
        fields_.erase(it);
        return true;
      }
    }
    return false;
  }
  bool HasName(std::string_view name) const {
    for (const FormField* field : fields_) {
      if (form::IsNamed(*field, name)) return true;
    }
    return false;
  }

  // An image button's click: both X.x and X.y present. Removes whichever
  // of the two exist.
  struct PairValues {
    std::string x, y;
  };
  bool TakePair(std::string_view button, PairValues& values) {
    bool hasX = TakeValue(form::ClickX(button), values.x);
    bool hasY = TakeValue(form::ClickY(button), values.y);
    return hasX && hasY;
  }
  bool TakePair(std::string_view button) {
    PairValues values;
    return TakePair(button, values);
  }

  // Calls fn(field) for every field in order and removes those for which
  // it returns true.
  template <class Fn>
  void TakeEach(Fn fn) {
    std::vector<const FormField*> kept;
    kept.reserve(fields_.size());
    for (const FormField* field : fields_) {
      if (!fn(*field)) kept.push_back(field);
    }
    fields_.swap(kept);
  }

  bool AnyCellField() const {
    for (const FormField* field : fields_) {
      if (form::IsCellField(field->name)) return true;
    }
    return false;
  }

 private:
  std::vector<const FormField*> fields_;  // into the fields being parsed
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
  return ProcessFields(form::ParseLines(fieldText));
}

TGridAction TZylHTMLGrid::ProcessFields(const FormFields& fields) {
  using namespace form;
  bool keepEditing = GetEditMode();
  TGridAction action = TGridAction::gaNoAction;

  // 1-2. This grid's block: after "GName=<Name>", up to the next "GName".
  FieldBlock block;
  if (!block.Select(fields, GetName())) return TGridAction::gaNoAction;

  // 3. Page actions: the first one present wins; the others are not looked at.
  if (block.TakePair(kSaveAs)) {
    action = TGridAction::gaSaveAs;
    std::string type;
    if (block.TakeValue(kSaveType, type)) saveAsType_ = SaveTypeFor(type);
  } else if (block.TakePair(kLast)) {
    action = TGridAction::gaLastPage;
  } else if (block.TakePair(kNext)) {
    action = TGridAction::gaNextPage;
  } else if (block.TakePair(kPrevious)) {
    action = TGridAction::gaPreviousPage;
  } else {
    FieldBlock::PairValues first;
    if (block.TakePair(kFirst, first) && first.x != "0" && first.y != "0") {
      action = TGridAction::gaFirstPage;
    }
  }

  // 4. Sort buttons shown or hidden; both pairs present gives "shown".
  if (block.TakePair(kGlyphsOff)) SetShowGlyphs(false);
  if (block.TakePair(kGlyphsOn)) SetShowGlyphs(true);

  // 5-10. Editing buttons and summary rows.
  if (block.TakePair(kUpdate)) {
    action = TGridAction::gaUpdateData;
    keepEditing = false;
  }
  std::string ignored;
  if (block.TakeValue(kUpdateAdd, ignored)) addPending_ = true;
  if (block.TakePair(kCancel)) {
    addPending_ = false;
    keepEditing = false;
  }
  if (block.TakePair(kDelete)) {
    action = TGridAction::gaDeleteCurrent;
    keepEditing = false;
  }
  if (block.TakePair(kAdd)) {
    addingRecord_ = true;
    action = TGridAction::gaAddNew;
    keepEditing = false;
  }
  if (block.TakePair(kSum)) doMadeSum_ = true;
  if (block.TakePair(kAverage)) doMadeSA_ = true;

  // 11-12. Column selection.
  SetShowSelectors(false);
  if (block.TakePair(kSelectorsOn)) showSelectors_ = true;
  if (block.TakePair(kSelectorsOff)) showSelectors_ = false;
  if (block.TakePair(kSelectorsApply)) showSelectors_ = true;
  if (showSelectors_ && block.HasName(kSelected)) {
    for (TZylColumn* c : columns_) c->SetVisible(false);
    block.TakeEach([this](const FormField& field) {
      if (!IsNamed(field, kSelected)) return false;
      int col = 0;
      if (TryStrToInt(field.value, col) && col >= 0 && col < columns_.Count()) {
        columns_.Get(col)->SetVisible(true);
      }
      return true;
    });
  }

  // 13-16. Page, rows per page; the page list's count box has no effect.
  std::string value;
  block.TakeValue(kSaveType, value);
  if (block.TakeValue(kPage, value)) {
    int page = 0;
    if (TryStrToInt(value, page) && page >= 0) SetPage(page);
  }
  block.TakeValue(kPageCount, value);
  if (block.TakeValue(kRowsPerPage, value)) {
    int rpp = 0;
    if (TryStrToInt(value, rpp) && rpp >= 0) rowsPerPage_ = rpp;
  }

  // 17. Current record: every "GRecNo<n>.<x|y>" field in order.
  block.TakeEach([this, &keepEditing](const FormField& field) {
    std::optional<int> recNo;
    if (!MatchRecordClick(field.name, recNo)) return false;
    if (recNo) {
      recNo_ = *recNo;
      if (field.value != "0") keepEditing = false;
    }
    return true;
  });

  // 18. Enter pressed in an edit control: cell fields without a button.
  if (keepEditing) {
    if (block.AnyCellField() && updatByEnter_) action = TGridAction::gaUpdateData;
  }

  // 19. Sorting: "GSort<dir>_<col>.<x|y>" fields, unless "GSORTOFF" was clicked.
  if (!block.TakePair(kSortOff)) {
    block.TakeEach([this](const FormField& field) {
      SortClick click;
      if (!MatchSortClick(field.name, click)) return false;
      if (click.column && *click.column >= 0) {
        const int col = *click.column;
        try {
          if (col >= columns_.Count()) SetColCount(col + 1);
          if (col < columns_.Count()) {
            for (TZylColumn* c : columns_) c->StoreSortOrder(TSortOrder::soNone);
            if (click.direction == kAscending) {
              columns_.Get(col)->StoreSortOrder(TSortOrder::soAscending);
            }
            if (click.direction == kDescending) {
              columns_.Get(col)->StoreSortOrder(TSortOrder::soDescending);
            }
          }
        } catch (const Exception&) {
          // A column that cannot be made is ignored.
        }
      }
      return true;
    });
  }

  // 20. "GO": the first record of the chosen page.
  if (block.TakePair(kGo)) {
    long long first = (static_cast<long long>(page_) - 1) * rowsPerPage_;
    recNo_ = first > INT_MAX ? INT_MAX : static_cast<int>(first);
  }

  // 21. The page's GUID: only a well-formed one is taken from the request.
  std::string guid;
  if (block.TakeValue(kGuid, guid) && IsGuidString(guid)) {
    guid_ = guid;
    if (css_ != nullptr) css_->SetGUID(guid);
  } else if (css_ != nullptr) {
    guid_ = css_->GetGUID();
  }
  return action;
}

}  // namespace zyl
