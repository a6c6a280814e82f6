// The grid's filters and search term applied to its data: handed to the
// dataset as a RowFilter (datasets/RowFilter.h), or, for a text file,
// matched against each line in memory. A filter that does not parse is
// left out and its message kept for the filter row.
#include <exception>

#include "data/CellValues.h"
#include "data/DelimitedText.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Format.h"
#include "platform/Locale.h"

namespace zyl {

namespace {

// The fields a search looks in: text fields that get a column that is
// visible (or has not been made yet).
bool Searched(TFieldType type, const TZylColumn* column, bool memos) {
  if (FilterKindOf(type) != FilterKind::kText || type == TFieldType::ftBlob) return false;
  if (type == TFieldType::ftMemo && !memos) return false;
  return column == nullptr || column->GetVisible();
}

// A text file's cell as a filter sees it: typed by the column's type.
TVariant LineValue(const TZylHTMLGrid& grid, TFieldType type, const std::string& text) {
  if (text.empty()) return TVariant::Null();
  switch (FilterKindOf(type)) {
    case FilterKind::kNumber: {
      double number = 0;
      return TryStrToFloat(text, number) ? TVariant(number) : TVariant::Null();
    }
    case FilterKind::kDate: {
      TDateTime date = 0;
      return TryParseCellDate(grid, type, text, date) ? TVariant::FromDate(date) : TVariant::Null();
    }
    case FilterKind::kBoolean:
      try {
        return TVariant(TVariant(text).ToBoolean());
      } catch (const std::exception&) {
        return TVariant::Null();
      }
    case FilterKind::kText:
      break;
  }
  return TVariant(text);
}

}  // namespace

void TZylHTMLGrid::ApplyRowFilter(TDataSet& ds) {
  finding_.errors.clear();
  // A grid that offers finding always hands its filter over: the dataset
  // may carry one from an earlier request.
  bool offered = finding_.filterRow || finding_.quickSearch;
  if (finding_.filters.empty() && finding_.search.empty() && !finding_.applied && !offered) return;
  RowFilter filter;
  int fields = ds.FieldCount();
  for (const auto& [index, text] : finding_.filters) {
    if (index >= fields) continue;
    FieldCondition condition;
    try {
      if (ParseFieldFilter(index, ds.GetField(index)->DataType(), text, look_.dateFormat,
                           condition))
        filter.conditions.push_back(condition);
    } catch (const EFilterError& e) {
      finding_.errors[index] = e.what();
    }
  }
  filter.search = AnsiLowerCase(finding_.search);
  if (!filter.search.empty()) {
    for (int i = 0; i < fields; ++i) {
      const TZylColumn* column = nullptr;
      for (const TZylColumn* c : columns_)
        if (c->GetFieldIndex() == i && !c->GetFieldName().empty()) column = c;
      if (Searched(ds.GetField(i)->DataType(), column, look_.showMemos))
        filter.searchFields.push_back(i);
    }
  }
  finding_.applied = !filter.Empty();
  if (!ds.SetRowFilter(filter)) throw Exception("this data cannot be filtered");
}

void TZylHTMLGrid::FilterLines(const TStringList& lines, char delimiter, TStringList& kept,
                               std::vector<int>& numbers) {
  finding_.errors.clear();
  finding_.fileTotals.clear();
  kept.Clear();
  numbers.clear();
  if (lines.Empty()) return;
  RowFilter filter;
  // Field i is column i, after the row-number column when it is shown.
  int first = look_.showRowNumber ? 1 : 0;
  std::vector<TFieldType> types;
  for (int c = first; c < columns_.Count(); ++c) types.push_back(columns_.Get(c)->GetDataType());
  auto typeOf = [&](int i) {
    return i < static_cast<int>(types.size()) ? types[static_cast<std::size_t>(i)]
                                              : TFieldType::ftString;
  };
  for (const auto& [index, text] : finding_.filters) {
    FieldCondition condition;
    try {
      if (ParseFieldFilter(index, typeOf(index), text, look_.dateFormat, condition))
        filter.conditions.push_back(condition);
    } catch (const EFilterError& e) {
      finding_.errors[index] = e.what();
    }
  }
  filter.search = AnsiLowerCase(finding_.search);
  TStringList fields;
  delimited::ParseLine(lines.Get(0), delimiter, fields);
  for (int i = 0; i < fields.Count() && !filter.search.empty(); ++i) {
    const TZylColumn* column = first + i < columns_.Count() ? columns_.Get(first + i) : nullptr;
    if (Searched(typeOf(i), column, true)) filter.searchFields.push_back(i);
  }
  kept.Add(lines.Get(0));
  numbers.push_back(0);
  for (int line = 1; line < lines.Count(); ++line) {
    delimited::ParseLine(lines.Get(line), delimiter, fields);
    auto value = [&](int i) {
      return i < fields.Count() ? LineValue(*this, typeOf(i), fields.Get(i)) : TVariant::Null();
    };
    if (!filter.Empty() && !filter.Matches(value)) continue;
    kept.Add(lines.Get(line));
    numbers.push_back(line);
    if (!finding_.wholeResultTotals) continue;
    for (int i = 0; i < fields.Count(); ++i) {
      if (FilterKindOf(typeOf(i)) != FilterKind::kNumber) continue;
      TVariant v = value(i);
      if (v.IsNull()) continue;
      auto& [sum, count] = finding_.fileTotals[i];
      sum += v.ToDouble();
      ++count;
    }
  }
}

}  // namespace zyl
