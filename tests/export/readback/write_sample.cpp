// Builds a grid from a table on standard input and saves it in one save-as
// format, for the read-back test (readback.py):
//
//   write_sample txt|xls|mdb|dbf|db|csv|xlsx|json FILE [all] < table
//
// With "all" the table is a dataset (every row, hidden ones too) read by a
// grid seven rows a page, and the whole result is saved.
// Table lines are tab-separated. Line 1: column names; line 2: each column's
// field type by its name (ftString, ftInteger ...), with ":SIZE" and/or
// ":hidden" appended; then one line per row, its first cell "+" (visible) or
// "-" (hidden). Cells take the escapes \t \n \r \\, and \N for an empty cell.
// Cells of date and date-time columns are "YYYY-MM-DD[ HH:MM:SS[.mmm]]".
// Cells get the typed values a dataset gives (numbers, booleans, dates; NULL
// for \N), and number cells show the 15-digit display text, as read grids do.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "datasets/ZylMemDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Stream.h"

namespace {

using zyl::TFieldType;

std::vector<std::string> SplitCells(const std::string& line) {
  std::vector<std::string> cells(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\t') {
      cells.emplace_back();
    } else if (line[i] == '\\' && i + 1 < line.size()) {
      const char c = line[++i];
      if (c != 'N') cells.back() += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    } else {
      cells.back() += line[i];
    }
  }
  return cells;
}

double DateValue(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  const int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &y, &mo, &d, &h, &mi, &s, &ms);
  if (n < 3) return 0;
  return zyl::EncodeDate(y, mo, d) + zyl::EncodeTime(h, mi, s, ms);
}

void Fill(zyl::TZylField& cell, TFieldType type, const std::string& text);

// The dataset value of `text` in a column of `type`.
zyl::TVariant Typed(TFieldType type, const std::string& text) {
  if (type == TFieldType::ftString || type == TFieldType::ftMemo) return zyl::TVariant(text);
  zyl::TZylField cell(nullptr);
  Fill(cell, type, text);
  return cell.GetVariantValue();
}

// Saves the rows as a dataset's whole result.
void SaveWholeResult(zyl::TExportType format, const std::vector<std::vector<std::string>>& lines,
                     const std::vector<TFieldType>& typeOf, zyl::TZylHTMLGrid& shape,
                     zyl::TStream& out) {
  zyl::TZylMemDataset data(nullptr);
  for (std::size_t c = 0; c < typeOf.size(); ++c) {
    data.AddField(lines[0][c], typeOf[c], shape.GetColumns(static_cast<int>(c))->GetDataSize());
  }
  for (std::size_t r = 2; r < lines.size(); ++r) {
    std::vector<zyl::TVariant> values;
    for (std::size_t c = 0; c < typeOf.size(); ++c) {
      const std::string text = c + 1 < lines[r].size() ? lines[r][c + 1] : "";
      values.push_back(text.empty() ? zyl::TVariant::Null() : Typed(typeOf[c], text));
    }
    data.AddRecord(std::move(values));
  }
  data.Open();
  zyl::TZylHTMLGrid grid(nullptr);
  grid.Loaded();  // with its row-number column
  grid.SetShowMemos(true);
  grid.SetRowsPerPage(7);
  grid.SetDataset(&data);
  grid.ReadValues();
  for (std::size_t c = 0; c < typeOf.size(); ++c) {
    const bool visible = shape.GetColumns(static_cast<int>(c))->GetVisible();
    grid.GetColumns(static_cast<int>(c) + 1)->SetVisible(visible);
  }
  grid.SaveAs(format, out, zyl::TExportScope::WholeResult);
}

// What a dataset puts into a cell of `type` for `text`.
void Fill(zyl::TZylField& cell, TFieldType type, const std::string& text) {
  cell.SetValue(text);
  if (text.empty()) {
    cell.SetVariantValue(zyl::TVariant::Null());
  } else if (type == TFieldType::ftDate || type == TFieldType::ftDateTime) {
    cell.SetDateValue(DateValue(text));
    cell.SetVariantValue(zyl::TVariant::FromDate(cell.GetDateValue()));
  } else if (type == TFieldType::ftFloat || type == TFieldType::ftCurrency) {
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    cell.SetVariantValue(v);
    cell.SetValue(zyl::FloatToStr(v));
  } else if (type == TFieldType::ftSmallint || type == TFieldType::ftInteger ||
             type == TFieldType::ftLargeint) {
    std::int64_t v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    cell.SetVariantValue(v);
  } else if (type == TFieldType::ftBoolean) {
    cell.SetVariantValue(text == "True");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, zyl::TExportType> formats = {
      {"txt", zyl::TExportType::TabbedText}, {"xls", zyl::TExportType::Excel},
      {"mdb", zyl::TExportType::Access},     {"dbf", zyl::TExportType::dBase},
      {"db", zyl::TExportType::Paradox},     {"csv", zyl::TExportType::CSV},
      {"xlsx", zyl::TExportType::XLSX},      {"json", zyl::TExportType::JSON}};
  const std::map<std::string, TFieldType> types = {
      {"ftString", TFieldType::ftString},     {"ftSmallint", TFieldType::ftSmallint},
      {"ftInteger", TFieldType::ftInteger},   {"ftLargeint", TFieldType::ftLargeint},
      {"ftFloat", TFieldType::ftFloat},       {"ftCurrency", TFieldType::ftCurrency},
      {"ftBoolean", TFieldType::ftBoolean},   {"ftDate", TFieldType::ftDate},
      {"ftDateTime", TFieldType::ftDateTime}, {"ftMemo", TFieldType::ftMemo}};
  const bool whole = argc == 4 && std::string(argv[3]) == "all";
  if ((argc != 3 && !whole) || formats.count(argv[1]) == 0) {
    std::cerr << "usage: write_sample txt|xls|mdb|dbf|db|csv|xlsx|json FILE [all] < table\n";
    return 2;
  }
  std::string line;
  std::vector<std::vector<std::string>> lines;
  while (std::getline(std::cin, line)) lines.push_back(SplitCells(line));
  if (lines.size() < 2) return 2;

  zyl::TZylHTMLGrid grid(nullptr);
  const std::size_t columns = lines[0].size();
  grid.SetColCount(static_cast<int>(columns));
  grid.SetRowCount(static_cast<int>(lines.size() - 2));
  std::vector<TFieldType> typeOf(columns);
  for (std::size_t c = 0; c < columns; ++c) {
    zyl::TZylColumn* column = grid.GetColumns(static_cast<int>(c));
    std::vector<std::string> parts(1);
    for (char ch : lines[1][c]) {
      if (ch == ':') {
        parts.emplace_back();
      } else {
        parts.back() += ch;
      }
    }
    column->SetFieldName(lines[0][c]);
    column->SetCaption(lines[0][c]);
    column->SetDataType(types.at(parts[0]));
    typeOf[c] = types.at(parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i) {
      if (parts[i] == "hidden") {
        column->SetVisible(false);
      } else {
        column->SetDataSize(std::stoi(parts[i]));
      }
    }
  }
  for (std::size_t r = 2; r < lines.size(); ++r) {
    const int row = static_cast<int>(r - 2);
    grid.GetRows(row)->SetVisible(lines[r][0] == "+");
    for (std::size_t c = 0; c + 1 < lines[r].size() && c < columns; ++c) {
      Fill(*grid.GetCells(row, static_cast<int>(c)), typeOf[c], lines[r][c + 1]);
    }
  }
  try {
    zyl::TFileStream out(argv[2], zyl::TFileStream::Mode::fmCreate);
    if (whole) {
      SaveWholeResult(formats.at(argv[1]), lines, typeOf, grid, out);
    } else {
      grid.SaveAs(formats.at(argv[1]), out);
    }
  } catch (const zyl::Exception& e) {
    std::cerr << "write_sample: " << e.Message() << "\n";
    return 1;
  }
  return 0;
}
