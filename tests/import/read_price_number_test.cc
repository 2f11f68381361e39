#include "import/read_price_number.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "tests/app/german_numeric_locale.h"

namespace price_import {
namespace {

int64_t Ticks(const std::string& text) {
  const std::optional<core::Currency> value = ReadPriceNumber(text);
  EXPECT_TRUE(value.has_value()) << text;
  return value ? value->ticks() : -1;
}

TEST(ReadPriceNumberTest, ReadsTheLeadingNumber) {
  const struct {
    std::string text;
    int64_t ticks;
  } cases[] = {
      {"0.0123", 123},
      {"1.234.5", 12340},
      {"12 ct", 120000},
      {"", 0},
      {"abc", 0},
      {".", 0},
      {"-", 0},
      {"e5", 0},
      {"5.", 50000},
      {".5", 5000},
      {"-.5", -5000},
      {"+2", 20000},
      {" 1 2 . 5 ", 125000},
      {"\t1\n.\t5", 15000},
      {"1\r5", 10000},  // a carriage return is not ignored
      {"1,5", 10000},
      {"1e2", 1000000},
      {"1E-2", 100},
      {"2.5e+1x", 250000},
      {"1 e - 2", 100},
      {"3e", 30000},
      {"3e+", 30000},
      {"3ex", 30000},
      {"1e-400", 0},
      {"0e999999999999", 0},
      {"000000000000000000000000000001.5", 15000},
  };
  for (const auto& c : cases) EXPECT_EQ(Ticks(c.text), c.ticks) << c.text;
}

TEST(ReadPriceNumberTest, RoundsHalfToEvenToFourDecimals) {
  EXPECT_EQ(Ticks("0.00005"), 0);
  EXPECT_EQ(Ticks("0.00015"), 2);
  EXPECT_EQ(Ticks("0.00025"), 2);
  EXPECT_EQ(Ticks("0.000251"), 3);
  EXPECT_EQ(Ticks("-0.00015"), -2);
}

TEST(ReadPriceNumberTest, TooLargeForCurrencyHasNoValue) {
  EXPECT_EQ(ReadPriceNumber("1e300"), std::nullopt);
  EXPECT_EQ(ReadPriceNumber("1e400"), std::nullopt);
  EXPECT_EQ(ReadPriceNumber("-1e20"), std::nullopt);
}

TEST(ReadPriceNumberTest, IgnoresTheProcessLocale) {
  const testing_support::GermanNumericLocale german;
  if (!german.active())
    GTEST_SKIP() << "no German locale: scripts/bootstrap installs the package locales";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(Ticks("0.0123"), 123);
  EXPECT_EQ(Ticks("1,5"), 10000);
}

}  // namespace
}  // namespace price_import
