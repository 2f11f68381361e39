#include "core/currency.h"

#include <cmath>
#include <limits>

namespace core {

std::optional<Currency> Currency::FromDouble(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // Scale, then round ties to even. The scaled double of a value written with
  // four decimals (0.0123 -> 122.99999999999999) is within a few ulps of a
  // whole number, so rounding to nearest gives the intended count; a true tie
  // (x.5 exactly) goes to the even neighbour.
  const double scaled = value * kScale;
  const double limit = 9.2e18;  // inside int64 range, well beyond any price
  if (scaled >= limit || scaled <= -limit) return std::nullopt;
  double whole = std::floor(scaled);
  const double rest = scaled - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return Currency(static_cast<int64_t>(whole));
}

std::string Currency::ToString() const {
  const bool negative = ticks_ < 0;
  // Work with the unsigned magnitude so that INT64_MIN is handled too.
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(ticks_) : static_cast<uint64_t>(ticks_);
  std::string text = std::to_string(magnitude / kScale);
  uint64_t fraction = magnitude % kScale;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction);
    digits.insert(0, 4 - digits.size(), '0');
    while (digits.back() == '0') digits.pop_back();
    text += '.' + digits;
  }
  return negative ? '-' + text : text;
}

}  // namespace core
