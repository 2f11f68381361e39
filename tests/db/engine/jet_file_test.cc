// Opening the billing product's Jet 4 file: the checks of the open, the
// in-memory Numbers and the rules it enforces, and the commit that the file
// cannot take yet.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "db/engine/connection.h"
#include "db/engine/core_types.h"
#include "db/engine/jetfile/jet_table_layout.h"
#include "db/engine/jetsql/translate.h"
#include "db/engine/key_violation.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/testing/connection_internals.h"
#include "platform/backup_files.h"
#include "tests/db/engine/db_fixture.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/jet_variants.h"
#include "tests/support/test_files.h"

namespace db::engine {
namespace {

namespace fs = std::filesystem;

// A copy of a numbers/ test file as Numbers.mdb in a folder of its own. A
// missing test file fails the test.
class JetCopy {
 public:
  explicit JetCopy(const std::string& file) {
    mdb_test::CopyJetFile("numbers/" + file, path());
  }
  // A copy whose bytes `change` changes, as another machine's Access would
  // have written them.
  JetCopy(const std::string& file,
          const std::function<void(std::vector<uint8_t>&)>& change)
      : JetCopy(file) {
    std::vector<uint8_t> bytes = mdb_test::ReadBytes(path());
    change(bytes);
    std::ofstream(path(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  fs::path folder() const { return dir_.path(); }
  fs::path path() const { return dir_.path() / "Numbers.mdb"; }

  std::unique_ptr<Connection> Connect(const std::string& password = "Falter",
                                      const std::string& table = "Numbers",
                                      bool will_commit = false) const {
    auto connection = std::make_unique<Connection>();
    connection->set_will_commit(will_commit);
    connection->set_connection_string(
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path().string() +
        ";User ID=admin;Password=;Jet OLEDB:Database Password=" + password);
    connection->set_jet_file_table(table);
    connection->Open();
    return connection;
  }
  // The reason an open fails with, or "" when it opens.
  std::string OpenFailure(const std::string& password = "Falter",
                          const std::string& table = "Numbers") const {
    try {
      Connect(password, table);
      return "";
    } catch (const Error& error) {
      return error.what();
    }
  }

 private:
  testing_support::TempDir dir_;
};

std::vector<std::vector<Value>> Rows(Connection& connection, const std::string& sql) {
  std::vector<std::vector<Value>> rows;
  auto set = connection.ExecuteQuery(sql);
  std::vector<std::string> names;
  const auto columns =
      db::engine::ConnectionInternals::Schema(connection).TableColumns("Numbers");
  for (const auto& column : columns.value()) names.push_back(column.name);
  for (; !set->IsEof(); set->MoveNext()) {
    rows.emplace_back();
    for (const std::string& name : names) rows.back().push_back(set->Field(name));
  }
  return rows;
}

// NULL kept apart from every text.
std::string Shown(const Value& value) {
  return value.is_null() ? "<NULL>" : value.ToText();
}

std::string DeclaredTypes(const Connection& connection) {
  std::string text;
  const auto columns =
      db::engine::ConnectionInternals::Schema(connection).TableColumns("Numbers");
  for (const auto& column : columns.value())
    text += column.name + " " + column.declared_type + "; ";
  return text;
}

const char* const kAllFiles[] = {"numbers-plain.mdb",          "numbers-pk.mdb",
                                 "numbers-autoid.mdb",         "numbers-big.mdb",
                                 "numbers-other-password.mdb", "numbers-no-password.mdb"};

TEST(JetFileTest, EveryNumbersFileLoadsExactlyTheRowsTheReaderReads) {
  for (const char* file : kAllFiles) {
    SCOPED_TRACE(file);
    const JetCopy copy(file);
    const std::string password =
        std::string(file) == "numbers-other-password.mdb" ? "Geheim" : "Falter";
    const auto connection = copy.Connect(password);

    const mdb::FileImage image = mdb::FileImage::ReadFile(copy.path());
    const mdb::Catalog catalog = mdb::Catalog::Read(image);
    const mdb::TableDefinition definition =
        mdb::TableDefinition::Read(image, catalog.TableDefinitionPage("Numbers"));
    std::vector<std::vector<Value>> expected;
    for (const mdb::StoredRow& row : mdb::TableReader(image, definition).ReadAll())
      expected.push_back(row.values);
    // Both in the file's order: the load keeps it, and SQLite's row ids do.
    const std::vector<std::vector<Value>> loaded =
        Rows(*connection, "SELECT * FROM Numbers");
    ASSERT_EQ(loaded.size(), expected.size());
    for (size_t r = 0; r < loaded.size(); ++r)
      for (size_t c = 0; c < loaded[r].size(); ++c)
        EXPECT_EQ(Shown(loaded[r][c]), Shown(expected[r][c]))
            << "row " << r << " column " << c;
  }
}

TEST(JetFileTest, ColumnsKeepTheirNamesAndTheTypesTheTranslatorReads) {
  EXPECT_EQ(DeclaredTypes(*JetCopy("numbers-plain.mdb").Connect()),
            "Number VARCHAR(30); Name VARCHAR(100); Price_EUR CURRENCY; "
            "Rate_EK CURRENCY; GraceTime INTEGER; Profile VARCHAR(50); ");
  EXPECT_EQ(DeclaredTypes(*JetCopy("numbers-autoid.mdb").Connect()),
            "ID INTEGER; Number VARCHAR(30); Name VARCHAR(100); Price_EUR DOUBLE; "
            "Rate_EK DOUBLE; GraceTime SMALLINT; Profile VARCHAR(50); "
            "Remark VARCHAR(50); ");
  // Money reads back as currency, as from an SQLite file.
  const auto connection = JetCopy("numbers-pk.mdb").Connect();
  auto set = connection->ExecuteQuery(
      "SELECT Price_EUR FROM Numbers WHERE Price_EUR IS NOT NULL");
  ASSERT_FALSE(set->IsEof());
  EXPECT_EQ(set->Field("Price_EUR").type(), Value::Type::kCurrency);
}

// The engine loads the table its caller names, in any letter case, and
// nothing else; a file without it, or no table named, is refused.
TEST(JetFileTest, TheTableServedIsTheOneTheCallerNames) {
  const JetCopy copy("numbers-pk.mdb");
  EXPECT_EQ(copy.OpenFailure("Falter", "numbers"), "");
  EXPECT_EQ(copy.OpenFailure("Falter", "Tarife"),
            "Numbers.mdb: die Datenbank enthält keine Tabelle Tarife");
  EXPECT_EQ(copy.OpenFailure("Falter", ""),
            "Numbers.mdb: es ist keine Tabelle angegeben, die geladen werden soll");
}

TEST(JetFileTest, PasswordIsCheckedAgainstTheConnectionString) {
  struct Case {
    const char* file;
    const char* password;
    bool opens;
  };
  const Case cases[] = {
      {"numbers-pk.mdb", "Falter", true},
      {"numbers-pk.mdb", "falter", false},  // Jet compares with letter case
      {"numbers-pk.mdb", "", false},
      {"numbers-other-password.mdb", "Falter", false},
      {"numbers-other-password.mdb", "Geheim", true},
      {"numbers-no-password.mdb", "Falter", true},
      {"numbers-no-password.mdb", "irgendwas", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " / " + c.password);
    const std::string failure = JetCopy(c.file).OpenFailure(c.password);
    if (c.opens) {
      EXPECT_EQ(failure, "");
    } else {
      EXPECT_EQ(failure, "Numbers.mdb: Das Datenbankkennwort stimmt nicht");
    }
  }
}

TEST(JetFileTest, LockFileInAnyLetterCaseRefusesTheOpenAndNamesIt) {
  for (const char* lock : {"Numbers.ldb", "NUMBERS.LDB", "numbers.ldb", "Numbers.LDB"}) {
    SCOPED_TRACE(lock);
    const JetCopy copy("numbers-pk.mdb");
    testing_support::RunSqlite(copy.folder() / "unrelated.db", "SELECT 1");
    std::ofstream(copy.folder() / lock) << "";
    const std::string failure = copy.OpenFailure();
    EXPECT_NE(failure.find(std::string("neben ihr liegt ") + lock), std::string::npos)
        << failure;
    EXPECT_NE(failure.find("nur wenn das Abrechnungsprogramm geschlossen ist"),
              std::string::npos)
        << failure;
  }
}

TEST(JetFileTest, PrimaryKeyComparesAsTheJetIndexDoes) {
  const auto connection = JetCopy("numbers-pk.mdb").Connect();
  connection->BeginTrans();
  connection->Execute("INSERT INTO Numbers (Number, Name) VALUES ('0099ab', 'Neu')");
  // Differing only in letter case, or in trailing blanks: the same Jet key.
  for (const char* same : {"0099AB", "0099ab  "}) {
    try {
      connection->Execute(std::string("INSERT INTO Numbers (Number) VALUES ('") + same +
                          "')");
      ADD_FAILURE() << same << " was taken beside 0099ab";
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find("UNIQUE"), std::string::npos)
          << error.what();
    }
  }
  // Accents count: a different key.
  connection->Execute("INSERT INTO Numbers (Number, Name) VALUES ('0099äb', 'Neu')");
  // The primary key takes no NULL.
  EXPECT_THROW(connection->Execute("INSERT INTO Numbers (Name) VALUES ('ohne')"), Error);
  // A character whose key encoding is not covered fails with the encoder's
  // description.
  try {
    connection->Execute("INSERT INTO Numbers (Number) VALUES ('00€')");
    ADD_FAILURE() << "an uncovered character was taken";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("Die Spalte Number enthält das Zeichen €"),
              std::string::npos)
        << error.what();
    EXPECT_EQ(error.kind(), Error::Kind::kUnsupported);
  }
  connection->RollbackTrans();
}

// A duplicate key of the file's table names the table, the key as the file
// names it and its columns, so that the caller can find the rows.
TEST(JetFileTest, DuplicateKeyIsAKeyViolationNamingTheKeyAndItsColumns) {
  struct Case {
    const char* file;
    const char* insert;
    const char* key;
    std::vector<std::string> columns;
  };
  const Case cases[] = {
      {"numbers-pk.mdb",
       "INSERT INTO Numbers (Number, Name) SELECT Number, Name & ' neu' FROM Numbers",
       "PrimaryKey",
       {"Number"}},
      // The AutoNumber key is SQLite's row id, which SQLite names by column.
      {"numbers-autoid.mdb",
       "INSERT INTO Numbers (ID, Number) SELECT ID, '1' FROM Numbers",
       "",
       {"ID"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto connection = JetCopy(c.file).Connect();
    connection->BeginTrans();
    try {
      connection->Execute(c.insert);
      ADD_FAILURE() << "the duplicate was taken";
    } catch (const KeyViolation& refused) {
      EXPECT_EQ(refused.kind(), Error::Kind::kConstraint);
      EXPECT_EQ(refused.table(), "Numbers");
      EXPECT_EQ(refused.key(), c.key);
      EXPECT_EQ(refused.columns(), c.columns);
    }
    auto count = connection->ExecuteQuery("SELECT Count(*) AS n FROM Numbers");
    EXPECT_EQ(count->Field("n").ToText(), "300");
    connection->RollbackTrans();
  }
}

TEST(JetFileTest, WholeRunOfDeleteAndInsertFitsThePrimaryKey) {
  const auto connection = JetCopy("numbers-big.mdb").Connect();
  connection->BeginTrans();
  connection->Execute("SELECT * INTO NumbersPrevious FROM Numbers");
  connection->Execute("DELETE FROM Numbers");
  connection->Execute(
      "INSERT INTO Numbers ( [Number], Name, Price_EUR, Rate_EK, GraceTime, Profile)"
      "SELECT [Number], Name, Price_EUR, Rate_EK, 0, Null FROM NumbersPrevious;");
  auto count = connection->ExecuteQuery("SELECT Count(*) AS n FROM Numbers");
  EXPECT_EQ(count->Field("n").ToText(), "30000");
  connection->RollbackTrans();
}

TEST(JetFileTest, AutoNumberContinuesFromTheCounterAndDefaultsApply) {
  const JetCopy copy("numbers-autoid.mdb");
  const mdb::FileImage image = mdb::FileImage::ReadFile(copy.path());
  const mdb::TableDefinition definition = mdb::TableDefinition::Read(
      image, mdb::Catalog::Read(image).TableDefinitionPage("Numbers"));
  const int64_t counter = definition.autonumber();

  const auto connection = copy.Connect();
  connection->BeginTrans();
  connection->Execute("DELETE FROM Numbers");  // Jet's counter does not go back
  connection->Execute("INSERT INTO Numbers (Number, Name) VALUES ('0049', 'A')");
  connection->Execute("INSERT INTO Numbers (Number, Name) VALUES ('0043', 'B')");
  auto set = connection->ExecuteQuery("SELECT ID, Remark FROM Numbers ORDER BY ID");
  EXPECT_EQ(set->Field("ID").integer(), counter + 1);
  EXPECT_EQ(set->Field("Remark").ToText(), "neu");
  set->MoveNext();
  EXPECT_EQ(set->Field("ID").integer(), counter + 2);
  connection->RollbackTrans();
}

// Deletes the international prefixes, adds `added` new rows and commits;
// returns the rows the commit should leave, as the connection saw them.
std::vector<std::vector<Value>> ReplaceSomeRows(Connection& connection, int added) {
  connection.BeginTrans();
  connection.Execute("DELETE FROM Numbers WHERE Number LIKE '00%'");
  for (int i = 0; i < added; ++i)
    connection.Execute("INSERT INTO Numbers (Number, Name) VALUES ('09" +
                       std::to_string(1000 + i) + "', 'Neu " + std::to_string(i) + "')");
  const auto expected = Rows(connection, "SELECT * FROM Numbers ORDER BY Number");
  connection.CommitTrans();
  return expected;
}

// Reopened, the file holds `expected`; mdb-count counts as many rows.
void ExpectCommitted(const JetCopy& copy,
                     const std::vector<std::vector<Value>>& expected) {
  const auto written = Rows(*copy.Connect(), "SELECT * FROM Numbers ORDER BY Number");
  ASSERT_EQ(written.size(), expected.size());
  for (size_t r = 0; r < written.size(); ++r)
    for (size_t c = 0; c < written[r].size(); ++c)
      EXPECT_EQ(Shown(written[r][c]), Shown(expected[r][c])) << r << "/" << c;
  const std::string count = "mdb-count '" + copy.path().string() + "' Numbers";
  FILE* pipe = popen(count.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
  pclose(pipe);
  EXPECT_EQ(std::stoul(line), expected.size());
}

TEST(JetFileTest, RollbackLeavesTheFileAndCommitReplacesNumbersKeepingABackup) {
  for (const char* file : {"numbers-pk.mdb", "numbers-autoid.mdb", "numbers-plain.mdb"}) {
    SCOPED_TRACE(file);
    const JetCopy copy(file);
    const std::string before = testing_support::ReadFileBytes(copy.path());
    auto connection = copy.Connect();
    const size_t rows = Rows(*connection, "SELECT * FROM Numbers").size();
    connection->BeginTrans();
    connection->Execute("DELETE FROM Numbers");
    connection->RollbackTrans();
    EXPECT_EQ(Rows(*connection, "SELECT * FROM Numbers").size(), rows);
    EXPECT_EQ(testing_support::ReadFileBytes(copy.path()), before);

    connection->BeginTrans();
    connection->Execute("DELETE FROM Numbers WHERE Number LIKE '00%'");
    connection->Execute("INSERT INTO Numbers (Number, Name) VALUES ('0099', 'Neu')");
    const auto expected = Rows(*connection, "SELECT * FROM Numbers ORDER BY Number");
    connection->CommitTrans();
    connection->Close();

    EXPECT_EQ(testing_support::ReadFileBytes(copy.folder() / "Numbers.mdb.bak"), before);
    ExpectCommitted(copy, expected);
  }
}

// Whether the commit's copy of Numbers.mdb appears in `folder` within `wait`.
bool CopyAppears(const fs::path& folder, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  do {
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().filename().string().starts_with("Numbers.mdb.tmp-")) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

// A connection that will commit has the file copied while its statements
// run; one that only rolls back (a dry run) never copies it. Either commits
// the same, leaving the file and its backup only.
TEST(JetFileTest, OnlyAConnectionThatWillCommitCopiesTheFileBeforeTheCommit) {
  for (const bool will_commit : {false, true}) {
    SCOPED_TRACE(will_commit ? "will commit" : "dry run");
    const JetCopy copy("numbers-pk.mdb");
    const auto connection = copy.Connect("Falter", "Numbers", will_commit);
    EXPECT_EQ(
        CopyAppears(copy.folder(), std::chrono::milliseconds(will_commit ? 10000 : 200)),
        will_commit);
    ExpectCommitted(copy, ReplaceSomeRows(*connection, 3));
    const auto backups = platform::ListBackups(copy.folder() / "Numbers.mdb");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(testing_support::FolderNames(copy.folder()),
              (std::set<std::string>{"Numbers.mdb", "Numbers.mdb.bak",
                                     backups.front().path.filename().string()}));
  }
}

// A sort order other than General refuses a file only where the writer would
// write text keys, an index over a text column of the table: the database's
// order (which Access gives the columns when it compacts) or the column's
// own. The reason names the order, the table and the column, and the remedy
// in Access. Without such an index the file is updated, its header (and so
// its sort order) untouched.
TEST(JetFileTest, SortOrderOtherThanGeneralRefusesOnlyAnIndexOverText) {
  struct Case {
    const char* file;
    const char* column;  // whose order changes; nullptr: the database's
    uint32_t locale;
    uint8_t version;
    const char* refused;  // the start of the reason; nullptr: opens
  };
  const Case cases[] = {
      {"numbers-plain.mdb", nullptr, 0x10407, 0, nullptr},
      {"numbers-plain.mdb", nullptr, 0x0041F, 0, nullptr},
      {"numbers-plain.mdb", nullptr, 0x1041A, 3, nullptr},
      {"numbers-plain.mdb", "Number", 0x0041F, 0, nullptr},
      {"numbers-pk.mdb", nullptr, 0x00409, 0, nullptr},
      {"numbers-pk.mdb", "Name", 0x0041F, 0, nullptr},  // no index over Name
      {"numbers-pk.mdb", nullptr, 0x10407, 0,
       "die Datenbank verwendet die Sortierreihenfolge „Deutsch (Telefonbuch)“, und die "
       "Tabelle Numbers hat einen Index über die Textspalte Number. "},
      {"numbers-pk.mdb", nullptr, 0x00409, 1,
       "die Datenbank verwendet die Sortierreihenfolge „Allgemein“, und die Tabelle "
       "Numbers hat einen Index über die Textspalte Number. "},
      {"numbers-pk.mdb", nullptr, 0x00419, 0,
       "die Datenbank verwendet die Sortierreihenfolge „Russisch (Kyrillisch)“"},
      {"numbers-pk.mdb", "Number", 0x00415, 0,
       "die Textspalte Number der Tabelle Numbers hat die Sortierreihenfolge "
       "„Polnisch“ und steht in einem Index. "},
      {"numbers-autoid.mdb", nullptr, 0x0041F, 0,
       "die Datenbank verwendet die Sortierreihenfolge „Türkisch“, und die Tabelle "
       "Numbers hat einen Index über die Textspalte "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + (c.column ? c.column : "database") + " " +
                 std::to_string(c.locale));
    const JetCopy copy(c.file, [&](std::vector<uint8_t>& bytes) {
      if (c.column == nullptr)
        mdb_test::SetSortOrder(bytes, c.locale, c.version);
      else
        mdb_test::SetColumnSortOrder(bytes, "Numbers", c.column, c.locale, c.version);
    });
    if (c.refused == nullptr) {
      const std::string before = testing_support::ReadFileBytes(copy.path());
      auto connection = copy.Connect();
      const auto expected = ReplaceSomeRows(*connection, 3);
      connection->Close();
      ExpectCommitted(copy, expected);
      EXPECT_EQ(testing_support::ReadFileBytes(copy.path()).substr(0, 4096),
                before.substr(0, 4096));
      continue;
    }
    try {
      copy.Connect();
      ADD_FAILURE() << "opened";
    } catch (const Error& error) {
      const std::string reason = error.what();
      EXPECT_EQ(error.kind(), Error::Kind::kUnsupported) << reason;
      for (const std::string& part :
           {"Numbers.mdb: " + std::string(c.refused),
            std::string("Textschlüssel schreibt das Programm nur in der "
                        "Sortierreihenfolge „Allgemein – Legacy“. "),
            std::string("In Access unter Optionen › Allgemein die Sortierreihenfolge "
                        "für neue Datenbanken auf „Allgemein – Legacy“ (vor Access "
                        "2010: „Allgemein“) stellen und die Datenbank komprimieren und "
                        "reparieren")})
        EXPECT_NE(reason.find(part), std::string::npos) << part << "\n" << reason;
    }
  }
}

// Access may keep the global page map as a list of map pages (a reference
// map). Such a file is updated like any other, its map kept of that kind.
TEST(JetFileTest, ReferencePageMapIsReadAndKept) {
  for (const char* file : {"numbers-pk.mdb", "numbers-autoid.mdb", "numbers-plain.mdb"}) {
    SCOPED_TRACE(file);
    const JetCopy copy(file, [](std::vector<uint8_t>& bytes) {
      bytes = mdb_test::WithReferencePageMap(std::move(bytes));
    });
    const mdb::FileImage before = mdb::FileImage::ReadFile(copy.path());
    const mdb::GlobalPageMap map_before = mdb::GlobalPageMap::Read(before);
    auto connection = copy.Connect();
    const auto expected = ReplaceSomeRows(*connection, 1500);  // grows the file
    connection->Close();
    ExpectCommitted(copy, expected);
    const mdb::FileImage written = mdb::FileImage::ReadFile(copy.path());
    ASSERT_GT(written.page_count(), before.page_count());
    const mdb::GlobalPageMap map = mdb::GlobalPageMap::Read(written);
    EXPECT_TRUE(map.is_reference());
    for (uint32_t page = 0; page < written.page_count(); ++page)
      EXPECT_EQ(map.InUse(page), page >= before.page_count() || map_before.InUse(page))
          << page;
    EXPECT_FALSE(map.InUse(written.page_count()));
  }
}

TEST(JetFileTest, DefaultValuesThatAreLiteralsBecomeSqlLiterals) {
  EXPECT_EQ(DefaultLiteral("\"neu\""), "'neu'");
  EXPECT_EQ(DefaultLiteral("'it''s'"), "'it''s'");
  EXPECT_EQ(DefaultLiteral("\"sag \"\"ja\"\"\""), "'sag \"ja\"'");
  EXPECT_EQ(DefaultLiteral(" 60 "), "60");
  EXPECT_EQ(DefaultLiteral("-0.5"), "-0.5");
  EXPECT_EQ(DefaultLiteral("+3"), "3");
  EXPECT_EQ(DefaultLiteral("yes"), "-1");
  EXPECT_EQ(DefaultLiteral("Off"), "0");
  EXPECT_EQ(DefaultLiteral("NULL"), "NULL");
  for (const char* expression : {"Date()", "=1", "1+1", "\"a\" & \"b\"", "\"open", ""})
    EXPECT_EQ(DefaultLiteral(expression), std::nullopt) << expression;
}

}  // namespace
}  // namespace db::engine
