// The change report of a run with options: the change list file, the summary
// on the run's last message, the dry run, and a change list that cannot be
// written. Runs on SQLite files and on a copy of a Jet 4 file.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/run_update.h"
#include "platform/backup_files.h"
#include "tests/app/jet_numbers_file.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
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
using testing_support::TempDir;
using Icon = run::RunView::Icon;

// The folder's names without the backups of Numbers.mdb, of which there must
// be `dated` and, with one, Numbers.mdb.bak.
std::set<std::string> WithoutBackups(const fs::path& folder, size_t dated) {
  EXPECT_EQ(platform::ListBackups(folder / "Numbers.mdb").size(), dated);
  std::set<std::string> names;
  for (const std::string& name : FolderNames(folder))
    if (!platform::ParseBackupName(name, "Numbers.mdb") &&
        (name != "Numbers.mdb.bak" || dated == 0))
      names.insert(name);
  return names;
}

struct ReportRun {
  RunResult result;
  RecordingView view;
};

// Runs the update on the Numbers.mdb in `folder`, with it as current folder.
// The check of a shrinking list is off: the small supplier file would remove
// most prefixes of the Jet file's list.
ReportRun RunWith(const fs::path& folder, const RunOptions& options) {
  const CurrentFolder current(folder);
  auto settings = testing_support::SettingsFor(folder);
  settings["Pruefung/MaxWegfall"] = "100";
  ReportRun run;
  run.result =
      RunUpdate(MapSettingsStore(settings), NumberFormat{","}, run.view, options);
  return run;
}

// The summary of the changes: the last message's detail after the lines on
// the price file.
std::string ChangeSummary(const std::string& detail) {
  const size_t start = detail.find("\nVorwahlen: ");
  return start == std::string::npos ? detail : detail.substr(start + 1);
}

// The current list, in no particular order: a row for every kind of change
// and source. Local prefixes (not beginning with "0") are taken as they
// stand, so Z1, a1 and Ä1 show that lines sort by bytes, not by letter or
// case. 01118 and 8 both come back from the working form as 8.
constexpr char kOldList[] =
    "INSERT INTO Numbers (Number, Name, Price_EUR, Rate_EK, GraceTime) VALUES "
    "('Ä1', 'Ämter', 0.5, 0.1, 0), "
    "('0044', 'Großbritannien', 0.12, 0.05, 3), "
    "('0039', 'Italien', 0.3, 0.1, 3), "
    "('00393', 'Italien', 0.25, 0.1, 3), "
    "('0041', 'Schweiz', 0.4, 0.1, 3), "
    "('00423', 'Liechtenstein', 0.2, 0.08, 3), "
    "('0043', 'Österreich', 0.15, 0.06, 3), "
    "('0046', 'Schweden', NULL, NULL, 3), "
    "('0047', 'Norwegen', NULL, NULL, 3), "
    "('0045', 'Dänemark', 0.11, 0.04, 3), "
    "('030', 'Berlin; \"Mitte\"', 0.05, 0.09, 0), "
    "('040', 'Hamburg' || char(13, 10) || 'Hafen', NULL, NULL, 0), "
    "('a1', 'Amt', 0.5, 0.1, 0), "
    "('8', 'Kurzwahl', 0.05, 0.02, 0), "
    "('01118', 'Sonderdienst', NULL, NULL, 0), "
    "('Z1', 'Zentrale', 0.5, 0.1, 0);";

// UTF-8, as the import accepts it. The comments say how each line is priced
// with margin 60, VAT 19 (factor 1.904) and minimum rate 0.1.
constexpr char kSupplierFile[] =
    "#Vorwahl;Ziel;Preis\r\n"
    "0044;Großbritannien;0,20\r\n"    // by name: 0.12, now below cost
    "004420;großbritannien;0,05\r\n"  // by name, letter case ignored
    "0039;Italien;0,10\r\n"           // by name: the highest price, 0.30
    "00393;Italien;0,10\r\n"          // by name: 0.30 for 0.25
    "0041;Liechtenstein;0,08\r\n"     // by name: 0.20 for 0.40
    "0043;Austria;0,06\r\n"           // by prefix
    "004367;Austria;0,07\r\n"         // most common price of Austria
    "004368;Austria Mobil;0,07\r\n"   // price of Austria at the same 0.07
    "0046;Sweden;0,05\r\n"            // by prefix, no price there: computed
    "0047;Norwegen;0,05\r\n"          // by name, no price there: computed
    "0061;Australien;0,2\r\n";        // computed: 0.2 x 1.904 -> 0.39

TEST(ChangeReportTest, EveryChangeAndEverySourceInTheChangeListAndTheSummary) {
  RunFolder folder(std::string(testing_support::kNumbersSchema) + kOldList);
  folder.WriteFile("preise.csv", kSupplierFile);
  const fs::path report = folder.path() / "changes.csv";
  const ReportRun run = RunWith(folder.path(), {false, report.string()});

  ASSERT_EQ(run.result.outcome, RunOutcome::kCommitted) << run.view.Messages().back();
  EXPECT_FALSE(run.result.report_not_written);
  EXPECT_EQ(ExitStatus(run.result), 0);
  const std::vector<std::string> lines = {
      "Number;Name;OldPrice;NewPrice;PurchasePrice;Change;Source;FoundUnder",
      "0039;Italien;0.3000;0.3000;0.1000;unchanged;name;Italien",
      "00393;Italien;0.2500;0.3000;0.1000;increased;name;Italien",
      "0041;Liechtenstein;0.4000;0.2000;0.0800;decreased;name;Liechtenstein",
      "00423;Liechtenstein;0.2000;;0.0800;removed;;",
      "0043;Austria;0.1500;0.1500;0.0600;unchanged;prefix;Österreich",
      "004367;Austria;;0.1500;0.0700;new;most-common;Austria",
      "004368;Austria Mobil;;0.1500;0.0700;new;leading-name;Austria",
      "0044;Großbritannien;0.1200;0.1200;0.2000;unchanged;name;Großbritannien",
      "004420;großbritannien;;0.1200;0.0500;new;name;Großbritannien",
      "0045;Dänemark;0.1100;;0.0400;removed;;",
      "0046;Sweden;;0.1000;0.0500;priced;prefix;Schweden",
      "0047;Norwegen;;0.1000;0.0500;priced;name;Norwegen",
      "0061;Australien;;0.3900;0.2000;new;computed;",
      "01118;Sonderdienst;;;;removed;;",
      "030;\"Berlin; \"\"Mitte\"\"\";0.0500;0.0500;0.0900;unchanged;kept-domestic;",
      "040;\"Hamburg\r\nHafen\";;;;unchanged;kept-domestic;",
      // Two new rows for 8, one old: the empty price pairs first.
      "8;Sonderdienst;0.0500;;;unpriced;kept-domestic;",
      "8;Kurzwahl;;0.0500;0.0200;new;kept-domestic;",
      "Z1;Zentrale;0.5000;0.5000;0.1000;unchanged;kept-domestic;",
      "a1;Amt;0.5000;0.5000;0.1000;unchanged;kept-domestic;",
      "Ä1;Ämter;0.5000;0.5000;0.1000;unchanged;kept-domestic;",
  };
  std::string expected;
  for (const std::string& line : lines) expected += line + "\n";
  EXPECT_EQ(ReadFileBytes(report), expected);

  ASSERT_EQ(run.view.Messages().size(), 1u);
  const RecordingView::Event& last = run.view.events.back();
  EXPECT_EQ(last.text, "Fertig!");
  EXPECT_EQ(last.icon, Icon::kInformation);
  EXPECT_EQ(ChangeSummary(last.detail),
            "Vorwahlen: 5 neu, 3 entfernt, 1 teurer, 1 billiger, 8 unverändert, "
            "2 jetzt mit Preis, 1 jetzt ohne Preis.\n"
            "Preise gefunden: 6 nach Name, 2 nach Vorwahl, 1 häufigster Preis des "
            "Ziels, 1 Preis eines kürzeren Zielnamens, 1 aus dem Einkaufspreis "
            "berechnet, 7 Inlandsvorwahl beibehalten.\n"
            "Unter dem Einkaufspreis: 2 Vorwahlen:\n"
            "  0044 Großbritannien: Verkauf 0,1200, Einkauf 0,2000\n"
            "  030 Berlin; \"Mitte\": Verkauf 0,0500, Einkauf 0,0900\n");
  // Only the change list and the backup joined the database and the price
  // file.
  EXPECT_EQ(WithoutBackups(folder.path(), 1),
            (std::set<std::string>{"Numbers.mdb", "preise.csv", "changes.csv"}));
}

// A folder holding a Numbers.mdb of one kind and the supplier file of the
// SQLite fixture.
struct DatabaseKind {
  const char* name;
  // Puts Numbers.mdb into the folder.
  void (*make)(const fs::path& folder);
};

void MakeSqliteFile(const fs::path& folder) {
  testing_support::RunSqlite(
      folder / "Numbers.mdb",
      std::string(testing_support::kNumbersSchema) + testing_support::kNumbersRows);
}

const DatabaseKind kKinds[] = {{"SQLite file", MakeSqliteFile},
                               {"Jet 4 file", testing_support::CopyJetNumbersFile}};

TEST(ChangeReportTest, DryRunLeavesTheFileAloneAndShowsTheSummaryOfTheRealRun) {
  for (const DatabaseKind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const TempDir folder;
    kind.make(folder.path());
    folder.WriteFile("preise.csv", testing_support::kPriceFile);
    const std::string before = ReadFileBytes(folder.path() / "Numbers.mdb");
    const std::set<std::string> files_before = FolderNames(folder.path());

    const ReportRun dry = RunWith(folder.path(), {true, "dry.csv"});
    ASSERT_EQ(dry.result.outcome, RunOutcome::kDryRun) << dry.view.Messages().back();
    EXPECT_EQ(ExitStatus(dry.result), 0);
    EXPECT_EQ(dry.view.Messages(),
              std::vector<std::string>{"Probelauf beendet – nichts wurde geändert."});
    EXPECT_EQ(dry.view.events.back().icon, Icon::kInformation);
    EXPECT_EQ(dry.view.Overall().back(), 100);
    EXPECT_EQ(ReadFileBytes(folder.path() / "Numbers.mdb"), before);
    std::set<std::string> files_after_dry = files_before;
    files_after_dry.insert("dry.csv");
    EXPECT_EQ(FolderNames(folder.path()),
              files_after_dry);  // no copy, backup or lock

    const ReportRun real = RunWith(folder.path(), {false, "real.csv"});
    ASSERT_EQ(real.result.outcome, RunOutcome::kCommitted) << real.view.Messages().back();
    EXPECT_EQ(real.view.Messages(), std::vector<std::string>{"Fertig!"});
    EXPECT_EQ(real.view.events.back().detail, dry.view.events.back().detail);
    EXPECT_EQ(ChangeSummary(real.view.events.back().detail).rfind("Vorwahlen: ", 0), 0u)
        << real.view.events.back().detail;
    EXPECT_EQ(ReadFileBytes(folder.path() / "real.csv"),
              ReadFileBytes(folder.path() / "dry.csv"));
    EXPECT_NE(ReadFileBytes(folder.path() / "Numbers.mdb"), before);

    // The dry run's progress is the real run's: the report reads, and only
    // between the pipeline's steps.
    EXPECT_EQ(dry.view.Overall(), real.view.Overall());
    EXPECT_EQ(dry.view.Action(), real.view.Action());
  }
}

// The report only reads: a run with it shows the progress, the messages and
// leaves the Numbers of a run without options.
TEST(ChangeReportTest, AReportAddsNothingButTheSummaryToTheRun) {
  RunFolder plain_folder;
  RunFolder report_folder;
  for (const RunFolder* folder : {&plain_folder, &report_folder})
    folder->WriteFile("preise.csv", testing_support::kPriceFile);
  const ReportRun plain = RunWith(plain_folder.path(), {});
  const ReportRun with_report = RunWith(report_folder.path(), {false, "changes.csv"});
  ASSERT_EQ(plain.result.outcome, RunOutcome::kCommitted);
  ASSERT_EQ(with_report.result.outcome, RunOutcome::kCommitted);
  EXPECT_EQ(plain.view.Overall(), with_report.view.Overall());
  EXPECT_EQ(plain.view.Action(), with_report.view.Action());
  EXPECT_EQ(plain.view.Messages(), with_report.view.Messages());
  ASSERT_EQ(plain.view.Details().size(), 1u);
  EXPECT_EQ(ChangeSummary(plain.view.Details()[0]),
            ChangeSummary(with_report.view.Details()[0]));
  EXPECT_EQ(report_folder.Numbers(), plain_folder.Numbers());
  EXPECT_EQ(report_folder.Numbers(), testing_support::kNumbersAfterRun);
}

TEST(ChangeReportTest, AStoppedDryRunExitsWithOneAndWritesNoChangeList) {
  RunFolder folder;
  folder.WriteFile("preise.csv", "Vorwahl;Ziel;Preis\r\n0044;London;0,05\r\n");
  const std::string before = ReadFileBytes(folder.database());
  const ReportRun run = RunWith(folder.path(), {true, "changes.csv"});
  EXPECT_EQ(run.result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(ExitStatus(run.result), 1);
  EXPECT_EQ(run.view.Messages(), (std::vector<std::string>{"Falsche Datei", "Fehler:"}));
  EXPECT_FALSE(fs::exists(folder.path() / "changes.csv"));
  EXPECT_EQ(ReadFileBytes(folder.database()), before);
}

// A folder as target fails the rename of the finished temporary file; a
// missing folder fails before anything is written; the database itself is
// never replaced by the list.
TEST(ChangeReportTest, AChangeListThatCannotBeWrittenLeavesTheOutcomeAndExitsWithThree) {
  const struct {
    const char* target;
    const char* reason;
    bool system_text;  // the system's own words, which differ per system
  } cases[] = {
      {"a-folder", "a-folder: Das ist ein Ordner", true},
      {"no-such-folder/changes.csv",
       "no-such-folder/changes.csv: Datei oder Ordner nicht gefunden", true},
      {"Numbers.mdb", "Numbers.mdb: Das ist die Datenbank selbst", false},
      {"./a-folder/../Numbers.mdb",
       "./a-folder/../Numbers.mdb: Das ist die Datenbank selbst", false},
  };
  for (const bool dry_run : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(dry_run ? "dry run, " : "real run, ") + c.target);
      RunFolder folder;
      folder.WriteFile("preise.csv", testing_support::kPriceFile);
      fs::create_directory(folder.path() / "a-folder");
      const std::string before = ReadFileBytes(folder.database());
      const ReportRun run = RunWith(folder.path(), {dry_run, c.target});

      EXPECT_EQ(run.result.outcome,
                dry_run ? RunOutcome::kDryRun : RunOutcome::kCommitted);
      EXPECT_TRUE(run.result.report_not_written);
      EXPECT_EQ(ExitStatus(run.result), 3);
      const std::vector<std::string> messages = run.view.Messages();
      ASSERT_EQ(messages.size(), 2u);
      EXPECT_EQ(messages[0], dry_run ? kDryRunFinishedMessage : kFinishedMessage);
      EXPECT_EQ(ChangeSummary(run.view.Details()[0]).rfind("Vorwahlen: ", 0),
                0u);  // the summary
      const std::string expected =
          "Fehler: Die Änderungsliste konnte nicht geschrieben werden: " +
          std::string(c.reason);
#ifdef _WIN32
      if (c.system_text) {  // the target, then Windows' reason
        const std::string lead =
            "Fehler: Die Änderungsliste konnte nicht geschrieben werden: " +
            std::string(c.target) + ": ";
        EXPECT_EQ(messages[1].rfind(lead, 0), 0u) << messages[1];
        EXPECT_GT(messages[1].size(), lead.size()) << messages[1];
      } else {
        EXPECT_EQ(messages[1], expected);
      }
#else
      EXPECT_EQ(messages[1], expected);
#endif
      EXPECT_EQ(run.view.events.back().icon, Icon::kError);
      if (dry_run)
        EXPECT_EQ(ReadFileBytes(folder.database()), before);
      else
        EXPECT_EQ(folder.Numbers(), testing_support::kNumbersAfterRun);
      // No temporary file is left behind.
      EXPECT_EQ(WithoutBackups(folder.path(), dry_run ? 0 : 1),
                (std::set<std::string>{"Numbers.mdb", "preise.csv", "a-folder"}));
    }
  }
}

}  // namespace
}  // namespace app
