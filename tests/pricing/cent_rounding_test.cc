#include <gtest/gtest.h>

#include <string>

#include "pricing/price_factor.h"
#include "tests/pricing/pipeline_fixture.h"

namespace pricing {
namespace {

using testing_support::Money;
using testing_support::PriceDatabase;
using Rows = std::vector<std::vector<std::string>>;

// The cent-rounded price, evaluated by the database: whether a price goes up
// depends on the whole remainder beyond the cent.
TEST(CentRoundingTest, RoundsUpOnlyARemainderAboveATenthOfACent) {
  struct Case {
    double purchase_price, margin_percent, vat_fraction;
    const char* selling_price;
  };
  const Case cases[] = {
      {0.0500, 60, 0, "0.0800"},     // 0.08     -> 0.0849
      {0.0063, 60, 0, "0.0100"},     // 0.01008  -> 0.01498
      {0.0126, 60, 0, "0.0300"},     // 0.02016  -> 0.02506
      {0.1234, 60, 0, "0.2000"},     // 0.19744  -> 0.20234
      {0.0525, 60, 0.19, "0.1000"},  // 0.09996  -> 0.10486
      {0.1203, 0, 0, "0.1300"},      // 0.1203   -> 0.1252
      {0.0300, 60, 0, "0.0500"},     // 0.048    -> 0.0529
      {0, 60, 0, "0.0000"},
  };
  PriceDatabase db({});
  std::vector<testing_support::ImportRow> rows;
  for (size_t i = 0; i < std::size(cases); ++i)
    rows.push_back({std::to_string(i), "Case", cases[i].purchase_price});
  db.Begin(rows);
  for (size_t i = 0; i < std::size(cases); ++i) {
    db.settings.margin_percent = cases[i].margin_percent;
    db.settings.vat_fraction = cases[i].vat_fraction;
    db.connection().Execute(
        "UPDATE Import2 SET VkPreis=" + CentRoundedPriceSql("PreisEk", db.settings) +
        " WHERE Vorwahl='" + std::to_string(i) + "'");
  }
  db.Commit();

  const Rows prices = db.Query("SELECT " + Money("VkPreis") +
                               " FROM Import2 ORDER BY CAST(Vorwahl AS INTEGER)");
  ASSERT_EQ(prices.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(prices[i][0], cases[i].selling_price)
        << "purchase " << cases[i].purchase_price;
}

}  // namespace
}  // namespace pricing
