#ifndef PREISLISTE_PRICING_CHANGE_SUMMARY_H_
#define PREISLISTE_PRICING_CHANGE_SUMMARY_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pricing/change_list.h"

namespace pricing {

// What a run did to the price list, in numbers.
struct ChangeSummary {
  // Lines per Change, indexed by the enum's value.
  std::array<int64_t, 7> changes{};
  // New rows per source, indexed by the state code 1..6 (0: unknown).
  std::array<int64_t, 7> sources{};
  // New rows whose selling price is below their purchase price, as stored.
  int64_t below_cost = 0;
  // The first kBelowCostShown of them by prefix.
  std::vector<PriceListRow> below_cost_rows;
  static constexpr size_t kBelowCostShown = 10;
};

// Counts the lines, which must come in the order of CompareLists.
ChangeSummary Summarize(const std::vector<ChangeLine>& lines);

// The summary as the operator reads it, in German, several lines, each
// ending in '\n'.
std::string SummaryText(const ChangeSummary& summary);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_CHANGE_SUMMARY_H_
