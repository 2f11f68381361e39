#include "core/currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/error.h"
#include "core/value.h"

namespace {

using core::Currency;

TEST(CurrencyTest, FromDoubleRoundsToFourDecimalsTiesToEven) {
  struct Case {
    double value;
    int64_t ticks;
  };
  for (const Case& c : std::vector<Case>{{0.0123, 123},  // 122.99999999999999 when scaled
                                         {0.19, 1900},
                                         {0.00025, 2},
                                         {0.00035, 4},
                                         {-0.00025, -2},
                                         {-0.00035, -4},
                                         {0.123456, 1235},
                                         {-1.5, -15000},
                                         {0, 0}}) {
    const auto amount = Currency::FromDouble(c.value);
    ASSERT_TRUE(amount.has_value()) << c.value;
    EXPECT_EQ(amount->ticks(), c.ticks) << c.value;
  }
}

TEST(CurrencyTest, FromDoubleRefusesWhatCurrencyCannotHold) {
  for (double value :
       {std::nan(""), std::numeric_limits<double>::infinity(), 1e300, -1e16})
    EXPECT_FALSE(Currency::FromDouble(value).has_value()) << value;
}

TEST(CurrencyTest, ToStringIsPlainDecimalWithoutTrailingZeros) {
  struct Case {
    int64_t ticks;
    const char* text;
  };
  for (const Case& c : std::vector<Case>{{1000, "0.1"},
                                         {-30000, "-3"},
                                         {120001, "12.0001"},
                                         {-5, "-0.0005"},
                                         {0, "0"},
                                         {INT64_MIN, "-922337203685477.5808"}})
    EXPECT_EQ(Currency::FromTicks(c.ticks).ToString(), c.text);
}

TEST(ValueTest, ConversionsKeepNullApartAndRefuseNonNumbers) {
  EXPECT_THROW(core::Value::Null().ToCurrency(), core::Error);
  EXPECT_THROW(core::Value::Null().ToText(), core::Error);
  EXPECT_THROW(core::Value::Text("0,05").ToCurrency(), core::Error);
  EXPECT_THROW(core::Value::Integer(INT64_MAX / 1000).ToCurrency(), core::Error);
  EXPECT_EQ(core::Value::Text(" 0.05 ").ToCurrency(), Currency::FromTicks(500));
  EXPECT_EQ(core::Value::Double(0.1).ToText(), "0.1");
  EXPECT_NE(core::Value::Integer(0), core::Value::Null());
  EXPECT_NE(core::Value::Text(""), core::Value::Null());
}

}  // namespace
