// The parts of the change report that a run rarely reaches: more rows below
// cost than the summary lists, and prices at the ends of the currency range.

#include "pricing/change_summary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "pricing/change_list.h"
#include "run/tables.h"

namespace pricing {
namespace {

TEST(ChangeSummaryTest, TwelveRowsBelowCostAreCountedAndTheFirstTenByNumberListed) {
  std::vector<PriceListRow> new_rows;
  // Given in falling order, so that only the sorting puts 0030 .. 0039 first.
  for (int i = 41; i >= 30; --i)
    new_rows.push_back({"00" + std::to_string(i), "Ziel " + std::to_string(i), 900, 1000,
                        run::kByPrefix, "Alt"});
  new_rows.push_back({"0029", "Gewinn", 1000, 900, run::kComputed, ""});   // not below
  new_rows.push_back({"0028", "Gleich", 1000, 1000, run::kComputed, ""});  // not below
  new_rows.push_back({"0027", "Ohne Preis", std::nullopt, 1000, run::kKeptDomestic, ""});
  const ChangeSummary summary = Summarize(CompareLists({}, new_rows));

  EXPECT_EQ(summary.below_cost, 12);
  ASSERT_EQ(summary.below_cost_rows.size(), 10u);
  EXPECT_EQ(summary.below_cost_rows.front().number, "0030");
  EXPECT_EQ(summary.below_cost_rows.back().number, "0039");
  const std::string text = SummaryText(summary);
  EXPECT_NE(text.find("Unter dem Einkaufspreis: 12 Vorwahlen, die ersten 10:\n"
                      "  0030 Ziel 30: Verkauf 0,0900, Einkauf 0,1000\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("0040"), std::string::npos) << text;
  EXPECT_NE(text.find("Preise gefunden: 0 nach Name, 12 nach Vorwahl, 0 häufigster Preis "
                      "des Ziels, 0 Preis eines kürzeren Zielnamens, 2 aus dem "
                      "Einkaufspreis berechnet, 1 Inlandsvorwahl beibehalten.\n"),
            std::string::npos)
      << text;
}

TEST(ChangeSummaryTest, PricesHaveFourDecimalsAndASignWhereNegative) {
  const struct {
    std::optional<int64_t> ticks;
    const char* text;
  } cases[] = {
      {std::nullopt, ""},
      {0, "0.0000"},
      {5, "0.0005"},
      {-5, "-0.0005"},
      {123400, "12.3400"},
      {-10000, "-1.0000"},
      {std::numeric_limits<int64_t>::max(), "922337203685477.5807"},
      {std::numeric_limits<int64_t>::min(), "-922337203685477.5808"},
  };
  for (const auto& c : cases) EXPECT_EQ(PriceText(c.ticks), c.text);
}

}  // namespace
}  // namespace pricing
