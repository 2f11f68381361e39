#include "core/numeric_text.h"

#include "core/ascii.h"

namespace core {
bool IsNumericText(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && IsAsciiDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsAsciiDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponent_digits = 0;
    while (i < n && IsAsciiDigit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  while (i < n && text[i] == ' ') ++i;
  return i == n;
}

}  // namespace core
