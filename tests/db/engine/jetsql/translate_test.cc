#include "db/engine/jetsql/translate.h"

#include <gtest/gtest.h>

#include <random>

#include "db/engine/core_types.h"
#include "jet_database.h"

namespace db::engine::jetsql {
namespace {

class TranslateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Run(
        "CREATE TABLE Import2 (Vorwahl VARCHAR(255), Ziel VARCHAR(255), PreisEk "
        "CURRENCY, "
        "ImportState INTEGER, OldName VARCHAR(255), VkPreis CURRENCY);");
  }
  Translation T(std::string_view sql, TranslateOptions options = {}) {
    return Translate(sql, db_, options);
  }
  JetDatabase db_;
};

TEST_F(TranslateTest, LiteralsBecomeParameters) {
  const Translation a =
      T("SELECT Import2.Ziel, Import2.VkPreis FROM Import2 "
        "WHERE Ziel LIKE 'Italien Mobil' AND PreisEk= .085;");
  const Translation b =
      T("SELECT Import2.Ziel, Import2.VkPreis FROM Import2 "
        "WHERE Ziel LIKE 'Italien' AND PreisEk= 1.5;");
  ASSERT_EQ(a.statements.size(), 1u);
  EXPECT_EQ(a.statements[0].sql, b.statements[0].sql);
  EXPECT_EQ(a.statements[0].params,
            (std::vector<Value>{Value::Text("Italien Mobil"), Value::Double(0.085)}));
  EXPECT_EQ(b.statements[0].params,
            (std::vector<Value>{Value::Text("Italien"), Value::Double(1.5)}));
}

TEST_F(TranslateTest, NumberLiteralsKeepTheirValue) {
  struct Case {
    const char* literal;
    Value value;
  };
  const Case cases[] = {
      {" .1", Value::Double(0.1)},
      {"-.5", Value::Double(-0.5)},
      {" 1.904", Value::Double(1.904)},
      {"0.0049", Value::Double(0.0049)},
      {"3", Value::Integer(3)},
      {"-10", Value::Integer(-10)},
      {"1E3", Value::Double(1000)},
      {"- -2", Value::Integer(2)},
      {"99999999999999999999", Value::Double(1e20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.literal);
    const Translation t = T(std::string("UPDATE Import2 SET VkPreis=") + c.literal);
    ASSERT_EQ(t.statements[0].params.size(), 1u);
    EXPECT_EQ(t.statements[0].params[0], c.value);
  }
}

TEST_F(TranslateTest, TextLiteralsResolveDoubledQuotes) {
  const Translation t = T("SELECT * FROM Import2 WHERE Ziel = 'O''Brian'");
  EXPECT_EQ(t.statements[0].params, (std::vector<Value>{Value::Text("O'Brian")}));
}

TEST_F(TranslateTest, RowidForOneTableSelects) {
  const TranslateOptions with_rowid{true, true};
  struct Case {
    const char* sql;
    const char* base_table;
  };
  const Case cases[] = {
      {"Import2", "Import2"},
      {"[Import2];", "Import2"},
      {"SELECT * FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL ORDER BY "
       "Ziel",
       "Import2"},
      {"SELECT Ziel FROM [Import2]", "Import2"},
      {"SELECT Ziel, Count(VkPreis) AS n FROM Import2 GROUP BY Ziel", ""},
      {"SELECT Max(VkPreis) FROM Import2", ""},
      {"SELECT Import2.Ziel FROM Import2 INNER JOIN Import2 ON Import2.Ziel = "
       "Import2.Ziel",
       ""},
      {"SELECT 1", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const Translation t = T(c.sql, with_rowid);
    EXPECT_TRUE(t.returns_rows);
    EXPECT_EQ(t.base_table, c.base_table);
    const bool has_rowid = t.statements[0].sql.find(kRowidColumn) != std::string::npos;
    EXPECT_EQ(has_rowid, !t.base_table.empty());
  }
  EXPECT_TRUE(T("SELECT * FROM Import2").base_table.empty());  // not asked for
}

TEST_F(TranslateTest, StatementKinds) {
  struct Case {
    const char* sql;
    bool returns_rows;
    bool changes_schema;
    size_t statements;
  };
  const Case cases[] = {
      {"SELECT * FROM Import2", true, false, 1},
      {"SELECT * INTO Copy FROM Import2", false, true, 2},
      {"DROP TABLE Import2", false, true, 1},
      {"CREATE TABLE t (a TEXT)", false, true, 1},
      {"CREATE UNIQUE INDEX ix ON Import2 (Vorwahl)", false, true, 1},
      {"DROP INDEX ix ON Import2", false, true, 1},
      {"DELETE FROM Import2", false, false, 1},
      {"UPDATE Import2 SET ImportState=5 WHERE ImportState=19", false, false, 1},
      {"INSERT INTO Import2 (Vorwahl) VALUES ('0044')", false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const Translation t = T(c.sql);
    EXPECT_EQ(t.returns_rows, c.returns_rows);
    EXPECT_EQ(t.changes_schema, c.changes_schema);
    EXPECT_EQ(t.statements.size(), c.statements);
  }
}

TEST_F(TranslateTest, RefusesWhatItDoesNotSpeak) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view sql;  // may hold a NUL byte
    const char* message_part;
  };
  const Case cases[] = {
      {"", "unexpected end of statement"},
      {";", "near ';'"},
      {"FOO BAR", "Unsupported SQL statement 'FOO'"},
      {"SELECT", "unexpected end of statement"},
      {"SELECT * FROM", "unexpected end of statement"},
      {"SELECT * FROM Import2 WHERE", "unexpected end of statement"},
      {"SELECT * FROM Import2 WHERE Ziel = 'abc", "without closing quote"},
      {"SELECT [Ziel FROM Import2", "without closing ']'"},
      {"SELECT [] FROM Import2", "empty name"},
      {"SELECT [a\0b] FROM Import2"sv, "NUL character"},
      {"SELECT * FROM Import2 FOO", "near 'FOO'"},
      {"SELECT * FROM Import2; DROP TABLE Import2", "near 'DROP'"},
      {"SELECT DISTINCT Ziel FROM Import2", "near 'DISTINCT'"},
      {"SELECT Ziel FROM Import2 HAVING Ziel = 'a'", "near 'HAVING'"},
      {"SELECT * FROM Import2 LEFT JOIN Numbers ON a = b", "only INNER JOIN"},
      {"SELECT Len(Ziel) FROM Import2", "Undefined function 'Len'"},
      {"SELECT MID(Ziel) FROM Import2", "Wrong number of arguments"},
      {"SELECT * FROM Import2 WHERE Ziel = (SELECT Ziel FROM Import2)",
       "only supported after IN"},
      {"SELECT * FROM Import2 WHERE Ziel = #2020-01-01#", "near '#'"},
      {"SELECT * FROM Import2 WHERE Ziel = \"abc\"", "near '\"'"},
      {"SELECT * FROM Import2 WHERE Ziel LIKE '[abc'", "Invalid pattern string"},
      {"SELECT * FROM Import2 WHERE Ziel IS 5", "near '5'"},
      {"SELECT * FROM Import2 ORDER Ziel", "near 'Ziel'"},
      {"CREATE TABLE t (a BLOBBY)", "Unsupported data type 'BLOBBY'"},
      {"CREATE TABLE t (a VARCHAR(0))", "Invalid field size"},
      {"CREATE TABLE t (a VARCHAR(256))", "Invalid field size"},
      {"CREATE TABLE t (a VARCHAR)", "Unsupported data type 'VARCHAR'"},
      {"CREATE TABLE t ()", "near ')'"},
      {"INSERT INTO Import2 (Vorwahl, Ziel) VALUES ('1')", "Number of query values"},
      {"INSERT INTO Import2 (Vorwahl, PreisEk) SELECT Ziel FROM Import2",
       "Number of query values"},
      {"INSERT INTO Import2 SELECT * INTO x FROM Import2", "INTO is not allowed"},
      {"UPDATE Import2 INNER JOIN Numbers ON 1 = 1 SET Numbers.Name = 'x'",
       "Cannot update"},
      {"SELECT * INTO Copy FROM Missing",
       "Tabelle Missing gibt es nicht (no such table: Missing)"},
      {"SELECT Ziel AS a, Vorwahl AS A INTO Copy FROM Import2",
       "Duplicate output destination"},
      {"SELECT * FROM Import2 WHERE Ziel = 'a' \x01", "near '\\x01'"},
      {"Import2", "Unsupported SQL statement 'Import2'"},  // a table name only when asked
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sql));
    try {
      T(c.sql);
      ADD_FAILURE() << "accepted";
    } catch (const core::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos)
          << e.what();
    }
  }
}

TEST_F(TranslateTest, LongStatementsAreBoundedNotCrashing) {
  auto repeat = [](std::string_view part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
  };
  const std::string where = "SELECT Ziel FROM Import2 WHERE ";
  // Chains and lists of moderate length are fine and run in SQLite.
  db_.Run(where + repeat("Ziel = 'a' OR ", 150) + "1 = 1");
  db_.Run(where + "Ziel IN ('a'" + repeat(", 'b'", 5000) + ")");
  db_.Run(where + repeat("(", 100) + "1 = 1" + repeat(")", 100));
  // Anything deeper is refused before it can exhaust the stack.
  for (const std::string& sql :
       {where + repeat("Ziel = 'a' OR ", 100000) + "1 = 1",
        where + repeat("Ziel & ", 100000) + "Ziel = 'x'",
        where + repeat("NOT ", 100000) + "1 = 1",
        where + repeat("- ", 100000) + "Ziel = 1", where + repeat("(", 100000) + "1",
        where + repeat("Ziel IN (", 100000) + "1"}) {
    EXPECT_THROW(T(sql), core::Error) << sql.substr(0, 60);
  }
}

// Whatever the text, translation either fails with core::Error or yields SQL
// that SQLite can at least try to prepare: no crash, no other exception.
TEST_F(TranslateTest, SurvivesMangledStatements) {
  const std::vector<std::string> seeds = {
      "UPDATE Import2 INNER JOIN tmpMaxPreis ON Import2.Ziel = tmpMaxPreis.Name SET "
      "[VkPreis] "
      "= [tmpMaxPreis].[Price_EUR], [OldName] = [tmpMaxPreis].[Name], "
      "Import2.ImportState = 1 "
      "WHERE (((Import2.ImportState) Is Null));",
      "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS AnzahlvonVkPreis "
      "FROM "
      "Import2 WHERE Ziel LIKE 'Mali [a-z]%' AND VkPreis IS NOT NULL GROUP BY "
      "Import2.Ziel, "
      "Import2.VkPreis ORDER BY Count(Import2.VkPreis) DESC;",
      "INSERT INTO Import2 ([Vorwahl],Ziel,VkPreis,ImportState,PreisEk) SELECT Number, "
      "Name, "
      "Price_EUR, 6,Rate_EK FROM NumbersPrevious WHERE Number LIKE '0049%' AND Number "
      "NOT IN "
      "(SELECT [Vorwahl] FROM Import2 WHERE [Vorwahl] LIKE '0049%');",
      "UPDATE Import2 SET VkPreis=ROUND(PreisEk* 1.904+0.0049, 2), ImportState=19 WHERE "
      "VkPreis IS NULL AND NOT IsNumeric(MID([Vorwahl],5) & '0')",
  };
  const std::string alphabet = "[]().,;'*=<>-+&/ %_!aZ0.5\xC3\xA4";
  std::mt19937 random(12345);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string sql = seeds[round % seeds.size()];
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = random() % (sql.size() + 1);
      switch (random() % 3) {
        case 0:
          sql.insert(at, 1, alphabet[random() % alphabet.size()]);
          break;
        case 1:
          if (at < sql.size()) sql.erase(at, 1 + random() % 8);
          break;
        default:
          sql = sql.substr(0, at);
          break;
      }
    }
    try {
      const Translation t = T(sql);
      ++accepted;
      for (const SqliteStatement& statement : t.statements) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db_.handle(), statement.sql.c_str(), -1, &stmt, nullptr);
        if (stmt) {
          EXPECT_EQ(sqlite3_bind_parameter_count(stmt),
                    static_cast<int>(statement.params.size()))
              << statement.sql;
        }
        sqlite3_finalize(stmt);
      }
    } catch (const core::Error&) {
    }
  }
  EXPECT_GT(accepted, 100);  // the mangling leaves many statements valid
}

}  // namespace
}  // namespace db::engine::jetsql
