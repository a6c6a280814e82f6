// Tables written by the dBase writer, read back by independent readers
// (dbfread and python-dbf, through the scripts beside this file) and compared
// value by value. A reader that is not installed skips its tests.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "export/MiniJson.h"
#include "export/dbf/DbfWriter.h"
#include "platform/FileSink.h"

namespace zyl::exporting {
namespace {

namespace fs = std::filesystem;
using Json = testing::json::Value;

// What a reader should return for one cell.
struct Expected {
  enum class Kind { Null, Text, Integer, Real, Logical, Day };
  Kind kind = Kind::Null;
  std::string text;  // Text: UTF-8 without trailing blanks; Integer: digits; Day: YYYY-MM-DD
  double real = 0;   // Real
  bool logical = false;
};

Expected Null() {
  return {};
}
Expected Text(std::string s) {
  return {Expected::Kind::Text, std::move(s)};
}
Expected Int(std::int64_t v) {
  return {Expected::Kind::Integer, std::to_string(v)};
}
Expected Real(double v) {
  return {Expected::Kind::Real, {}, v};
}
Expected Logical(bool v) {
  return {Expected::Kind::Logical, {}, 0, v};
}
Expected Day(std::string ymd) {
  return {Expected::Kind::Day, std::move(ymd)};
}

// A currency amount as the readers' float of its exact decimal text.
Expected Money(const char* exactText) {
  return Real(std::strtod(exactText, nullptr));
}

// Days since 30.12.1899 by the standard calendar, plus a time of day (which
// counts away from day 0 on days before it: -1.25 is 29.12.1899 06:00).
DateTimeValue At(int y, unsigned m, unsigned d, double hours = 0) {
  using namespace std::chrono;
  const auto days =
      (sys_days{year{y} / month{m} / day{d}} - sys_days{year{1899} / December / 30}).count();
  return DateTimeValue{static_cast<double>(days) + (days < 0 ? -hours : hours) / 24};
}

struct Case {
  Table table;
  std::vector<std::string> names;  // expected field names
  std::string types;               // expected type letters
  std::vector<std::vector<Expected>> rows;
};

std::string RightTrimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Runs one reader script on a file; skips the test when the reader is missing.
class ReaderRun {
 public:
  static std::string Python() {
    // Debian's python3 packages live in the system interpreter's path.
    return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  }

  // Returns false (and sets `skipReason`) when the reader is not installed.
  static bool Read(const std::string& script, const fs::path& dbf, Json& out,
                   std::string& skipReason) {
    const fs::path err = dbf.string() + ".err";
    const std::string command = Python() + " '" + std::string(ZYL_SOURCE_DIR) +
                                "/tests/export/dbf/" + script + "' '" + dbf.string() + "' 2>'" +
                                err.string() + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
      skipReason = "cannot start " + Python();
      return false;
    }
    std::string output;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
    const int status = pclose(pipe);
    std::ifstream errFile(err);
    std::stringstream errText;
    errText << errFile.rdbuf();
    fs::remove(err);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 3 || code == 127) {
      skipReason = code == 3 ? errText.str() : Python() + " not found";
      return false;
    }
    if (code != 0)
      throw std::runtime_error(script + " failed (" + std::to_string(code) + "): " + errText.str());
    out = testing::json::Parse(output);
    return true;
  }
};

struct Reader {
  std::string name;
  std::string script;
  bool numbersAsDoubles = false;  // Calc keeps every number as a double
};

// Keeps the CTest names short and stable.
void PrintTo(const Reader& reader, std::ostream* os) {
  *os << reader.name;
}

class DbfReadBack : public ::testing::TestWithParam<Reader> {
 protected:
  void TearDown() override {
    if (!path_.empty()) fs::remove(path_);
  }

  // Writes the case through the atomic file sink, reads it back, compares.
  void Check(const Case& c) {
    std::string testName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& ch : testName) {
      if (ch == '/') ch = '_';
    }
    path_ = fs::temp_directory_path() /
            ("zyl-dbf-" + std::to_string(getpid()) + "-" + testName + ".dbf");
    {
      FileSink sink(path_.string());
      WriteDbf(c.table, sink, CivilDate{2026, 1, 15});
      sink.Commit();
    }
    Json got;
    std::string skipReason;
    if (!ReaderRun::Read(GetParam().script, path_, got, skipReason)) GTEST_SKIP() << skipReason;

    EXPECT_EQ(got["encoding"].string, "cp1252");
    const Json& fields = got["fields"];
    ASSERT_EQ(fields.array.size(), c.names.size());
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      EXPECT_EQ(fields[i][0].string, c.names[i]) << "field " << i;
      EXPECT_EQ(fields[i][1].string, std::string(1, c.types[i])) << "field " << i;
    }
    const Json& records = got["records"];
    ASSERT_EQ(records.array.size(), c.rows.size());
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
      for (std::size_t i = 0; i < c.names.size(); ++i) {
        CompareCell(records[r][i], c.rows[r][i], r, c.names[i], GetParam().numbersAsDoubles);
        if (HasFailure()) return;  // one precise failure is enough for 10,000 rows
      }
    }
  }

  static void CompareCell(const Json& got, const Expected& want, std::size_t row,
                          const std::string& field, bool numbersAsDoubles) {
    const std::string where = "record " + std::to_string(row + 1) + " field " + field;
    switch (want.kind) {
      case Expected::Kind::Null:
        // Blank character fields read as "" (dbfread) or blanks (python-dbf).
        if (got.kind == Json::Kind::String) {
          EXPECT_EQ(RightTrimmed(got.string), "") << where;
        } else {
          EXPECT_EQ(got.kind, Json::Kind::Null) << where;
        }
        break;
      case Expected::Kind::Text:
        ASSERT_EQ(got.kind, Json::Kind::String) << where;
        EXPECT_EQ(RightTrimmed(got.string), want.text) << where;
        break;
      case Expected::Kind::Integer:
        ASSERT_EQ(got.kind, Json::Kind::Number) << where;
        if (numbersAsDoubles) {
          EXPECT_EQ(std::strtod(got.string.c_str(), nullptr),
                    std::strtod(want.text.c_str(), nullptr))
              << where;
        } else {
          EXPECT_EQ(got.string, want.text) << where;
        }
        break;
      case Expected::Kind::Real:
        ASSERT_EQ(got.kind, Json::Kind::Number) << where;
        EXPECT_EQ(std::strtod(got.string.c_str(), nullptr), want.real)
            << where << " read " << got.string;
        break;
      case Expected::Kind::Logical:
        ASSERT_EQ(got.kind, Json::Kind::Bool) << where;
        EXPECT_EQ(got.boolean, want.logical) << where;
        break;
      case Expected::Kind::Day:
        ASSERT_EQ(got.kind, Json::Kind::Object) << where;
        EXPECT_EQ(got["date"].string, want.text) << where;
        break;
    }
  }

  fs::path path_;
};

std::vector<Column> EdgeColumns() {
  return {{"Name", AdoType::VarWChar}, {"Code", AdoType::Char, 5},   {"Small", AdoType::SmallInt},
          {"Count", AdoType::Integer}, {"Big", AdoType::BigInt},     {"Ratio", AdoType::Double},
          {"Large", AdoType::Double},  {"Price", AdoType::Currency}, {"Done", AdoType::Boolean},
          {"Day", AdoType::Date},      {"Stamp", AdoType::Date}};
}

const std::vector<std::string> kEdgeNames = {"NAME",  "CODE",  "SMALL", "COUNT", "BIG",  "RATIO",
                                             "LARGE", "PRICE", "DONE",  "DAY",   "STAMP"};
constexpr const char* kEdgeTypes = "CCNNNNNNLDD";
constexpr auto kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr auto kInt64Max = std::numeric_limits<std::int64_t>::max();

Case EdgeCase() {
  Case c{{"ExportTable", EdgeColumns(), {}}, kEdgeNames, kEdgeTypes, {}};
  auto add = [&](std::vector<Value> row, std::vector<Expected> want) {
    c.table.rows.push_back(std::move(row));
    c.rows.push_back(std::move(want));
  };
  const Value null;
  add({std::string("Z\xC3\xBCrich"), std::string("AB"), std::int64_t{42}, std::int64_t{7},
       std::int64_t{1} << 53, 3.14159, 1e19, CurrencyValue{12'345'678}, true, At(2003, 12, 31),
       At(2020, 2, 29, 13.75)},
      {Text("Z\xC3\xBCrich"), Text("AB"), Int(42), Int(7), Int(std::int64_t{1} << 53),
       Real(3.14159), Real(1e19), Money("1234.5678"), Logical(true), Day("2003-12-31"),
       Day("2020-02-29")});
  add(std::vector<Value>(11, null), std::vector<Expected>(11, Null()));
  add({std::string(), std::string(), std::int64_t{0}, std::int64_t{0}, std::int64_t{0}, 0.0, -0.0,
       CurrencyValue{0}, false, null, null},
      {Null(), Null(), Int(0), Int(0), Int(0), Real(0), Real(0), Money("0"), Logical(false), Null(),
       Null()});
  add({std::string("\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"),
       std::string("\xE2\x82\xAC"
                   "5"),
       std::int64_t{-32768}, std::int64_t{-2147483648LL}, kInt64Min, -98765.4321, -9.99e18,
       CurrencyValue{-999'999'999'999'999'999}, null, At(1900, 1, 1), At(1899, 12, 31, 23.99)},
      {Text("??????"),
       Text("\xE2\x82\xAC"
            "5"),
       Int(-32768), Int(-2147483648LL), Int(kInt64Min), Real(-98765.4321), Real(-9.99e18),
       Money("-99999999999999.9999"), Null(), Day("1900-01-01"), Day("1899-12-31")});
  add({std::string("\xE6\x9D\xB1\xE4\xBA\xAC"), std::string("12345"), std::int64_t{32767},
       std::int64_t{2147483647}, kInt64Max, 1234567890.1234567, 9.999999999999999e19,
       CurrencyValue{kInt64Max}, true, At(1600, 2, 29), At(9999, 12, 31, 23.9)},
      {Text("??"), Text("12345"), Int(32767), Int(2147483647), Int(kInt64Max),
       Real(1234567890.1234567), Real(9.999999999999999e19), Money("922337203685477.5807"),
       Logical(true), Day("1600-02-29"), Day("9999-12-31")});
  add({std::string("  lead"), std::string("x"), null, std::int64_t{-1}, null, 1e-7,
       9007199254740992.0, CurrencyValue{1}, false, At(9999, 12, 31), At(1, 1, 1, 12)},
      {Text("  lead"), Text("x"), Null(), Int(-1), Null(), Real(1e-7), Real(9007199254740992.0),
       Money("0.0001"), Logical(false), Day("9999-12-31"), Day("0001-01-01")});
  add({std::string(300, 'a'), null, std::int64_t{1}, null, std::int64_t{-1}, -0.5, -1.5e18,
       CurrencyValue{-100}, null, At(2000, 2, 29), At(1970, 1, 1, 0.001)},
      {Text(std::string(254, 'a')), Null(), Int(1), Null(), Int(-1), Real(-0.5), Real(-1.5e18),
       Money("-0.01"), Null(), Day("2000-02-29"), Day("1970-01-01")});
  std::string accents;
  for (int i = 0; i < 200; ++i) accents += "\xC3\xA9";
  add({accents, std::string("q\"t\tx"), null, null, null, 0.1, 4.0, null, true, At(1, 1, 1), null},
      {Text(accents), Text("q\"t\tx"), Null(), Null(), Null(), Real(0.1), Real(4.0), Null(),
       Logical(true), Day("0001-01-01"), Null()});
  return c;
}

Case NamesCase() {
  return Case{
      {"ExportTable",
       {{"Customer Name", AdoType::VarWChar},
        {"Customer Number", AdoType::Integer},
        {"Z\xC3\xBCrich Ort", AdoType::VarWChar},
        {"1st", AdoType::Boolean},
        {"COLUMN 0", AdoType::VarWChar},
        {"COLUMN 1", AdoType::VarWChar},
        {"customer_name", AdoType::Double}},
       {{std::string("Ann"), std::int64_t{1}, std::string("Bern"), true, std::string("a"),
         std::string("b"), 2.5}}},
      {"CUSTOMER_N", "CUSTOMER_1", "ZURICH_ORT", "F1ST", "COLUMN_0", "COLUMN_1", "CUSTOMER_2"},
      "CNCLCCN",
      {{Text("Ann"), Int(1), Text("Bern"), Logical(true), Text("a"), Text("b"), Real(2.5)}}};
}

TEST_P(DbfReadBack, EdgeValuesOfEveryTypeReadBackExactly) {
  Check(EdgeCase());
}

TEST_P(DbfReadBack, EmptyTableHasFieldsAndNoRecords) {
  Case c = EdgeCase();
  c.table.rows.clear();
  c.rows.clear();
  // Without values the text fields are C(1) and the double fields N(20,6).
  Check(c);
}

TEST_P(DbfReadBack, SingleRowReadsBack) {
  Case c = EdgeCase();
  c.table.rows.resize(1);
  c.rows.resize(1);
  Check(c);
}

TEST_P(DbfReadBack, TenThousandRowsReadBack) {
  Case c{{"ExportTable",
          {{"Label", AdoType::VarWChar, 30},
           {"N", AdoType::Integer},
           {"Half", AdoType::Double},
           {"Cents", AdoType::Currency},
           {"Flag", AdoType::Boolean},
           {"When", AdoType::Date}},
          {}},
         {"LABEL", "N", "HALF", "CENTS", "FLAG", "WHEN"},
         "CNNNLD",
         {}};
  const DateTimeValue start = At(2000, 1, 1);
  for (int i = 0; i < 10'000; ++i) {
    const std::string label = "row " + std::to_string(i) + " Z\xC3\xBCrich";
    const double half = (i - 5000) / 8.0;
    const std::int64_t cents = static_cast<std::int64_t>(i) * 100 + 1;
    const int offset = i % 5000;
    const DateTimeValue when{start.days + offset + 0.5};
    using namespace std::chrono;
    const year_month_day ymd{sys_days{year{2000} / January / 1} + days{offset}};
    char iso[16];
    std::snprintf(iso, sizeof iso, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    const std::string exactCents =
        std::to_string(cents / 10000) + "." + std::to_string(10000 + cents % 10000).substr(1);
    const bool blank = i % 7 == 0;
    c.table.rows.push_back({label, std::int64_t{i - 5000}, half, CurrencyValue{cents},
                            blank ? Value{} : Value{i % 3 == 0}, when});
    c.rows.push_back({Text(label), Int(i - 5000), Real(half), Money(exactCents.c_str()),
                      blank ? Null() : Logical(i % 3 == 0), Day(iso)});
  }
  Check(c);
}

TEST_P(DbfReadBack, LongAndDuplicateNamesBecomeUniqueFieldNames) {
  Check(NamesCase());
}

std::string ReaderName(const ::testing::TestParamInfo<Reader>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Readers, DbfReadBack,
                         ::testing::Values(Reader{"dbfread", "read_dbfread.py"},
                                           Reader{"pythondbf", "read_pydbf.py"}),
                         ReaderName);

// LibreOffice takes seconds to start: it reads the two tables that cover
// every type and the field names.
class DbfReadBackCalc : public DbfReadBack {};

TEST_P(DbfReadBackCalc, EdgeValuesOfEveryTypeReadBackExactly) {
  Check(EdgeCase());
}
TEST_P(DbfReadBackCalc, LongAndDuplicateNamesBecomeUniqueFieldNames) {
  Check(NamesCase());
}

INSTANTIATE_TEST_SUITE_P(Readers, DbfReadBackCalc,
                         ::testing::Values(Reader{"libreoffice", "read_libreoffice.py", true}),
                         ReaderName);

}  // namespace
}  // namespace zyl::exporting
