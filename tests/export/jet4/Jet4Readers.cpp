#include "export/jet4/Jet4Readers.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace jet4test {

namespace {

using zyl::exporting::AdoType;
using zyl::exporting::Bytes;
using zyl::exporting::CurrencyValue;
using zyl::exporting::DateTimeValue;

const std::string kReaderDir = ZYL_SOURCE_DIR "/tests/export/jet4";

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs `argv` and returns its standard output; throws unless it exits with 0.
std::string Run(const std::vector<std::string>& argv) {
  std::string command;
  for (const std::string& a : argv) command += Quote(a) + " ";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::string out;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = ::pclose(pipe);
  if (status != 0)
    throw std::runtime_error(command + "exited with status " + std::to_string(status));
  return out;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::stringstream in(s);
  while (std::getline(in, part, sep)) parts.push_back(part);
  if (!s.empty() && s.back() == sep) parts.emplace_back();
  return parts;
}

std::string Hex(const std::string& bytes, bool upper) {
  static const char* digits[2] = {"0123456789abcdef", "0123456789ABCDEF"};
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[upper][c >> 4];
    out += digits[upper][c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

// RFC 4180 records: quoted fields may hold separators, quotes ("") and line breaks.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
      any = true;
    } else if (c == ',') {
      record.push_back(field);
      field.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      record.push_back(field);
      records.push_back(record);
      record.clear();
      field.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (any || !field.empty() || !record.empty()) {
    record.push_back(field);
    records.push_back(record);
  }
  return records;
}

ReadDatabase ReadMdbTools(const std::string& path) {
  ReadDatabase db;
  for (const std::string& name : Split(Run({"mdb-tables", "-1", path}), '\n')) {
    if (!name.empty()) db.tables.push_back(name);
  }
  for (const std::string& name : db.tables) {
    ReadTable table;
    table.name = name;
    auto records = ParseCsv(
        Run({"mdb-export", "-b", "hex", "-0", "NULL", "-T", "%Y-%m-%d %H:%M:%S", path, name}));
    if (!records.empty()) {
      table.columnNames = records.front();
      table.rows.assign(records.begin() + 1, records.end());
    }
    // mdb-schema: "\t[Name]\t\t\tType, " lines inside the CREATE TABLE block.
    for (const std::string& line : Split(Run({"mdb-schema", "-T", name, path}), '\n')) {
      if (line.size() < 3 || line[0] != '\t' || line[1] != '[') continue;
      std::string type = line.substr(line.find(']') + 1);
      type.erase(0, type.find_first_not_of('\t'));
      while (!type.empty() && (type.back() == ' ' || type.back() == ',')) type.pop_back();
      table.columnTypes.push_back(type);
    }
    db.byName[name] = std::move(table);
  }
  return db;
}

ReadDatabase ReadMdbReader(const std::string& path) {
  ReadDatabase db;
  ReadTable* current = nullptr;
  for (const std::string& line :
       Split(Run({"node", kReaderDir + "/read_with_mdb_reader.mjs", path}), '\n')) {
    std::vector<std::string> parts = Split(line, '\t');
    if (parts.empty()) continue;
    if (parts[0] == "TABLES") {
      for (std::size_t i = 1; i < parts.size(); ++i) db.tables.push_back(Unhex(parts[i]));
    } else if (parts[0] == "TABLE" && parts.size() == 3) {
      const std::string name = Unhex(parts[1]);
      current = &db.byName[name];
      current->name = name;
      current->rowCount = std::stol(parts[2]);
    } else if (parts[0] == "COLUMN" && parts.size() == 4 && current != nullptr) {
      current->columnNames.push_back(Unhex(parts[1]));
      current->columnTypes.push_back(parts[2]);
    } else if (parts[0] == "ROW" && current != nullptr) {
      current->rows.emplace_back(parts.begin() + 1, parts.end());
    }
  }
  return db;
}

bool IsLongBinary(const Column& column) {
  return column.type == AdoType::LongVarBinary || column.size > 510;
}

// A decimal text such as "-12.5" or "0.0100" in units of 1/10000.
std::optional<long long> ParseScaled(const std::string& text) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  long long whole = 0;
  long long fraction = 0;
  int decimals = 0;
  bool digits = false;
  for (; i < text.size() && text[i] != '.'; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    whole = whole * 10 + (text[i] - '0');
    digits = true;
  }
  if (i < text.size()) {
    for (++i; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '9' || decimals == 4) return std::nullopt;
      fraction = fraction * 10 + (text[i] - '0');
      ++decimals;
    }
  }
  if (!digits) return std::nullopt;
  while (decimals++ < 4) fraction *= 10;
  // Built in unsigned arithmetic so that the most negative amount fits.
  const unsigned long long magnitude =
      static_cast<unsigned long long>(whole) * 10000ULL + static_cast<unsigned long long>(fraction);
  return negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
}

bool SameDouble(const std::string& text, double want) {
  char* end = nullptr;
  const double got = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && got == want;
}

// Civil date of a day number counted from 1970-01-01.
void CivilFromDays(long long z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

long long DaysFromCivil(int y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kOleEpochFrom1970 = -25569;  // 1899-12-30

// Whole days and seconds of a non-negative OLE date with whole seconds.
void SplitOleDate(double days, long long& wholeDays, long long& seconds) {
  wholeDays = static_cast<long long>(std::floor(days));
  seconds = std::llround((days - static_cast<double>(wholeDays)) * 86400.0);
  if (seconds == 86400) ++wholeDays, seconds = 0;
}

std::string SurrogatesAsQuestionMarks(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xF8) == 0xF0 && i + 3 < utf8.size()) {
      out += "??";
      i += 3;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

std::string Expected(Reader reader, const Column& column, const Value& value) {
  const bool mt = reader == Reader::MdbTools;
  if (column.type == AdoType::Boolean) {
    const bool yes = std::holds_alternative<bool>(value) && std::get<bool>(value);
    return mt ? (yes ? "1" : "0") : (yes ? "T" : "F");
  }
  if (std::holds_alternative<std::monostate>(value)) return mt ? "NULL" : "N";
  if (const auto* i = std::get_if<std::int64_t>(&value))
    return (mt ? "" : "#") + std::to_string(*i);
  if (const auto* s = std::get_if<std::string>(&value)) {
    // mdbtools cannot tell an empty text from NULL, and converts UTF-16 unit
    // by unit: a character outside the BMP (a surrogate pair) shows as "??".
    if (mt) return s->empty() ? "NULL" : SurrogatesAsQuestionMarks(*s);
    return "S" + Hex(*s, false);
  }
  if (const auto* b = std::get_if<Bytes>(&value)) {
    std::string raw(b->begin(), b->end());
    if (!mt) return "X" + Hex(raw, false);
    if (IsLongBinary(column)) return Hex(raw, true);
    // mdbtools treats Binary values as C strings.
    raw = raw.substr(0, raw.find('\0'));
    return raw.empty() ? "NULL" : Hex(raw, true);
  }
  if (const auto* d = std::get_if<DateTimeValue>(&value)) {
    long long wholeDays = 0;
    long long seconds = 0;
    SplitOleDate(d->days, wholeDays, seconds);
    if (!mt)
      return "D" + std::to_string(((wholeDays + kOleEpochFrom1970) * 86400 + seconds) * 1000);
    int y = 0;
    unsigned m = 0;
    unsigned day = 0;
    CivilFromDays(wholeDays + kOleEpochFrom1970, y, m, day);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld", y, m, day,
                  seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
  }
  return {};
}

}  // namespace

const char* ReaderName(Reader reader) {
  return reader == Reader::MdbTools ? "mdbtools" : "mdb-reader";
}

std::optional<std::string> MissingReader(Reader reader) {
  if (reader == Reader::MdbTools) {
    for (const char* tool : {"mdb-tables", "mdb-export", "mdb-schema"}) {
      if (!OnPath(tool))
        return std::string(tool) + " is not installed (scripts/install-deps readers)";
    }
    return std::nullopt;
  }
  if (!OnPath("node")) return std::string("node is not installed (scripts/install-deps readers)");
  if (::access((kReaderDir + "/node_modules/mdb-reader/package.json").c_str(), R_OK) != 0) {
    return std::string("mdb-reader is not installed (run tests/export/jet4/setup.sh)");
  }
  return std::nullopt;
}

ReadDatabase ReadDatabaseWith(Reader reader, const std::string& path) {
  return reader == Reader::MdbTools ? ReadMdbTools(path) : ReadMdbReader(path);
}

std::vector<std::string> MdbToolsAllTables(const std::string& path) {
  std::vector<std::string> names;
  for (const std::string& name : Split(Run({"mdb-tables", "-1", "-S", path}), '\n')) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::string CompareCell(Reader reader, const Column& column, const Value& value,
                        const std::string& got) {
  const bool mt = reader == Reader::MdbTools;
  bool same = false;
  std::string want;
  if (column.type != AdoType::Boolean && std::holds_alternative<double>(value)) {
    want = std::to_string(std::get<double>(value));
    same =
        mt ? SameDouble(got, std::get<double>(value))
           : got.size() > 1 && got[0] == '#' && SameDouble(got.substr(1), std::get<double>(value));
  } else if (column.type != AdoType::Boolean && std::holds_alternative<CurrencyValue>(value)) {
    const long long scaled = std::get<CurrencyValue>(value).scaled;
    want = std::to_string(scaled) + "/10000";
    const std::optional<long long> parsed =
        mt ? ParseScaled(got)
           : (got.size() > 1 && got[0] == 'S' ? ParseScaled(Unhex(got.substr(1))) : std::nullopt);
    same = parsed && *parsed == scaled;
  } else {
    want = Expected(reader, column, value);
    same = got == want;
  }
  if (same) return {};
  auto cut = [](const std::string& s) { return s.size() > 120 ? s.substr(0, 120) + "..." : s; };
  return std::string(ReaderName(reader)) + " shows '" + cut(got) + "', expected '" + cut(want) +
         "'";
}

double OleDate(int year, int month, int day, int hour, int minute, int second) {
  const long long days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
      kOleEpochFrom1970;
  return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

}  // namespace jet4test
