// The dialect features of the program's statements, checked by their effect
// on data in SQLite.
#include <gtest/gtest.h>

#include "core/error.h"
#include "jet_database.h"
#include "run/tables.h"

namespace {

using Rows = JetDatabase::Rows;

class JetSqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Numbers as the billing product has it: declared without any collation.
    db_.RunNative(
        "CREATE TABLE Numbers (Number TEXT, Name TEXT, Price_EUR CURRENCY, Rate_EK "
        "CURRENCY, "
        "GraceTime INTEGER, Profile TEXT)");
    db_.Run(
        "CREATE TABLE Import2 (Vorwahl VARCHAR(255), Ziel VARCHAR(255), PreisEk "
        "CURRENCY, "
        "ImportState INTEGER, OldName VARCHAR(255), VkPreis CURRENCY);");
  }

  void AddNumber(const std::string& number, const std::string& name, const char* price) {
    db_.RunNative(
        "INSERT INTO Numbers (Number, Name, Price_EUR, Rate_EK, GraceTime) VALUES (?, "
        "?, " +
            std::string(price) + ", 0.05, 0)",
        {core::Value::Text(number), core::Value::Text(name)});
  }

  void AddImport(const char* vorwahl, const char* ziel, const char* preis_ek) {
    db_.RunNative("INSERT INTO Import2 (Vorwahl, Ziel, PreisEk) VALUES (" +
                  std::string(vorwahl) + ", " + ziel + ", " + preis_ek + ")");
  }

  // The first column of every row.
  std::vector<std::string> Column(std::string_view jet_sql) {
    std::vector<std::string> values;
    for (const auto& row : db_.Run(jet_sql)) values.push_back(row.at(0));
    return values;
  }

  std::string Error(std::string_view jet_sql) {
    try {
      db_.Run(jet_sql);
    } catch (const core::Error& e) {
      return e.what();
    }
    return "(no error)";
  }

  JetDatabase db_;
};

using Strings = std::vector<std::string>;

TEST_F(JetSqlTest, CreateTableDeclaresJetTypes) {
  EXPECT_EQ(db_.ColumnTypes("Import2"),
            (Strings{"Vorwahl VARCHAR(255)", "Ziel VARCHAR(255)", "PreisEk CURRENCY",
                     "ImportState INTEGER", "OldName VARCHAR(255)", "VkPreis CURRENCY"}));
  db_.Run("CREATE TABLE t (a TEXT(10), b LONG, c DOUBLE, d MONEY, e MEMO NOT NULL)");
  EXPECT_EQ(db_.ColumnTypes("t"),
            (Strings{"a VARCHAR(10)", "b INTEGER", "c DOUBLE", "d CURRENCY", "e TEXT"}));
}

TEST_F(JetSqlTest, VarcharHoldsAtMostItsLengthInCharacters) {
  const std::string umlauts_255 = [] {
    std::string s;
    for (int i = 0; i < 255; ++i) s += "\xC3\xA4";
    return s;
  }();
  db_.Run("INSERT INTO Import2 (Ziel) VALUES ('" + umlauts_255 + "')");
  // The value is named, cut after 60 characters.
  const std::string refused =
      "Ziel: Text länger als 255 Zeichen: " + umlauts_255.substr(0, 120) + "…";
  EXPECT_EQ(Error("INSERT INTO Import2 (Ziel) VALUES ('" + umlauts_255 + "x')"), refused);
  EXPECT_EQ(Error("UPDATE Import2 SET Ziel = Ziel & 'x'"), refused);
}

// Every way of writing a new value obeys the width, also into a table that
// another program made (no constraint of ours on it); copying stored rows
// with SELECT ... INTO does not, since a copy is not new input.
TEST_F(JetSqlTest, WidthsHoldForEveryWriteButNotForCopies) {
  db_.RunNative("CREATE TABLE Narrow (Number VARCHAR(4), Name VARCHAR(5), n INTEGER)");
  db_.RunNative(
      "INSERT INTO Narrow VALUES ('0033', 'Frankreich', 1)");  // stored too long
  AddImport("'0044'", "'Britannien'", "0.05");
  AddImport("'12345'", "'Mali'", "0.05");
  const struct {
    const char* statement;
    const char* description;
  } kRefused[] = {
      {"INSERT INTO Narrow (Number, Name) VALUES ('1', 'Sechs!')",
       "Name: Text länger als 5 Zeichen: Sechs!"},
      {"INSERT INTO Narrow VALUES ('1', 'Sechs!', 2)",
       "Name: Text länger als 5 Zeichen: Sechs!"},
      {"INSERT INTO Narrow (Number, Name) SELECT Vorwahl, Ziel FROM Import2",
       "Name: Text länger als 5 Zeichen: Britannien"},
      {"INSERT INTO Narrow (name) SELECT Ziel FROM Import2",
       "Name: Text länger als 5 Zeichen: Britannien"},
      {"INSERT INTO Narrow (Number) SELECT Vorwahl FROM Import2 WHERE Ziel = 'Mali'",
       "Number: Text länger als 4 Zeichen: 12345"},
      {"INSERT INTO Narrow (Number) VALUES (12345)",  // a number counts as its text
       "Number: Text länger als 4 Zeichen: 12345"},
      {"UPDATE Narrow SET Name = Name & 'x'",
       "Name: Text länger als 5 Zeichen: Frankreichx"},
      {"UPDATE Narrow SET Number = '0' & Number",
       "Number: Text länger als 4 Zeichen: 00033"},
  };
  const Rows stored = db_.RunNative("SELECT * FROM Narrow");
  for (const auto& refused : kRefused) {
    EXPECT_EQ(Error(refused.statement), refused.description) << refused.statement;
    EXPECT_EQ(db_.RunNative("SELECT * FROM Narrow"), stored) << refused.statement;
  }
  // What fits is written; NULL always fits.
  db_.Run("INSERT INTO Narrow (Number, Name) VALUES ('1234', Null)");
  db_.Run("UPDATE Narrow SET Name = 'Mali', n = n + 1 WHERE Number = '0033'");

  db_.RunNative("UPDATE Narrow SET Name = 'Frankreich' WHERE Number = '0033'");
  db_.Run("SELECT * INTO Copy FROM Narrow");
  db_.Run("SELECT Name AS Name, MAX(n) AS n INTO Grouped FROM Narrow GROUP BY Name");
  EXPECT_EQ(db_.RunNative("SELECT Number, Name FROM Copy WHERE Number = '0033'"),
            (Rows{{"0033", "Frankreich"}}));
  EXPECT_EQ(db_.ColumnTypes("Copy"),
            (Strings{"Number VARCHAR(4)", "Name VARCHAR(5)", "n INTEGER"}));
  // The copy keeps the widths for what is written into it later.
  EXPECT_EQ(Error("UPDATE Copy SET Name = 'Sechs!'"),
            "Name: Text länger als 5 Zeichen: Sechs!");
  // A row written back unchanged is written anew: the width holds.
  EXPECT_EQ(Error("INSERT INTO Narrow SELECT * FROM Copy WHERE Number = '0033'"),
            "Name: Text länger als 5 Zeichen: Frankreich");
}

TEST_F(JetSqlTest, CurrencyIsRoundedHalfToEvenOnEveryWrite) {
  AddImport("'1'", "'a'", "0");
  // 0.00125 and 0.00135 lie halfway between two ticks.
  db_.Run("UPDATE Import2 SET PreisEk = 0.00125, VkPreis = 0.00135");
  EXPECT_EQ(db_.Run("SELECT PreisEk, VkPreis FROM Import2"),
            (Rows{{"0.0012", "0.0014"}}));
  db_.Run("UPDATE Import2 SET VkPreis = PreisEk * 1.904 + 0.12345678");
  EXPECT_EQ(Column("SELECT VkPreis FROM Import2"), Strings{"0.1257"});
  db_.Run("INSERT INTO Import2 (Vorwahl, PreisEk, VkPreis) VALUES ('2', 1.23456, Null)");
  db_.Run(
      "INSERT INTO Import2 SELECT Vorwahl & 'x', Ziel, PreisEk / 3, 7, OldName, 2 "
      "FROM Import2 WHERE Vorwahl = '2'");
  EXPECT_EQ(db_.Run("SELECT Vorwahl, PreisEk, VkPreis FROM Import2 WHERE Vorwahl <> '1' "
                    "ORDER BY Vorwahl"),
            (Rows{{"2", "1.2346", "NULL"}, {"2x", "0.4115", "2"}}));
  // A "*" source is written out column by column so that currency is rounded.
  db_.RunNative("CREATE TABLE Raw (a TEXT, b TEXT, c REAL, d INTEGER, e TEXT, f REAL)");
  db_.RunNative("INSERT INTO Raw VALUES ('3', 'r', 0.33335, 1, NULL, 1.00004)");
  db_.Run("INSERT INTO Import2 SELECT * FROM Raw");
  EXPECT_EQ(db_.Run("SELECT PreisEk, VkPreis FROM Import2 WHERE Vorwahl = '3'"),
            (Rows{{"0.3334", "1"}}));
  EXPECT_EQ(Error("UPDATE Import2 SET PreisEk = 'abc'"),
            "Typen unverträglich: 'abc' ist keine Zahl");
  db_.Run("UPDATE Import2 SET PreisEk = '0.50005' WHERE Vorwahl = '1'");  // numeric text
  EXPECT_EQ(Column("SELECT PreisEk FROM Import2 WHERE Vorwahl = '1'"), Strings{"0.5"});
}

TEST_F(JetSqlTest, SelectIntoCopiesDeclaredTypesAndNamesUnnamedColumns) {
  AddNumber("030", "Berlin", "0.2");
  AddNumber("0044", "London", "0.15");
  AddNumber("00441", "LONDON", "0.3");
  AddNumber("118", "Auskunft", "NULL");
  db_.Run(
      "SELECT [Name] AS [Name], MAX([Price_EUR]) AS [Price_EUR], 1 INTO tmpMaxPreis "
      "FROM Numbers GROUP BY [Name]");
  EXPECT_EQ(db_.ColumnTypes("tmpMaxPreis"),
            (Strings{"Name TEXT", "Price_EUR CURRENCY", "Expr1002 INTEGER"}));
  EXPECT_EQ(Column("SELECT Price_EUR FROM tmpMaxPreis ORDER BY Name"),
            (Strings{"NULL", "0.2", "0.3"}));  // London and LONDON are one name
  EXPECT_EQ(Column("SELECT Expr1002 FROM tmpMaxPreis WHERE Name = 'london'"),
            Strings{"1"});

  db_.Run("SELECT * INTO NumbersPrevious FROM Numbers");
  EXPECT_EQ(db_.ColumnTypes("NumbersPrevious"),
            (Strings{"Number TEXT", "Name TEXT", "Price_EUR CURRENCY", "Rate_EK CURRENCY",
                     "GraceTime INTEGER", "Profile TEXT"}));
  EXPECT_EQ(
      db_.RunNative("SELECT Number, typeof(Number) FROM NumbersPrevious ORDER BY rowid"),
      (Rows{{"030", "text"}, {"0044", "text"}, {"00441", "text"}, {"118", "text"}}));
  EXPECT_EQ(Error("SELECT * INTO NumbersPrevious FROM Numbers"),
            "table `NumbersPrevious` already exists");
}

TEST_F(JetSqlTest, SelectIntoKeepsTextLimitsAndTypesOfExpressions) {
  AddImport("'0044'", "'London'", "0.05");
  db_.Run(
      "SELECT Import2.Vorwahl AS V, Count(*), PreisEk * 2, Min(VkPreis) INTO x "
      "FROM Import2 GROUP BY Vorwahl, PreisEk");
  EXPECT_EQ(db_.ColumnTypes("x"), (Strings{"V VARCHAR(255)", "Expr1001 INTEGER",
                                           "Expr1002 ", "Expr1003 CURRENCY"}));
  EXPECT_NE(Error("UPDATE x SET V = V & '" + std::string(255, 'x') + "'"), "(no error)");
}

TEST_F(JetSqlTest, PrefixFormsConvertBothWays) {
  for (const char* number : {"030", "118", "0044", "004930"})
    AddNumber(number, "n", "0.1");
  db_.Run("SELECT * INTO NumbersPrevious FROM Numbers");
  db_.Run("DELETE FROM NumbersPrevious WHERE Number LIKE '0049%';");
  db_.Run(
      "UPDATE NumbersPrevious SET [Number] = '0111' & [Number] WHERE [Number] NOT LIKE "
      "'0%';");
  EXPECT_EQ(Column("SELECT Number FROM NumbersPrevious ORDER BY Number"),
            (Strings{"0044", "0111118", "030"}));
  db_.Run(
      "UPDATE NumbersPrevious SET [Number] = '0049' & MID([Number],2) "
      "WHERE [Number] NOT LIKE '00%' AND [Number] LIKE '0%';");
  EXPECT_EQ(Column("SELECT Number FROM NumbersPrevious ORDER BY Number"),
            (Strings{"0044", "0049111118", "004930"}));

  db_.Run(
      "INSERT INTO Import2 ([Vorwahl],Ziel,VkPreis,ImportState,PreisEk) "
      "SELECT Number, Name, Price_EUR, 6,Rate_EK FROM NumbersPrevious");
  db_.Run(
      "UPDATE Import2 SET [Vorwahl] = '0' & MID([Vorwahl],5) WHERE [Vorwahl] LIKE "
      "'0049%';");
  db_.Run(
      "UPDATE Import2 SET [Vorwahl] = MID([Vorwahl],5) WHERE [Vorwahl] LIKE '0111%';");
  EXPECT_EQ(Column("SELECT Vorwahl FROM Import2 ORDER BY Vorwahl"),
            (Strings{"0044", "030", "118"}));
}

TEST_F(JetSqlTest, PreparationOfTheCurrentPrices) {
  AddNumber("0044", "A", "0.05");
  AddNumber("030", "B", "NULL");
  AddNumber("0045", "C", "0.2");
  db_.Run("UPDATE Numbers SET Price_EUR=-[Price_EUR] WHERE Price_EUR< .1");
  db_.Run(
      "UPDATE Numbers SET Price_EUR=ROUND(Rate_EK* 1.904+0.0049, 2) "
      "WHERE Price_EUR IS NULL AND Rate_EK IS NOT NULL");
  db_.Run(
      "UPDATE Numbers SET Price_EUR= .1 WHERE Price_EUR< .1 AND Price_EUR>0 "
      "AND [Number] LIKE '00%'");
  EXPECT_EQ(Column("SELECT Price_EUR FROM Numbers ORDER BY Name"),
            (Strings{"-0.05", "0.1", "0.2"}));
  db_.Run("UPDATE Numbers SET Price_EUR=-[Price_EUR] WHERE Price_EUR<0");
  EXPECT_EQ(Column("SELECT Price_EUR FROM Numbers ORDER BY Name"),
            (Strings{"0.05", "0.1", "0.2"}));
}

TEST_F(JetSqlTest, UpdateWithInnerJoinMatchesNamesWithoutCase) {
  AddNumber("030", "Berlin", "0.2");
  AddNumber("0044", "London", "0.3");
  db_.Run(
      "SELECT [Name] AS [Name], MAX([Price_EUR]) AS [Price_EUR], 1 INTO tmpMaxPreis "
      "FROM Numbers GROUP BY [Name]");
  db_.Run("SELECT * INTO NumbersPrevious FROM Numbers");
  AddImport("'0049301'", "'berlin'", "0.01");
  AddImport("'0044'", "'Vereinigtes Koenigreich'", "0.02");
  AddImport("'0099'", "'Nirgendwo'", "0.03");
  AddImport("'0088'", "'LONDON'", "0.04");
  db_.Run("UPDATE Import2 SET ImportState = 7 WHERE Vorwahl = '0088'");
  db_.Run(
      "UPDATE Import2 INNER JOIN tmpMaxPreis ON Import2.Ziel = tmpMaxPreis.Name "
      "SET [VkPreis] = [tmpMaxPreis].[Price_EUR], [OldName] = [tmpMaxPreis].[Name], "
      "Import2.ImportState = 1 WHERE (((Import2.ImportState) Is Null));");
  db_.Run(
      "UPDATE Import2 INNER JOIN NumbersPrevious ON Import2.[Vorwahl] = "
      "NumbersPrevious.[Number] SET [VkPreis] = [NumbersPrevious].[Price_EUR], "
      "[OldName] = [NumbersPrevious].[Name], Import2.ImportState = 2 "
      "WHERE (((Import2.ImportState) Is Null));");
  EXPECT_EQ(
      db_.Run(
          "SELECT Vorwahl, VkPreis, OldName, ImportState FROM Import2 ORDER BY Vorwahl"),
      (Rows{{"0044", "0.3", "London", "2"},
            {"0049301", "0.2", "Berlin", "1"},
            {"0088", "NULL", "NULL", "7"},
            {"0099", "NULL", "NULL", "NULL"}}));
}

TEST_F(JetSqlTest, ComputedPricesMinimumAndWriteBack) {
  AddImport("'0044'", "'London'", "0.07");
  AddImport("'0045'", "'Dänemark'", "0.01");
  db_.Run(
      "UPDATE Import2 SET VkPreis=ROUND(PreisEk* 1.6+0.0049, 2), ImportState=19 "
      "WHERE VkPreis IS NULL AND ImportState IS NULL");
  db_.Run("UPDATE Import2 SET VkPreis= .1 WHERE VkPreis< .1 AND ImportState=19");
  db_.Run("UPDATE Import2 SET ImportState=5 WHERE ImportState=19");
  db_.Run("DELETE FROM Numbers");
  db_.Run(
      "INSERT INTO Numbers ( [Number], Name, Price_EUR, Rate_EK, GraceTime, Profile)"
      "SELECT Import2.[Vorwahl], Import2.Ziel, Import2.VkPreis, Import2.PreisEk, 0, Null "
      "FROM Import2;");
  EXPECT_EQ(db_.Run("SELECT * FROM Numbers ORDER BY Number"),
            (Rows{{"0044", "London", "0.12", "0.07", "0", "NULL"},
                  {"0045", "D\xC3\xA4nemark", "0.1", "0.01", "0", "NULL"}}));
}

TEST_F(JetSqlTest, DomesticRowsNotInThePriceFile) {
  AddNumber("004930", "Berlin", "0.2");
  AddNumber("004940", "Hamburg", "0.3");
  AddNumber("0044", "London", "0.4");
  db_.Run("SELECT * INTO NumbersPrevious FROM Numbers");
  AddImport("'004930'", "'Berlin neu'", "0.01");
  db_.Run(
      "INSERT INTO Import2 ([Vorwahl],Ziel,VkPreis,ImportState,PreisEk) "
      "SELECT Number, Name, Price_EUR, 6,Rate_EK FROM NumbersPrevious WHERE Number LIKE "
      "'0049%' AND Number NOT IN (SELECT [Vorwahl] FROM Import2 WHERE [Vorwahl] LIKE "
      "'0049%');");
  EXPECT_EQ(db_.Run("SELECT Vorwahl, Ziel, ImportState FROM Import2 ORDER BY Vorwahl"),
            (Rows{{"004930", "Berlin neu", "NULL"}, {"004940", "Hamburg", "6"}}));
}

TEST_F(JetSqlTest, CleanUpKeepsNumericPrefixesAndCheapRows) {
  AddImport("NULL", "'a'", "0.1");
  AddImport("'abc'", "'b'", "0.1");
  AddImport("'0044'", "'c'", "0.1");
  AddImport("' 12 '", "'d'", "0.1");
  AddImport("'0049'", "'e'", "5");
  AddImport("'0050'", "'f'", "3");
  db_.Run("DELETE FROM Import2 WHERE NOT IsNumeric([Vorwahl]) OR PreisEk>3;");
  EXPECT_EQ(Column("SELECT Ziel FROM Import2 ORDER BY Ziel"), (Strings{"c", "d", "f"}));
}

TEST_F(JetSqlTest, Functions) {
  EXPECT_EQ(db_.Run("SELECT 'a' & NULL, NULL & NULL, 'x' & 1.5, 'x' & ROUND(2.4, 0), "
                    "MID('0049301', 5), MID('abc', 2, 1), MID('\xC3\xA4"
                    "bc', 2), "
                    "ROUND(0.05* 1.904+0.0049, 2), 7/2, 2+3*4, 'a' & 1+2, -(2-5)"),
            (Rows{{"a", "NULL", "x1.5", "x2", "301", "b", "bc", "0.1", "3.5", "14", "a3",
                   "3"}}));
  EXPECT_EQ(
      db_.Run("SELECT IsNumeric(NULL), IsNumeric(12), IsNumeric(1.5), IsNumeric('1,5'), "
              "IsNumeric(' -1.5E3 '), IsNumeric(''), NOT IsNumeric(NULL)"),
      (Rows{{"0", "1", "1", "0", "1", "0", "1"}}));
}

class CaseTest : public JetSqlTest {
 protected:
  void SetUp() override {
    JetSqlTest::SetUp();
    for (const char* ziel : {"'Berlin'", "'BERLIN'", "'Berlin Mobil'", "'\xC3\xA4gypten'",
                             "'Agypten'", "NULL", "''"}) {
      AddImport("'1'", ziel, "1");
    }
  }
};

TEST_F(CaseTest, TextComparisonsIgnoreLetterCase) {
  AddNumber("1", "berlin", "1");
  struct Case {
    const char* where;
    size_t rows;
  };
  const Case cases[] = {
      {"Ziel = 'berlin'", 2},
      {"'BERLIN' = Ziel", 2},
      {"Ziel LIKE 'berlin'", 2},
      {"Ziel LIKE 'Berlin%'", 3},
      {"Ziel LIKE 'b_rlin'", 2},
      {"Ziel LIKE '[a-c]%'", 4},
      {"Ziel <> 'BERLIN'", 4},
      {"Ziel NOT LIKE 'BERLIN'", 4},
      {"Ziel NOT LIKE 'b%'", 3},
      {"Ziel = '\xC3\x84GYPTEN'", 1},
      {"Ziel LIKE '\xC3\x84%'", 1},
      {"Ziel < 'b'", 2},
      {"Ziel >= 'BERLIN MOBIL'", 2},
      {"Ziel IN ('agypten', 'x')", 1},
      {"Ziel IN (SELECT Ziel FROM Import2 WHERE Ziel = 'AGYPTEN')", 1},
      {"Ziel NOT IN (SELECT Name FROM Numbers)", 4},
      {"Ziel Is Null", 1},
      {"Ziel is not null", 6},
      {"Ziel LIKE NULL", 0},
      {"NOT (Ziel LIKE '%')", 0},
      {"((Ziel = 'x') OR (Ziel = 'berlin' AND NOT Ziel = 'x'))", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_EQ(Column(std::string("SELECT Ziel FROM Import2 WHERE ") + c.where).size(),
              c.rows);
  }
  EXPECT_EQ(Column("SELECT Ziel FROM Import2 GROUP BY Ziel").size(), 6u);
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

TEST_F(CaseTest, OrderByPutsNamesDifferingInCaseTogether) {
  Strings ziele;
  for (const auto& row : db_.Run(
           "SELECT Ziel FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL "
           "ORDER BY Ziel")) {
    ziele.push_back(LowerAscii(row[0]));
  }
  EXPECT_EQ(ziele, (Strings{"null", "", "agypten", "berlin", "berlin", "berlin mobil",
                            "\xC3\xA4gypten"}));
}

TEST_F(JetSqlTest, NumbersCompareAndSortAsNumbers) {
  AddImport("'a'", "'x'", "10");
  AddImport("'b'", "'x'", "4");
  AddImport("'c'", "'x'", "3.5");
  EXPECT_EQ(Column("SELECT Vorwahl FROM Import2 WHERE PreisEk>3.9 ORDER BY PreisEk"),
            (Strings{"b", "a"}));
  EXPECT_EQ(Column("SELECT Vorwahl FROM Import2 ORDER BY PreisEk DESC"),
            (Strings{"a", "b", "c"}));
}

TEST_F(JetSqlTest, MostFrequentPriceLookup) {
  for (const char* row : {"'Mali Mobile', 0.2", "'MALI MOBILE', 0.3",
                          "'mali mobile', 0.3", "'Mali Mobile', NULL", "'Mali', 0.3"}) {
    db_.RunNative(std::string("INSERT INTO Import2 (Ziel, VkPreis) VALUES (") + row +
                  ")");
  }
  const Rows rows = db_.Run(
      "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS AnzahlvonVkPreis "
      "FROM Import2 WHERE Ziel LIKE 'Mali Mobile' AND VkPreis IS NOT NULL "
      "GROUP BY Import2.Ziel, Import2.VkPreis ORDER BY Count(Import2.VkPreis) DESC;");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1], "0.3");
  EXPECT_EQ(rows[0][2], "2");
  EXPECT_EQ(rows[1][1], "0.2");
  EXPECT_EQ(rows[1][2], "1");
}

TEST_F(JetSqlTest, ResultColumnsCarryJetNames) {
  sqlite3_stmt* stmt = nullptr;
  const auto t = db::engine::jetsql::Translate(
      "SELECT Import2.Ziel, Count(Import2.VkPreis) AS AnzahlvonVkPreis, Max(PreisEk) "
      "FROM Import2 GROUP BY Ziel",
      db_);
  ASSERT_EQ(
      sqlite3_prepare_v2(db_.handle(), t.statements[0].sql.c_str(), -1, &stmt, nullptr),
      SQLITE_OK);
  EXPECT_STREQ(sqlite3_column_name(stmt, 0), "Ziel");
  EXPECT_STREQ(sqlite3_column_name(stmt, 1), "AnzahlvonVkPreis");
  EXPECT_STREQ(sqlite3_column_name(stmt, 2), "Expr1002");
  sqlite3_finalize(stmt);
}

TEST_F(JetSqlTest, LikeWithoutWildcardIsServedByAnIndex) {
  db_.Run(std::string(run::kCreateImport2Index));
  db_.Run("CREATE UNIQUE INDEX ix_number ON Numbers ([Number])");
  // Both lookups of the record loops are served exactly: by name, and by name
  // and purchase price, so that none walks a large destination's rows.
  EXPECT_NE(db_.QueryPlan("SELECT Ziel FROM Import2 WHERE Ziel LIKE 'Italien Mobil' "
                          "AND PreisEk= .085;")
                .find("INDEX Import2Ziel (Ziel=? AND PreisEk=?)"),
            std::string::npos);
  EXPECT_NE(db_.QueryPlan("SELECT Ziel, VkPreis FROM Import2 WHERE Ziel LIKE 'Italien' "
                          "AND VkPreis IS NOT NULL GROUP BY Ziel, VkPreis")
                .find("INDEX Import2Ziel (Ziel=?)"),
            std::string::npos);
  EXPECT_NE(db_.QueryPlan("SELECT * FROM Numbers WHERE Number = '030'").find("ix_number"),
            std::string::npos);
  // Lookups ignore case through the index as well.
  AddImport("'1'", "'Italien Mobil'", "0.085");
  EXPECT_EQ(
      Column(
          "SELECT Ziel FROM Import2 WHERE Ziel LIKE 'ITALIEN MOBIL' AND PreisEk= .085;"),
      Strings{"Italien Mobil"});
  AddNumber("030", "Berlin", "1");
  EXPECT_NE(Error("INSERT INTO Numbers (Number) VALUES ('030')"), "(no error)");
}

TEST_F(JetSqlTest, RowidColumnOfOneTableSets) {
  AddImport("'a'", "'x'", "1");
  AddImport("'b'", "'y'", "2");
  db_.Run("DELETE FROM Import2 WHERE Vorwahl = 'a'");
  AddImport("'c'", "'z'", "3");
  const db::engine::jetsql::TranslateOptions options{true, true};
  EXPECT_EQ(
      db_.Run("SELECT * FROM Import2 WHERE PreisEk > 1 ORDER BY Ziel", options),
      db_.RunNative("SELECT rowid, * FROM Import2 WHERE PreisEk > 1 ORDER BY Ziel"));
  EXPECT_EQ(db_.Run("Import2", options), db_.RunNative("SELECT rowid, * FROM Import2"));
}

TEST_F(JetSqlTest, UnknownNamesFailInsteadOfBecomingTexts) {
  AddNumber("030", "Berlin", "NULL");
  EXPECT_EQ(Error("UPDATE Numbers SET Price_EUR=ROUND(Rate_EKX* 1.6+0.0049, 2) "
                  "WHERE Price_EUR IS NULL"),
            "no such column: Rate_EKX");
  EXPECT_EQ(Error("SELECT [Nam`e] FROM Numbers"), "no such column: Nam`e");
  EXPECT_EQ(Error("SELECT * FROM [No table]"), "no such table: No table");
}

TEST_F(JetSqlTest, DropTable) {
  db_.Run("SELECT * INTO NumbersPrevious FROM Numbers");
  db_.Run("DROP TABLE NumbersPrevious;");
  EXPECT_FALSE(db_.TableColumns("NumbersPrevious").has_value());
  EXPECT_EQ(Error("DROP TABLE NumbersPrevious"), "no such table: NumbersPrevious");
  db_.Run("CREATE INDEX ix ON Import2 (Ziel DESC, Vorwahl)");
  db_.Run("DROP INDEX ix ON Import2");
  EXPECT_EQ(Error("DROP INDEX ix ON Import2"), "no such index: ix");
}

}  // namespace
