#include "pricing/price_factor.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace pricing {
namespace {

run::RunSettings Settings(double margin_percent, double vat_fraction) {
  run::RunSettings settings;
  settings.margin_percent = margin_percent;
  settings.vat_fraction = vat_fraction;
  return settings;
}

TEST(PriceFactorTest, MultipliesVatAndMarginInTheStatedOrder) {
  struct Case {
    double margin, vat, factor;
    const char* expression;
  };
  const Case cases[] = {
      {60, 0, 1.6, "ROUND(Rate_EK* 1.6+0.0049, 2)"},
      {60, 0.19, (1 + 0.19) * (60.0 / 100 + 1), "ROUND(Rate_EK* 1.904+0.0049, 2)"},
      {0, 0, 1, "ROUND(Rate_EK* 1+0.0049, 2)"},
      {-100, 0.19, 0, "ROUND(Rate_EK* 0+0.0049, 2)"},
      {-150, 0, -0.5, "ROUND(Rate_EK*-.5+0.0049, 2)"},
  };
  for (const Case& c : cases) {
    const run::RunSettings settings = Settings(c.margin, c.vat);
    EXPECT_EQ(PriceFactor(settings), c.factor) << c.margin << " " << c.vat;
    EXPECT_EQ(CentRoundedPriceSql("Rate_EK", settings), c.expression);
  }
}

TEST(PriceFactorTest, ANonFiniteFactorIsAnErrorWithADescription) {
  const double huge = std::numeric_limits<double>::max();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(PriceFactor(Settings(huge, huge)), std::overflow_error);
  EXPECT_THROW(PriceFactor(Settings(60, nan)), std::domain_error);
  // infinity x 0
  EXPECT_THROW(PriceFactor(Settings(-100, std::numeric_limits<double>::infinity())),
               std::domain_error);
  try {
    CentRoundedPriceSql("PreisEk", Settings(huge, huge));
    FAIL() << "no error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()), "");
  }
}

}  // namespace
}  // namespace pricing
