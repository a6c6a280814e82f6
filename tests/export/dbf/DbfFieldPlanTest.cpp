#include "export/dbf/DbfFieldPlan.h"

#include <cstdint>
#include <limits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/dbf/CivilDate.h"
#include "platform/Exception.h"

namespace zyl::exporting {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

Table OneColumn(AdoType type, std::vector<Value> values, int size = 0) {
  Table table{"ExportTable", {Column{"Value", type, size}}, {}};
  for (Value& v : values) table.rows.push_back({std::move(v)});
  return table;
}

DbfField PlanOne(AdoType type, std::vector<Value> values, int size = 0) {
  return PlanDbfFields(OneColumn(type, std::move(values), size)).front();
}

std::string RefusalOf(const Table& table) {
  try {
    PlanDbfFields(table);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(accepted)";
}

TEST(DbfFieldNames, AreShortenedCleanedAndUnique) {
  EXPECT_THAT(DbfFieldNames({"Customer Name", "Customer Number", "Z\xC3\xBCrich Ort", "1st",
                             "COLUMN 0", "COLUMN 1", std::string(20, 'x'), std::string(20, 'x'), "",
                             "\xE5\x90\x8D\xE5\x89\x8D", "a-b.c"}),
              ElementsAre("CUSTOMER_N", "CUSTOMER_1", "ZURICH_ORT", "F1ST", "COLUMN_0", "COLUMN_1",
                          "XXXXXXXXXX", "XXXXXXXX_1", "F", "F_1", "A_B_C"));
}

TEST(DbfFieldNames, SuffixesSkipNamesAlreadyTaken) {
  EXPECT_THAT(DbfFieldNames({"A_1", "A", "a", "A"}), ElementsAre("A_1", "A", "A_2", "A_3"));
  std::vector<std::string> many(12, "Same Long Name");
  const std::vector<std::string> names = DbfFieldNames(many);
  EXPECT_EQ(names[10], "SAME_LO_10");
  EXPECT_EQ(names[10].size(), 10u);
}

TEST(DbfFieldPlan, IntegerWidthsHoldEachTypesExtremes) {
  EXPECT_EQ(PlanOne(AdoType::SmallInt, {std::int64_t{-32768}}).length, 6);
  EXPECT_EQ(PlanOne(AdoType::Integer, {std::int64_t{1}}).length, 11);
  EXPECT_EQ(PlanOne(AdoType::BigInt, {std::numeric_limits<std::int64_t>::min()}).length, 20);
  // A value wider than its type allows widens the field instead of being lost.
  EXPECT_EQ(PlanOne(AdoType::SmallInt, {std::int64_t{-1234567}}).length, 8);
}

TEST(DbfFieldPlan, DoubleFieldsShowEveryValuesShortestForm) {
  const DbfField f = PlanOne(AdoType::Double, {3.14159, -98765.4321, 1e-7, Value{}});
  EXPECT_EQ(f.type, 'N');
  EXPECT_EQ(f.decimals, 7);
  EXPECT_EQ(f.length, 6 + 1 + 7);                                 // "-98765" "." 7 decimals
  EXPECT_EQ(PlanOne(AdoType::Double, {0.1 + 0.2}).decimals, 15);  // dBase's maximum
  EXPECT_EQ(PlanOne(AdoType::Double, {Value{}}).length, 20);
}

TEST(DbfFieldPlan, DoubleDecimalsGiveWayToIntegerDigits) {
  const DbfField f = PlanOne(AdoType::Double, {-4503599627370495.5, 0.001});
  EXPECT_EQ(f.length, 20);
  EXPECT_EQ(f.decimals, 2);
  EXPECT_EQ(PlanOne(AdoType::Double, {9.9e19}).length, 20);
}

TEST(DbfFieldPlan, TextWidthIsTheDeclaredSizeOrTheLongestValue) {
  EXPECT_EQ(PlanOne(AdoType::VarWChar, {std::string("abc")}, 50).length, 50);
  EXPECT_EQ(PlanOne(AdoType::VarWChar, {std::string("Z\xC3\xBCrich"), std::string("ab")}).length,
            6);
  EXPECT_EQ(PlanOne(AdoType::VarWChar, {std::string(10, 'x')}, 4).length, 10);
  EXPECT_EQ(PlanOne(AdoType::Char, {std::string(300, 'x')}).length, 254);
  EXPECT_EQ(PlanOne(AdoType::VarWChar, {Value{}, std::string()}).length, 1);
  EXPECT_EQ(PlanOne(AdoType::VarWChar, {}, 1000).length, 254);
}

TEST(DbfFieldPlan, FixedTypesGetTheirFields) {
  const DbfField money = PlanOne(AdoType::Currency, {CurrencyValue{12345}});
  EXPECT_EQ((std::pair{money.length, money.decimals}), (std::pair{20, 4}));
  EXPECT_EQ(PlanOne(AdoType::Boolean, {true}).type, 'L');
  EXPECT_EQ(PlanOne(AdoType::Date, {DateTimeValue{37986.75}}).type, 'D');
}

TEST(DbfFieldPlan, ValuesThatFitNoFieldAreRefusedWithColumnRowAndValue) {
  EXPECT_EQ(RefusalOf(OneColumn(AdoType::Double, {1.0, 1e300})),
            "dBase writer: column 'Value', row 2: value 1e+300 does not fit a dBase numeric field "
            "(at most 20 characters)");
  EXPECT_THAT(RefusalOf(OneColumn(AdoType::Double, {-1e19})),
              HasSubstr("value -1e+19 does not fit"));
  EXPECT_THAT(RefusalOf(OneColumn(AdoType::Double, {std::numeric_limits<double>::quiet_NaN()})),
              HasSubstr("row 1: value nan cannot be stored"));
  EXPECT_THAT(RefusalOf(OneColumn(AdoType::Double, {std::numeric_limits<double>::infinity()})),
              HasSubstr("value inf cannot be stored"));
  EXPECT_THAT(RefusalOf(OneColumn(AdoType::Currency, {CurrencyValue{-1'000'000'000'000'000'000}})),
              HasSubstr("value -100000000000000.0000 does not fit"));
  EXPECT_THAT(
      RefusalOf(OneColumn(AdoType::Date, {DateTimeValue{2'958'466}})),
      HasSubstr("date value 2958466 (days since 30.12.1899) lies outside the years 1 to 9999"));
}

TEST(DbfFieldPlan, CurrencyRangeEndsThatFitAreAccepted) {
  EXPECT_EQ(RefusalOf(OneColumn(AdoType::Currency,
                                {CurrencyValue{std::numeric_limits<std::int64_t>::max()},
                                 CurrencyValue{-999'999'999'999'999'999}})),
            "(accepted)");
}

TEST(DbfFieldPlan, ColumnTypesWithoutDbaseFieldAreRefused) {
  EXPECT_EQ(RefusalOf(OneColumn(AdoType::LongVarWChar, {})),
            "dBase writer: column 'Value': memo columns cannot be stored in a dBase table "
            "(no .dbt memo file is written)");
  for (AdoType type : {AdoType::Binary, AdoType::VarBinary, AdoType::LongVarBinary}) {
    EXPECT_THAT(RefusalOf(OneColumn(type, {})), HasSubstr("binary columns cannot be stored"));
  }
  EXPECT_THAT(RefusalOf(OneColumn(AdoType::Error, {})),
              HasSubstr("column type 10 has no dBase field type"));
  EXPECT_THAT(RefusalOf(OneColumn(AdoType::Empty, {})),
              HasSubstr("column type 0 has no dBase field type"));
}

TEST(DbfFieldPlan, MalformedTablesAreRefused) {
  EXPECT_EQ(RefusalOf(Table{"T", {}, {}}), "dBase writer: table 'T' has no columns");
  EXPECT_EQ(RefusalOf(OneColumn(AdoType::Integer, {std::string("12")})),
            "dBase writer: column 'Value', row 1: a text value in an integer column");
  Table ragged = OneColumn(AdoType::Integer, {std::int64_t{1}});
  ragged.rows.push_back({});
  EXPECT_EQ(RefusalOf(ragged),
            "dBase writer: table 'ExportTable': row 2 has 0 values for 1 columns");
  Table wide{"W", std::vector<Column>(256, Column{"C", AdoType::Boolean}), {}};
  EXPECT_THAT(RefusalOf(wide), HasSubstr("has 256 columns, more than the 255"));
  wide.columns.pop_back();
  EXPECT_EQ(RefusalOf(wide), "(accepted)");
}

TEST(CivilDate, DayOfValueDropsTheTimeAndCoversYears1To9999) {
  EXPECT_EQ(DateOfValue({0}), (CivilDate{1899, 12, 30}));
  EXPECT_EQ(DateOfValue({37986.99}), (CivilDate{2003, 12, 31}));
  EXPECT_EQ(DateOfValue({-1.25}), (CivilDate{1899, 12, 29}));  // 29.12.1899 06:00
  EXPECT_EQ(DateOfValue({-0.5}), (CivilDate{1899, 12, 30}));
  EXPECT_EQ(DateOfValue({36585}), (CivilDate{2000, 2, 29}));
  EXPECT_EQ(DateOfValue({-693593}), (CivilDate{1, 1, 1}));
  EXPECT_EQ(DateOfValue({2958465.5}), (CivilDate{9999, 12, 31}));
  EXPECT_FALSE(DateOfValue({-693594}));
  EXPECT_FALSE(DateOfValue({std::numeric_limits<double>::quiet_NaN()}));
}

TEST(CivilDate, ATimeThatRoundsToMidnightBelongsToTheNextDay) {
  const double almostMidnight = 37986.0 + (86'400'000.0 - 0.1) / 86'400'000.0;
  EXPECT_EQ(DateOfValue({almostMidnight}), (CivilDate{2004, 1, 1}));
  EXPECT_FALSE(DateOfValue({2958465.9999999999}));
}

}  // namespace
}  // namespace zyl::exporting
