// Delimited text files: a grid's data source and the tab-separated download.
//
// Layout
// - Bytes, UTF-8 in practice. A UTF-8 byte-order mark (EF BB BF) at the very
//   start is skipped on reading and never written.
// - Lines end with CR LF when written (the last line too). On reading, CR,
//   LF and CR LF all end a line, and a final line end adds no empty line,
//   except inside a field that opens with a double quote (at the start of
//   a line or right after a delimiter): there a line break belongs to the
//   value, up to the field's closing quote. When the file ends before that
//   quote, the line that opened it ends at its first line break as usual.
// - The delimiter is one character: TAB for LoadFromFile / SaveToFile, ";"
//   for LoadFromCSV / SaveToCSV.
// - Line 0 is the header: one field per column, the column captions. Line k
//   (k >= 1) is record k - 1.
// - Written fields: every value is enclosed in double quotes, a double quote
//   inside the value is written twice, and fields are joined by the
//   delimiter. A header with the captions Name and City reads
//   "Name"<TAB>"City".
// - Read fields: outside a quoted stretch the delimiter ends a field. A
//   double or a single quote opens a quoted stretch wherever it stands; the
//   quote itself is not part of the value. Inside, the delimiter and the
//   other quote character are ordinary; the opening quote character twice
//   stands for one such character; once, followed by anything else or at
//   the end of the line, it closes the stretch. Nothing is trimmed. A line
//   has one field more than delimiters outside quotes (an empty line has one
//   empty field); a stretch left open runs to the end of the line.
//
// So every value survives a write and a read exactly, whatever quotes,
// delimiters, blanks and line breaks (CR LF, LF or CR) it holds.
#pragma once

#include <string>
#include <string_view>

namespace zyl {

class TStringList;

namespace delimited {

// Splits file bytes into lines by the rules above (byte-order mark skipped;
// a line may hold line breaks inside a quoted field) and replaces the lines
// of `lines` with them.
void SplitLines(std::string_view bytes, TStringList& lines, char delimiter = '\t');

// Splits one line into `fields` (cleared first) by the rules above.
void ParseLine(std::string_view line, char delimiter, TStringList& fields);

// Appends `value` to `out` as a written field: in double quotes, inner
// double quotes doubled.
void AppendQuoted(std::string& out, std::string_view value);

}  // namespace delimited
}  // namespace zyl
