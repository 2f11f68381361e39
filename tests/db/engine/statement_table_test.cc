// Every complete statement text the program runs, in the order of a run,
// each executed through the connection against a small price database and
// checked for its effect. Names and numbers stand as the program writes them
// for margin 60, VAT 19 and minimum rate 0.1 (factor " 1.904", minimum " .1").

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/connection.h"
#include "db/engine/testing/connection_internals.h"
#include "pricing/sql_number_text.h"
#include "run/tables.h"
#include "tests/db/engine/db_fixture.h"
#include "tests/support/test_files.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;
using pricing::SqlNumberText;

// The Numbers table of the run: stored prefixes of every kind, prices below
// the minimum, missing prices and purchase rates.
constexpr char kNumbersRows[] =
    "DELETE FROM Numbers;"
    "INSERT INTO Numbers VALUES ('0044', 'London', 0.19, 0.05, 5, 'P');"
    "INSERT INTO Numbers VALUES ('030', 'Berlin', NULL, 0.04, 5, 'P');"
    "INSERT INTO Numbers VALUES ('118', 'Auskunft', 0.05, 0.5, 5, 'P');"
    "INSERT INTO Numbers VALUES ('0049301', 'Berlin Mobil', 0.2, 0.1, 5, 'P');"
    "INSERT INTO Numbers VALUES ('0039', 'Italien', NULL, 0.03, 5, 'P');"
    "INSERT INTO Numbers VALUES ('0033', 'Frankreich', 0.07, 0.02, 5, 'P');"
    "INSERT INTO Numbers VALUES ('040', 'Hamburg', 0.09, 0.03, 5, 'P');"
    "INSERT INTO Numbers VALUES ('0043', 'Oesterreich', NULL, NULL, 5, 'P');"
    "INSERT INTO Numbers VALUES ('0059', '100 Prozent Mobil', 0.5, 0.2, 5, 'P');"
    // Working tables an earlier, interrupted run left behind.
    "CREATE TABLE NumbersPrevious (Number VARCHAR(50));"
    "CREATE TABLE tmpMaxPreis (Name VARCHAR(50));"
    "CREATE TABLE Import2 (Vorwahl VARCHAR(50));";

// The price file's rows as the import stores them: prefix, name, price.
// Without a prefix and name: a line with fewer than three fields.
struct PriceLine {
  const char* prefix;
  const char* name;
  int64_t price_ticks;
};
const std::vector<PriceLine> kPriceLines = {
    {"0044", "London", 400},
    {"004930", "Berlin Festnetz", 300},
    {"0039", "ITALIEN", 500},
    {"00393", "Italien Mobil", 850},
    {"003931", "Italien Mobil Premium", 850},
    {"00223", "Mali Mobile", 2000},
    {"00224", "mali mobile", 2000},
    {"#Vorwahl", "Ziel", 0},
    {"0099", "Teuer", 35000},
    {nullptr, nullptr, 0},
    {"0056", "O'Higgins", 200},
    {"0057", "100% Mobil", 200},
    {"0043", "Austria", 300},
    {"0058", "100 Prozent Mobil", 2000},
};

class StatementTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_.Run(kNumbersRows);
    connection_ = database_.Connect();
    connection_->BeginTrans();
  }

  // Plain SQLite on the connection's own handle: sees the open transaction.
  Rows Query(const std::string& sql) {
    Rows rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db::engine::ConnectionInternals::NativeHandle(*connection_),
                           sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(
                           db::engine::ConnectionInternals::NativeHandle(*connection_))
                    << "\n"
                    << sql;
      return rows;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const unsigned char* text = sqlite3_column_text(statement, i);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    return rows;
  }

  // Runs one statement of the program; a failure is reported with its text.
  bool Execute(const std::string& sql) {
    try {
      connection_->Execute(sql);
      return true;
    } catch (const core::Error& error) {
      ADD_FAILURE() << "statement failed: " << error.what() << "\n" << sql;
      return false;
    }
  }

  // The named fields of every row of a query the program runs; NULL is "NULL".
  Rows Fields(const std::string& sql, const std::vector<std::string>& names) {
    Rows rows;
    try {
      auto set = connection_->ExecuteQuery(sql);
      for (; !set->IsEof(); set->MoveNext()) {
        std::vector<std::string> row;
        for (const std::string& name : names) {
          const core::Value value = set->Field(name);
          row.push_back(value.is_null() ? "NULL" : value.ToText());
        }
        rows.push_back(std::move(row));
      }
      set->Close();
    } catch (const core::Error& error) {
      ADD_FAILURE() << "query failed: " << error.what() << "\n" << sql;
    }
    return rows;
  }

  // Walks a record set the way the record loops do, calling `write` on every
  // row; returns the names in the order the set delivered them, in lower case.
  std::vector<std::string> Walk(
      const std::string& sql, const std::function<void(db::engine::Recordset&)>& write) {
    std::vector<std::string> names;
    try {
      auto set = connection_->OpenRecordset(sql);
      if (!set->IsEof()) {
        set->MoveLast();
        set->MoveFirst();
      }
      for (; !set->IsEof(); set->MoveNext()) {
        std::string name = set->Field("Ziel").ToText();
        for (char& c : name)
          c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        names.push_back(name);
        write(*set);
      }
      set->Close();
    } catch (const core::Error& error) {
      ADD_FAILURE() << "record set failed: " << error.what() << "\n" << sql;
    }
    return names;
  }

  db_test::PriceDatabase database_;
  std::unique_ptr<db::engine::Connection> connection_;
};

TEST(StatementNumbersTest, NumbersStandAsTheProgramWritesThem) {
  EXPECT_EQ(SqlNumberText((1 + 0.19) * (60 / 100.0 + 1)), " 1.904");
  EXPECT_EQ(SqlNumberText(core::Currency::FromTicks(1000)), " .1");
  EXPECT_EQ(SqlNumberText(core::Currency::FromTicks(850)), " .085");
  EXPECT_EQ(SqlNumberText(core::Currency::FromTicks(500)), " .05");
}

TEST_F(StatementTableTest, EveryStatementOfARunTranslatesAndHasItsEffect) {
  const std::string numbers_prices =
      "SELECT Number, Price_EUR FROM Numbers ORDER BY rowid";
  const std::string import2_state =
      "SELECT Vorwahl, VkPreis, ImportState, OldName FROM Import2 ORDER BY rowid";

  // The import: recreate Import2, then one new row per price line.
  ASSERT_TRUE(Execute("DROP TABLE Import2"));
  ASSERT_TRUE(Execute(
      "CREATE TABLE Import2 (Vorwahl VARCHAR(255), Ziel VARCHAR(255), PreisEk CURRENCY, "
      "ImportState INTEGER, OldName VARCHAR(255), VkPreis CURRENCY);"));
  EXPECT_EQ(Query("SELECT name, type FROM pragma_table_info('Import2')"),
            (Rows{{"Vorwahl", "VARCHAR(255)"},
                  {"Ziel", "VARCHAR(255)"},
                  {"PreisEk", "CURRENCY"},
                  {"ImportState", "INTEGER"},
                  {"OldName", "VARCHAR(255)"},
                  {"VkPreis", "CURRENCY"}}));
  {
    auto import2 = connection_->OpenRecordset("Import2");
    for (const PriceLine& line : kPriceLines) {
      import2->AddNew();
      if (line.prefix != nullptr) {
        import2->SetField("Vorwahl", core::Value::Text(line.prefix));
        import2->SetField("Ziel", core::Value::Text(line.name));
      }
      import2->SetField("PreisEk",
                        core::Value::Money(core::Currency::FromTicks(line.price_ticks)));
      import2->Update();
    }
  }
  EXPECT_EQ(Query("SELECT count(*) FROM Import2")[0][0], "14");

  // Preparation of the current list: the working tables of an earlier run go.
  ASSERT_TRUE(Execute("DROP TABLE NumbersPrevious"));
  ASSERT_TRUE(Execute("DROP TABLE tmpMaxPreis"));
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            (Rows{{"Import2"}, {"Numbers"}}));

  // Prices below the minimum are protected by negating them ...
  Execute("UPDATE Numbers SET Price_EUR=-[Price_EUR] WHERE Price_EUR< .1");
  EXPECT_EQ(Query(numbers_prices), (Rows{{"0044", "0.19"},
                                         {"030", "NULL"},
                                         {"118", "-0.05"},
                                         {"0049301", "0.2"},
                                         {"0039", "NULL"},
                                         {"0033", "-0.07"},
                                         {"040", "-0.09"},
                                         {"0043", "NULL"},
                                         {"0059", "0.5"}}));
  // ... missing prices are computed (.04 * 1.904 + .0049 = .08106) ...
  Execute(
      "UPDATE Numbers SET Price_EUR=ROUND(Rate_EK* 1.904+0.0049, 2) WHERE Price_EUR IS "
      "NULL "
      "AND Rate_EK IS NOT NULL");
  EXPECT_EQ(Query(numbers_prices)[1], (std::vector<std::string>{"030", "0.08"}));
  EXPECT_EQ(Query(numbers_prices)[4], (std::vector<std::string>{"0039", "0.06"}));
  // ... raised to the minimum on international prefixes only ...
  Execute(
      "UPDATE Numbers SET Price_EUR= .1 WHERE Price_EUR< .1 AND Price_EUR>0 AND [Number] "
      "LIKE '00%'");
  EXPECT_EQ(Query(numbers_prices)[1], (std::vector<std::string>{"030", "0.08"}));
  EXPECT_EQ(Query(numbers_prices)[4], (std::vector<std::string>{"0039", "0.1"}));
  // ... and the protected prices come back unchanged.
  Execute("UPDATE Numbers SET Price_EUR=-[Price_EUR] WHERE Price_EUR<0");
  const Rows corrected = {{"0044", "0.19"},   {"030", "0.08"},  {"118", "0.05"},
                          {"0049301", "0.2"}, {"0039", "0.1"},  {"0033", "0.07"},
                          {"040", "0.09"},    {"0043", "NULL"}, {"0059", "0.5"}};
  EXPECT_EQ(Query(numbers_prices), corrected);

  // The working copy, in the working form.
  Execute("SELECT * INTO NumbersPrevious FROM Numbers");
  EXPECT_EQ(Query("SELECT Number, Price_EUR FROM NumbersPrevious ORDER BY rowid"),
            corrected);
  EXPECT_EQ(Query("SELECT name, type FROM pragma_table_info('NumbersPrevious')"),
            Query("SELECT name, type FROM pragma_table_info('Numbers')"));
  Execute("DELETE FROM NumbersPrevious WHERE Number LIKE '0049%';");
  Execute(
      "UPDATE NumbersPrevious SET [Number] = '0111' & [Number] WHERE [Number] NOT LIKE "
      "'0%';");
  EXPECT_EQ(Query("SELECT Number FROM NumbersPrevious WHERE rowid = 3"),
            (Rows{{"0111118"}}));
  Execute(
      "UPDATE NumbersPrevious SET [Number] = '0049' & MID([Number],2) WHERE [Number] NOT "
      "LIKE "
      "'00%' AND [Number] LIKE '0%';");
  EXPECT_EQ(Query("SELECT Number FROM NumbersPrevious ORDER BY rowid"),
            (Rows{{"0044"},
                  {"004930"},
                  {"0049111118"},
                  {"0039"},
                  {"0033"},
                  {"004940"},
                  {"0043"},
                  {"0059"}}));

  // Clean-up of the import: header, lines without a prefix, absurd prices.
  Execute("DELETE FROM Import2 WHERE NOT IsNumeric([Vorwahl]) OR PreisEk>3;");
  EXPECT_EQ(Query("SELECT count(*) FROM Import2")[0][0], "11");
  EXPECT_EQ(Query("SELECT count(*) FROM Import2 WHERE Vorwahl IN ('#Vorwahl', '0099') OR "
                  "Vorwahl IS NULL")[0][0],
            "0");

  Execute(
      "SELECT [Name] AS [Name], MAX([Price_EUR]) AS [Price_EUR], 1 INTO tmpMaxPreis FROM "
      "Numbers GROUP BY [Name]");
  EXPECT_EQ(Query("SELECT Name, Price_EUR FROM tmpMaxPreis ORDER BY Price_EUR, Name"),
            (Rows{{"Oesterreich", "NULL"},
                  {"Auskunft", "0.05"},
                  {"Frankreich", "0.07"},
                  {"Berlin", "0.08"},
                  {"Hamburg", "0.09"},
                  {"Italien", "0.1"},
                  {"London", "0.19"},
                  {"Berlin Mobil", "0.2"},
                  {"100 Prozent Mobil", "0.5"}}));
  EXPECT_EQ(Query("SELECT count(*) FROM pragma_table_info('tmpMaxPreis')")[0][0], "3");

  // Matching: by name (letter case ignored), then by prefix.
  Execute(
      "UPDATE Import2 INNER JOIN tmpMaxPreis ON Import2.Ziel = tmpMaxPreis.Name SET "
      "[VkPreis] "
      "= [tmpMaxPreis].[Price_EUR], [OldName] = [tmpMaxPreis].[Name], "
      "Import2.ImportState = 1 "
      "WHERE (((Import2.ImportState) Is Null));");
  Execute(
      "UPDATE Import2 INNER JOIN NumbersPrevious ON Import2.[Vorwahl] = "
      "NumbersPrevious.[Number] "
      "SET [VkPreis] = [NumbersPrevious].[Price_EUR], [OldName] = "
      "[NumbersPrevious].[Name], "
      "Import2.ImportState = 2 WHERE (((Import2.ImportState) Is Null));");
  EXPECT_EQ(Query(import2_state), (Rows{{"0044", "0.19", "1", "London"},
                                        {"004930", "0.08", "2", "Berlin"},
                                        {"0039", "0.1", "1", "Italien"},
                                        {"00393", "NULL", "NULL", "NULL"},
                                        {"003931", "NULL", "NULL", "NULL"},
                                        {"00223", "NULL", "NULL", "NULL"},
                                        {"00224", "NULL", "NULL", "NULL"},
                                        {"0056", "NULL", "NULL", "NULL"},
                                        {"0057", "NULL", "NULL", "NULL"},
                                        {"0043", "NULL", "2", "Oesterreich"},
                                        {"0058", "0.5", "1", "100 Prozent Mobil"}}));
  // A match without a price gets a computed one (.03 * 1.904 + .0049 -> .06),
  // raised to the minimum; prices taken over (.08) stay as they are.
  Execute(
      "UPDATE Import2 SET VkPreis=ROUND(PreisEk* 1.904+0.0049, 2), "
      "ImportState=ImportState+10 "
      "WHERE VkPreis IS NULL AND ImportState IS NOT NULL");
  EXPECT_EQ(Query(import2_state)[9],
            (std::vector<std::string>{"0043", "0.06", "12", "Oesterreich"}));
  Execute("UPDATE Import2 SET VkPreis= .1 WHERE VkPreis< .1 AND ImportState>10");
  Execute("UPDATE Import2 SET ImportState=ImportState-10 WHERE ImportState>10");
  EXPECT_EQ(Query(import2_state)[9],
            (std::vector<std::string>{"0043", "0.1", "2", "Oesterreich"}));
  EXPECT_EQ(Query(import2_state)[1],
            (std::vector<std::string>{"004930", "0.08", "2", "Berlin"}));

  // The loops' lookups by name are served by an index.
  Execute(std::string(run::kCreateImport2Index));
  EXPECT_EQ(Query("SELECT tbl_name FROM sqlite_master WHERE name = 'Import2Ziel'"),
            (Rows{{"Import2"}}));

  // First record loop: names in order, letter case ignored; the loop prices
  // the Mali rows and O'Higgins, then looks up names as the loop writes them.
  EXPECT_EQ(
      Walk("SELECT * FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL "
           "ORDER BY "
           "Ziel",
           [](db::engine::Recordset& row) {
             const std::string name = row.Field("Ziel").text();
             if (name != "O'Higgins" && name != "Mali Mobile" && name != "mali mobile")
               return;
             row.SetField("VkPreis", core::Value::Money(core::Currency::FromTicks(
                                         name == "O'Higgins" ? 1500 : 2500)));
             row.SetField("ImportState", core::Value::Integer(3));
             row.SetField("OldName", core::Value::Text(name));
           }),
      (std::vector<std::string>{"100% mobil", "italien mobil", "italien mobil premium",
                                "mali mobile", "mali mobile", "o'higgins"}));
  EXPECT_EQ(
      Fields("SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS "
             "AnzahlvonVkPreis FROM Import2 WHERE Ziel LIKE 'Mali Mobile' AND VkPreis IS "
             "NOT NULL GROUP BY Import2.Ziel, Import2.VkPreis ORDER BY "
             "Count(Import2.VkPreis) DESC;",
             {"VkPreis", "AnzahlvonVkPreis"}),
      (Rows{{"0.25", "2"}}));
  EXPECT_EQ(
      Fields("SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS "
             "AnzahlvonVkPreis FROM Import2 WHERE Ziel LIKE 'O''Higgins' AND VkPreis IS "
             "NOT NULL GROUP BY Import2.Ziel, Import2.VkPreis ORDER BY "
             "Count(Import2.VkPreis) DESC;",
             {"Ziel", "VkPreis", "AnzahlvonVkPreis"}),
      (Rows{{"O'Higgins", "0.15", "1"}}));
  // "100 Prozent Mobil" is priced but must not match the literal "100% Mobil".
  EXPECT_EQ(
      Fields("SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS "
             "AnzahlvonVkPreis FROM Import2 WHERE Ziel LIKE '100[%] Mobil' AND VkPreis "
             "IS NOT NULL GROUP BY Import2.Ziel, Import2.VkPreis ORDER BY "
             "Count(Import2.VkPreis) DESC;",
             {"Ziel"}),
      Rows{});

  // Second record loop: ordered by name, then price; it prices Italien
  // Mobil, whose lookups by leading name and purchase price follow.
  EXPECT_EQ(
      Walk("SELECT * FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL "
           "ORDER BY "
           "Ziel, PreisEk",
           [](db::engine::Recordset& row) {
             if (row.Field("Ziel").text() != "Italien Mobil") return;
             row.SetField("VkPreis", core::Value::Money(core::Currency::FromTicks(2000)));
             row.SetField("ImportState", core::Value::Integer(4));
             row.SetField("OldName", core::Value::Text("Italien"));
           }),
      (std::vector<std::string>{"100% mobil", "italien mobil", "italien mobil premium"}));
  EXPECT_EQ(
      Fields("SELECT Import2.Ziel, Import2.VkPreis FROM Import2 WHERE Ziel LIKE 'Italien "
             "Mobil' AND PreisEk= .085;",
             {"Ziel", "VkPreis"}),
      (Rows{{"Italien Mobil", "0.2"}}));
  EXPECT_EQ(Fields("SELECT Import2.Ziel, Import2.VkPreis FROM Import2 WHERE Ziel LIKE "
                   "'Italien' AND PreisEk= .085;",
                   {"Ziel", "VkPreis"}),
            Rows{});
  EXPECT_EQ(Fields("SELECT Import2.Ziel, Import2.VkPreis FROM Import2 WHERE Ziel LIKE "
                   "'Italien' AND PreisEk= .05;",
                   {"Ziel", "VkPreis"}),
            (Rows{{"ITALIEN", "0.1"}}));

  // Final prices: computed (.02 * 1.904 + .0049 -> .04, .085 -> .17), the
  // minimum on those only, then state 5.
  Execute(
      "UPDATE Import2 SET VkPreis=ROUND(PreisEk* 1.904+0.0049, 2), ImportState=19 WHERE "
      "VkPreis IS NULL AND ImportState IS NULL");
  EXPECT_EQ(Query("SELECT VkPreis FROM Import2 WHERE ImportState = 19 ORDER BY rowid"),
            (Rows{{"0.17"}, {"0.04"}}));
  Execute("UPDATE Import2 SET VkPreis= .1 WHERE VkPreis< .1 AND ImportState=19");
  Execute("UPDATE Import2 SET ImportState=5 WHERE ImportState=19");
  EXPECT_EQ(Query(import2_state), (Rows{{"0044", "0.19", "1", "London"},
                                        {"004930", "0.08", "2", "Berlin"},
                                        {"0039", "0.1", "1", "Italien"},
                                        {"00393", "0.2", "4", "Italien"},
                                        {"003931", "0.17", "5", "NULL"},
                                        {"00223", "0.25", "3", "Mali Mobile"},
                                        {"00224", "0.25", "3", "mali mobile"},
                                        {"0056", "0.15", "3", "O'Higgins"},
                                        {"0057", "0.1", "5", "NULL"},
                                        {"0043", "0.1", "2", "Oesterreich"},
                                        {"0058", "0.5", "1", "100 Prozent Mobil"}}));

  // Domestic rows the price file lacks, then the stored prefix form.
  Execute(
      "INSERT INTO Import2 ([Vorwahl],Ziel,VkPreis,ImportState,PreisEk) SELECT Number, "
      "Name, "
      "Price_EUR, 6,Rate_EK FROM NumbersPrevious WHERE Number LIKE '0049%' AND Number "
      "NOT IN "
      "(SELECT [Vorwahl] FROM Import2 WHERE [Vorwahl] LIKE '0049%');");
  EXPECT_EQ(
      Query("SELECT Vorwahl, Ziel, VkPreis, PreisEk FROM Import2 WHERE ImportState = 6 "
            "ORDER BY Vorwahl"),
      (Rows{{"0049111118", "Auskunft", "0.05", "0.5"},
            {"004940", "Hamburg", "0.09", "0.03"}}));
  Execute(
      "UPDATE Import2 SET [Vorwahl] = '0' & MID([Vorwahl],5) WHERE [Vorwahl] LIKE "
      "'0049%';");
  Execute(
      "UPDATE Import2 SET [Vorwahl] = MID([Vorwahl],5) WHERE [Vorwahl] LIKE '0111%';");
  EXPECT_EQ(
      Query("SELECT Vorwahl FROM Import2 WHERE ImportState IN (2, 6) ORDER BY rowid"),
      (Rows{{"030"}, {"0043"}, {"118"}, {"040"}}));

  // Write-back, then the working tables go.
  Execute("DELETE FROM Numbers");
  EXPECT_EQ(Query("SELECT count(*) FROM Numbers")[0][0], "0");
  Execute(
      "INSERT INTO Numbers ( [Number], Name, Price_EUR, Rate_EK, GraceTime, "
      "Profile)SELECT "
      "Import2.[Vorwahl], Import2.Ziel, Import2.VkPreis, Import2.PreisEk, 0, Null FROM "
      "Import2;");
  Execute("DROP TABLE NumbersPrevious;");
  Execute("DROP TABLE Import2;");
  Execute("DROP TABLE tmpMaxPreis;");
  connection_->CommitTrans();

  EXPECT_EQ(testing_support::QuerySqlite(database_.file(),
                                         "SELECT name FROM sqlite_master ORDER BY name"),
            (Rows{{"Numbers"}}));
  EXPECT_EQ(testing_support::QuerySqlite(database_.file(),
                                         "SELECT * FROM Numbers ORDER BY rowid"),
            (Rows{{"0044", "London", "0.19", "0.04", "0", "NULL"},
                  {"030", "Berlin Festnetz", "0.08", "0.03", "0", "NULL"},
                  {"0039", "ITALIEN", "0.1", "0.05", "0", "NULL"},
                  {"00393", "Italien Mobil", "0.2", "0.085", "0", "NULL"},
                  {"003931", "Italien Mobil Premium", "0.17", "0.085", "0", "NULL"},
                  {"00223", "Mali Mobile", "0.25", "0.2", "0", "NULL"},
                  {"00224", "mali mobile", "0.25", "0.2", "0", "NULL"},
                  {"0056", "O'Higgins", "0.15", "0.02", "0", "NULL"},
                  {"0057", "100% Mobil", "0.1", "0.02", "0", "NULL"},
                  {"0043", "Austria", "0.1", "0.03", "0", "NULL"},
                  {"0058", "100 Prozent Mobil", "0.5", "0.2", "0", "NULL"},
                  {"118", "Auskunft", "0.05", "0.5", "0", "NULL"},
                  {"040", "Hamburg", "0.09", "0.03", "0", "NULL"}}));
}

// The drops at the start of a run meet missing tables when the last run
// finished; each fails with a description naming the table.
TEST_F(StatementTableTest, DropsOfMissingWorkingTablesFailWithADescription) {
  connection_->RollbackTrans();
  for (const char* table : {"NumbersPrevious", "tmpMaxPreis", "Import2"})
    connection_->Execute(std::string("DROP TABLE ") + table);
  for (const char* table : {"NumbersPrevious", "tmpMaxPreis", "Import2"}) {
    try {
      connection_->Execute(std::string("DROP TABLE ") + table);
      ADD_FAILURE() << "dropped the missing table " << table;
    } catch (const core::Error& error) {
      EXPECT_NE(std::string(error.what()).find(table), std::string::npos) << error.what();
    }
  }
}

}  // namespace
