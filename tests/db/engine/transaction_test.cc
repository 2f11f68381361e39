#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/utf8.h"
#include "db/engine/connection.h"
#include "tests/db/engine/db_fixture.h"
#include "tests/support/test_files.h"

namespace {

using namespace std::chrono_literals;
using testing_support::QuerySqlite;
using Rows = std::vector<std::vector<std::string>>;

// Everything a rollback must restore: the tables and the rows of Numbers.
Rows Dump(const std::filesystem::path& file) {
  Rows rows =
      QuerySqlite(file, "SELECT type, name, sql FROM sqlite_master ORDER BY name");
  for (auto& row : QuerySqlite(file, "SELECT * FROM Numbers ORDER BY rowid"))
    rows.push_back(row);
  return rows;
}

// A second program on the same file, holding whatever lock its SQL takes.
class OtherProgram {
 public:
  explicit OtherProgram(const std::filesystem::path& file) {
    EXPECT_EQ(sqlite3_open(core::PathToUtf8(file).c_str(), &db_), SQLITE_OK);
  }
  ~OtherProgram() { sqlite3_close(db_); }
  void Run(const char* sql) {
    EXPECT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db_);
  }

 private:
  sqlite3* db_ = nullptr;
};

std::string PriceOf(const std::filesystem::path& file, const std::string& number) {
  const Rows rows =
      QuerySqlite(file, "SELECT Price_EUR FROM Numbers WHERE Number = '" + number + "'");
  return rows.empty() ? "(none)" : rows[0][0];
}

TEST(TransactionTest, CommitMakesChangesVisibleToOtherPrograms) {
  db_test::PriceDatabase database;
  auto connection = database.Connect();
  connection->BeginTrans();
  connection->Execute("UPDATE Numbers SET Price_EUR = .25 WHERE Number = '0044'");
  EXPECT_EQ(PriceOf(database.file(), "0044"), "0.19");  // readers see the old state
  connection->CommitTrans();
  EXPECT_EQ(PriceOf(database.file(), "0044"), "0.25");
}

TEST(TransactionTest, RollbackUndoesDataAndTableChanges) {
  const std::vector<std::vector<std::string>> scripts = {
      {"UPDATE Numbers SET Price_EUR = 9"},
      {"DELETE FROM Numbers"},
      {"CREATE TABLE Import2 (Vorwahl VARCHAR(255), PreisEk CURRENCY)"},
      {"DROP TABLE Numbers"},
      {"SELECT * INTO NumbersPrevious FROM Numbers", "DELETE FROM Numbers",
       "INSERT INTO Numbers ( [Number], Name, Price_EUR, Rate_EK, GraceTime, "
       "Profile)SELECT "
       "NumbersPrevious.[Number], NumbersPrevious.Name, 1, 1, 0, Null FROM "
       "NumbersPrevious;",
       "DROP TABLE NumbersPrevious;"},
  };
  for (const auto& script : scripts) {
    SCOPED_TRACE(script.front());
    db_test::PriceDatabase database;
    const Rows before = Dump(database.file());
    auto connection = database.Connect();
    connection->BeginTrans();
    for (const std::string& statement : script) connection->Execute(statement);
    connection->RollbackTrans();
    EXPECT_EQ(Dump(database.file()), before);
    // The connection's own view of the tables follows the rollback too.
    EXPECT_EQ(connection->OpenRecordset("Numbers")->RecordCount(), 4);
    EXPECT_THROW(connection->OpenRecordset("Import2"), core::Error);
  }
}

TEST(TransactionTest, ClosingRollsBackAnOpenTransaction) {
  db_test::PriceDatabase database;
  const Rows before = Dump(database.file());
  {
    auto connection = database.Connect();
    connection->BeginTrans();
    connection->Execute("DELETE FROM Numbers");
    connection->Close();
    EXPECT_EQ(connection->state(), db::engine::Connection::State::kClosed);
  }
  EXPECT_EQ(Dump(database.file()), before);
  {
    auto connection = database.Connect();
    connection->BeginTrans();
    connection->Execute("DELETE FROM Numbers");
  }  // destroyed with the transaction open
  EXPECT_EQ(Dump(database.file()), before);
}

TEST(TransactionTest, AnotherProgramsWriteLockFailsAfterTheTimeoutWithADescription) {
  db_test::PriceDatabase database;
  auto connection = database.Connect(300ms);
  OtherProgram other(database.file());
  other.Run("BEGIN IMMEDIATE");
  for (const auto& attempt : std::vector<std::function<void()>>{
           [&] { connection->BeginTrans(); },
           [&] { connection->Execute("DELETE FROM Numbers"); }}) {
    const auto start = std::chrono::steady_clock::now();
    try {
      attempt();
      ADD_FAILURE() << "no failure while another program holds the lock";
    } catch (const core::Error& error) {
      EXPECT_EQ(std::string(error.what()),
                "database is locked (ein anderes Programm benutzt Numbers.mdb)");
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 3s);
  }
  other.Run("ROLLBACK");
  connection->BeginTrans();
  connection->Execute("DELETE FROM Numbers");
  connection->CommitTrans();
  EXPECT_TRUE(QuerySqlite(database.file(), "SELECT * FROM Numbers").empty());
}

TEST(TransactionTest, CommitBlockedByAReaderCanBeRetriedWithoutLosingChanges) {
  db_test::PriceDatabase database;
  auto connection = database.Connect(300ms);
  connection->BeginTrans();
  connection->Execute("DELETE FROM Numbers WHERE Number = '118'");
  OtherProgram reader(database.file());
  reader.Run("BEGIN; SELECT count(*) FROM Numbers;");
  EXPECT_THROW(connection->CommitTrans(), core::Error);
  reader.Run("COMMIT");
  connection->CommitTrans();
  EXPECT_EQ(PriceOf(database.file(), "118"), "(none)");
}

TEST(ExecuteTest, FailuresCarrySqlitesDescription) {
  db_test::PriceDatabase database;
  auto connection = database.Connect();
  try {
    connection->Execute("DROP TABLE NumbersPrevious");
    ADD_FAILURE() << "dropped a missing table";
  } catch (const core::Error& error) {
    EXPECT_NE(std::string(error.what()).find("NumbersPrevious"), std::string::npos)
        << error.what();
  }
  // A failed statement leaves no transaction or lock behind.
  connection->BeginTrans();
  connection->RollbackTrans();
}

}  // namespace
