#include "import/price_file_lines.h"

#include <algorithm>

#include "core/ascii.h"
#include "core/numeric_text.h"
#include "core/utf8.h"

namespace price_import {
namespace {

// The preparation deletes the imported rows whose purchase price is above
// this (PreisEk>3).
constexpr int64_t kHighestPurchaseTicks = 3 * 10000;

// Enough of a line to recognise it in the file.
constexpr size_t kLineCharactersShown = 60;

bool IsDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), core::IsAsciiDigit);
}

}  // namespace

LineFault FaultOf(const PriceLineFields& fields, core::Currency price) {
  if (!fields[0]) return LineFault::kTooFewFields;
  if (!IsDigits(*fields[0])) return LineFault::kPrefixNotDigits;
  if (fields[2]->empty()) return LineFault::kPriceMissing;
  if (!core::IsNumericText(*fields[2])) return LineFault::kPriceNotNumber;
  if (price.ticks() < 0) return LineFault::kPriceNegative;
  return LineFault::kNone;
}

void PriceFileLines::Count(int64_t number, std::string_view text,
                           const PriceLineFields& fields, core::Currency price) {
  ++read;
  if (!fields[0] || !core::IsNumericText(*fields[0]))
    ++prefix_not_number;
  else if (price.ticks() > kHighestPurchaseTicks)
    ++price_above_limit;

  const LineFault fault = FaultOf(fields, price);
  if (fault == LineFault::kNone) return;
  ++malformed;
  if (fault == LineFault::kTooFewFields && text.find_first_of(",\t") != text.npos)
    ++other_separator;
  if (first_malformed.size() < kLinesKept)
    first_malformed.push_back(
        {number, core::ShortenedText(text, kLineCharactersShown), fault});
}

}  // namespace price_import
