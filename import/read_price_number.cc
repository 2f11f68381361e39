#include "import/read_price_number.h"

#include <cstdint>
#include <limits>
#include <string>

#include "core/ascii.h"

namespace price_import {
namespace {

bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Walks the text character by character, skipping the ignored ones.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) { Skip(); }
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  void Advance() {
    ++pos_;
    Skip();
  }

 private:
  void Skip() {
    while (pos_ < text_.size() && IsIgnored(text_[pos_])) ++pos_;
  }
  std::string_view text_;
  size_t pos_ = 0;
};

// A decimal number as read: its value is 0.<digits> x 10^point, negated when
// `negative`. Leading zeros of the digits are not kept.
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  int64_t point = 0;
};

// Reads "e", an optional sign and digits; leaves `in` alone and returns 0 when
// no digit follows. Huge exponents are capped: they only decide between 0 and
// "too large".
int64_t ReadExponent(Cursor& in) {
  constexpr int64_t kCap = 1'000'000'000;
  Cursor ahead = in;
  ahead.Advance();
  const bool negative = ahead.Peek() == '-';
  if (ahead.Peek() == '-' || ahead.Peek() == '+') ahead.Advance();
  if (!core::IsAsciiDigit(ahead.Peek())) return 0;
  int64_t exponent = 0;
  for (; core::IsAsciiDigit(ahead.Peek()); ahead.Advance())
    if (exponent < kCap) exponent = exponent * 10 + (ahead.Peek() - '0');
  in = ahead;
  return negative ? -exponent : exponent;
}

DecimalNumber ReadDecimal(std::string_view text) {
  Cursor in(text);
  DecimalNumber number;
  if (in.Peek() == '-' || in.Peek() == '+') {
    number.negative = in.Peek() == '-';
    in.Advance();
  }
  bool seen_digit = false, seen_period = false;
  for (;; in.Advance()) {
    const char c = in.Peek();
    if (c == '.' && !seen_period) {
      seen_period = true;
    } else if (core::IsAsciiDigit(c)) {
      seen_digit = true;
      if (c == '0' && number.digits.empty()) {
        if (seen_period) --number.point;  // 0.05 is 0.5 x 10^-1
      } else {
        number.digits += c;
        if (!seen_period) ++number.point;
      }
    } else {
      break;
    }
  }
  if (seen_digit && (in.Peek() == 'e' || in.Peek() == 'E'))
    number.point += ReadExponent(in);
  return number;
}

// The number in 1/10000 units, rounded half to even; empty beyond int64.
std::optional<int64_t> ToTicks(const DecimalNumber& number) {
  const int64_t whole_digits = number.point + 4;  // digits left of the rounding point
  const int64_t length = static_cast<int64_t>(number.digits.size());
  if (number.digits.empty() || whole_digits < 0) return 0;
  if (whole_digits > std::numeric_limits<int64_t>::digits10 + 1) return std::nullopt;
  uint64_t ticks = 0;
  for (int64_t i = 0; i < whole_digits; ++i) {
    const uint64_t digit = i < length ? number.digits[i] - '0' : 0;
    if (ticks > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
    ticks = ticks * 10 + digit;
  }
  if (whole_digits < length) {
    const char first_dropped = number.digits[whole_digits];
    const bool more =
        number.digits.find_first_not_of('0', whole_digits + 1) != std::string::npos;
    if (first_dropped > '5' || (first_dropped == '5' && (more || ticks % 2 == 1)))
      ++ticks;
  }
  if (ticks > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
    return std::nullopt;
  return static_cast<int64_t>(ticks);
}

}  // namespace

std::optional<core::Currency> ReadPriceNumber(std::string_view text) {
  const DecimalNumber number = ReadDecimal(text);
  const std::optional<int64_t> ticks = ToTicks(number);
  if (!ticks) return std::nullopt;
  return core::Currency::FromTicks(number.negative ? -*ticks : *ticks);
}

}  // namespace price_import
