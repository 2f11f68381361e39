#ifndef PREISLISTE_CORE_CURRENCY_H_
#define PREISLISTE_CORE_CURRENCY_H_

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace core {

// A money amount as a signed 64-bit count of 1/10000 units: the CURRENCY type
// of the price database. Exact; conversions from double round half to even to
// four decimals, like the database does on every write into a CURRENCY column.
class Currency {
 public:
  static constexpr int64_t kScale = 10000;

  constexpr Currency() = default;
  static constexpr Currency FromTicks(int64_t ticks) { return Currency(ticks); }

  // Nearest amount with four decimals, ties to even. Empty for a non-finite
  // value or one outside the 64-bit range.
  static std::optional<Currency> FromDouble(double value);

  constexpr int64_t ticks() const { return ticks_; }
  double ToDouble() const { return static_cast<double>(ticks_) / kScale; }

  // Plain decimal form with a period and no trailing zeros: "0.1", "-3", "12.0001".
  std::string ToString() const;

  constexpr auto operator<=>(const Currency&) const = default;

 private:
  constexpr explicit Currency(int64_t ticks) : ticks_(ticks) {}
  int64_t ticks_ = 0;
};

}  // namespace core

#endif  // PREISLISTE_CORE_CURRENCY_H_
