#include "pricing/update_prices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/pricing/pipeline_fixture.h"

namespace pricing {
namespace {

using testing_support::ImportRow;
using testing_support::Money;
using testing_support::NumbersRow;
using testing_support::PriceDatabase;
using testing_support::RecordingView;
using Rows = std::vector<std::vector<std::string>>;

const std::vector<float> kOverallProgress = {5,  7,  10, 13, 15, 17, 19, 22,
                                             25, 30, 32, 35, 40, 45, 70, 80,
                                             82, 84, 86, 92, 94, 98, 99, 100};

// Four decimals, as Money() shows a currency column.
std::string Ticks(int64_t ticks) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", ticks / 10000.0);
  return text;
}

Rows TablesOf(const PriceDatabase& db) {
  return db.Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
}

// A run that fails shows one message, as the last thing it does, and leaves
// Numbers as it was once the caller rolls back.
void ExpectFailedRun(PriceDatabase& db, const Rows& numbers_before, bool result) {
  db.Rollback();
  EXPECT_FALSE(result);
  ASSERT_EQ(db.view.Messages().size(), 1u);
  EXPECT_TRUE(db.view.Messages()[0].starts_with("Fehler: ")) << db.view.Messages()[0];
  EXPECT_GT(db.view.Messages()[0].size(), std::string("Fehler: ").size());
  ASSERT_FALSE(db.view.events.empty());
  EXPECT_EQ(db.view.events.back().kind, RecordingView::Event::Kind::kMessage);
  EXPECT_EQ(db.view.events.back().icon, run::RunView::Icon::kError);
  EXPECT_EQ(db.Snapshot("Numbers"), numbers_before);
  EXPECT_EQ(TablesOf(db), (Rows{{"Numbers"}}));
}

// Numbers lacking a column that the corrections of the current list use:
// the statement naming it fails, after the progress value before it.
TEST(UpdatePricesTest, AFailingStatementStopsTheRun) {
  struct Case {
    const char* columns;
    std::vector<float> overall;
  };
  const Case cases[] = {
      {"Number VARCHAR(255), Name VARCHAR(255), Rate_EK CURRENCY", {5}},
      {"Number VARCHAR(255), Name VARCHAR(255), Price_EUR CURRENCY", {5, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.columns);
    PriceDatabase db({}, std::string("CREATE TABLE Numbers (") + c.columns +
                             ", GraceTime INTEGER, Profile VARCHAR(255));");
    db.RunSql(
        "INSERT INTO Numbers (Number, Name) VALUES ('0044', 'London'), ('030', 'B');");
    const Rows before = db.Snapshot("Numbers");
    db.Begin({{"0044", "London", 0.03}});
    const bool result = UpdatePrices(db.connection(), db.settings, db.view);

    EXPECT_EQ(db.view.Overall(), c.overall);
    ExpectFailedRun(db, before, result);
  }
}

TEST(UpdatePricesTest, AnUnusableFactorStopsTheRunBeforeItsStatement) {
  PriceDatabase db({{"0044", "London", 0.05, 0.03}, {"030", "Berlin", {}, 0.1}});
  const Rows before = db.Snapshot("Numbers");
  db.settings.margin_percent = 1e308;
  db.settings.vat_fraction = 1e308;
  db.Begin({{"0044", "London", 0.03}});
  const bool result = UpdatePrices(db.connection(), db.settings, db.view);

  EXPECT_EQ(db.view.Overall(), (std::vector<float>{5, 7}));
  ExpectFailedRun(db, before, result);
}

TEST(UpdatePricesTest, AFailureWhileWritingBackLeavesNumbersAsItWas) {
  PriceDatabase db({{"0044", "London", 0.05, 0.03}, {"030", "Berlin", 0.2, 0.1}});
  db.RunSql("CREATE UNIQUE INDEX NumberOnce ON Numbers (Number);");
  const Rows before = db.Snapshot("Numbers");
  db.Begin({{"0045", "Dänemark", 0.03}, {"0045", "Dänemark", 0.04}});
  const bool result = UpdatePrices(db.connection(), db.settings, db.view);

  const std::vector<float> up_to_insert(kOverallProgress.begin(),
                                        kOverallProgress.begin() + 21);  // ... 92, 94
  EXPECT_EQ(db.view.Overall(), up_to_insert);
  ExpectFailedRun(db, before, result);
}

TEST(UpdatePricesTest, ReplacesWorkingTablesLeftByAnInterruptedRun) {
  PriceDatabase db({{"0044", "London", 0.05, 0.03}});
  db.RunSql(
      "CREATE TABLE NumbersPrevious (x INTEGER); CREATE TABLE tmpMaxPreis (y TEXT);");
  db.Begin({{"0044", "London", 0.03}});
  EXPECT_TRUE(UpdatePrices(db.connection(), db.settings, db.view));
  db.Commit();
  EXPECT_TRUE(db.view.Messages().empty());
  EXPECT_EQ(TablesOf(db), (Rows{{"Numbers"}}));
  EXPECT_EQ(db.Query("SELECT Number, " + Money("Price_EUR") + " FROM Numbers"),
            (Rows{{"0044", "0.0500"}}));
}

// SQLite keeps 1.0 in a CURRENCY column as the integer 1; it must still be
// read and passed on as the price 1, by the statements and by the loops.
TEST(UpdatePricesTest, WholeNumberPricesStayNumbers) {
  PriceDatabase db({{"001242", "Bahamas", 1, 2}});
  ASSERT_EQ(db.Query("SELECT typeof(Price_EUR) FROM Numbers"), (Rows{{"integer"}}));
  db.Begin({{"001242", "Bahamas Neu", 0.2},
            {"001243", "Bahamas Neu", 0.2},
            {"001244", "Bahamas Neu Satellit", 0.2}});
  ASSERT_TRUE(UpdatePrices(db.connection(), db.settings, db.view));
  db.Commit();
  EXPECT_EQ(
      db.Query("SELECT Number, " + Money("Price_EUR") +
               ", typeof(Price_EUR) IN ('integer', 'real') FROM Numbers ORDER BY Number"),
      (Rows{{"001242", "1.0000", "1"},
            {"001243", "1.0000", "1"},
            {"001244", "1.0000", "1"}}));
}

// A realistic list and price file, built so that every row's outcome is known
// by construction: names and prefixes that the list knows, destinations priced
// by their other prefixes or by a shorter name, computed prices, domestic
// prefixes kept or replaced, international ones dropped.
class RealisticRun {
 public:
  explicit RealisticRun(int countries) {
    import_.push_back({"#Vorwahl", "Ziel", {}});
    for (int k = 0; k < countries; ++k) AddCountry(k);
  }

  std::vector<NumbersRow> numbers_;
  std::vector<ImportRow> import_;
  Rows expected_;

 private:
  static double Price(int64_t ticks) { return ticks / 10000.0; }

  void Expect(const std::string& number, const std::string& name,
              std::optional<int64_t> price, int64_t rate) {
    expected_.push_back(
        {number, name, price ? Ticks(*price) : "NULL", Ticks(rate), "0", "NULL"});
  }

  // The cent-rounded price of a purchase price with factor 1.6, at least 0.1.
  static int64_t Computed(int64_t purchase_ticks) {
    const int64_t hundred_thousandths = purchase_ticks * 16 + 490;
    EXPECT_GT(std::abs(hundred_thousandths % 1000 - 500), 1) << "too close to a half";
    const int64_t cents = (hundred_thousandths + 500) / 1000;
    return std::max<int64_t>(cents * 100, 1000);
  }

  void AddCountry(int k) {
    const std::string n = std::to_string(k);
    const std::string land = "Land" + n;
    const std::string prefix = "00" + std::to_string(100 + k);
    const int64_t land_price = 1000 + 100 * k, mobile_price = 2000 + 50 * k;
    const int64_t land_cost = 300 + k, mobile_cost = 400 + k, island_cost = 100 + 37 * k;
    const std::string domestic = std::to_string(300 + k);
    const int64_t domestic_price = 400 + 10 * k;  // below the minimum, kept as it is

    numbers_.push_back({prefix, land, Price(land_price), 0.05});
    numbers_.push_back({prefix + "1", land + " Mobil", Price(mobile_price), 0.06});
    numbers_.push_back({"00" + std::to_string(900 + k), "Alt" + n, 0.3, 0.1});
    numbers_.push_back({"0" + domestic, "Stadt" + n, Price(domestic_price), 0.02});
    numbers_.push_back({std::to_string(10 + k), "Dienst" + n, 0.5, {}});
    numbers_.push_back({"0049" + std::to_string(700 + k), "Inland" + n, 0.2, 0.1});

    // Known name, in the file's own spelling.
    const std::string spelled = k % 3 == 0 ? "LAND" + n : land;
    import_.push_back({prefix, spelled, Price(land_cost)});
    Expect(prefix, spelled, land_price, land_cost);
    import_.push_back({prefix + "2", land, Price(land_cost)});
    Expect(prefix + "2", land, land_price, land_cost);
    // A new name on a known prefix, the same name on a new prefix, and a
    // longer name at the same purchase price.
    for (const char* suffix : {"1", "3"}) {
      import_.push_back({prefix + suffix, land + " Mobil Neu", Price(mobile_cost)});
      Expect(prefix + suffix, land + " Mobil Neu", mobile_price, mobile_cost);
    }
    import_.push_back({prefix + "4", land + " Mobil Neu Premium", Price(mobile_cost)});
    Expect(prefix + "4", land + " Mobil Neu Premium", mobile_price, mobile_cost);
    // Nothing known: computed.
    import_.push_back({prefix + "5", "Insel" + n, Price(island_cost)});
    Expect(prefix + "5", "Insel" + n, Computed(island_cost), island_cost);
    // Domestic prefixes: replaced by the file for even k, kept for odd k.
    if (k % 2 == 0) {
      import_.push_back({"0049" + domestic, "Stadt" + n + " Neu", 0.01});
      Expect("0" + domestic, "Stadt" + n + " Neu", domestic_price, 100);
    } else {
      Expect("0" + domestic, "Stadt" + n, domestic_price, 200);
    }
    Expect(std::to_string(10 + k), "Dienst" + n, 5000, 0);
    expected_.back()[3] = "NULL";  // no purchase rate
    // A file prefix in the international domestic form comes back national.
    if (k % 5 == 0) {
      import_.push_back({"0049" + std::to_string(700 + k), "Neu Inland" + n, 0.02});
      Expect("0" + std::to_string(700 + k), "Neu Inland" + n, Computed(200), 200);
    }
    // Too expensive: removed.
    if (k % 7 == 0) import_.push_back({prefix + "9", "Teuer" + n, 3.5});
  }
};

TEST(UpdatePricesTest, ProducesTheNewListRowByRow) {
  RealisticRun run(40);
  PriceDatabase db(run.numbers_);
  db.RunSql("UPDATE Numbers SET GraceTime = 30, Profile = 'Standard';");
  db.Begin(run.import_);
  ASSERT_TRUE(UpdatePrices(db.connection(), db.settings, db.view));
  db.Commit();

  EXPECT_TRUE(db.view.Messages().empty());
  EXPECT_EQ(db.view.Overall(), kOverallProgress);
  const std::vector<float> action = db.view.Action();
  ASSERT_GE(action.size(), 4u);
  EXPECT_EQ(std::vector<float>(action.begin(), action.begin() + 4),
            (std::vector<float>{100, 70, 90, 100}));
  EXPECT_EQ(action.back(), 100);

  Rows actual = db.Query("SELECT Number, Name, " + Money("Price_EUR") + ", " +
                         Money("Rate_EK") + ", GraceTime, Profile FROM Numbers");
  std::sort(actual.begin(), actual.end());
  std::sort(run.expected_.begin(), run.expected_.end());
  ASSERT_EQ(actual.size(), run.expected_.size());
  for (size_t i = 0; i < actual.size(); ++i) EXPECT_EQ(actual[i], run.expected_[i]);
  EXPECT_EQ(TablesOf(db), (Rows{{"Numbers"}}));
}

}  // namespace
}  // namespace pricing
