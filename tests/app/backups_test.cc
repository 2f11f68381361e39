// A backup per committed run, their retention, and --restore, on the run
// driver with an SQLite Numbers.mdb and a Jet one.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/restore_backup.h"
#include "app/run_update.h"
#include "platform/backup_files.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/support/recording_view.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::CurrentFolder;
using testing_support::FolderNames;
using testing_support::MapSettingsStore;
using testing_support::ReadFileBytes;
using testing_support::RecordingView;
using testing_support::RunFolder;

constexpr char kNotRestored[] =
    "Die Sicherung wurde nicht zurückgeholt; Numbers.mdb ist unverändert.";

using Settings = std::map<std::string, std::string>;

Settings SettingsFor(const RunFolder& folder) {
  return testing_support::SettingsFor(folder.path());
}

RunOutcome RunIn(const RunFolder& folder, const Settings& settings, RecordingView& view) {
  const CurrentFolder current(folder.path());
  return RunUpdate(MapSettingsStore(settings), NumberFormat{","}, view);
}

// What a database file holds: its rows of Numbers (an SQLite backup is a
// page copy whose header counters differ from the original's bytes).
std::string Rows(const fs::path& file) {
  std::string rows;
  for (const auto& row : testing_support::QuerySqlite(
           file, "SELECT Number, Price_EUR FROM Numbers ORDER BY Number"))
    rows += row[0] + "=" + row[1] + " ";
  return rows;
}

// A committed run whose price file adds a prefix of its own, so that each
// run leaves another list; returns the rows as they were before.
std::string CommitARun(const RunFolder& folder, const Settings& settings) {
  static int run = 0;
  ++run;
  folder.WriteFile("preise.csv", std::string(testing_support::kPriceFile) + "00" +
                                     std::to_string(700 + run) + ";Ziel;0,05\r\n");
  const std::string before = Rows(folder.database());
  RecordingView view;
  EXPECT_EQ(RunIn(folder, settings, view), RunOutcome::kCommitted)
      << testing::PrintToString(view.Messages())
      << testing::PrintToString(view.Details());
  return before;
}

std::vector<std::string> BackupContents(const RunFolder& folder) {
  std::vector<std::string> contents;
  for (const platform::Backup& backup : platform::ListBackups(folder.database()))
    contents.push_back(Rows(backup.path));
  return contents;
}

struct Restored {
  RunResult result;
  RecordingView view;
};

Restored Restore(const std::string& named, const Settings& settings) {
  Restored restored;
  restored.result =
      RestoreBackup(MapSettingsStore(settings), NumberFormat{","}, restored.view, named);
  return restored;
}

class BackupsTest : public testing::Test {
 protected:
  void SetUp() override { folder_.WriteFile("preise.csv", testing_support::kPriceFile); }
  RunFolder folder_;
};

TEST_F(BackupsTest, ASecondAndAThirdRunKeepTheFirstOriginal) {
  const Settings settings = SettingsFor(folder_);
  const std::string original = CommitARun(folder_, settings);
  const std::string after_first = CommitARun(folder_, settings);
  const std::string after_second = CommitARun(folder_, settings);
  EXPECT_EQ(BackupContents(folder_),
            (std::vector<std::string>{original, after_first, after_second}));
  EXPECT_EQ(Rows(folder_.path() / "Numbers.mdb.bak"), after_second);
}

TEST_F(BackupsTest, RunsKeepTheNewestOfTheCountRemovingTheOldestAfterTheCommit) {
  Settings settings = SettingsFor(folder_);
  settings["Sicherung/Anzahl"] = " 2 ";
  std::vector<std::string> before;
  for (int run = 0; run < 4; ++run) before.push_back(CommitARun(folder_, settings));
  EXPECT_EQ(BackupContents(folder_), (std::vector<std::string>{before[2], before[3]}))
      << testing::PrintToString(FolderNames(folder_.path()));
  // A dry run and a stopped run neither make nor remove a backup.
  settings["Sicherung/Anzahl"] = "1";
  {
    const CurrentFolder current(folder_.path());
    RecordingView view;
    RunOptions dry;
    dry.dry_run = true;
    EXPECT_EQ(RunUpdate(MapSettingsStore(settings), NumberFormat{","}, view, dry).outcome,
              RunOutcome::kDryRun);
  }
  folder_.WriteFile("preise.csv", "no price file");
  RecordingView stopped;
  EXPECT_EQ(RunIn(folder_, settings, stopped), RunOutcome::kStopped);
  EXPECT_EQ(BackupContents(folder_).size(), 2u);
}

TEST_F(BackupsTest, ACountThatIsNoWholeNumberFromOneStopsTheRunBeforeTheOpen) {
  for (const char* value : {"0", "-1", "abc", "", "2,5", "1000", "1e2"}) {
    Settings settings = SettingsFor(folder_);
    settings["Sicherung/Anzahl"] = value;
    const std::string before = ReadFileBytes(folder_.database());
    RecordingView view;
    EXPECT_EQ(RunIn(folder_, settings, view), RunOutcome::kStopped) << value;
    EXPECT_EQ(view.Messages(),
              std::vector<std::string>{
                  std::string("Die Einstellung \"Anzahl\" im Abschnitt [Sicherung] ist "
                              "keine ganze Zahl von 1 bis 999: \"") +
                  value + "\""})
        << value;
    EXPECT_TRUE(ReadFileBytes(folder_.database()) == before) << value;
    EXPECT_EQ(FolderNames(folder_.path()),
              (std::set<std::string>{"Numbers.mdb", "preise.csv"}))
        << value;
  }
}

TEST_F(BackupsTest, RestoreTakesTheNewestOrTheNamedAndKeepsTheReplacedFile) {
  const Settings settings = SettingsFor(folder_);
  const std::string original = CommitARun(folder_, settings);
  const std::string after_first = CommitARun(folder_, settings);
  const std::string after_second = Rows(folder_.database());

  std::vector<fs::path> backups_before;
  for (const platform::Backup& backup : platform::ListBackups(folder_.database()))
    backups_before.push_back(backup.path);
  Restored newest = Restore("", settings);
  EXPECT_EQ(newest.result.outcome, RunOutcome::kCommitted);
  EXPECT_EQ(ExitStatus(newest.result), 0);
  EXPECT_EQ(Rows(folder_.database()), after_first);
  ASSERT_EQ(newest.view.Messages().size(), 1u);
  const std::string stamp = platform::ShownStamp(
      platform::ParseBackupName(backups_before.back().filename().string(), "Numbers.mdb")
          ->stamp);
  EXPECT_EQ(newest.view.Messages()[0],
            "Sicherung zurückgeholt: Numbers.mdb ist wieder der Stand, der am " +
                stamp.substr(0, 10) + " um " + stamp.substr(11) + " ersetzt wurde.");
  EXPECT_EQ(newest.view.events.back().icon, run::RunView::Icon::kInformation);
  const std::vector<platform::Backup> backups = platform::ListBackups(folder_.database());
  ASSERT_EQ(backups.size(), 3u);
  EXPECT_EQ(Rows(backups.back().path), after_second);
  const std::string undo = backups.back().path.filename().string();
  EXPECT_NE(newest.view.Details()[0].find("rückgängig machen mit --restore=" + undo),
            std::string::npos)
      << newest.view.Details()[0];

  // By its bare name from the database folder, or by its path.
  EXPECT_EQ(Restore(backups.front().path.filename().string(), settings).result.outcome,
            RunOutcome::kCommitted);
  EXPECT_EQ(Rows(folder_.database()), original);
  EXPECT_EQ(Restore((folder_.path() / undo).string(), settings).result.outcome,
            RunOutcome::kCommitted);
  EXPECT_EQ(Rows(folder_.database()), after_second);
}

TEST_F(BackupsTest, RestoreRefusesWhatCannotStandInForNumbersAndChangesNothing) {
  const Settings settings = SettingsFor(folder_);
  RunFolder empty;
  EXPECT_EQ(Restore("", SettingsFor(empty)).view.Details(),
            std::vector<std::string>{"Neben " + empty.database().string() +
                                     " liegt keine Sicherung "
                                     "(Numbers.mdb.JJJJ-MM-TT_hh-mm-ss.bak)"});

  CommitARun(folder_, settings);
  const fs::path jet = folder_.path() / "Numbers.mdb.2000-01-01_00-00-00.bak";
  mdb_test::CopyJetFile("numbers/numbers-pk.mdb", jet);
  folder_.WriteFile("damaged.bak", "SQLite format 3" + std::string(5000, 'x'));
  folder_.WriteFile("cut.bak", ReadFileBytes(folder_.database()).substr(0, 1000));
  fs::create_directory(folder_.path() / "folder.bak");
  fs::create_hard_link(folder_.database(), folder_.path() / "second-name.bak");
  const struct {
    const char* name;
    std::string named;
    std::string reason;
    const char* lock_file;
  } cases[] = {
      {"missing", "Numbers.mdb.1999-01-01_00-00-00.bak", "gibt es nicht", nullptr},
      {"not a database", "preise.csv",
       "preise.csv ist keine lesbare Datenbank: ", nullptr},
      {"damaged", "damaged.bak", "damaged.bak ist keine lesbare Datenbank: ", nullptr},
      {"cut", "cut.bak", "cut.bak ist keine lesbare Datenbank: ", nullptr},
      {"another kind", jet.filename().string(),
       " ist eine Access-Datenbank (Jet 4), Numbers.mdb eine SQLite-Datenbank", nullptr},
      {"the database itself", "Numbers.mdb", "ist die Datenbank Numbers.mdb selbst",
       nullptr},
      {"a second name of it", "second-name.bak", "ist die Datenbank Numbers.mdb selbst",
       nullptr},
      {"a folder", "folder.bak", "folder.bak ist keine gewöhnliche Datei", nullptr},
      {"in use", "", "ist in Benutzung: neben ihr liegt Numbers.ldb", "Numbers.ldb"},
  };
  for (const auto& c : cases) {
    // Held open, as the billing product holds it (Windows ignores a lock
    // file that nobody holds).
    std::optional<std::ofstream> lock;
    if (c.lock_file) lock.emplace(folder_.path() / c.lock_file);
    const std::string before = ReadFileBytes(folder_.database());
    const std::set<std::string> names = FolderNames(folder_.path());
    const Restored refused = Restore(c.named, settings);
    EXPECT_EQ(refused.result.outcome, RunOutcome::kStopped) << c.name;
    EXPECT_EQ(ExitStatus(refused.result), 1) << c.name;
    EXPECT_EQ(refused.view.Messages(), std::vector<std::string>{kNotRestored}) << c.name;
    ASSERT_EQ(refused.view.Details().size(), 1u) << c.name;
    EXPECT_NE(refused.view.Details()[0].find(c.reason), std::string::npos)
        << c.name << ": " << refused.view.Details()[0];
    EXPECT_EQ(refused.view.events.back().icon, run::RunView::Icon::kError) << c.name;
    EXPECT_TRUE(ReadFileBytes(folder_.database()) == before) << c.name;
    EXPECT_EQ(FolderNames(folder_.path()), names) << c.name;
    if (lock) {
      lock.reset();
      fs::remove(folder_.path() / c.lock_file);
    }
  }
}

// On a Jet file the backup opens as a run opens it: header, password and
// table Numbers.
TEST(JetBackupsTest, RestoreOfAJetFileChecksTheBackupAsTheRunOpensIt) {
  RunFolder folder;
  fs::remove(folder.database());
  mdb_test::CopyJetFile("numbers/numbers-pk.mdb", folder.database());
  const std::string now = ReadFileBytes(folder.database());
  mdb_test::CopyJetFile("numbers/numbers-other-password.mdb",
                        folder.path() / "Numbers.mdb.2026-01-01_00-00-00.bak");
  const Settings settings = SettingsFor(folder);
  const Restored refused = Restore("", settings);
  EXPECT_EQ(refused.result.outcome, RunOutcome::kStopped);
  ASSERT_EQ(refused.view.Details().size(), 1u);
  EXPECT_NE(refused.view.Details()[0].find("keine lesbare Datenbank"), std::string::npos)
      << refused.view.Details()[0];
  EXPECT_TRUE(ReadFileBytes(folder.database()) == now);

  mdb_test::CopyJetFile("numbers/numbers-plain.mdb",
                        folder.path() / "Numbers.mdb.2026-01-02_00-00-00.bak");
  const Restored restored = Restore("", settings);
  EXPECT_EQ(restored.result.outcome, RunOutcome::kCommitted)
      << testing::PrintToString(restored.view.Details());
  EXPECT_TRUE(ReadFileBytes(folder.database()) ==
              ReadFileBytes(folder.path() / "Numbers.mdb.2026-01-02_00-00-00.bak"));
  EXPECT_TRUE(ReadFileBytes(platform::ListBackups(folder.database()).back().path) == now);
}

CommandLine Parse(std::vector<std::string> words) {
  std::vector<char*> argv;
  words.insert(words.begin(), "update-preisliste");
  for (std::string& word : words) argv.push_back(word.data());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(RestoreCommandLineTest, NewestOrNamedAndNotWithTheRunsOptions) {
  using Action = CommandLine::Action;
  const struct {
    std::vector<std::string> words;
    Action action;
    std::string file;
  } cases[] = {
      {{"--restore"}, Action::kRestore, ""},
      {{"--restore=N.bak"}, Action::kRestore, "N.bak"},
      {{"--restore", "N.bak"}, Action::kRestore, "N.bak"},
      {{"--rest", "C:\\Kasse\\N.bak"}, Action::kRestore, "C:\\Kasse\\N.bak"},
      {{"--restore="}, Action::kUsageError, ""},
      {{"--restore", "--dry-run"}, Action::kUsageError, ""},
      {{"--report", "a.csv", "--restore"}, Action::kUsageError, ""},
      {{"--restore", "a", "b"}, Action::kUsageError, ""},
  };
  for (const auto& c : cases) {
    const CommandLine line = Parse(c.words);
    EXPECT_EQ(line.action, c.action) << testing::PrintToString(c.words);
    EXPECT_EQ(line.restore_file, c.file) << testing::PrintToString(c.words);
  }
}

}  // namespace
}  // namespace app
