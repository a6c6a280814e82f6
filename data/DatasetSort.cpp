// SortDataset: sorting every record of the bound dataset, and the class
// table that tells which property takes the sort key.
#include "data/DatasetSort.h"

#include <array>
#include <string_view>

#include "grid/ZylHTMLGrid.h"
#include "platform/ScopeExit.h"

namespace zyl {

namespace {

enum class SortProperty { None, IndexFieldNames, Sort, SortedBy };

SortProperty PropertyOf(const std::string& className) {
  static constexpr std::array<std::string_view, 9> kIndexFieldNames = {
      "TTable",      "TAdoDataset",    "TAdoTable",         "TaoADODataSet", "TaoADOTable",
      "TaoADOQuery", "TZylMemDataset", "TZylSQLiteDataset", "TZylPgDataset"};
  static constexpr std::array<std::string_view, 2> kSort = {"TDaoDataset", "TDaoTable"};
  static constexpr std::array<std::string_view, 2> kSortedBy = {"TZylDaoTable", "TZylAdoTable"};
  for (std::string_view name : kIndexFieldNames) {
    if (className == name) return SortProperty::IndexFieldNames;
  }
  for (std::string_view name : kSort) {
    if (className == name) return SortProperty::Sort;
  }
  for (std::string_view name : kSortedBy) {
    if (className == name) return SortProperty::SortedBy;
  }
  return SortProperty::None;
}

bool SetStringProperty(TDataSet& dataset, const std::string& name, const std::string& key) {
  std::string current;
  if (dataset.GetStrProp(name, current) && current == key) return false;
  return dataset.SetStrProp(name, key);
}

}  // namespace

std::string DatasetSortKey(const std::string& fieldName, TSortOrder order) {
  switch (order) {
    case TSortOrder::soAscending: return fieldName + " ASC";
    case TSortOrder::soDescending: return fieldName + " DESC";
    case TSortOrder::soNone: break;
  }
  return fieldName;
}

bool ApplyDatasetSortKey(TDataSet& dataset, const std::string& key) {
  switch (PropertyOf(dataset.ClassName())) {
    case SortProperty::IndexFieldNames: return SetStringProperty(dataset, "IndexFieldNames", key);
    case SortProperty::Sort: return SetStringProperty(dataset, "Sort", key);
    case SortProperty::SortedBy: {
      TStringList* sortedBy = dataset.GetStringListProp("SortedBy");
      if (sortedBy == nullptr) return false;
      if (sortedBy->Count() == 1 && sortedBy->Get(0) == key) return false;
      sortedBy->Clear();
      sortedBy->Add(key);
      dataset.Close();
      dataset.Open();
      return true;
    }
    case SortProperty::None: break;
  }
  return false;
}

bool TZylHTMLGrid::SortDataset(int aCol, TSortOrder order) {
  // The row-number column names no field: it sorts the page in the grid,
  // which puts the page back in reading order or reverses it. (Reading
  // again would also replace the number column while its own setter runs.)
  if (look_.showRowNumber && aCol == 0 && !columns_.Empty()) {
    if (order == TSortOrder::soNone) return false;
    SortRows(0, order == TSortOrder::soDescending);
    columns_.Get(0)->StoreSortOrder(order);
    return false;
  }
  // While the dataset carries the key of the read under way, re-applying
  // the sort order starts no second sort and no second read.
  if (reading_.readingDataset || links_.dataset == nullptr) return false;
  ApplyDatasetSortKey(*links_.dataset, DatasetSortKey(columns_.Get(aCol)->GetFieldName(), order));
  auto keyHandedOver = ValueForScope(reading_.readingDataset, true);
  ReadValues();
  return false;
}

}  // namespace zyl
