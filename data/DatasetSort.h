// Sorting a whole dataset through the sort property its class offers. The
// class is recognised by its exact name (a derived class does not match):
//
//   IndexFieldNames (string):  TTable, TAdoDataset, TAdoTable, TaoADODataSet,
//                              TaoADOTable, TaoADOQuery, TZylMemDataset,
//                              TZylSQLiteDataset
//   Sort (string):             TDaoDataset, TDaoTable
//   SortedBy (string list):    TZylDaoTable, TZylAdoTable (the dataset is
//                              closed and opened again to take the order)
//
// Any other class is left alone.
#pragma once

#include <string>

#include "model/GridTypes.h"

namespace zyl {

class TDataSet;

// The key: the field name followed by " ASC" or " DESC"; soNone adds nothing.
std::string DatasetSortKey(const std::string& fieldName, TSortOrder order);

// Hands `key` to `dataset` through its class's sort property. Nothing is
// changed when the dataset already carries that key, when its class is not
// in the table, or when it lacks the property. Returns true when the
// dataset was given the key just now. Errors of the dataset (an unknown
// field, say) pass to the caller.
bool ApplyDatasetSortKey(TDataSet& dataset, const std::string& key);

}  // namespace zyl
