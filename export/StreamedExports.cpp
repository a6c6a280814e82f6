// Tab-separated text, CSV and JSON, written row by row into the stream.
#include "export/StreamedExports.h"

#include <cmath>
#include <string_view>

#include "datasets/FieldType.h"
#include "export/ExportRows.h"
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/Stream.h"
#include "platform/Utf8.h"

namespace zyl::exporting {
namespace {

// The export statements' field codes are the field types' values.
constexpr int kBoolean = static_cast<int>(TFieldType::ftBoolean);
constexpr int kDate = static_cast<int>(TFieldType::ftDate);
constexpr int kTime = static_cast<int>(TFieldType::ftTime);
constexpr std::size_t kFlushAt = 1 << 16;

bool IsDateCode(int code) {
  return IsDateType(static_cast<TFieldType>(code));
}

// Field types whose cells are numbers, booleans or dates, never formulas.
bool IsValueCode(int code) {
  return IsNumberCode(code) || code == kBoolean || IsDateCode(code);
}

int Milliseconds(double days) {
  int h = 0, n = 0, s = 0, ms = 0;
  DecodeTime(days, h, n, s, ms);
  return ms;
}

// A date-time in ISO form: the date, the time or both by the column's
// type, milliseconds only when there are some.
}  // namespace

std::string IsoDateText(double days, int code) {
  // The digits of the patterns "yyyy-mm-dd hh:nn:ss.zzz" as FormatDateTime
  // writes them, without reading a pattern (a large download writes many).
  std::string out;
  // `v` in `width` digits, after `separator` (none when 0).
  const auto digits = [&out](char separator, int v, int width) {
    if (separator != 0) out += separator;
    for (int div = width == 4 ? 1000 : width == 3 ? 100 : 10; div > 0; div /= 10) {
      out += static_cast<char>('0' + v / div % 10);
    }
  };
  if (code != kTime) {
    int y = 0, mo = 0, d = 0;
    DecodeDate(days, y, mo, d);
    if (y < 0 || y > 9999) {  // beyond four digits: as the pattern writes them
      const bool ms = Milliseconds(days) != 0;
      if (code == kDate) return FormatDateTime("yyyy-mm-dd", days);
      return FormatDateTime(ms ? "yyyy-mm-dd hh:nn:ss.zzz" : "yyyy-mm-dd hh:nn:ss", days);
    }
    digits(0, y, 4);
    digits('-', mo, 2);
    digits('-', d, 2);
    if (code == kDate) return out;
  }
  int h = 0, n = 0, sec = 0, ms = 0;
  DecodeTime(days, h, n, sec, ms);
  digits(code == kTime ? 0 : ' ', h, 2);
  digits(':', n, 2);
  digits(':', sec, 2);
  if (ms != 0) digits('.', ms, 3);
  return out;
}

namespace {

// Text with "?" for bytes that are not UTF-8, noted once per cell.
std::string ValidText(const std::string& text, const ExportColumn& column, long long row,
                      Substitutions& noted) {
  if (IsValidUtf8(text)) return text;
  std::string valid = WithValidUtf8(text);
  noted.Note(column.name, static_cast<std::size_t>(row), valid, "? for each byte not UTF-8");
  return valid;
}

std::string ValueText(const Value& value, int code) {
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
  if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value)) return FloatToExactStr(*d);
  if (const auto* t = std::get_if<DateTimeValue>(&value)) return IsoDateText(t->days, code);
  if (const auto* bytes = std::get_if<Bytes>(&value)) return BytesToHex(*bytes);
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  return "";
}

void AppendCsvField(std::string& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendJsonValue(std::string& out, const Value& value, int code) {
  if (std::holds_alternative<std::monostate>(value)) {
    out += "null";
  } else if (std::holds_alternative<std::string>(value) ||
             std::holds_alternative<DateTimeValue>(value) || std::holds_alternative<Bytes>(value)) {
    AppendJsonString(out, ValueText(value, code));
  } else {
    out += ValueText(value, code);
  }
}

// Collects the output and hands it to the stream in large pieces.
class Output {
 public:
  explicit Output(TStream& stream) : stream_(stream) {}
  std::string& Text() { return text_; }
  void Flush(bool always = false) {
    if (text_.size() < kFlushAt && !always) return;
    stream_.Write(text_);
    text_.clear();
  }

 private:
  TStream& stream_;
  std::string text_;
};

}  // namespace

std::vector<ExportColumn> StreamedColumns(TZylHTMLGrid& grid) {
  std::vector<ExportColumn> columns;
  const int count = grid.GetColCount();
  for (int c = HasNumberColumn(grid) ? 1 : 0; c < count; ++c) {
    const TZylColumn* column = grid.GetColumns(c);
    if (!column->GetVisible()) continue;
    ExportColumn out;
    out.gridColumn = c;
    out.fieldType = FieldTypeCode(column->GetDataType());
    out.name = !column->GetFieldName().empty() ? column->GetFieldName()
               : !column->GetCaption().empty() ? column->GetCaption()
                                               : "COLUMN " + std::to_string(columns.size());
    out.adoType = AdoTypeForFieldType(out.fieldType);
    columns.push_back(std::move(out));
  }
  return columns;
}

Value CellValue(const TZylField& cell, int fieldType) {
  const TVariant& variant = cell.GetVariantValue();
  const TVariant::Kind kind = variant.GetKind();
  if (kind == TVariant::Kind::Null) return std::monostate{};
  if (kind == TVariant::Kind::ByteArray) return variant.ToBytes();
  const std::string& text = cell.GetValue();
  if (text.empty()) {
    // A dataset's empty text stays an empty text; elsewhere empty is NULL.
    if (kind == TVariant::Kind::String && !IsValueCode(fieldType)) return std::string();
    return std::monostate{};
  }
  if (IsNumberCode(fieldType)) {
    if (kind == TVariant::Kind::Integer) return variant.ToInt64();
    if (kind == TVariant::Kind::Double) return variant.ToDouble();
    std::int64_t whole = 0;
    if (TryStrToInt64(text, whole)) return whole;
    double number = 0;
    return TryStrToFloat(text, number) ? number : cell.GetNumericValue();
  }
  if (fieldType == kBoolean) {
    return kind == TVariant::Kind::Boolean ? variant.ToBoolean() : cell.GetBooleanValue();
  }
  if (IsDateCode(fieldType)) return DateTimeValue{cell.GetDateValue()};
  return text;
}

Value FieldValue(const TField& field, int fieldType) {
  const TVariant variant = field.Value();
  const TVariant::Kind kind = variant.GetKind();
  if (variant.IsNullOrEmpty()) return std::monostate{};
  if (kind == TVariant::Kind::ByteArray) return variant.ToBytes();
  if (IsNumberCode(fieldType) && kind == TVariant::Kind::Integer) return variant.ToInt64();
  if (IsNumberCode(fieldType) && kind == TVariant::Kind::Double) return variant.ToDouble();
  if (fieldType == kBoolean && kind == TVariant::Kind::Boolean) return variant.ToBoolean();
  if (IsDateCode(fieldType)) return DateTimeValue{field.AsDateTime()};
  const std::string text = field.AsString();
  if (text.empty()) {
    if (kind == TVariant::Kind::String && !IsValueCode(fieldType)) return std::string();
    return std::monostate{};
  }
  if (IsNumberCode(fieldType)) {
    std::int64_t whole = 0;
    if (TryStrToInt64(text, whole)) return whole;
    double number = 0;
    return TryStrToFloat(text, number) ? number : field.AsFloat();
  }
  if (fieldType == kBoolean) return field.AsBoolean();
  return text;
}

std::string GuardedText(std::string text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) {
    text.insert(0, 1, '\'');
  }
  return text;
}

std::string TabbedCellText(TZylHTMLGrid& grid, int row, int col, bool guard, bool isoDates) {
  const TZylField* cell = grid.GetCells(row, col);
  const TVariant& value = cell->GetVariantValue();
  if (value.GetKind() == TVariant::Kind::ByteArray) return BytesToHex(value.ToBytes());
  const int code = FieldTypeCode(grid.GetColumns(col)->GetDataType());
  if (auto exact = ExactNumberText(*cell, code)) return *exact;
  if (IsDateCode(code) && !cell->GetValue().empty() && isoDates) {
    return IsoDateText(cell->GetDateValue(), code);
  }
  if (IsDateCode(code) && !cell->GetValue().empty() && Milliseconds(cell->GetDateValue()) != 0) {
    return FormatDateTime(code == kTime ? "hh:nn:ss.zzz" : "yyyy-mm-dd hh:nn:ss.zzz",
                          cell->GetDateValue());
  }
  std::string text = WithValidUtf8(cell->GetValue());
  return guard && !IsValueCode(code) ? GuardedText(std::move(text)) : text;
}

void WriteTextExport(TExportType type, TZylHTMLGrid& grid, ExportRows& rows, TStream& stream,
                     Substitutions& noted) {
  const std::vector<ExportColumn> columns = StreamedColumns(grid);
  const bool guard = grid.GetGuardFormulas();
  Output out(stream);
  std::string& text = out.Text();
  const auto guarded = [&](std::string s) { return guard ? GuardedText(std::move(s)) : s; };

  if (type == TExportType::JSON) {
    text += "[";
  } else {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) text += type == TExportType::CSV ? "," : "\t";
      const std::string name = guarded(WithValidUtf8(columns[i].name));
      if (type == TExportType::CSV) {
        AppendCsvField(text, name);
      } else {
        text += '"' + StringReplace(name, "\"", "\"\"", {TReplaceFlag::rfReplaceAll}) + '"';
      }
    }
    text += "\r\n";
  }
  while (rows.Next()) {
    if (type == TExportType::TabbedText) {
      const int r = rows.GridRow();
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) text += '\t';
        const std::string cell = TabbedCellText(grid, r, columns[i].gridColumn, guard, true);
        text += '"' + StringReplace(cell, "\"", "\"\"", {TReplaceFlag::rfReplaceAll}) + '"';
      }
      text += "\r\n";
      out.Flush();
      continue;
    }
    text += type == TExportType::JSON ? (rows.Number() == 1 ? "\n{" : ",\n{") : "";
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const ExportColumn& column = columns[i];
      Value value = rows.Value(column.gridColumn, column.fieldType);
      if (auto* s = std::get_if<std::string>(&value))
        *s = ValidText(*s, column, rows.Number(), noted);
      if (type == TExportType::CSV) {
        if (i > 0) text += ',';
        const bool isText = std::holds_alternative<std::string>(value);
        AppendCsvField(text, isText ? guarded(std::get<std::string>(value))
                                    : ValueText(value, column.fieldType));
        continue;
      }
      if (const auto* d = std::get_if<double>(&value); d != nullptr && !std::isfinite(*d)) {
        noted.Note(column.name, static_cast<std::size_t>(rows.Number()), FloatToExactStr(*d),
                   "null");
        value = std::monostate{};
      }
      if (i > 0) text += ',';
      AppendJsonString(text, WithValidUtf8(column.name));
      text += ':';
      AppendJsonValue(text, value, column.fieldType);
    }
    text += type == TExportType::JSON ? "}" : "\r\n";
    out.Flush();
  }
  if (type == TExportType::JSON) text += "\n]\n";
  out.Flush(true);
}

}  // namespace zyl::exporting
