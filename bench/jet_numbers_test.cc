// The Jet twin of a benchmark input: the same rows as the SQLite file, as an
// independent reader (mdb-export) sees them, in a file the program opens.

#include "tools/jet_numbers.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "bench/deck.h"
#include "bench/deck_files.h"
#include "core/error.h"
#include "db/engine/jetfile/jet_file_session.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/oracles.h"
#include "tests/support/test_files.h"

namespace bench {
namespace {

using testing_support::QuerySqlite;
using testing_support::TempDir;

TEST(JetNumbersTest, TheJetFileHoldsTheSqliteRowsAndOpensAsTheProgramOpensIt) {
  const TempDir dir;
  const auto sqlite_file = dir.path() / "sqlite.mdb";
  const auto jet_file = dir.path() / "Numbers.mdb";
  WriteNumbersDatabase(sqlite_file, GenerateDeck(3000, 7));
  const size_t written = tools::WriteJetNumbers(
      sqlite_file, mdb_test::JetFile("numbers/numbers-pk.mdb"), jet_file);

  // Prices as mdb-export prints currency (four decimals) and NULL as "".
  const auto expected = QuerySqlite(
      sqlite_file,
      "SELECT Number, Name, iif(Price_EUR IS NULL, '', printf('%.4f', Price_EUR)), "
      "iif(Rate_EK IS NULL, '', printf('%.4f', Rate_EK)), GraceTime, "
      "coalesce(Profile, '') FROM Numbers ORDER BY rowid");
  ASSERT_GT(expected.size(), 2000u);
  EXPECT_EQ(written, expected.size());
  const mdb_test::CsvTable exported = mdb_test::MdbExport(jet_file, "Numbers");
  ASSERT_EQ(exported.rows.size(), expected.size());
  for (size_t r = 0; r < expected.size(); ++r) {
    std::vector<std::string> row;
    for (const mdb_test::CsvField& field : exported.rows[r]) row.push_back(field.text);
    ASSERT_EQ(row, expected[r]) << "row " << r;
  }

  // The program's open checks every key against the rows and refuses a
  // table it could not write back.
  const auto session =
      db::engine::JetFileSession::Open(jet_file.string(), "Falter", "Numbers", false);
  sqlite3_stmt* count = session->session().Prepare("SELECT COUNT(*) FROM Numbers", {});
  ASSERT_TRUE(session->session().Step(count));
  EXPECT_EQ(sqlite3_column_int64(count, 0), static_cast<int64_t>(expected.size()));
}

}  // namespace
}  // namespace bench
