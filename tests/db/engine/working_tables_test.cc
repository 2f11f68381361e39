#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/connection.h"
#include "tests/db/engine/db_fixture.h"
#include "tests/support/test_files.h"

namespace {

using namespace std::chrono_literals;
using testing_support::QuerySqlite;
using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kWorking = {"Import2", "NumbersPrevious", "tmpMaxPreis"};

Rows FileTables(const std::filesystem::path& file) {
  return QuerySqlite(file, "SELECT type, name FROM sqlite_master ORDER BY name");
}

// What the connection itself sees: column A of a query's rows.
std::vector<std::string> Seen(db::engine::Connection& connection,
                              const std::string& sql) {
  std::vector<std::string> values;
  for (auto set = connection.ExecuteQuery(sql); !set->IsEof(); set->MoveNext())
    values.push_back(set->Field("A").ToText());
  return values;
}
using Values = std::vector<std::string>;

// Every way a run makes a working table (CREATE TABLE, SELECT ... INTO, an
// index on it), in any letter case: the connection works with them by their
// plain names, and neither they nor their rows reach the file.
TEST(WorkingTablesTest, TheyAreUsedByNameAndNeverReachTheFile) {
  db_test::PriceDatabase database;
  const Rows before = FileTables(database.file());
  auto connection = database.Connect(5s, kWorking);
  connection->BeginTrans();
  connection->Execute("CREATE TABLE IMPORT2 (Vorwahl VARCHAR(255), Ziel VARCHAR(255))");
  connection->Execute("CREATE INDEX Import2Ziel ON Import2 (Ziel)");
  connection->Execute("INSERT INTO Import2 (Vorwahl, Ziel) VALUES ('0044', 'london')");
  connection->Execute("SELECT * INTO NumbersPrevious FROM Numbers");
  connection->Execute(
      "SELECT Name, MAX(Price_EUR) AS Price_EUR INTO tmpMaxPreis FROM Numbers GROUP BY "
      "Name");
  connection->Execute(
      "UPDATE Import2 INNER JOIN NumbersPrevious ON Import2.Vorwahl = "
      "NumbersPrevious.Number SET Ziel = NumbersPrevious.Name");
  EXPECT_EQ(Seen(*connection, "SELECT Ziel AS A FROM Import2"), (Values{"London"}));
  EXPECT_EQ(Seen(*connection, "SELECT COUNT(*) AS A FROM NumbersPrevious"),
            (Values{"4"}));
  EXPECT_EQ(
      Seen(*connection, "SELECT Price_EUR AS A FROM tmpMaxPreis WHERE Name = 'BERLIN'"),
      (Values{"2"}));
  connection->Execute("UPDATE Numbers SET Name = 'Londres' WHERE Number = '0044'");
  connection->CommitTrans();
  EXPECT_EQ(FileTables(database.file()), before);
  EXPECT_EQ(
      QuerySqlite(database.file(), "SELECT Name FROM Numbers WHERE Number = '0044'"),
      (Rows{{"Londres"}}));
  // A table that is not a working table still goes into the file.
  connection->Execute("CREATE TABLE Other (A INTEGER)");
  EXPECT_EQ(FileTables(database.file()).size(), before.size() + 1);
}

TEST(WorkingTablesTest, ARollbackDiscardsThemWithEverythingElse) {
  db_test::PriceDatabase database;
  auto connection = database.Connect(5s, kWorking);
  connection->BeginTrans();
  connection->Execute("SELECT * INTO NumbersPrevious FROM Numbers");
  connection->Execute("DELETE FROM Numbers");
  connection->RollbackTrans();
  EXPECT_THROW(connection->ExecuteQuery("SELECT * FROM NumbersPrevious"), core::Error);
  EXPECT_EQ(QuerySqlite(database.file(), "SELECT COUNT(*) FROM Numbers"), (Rows{{"4"}}));
  // Made again in the next transaction, as after any rollback.
  connection->BeginTrans();
  connection->Execute("SELECT * INTO NumbersPrevious FROM Numbers");
  EXPECT_EQ(Seen(*connection, "SELECT COUNT(*) AS A FROM NumbersPrevious"),
            (Values{"4"}));
  connection->RollbackTrans();
}

// A table of a working table's name in the file (left by another program):
// making the working table is refused, as SQLite refuses a second table of
// one name, until the run drops the file's table; that drop is part of the
// transaction like any change to the file.
TEST(WorkingTablesTest, ATableOfTheNameInTheFileIsRefusedUntilDropped) {
  db_test::PriceDatabase database;
  database.Run("CREATE TABLE tmpmaxpreis (Name TEXT)");
  auto connection = database.Connect(5s, kWorking);
  connection->BeginTrans();
  try {
    connection->Execute("SELECT Name INTO tmpMaxPreis FROM Numbers");
    ADD_FAILURE() << "no refusal";
  } catch (const core::Error& refused) {
    EXPECT_STREQ(refused.what(), "table `tmpMaxPreis` already exists");
  }
  connection->Execute("DROP TABLE tmpMaxPreis");
  connection->Execute("SELECT Name INTO tmpMaxPreis FROM Numbers");
  EXPECT_EQ(Seen(*connection, "SELECT COUNT(*) AS A FROM tmpMaxPreis"), (Values{"4"}));
  connection->CommitTrans();
  EXPECT_EQ(
      QuerySqlite(database.file(),
                  "SELECT COUNT(*) FROM sqlite_master WHERE name LIKE 'tmpMaxPreis'"),
      (Rows{{"0"}}));
}

}  // namespace
