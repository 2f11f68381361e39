// The engine's failures as the operator reads them and as callers tell them
// apart: SQLite's messages in the operator's words with their kind, and a
// duplicate unique key as a KeyViolation naming the table, key and columns.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "db/engine/connection.h"
#include "db/engine/key_violation.h"
#include "db/engine/sqlite/sqlite_error.h"
#include "tests/db/engine/db_fixture.h"

namespace db::engine {
namespace {

using Kind = Error::Kind;

TEST(SqliteFailureTest, MessagesTheRunCanMeetGetAGermanLeadAndTheirKind) {
  struct Case {
    int code;
    const char* message;
    const char* description;
    Kind kind;
  };
  const Case cases[] = {
      {SQLITE_ERROR, "table Numbers has no column named GraceTime",
       "Tabelle Numbers hat keine Spalte GraceTime (table Numbers has no column named "
       "GraceTime)",
       Kind::kNotFound},
      {SQLITE_ERROR, "no such column: Rate_EKX",
       "Spalte Rate_EKX gibt es nicht (no such column: Rate_EKX)", Kind::kNotFound},
      {SQLITE_ERROR, "no such table: Numbers",
       "Tabelle Numbers gibt es nicht (no such table: Numbers)", Kind::kNotFound},
      {SQLITE_CONSTRAINT_NOTNULL, "NOT NULL constraint failed: Numbers.Name",
       "Spalte Name in Numbers ist ein Pflichtfeld und darf nicht leer bleiben (NOT NULL "
       "constraint failed: Numbers.Name)",
       Kind::kConstraint},
      {SQLITE_CONSTRAINT_CHECK,
       "CHECK constraint failed: Name: leerer Text ist nicht erlaubt",
       "Wert nicht erlaubt: Name: leerer Text ist nicht erlaubt (CHECK constraint "
       "failed: "
       "Name: leerer Text ist nicht erlaubt)",
       Kind::kConstraint},
      {SQLITE_CONSTRAINT_UNIQUE, "UNIQUE constraint failed: index 'Tarife: ix'",
       "ein Wert käme zweimal vor (Schlüssel index 'Tarife: ix') (UNIQUE constraint "
       "failed: index 'Tarife: ix')",
       Kind::kConstraint},
      // Busy: the file the operator has to close is named.
      {SQLITE_BUSY, "database is locked",
       "database is locked (ein anderes Programm benutzt Numbers.mdb)", Kind::kInUse},
      {SQLITE_LOCKED_SHAREDCACHE, "database table is locked",
       "database table is locked (ein anderes Programm benutzt Numbers.mdb)",
       Kind::kInUse},
      // The kind comes from the code even where the text stays SQLite's.
      {SQLITE_CORRUPT, "database disk image is malformed",
       "database disk image is malformed", Kind::kDamaged},
      {SQLITE_NOTADB, "file is not a database", "file is not a database", Kind::kDamaged},
      // The device's and the memory's failures in the operator's words.
      {SQLITE_IOERR_WRITE, "disk I/O error",
       "Numbers.mdb: Der Datenträger meldet einen Lese- oder Schreibfehler", Kind::kIo},
      {SQLITE_FULL, "database or disk is full",
       "Numbers.mdb: Auf dem Datenträger ist kein Platz mehr", Kind::kIo},
      {SQLITE_IOERR_NOMEM, "out of memory", "Numbers.mdb: Nicht genug Arbeitsspeicher",
       Kind::kIo},
      {SQLITE_READONLY, "attempt to write a readonly database",
       "attempt to write a readonly database", Kind::kPermission},
      {SQLITE_ERROR, "near \"x\": syntax error", "near \"x\": syntax error",
       Kind::kOther},
      // A message that only begins like a known one is left as it is.
      {SQLITE_ERROR, "table Numbers already exists", "table Numbers already exists",
       Kind::kOther},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Error failure = SqliteFailure(c.code, c.message, "Numbers.mdb");
    EXPECT_EQ(std::string(failure.what()), c.description);
    EXPECT_EQ(failure.kind(), c.kind);
  }
}

// What a statement that breaks a unique key of an SQLite file throws.
TEST(KeyViolationTest, SqliteFileNamesTheTableAndTheColumnsOfTheKey) {
  struct Case {
    const char* key_sql;
    const char* insert;
    std::vector<std::string> columns;
  };
  const Case cases[] = {
      {"CREATE UNIQUE INDEX ix_number ON Numbers (Number)",
       "INSERT INTO Numbers (Number, Name) VALUES ('0044', 'Doppelt')",
       {"Number"}},
      {"CREATE UNIQUE INDEX ix_both ON Numbers (Number, Name)",
       "INSERT INTO Numbers (Number, Name) VALUES ('0044', 'London')",
       {"Number", "Name"}},
      // Several rows at once: the statement changes nothing.
      {"CREATE UNIQUE INDEX ix_name ON Numbers (Name)",
       "INSERT INTO Numbers (Number, Name) SELECT Number & 'x', Name FROM Numbers",
       {"Name"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key_sql);
    const db_test::PriceDatabase database;
    database.Run(c.key_sql);
    const auto connection = database.Connect();
    connection->BeginTrans();
    try {
      connection->Execute(c.insert);
      ADD_FAILURE() << "the duplicate was taken";
    } catch (const KeyViolation& refused) {
      EXPECT_EQ(refused.kind(), Kind::kConstraint);
      EXPECT_EQ(refused.table(), "Numbers");
      EXPECT_EQ(refused.key(), "");
      EXPECT_EQ(refused.columns(), c.columns);
      EXPECT_EQ(std::string(refused.what()).rfind("Tabelle Numbers, Schlüssel ", 0), 0u)
          << refused.what();
    }
    auto count = connection->ExecuteQuery("SELECT Count(*) AS n FROM Numbers");
    EXPECT_EQ(count->Field("n").ToText(), "4");
    connection->RollbackTrans();
  }
}

TEST(KeyViolationTest, DescriptionNamesTheKeyAndKeepsTheDatabasesReason) {
  EXPECT_EQ(
      std::string(KeyViolation("Numbers", "PrimaryKey", {"Number"},
                               "UNIQUE constraint failed: index 'Numbers: PrimaryKey'")
                      .what()),
      "Tabelle Numbers, Schlüssel PrimaryKey (Number): ein Wert käme zweimal vor "
      "(UNIQUE constraint failed: index 'Numbers: PrimaryKey')");
  EXPECT_EQ(std::string(KeyViolation("Numbers", "", {"Number", "Name"}, "").what()),
            "Tabelle Numbers, Schlüssel Number, Name: ein Wert käme zweimal vor");
}

}  // namespace
}  // namespace db::engine
