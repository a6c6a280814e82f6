// XLSX through libxlsxwriter in constant-memory mode: each row goes to the
// worksheet's temporary file as it is written, so the memory used does not
// grow with the rows. A sheet holds 1,048,575 data rows under its header
// row; the rows beyond continue on "ExportTable (2)" and so on.
#include <xlsxwriter.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "export/ExportRows.h"
#include "export/StreamedExports.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

namespace zyl::exporting {
namespace {

constexpr lxw_row_t kSheetRows = 1048576;  // the header row and the data rows
constexpr std::size_t kMaxText = 32767;    // bytes here; Excel counts characters
constexpr double kFirstExcelDay = 2;       // 1900-01-01 in days since 1899-12-30
constexpr double kExcelLeapDay = 61;       // 1900-03-01, after Excel's 29 February 1900
constexpr std::int64_t kTwoPow53 = std::int64_t{1} << 53;

void Check(lxw_error error, const char* what) {
  if (error != LXW_NO_ERROR) {
    throw Exception(std::string("XLSX export: ") + what + ": " + lxw_strerror(error));
  }
}

struct WorkbookCloser {
  void operator()(lxw_workbook* book) const { workbook_close(book); }
};

// The cell formats of dates, date-times and times, with and without
// milliseconds.
struct DateFormats {
  lxw_format* date;
  lxw_format* dateTime;
  lxw_format* dateTimeMs;
  lxw_format* time;
  lxw_format* timeMs;

  explicit DateFormats(lxw_workbook* book)
      : date(Make(book, "yyyy-mm-dd")),
        dateTime(Make(book, "yyyy-mm-dd hh:mm:ss")),
        dateTimeMs(Make(book, "yyyy-mm-dd hh:mm:ss.000")),
        time(Make(book, "hh:mm:ss")),
        timeMs(Make(book, "hh:mm:ss.000")) {}
  static lxw_format* Make(lxw_workbook* book, const char* pattern) {
    lxw_format* format = workbook_add_format(book);
    format_set_num_format(format, pattern);
    return format;
  }
  lxw_format* For(int code, bool ms) const {
    if (code == 9) return date;
    if (code == 10) return ms ? timeMs : time;
    return ms ? dateTimeMs : dateTime;
  }
};

// libxlsxwriter writes numbers with 16 significant digits: true when those
// read back as the same double (17 are needed for some, 0.30000000000000004).
bool SixteenDigitsExact(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.16g", value);
  return std::strtod(text, nullptr) == value;
}

// Text cut to what a cell holds, never inside a UTF-8 sequence.
std::string CellText(std::string text, bool& cut) {
  cut = text.size() > kMaxText;
  if (!cut) return text;
  std::size_t at = kMaxText;
  while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
  text.resize(at);
  return text;
}

class SheetWriter {
 public:
  SheetWriter(lxw_workbook* book, const std::vector<ExportColumn>& columns, Substitutions& noted)
      : book_(book), columns_(columns), formats_(book), noted_(noted) {}

  void Row(ExportRows& rows) {
    if (sheet_ == nullptr || row_ == kSheetRows) NewSheet();
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const ExportColumn& column = columns_[i];
      Cell(static_cast<lxw_col_t>(i), column, rows.Number(),
           rows.Value(column.gridColumn, column.fieldType));
    }
    ++row_;
  }
  void Finish() {
    if (sheet_ == nullptr) NewSheet();
  }

 private:
  void NewSheet() {
    ++sheets_;
    const std::string name =
        std::string(kExportTableName) + (sheets_ == 1 ? "" : " (" + std::to_string(sheets_) + ")");
    sheet_ = workbook_add_worksheet(book_, name.c_str());
    if (sheet_ == nullptr) throw Exception("XLSX export: the worksheet cannot be added");
    row_ = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      bool cut = false;
      Text(static_cast<lxw_col_t>(i), CellText(WithValidUtf8(columns_[i].name), cut));
    }
    row_ = 1;
  }
  void Text(lxw_col_t col, const std::string& text) {
    Check(worksheet_write_string(sheet_, row_, col, text.c_str(), nullptr), "a text cell");
  }
  void Note(const ExportColumn& column, long long number, const std::string& value,
            const char* substitute) {
    noted_.Note(column.name, static_cast<std::size_t>(number), value, substitute);
  }
  void Cell(lxw_col_t col, const ExportColumn& column, long long number, const Value& value) {
    if (const auto* b = std::get_if<bool>(&value)) {
      Check(worksheet_write_boolean(sheet_, row_, col, *b ? 1 : 0, nullptr), "a boolean cell");
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
      // Beyond 2^53 a number cell would lose digits: the integer goes as text.
      if (*i > kTwoPow53 || *i < -kTwoPow53) {
        Text(col, std::to_string(*i));
      } else {
        Check(worksheet_write_number(sheet_, row_, col, static_cast<double>(*i), nullptr),
              "a number cell");
      }
    } else if (const auto* d = std::get_if<double>(&value)) {
      if (!std::isfinite(*d)) {
        Note(column, number, FloatToExactStr(*d), "blank");
      } else if (!SixteenDigitsExact(*d)) {
        Note(column, number, FloatToExactStr(*d), "its exact text");
        Text(col, FloatToExactStr(*d));
      } else {
        Check(worksheet_write_number(sheet_, row_, col, *d, nullptr), "a number cell");
      }
    } else if (const auto* t = std::get_if<DateTimeValue>(&value)) {
      Date(col, column, number, t->days);
    } else if (const auto* bytes = std::get_if<Bytes>(&value)) {
      bool cut = false;
      Text(col, CellText(BytesToHex(*bytes), cut));
      if (cut) Note(column, number, BytesToHex(*bytes, 40), "cut to 32,767 characters");
    } else if (const auto* s = std::get_if<std::string>(&value)) {
      bool cut = false;
      const std::string valid = WithValidUtf8(*s);
      if (valid != *s) Note(column, number, valid, "? for each byte not UTF-8");
      Text(col, CellText(zyl::LineFeedsOnly(valid), cut));
      if (cut) Note(column, number, valid, "cut to 32,767 characters");
    }
  }
  // Excel counts days from 1900-01-01 as day 1 and has a 29 February 1900:
  // its serials match these days from 1 March 1900, one less before. Days
  // before 1900 (other than a time of day alone) go as their ISO text.
  void Date(lxw_col_t col, const ExportColumn& column, long long number, double days) {
    int h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(days, h, n, s, ms);
    double serial = days;
    if (column.fieldType == 10) {
      serial = EncodeTime(h, n, s, ms);
    } else if (days < kFirstExcelDay) {
      const std::string iso = IsoDateText(days, column.fieldType);
      Note(column, number, iso, "its text (Excel has no days before 1900)");
      Text(col, iso);
      return;
    } else if (days < kExcelLeapDay) {
      serial = days - 1;
    }
    Check(
        worksheet_write_number(sheet_, row_, col, serial, formats_.For(column.fieldType, ms != 0)),
        "a date cell");
  }

  lxw_workbook* book_;
  const std::vector<ExportColumn>& columns_;
  DateFormats formats_;
  Substitutions& noted_;
  lxw_worksheet* sheet_ = nullptr;
  lxw_row_t row_ = 0;
  int sheets_ = 0;
};

}  // namespace

void WriteXlsx(TZylHTMLGrid& grid, ExportRows& rows, const std::string& fileName,
               const std::string& tempDir, Substitutions& noted) {
  const std::vector<ExportColumn> columns = StreamedColumns(grid);
  std::string dir = tempDir;
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = dir.empty() ? nullptr : dir.data();
  options.use_zip64 = LXW_TRUE;
  lxw_workbook* raw = workbook_new_opt(fileName.c_str(), &options);
  if (raw == nullptr)
    throw Exception("XLSX export: the workbook '" + fileName + "' cannot be created");
  std::unique_ptr<lxw_workbook, WorkbookCloser> book(raw);
  {
    SheetWriter sheets(raw, columns, noted);
    while (rows.Next()) sheets.Row(rows);
    sheets.Finish();
  }
  Check(workbook_close(book.release()), "the workbook");
}

}  // namespace zyl::exporting
