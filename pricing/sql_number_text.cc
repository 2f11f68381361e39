#include "pricing/sql_number_text.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "core/error.h"

namespace pricing {
namespace {

// Writes a non-negative magnitude given as a text in plain decimal notation
// ("0.1", "12", "1.904") the way statements want it: no zero before the point
// below 1, and a blank in front of non-negative numbers.
std::string SignedForSql(bool negative, std::string magnitude) {
  if (magnitude.starts_with("0.")) magnitude.erase(0, 1);
  return (negative ? "-" : " ") + magnitude;
}

// Plain decimal notation of |number| rounded to 15 significant digits,
// without trailing zeros. Built from the digits of the scientific form, which
// std::to_chars writes in the C notation whatever the process locale.
std::string PlainMagnitude(double number) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(number),
                    std::chars_format::scientific, 14);
  if (error != std::errc())
    throw core::Error("Zahl nicht darstellbar", core::Error::Kind::kInternal);
  const std::string_view text(buffer, end - buffer);  // d.ddddddddddddddde[+-]xx
  const size_t e = text.find('e');
  std::string digits(text.substr(0, 1));
  digits.append(text.substr(2, e - 2));
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), end, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  // digits d1 d2 ... stand for d1.d2... x 10^exponent.
  const int point = exponent + 1;  // digits before the decimal point
  if (point <= 0) return "0." + std::string(-point, '0') + digits;
  if (point >= static_cast<int>(digits.size()))
    return digits + std::string(point - digits.size(), '0');
  return digits.substr(0, point) + "." + digits.substr(point);
}

}  // namespace

std::string SqlNumberText(core::Currency amount) {
  std::string text = amount.ToString();
  const bool negative = text.starts_with('-');
  if (negative) text.erase(0, 1);
  return SignedForSql(negative, std::move(text));
}

std::string SqlNumberText(double number) {
  if (!std::isfinite(number))
    throw core::Error("Keine endliche Zahl für eine SQL-Anweisung",
                      core::Error::Kind::kInternal);
  if (number == 0) return " 0";  // also -0.0
  return SignedForSql(number < 0, PlainMagnitude(number));
}

}  // namespace pricing
