#ifndef PREISLISTE_PRICING_PRICE_FACTOR_H_
#define PREISLISTE_PRICING_PRICE_FACTOR_H_

#include <string>
#include <string_view>

#include "run/run_settings.h"

namespace pricing {

// The selling-price rule: purchase price x factor, brought to whole cents.

// (1 + VAT fraction) x (margin percent / 100 + 1), in double precision and in
// that order: 1.6 for margin 60 and no VAT, 1.904 with VAT 19 %. Throws
// std::overflow_error or std::domain_error (with a description) when the
// result is not a finite number, so no statement is built from it.
double PriceFactor(const run::RunSettings& settings);

// The SQL expression of the cent-rounded selling price of a purchase price
// column: "ROUND(<column>* <factor>+0.0049, 2)". Adding 0.0049 before rounding
// to cents lifts every price whose remainder beyond the cent exceeds 0.0001 to
// the next cent, while a price that is a whole cent stays as it is. The
// factor is computed afresh on every call.
std::string CentRoundedPriceSql(std::string_view purchase_price_column,
                                const run::RunSettings& settings);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_PRICE_FACTOR_H_
