#ifndef PREISLISTE_IMPORT_SPLIT_PRICE_LINE_H_
#define PREISLISTE_IMPORT_SPLIT_PRICE_LINE_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace price_import {

// Dial prefix, destination name and purchase price text of one price line.
// All three are without value when the line has fewer than three fields.
using PriceLineFields = std::array<std::optional<std::string>, 3>;

// Cuts a line at every ";" (quotes do not protect one) and cleans each field:
// surrounding blanks go, an opening double quote goes together with a closing
// one, and every comma becomes a period. The price is the third field, or the
// fifth when the line has one and it is numeric; other fields are not used.
PriceLineFields SplitPriceLine(std::string_view line);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_SPLIT_PRICE_LINE_H_
