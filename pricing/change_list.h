#ifndef PREISLISTE_PRICING_CHANGE_LIST_H_
#define PREISLISTE_PRICING_CHANGE_LIST_H_

#include <optional>
#include <string>
#include <vector>

#include "pricing/price_list_rows.h"

namespace pricing {

enum class Change {
  kNew,
  kRemoved,
  kIncreased,
  kDecreased,
  kUnchanged,
  kPriced,
  kUnpriced
};

// One line of the change list: an old and a new row with the same prefix, or
// a row that has no partner on the other side.
struct ChangeLine {
  std::optional<PriceListRow> old_row;
  std::optional<PriceListRow> new_row;
  Change change = Change::kUnchanged;

  // The new row, or the old one of a removed prefix.
  const PriceListRow& row() const { return new_row ? *new_row : *old_row; }
};

// Pairs the rows of the old and the new list. For one prefix, the old rows
// and the new rows are each sorted by price (empty first), then name, and
// paired in that order; surplus new rows are new, surplus old rows removed.
// The lines come sorted by prefix (byte order of the UTF-8 text), then pair.
std::vector<ChangeLine> CompareLists(std::vector<PriceListRow> old_rows,
                                     std::vector<PriceListRow> new_rows);

// The file: a header line, then one line per ChangeLine; ';'-separated,
// fields quoted where they hold ';', '"' or a line end, LF line ends.
std::string ChangeListText(const std::vector<ChangeLine>& lines);

// "12.3400" for 123400 ticks, "" for no value.
std::string PriceText(const std::optional<int64_t>& ticks);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_CHANGE_LIST_H_
