#ifndef PREISLISTE_TESTS_PRICING_PIPELINE_FIXTURE_H_
#define PREISLISTE_TESTS_PRICING_PIPELINE_FIXTURE_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/engine/connection.h"
#include "run/run_settings.h"
#include "tests/support/recording_view.h"
#include "tests/support/test_files.h"

namespace testing_support {

// Numbers as the billing product defines it (plain SQLite DDL).
inline constexpr char kNumbersTable[] =
    "CREATE TABLE Numbers (Number VARCHAR(255), Name VARCHAR(255), Price_EUR CURRENCY, "
    "Rate_EK CURRENCY, GraceTime INTEGER, Profile VARCHAR(255));";

// A row of Numbers; an empty optional is NULL.
struct NumbersRow {
  std::optional<std::string> number;
  std::optional<std::string> name;
  std::optional<double> price_eur;
  std::optional<double> rate_ek;
};

// A row of Import2 as the import leaves it: state, old name and selling
// price still NULL.
struct ImportRow {
  std::optional<std::string> vorwahl;
  std::optional<std::string> ziel;
  std::optional<double> preis_ek;
};

// A price database in a temporary folder for pipeline tests:
//   PriceDatabase db({{"0044", "London", 0.08, 0.03}});
//   db.Begin({{"0044", "London", 0.05}});   // open, transaction, Import2
//   UpdatePrices(db.connection(), db.settings, db.view);
//   db.Commit();
//   db.Query("SELECT Number, " + Money("Price_EUR") + " FROM Numbers");
// Settings default to margin 60, no VAT, minimum rate 0.1 (factor 1.6).
class PriceDatabase {
 public:
  explicit PriceDatabase(const std::vector<NumbersRow>& numbers,
                         const std::string& numbers_table = kNumbersTable);

  // Opens the file through db::engine::Connection as a run does, begins the run's
  // transaction, creates Import2 with the import's statement and fills it
  // through Jet INSERTs.
  void Begin(const std::vector<ImportRow>& import_rows);
  void Commit();
  void Rollback();
  db::engine::Connection& connection() { return *connection_; }

  // Plain SQLite on the file (with the database's collation and functions),
  // for set-up and for checks after Commit() or Rollback(); every value as
  // text, NULL as "NULL".
  void RunSql(const std::string& sql) const;
  std::vector<std::vector<std::string>> Query(const std::string& sql) const;
  // Every row of a table, all columns, sorted, as Query() gives them: for
  // comparing a table before and after a run.
  std::vector<std::vector<std::string>> Snapshot(const std::string& table) const;

  const std::filesystem::path& file() const { return file_; }

  run::RunSettings settings;
  RecordingView view;

 private:
  TempDir dir_;
  std::filesystem::path file_;
  std::unique_ptr<db::engine::Connection> connection_;
};

// An SQLite expression showing a currency column with four decimals
// ("0.1000"), or "NULL".
std::string Money(const std::string& column);

// A number as Jet statement text, for INSERTs of test rows.
std::string JetLiteral(const std::optional<double>& number);
// A text as a quoted Jet literal (apostrophes doubled), or Null.
std::string JetLiteral(const std::optional<std::string>& text);

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_PRICING_PIPELINE_FIXTURE_H_
