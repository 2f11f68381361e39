#include "pricing/change_summary.h"

#include <algorithm>

#include "run/tables.h"

namespace pricing {
namespace {

// German money text with four decimals: "0,0500".
std::string Money(const std::optional<int64_t>& ticks) {
  std::string text = PriceText(ticks);
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

std::string Count(int64_t count) { return std::to_string(count); }

}  // namespace

ChangeSummary Summarize(const std::vector<ChangeLine>& lines) {
  ChangeSummary summary;
  for (const ChangeLine& line : lines) {
    ++summary.changes[static_cast<size_t>(line.change)];
    if (!line.new_row) continue;
    const PriceListRow& row = *line.new_row;
    const bool known = row.source >= run::kByName && row.source <= run::kKeptDomestic;
    ++summary.sources[known ? row.source : 0];
    if (row.price && row.purchase && *row.price < *row.purchase) {
      ++summary.below_cost;
      if (summary.below_cost_rows.size() < ChangeSummary::kBelowCostShown)
        summary.below_cost_rows.push_back(row);
    }
  }
  return summary;
}

std::string SummaryText(const ChangeSummary& s) {
  const auto change = [&](Change c) { return Count(s.changes[static_cast<size_t>(c)]); };
  std::string text =
      "Vorwahlen: " + change(Change::kNew) + " neu, " + change(Change::kRemoved) +
      " entfernt, " + change(Change::kIncreased) + " teurer, " +
      change(Change::kDecreased) + " billiger, " + change(Change::kUnchanged) +
      " unverändert, " + change(Change::kPriced) + " jetzt mit Preis, " +
      change(Change::kUnpriced) + " jetzt ohne Preis.\n";
  text += "Preise gefunden: " + Count(s.sources[run::kByName]) + " nach Name, " +
          Count(s.sources[run::kByPrefix]) + " nach Vorwahl, " +
          Count(s.sources[run::kMostCommonPrice]) + " häufigster Preis des Ziels, " +
          Count(s.sources[run::kLeadingNamePrice]) +
          " Preis eines kürzeren Zielnamens, " + Count(s.sources[run::kComputed]) +
          " aus dem Einkaufspreis berechnet, " + Count(s.sources[run::kKeptDomestic]) +
          " Inlandsvorwahl beibehalten.\n";
  text += "Unter dem Einkaufspreis: " + Count(s.below_cost) +
          (s.below_cost == 1 ? " Vorwahl" : " Vorwahlen");
  if (s.below_cost == 0) return text + ".\n";
  text += s.below_cost > static_cast<int64_t>(s.below_cost_rows.size())
              ? ", die ersten " + Count(static_cast<int64_t>(s.below_cost_rows.size())) +
                    ":\n"
              : ":\n";
  for (const PriceListRow& row : s.below_cost_rows)
    text += "  " + row.number + " " + row.name + ": Verkauf " + Money(row.price) +
            ", Einkauf " + Money(row.purchase) + "\n";
  return text;
}

}  // namespace pricing
