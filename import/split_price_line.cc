#include "import/split_price_line.h"

#include <algorithm>

#include "core/numeric_text.h"

namespace price_import {
namespace {

std::string CleanField(std::string_view field) {
  const size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  field = field.substr(first, field.find_last_not_of(' ') - first + 1);
  if (field.front() == '"') {
    field.remove_prefix(1);
    if (!field.empty() && field.back() == '"') field.remove_suffix(1);
  }
  std::string text(field);
  std::replace(text.begin(), text.end(), ',', '.');
  return text;
}

}  // namespace

PriceLineFields SplitPriceLine(std::string_view line) {
  // Only the first five fields can matter.
  std::array<std::string_view, 5> fields;
  size_t count = 0;
  size_t start = 0;
  while (count < fields.size()) {
    const size_t semicolon = line.find(';', start);
    fields[count++] = line.substr(start, semicolon - start);
    if (semicolon == std::string_view::npos) break;
    start = semicolon + 1;
  }

  PriceLineFields result;
  if (count < 3) return result;
  for (size_t i = 0; i < 3; ++i) result[i] = CleanField(fields[i]);
  if (count == 5) {
    std::string fifth = CleanField(fields[4]);
    if (core::IsNumericText(fifth)) result[2] = std::move(fifth);
  }
  return result;
}

}  // namespace price_import
