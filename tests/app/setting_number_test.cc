#include "app/setting_number.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "tests/app/german_numeric_locale.h"

namespace app {
namespace {

struct Case {
  const char* text;
  const char* separator;
  std::optional<double> expected;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << '"' << c.text << "\" with '" << c.separator << "'";
}

class ReadSettingNumberTest : public testing::TestWithParam<Case> {};

TEST_P(ReadSettingNumberTest, ReadsLocaleThenCNotation) {
  const Case& c = GetParam();
  const std::optional<double> value =
      ReadSettingNumber(c.text, NumberFormat{c.separator});
  ASSERT_EQ(value.has_value(), c.expected.has_value()) << '"' << c.text << '"';
  if (value) {
    EXPECT_DOUBLE_EQ(*value, *c.expected) << '"' << c.text << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadSettingNumberTest,
    testing::Values(Case{"60", ".", 60}, Case{" 19 ", ".", 19}, Case{"0.1", ".", 0.1},
                    Case{"0,1", ",", 0.1}, Case{"0.1", ",", 0.1},  // C notation fallback
                    Case{"-2,5", ",", -2.5}, Case{"+7", ".", 7}, Case{",5", ",", 0.5},
                    Case{"5.", ".", 5}, Case{"1e2", ".", 100}, Case{"1,5E-1", ",", 0.15},
                    // A German locale neither groups digits nor reads a comma
                    // as anything but the decimal separator.
                    Case{"1.000,5", ",", std::nullopt}, Case{"0,1", ".", std::nullopt},
                    Case{"", ".", std::nullopt}, Case{"   ", ".", std::nullopt},
                    Case{"abc", ".", std::nullopt}, Case{"19%", ".", std::nullopt},
                    Case{"1e", ".", std::nullopt}, Case{".", ".", std::nullopt},
                    Case{"-", ".", std::nullopt}, Case{"inf", ".", std::nullopt},
                    Case{"nan", ".", std::nullopt}, Case{"1e999", ".", std::nullopt},
                    Case{"1 2", ".", std::nullopt}));

TEST(OneTenthTextTest, FollowsTheDecimalSeparator) {
  EXPECT_EQ(OneTenthText(NumberFormat{"."}), "0.1");
  EXPECT_EQ(OneTenthText(NumberFormat{","}), "0,1");
}

TEST(NumberFormatOfCurrentLocaleTest, CLocaleUsesPeriod) {
  EXPECT_EQ(NumberFormatOfCurrentLocale().decimal_separator, ".");
}

TEST(NumberFormatOfCurrentLocaleTest, GermanLocaleUsesComma) {
  testing_support::GermanNumericLocale german;
  if (!german.active()) GTEST_SKIP() << "no German locale can be set on this system";
  EXPECT_EQ(NumberFormatOfCurrentLocale().decimal_separator, ",");
}

}  // namespace
}  // namespace app
