#include "db/open_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "core/error.h"
#include "db/engine/connection_string.h"
#include "db/engine/testing/connection_internals.h"
#include "tests/db/engine/db_fixture.h"
#include "tests/support/recording_view.h"
#include "tests/support/test_files.h"

namespace {

using db::engine::Connection;
using testing_support::RecordingView;
using testing_support::TempDir;

TEST(BuildConnectionStringTest, JoinsFolderAndFileAsDataSource) {
  struct Case {
    std::string folder;
    std::string expected_source;
  };
  for (const Case& c : {Case{"C:\\Daten\\", "C:\\Daten\\Numbers.mdb"},
                        Case{"/srv/daten/", "/srv/daten/Numbers.mdb"}}) {
    const std::string text =
        db::BuildConnectionString(c.folder + "Numbers.mdb", "Falter");
    EXPECT_EQ(text, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + c.expected_source +
                        ";User ID=admin;Password=;Jet OLEDB:Database Password=Falter");
    const db::engine::ConnectionSettings settings =
        db::engine::ParseConnectionString(text);
    EXPECT_EQ(settings.data_source, c.expected_source);
    EXPECT_EQ(settings.database_password, "Falter");
  }
}

TEST(ParseConnectionStringTest, KeysIgnoreCaseAndBlanksValuesMayBeQuoted) {
  const db::engine::ConnectionSettings settings = db::engine::ParseConnectionString(
      " provider = microsoft.jet.oledb.4.0 ; DATA SOURCE=\"/tmp/a b/Numbers.mdb\";"
      "user id=admin;Extended Properties=x;");
  EXPECT_EQ(settings.data_source, "/tmp/a b/Numbers.mdb");
}

TEST(ParseConnectionStringTest, RefusesOtherProvidersAndMissingSource) {
  for (const char* text :
       {"Provider=SQLOLEDB;Data Source=/tmp/x.mdb", "Data Source=/tmp/x.mdb",
        "Provider=Microsoft.Jet.OLEDB.4.0;User ID=admin",
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source"}) {
    EXPECT_THROW(db::engine::ParseConnectionString(text), core::Error) << text;
  }
}

TEST(OpenDatabaseTest, OpensAnExistingDatabaseWithoutMessages) {
  db_test::PriceDatabase database;
  RecordingView view;
  auto connection =
      db::OpenDatabase(database.folder().string() + "/", "Numbers.mdb", view, false);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->state(), Connection::State::kOpen);
  EXPECT_NE(db::engine::ConnectionInternals::NativeHandle(*connection), nullptr);
  EXPECT_TRUE(view.events.empty());
  db::CloseDatabase(connection.get());
  EXPECT_EQ(connection->state(), Connection::State::kClosed);
  EXPECT_EQ(db::engine::ConnectionInternals::NativeHandle(*connection), nullptr);
}

// Everything that is not a complete SQLite database must fail at open, with
// the one message and the reason as its detail, and leave nothing behind.
TEST(OpenDatabaseTest, FilesThatAreNoDatabaseGiveTheMessageWithTheReason) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> prepare;
    std::string reason;  // <file> stands for the full path of Numbers.mdb
  };
  const std::vector<Case> cases = {
      {"missing file", [](const TempDir&) {}, "Datei nicht gefunden: <file>"},
      {"folder",
       [](const TempDir& dir) {
         std::filesystem::create_directory(dir.path() / "Numbers.mdb");
       },
       "<file> ist ein Ordner, keine Datei"},
      {"empty file", [](const TempDir& dir) { dir.WriteFile("Numbers.mdb", ""); },
       "<file> ist leer, also keine Datenbank"},
      {"text file",
       [](const TempDir& dir) {
         dir.WriteFile("Numbers.mdb", "#Vorwahl;Ziel;Preis\n0044;London;0,05\n");
       },
       "<file> ist keine Datenbank (file is not a database)"},
      {"truncated database",
       [](const TempDir& dir) {
         const auto file = dir.path() / "whole.db";
         testing_support::RunSqlite(file, std::string(db_test::kCreateNumbers) +
                                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION "
                                              "ALL SELECT i + 1 FROM n WHERE i < 2000)"
                                              "INSERT INTO Numbers SELECT '00' || i, "
                                              "'Ziel ' || i, 0.1, 0.05, 0, NULL FROM n;");
         const std::string bytes = testing_support::ReadFileBytes(file);
         ASSERT_GT(bytes.size(), 3 * 4096u);
         dir.WriteFile("Numbers.mdb", bytes.substr(0, bytes.size() / 2));
       },
       "<file> ist beschädigt (database disk image is malformed)"},
      {"header only",
       [](const TempDir& dir) {
         dir.WriteFile("Numbers.mdb", std::string("SQLite format 3") + '\0' + "\x10");
       },
       "<file> ist keine Datenbank (file is not a database)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    c.prepare(dir);
    const bool existed = std::filesystem::exists(dir.path() / "Numbers.mdb");
    RecordingView view;
    auto connection =
        db::OpenDatabase(dir.path().string() + "/", "Numbers.mdb", view, false);
    EXPECT_EQ(connection, nullptr);
    ASSERT_EQ(view.events.size(), 1u);
    EXPECT_EQ(view.events[0].text, "Datenbank Numbers.mdb konnte nicht geöffnet werden!");
    EXPECT_EQ(view.events[0].icon, run::RunView::Icon::kError);
    std::string reason = c.reason;
    reason.replace(reason.find("<file>"), 6, (dir.path() / "Numbers.mdb").string());
    EXPECT_EQ(view.events[0].detail, reason);
    EXPECT_EQ(std::filesystem::exists(dir.path() / "Numbers.mdb"), existed);
  }
}

TEST(ConnectionTest, FailedOpenDescribesTheCauseAndStaysClosed) {
  TempDir dir;
  dir.WriteFile("Numbers.mdb", "");
  struct Case {
    std::string path;
    std::string part_of_description;
  };
  for (const Case& c : {Case{(dir.path() / "Missing.mdb").string(), "nicht gefunden"},
                        Case{(dir.path() / "Numbers.mdb").string(), "leer"},
                        Case{dir.path().string(), "Ordner"}}) {
    Connection connection;
    connection.set_connection_string(db::BuildConnectionString(c.path, "Falter"));
    try {
      connection.Open();
      ADD_FAILURE() << c.path << " opened";
    } catch (const core::Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.part_of_description), std::string::npos)
          << error.what();
    }
    EXPECT_EQ(connection.state(), Connection::State::kClosed);
  }
}

TEST(ConnectionTest, ReadOnlyFileIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  db_test::PriceDatabase database;
  std::filesystem::permissions(database.file(), std::filesystem::perms::owner_read);
  EXPECT_THROW(database.Connect(), core::Error);
}

TEST(ConnectionTest, PasswordIsAcceptedUnchecked) {
  db_test::PriceDatabase database;
  Connection connection;
  connection.set_connection_string(
      db::BuildConnectionString(database.file().string(), "wrong password"));
  connection.Open();
  EXPECT_EQ(connection.state(), Connection::State::kOpen);
}

TEST(CloseDatabaseTest, ClosedOrNullConnectionIsLeftAlone) {
  db::CloseDatabase(nullptr);
  Connection never_opened;
  db::CloseDatabase(&never_opened);
  EXPECT_EQ(never_opened.state(), Connection::State::kClosed);

  db_test::PriceDatabase database;
  auto connection = database.Connect();
  connection->Close();
  db::CloseDatabase(connection.get());
  db::CloseDatabase(connection.get());
  EXPECT_EQ(connection->state(), Connection::State::kClosed);
}

TEST(ConnectionTest, OperationsOnAClosedConnectionFail) {
  Connection connection;
  EXPECT_THROW(connection.BeginTrans(), core::Error);
  EXPECT_THROW(connection.Execute("DELETE FROM Numbers"), core::Error);
  EXPECT_THROW(connection.ExecuteQuery("SELECT * FROM Numbers"), core::Error);
  EXPECT_THROW(connection.OpenRecordset("Numbers"), core::Error);
}

}  // namespace
