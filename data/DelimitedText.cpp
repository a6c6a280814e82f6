#include "data/DelimitedText.h"

#include "platform/StringList.h"

namespace zyl::delimited {

void SplitLines(std::string_view bytes, TStringList& lines) {
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
  }
  lines.SetText(bytes);
}

void ParseLine(std::string_view line, char delimiter, TStringList& fields) {
  fields.Clear();
  std::string value;
  char quote = 0;  // the quote that opened the current stretch, 0 outside
  for (std::size_t i = 0; i < line.size(); ++i) {
    char ch = line[i];
    if (quote != 0) {
      if (ch != quote) {
        value += ch;
      } else if (i + 1 < line.size() && line[i + 1] == quote) {
        value += quote;
        ++i;
      } else {
        quote = 0;
      }
    } else if (ch == delimiter) {
      fields.Add(std::move(value));
      value.clear();
    } else if (ch == '"' || ch == '\'') {
      quote = ch;
    } else {
      value += ch;
    }
  }
  fields.Add(std::move(value));
}

void AppendQuoted(std::string& out, std::string_view value) {
  out += '"';
  for (char ch : value) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

}  // namespace zyl::delimited
