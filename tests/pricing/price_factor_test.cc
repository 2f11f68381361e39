#include "pricing/price_factor.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/error.h"

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
  const double infinity = std::numeric_limits<double>::infinity();
  struct Case {
    run::RunSettings settings;
    const char* description;
  };
  const Case cases[] = {
      {Settings(huge, huge), "Überlauf beim Berechnen des Preisfaktors"},
      {Settings(60, nan), "Ungültige Rechenoperation beim Berechnen des Preisfaktors"},
      {Settings(-100, infinity),  // infinity x 0
       "Ungültige Rechenoperation beim Berechnen des Preisfaktors"},
  };
  for (const Case& c : cases) {
    try {
      CentRoundedPriceSql("PreisEk", c.settings);
      ADD_FAILURE() << "no error for " << c.description;
    } catch (const core::Error& e) {
      EXPECT_EQ(std::string(e.what()), c.description);
      EXPECT_EQ(e.kind(), core::Error::Kind::kBadInput);
    }
  }
}

}  // namespace
}  // namespace pricing
