#include "request/FormProtocol.h"

#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/StringList.h"
#include "platform/Text.h"

namespace zyl::form {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

FormField SplitAtEquals(std::string_view line) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return FormField{std::string(line), std::string()};
  return FormField{std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))};
}

}  // namespace

std::string UrlDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == '+') {
      out += ' ';
      ++i;
      continue;
    }
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    ++i;
    std::size_t take = s.size() - i < 2 ? s.size() - i : 2;
    int value = take == 0 ? -1 : 0;
    for (std::size_t k = 0; k < take; ++k) {
      int d = HexDigit(s[i + k]);
      if (d < 0) {
        value = -1;
        break;
      }
      value = value * 16 + d;
    }
    i += take;
    if (value >= 1 && value <= 255) out += static_cast<char>(value);
  }
  return out;
}

void AppendUrlEncoded(std::string_view text, FormFields& fields, std::size_t maxFields) {
  std::size_t start = 0;
  while (start <= text.size() && (maxFields == 0 || fields.size() < maxFields)) {
    std::size_t amp = text.find('&', start);
    std::size_t end = amp == std::string_view::npos ? text.size() : amp;
    std::string_view piece = text.substr(start, end - start);
    if (!piece.empty()) {
      std::size_t eq = piece.find('=');
      if (eq == std::string_view::npos) {
        fields.push_back(FormField{UrlDecode(piece), std::string()});
      } else {
        fields.push_back(
            FormField{UrlDecode(piece.substr(0, eq)), UrlDecode(piece.substr(eq + 1))});
      }
    }
    if (amp == std::string_view::npos) break;
    start = amp + 1;
  }
}

FormFields ParseUrlEncoded(std::string_view text, std::size_t maxFields) {
  FormFields fields;
  AppendUrlEncoded(text, fields, maxFields);
  return fields;
}

FormFields ParseLines(std::string_view text) {
  FormFields fields;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty()) fields.push_back(SplitAtEquals(line));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return fields;
}

FormFields FromLines(const TStringList& lines) {
  FormFields fields;
  fields.reserve(static_cast<std::size_t>(lines.Count()));
  for (const std::string& line : lines) {
    if (!line.empty()) fields.push_back(SplitAtEquals(line));
  }
  return fields;
}

void ToLines(const FormFields& fields, TStringList& lines) {
  lines.BeginUpdate();
  lines.Clear();
  for (const FormField& field : fields) lines.Add(field.name + "=" + field.value);
  lines.EndUpdate();
}

bool IsNamed(const FormField& field, std::string_view name) {
  return AnsiSameText(field.name, name);
}

std::string ClickX(std::string_view button) {
  return std::string(button) + ".x";
}

std::string ClickY(std::string_view button) {
  return std::string(button) + ".y";
}

std::string RecordButton(int recNo) {
  return std::string(kRecordPrefix) + std::to_string(recNo);
}

std::string SortButton(bool descending, int column) {
  std::string name(kSortPrefix);
  name += descending ? kDescending : kAscending;
  name += '_';
  name += std::to_string(column);
  return name;
}

std::string CellField(int recNo, int fieldIndex) {
  std::string name(kCellPrefix);
  name += std::to_string(recNo);
  name += '_';
  name += std::to_string(fieldIndex);
  return name;
}

std::string RowIdentityField(int recNo) {
  return std::string(kRowIdentityPrefix) + std::to_string(recNo);
}

bool ParseRowIdentityField(std::string_view name, int& recNo) {
  return StartsWith(name, kRowIdentityPrefix) &&
         TryStrToInt(name.substr(kRowIdentityPrefix.size()), recNo);
}

std::string FilterField(int fieldIndex) {
  return std::string(kFilterPrefix) + std::to_string(fieldIndex);
}

bool ParseFilterField(std::string_view name, int& fieldIndex) {
  return StartsWith(name, kFilterPrefix) &&
         TryStrToInt(name.substr(kFilterPrefix.size()), fieldIndex) && fieldIndex >= 0;
}

void AppendQueryField(std::string& query, std::string_view name, std::string_view value) {
  if (!query.empty()) query += '&';
  AppendPercentEncoded(query, name, "-_.~");
  query += '=';
  AppendPercentEncoded(query, value, "-_.~");
}

bool MatchRecordClick(std::string_view name, std::optional<int>& recNo) {
  if (!StartsWith(name, kRecordPrefix)) return false;
  std::size_t dot = name.find('.', kRecordPrefix.size());
  if (dot == std::string_view::npos) return false;
  int number = 0;
  recNo.reset();
  if (TryStrToInt(name.substr(kRecordPrefix.size(), dot - kRecordPrefix.size()), number)) {
    recNo = number;
  }
  return true;
}

bool MatchSortClick(std::string_view name, SortClick& click) {
  if (!StartsWith(name, kSortPrefix)) return false;
  std::size_t under = name.find('_', kSortPrefix.size());
  if (under == std::string_view::npos) return false;
  std::size_t dot = name.find('.', under + 1);
  if (dot == std::string_view::npos) return false;
  click.direction = name.substr(kSortPrefix.size(), under - kSortPrefix.size());
  click.column.reset();
  int column = 0;
  if (TryStrToInt(name.substr(under + 1, dot - under - 1), column)) click.column = column;
  return true;
}

bool IsCellField(std::string_view name) {
  return StartsWith(name, kCellPrefix);
}

bool IsChangeField(const FormField& field) {
  if (IsCellField(field.name) || IsNamed(field, kUpdateAdd)) return true;
  for (std::string_view button : {kUpdate, kAdd, kDelete}) {
    if (AnsiSameText(field.name, ClickX(button)) || AnsiSameText(field.name, ClickY(button)))
      return true;
  }
  return false;
}

bool ParseCellField(std::string_view name, bool needRecord, int& record, int& field) {
  if (!IsCellField(name)) return false;
  std::string_view rest = name.substr(kCellPrefix.size());
  std::size_t under = rest.find('_');
  if (under == std::string_view::npos) return false;
  if (!TryStrToInt(rest.substr(under + 1), field)) return false;
  if (!TryStrToInt(rest.substr(0, under), record)) {
    if (needRecord) return false;
    record = -1;
  }
  return true;
}

}  // namespace zyl::form
