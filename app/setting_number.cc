#include "app/setting_number.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>

#include "core/ascii.h"

namespace app {
namespace {

size_t SkipDigits(std::string_view text, size_t at) {
  while (at < text.size() && core::IsAsciiDigit(text[at])) ++at;
  return at;
}

// The number in text written with the given decimal separator, rewritten in C
// notation for from_chars (which takes no '+'); empty when the text does not
// follow the grammar.
std::optional<std::string> ToCNotation(std::string_view text,
                                       std::string_view separator) {
  std::string c_text;
  size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    if (text[at] == '-') c_text += '-';
    ++at;
  }
  size_t end = SkipDigits(text, at);
  bool has_digits = end > at;
  c_text += text.substr(at, end - at);
  at = end;
  if (!separator.empty() && text.substr(at, separator.size()) == separator) {
    at += separator.size();
    end = SkipDigits(text, at);
    has_digits = has_digits || end > at;
    c_text += '.';
    c_text += text.substr(at, end - at);
    at = end;
  }
  if (!has_digits) return std::nullopt;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    c_text += 'e';
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) c_text += text[at++];
    end = SkipDigits(text, at);
    if (end == at) return std::nullopt;
    c_text += text.substr(at, end - at);
    at = end;
  }
  if (at != text.size()) return std::nullopt;
  return c_text;
}

std::optional<double> ReadWith(std::string_view text, std::string_view separator) {
  const std::optional<std::string> c_text = ToCNotation(text, separator);
  if (!c_text) return std::nullopt;
  double value = 0;
  const char* last = c_text->data() + c_text->size();
  const auto [end, error] = std::from_chars(c_text->data(), last, value);
  if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

NumberFormat NumberFormatOfCurrentLocale() {
  const std::lconv* conventions = std::localeconv();
  NumberFormat format;
  if (conventions != nullptr && conventions->decimal_point != nullptr &&
      *conventions->decimal_point != '\0')
    format.decimal_separator = conventions->decimal_point;
  return format;
}

std::optional<double> ReadSettingNumber(std::string_view text,
                                        const NumberFormat& format) {
  text = TrimBlanks(text);
  if (std::optional<double> value = ReadWith(text, format.decimal_separator))
    return value;
  return ReadWith(text, ".");
}

std::string OneTenthText(const NumberFormat& format) {
  return "0" + format.decimal_separator + "1";
}

std::optional<int> ReadWholeSetting(std::string_view text, int lowest, int highest) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == text.npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  if (text.size() > 3 || !std::all_of(text.begin(), text.end(), core::IsAsciiDigit))
    return std::nullopt;
  int value = 0;
  for (const char digit : text) value = value * 10 + (digit - '0');
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

}  // namespace app
