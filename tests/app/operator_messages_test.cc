// The messages a run stops with when the supplier's file or the database
// does not fit, as the operator reads them: in German, naming the values
// that tell the operator what to mend. Numbers stays as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/run_update.h"
#include "tests/app/jet_numbers_file.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/support/recording_view.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::CurrentFolder;
using testing_support::MapSettingsStore;
using testing_support::ReadFileBytes;
using testing_support::RecordingView;
using testing_support::TempDir;

struct StoppedRun {
  RunOutcome outcome;
  std::string last_message;
};

StoppedRun RunIn(const fs::path& folder) {
  const CurrentFolder current(folder);
  RecordingView view;
  const RunOutcome outcome = RunUpdate(
      MapSettingsStore(testing_support::SettingsFor(folder)), NumberFormat{","}, view);
  return {outcome, view.Messages().empty() ? "" : view.Messages().back()};
}

void SqliteNumbers(const fs::path& folder, const std::string& extra_sql) {
  testing_support::RunSqlite(folder / "Numbers.mdb",
                             std::string(testing_support::kNumbersSchema) +
                                 testing_support::kNumbersRows + extra_sql);
}

struct Case {
  const char* name;
  // Puts Numbers.mdb into the folder.
  void (*make)(const fs::path& folder);
  const char* price_file;
  const char* message;
};

const Case kCases[] = {
    {"a prefix twice on the Jet file's primary key", testing_support::CopyJetNumbersFile,
     "#Vorwahl;Ziel;Preis\r\n"
     "0044;Grossbritannien;0,04\r\n"
     "00829;Neuland;0,20\r\n"
     "0061;Australien;0,01\r\n"
     "00829;Marokko Sonderdienste;0,30\r\n",
     "Fehler: Vorwahl 00829 käme zweimal in Numbers vor (Schlüssel PrimaryKey): "
     "Marokko Sonderdienste, Neuland"},
    {"a prefix three times on a unique index of an SQLite file",
     [](const fs::path& folder) {
       SqliteNumbers(folder, "CREATE UNIQUE INDEX ix_number ON Numbers (Number);");
     },
     "#Vorwahl;Ziel;Preis\r\n"
     "0061;Australien;0,01\r\n"
     "0061;Australien Festnetz;0,02\r\n"
     "0061;Australien Mobil;0,03\r\n",
     "Fehler: Vorwahl 0061 käme zweimal in Numbers vor: Australien, Australien Festnetz, "
     "Australien Mobil"},
    {"a name twice on a unique index of an SQLite file",
     [](const fs::path& folder) {
       SqliteNumbers(folder,
                     "DELETE FROM Numbers WHERE Number IN ('030', '089');"
                     "CREATE UNIQUE INDEX ix_name ON Numbers (Name);");
     },
     "#Vorwahl;Ziel;Preis\r\n"
     "0062;Indonesien;0,01\r\n"
     "0061;Indonesien;0,02\r\n",
     "Fehler: Name Indonesien käme zweimal in Numbers vor: Vorwahlen 0061, 0062"},
    {"a missing column",
     [](const fs::path& folder) {
       testing_support::RunSqlite(
           folder / "Numbers.mdb",
           "CREATE TABLE Numbers (Number VARCHAR(30), Name VARCHAR(100), Price_EUR "
           "CURRENCY, Rate_EK CURRENCY, Profile VARCHAR(50));"
           "INSERT INTO Numbers VALUES ('0044', 'Grossbritannien', 0.12, 0.05, NULL);");
     },
     "#Vorwahl;Ziel;Preis\r\n0044;Grossbritannien;0,04\r\n",
     "Fehler: Tabelle Numbers hat keine Spalte GraceTime (table Numbers has no column "
     "named GraceTime)"},
    {"a required column the run leaves empty",
     [](const fs::path& folder) {
       testing_support::RunSqlite(
           folder / "Numbers.mdb",
           "CREATE TABLE Numbers (Number VARCHAR(30), Name VARCHAR(100), Price_EUR "
           "CURRENCY, Rate_EK CURRENCY, GraceTime INTEGER, Profile VARCHAR(50) NOT NULL);"
           "INSERT INTO Numbers VALUES ('0044', 'Grossbritannien', 0.12, 0.05, 0, 'S');");
     },
     "#Vorwahl;Ziel;Preis\r\n0044;Grossbritannien;0,04\r\n",
     "Fehler: Spalte Profile in Numbers ist ein Pflichtfeld und darf nicht leer bleiben "
     "(NOT NULL constraint failed: Numbers.Profile)"},
};

TEST(OperatorMessagesTest, RunStopsWithTheValuesToMendAndLeavesNumbersAlone) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const TempDir folder;
    c.make(folder.path());
    folder.WriteFile("preise.csv", c.price_file);
    const std::string before = ReadFileBytes(folder.path() / "Numbers.mdb");

    const StoppedRun run = RunIn(folder.path());
    EXPECT_EQ(run.outcome, RunOutcome::kStopped);
    EXPECT_EQ(run.last_message, c.message);
    EXPECT_EQ(ReadFileBytes(folder.path() / "Numbers.mdb"), before);
  }
}

}  // namespace
}  // namespace app
