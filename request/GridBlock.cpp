#include "request/GridBlock.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/System.h"

namespace zyl {
namespace form {

namespace {

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
    while (start < fields.size() &&
           !(IsNamed(fields[start], kGridName) && AnsiSameText(fields[start].value, name))) {
      ++start;
    }
    if (start == fields.size()) return false;
    for (std::size_t i = start + 1; i < fields.size(); ++i) {
      if (IsNamed(fields[i], kGridName)) break;
      fields_.push_back(&fields[i]);
    }
    return true;
  }

  // Removes the first field named `name`; true (with its value) when there was one.
  bool TakeValue(std::string_view name, std::string& value) {
    for (auto it = fields_.begin(); it != fields_.end(); ++it) {
      if (IsNamed(**it, name)) {
        value = (*it)->value;
        fields_.erase(it);
        return true;
      }
    }
    return false;
  }
  bool HasName(std::string_view name) const {
    for (const FormField* field : fields_) {
      if (IsNamed(*field, name)) return true;
    }
    return false;
  }

  // An image button's click: both X.x and X.y present. Removes whichever
  // of the two exist.
  struct PairValues {
    std::string x, y;
  };
  bool TakePair(std::string_view button, PairValues& values) {
    bool hasX = TakeValue(ClickX(button), values.x);
    bool hasY = TakeValue(ClickY(button), values.y);
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
      if (IsCellField(field->name)) return true;
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
  if (value == "CSV") return TExportType::CSV;
  if (value == "XLSX") return TExportType::XLSX;
  if (value == "JSON") return TExportType::JSON;
  return TExportType::TabbedText;
}

}  // namespace

bool ReadGridBlock(const FormFields& fields, const std::string& gridName, GridBlock& out) {
  // 1-2. This grid's block: after "GName=<Name>", up to the next "GName".
  FieldBlock block;
  if (!block.Select(fields, gridName)) return false;

  // 3. Page actions: the first one present wins; the others are not looked at.
  if (block.TakePair(kSaveAs)) {
    out.pageAction = TGridAction::gaSaveAs;
    std::string type;
    if (block.TakeValue(kSaveType, type)) {
      out.saveWholeResult =
          type.size() > kWholeResultSuffix.size() && type.ends_with(kWholeResultSuffix);
      if (out.saveWholeResult) type.resize(type.size() - kWholeResultSuffix.size());
      out.saveType = SaveTypeFor(type);
    }
  } else if (block.TakePair(kLast)) {
    out.pageAction = TGridAction::gaLastPage;
  } else if (block.TakePair(kNext)) {
    out.pageAction = TGridAction::gaNextPage;
  } else if (block.TakePair(kPrevious)) {
    out.pageAction = TGridAction::gaPreviousPage;
  } else {
    FieldBlock::PairValues first;
    if (block.TakePair(kFirst, first) && first.x != "0" && first.y != "0") {
      out.pageAction = TGridAction::gaFirstPage;
    }
  }

  // 4. Sort buttons shown or hidden.
  out.glyphsOff = block.TakePair(kGlyphsOff);
  out.glyphsOn = block.TakePair(kGlyphsOn);

  // 5-10. Editing buttons and summary rows.
  out.update = block.TakePair(kUpdate);
  std::string ignored;
  out.updateAdd = block.TakeValue(kUpdateAdd, ignored);
  out.cancel = block.TakePair(kCancel);
  out.deleteRecord = block.TakePair(kDelete);
  out.addRecord = block.TakePair(kAdd);
  out.sum = block.TakePair(kSum);
  out.average = block.TakePair(kAverage);

  // 11-12. Column selection.
  out.selectorsOn = block.TakePair(kSelectorsOn);
  out.selectorsOff = block.TakePair(kSelectorsOff);
  out.selectorsApply = block.TakePair(kSelectorsApply);
  block.TakeEach([&out](const FormField& field) {
    if (!IsNamed(field, kSelected)) return false;
    out.anySelected = true;
    int col = 0;
    if (TryStrToInt(field.value, col)) out.selected.push_back(col);
    return true;
  });

  // 13-16. Page, rows per page; the page list's count box has no effect.
  std::string value;
  block.TakeValue(kSaveType, value);
  if (block.TakeValue(kPage, value)) {
    int page = 0;
    if (TryStrToInt(value, page) && page >= 0) out.page = page;
  }
  block.TakeValue(kPageCount, value);
  if (block.TakeValue(kRowsPerPage, value)) {
    int rpp = 0;
    if (TryStrToInt(value, rpp) && rpp >= 0) out.rowsPerPage = std::clamp(rpp, 1, kMaxRowsPerPage);
  }

  // 17. Current record: every "GRecNo<n>.<x|y>" field in order.
  block.TakeEach([&out](const FormField& field) {
    std::optional<int> recNo;
    if (!MatchRecordClick(field.name, recNo)) return false;
    if (recNo) {
      out.recNo = *recNo;
      if (field.value != "0") out.recordClicked = true;
    }
    return true;
  });

  // 18. Edit controls (Enter pressed in one posts them without a button).
  out.anyCellField = block.AnyCellField();

  // 19. Sorting: "GSort<dir>_<col>.<x|y>" fields, unless "GSORTOFF" was clicked.
  out.sortOff = block.TakePair(kSortOff);
  if (!out.sortOff) {
    block.TakeEach([&out](const FormField& field) {
      SortClick click;
      if (!MatchSortClick(field.name, click)) return false;
      if (click.column && *click.column >= 0) {
        SortRequest request;
        request.column = *click.column;
        if (click.direction == kAscending) request.order = TSortOrder::soAscending;
        if (click.direction == kDescending) request.order = TSortOrder::soDescending;
        out.sorts.push_back(request);
      }
      return true;
    });
  }

  // 20. "GO": the first record of the chosen page.
  out.go = block.TakePair(kGo);

  // 21. The page's GUID: only a well-formed one is taken from the request.
  std::string guid;
  if (block.TakeValue(kGuid, guid) && IsGuidString(guid)) out.guid = guid;

  // 22. Finding: filter texts and the search term (the last of each name
  // wins); the clear button drops them all.
  std::string ignoredApply;
  block.TakeValue(kFilterApply, ignoredApply);
  out.clearFilters = block.TakeValue(kFilterClear, ignoredApply);
  block.TakeEach([&out](const FormField& field) {
    int index = 0;
    if (IsNamed(field, kSearch)) {
      out.search = field.value.substr(0, kMaxFilterText);
    } else if (ParseFilterField(field.name, index)) {
      if (index < kMaxFilterFields)
        out.filters.emplace_back(index, field.value.substr(0, kMaxFilterText));
    } else {
      return false;
    }
    return true;
  });
  return true;
}

}  // namespace form
}  // namespace zyl
