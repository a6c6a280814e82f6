// Filling column pick lists (and their value lists) from a dataset.
#include <string>
#include <vector>

#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/ScopeExit.h"
#include "platform/Text.h"

namespace zyl {

namespace {

// The entries of a comma list: each is an integer or, when it is not, absent.
std::vector<std::pair<bool, int>> ParseIndexList(const std::string& text) {
  std::vector<std::pair<bool, int>> entries;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string_view entry = TrimRightView(std::string_view(text).substr(start, end - start), " ");
    int value = 0;
    bool ok = TryStrToInt(entry, value);
    entries.emplace_back(ok, value);
    start = end + 1;
  }
  return entries;
}

// A guard that puts the grid's cursor back on its record when `dataSet` is
// the grid's own dataset, also when an exception passes.
auto RestoreRecNo(TZylHTMLGrid& grid, const TDataSet* dataSet) {
  return ScopeExit([&grid, dataSet] {
    if (dataSet != grid.GetDataset()) return;
    try {
      grid.SetRecNo(grid.GetRecNo());
    } catch (const std::exception&) {
      // A guard must not throw; the exception that is passing matters more.
    }
  });
}

}  // namespace

void TZylHTMLGrid::PopulatePickList(TDataSet* dataSet, const std::string& fieldIndexes,
                                    const std::string& columnIndexes, bool sorted) {
  if (dataSet == nullptr || !dataSet->GetActive()) return;
  auto fieldList = ParseIndexList(fieldIndexes);
  auto columnList = ParseIndexList(columnIndexes);
  int cols = GetColCount();
  auto validColumn = [cols](const std::pair<bool, int>& e) {
    return e.first && e.second >= 0 && e.second < cols;
  };
  for (const auto& entry : columnList) {
    if (!validColumn(entry)) continue;
    TZylColumn* column = columns_.Get(entry.second);
    column->PickList().Clear();
    column->ValueList().Clear();
    column->PickList().SetSorted(sorted);
    column->ValueList().SetSorted(sorted);
  }
  // The usable pairs: an integer on both sides, a column of the grid.
  struct Pair {
    int field;
    TZylColumn* column;
  };
  std::vector<Pair> pairs;
  for (std::size_t i = 0; i < columnList.size() && i < fieldList.size(); ++i) {
    if (!validColumn(columnList[i]) || !fieldList[i].first) continue;
    pairs.push_back(Pair{fieldList[i].second, columns_.Get(columnList[i].second)});
  }

  auto restore = RestoreRecNo(*this, dataSet);
  int fieldCount = dataSet->FieldCount();
  for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
    for (const Pair& pair : pairs) {
      if (pair.field < 0 || pair.field >= fieldCount || pair.column->GetReadOnly()) continue;
      TField* field = dataSet->GetField(pair.field);
      std::string text;
      TFieldType type = pair.column->GetDataType();
      if (field->IsNull()) {
        text.clear();  // a null date has no date to format
      } else if (type == TFieldType::ftDate) {
        text = FormatDateTime(look_.dateFormat, field->AsDateTime());
      } else if (type == TFieldType::ftTime) {
        text = FormatDateTime(look_.timeFormat, field->AsDateTime());
      } else if (type == TFieldType::ftDateTime) {
        text = FormatDateTime(look_.dateTimeFormat, field->AsDateTime());
      } else {
        text = field->AsString();
      }
      if (pair.column->PickList().IndexOf(text) >= 0) continue;
      pair.column->PickList().Add(text);
      pair.column->ValueList().Add(text);
    }
  }
}

void TZylHTMLGrid::PopulatePickListEX(TDataSet* dataSet, const std::string& pickField,
                                      const std::string& valueField, int aCol) {
  TZylColumn* column = columns_.Get(aCol);
  if (column->GetReadOnly()) return;
  column->PickList().Clear();
  column->ValueList().Clear();
  // Every record gives one line on each side, duplicates included, so the
  // lists stay paired line by line: neither may sort or drop lines.
  column->PickList().SetSorted(false);
  column->ValueList().SetSorted(false);
  if (dataSet == nullptr || !dataSet->GetActive()) return;
  auto restore = RestoreRecNo(*this, dataSet);
  TField* pick = dataSet->FieldByName(pickField);
  TField* value = dataSet->FieldByName(valueField);
  for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
    column->PickList().Add(pick->AsString());
    column->ValueList().Add(value->AsString());
  }
}

}  // namespace zyl
