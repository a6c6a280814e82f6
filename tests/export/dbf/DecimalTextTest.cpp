#include "export/dbf/DecimalText.h"

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace zyl::exporting {
namespace {

std::string Fixed(double v, int decimals) {
  return FixedText(ShortestDecimal(v), decimals);
}

TEST(DecimalText, ShortestFormGivesDigitsAndScale) {
  const DecimalNumber a = ShortestDecimal(0.1 + 0.2);  // 0.30000000000000004
  EXPECT_EQ(a.digits, "30000000000000004");
  EXPECT_EQ(a.DecimalsNeeded(), 17);
  EXPECT_EQ(a.IntegerDigits(), 1);

  const DecimalNumber b = ShortestDecimal(-1234.5);
  EXPECT_TRUE(b.negative);
  EXPECT_EQ(b.IntegerDigits(), 4);
  EXPECT_EQ(b.DecimalsNeeded(), 1);

  const DecimalNumber c = ShortestDecimal(1e300);
  EXPECT_EQ(c.IntegerDigits(), 301);
  EXPECT_EQ(c.DecimalsNeeded(), 0);

  const DecimalNumber z = ShortestDecimal(-0.0);
  EXPECT_TRUE(z.IsZero());
  EXPECT_FALSE(z.negative);
}

TEST(DecimalText, FixedTextHasExactlyTheDecimalsAndNoExponent) {
  EXPECT_EQ(Fixed(1e-7, 7), "0.0000001");
  EXPECT_EQ(Fixed(1.5e15, 0), "1500000000000000");
  EXPECT_EQ(Fixed(1.2345678901234567e19, 0), "12345678901234567000");
  EXPECT_EQ(Fixed(-0.25, 4), "-0.2500");
  EXPECT_EQ(Fixed(0, 3), "0.000");
  EXPECT_EQ(Fixed(42, 0), "42");
}

TEST(DecimalText, RoundsHalfToEvenOnTheDecimalDigits) {
  EXPECT_EQ(Fixed(0.125, 2), "0.12");
  EXPECT_EQ(Fixed(0.375, 2), "0.38");
  EXPECT_EQ(Fixed(2.5, 0), "2");
  EXPECT_EQ(Fixed(0.5, 0), "0");
  EXPECT_EQ(Fixed(0.51, 0), "1");
  EXPECT_EQ(Fixed(9.96, 1), "10.0");
  EXPECT_EQ(Fixed(0.0049, 2), "0.00");
  EXPECT_EQ(Fixed(1e-20, 15), "0.000000000000000");
}

TEST(DecimalText, NegativeValuesThatRoundToZeroHaveNoSign) {
  EXPECT_EQ(Fixed(-0.001, 2), "0.00");
  EXPECT_EQ(Fixed(-0.0, 1), "0.0");
}

TEST(DecimalText, CurrencyTextIsExactAtTheInt64Extremes) {
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(FixedText(ScaledDecimal(kMin, 4), 4), "-922337203685477.5808");
  EXPECT_EQ(FixedText(ScaledDecimal(kMax, 4), 4), "922337203685477.5807");
  EXPECT_EQ(FixedText(ScaledDecimal(-1, 4), 4), "-0.0001");
  EXPECT_EQ(FixedText(ScaledDecimal(0, 4), 4), "0.0000");
  EXPECT_EQ(FixedText(ScaledDecimal(12345678, 4), 4), "1234.5678");
}

TEST(DecimalText, MessagesShowNonFiniteValues) {
  EXPECT_EQ(DoubleForMessage(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(DoubleForMessage(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(DoubleForMessage(1e300), "1e+300");
}

}  // namespace
}  // namespace zyl::exporting
