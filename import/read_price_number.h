#ifndef PREISLISTE_IMPORT_READ_PRICE_NUMBER_H_
#define PREISLISTE_IMPORT_READ_PRICE_NUMBER_H_

#include <optional>
#include <string_view>

#include "core/currency.h"

namespace price_import {

// Reads the purchase price from the price text of a line, with a period as
// decimal point whatever the process locale: blanks, tabs and line feeds
// anywhere are ignored; an optional sign, digits with at most one period and
// an optional exponent (E or e, optional sign, digits) are read up to the first
// character that cannot continue the number. No number at all is 0.
// "1.234.5" is 1.234, "12 ct" is 12. The result is rounded half to even to
// four decimals; it is empty when the number is too large for a currency.
std::optional<core::Currency> ReadPriceNumber(std::string_view text);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_READ_PRICE_NUMBER_H_
