#include "pricing/price_factor.h"

#include <cmath>

#include "core/error.h"
#include "pricing/sql_number_text.h"

namespace pricing {

double PriceFactor(const run::RunSettings& settings) {
  const double with_vat = 1 + settings.vat_fraction;
  const double with_margin = settings.margin_percent / 100 + 1;
  const double factor = with_vat * with_margin;
  if (std::isinf(factor))
    throw core::Error("Überlauf beim Berechnen des Preisfaktors",
                      core::Error::Kind::kBadInput);
  if (std::isnan(factor))
    throw core::Error("Ungültige Rechenoperation beim Berechnen des Preisfaktors",
                      core::Error::Kind::kBadInput);
  return factor;
}

std::string CentRoundedPriceSql(std::string_view purchase_price_column,
                                const run::RunSettings& settings) {
  return "ROUND(" + std::string(purchase_price_column) + "*" +
         SqlNumberText(PriceFactor(settings)) + "+0.0049, 2)";
}

}  // namespace pricing
