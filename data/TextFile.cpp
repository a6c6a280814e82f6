// A delimited text file as the grid's data source: loading one page of it
// and writing the grid's visible content back. The file layout is described
// in data/DelimitedText.h. Loading sets each cell's text; a column the host
// declared boolean, numeric or a date (its DataType, set before the load)
// also gets typed values (data/CellValues.h), so it sums and sorts.
#include "data/CellValues.h"
#include "data/DelimitedText.h"
#include "data/Paging.h"
#include "datasets/RecordKey.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/FileSink.h"
#include "platform/System.h"
#include "request/RowIdentity.h"

namespace zyl {

namespace {

bool LoadDelimitedFile(TZylHTMLGrid& grid, const std::string& fileName, char delimiter) {
  if (grid.OnBeforeReadData) grid.OnBeforeReadData(&grid);
  if (!FileExists(fileName)) return false;
  TStringList lines;
  delimited::SplitLines(ReadFileBytes(fileName), lines, delimiter);
  bool loaded = grid.LoadFromStringList(lines, delimiter);
  if (grid.OnAfterReadData) grid.OnAfterReadData(&grid);
  return loaded;
}

void SaveDelimitedFile(TZylHTMLGrid& grid, const std::string& fileName, char delimiter) {
  TStringList lines;
  grid.SaveToStringList(lines, delimiter, false);
  // The file is replaced only once the whole text is written.
  FileSink sink(fileName);
  sink.Write(lines.GetText());
  sink.Commit();
}

}  // namespace

bool TZylHTMLGrid::LoadFromFile(const std::string& fileName) {
  return LoadDelimitedFile(*this, fileName, '\t');
}

bool TZylHTMLGrid::LoadFromCSV(const std::string& fileName) {
  return LoadDelimitedFile(*this, fileName, ';');
}

void TZylHTMLGrid::ParseLine(const std::string& line, char delimiter, TStringList& fields) {
  delimited::ParseLine(line, delimiter, fields);
}

bool TZylHTMLGrid::LoadFromStringList(const TStringList& all, char delimiter) {
  // Filters and the search keep only the lines that pass (each keeps its
  // line number for its identity); the pages count those.
  TStringList filtered;
  std::vector<int> lineNumbers;
  bool filtering =
      !finding_.filters.empty() || !finding_.search.empty() || finding_.wholeResultTotals;
  if (filtering) FilterLines(all, delimiter, filtered, lineNumbers);
  const TStringList& list = filtering ? filtered : all;
  paging_.totalRowCount = list.Count() - 1;
  paging_.countEstimated = false;
  if (list.Empty()) return false;
  paging_.rowsPerPage =
      paging::PageSize(paging_.rowsPerPage, paging_.totalRowCount, paging_.maxRows);

  bool numbers = look_.showRowNumber;
  TSortOrder numberOrder = columns_.Empty() ? TSortOrder::soNone : columns_.Get(0)->GetSortOrder();
  if (numbers) SetShowRowNumber(false);
  paging_.page = paging::PullBackPage(paging_.page, paging_.rowsPerPage, paging_.totalRowCount);

  // Fields beyond MaxCols would be cut at the end anyway; they get no column.
  int widest = 0;
  TStringList fields;
  auto placeField = [&](int row, int i) {
    if (i == GetColCount()) AddCol();
    TZylColumn* column = columns_.Get(i);
    column->SetFieldIndex(i);
    if (row < 0) {
      column->SetCaption(fields.Get(i));
    } else {
      TZylField* cell = GetCells(row, i);
      const std::string& text = fields.Get(i);
      cell->SetValue(text);
      // A column the host declared boolean, numeric or a date gets typed
      // values, so that it shows its state, sums and sorts.
      SetTypedValueFromText(*this, *cell, column->GetDataType(), text);
    }
  };

  ParseLine(list.Get(0), delimiter, fields);
  widest = fields.Count();
  int captions = 0;
  for (; captions < fields.Count() && captions < paging_.maxCols; ++captions)
    placeField(-1, captions);
  // Columns beyond the header keep no caption of an earlier file.
  for (int i = captions; i < GetColCount(); ++i) columns_.Get(i)->SetCaption("");

  long long firstLine = paging::FirstRecordOfPage(paging_.page, paging_.rowsPerPage) + 1;
  long long lastLine = static_cast<long long>(paging_.page) * paging_.rowsPerPage;
  if (lastLine > list.Count() - 1) lastLine = list.Count() - 1;
  int filled = 0;
  for (long long line = firstLine; line <= lastLine; ++line, ++filled) {
    if (filled == GetRowCount()) InternalAddRow();
    TZylRow* row = rows_.Get(filled);
    row->SetRecNo(static_cast<int>(line - 1));
    // A line is named by its record number and the digest of its text.
    if (editing_.rowIdentity) {
      int number = filtering ? lineNumbers[static_cast<std::size_t>(line)] : static_cast<int>(line);
      row->SetIdentity(EncodeValues({TVariant(number - 1)}),
                       form::Fingerprint({TVariant(list.Get(static_cast<int>(line)))}));
    }
    ParseLine(list.Get(static_cast<int>(line)), delimiter, fields);
    if (fields.Count() > widest) widest = fields.Count();
    int placed = 0;
    for (; placed < fields.Count() && placed < paging_.maxCols; ++placed)
      placeField(filled, placed);
    // A short line leaves no text of an earlier record in its row.
    int cols = GetColCount();
    for (int i = placed; i < cols; ++i) {
      TZylField* cell = GetCells(filled, i);
      cell->SetValue("");
      SetTypedValueFromText(*this, *cell, columns_.Get(i)->GetDataType(), "");
    }
  }
  if (GetRowCount() > filled) SetRowCount(filled);
  SetColCount(widest);

  if (numbers) {
    SetShowRowNumber(true);
    if (numberOrder != TSortOrder::soNone && !columns_.Empty()) {
      columns_.Get(0)->StoreSortOrder(numberOrder);
    }
  }
  ApplySettings();
  paging_.recNo = paging::ClampRecNoToPage(paging_.recNo, paging_.page, paging_.rowsPerPage);
  return true;
}

void TZylHTMLGrid::SaveToStringList(TStringList& list, char delimiter, bool includeRowNumbers) {
  SaveToStringList(
      list, delimiter, includeRowNumbers, [&](int r, int c) { return GetCells(r, c)->GetValue(); },
      [](const std::string& caption) { return caption; });
}

void TZylHTMLGrid::SaveToStringList(
    TStringList& list, char delimiter, bool includeRowNumbers,
    const std::function<std::string(int, int)>& cellText,
    const std::function<std::string(const std::string&)>& captionText) {
  list.Clear();
  // The number column is left out by skipping it, so that writing changes
  // nothing in the grid (the column keeps its cells, labels and sort order).
  int firstCol = (!includeRowNumbers && look_.showRowNumber) ? 1 : 0;
  int cols = GetColCount();
  auto addLine = [&](auto textOf) {
    std::string line;
    for (int c = firstCol; c < cols; ++c) {
      if (!columns_.Get(c)->GetVisible()) continue;
      delimited::AppendQuoted(line, textOf(c));
      line += delimiter;
    }
    if (!line.empty()) line.pop_back();
    list.Add(std::move(line));
  };
  addLine([&](int c) { return captionText(columns_.Get(c)->GetCaption()); });
  int rows = GetRowCount();
  for (int r = 0; r < rows; ++r) {
    if (!rows_.Get(r)->GetVisible()) continue;
    addLine([&](int c) { return cellText(r, c); });
  }
}

void TZylHTMLGrid::SaveToFile(const std::string& fileName) {
  SaveDelimitedFile(*this, fileName, '\t');
}

void TZylHTMLGrid::SaveToCSV(const std::string& fileName) {
  SaveDelimitedFile(*this, fileName, ';');
}

}  // namespace zyl
