#include "pricing/sql_number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

#include "core/error.h"
#include "pricing/price_factor.h"
#include "tests/app/german_numeric_locale.h"

namespace pricing {
namespace {

struct CurrencyCase {
  int64_t ticks;
  const char* text;
};

TEST(SqlNumberTextTest, WritesCurrencyAmounts) {
  const CurrencyCase cases[] = {
      {1000, " .1"},      {500, " .05"},  {10000, " 1"},
      {0, " 0"},          {-5000, "-.5"}, {30000, " 3"},
      {30001, " 3.0001"}, {1, " .0001"},  {123456789, " 12345.6789"},
      {-10000, "-1"},     {-1, "-.0001"}, {250000, " 25"},
  };
  for (const CurrencyCase& c : cases)
    EXPECT_EQ(SqlNumberText(core::Currency::FromTicks(c.ticks)), c.text) << c.ticks;
}

struct DoubleCase {
  double number;
  const char* text;
};

TEST(SqlNumberTextTest, WritesDoublesWithAtMostFifteenSignificantDigits) {
  const DoubleCase cases[] = {
      {1.6, " 1.6"},
      {1.19 * 1.6, " 1.904"},  // 1.9039999999999999 in binary
      {-0.5, "-.5"},
      {1, " 1"},
      {0, " 0"},
      {-0.0, " 0"},
      {0.1, " .1"},
      {100, " 100"},
      {1e20, " 100000000000000000000"},
      {0.00001, " .00001"},
      {1.0 / 3, " .333333333333333"},
      {2.0 / 3, " .666666666666667"},
      {123456.7890123456789, " 123456.789012346"},
      {-1234.5, "-1234.5"},
      {9.9999999999999999, " 10"},
  };
  for (const DoubleCase& c : cases)
    EXPECT_EQ(SqlNumberText(c.number), c.text) << c.number;
}

TEST(SqlNumberTextTest, RefusesNumbersThatAreNotFinite) {
  EXPECT_THROW(SqlNumberText(std::numeric_limits<double>::infinity()), core::Error);
  EXPECT_THROW(SqlNumberText(std::numeric_limits<double>::quiet_NaN()), core::Error);
}

// Statements must read the same whatever decimal separator the process
// locale uses.
TEST(SqlNumberTextTest, IgnoresAGermanNumericLocale) {
  const testing_support::GermanNumericLocale german;
  if (!german.active())
    GTEST_SKIP() << "no German locale: scripts/bootstrap installs the package locales";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");

  run::RunSettings settings;
  settings.vat_fraction = 0.19;
  EXPECT_EQ(SqlNumberText(PriceFactor(settings)), " 1.904");
  EXPECT_EQ(SqlNumberText(core::Currency::FromTicks(1000)), " .1");
  EXPECT_EQ(CentRoundedPriceSql("PreisEk", settings), "ROUND(PreisEk* 1.904+0.0049, 2)");
}

}  // namespace
}  // namespace pricing
