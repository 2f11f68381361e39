#ifndef PREISLISTE_CORE_NUMERIC_TEXT_H_
#define PREISLISTE_CORE_NUMERIC_TEXT_H_

#include <string_view>

namespace core {

// The one test of "this text is a number", shared by the price file's field
// rule and SQL's IsNumeric(): optional blanks, an optional sign, digits with at
// most one period as decimal point (at least one digit in all), an optional
// exponent (E or e, optional sign, digits), optional blanks. The empty text and
// anything else is not numeric. Independent of the process locale.
bool IsNumericText(std::string_view text);

}  // namespace core

#endif  // PREISLISTE_CORE_NUMERIC_TEXT_H_
