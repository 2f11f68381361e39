#ifndef PREISLISTE_PRICING_SQL_NUMBER_TEXT_H_
#define PREISLISTE_PRICING_SQL_NUMBER_TEXT_H_

#include <string>

#include "core/currency.h"

namespace pricing {

// How a number is written into SQL statement text, whatever the process
// locale: a leading blank when it is zero or positive, a minus sign when
// negative; a period as decimal point, no digit grouping, no zero before the
// point below 1, no trailing zeros, no point for a whole number.
//   0.1 -> " .1"   1.6 -> " 1.6"   -0.5 -> "-.5"   1 -> " 1"
std::string SqlNumberText(core::Currency amount);  // its (at most four) decimals
std::string SqlNumberText(double number);          // at most 15 significant digits

}  // namespace pricing

#endif  // PREISLISTE_PRICING_SQL_NUMBER_TEXT_H_
