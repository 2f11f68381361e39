#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pricing/pipeline_stretches.h"
#include "tests/pricing/pipeline_fixture.h"

namespace pricing {
namespace {

using testing_support::ImportRow;
using testing_support::Money;
using testing_support::NumbersRow;
using testing_support::PriceDatabase;
using Rows = std::vector<std::vector<std::string>>;

void Prepare(PriceDatabase& db, const std::vector<ImportRow>& import_rows = {}) {
  db.Begin(import_rows);
  PipelineSteps steps(db.connection(), db.settings, db.view);
  DropLeftoverTables(steps);
  PrepareCurrentList(steps);
  db.Commit();
}

// How the price corrections treat one row of Numbers, with minimum rate 0.1
// and factor 1.6 (computed price c = ROUND(rate x 1.6 + 0.0049, 2)).
TEST(PrepareCurrentListTest, CorrectsPricesOfTheCurrentList) {
  struct Case {
    const char* number;
    std::optional<double> price, rate;
    const char* after;
  };
  const Case cases[] = {
      // price at or above the minimum: unchanged
      {"0044", 0.1, 0.5, "0.1000"},
      {"030", 0.25, 0.01, "0.2500"},
      // price above 0 and below the minimum: unchanged, even on "00"
      {"0044", 0.08, 0.03, "0.0800"},
      {"030", 0.05, {}, "0.0500"},
      // price 0: unchanged
      {"0044", 0, 0.03, "0.0000"},
      {"118", 0, {}, "0.0000"},
      // no price, purchase rate present, international: c, raised to the minimum
      {"0044", {}, 0.03, "0.1000"},   // c = 0.05
      {"0044", {}, 0.1, "0.1600"},    // c = 0.16
      {"0044", {}, 0, "0.0000"},      // c = 0 is not above 0
      {"0044", {}, -0.05, "0.0800"},  // c = -0.08, its absolute value
      // no price, purchase rate present, other prefixes: c
      {"030", {}, 0.03, "0.0500"},
      {"118", {}, -0.05, "0.0800"},
      {"030", {}, 0.0063, "0.0100"},  // remainder below 0.0001 is cut
      {"030", {}, 0.0126, "0.0300"},  // remainder above 0.0001 goes up
      // neither price nor purchase rate
      {"0044", {}, {}, "NULL"},
      // negative price p
      {"0044", -0.05, {}, "0.1000"},
      {"0044", -0.5, {}, "0.5000"},
      {"0044", -0.1, {}, "0.1000"},
      {"030", -0.05, {}, "0.0500"},
      {"118", -0.5, 0.01, "0.5000"},
  };
  std::vector<NumbersRow> numbers;
  for (size_t i = 0; i < std::size(cases); ++i)
    numbers.push_back(
        {cases[i].number, "Case " + std::to_string(i), cases[i].price, cases[i].rate});
  PriceDatabase db(numbers);
  Prepare(db);

  const Rows rows =
      db.Query("SELECT " + Money("Price_EUR") + " FROM Numbers ORDER BY rowid");
  ASSERT_EQ(rows.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(rows[i][0], cases[i].after)
        << "case " << i << " prefix " << cases[i].number;
}

TEST(PrepareCurrentListTest, CopiesTheListWithPrefixesInTheWorkingForm) {
  PriceDatabase db({{"0049301", "Berlin alt", 0.2, 0.1},
                    {"030", "Berlin", 0.2, 0.1},
                    {"118", "Auskunft", 0.5, 0.3},
                    {"0044", "London", 0.1, 0.05},
                    {{}, "Ohne", 0.1, 0.05}});
  Prepare(db);

  EXPECT_EQ(db.Query("SELECT Number, Name FROM NumbersPrevious ORDER BY Number"),
            (Rows{{"NULL", "Ohne"},
                  {"0044", "London"},
                  {"0049111118", "Auskunft"},
                  {"004930", "Berlin"}}));
  EXPECT_EQ(db.Query("SELECT Number FROM Numbers ORDER BY Number"),
            (Rows{{"NULL"}, {"0044"}, {"0049301"}, {"030"}, {"118"}}));
  // A full copy, all columns.
  EXPECT_EQ(db.Query("SELECT " + Money("Price_EUR") + ", " + Money("Rate_EK") +
                     " FROM NumbersPrevious WHERE Name = 'Auskunft'"),
            (Rows{{"0.5000", "0.3000"}}));
}

TEST(PrepareCurrentListTest, RemovesUnusableImportedRows) {
  PriceDatabase db({});
  Prepare(db, {{"#Vorwahl", "Ziel", {}},
               {{}, "Ohne Vorwahl", 0.1},
               {"Berlin", "Text statt Vorwahl", 0.1},
               {"0044", "Zu teuer", 3.0001},
               {"0045", "Grenzfall", 3},
               {"0046", "Normal", 0.05},
               {"0047", "Ohne Preis", {}}});

  EXPECT_EQ(db.Query("SELECT Vorwahl, Ziel FROM Import2 ORDER BY Vorwahl"),
            (Rows{{"0045", "Grenzfall"}, {"0046", "Normal"}, {"0047", "Ohne Preis"}}));
}

TEST(PrepareCurrentListTest, BuildsTheHighestPricePerDestination) {
  PriceDatabase db({{"0030", "Berlin", 0.05, {}},
                    {"0031", "BERLIN", 0.09, {}},
                    {"0032", "berlin", {}, {}},
                    {"0049301", "Inland", 0.3, {}},  // not in the copy, but counts here
                    {"0033", "Leer", {}, {}},
                    {"0034", {}, 0.2, {}},
                    {"0035", {}, 0.4, {}}});
  Prepare(db);

  EXPECT_EQ(db.Query("SELECT lower(Name), " + Money("Price_EUR") +
                     " FROM tmpMaxPreis ORDER BY lower(Name)"),
            (Rows{{"NULL", "0.4000"},
                  {"berlin", "0.0900"},
                  {"inland", "0.3000"},
                  {"leer", "NULL"}}));
}

TEST(PrepareCurrentListTest, ReplacesWorkingTablesLeftByAnInterruptedRun) {
  PriceDatabase db({{"0044", "London", 0.1, 0.05}});
  db.RunSql(
      "CREATE TABLE NumbersPrevious (Stale INTEGER); CREATE TABLE tmpMaxPreis (Stale "
      "INTEGER);");
  Prepare(db);

  EXPECT_EQ(db.Query("SELECT Number FROM NumbersPrevious"), (Rows{{"0044"}}));
  EXPECT_EQ(db.Query("SELECT Name FROM tmpMaxPreis"), (Rows{{"London"}}));
}

}  // namespace
}  // namespace pricing
