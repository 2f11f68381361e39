#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>
#include <vector>

#include "pricing/pipeline_stretches.h"
#include "tests/app/german_numeric_locale.h"
#include "tests/pricing/pipeline_fixture.h"

namespace pricing {
namespace {

using testing_support::ImportRow;
using testing_support::Money;
using testing_support::NumbersRow;
using testing_support::PriceDatabase;
using Rows = std::vector<std::vector<std::string>>;

// Runs the stretches up to the matching and returns Import2 as
// Vorwahl, Ziel, ImportState, OldName, VkPreis, ordered by Vorwahl.
Rows MatchAndRead(PriceDatabase& db, const std::vector<ImportRow>& import_rows) {
  db.Begin(import_rows);
  PipelineSteps steps(db.connection(), db.settings, db.view);
  DropLeftoverTables(steps);
  PrepareCurrentList(steps);
  MatchKnownPrices(steps);
  db.Commit();
  return db.Query("SELECT Vorwahl, Ziel, ImportState, OldName, " + Money("VkPreis") +
                  " FROM Import2 ORDER BY Vorwahl");
}

TEST(MatchKnownPricesTest, TakesKnownPricesByNameThenByPrefix) {
  PriceDatabase db({
      {"0041", "Schweiz", 0.12, {}},
      {"00411", "Schweiz", 0.15, {}},
      {"00412", "Schweiz", 0.09, {}},
      {"0033", "Frankreich", 0.2, {}},
      {"0039", "Italien", 0.3, {}},
      {"0034", "Spanien", 0.4, {}},
      {"030", "Berlin", 0.07, {}},
      {"0048", "Polen", 0.05, {}},
  });
  const Rows rows = MatchAndRead(db, {
                                         {"00413", "Schweiz", 0.01},
                                         {"0033", "FRANKREICH", 0.01},
                                         {"00341", "Italien", 0.01},
                                         {"0034", "Spanien Festnetz", 0.01},
                                         {"004930", "Berlin City", 0.01},
                                         {"0048", "Polen", 0.01},
                                         {"00999", "Neuland", 0.02},
                                     });
  EXPECT_EQ(rows, (Rows{
                      // name match, letter case ignored, list's spelling kept
                      {"0033", "FRANKREICH", "1", "Frankreich", "0.2000"},
                      // new name, known prefix
                      {"0034", "Spanien Festnetz", "2", "Spanien", "0.4000"},
                      // the name (Italien) beats the prefix (Spanien)
                      {"00341", "Italien", "1", "Italien", "0.3000"},
                      // several prefixes of one destination: the highest price
                      {"00413", "Schweiz", "1", "Schweiz", "0.1500"},
                      // taken-over prices below the minimum stay
                      {"0048", "Polen", "1", "Polen", "0.0500"},
                      // prefixes are compared in the working form (030)
                      {"004930", "Berlin City", "2", "Berlin", "0.0700"},
                      // unmatched rows are left alone
                      {"00999", "Neuland", "NULL", "NULL", "NULL"},
                  }));
}

TEST(MatchKnownPricesTest, ComputesPricesForMatchedRowsWithoutAKnownPrice) {
  PriceDatabase db({
      {"0053", "Kuba", {}, {}},
      {"00224", "Guinea", {}, {}},
      {"00223", "Mali", {}, {}},
      {"00225", "Benin", {}, {}},
      {"0056", "Chile", 0.05, {}},
  });
  const Rows rows = MatchAndRead(db, {
                                         {"0053", "Kuba", 0.1234},
                                         {"00224", "Guinea Mobil", 0.03},
                                         {"00223", "Mali", {}},
                                         {"00226", "Benin", 0.0063},
                                         {"0056", "Chile", 0.0001},
                                     });
  EXPECT_EQ(rows, (Rows{
                      // computed below the minimum: raised, state back at 2
                      {"00223", "Mali", "1", "Mali", "NULL"},
                      {"00224", "Guinea Mobil", "2", "Guinea", "0.1000"},
                      {"00226", "Benin", "1", "Benin", "0.1000"},
                      {"0053", "Kuba", "1", "Kuba", "0.2000"},
                      {"0056", "Chile", "1", "Chile", "0.0500"},
                  }));
}

TEST(MatchKnownPricesTest, MinimumRateAppliesOnlyBelowIt) {
  PriceDatabase db({{"0053", "Kuba", {}, {}}});
  db.settings.minimum_rate = core::Currency::FromTicks(100);  // 0.01
  EXPECT_EQ(MatchAndRead(db, {{"0053", "Kuba", 0.0126}}),
            (Rows{{"0053", "Kuba", "1", "Kuba", "0.0300"}}));
}

// The factor 1.904 and the minimum .1 go into the statements with a period
// even when the process formats numbers the German way.
TEST(MatchKnownPricesTest, StatementsDoNotDependOnTheNumericLocale) {
  std::optional<testing_support::GermanNumericLocale> german(std::in_place);
  if (!german->active())
    GTEST_SKIP() << "no German locale: scripts/bootstrap installs the package locales";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");

  PriceDatabase db({{"0056", "Chile", {}, {}}, {"0057", "Kolumbien", {}, {}}});
  db.settings.vat_fraction = 0.19;
  db.settings.minimum_rate = core::Currency::FromTicks(500);  // 0.05
  const Rows rows =
      MatchAndRead(db, {{"0056", "Chile", 0.0525}, {"0057", "Kolumbien", 0.01}});
  german.reset();
  EXPECT_TRUE(db.view.Messages().empty());
  // 0.0525 x 1.904 = 0.09996 -> 0.10; 0.01 x 1.904 -> 0.02, raised to 0.05
  EXPECT_EQ(rows, (Rows{{"0056", "Chile", "1", "Chile", "0.1000"},
                        {"0057", "Kolumbien", "1", "Kolumbien", "0.0500"}}));
}

}  // namespace
}  // namespace pricing
