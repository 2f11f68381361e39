#include "db/engine/jetsql/translation_cache.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "db/engine/core_types.h"
#include "jet_database.h"

namespace db::engine::jetsql {
namespace {

// The translation, or the refusal's description.
struct Outcome {
  std::optional<Translation> translation;
  std::string refusal;
};

template <typename Translator>
Outcome Attempt(Translator translate) {
  try {
    return {translate(), ""};
  } catch (const Error& refused) {
    return {std::nullopt, refused.what()};
  }
}

void ExpectSame(const Outcome& cached, const Outcome& direct) {
  ASSERT_EQ(cached.translation.has_value(), direct.translation.has_value())
      << cached.refusal << " | " << direct.refusal;
  EXPECT_EQ(cached.refusal, direct.refusal);
  if (!direct.translation) return;
  const Translation& a = *cached.translation;
  const Translation& b = *direct.translation;
  EXPECT_EQ(a.returns_rows, b.returns_rows);
  EXPECT_EQ(a.base_table, b.base_table);
  EXPECT_EQ(a.changes_schema, b.changes_schema);
  ASSERT_EQ(a.statements.size(), b.statements.size());
  for (size_t i = 0; i < a.statements.size(); ++i) {
    EXPECT_EQ(a.statements[i].sql, b.statements[i].sql);
    EXPECT_EQ(a.statements[i].params, b.statements[i].params);
  }
}

// Each group holds statements of one shape, which differ only in literals;
// some differ in a way that must change the translation. Every statement
// goes through one cache and straight through the translator, in order.
TEST(TranslationCache, AgreesWithTheTranslatorOnStatementsOfOneShape) {
  JetDatabase db;
  db.Run(
      "CREATE TABLE Import2 (Vorwahl VARCHAR(255), Ziel VARCHAR(255), PreisEk "
      "CURRENCY, ImportState INTEGER, OldName VARCHAR(255), VkPreis CURRENCY);");
  const std::vector<std::vector<const char*>> groups = {
      // The record loops' lookups, names with quotes, escapes and wildcards.
      {"SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS A FROM Import2 "
       "WHERE Ziel LIKE 'Italien' AND VkPreis IS NOT NULL GROUP BY Import2.Ziel, "
       "Import2.VkPreis ORDER BY Count(Import2.VkPreis) DESC;",
       "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS A FROM Import2 "
       "WHERE Ziel LIKE 'C''te d''Ivoire' AND VkPreis IS NOT NULL GROUP BY Import2.Ziel, "
       "Import2.VkPreis ORDER BY Count(Import2.VkPreis) DESC;",
       "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS A FROM Import2 "
       "WHERE Ziel LIKE 'Mali[_]1' AND VkPreis IS NOT NULL GROUP BY Import2.Ziel, "
       "Import2.VkPreis ORDER BY Count(Import2.VkPreis) DESC;",
       "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS A FROM Import2 "
       "WHERE Ziel LIKE 'Mali%' AND VkPreis IS NOT NULL GROUP BY Import2.Ziel, "
       "Import2.VkPreis ORDER BY Count(Import2.VkPreis) DESC;",
       "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS A FROM Import2 "
       "WHERE Ziel LIKE 'Mali[' AND VkPreis IS NOT NULL GROUP BY Import2.Ziel, "
       "Import2.VkPreis ORDER BY Count(Import2.VkPreis) DESC;"},
      {"SELECT Ziel, VkPreis FROM Import2 WHERE Ziel LIKE 'Italien' AND PreisEk=0.085",
       "SELECT Ziel, VkPreis FROM Import2 WHERE Ziel LIKE 'USA [_] Alaska' AND "
       "PreisEk=1.5",
       "SELECT Ziel, VkPreis FROM Import2 WHERE Ziel LIKE 'Italien' AND PreisEk=2",
       "SELECT Ziel, VkPreis FROM Import2 WHERE Ziel LIKE 'Italien' AND "
       "PreisEk=99999999999999999999"},
      // Patterns in parentheses or after a plus, with and without wildcards,
      // in either order, and refused ones.
      {"SELECT Ziel FROM Import2 WHERE Ziel LIKE ('abc')",
       "SELECT Ziel FROM Import2 WHERE Ziel LIKE ('ab%')",
       "SELECT Ziel FROM Import2 WHERE Ziel LIKE ('Mali[_]1')",
       "SELECT Ziel FROM Import2 WHERE Ziel LIKE ('a[')"},
      {"SELECT Ziel FROM Import2 WHERE Ziel LIKE ((+'a%'))",
       "SELECT Ziel FROM Import2 WHERE Ziel LIKE ((+'abc'))",
       "SELECT Ziel FROM Import2 WHERE Ziel LIKE ((+'[z-a]'))"},
      {"SELECT Ziel FROM Import2 WHERE Ziel NOT LIKE +'_'",
       "SELECT Ziel FROM Import2 WHERE Ziel NOT LIKE +'a[_]'",
       "SELECT Ziel FROM Import2 WHERE Ziel NOT LIKE +'%'"},
      // A text after LIKE that is only part of the pattern.
      {"SELECT Ziel FROM Import2 WHERE Ziel LIKE 'a' & Vorwahl",
       "SELECT Ziel FROM Import2 WHERE Ziel LIKE 'a[_]' & Vorwahl",
       "SELECT Ziel FROM Import2 WHERE Ziel LIKE 'b' & Vorwahl"},
      // Signs make one literal of a number, also around parentheses.
      {"UPDATE Import2 SET VkPreis=-.5 WHERE PreisEk<0",
       "UPDATE Import2 SET VkPreis=-2.5 WHERE PreisEk<0",
       "UPDATE Import2 SET VkPreis=- -2 WHERE PreisEk<1"},
      {"SELECT Ziel FROM Import2 WHERE PreisEk = -(0)",
       "SELECT Ziel FROM Import2 WHERE PreisEk = -(5)",
       "SELECT Ziel FROM Import2 WHERE PreisEk = -(5.5)"},
      // Functions, lists, concatenation and the statements of the prefix forms.
      {"UPDATE Import2 SET [Vorwahl] = '0' & MID([Vorwahl],5) WHERE [Vorwahl] LIKE "
       "'0049%';",
       "UPDATE Import2 SET [Vorwahl] = '1' & MID([Vorwahl],2) WHERE [Vorwahl] LIKE "
       "'0111%';",
       "UPDATE Import2 SET [Vorwahl] = '1' & MID([Vorwahl],2) WHERE [Vorwahl] LIKE "
       "'0111';"},
      {"SELECT Ziel FROM Import2 WHERE Vorwahl IN ('1', '2') AND PreisEk > 1",
       "SELECT Ziel FROM Import2 WHERE Vorwahl IN ('3', '4') AND PreisEk > 2.5"},
      // A statement that creates a table, run twice.
      {"SELECT Ziel, 1 INTO tmpA FROM Import2 WHERE Ziel LIKE 'x'",
       "SELECT Ziel, 2.5 INTO tmpA FROM Import2 WHERE Ziel LIKE 'y'"},
  };
  TranslationCache cache;
  for (const auto& group : groups) {
    for (const char* statement : group) {
      SCOPED_TRACE(statement);
      ExpectSame(Attempt([&] { return cache.Translate(statement, db); }),
                 Attempt([&] { return Translate(statement, db); }));
    }
  }
  // A record set's source, as a table name and as a query.
  TranslateOptions record_set;
  record_set.with_rowid = true;
  record_set.table_name_is_query = true;
  for (const char* source : {"Import2", "SELECT * FROM Import2 WHERE Ziel LIKE 'a'",
                             "SELECT * FROM Import2 WHERE Ziel LIKE 'b'", "Import2"}) {
    SCOPED_TRACE(source);
    ExpectSame(Attempt([&] { return cache.Translate(source, db, record_set); }),
               Attempt([&] { return Translate(source, db, record_set); }));
  }
}

// Statements drawn from templates whose literals ($S a text, $N a number)
// come from sets of awkward values, in random order through fresh caches.
TEST(TranslationCache, AgreesWithTheTranslatorOnRandomStatements) {
  JetDatabase db;
  db.Run("CREATE TABLE T (Ziel VARCHAR(255), P CURRENCY, N INTEGER);");
  const std::string templates[] = {
      "SELECT Ziel FROM T WHERE Ziel LIKE $S",
      "SELECT Ziel FROM T WHERE Ziel LIKE ($S)",
      "SELECT Ziel FROM T WHERE Ziel NOT LIKE +$S",
      "SELECT Ziel FROM T WHERE Ziel NOT LIKE $S & Ziel",
      "SELECT Ziel FROM T WHERE Ziel LIKE $S OR Ziel LIKE ($S & $S)",
      "SELECT Ziel, $N AS X FROM T WHERE P = -($N) ORDER BY $N",
      "UPDATE T SET P = $N WHERE N IN ($N, $S, -$N)",
      "INSERT INTO T (P, N) VALUES ($N, $N)",
      "SELECT * FROM T WHERE N = $N * ($N) AND Ziel IN ($S)",
      "DELETE FROM T WHERE Ziel LIKE $N",
  };
  const char* const texts[] = {"'abc'", "'ab%'",  "'a[_]'",  "'a['", "'%'", "''",
                               "'[]'",  "'x''y'", "'[z-a]'", "'5'",  "'_'"};
  const char* const numbers[] = {
      "0",   "5",  "1.5", "0.0", "9223372036854775807", "9223372036854775808",
      "1e3", ".5", "00"};
  std::mt19937 random(3);
  for (int round = 0; round < 20; ++round) {
    TranslationCache cache;
    for (int k = 0; k < 200; ++k) {
      const std::string& pattern = templates[random() % std::size(templates)];
      std::string statement;
      for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '$') {
          statement += pattern[i];
          continue;
        }
        statement += pattern[++i] == 'S' ? texts[random() % std::size(texts)]
                                         : numbers[random() % std::size(numbers)];
      }
      SCOPED_TRACE(statement);
      ExpectSame(Attempt([&] { return cache.Translate(statement, db); }),
                 Attempt([&] { return Translate(statement, db); }));
      if (testing::Test::HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace db::engine::jetsql
