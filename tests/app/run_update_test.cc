#include "app/run_update.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/support/recording_view.h"

namespace app {
namespace {

using testing_support::CurrentFolder;
using testing_support::MapSettingsStore;
using testing_support::ReadFileBytes;
using testing_support::RecordingView;
using testing_support::RunFolder;
using Kind = RecordingView::Event::Kind;

std::map<std::string, std::string> SettingsFor(const RunFolder& folder) {
  return testing_support::SettingsFor(folder.path());
}

struct RunResult {
  RunOutcome outcome;
  RecordingView view;
};

// Runs the update with the folder as current folder, as the operator would.
RunResult RunIn(const RunFolder& folder,
                const std::map<std::string, std::string>& settings) {
  const CurrentFolder current(folder.path());
  RunResult run{RunOutcome::kStopped, {}};
  run.outcome = RunUpdate(MapSettingsStore(settings), NumberFormat{","}, run.view);
  return run;
}

TEST(RunUpdateTest, CommittedRunReplacesNumbersAndEndsWithFullBarThenFertig) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const RunResult run = RunIn(folder, SettingsFor(folder));

  EXPECT_EQ(run.outcome, RunOutcome::kCommitted);
  EXPECT_EQ(run.view.Messages(), std::vector<std::string>{"Fertig!"});
  ASSERT_GE(run.view.events.size(), 2u);
  const auto& last = run.view.events.back();
  const auto& before_last = run.view.events[run.view.events.size() - 2];
  EXPECT_EQ(last.icon, run::RunView::Icon::kInformation);
  EXPECT_EQ(before_last.kind, Kind::kOverall);
  EXPECT_EQ(before_last.value, 100);
  EXPECT_EQ(run.view.Overall().front(), 0);  // the import starts the overall bar
  EXPECT_EQ(folder.Numbers(), testing_support::kNumbersAfterRun);
  EXPECT_EQ(folder.Tables(), std::vector<std::string>{"Numbers"});
}

TEST(RunUpdateTest, DatabasePathNotStoredOpensNothingAndLeavesBarsAtZero) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  auto settings = SettingsFor(folder);
  settings.erase("DB Path");
  const std::string before = ReadFileBytes(folder.database());
  const RunResult run = RunIn(folder, settings);

  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  ASSERT_EQ(run.view.events.size(), 1u);  // no progress written: both bars stay at 0
  EXPECT_EQ(run.view.events[0].text, "Es konnte kein Datenbankpfad gefunden werden!");
  EXPECT_EQ(run.view.events[0].icon, run::RunView::Icon::kError);
  EXPECT_EQ(ReadFileBytes(folder.database()), before);
}

TEST(RunUpdateTest, UnusableSettingStopsBeforeTheDatabaseIsOpened) {
  for (const auto& [key, value] :
       std::map<std::string, std::string>{{"RatingDefaultMargin", "60 %"},
                                          {"MinimumRatePerMinute", "zehn Cent"},
                                          {"MwSt", ""}}) {
    RunFolder folder;
    folder.WriteFile("preise.csv", testing_support::kPriceFile);
    auto settings = SettingsFor(folder);
    settings[key] = value;
    const std::string bytes_before = ReadFileBytes(folder.database());
    const RunResult run = RunIn(folder, settings);
    EXPECT_EQ(run.outcome, RunOutcome::kStopped);
    ASSERT_EQ(run.view.events.size(), 1u) << key;
    EXPECT_EQ(run.view.events[0].kind, Kind::kMessage);
    EXPECT_NE(run.view.events[0].text.find("\"" + key + "\""), std::string::npos)
        << run.view.events[0].text;
    EXPECT_EQ(ReadFileBytes(folder.database()), bytes_before);
  }
}

TEST(RunUpdateTest, MissingDatabaseShowsTheOpenMessageOnly) {
  RunFolder folder;
  auto settings = SettingsFor(folder);
  settings["DB Path"] = (folder.path() / "nirgendwo").string();
  const RunResult run = RunIn(folder, settings);
  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  ASSERT_EQ(run.view.events.size(), 1u);
  EXPECT_EQ(run.view.events[0].text,
            "Datenbank Numbers.mdb konnte nicht geöffnet werden!");
}

TEST(RunUpdateTest, PriceFileWithoutHeaderRollsBackAndLeavesNumbersAsItWas) {
  RunFolder folder;
  folder.WriteFile("preise.csv", "0044;London;0,05\r\n0043;Wien;0,06\r\n");
  const auto numbers_before = folder.Numbers();
  const std::string bytes_before = ReadFileBytes(folder.database());
  const RunResult run = RunIn(folder, SettingsFor(folder));

  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  EXPECT_EQ(run.view.Messages(), (std::vector<std::string>{"Falsche Datei", "Fehler:"}));
  EXPECT_EQ(run.view.Overall(), std::vector<float>{0});
  EXPECT_EQ(folder.Numbers(), numbers_before);
  EXPECT_EQ(ReadFileBytes(folder.database()), bytes_before);
}

// Numbers without GraceTime: the pipeline empties Numbers and then fails on
// the write-back, so only the rollback can bring the rows back.
TEST(RunUpdateTest, PipelineFailureRollsBackEverythingItChanged) {
  RunFolder folder(
      "CREATE TABLE Numbers (Number VARCHAR(30), Name VARCHAR(100), Price_EUR CURRENCY, "
      "Rate_EK CURRENCY, Profile VARCHAR(50));"
      "INSERT INTO Numbers VALUES ('0044', 'Großbritannien', 0.12, 0.05, NULL);");
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const std::string bytes_before = ReadFileBytes(folder.database());
  const RunResult run = RunIn(folder, SettingsFor(folder));

  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  ASSERT_EQ(run.view.Messages().size(), 1u);
  EXPECT_EQ(run.view.Messages()[0].rfind("Fehler: ", 0), 0u) << run.view.Messages()[0];
  EXPECT_EQ(ReadFileBytes(folder.database()), bytes_before);
  EXPECT_EQ(folder.Tables(), std::vector<std::string>{"Numbers"});
}

// Numbers as a new user may declare it: names of at most 10 characters;
// the rows follow.
constexpr char kNarrowNumbers[] =
    "CREATE TABLE Numbers (Number VARCHAR(30), Name VARCHAR(10), Price_EUR CURRENCY, "
    "Rate_EK CURRENCY, GraceTime INTEGER, Profile VARCHAR(50), Aktiv INTEGER DEFAULT 1);"
    "INSERT INTO Numbers (Number, Name, Price_EUR, Rate_EK, GraceTime) VALUES ";

// A name longer than Numbers allows stops the run before it is committed, so
// that no later run trips over it; with the file mended the next run commits.
TEST(RunUpdateTest, ANameTooLongForNumbersStopsTheRunAndTheMendedFileCommits) {
  RunFolder folder(std::string(kNarrowNumbers) + "('0044', 'England', 0.12, 0.05, 3);");
  folder.WriteFile("preise.csv",
                   "#Vorwahl;Ziel;Preis\r\n0033;AAAAAAAAAAAAAAAAAAAA;0,05\r\n");
  const std::string bytes_before = ReadFileBytes(folder.database());
  // The one prefix of the list gives way to another: no check of a
  // shrinking list.
  auto settings = SettingsFor(folder);
  settings["Pruefung/MaxWegfall"] = "100";
  const RunResult stopped = RunIn(folder, settings);

  EXPECT_EQ(stopped.outcome, RunOutcome::kStopped);
  EXPECT_EQ(stopped.view.Messages(),
            std::vector<std::string>{
                "Fehler: Name: Text länger als 10 Zeichen: AAAAAAAAAAAAAAAAAAAA "
                "(Vorwahl 0033)"});
  EXPECT_EQ(ReadFileBytes(folder.database()), bytes_before);

  folder.WriteFile("preise.csv", "#Vorwahl;Ziel;Preis\r\n0033;Frankreich;0,05\r\n");
  const RunResult committed = RunIn(folder, settings);
  EXPECT_EQ(committed.outcome, RunOutcome::kCommitted);
  EXPECT_EQ(committed.view.Messages(), std::vector<std::string>{"Fertig!"});
  EXPECT_EQ(folder.Numbers(),
            (std::vector<std::vector<std::string>>{
                {"0033", "Frankreich", "0.1000", "0.0500", "0", "NULL", "1"}}));
}

// SQLite never enforced the declared widths, so another program may have
// stored longer names. Copying them is no new input: a run whose file
// replaces such a row commits. A kept domestic row is written anew, and its
// name must fit; the description names its prefix.
TEST(RunUpdateTest, NamesStoredTooLongAreCopiedButNotWrittenAnew) {
  const std::string stored_too_long =
      std::string(kNarrowNumbers) + "('0033', 'Frankreich Festnetz', 0.12, 0.05, 3)";
  RunFolder replaced(stored_too_long + ";");  // the price of the prefix is kept
  replaced.WriteFile("preise.csv", "#Vorwahl;Ziel;Preis\r\n0033;Frankreich;0,05\r\n");
  const RunResult committed = RunIn(replaced, SettingsFor(replaced));
  EXPECT_EQ(committed.outcome, RunOutcome::kCommitted);
  EXPECT_EQ(committed.view.Messages(), std::vector<std::string>{"Fertig!"});
  EXPECT_EQ(replaced.Numbers(),
            (std::vector<std::vector<std::string>>{
                {"0033", "Frankreich", "0.1200", "0.0500", "0", "NULL", "1"}}));

  RunFolder kept(stored_too_long + ", ('030', 'Berlin Festnetz', 0.05, 0.01, 0);");
  kept.WriteFile("preise.csv", "#Vorwahl;Ziel;Preis\r\n0033;Frankreich;0,05\r\n");
  const std::string bytes_before = ReadFileBytes(kept.database());
  const RunResult stopped = RunIn(kept, SettingsFor(kept));
  EXPECT_EQ(stopped.outcome, RunOutcome::kStopped);
  EXPECT_EQ(
      stopped.view.Messages(),
      std::vector<std::string>{
          "Fehler: Name: Text länger als 10 Zeichen: Berlin Festnetz (Vorwahl 030)"});
  EXPECT_EQ(ReadFileBytes(kept.database()), bytes_before);
}

}  // namespace
}  // namespace app
