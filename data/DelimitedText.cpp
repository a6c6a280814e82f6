#include "data/DelimitedText.h"

#include "platform/StringList.h"

namespace zyl::delimited {

namespace {

// The end of the line that starts at `start`: the position of its line
// break (or the end of the text), with a double-quoted field that opens at
// a field start running over line breaks to its closing quote. False when
// the text ends inside such a field.
bool FindLineEnd(std::string_view bytes, std::size_t start, char delimiter, std::size_t& end) {
  bool quoted = false;
  bool fieldStart = true;
  for (std::size_t i = start; i < bytes.size(); ++i) {
    char ch = bytes[i];
    if (quoted) {
      if (ch == '"') {
        if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
          ++i;
        } else {
          quoted = false;
        }
      }
    } else if (ch == '\r' || ch == '\n') {
      end = i;
      return true;
    } else {
      quoted = ch == '"' && fieldStart;
      fieldStart = ch == delimiter;
    }
  }
  end = bytes.size();
  return !quoted;
}

}  // namespace

void SplitLines(std::string_view bytes, TStringList& lines, char delimiter) {
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
  }
  lines.BeginUpdate();
  lines.Clear();
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = 0;
    if (!FindLineEnd(bytes, start, delimiter, end)) {
      // An unclosed quote: the line ends at its first line break.
      end = bytes.find_first_of("\r\n", start);
      if (end == std::string_view::npos) end = bytes.size();
    }
    lines.Add(std::string(bytes.substr(start, end - start)));
    start = end;
    if (start < bytes.size() && bytes[start] == '\r') ++start;
    if (start < bytes.size() && bytes[start] == '\n') ++start;
  }
  lines.EndUpdate();
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
