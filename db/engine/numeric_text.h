#ifndef PREISLISTE_DB_ENGINE_NUMERIC_TEXT_H_
#define PREISLISTE_DB_ENGINE_NUMERIC_TEXT_H_

#include <string_view>

namespace db::engine {

// The one test of "this text is a number", shared by the price file's field
// rule and SQL's IsNumeric(): optional blanks, an optional sign, digits with at
// most one period as decimal point (at least one digit in all), an optional
// exponent (E or e, optional sign, digits), optional blanks. The empty text and
// anything else is not numeric. Independent of the process locale.
bool IsNumericText(std::string_view text);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_NUMERIC_TEXT_H_
