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

// The SQL stretches without the record loops in between: rows the loops
// would price are set up directly where a test needs them.
void RunStretches(PriceDatabase& db, const std::vector<ImportRow>& import_rows,
                  const std::string& before_write_back = "") {
  db.Begin(import_rows);
  PipelineSteps steps(db.connection(), db.settings, db.view);
  DropLeftoverTables(steps);
  PrepareCurrentList(steps);
  MatchKnownPrices(steps);
  if (!before_write_back.empty()) db.connection().Execute(before_write_back);
  WriteBack(steps);
  db.Commit();
}

Rows NumbersTable(const PriceDatabase& db) {
  return db.Query("SELECT Number, Name, " + Money("Price_EUR") + ", " + Money("Rate_EK") +
                  ", GraceTime, Profile FROM Numbers ORDER BY Number");
}

TEST(WriteBackTest, ReplacesNumbersWithTheNewList) {
  PriceDatabase db({
      {"030", "Berlin", 0.07, 0.02},
      {"118", "Auskunft", 0.5, 0.3},
      {"089", "München", 0.06, 0.03},
      {"0044", "London", 0.08, 0.03},
      {"0049301", "Alt", 0.2, 0.1},
  });
  db.RunSql("UPDATE Numbers SET GraceTime = 5, Profile = 'x';");
  RunStretches(db,
               {
                   {"00331", "Paris Neu", 0.03},
                   {"00332", "Lyon Neu", 0.1234},
                   {"004989", "München Neu", 0.02},
                   {"0049", "Inland", 0.01},
                   {"0111", "Sonder", 0.02},
                   {"00777", "Schleife", 0.04},
                   {"00778", "Ohne Einkauf", {}},
               },
               // priced by a record loop below the minimum
               "UPDATE Import2 SET VkPreis=0.05, ImportState=3 WHERE Vorwahl='00777'");

  EXPECT_EQ(NumbersTable(db), (Rows{
                                  {"", "Sonder", "0.1000", "0.0200", "0", "NULL"},
                                  {"0", "Inland", "0.1000", "0.0100", "0", "NULL"},
                                  {"00331", "Paris Neu", "0.1000", "0.0300", "0", "NULL"},
                                  {"00332", "Lyon Neu", "0.2000", "0.1234", "0", "NULL"},
                                  {"00777", "Schleife", "0.0500", "0.0400", "0", "NULL"},
                                  {"00778", "Ohne Einkauf", "NULL", "NULL", "0", "NULL"},
                                  // kept domestic rows, back in their stored form
                                  {"030", "Berlin", "0.0700", "0.0200", "0", "NULL"},
                                  // in both lists: the price file's row, priced by prefix
                                  {"089", "München Neu", "0.0600", "0.0200", "0", "NULL"},
                                  {"118", "Auskunft", "0.5000", "0.3000", "0", "NULL"},
                              }));
  EXPECT_EQ(db.Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            (Rows{{"Numbers"}}));
}

TEST(WriteBackTest, AnEmptyPriceFileKeepsOnlyTheDomesticRows) {
  PriceDatabase db({{"030", "Berlin", 0.07, 0.02},
                    {"0044", "London", 0.08, 0.03},
                    {"118", "Auskunft", {}, 0.3}});
  RunStretches(db, {});
  EXPECT_EQ(NumbersTable(db),
            (Rows{{"030", "Berlin", "0.0700", "0.0200", "0", "NULL"},
                  {"118", "Auskunft", "0.4800", "0.3000", "0", "NULL"}}));
}

TEST(WriteBackTest, FurtherColumnsOfNumbersGetTheirDefaults) {
  PriceDatabase db({{"030", "Berlin", 0.07, 0.02}},
                   "CREATE TABLE Numbers (Number TEXT, Name TEXT, Price_EUR CURRENCY, "
                   "Rate_EK CURRENCY, GraceTime INTEGER, Profile INTEGER, "
                   "Zone INTEGER DEFAULT 7, Note VARCHAR(20) DEFAULT 'neu');");
  db.RunSql("UPDATE Numbers SET Zone = 1, Note = 'alt';");
  RunStretches(db, {{"0044", "London", 0.05}});
  EXPECT_EQ(db.Query("SELECT Number, Zone, Note FROM Numbers ORDER BY Number"),
            (Rows{{"0044", "7", "neu"}, {"030", "7", "neu"}}));
}

// Prefixes are text in the stored form, whatever the column's declared type
// suggests to SQLite: 0044 never becomes the number 44.
TEST(WriteBackTest, PrefixesStayText) {
  for (const char* number_type : {"VARCHAR(255)", "TEXT"}) {
    PriceDatabase db({{"0044", "London", 0.08, 0.03}, {"118", "Auskunft", 0.5, 0.3}},
                     std::string("CREATE TABLE Numbers (Number ") + number_type +
                         ", Name TEXT, Price_EUR CURRENCY, Rate_EK CURRENCY, "
                         "GraceTime INTEGER, Profile TEXT);");
    RunStretches(db, {{"0044", "London", 0.05}, {"0045", "Dänemark", 1}});
    EXPECT_EQ(db.Query("SELECT Number, typeof(Number) FROM Numbers ORDER BY Number"),
              (Rows{{"0044", "text"}, {"0045", "text"}, {"118", "text"}}))
        << number_type;
  }
}

}  // namespace
}  // namespace pricing
