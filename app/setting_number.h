#ifndef PREISLISTE_APP_SETTING_NUMBER_H_
#define PREISLISTE_APP_SETTING_NUMBER_H_

#include <optional>
#include <string>
#include <string_view>

namespace app {

// How the operator's locale writes numbers, as far as settings need it.
struct NumberFormat {
  std::string decimal_separator = ".";
};

// The number format of the C library's current LC_NUMERIC locale.
NumberFormat NumberFormatOfCurrentLocale();

// Reads a numeric setting: blanks around it, an optional sign, digits with the
// locale's decimal separator, an optional exponent. A text the locale cannot
// read is tried once more in plain C notation (period as decimal point), so
// "0.1" works under a German locale as well. Digit grouping is not accepted:
// under a German locale "0.1" must not become 1. Empty when neither reading
// takes the whole text or the number is not finite.
std::optional<double> ReadSettingNumber(std::string_view text,
                                        const NumberFormat& format);

// Reads a whole-number setting: blanks around it, then one to three digits
// (no sign, no separator) making a number from `lowest` to `highest`. Empty
// for anything else.
std::optional<int> ReadWholeSetting(std::string_view text, int lowest, int highest);

// The text the locale writes for the number 0.1: "0.1", or "0,1" where the
// comma is the decimal separator.
std::string OneTenthText(const NumberFormat& format);

}  // namespace app

#endif  // PREISLISTE_APP_SETTING_NUMBER_H_
