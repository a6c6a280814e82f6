#include "export/ExportStatements.h"

#include <cmath>
#include <optional>

#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/System.h"

namespace zyl::exporting {
namespace {

constexpr int kString = 1;
constexpr int kBoolean = 5;
constexpr int kDate = 9;
constexpr int kTime = 10;
constexpr int kDateTime = 11;
constexpr int kBlob = 15;
constexpr int kMemo = 16;
constexpr int kLargeint = 25;

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A boolean cell text that can stand unquoted in the statement: a word of
// letters (True, False, Yes...) or a plain number (-1, 0, 1).
bool IsPlainBooleanText(const std::string& text) {
  bool letters = true;
  for (char c : text) letters = letters && IsLetter(c);
  if (letters) return true;
  std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  const std::size_t digitsStart = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == digitsStart) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    const std::size_t fractionStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == fractionStart) return false;
  }
  return i == text.size();
}

// A date value in the grid's pattern when that text reads back as the same
// value to the millisecond (the date alone in a date column, the time of
// day alone in a time column), otherwise in an ISO form with milliseconds,
// which the engine reads as well.
std::string DateText(const std::string& pattern, TDateTime value, int fieldType) {
  TDateTime wanted = value;
  const char* exact = "yyyy-mm-dd hh:nn:ss.zzz";
  if (fieldType == kDate) {
    wanted = DatePart(value);
    exact = "yyyy-mm-dd";
  } else if (fieldType == kTime) {
    int h = 0, n = 0, sec = 0, ms = 0;
    DecodeTime(value, h, n, sec, ms);
    wanted = EncodeTime(h, n, sec, ms);
    exact = "hh:nn:ss.zzz";
  }
  const std::string text = FormatDateTime(pattern, value);
  TDateTime back = 0;
  if (TryParseDateTime(text, pattern, back) &&
      std::llround(back * 86400000.0) == std::llround(wanted * 86400000.0)) {
    return text;
  }
  return FormatDateTime(exact, wanted);
}

const std::string& DatePattern(TZylHTMLGrid& grid, int fieldType) {
  return fieldType == kDate   ? grid.GetDateFormat()
         : fieldType == kTime ? grid.GetTimeFormat()
                              : grid.GetDateTimeFormat();
}

void AppendQuoted(std::string& out, const std::string& text) {
  out += '"';
  out += StringReplace(text, "\"", "\"\"", {TReplaceFlag::rfReplaceAll});
  out += "\", ";
}

}  // namespace

bool IsNumberCode(int code) {
  return IsNumberType(static_cast<TFieldType>(code)) || code == kLargeint;
}

int FieldTypeCode(TFieldType type) {
  const int code = static_cast<int>(type) % 128;
  return code < 0 ? code + 128 : code;
}

std::optional<std::string> ExactNumberText(const TZylField& cell, int fieldType) {
  if (!IsNumberCode(fieldType)) return std::nullopt;
  const TVariant& v = cell.GetVariantValue();
  if (v.GetKind() == TVariant::Kind::Integer) return std::to_string(v.ToInt64());
  if (v.GetKind() == TVariant::Kind::Double) return FloatToExactStr(v.ToDouble());
  return std::nullopt;
}

int AdoTypeForFieldType(int fieldType) {
  switch (fieldType) {
    case 0:
      return 0;
    case 1:
    case 24:
      return 202;
    case 2:
    case 4:
      return 2;
    case 3:
    case 14:
      return 3;
    case 5:
      return 11;
    case 6:
      return 5;
    case 7:
    case 8:
      return 6;
    case 9:
    case 10:
    case 11:
      return 7;
    case 12:
      return 128;
    case 13:
      return 204;
    case 15:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      return 205;
    case 16:
      return 203;
    case 23:
      return 129;
    case 25:
      return 20;
    default:
      return 10;  // cursor and unknown codes
  }
}

std::string ExportExtension(TExportType type) {
  switch (type) {
    case TExportType::Excel:
      return ".xls";
    case TExportType::Access:
      return ".mdb";
    case TExportType::dBase:
      return ".dbf";
    case TExportType::Paradox:
      return ".db";
    case TExportType::XLSX:
      return ".xlsx";
    case TExportType::CSV:
    case TExportType::JSON:
    case TExportType::TabbedText:
      break;
  }
  return "";
}

std::vector<ExportColumn> ExportedColumns(TZylHTMLGrid& grid, TExportType type) {
  std::vector<ExportColumn> columns;
  const int count = grid.GetColCount();
  for (int c = 0; c < count; ++c) {
    const TZylColumn* column = grid.GetColumns(c);
    if (!column->GetVisible()) continue;
    const int code = FieldTypeCode(column->GetDataType());
    if (code == kBlob && type != TExportType::Access) continue;
    if (code == kMemo && (type == TExportType::dBase || type == TExportType::Paradox)) continue;
    ExportColumn out;
    out.gridColumn = c;
    out.fieldType = code;
    out.name = column->GetFieldName().empty() ? "COLUMN " + std::to_string(columns.size())
                                              : column->GetFieldName();
    out.adoType = AdoTypeForFieldType(code);
    out.size = code == kString ? column->GetDataSize() : 0;
    columns.push_back(std::move(out));
  }
  return columns;
}

std::string ColumnList(const std::vector<ExportColumn>& columns) {
  std::string list = "(";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) list += ", ";
    list += "[" + columns[i].name + "]";
  }
  return list + ")";
}

std::string InsertStatement(TZylHTMLGrid& grid, int row, const std::vector<ExportColumn>& columns,
                            const std::string& columnList) {
  std::string sql = "INSERT INTO [";
  sql += kExportTableName;
  sql += "] ";
  sql += columnList;
  sql += " VALUES (";
  for (const ExportColumn& column : columns) {
    const TZylField* cell = grid.GetCells(row, column.gridColumn);
    const std::string& value = cell->GetValue();
    if (value.empty()) {
      sql += "NULL, ";
    } else if (column.fieldType == kBoolean) {
      if (IsPlainBooleanText(value)) {
        sql += value;
        sql += " , ";
      } else {
        AppendQuoted(sql, value);
      }
    } else if (column.fieldType == kDate || column.fieldType == kTime ||
               column.fieldType == kDateTime) {
      AppendQuoted(sql, DateText(DatePattern(grid, column.fieldType), cell->GetDateValue(),
                                 column.fieldType));
    } else {
      AppendQuoted(sql, ExactNumberText(*cell, column.fieldType).value_or(value));
    }
  }
  if (!columns.empty()) sql.resize(sql.size() - 2);
  sql += ");";
  return sql;
}

std::string CopyStatement(TExportType type, const std::string& fileName) {
  switch (type) {
    case TExportType::Excel:
      return std::string("Select * INTO [") + kExportTableName + "] IN \"" + fileName +
             "\"[Excel 8.0;] FROM [" + kExportTableName + "]";
    case TExportType::dBase:
      return "Select * INTO [" + ExtractFileName(fileName) + "] IN \"" + ExtractFilePath(fileName) +
             "\"[dBase 5.0;] FROM [" + kExportTableName + "]";
    case TExportType::Paradox:
      return "Select * INTO [" + ExtractFileName(fileName) + "] IN \"" + ExtractFilePath(fileName) +
             "\"[Paradox 7.X;] FROM [" + kExportTableName + "]";
    default:  // Access: the database itself; the others are not written by the engine
      break;
  }
  return "";
}

}  // namespace zyl::exporting
