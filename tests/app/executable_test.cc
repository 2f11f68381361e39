// The built program in console mode, as an operator without a display runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "app/command_line.h"
#include "tests/app/run_folder.h"

namespace app {
namespace {

using testing_support::ReadFileBytes;
using testing_support::RunFolder;

struct Result {
  int exit_status = -1;
  std::string out, err;
};

// Without a display the program runs in the terminal.
constexpr char kNoDisplay[] = "-u DISPLAY -u WAYLAND_DISPLAY";
// A display that Qt draws on in memory: the window front-end, with no screen.
constexpr char kOffscreenDisplay[] = "DISPLAY=:97 QT_QPA_PLATFORM=offscreen";

// Runs the program in the folder with the settings file written there.
// `args` follow the program name as shell words; `display` goes to env(1).
// System messages are in English, as they are under the C locale. The
// folder is Qt's runtime folder too (Qt warns when there is none).
Result RunProgram(const RunFolder& folder, const std::string& settings,
                  const std::string& args = "", const std::string& display = kNoDisplay) {
  folder.WriteFile("update-preisliste.ini", settings);
  const std::string dir = folder.path().string();
  const std::string command = "cd '" + dir + "' && env " + display +
                              " LC_ALL=C.UTF-8 XDG_RUNTIME_DIR='" + dir +
                              "' UPDATE_PREISLISTE_SETTINGS='" + dir +
                              "/update-preisliste.ini' '" UPDATE_PREISLISTE_EXE "' " +
                              args + " >out.txt 2>err.txt";
  Result result;
  const int status = std::system(command.c_str());
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  result.out = ReadFileBytes(folder.path() / "out.txt");
  result.err = ReadFileBytes(folder.path() / "err.txt");
  return result;
}

std::string Settings(const RunFolder& folder) {
  return "[Options]\n"
         "RatingDefaultMargin=60\n"
         "MinimumRatePerMinute=0.1\n"
         "MwSt=19\n"
         "DB Path=" +
         folder.path().string() + "\n";
}

TEST(ExecutableTest, CommittedRunPrintsFertigAndExitsWithZero) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const Result result = RunProgram(folder, Settings(folder));
  EXPECT_EQ(result.exit_status, 0) << result.err;
  // No progress line: stdout is no terminal.
  EXPECT_EQ(result.out.rfind("Fertig!\nPreisdatei: ", 0), 0u) << result.out;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(folder.Numbers(), testing_support::kNumbersAfterRun);
}

TEST(ExecutableTest, StoppedRunPrintsTheErrorsExitsWithOneAndLeavesTheFileAlone) {
  RunFolder folder;
  folder.WriteFile("preise.csv", "Vorwahl;Ziel;Preis\n0044;London;0,05\n");
  const std::string before = ReadFileBytes(folder.database());
  const Result result = RunProgram(folder, Settings(folder));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "Falsche Datei\n"
            "  Grund: Die erste Zeile beginnt mit „Vorwahl;Ziel;Preis“; sie muss mit "
            "„#Vorwahl“ beginnen.\n"
            "Fehler:\n");
  EXPECT_EQ(ReadFileBytes(folder.database()), before);
}

// Without settings the first setting that has no usable default stops the run.
TEST(ExecutableTest, EmptySettingsFileStopsAtTheMissingVat) {
  RunFolder folder;
  const Result result = RunProgram(folder, "");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err,
            "Die Einstellung \"MwSt\" im Abschnitt [Options] fehlt. Bitte den "
            "Mehrwertsteuersatz in Prozent eintragen, z. B. MwSt=19.\n");
}

// The summary of a run of kPriceFile on kNumbersRows, after the line that
// names the price file.
constexpr char kSummary[] =
    ")\nZeilen: 6 gelesen, 6 übernommen, 0 ausgelassen (0 Einkaufspreis über 3, 0 "
    "Vorwahl keine Zahl), 0 fehlerhaft.\n"
    "Vorwahlen: 3 neu, 0 entfernt, 0 teurer, 0 billiger, 5 unverändert, 0 jetzt mit "
    "Preis, 0 jetzt ohne Preis.\n"
    "Preise gefunden: 4 nach Name, 0 nach Vorwahl, 0 häufigster Preis des Ziels, 0 "
    "Preis eines kürzeren Zielnamens, 2 aus dem Einkaufspreis berechnet, 2 "
    "Inlandsvorwahl beibehalten.\n"
    "Unter dem Einkaufspreis: 0 Vorwahlen.\n";

// The last message, then the summary: the price file of the folder (its
// size and time vary), its lines and the changes.
void ExpectSummary(const std::string& out, const std::string& message,
                   const RunFolder& folder) {
  EXPECT_EQ(
      out.rfind(
          message + "\nPreisdatei: " + (folder.path() / "preise.csv").string() + " (", 0),
      0u)
      << out;
  EXPECT_TRUE(out.ends_with(kSummary)) << out;
}

TEST(ExecutableTest, DryRunPrintsItsMessageAndTheSummaryOfTheRealRunThatFollows) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const std::string before = ReadFileBytes(folder.database());
  const Result dry = RunProgram(folder, Settings(folder), "--dry-run");
  EXPECT_EQ(dry.exit_status, 0) << dry.err;
  ExpectSummary(dry.out, "Probelauf beendet – nichts wurde geändert.", folder);
  EXPECT_EQ(dry.err, "");
  EXPECT_EQ(ReadFileBytes(folder.database()), before);

  const Result real = RunProgram(folder, Settings(folder), "--report changes.csv");
  EXPECT_EQ(real.exit_status, 0) << real.err;
  ExpectSummary(real.out, "Fertig!", folder);
  EXPECT_EQ(real.err, "");
  EXPECT_EQ(folder.Numbers(), testing_support::kNumbersAfterRun);
  EXPECT_EQ(ReadFileBytes(folder.path() / "changes.csv")
                .rfind("Number;Name;OldPrice;NewPrice;PurchasePrice;Change;Source;"
                       "FoundUnder\n0043;Österreich;0.1500;0.1500;0.0700;unchanged;name;"
                       "Österreich\n",
                       0),
            0u);
}

TEST(ExecutableTest, AChangeListThatCannotBeWrittenExitsWithThreeAfterTheCommit) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const Result result =
      RunProgram(folder, Settings(folder), "--report=no-such-folder/changes.csv");
  EXPECT_EQ(result.exit_status, 3);
  ExpectSummary(result.out, "Fertig!", folder);
  EXPECT_EQ(result.err,
            "Fehler: Die Änderungsliste konnte nicht geschrieben werden: "
            "no-such-folder/changes.csv: Datei oder Ordner nicht gefunden\n");
  EXPECT_EQ(folder.Numbers(), testing_support::kNumbersAfterRun);
}

// A comma-separated file stops the run with the reasons on stderr and writes
// nothing; --ohne-pruefung lets the same file through, saying what it let
// pass.
TEST(ExecutableTest, AWrongFileStopsWithItsReasonsAndTheOptionLetsItThrough) {
  RunFolder folder;
  folder.WriteFile("preise.csv",
                   "#Vorwahl,Ziel,Preis\n0044,London,0,05\n0043,Wien,0,06\n");
  const std::string before = ReadFileBytes(folder.database());
  const Result stopped = RunProgram(folder, Settings(folder), "--report changes.csv");
  EXPECT_EQ(stopped.exit_status, 1);
  EXPECT_EQ(stopped.out, "");
  EXPECT_EQ(stopped.err,
            "Falsche Datei\n"
            "  Grund: 2 von 2 Datenzeilen (100 %) sind keine Zeilen einer Preisliste; "
            "erlaubt sind 5 % (MaxFehlerhafteZeilen):\n"
            "  Zeile 2 (weniger als drei durch ';' getrennte Felder): 0044,London,0,05\n"
            "  Zeile 3 (weniger als drei durch ';' getrennte Felder): 0043,Wien,0,06\n"
            "Die Zeilen haben kein ';', aber Kommas oder Tabulatoren: die Datei ist wohl "
            "mit einem anderen Trennzeichen gespeichert worden.\n"
            "Die neue Preisliste hätte 3 Vorwahlen statt bisher 5: 2 bisherige Vorwahlen "
            "(40 %) fielen weg; erlaubt sind 30 % (MaxWegfall).\n"
            "Die Preisliste bleibt, wie sie war. Stimmt die Datei doch, einmal mit "
            "--ohne-pruefung starten oder die Grenzen im Abschnitt [Pruefung] der "
            "Einstellungen ändern.\n");
  EXPECT_EQ(ReadFileBytes(folder.database()), before);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "changes.csv"));

  const Result forced = RunProgram(folder, Settings(folder), "--ohne-pruefung");
  EXPECT_EQ(forced.exit_status, 0) << forced.err;
  EXPECT_EQ(forced.out.rfind("Fertig!\nPrüfung abgeschaltet (--ohne-pruefung); sie "
                             "hätte den Lauf angehalten:\n2 von 2 Datenzeilen",
                             0),
            0u)
      << forced.out;
  EXPECT_NE(ReadFileBytes(folder.database()), before);
}

// Every file of the folder with its bytes.
std::set<std::pair<std::string, std::string>> FolderContents(const RunFolder& folder) {
  std::set<std::pair<std::string, std::string>> contents;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    contents.emplace(entry.path().filename().string(), ReadFileBytes(entry.path()));
  return contents;
}

// A wrong command line is answered before the settings, the database or a
// window are touched: the settings here would let a run commit.
TEST(ExecutableTest, OptionErrorsPrintTheUsageOnStderrExitWithTwoAndTouchNothing) {
  const struct {
    const char* args;
    const char* display;
    const char* error;
  } cases[] = {
      {"--bogus", kNoDisplay, "Unbekannte Option: --bogus"},
      {"-x", kNoDisplay, "Unbekannte Option: -x"},
      {"--report", kNoDisplay, "--report braucht einen Dateinamen"},
      {"--report=", kNoDisplay, "--report braucht einen Dateinamen"},
      {"--dry-run zusätzlich", kNoDisplay, "Unerwartetes Argument: zusätzlich"},
      // Qt's options are Qt's only where Qt runs.
      {"-platform offscreen", kNoDisplay, "Unbekannte Option: -p"},
      {"-platform offscreen --bogus", kOffscreenDisplay, "Unbekannte Option: --bogus"},
      {"--report", kOffscreenDisplay, "--report braucht einen Dateinamen"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.args) + " with " + c.display);
    RunFolder folder;
    folder.WriteFile("preise.csv", testing_support::kPriceFile);
    folder.WriteFile("update-preisliste.ini", Settings(folder));
    folder.WriteFile("out.txt", "");
    folder.WriteFile("err.txt", "");
    const auto before = FolderContents(folder);
    const Result result = RunProgram(folder, Settings(folder), c.args, c.display);
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "update-preisliste: " + std::string(c.error) + "\n" + UsageText());
    folder.WriteFile("err.txt", "");
    EXPECT_EQ(FolderContents(folder), before);
  }
}

TEST(ExecutableTest, HelpAndVersionPrintOnStdoutAndExitWithZero) {
  const struct {
    const char* args;
    const char* display;
    std::string out;
  } cases[] = {
      {"--help", kNoDisplay, HelpText()},
      {"--version", kNoDisplay, VersionText()},
      {"--dry-run --vers", kNoDisplay, VersionText()},  // an abbreviation
      {"-platform offscreen --help", kOffscreenDisplay, HelpText()},
      // Answered before Qt starts: a display that cannot be reached is no
      // obstacle.
      {"--version", "DISPLAY=:97 QT_QPA_PLATFORM=xcb", VersionText()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.args) + " with " + c.display);
    RunFolder folder;
    folder.WriteFile("preise.csv", testing_support::kPriceFile);
    const std::string before = ReadFileBytes(folder.database());
    const Result result = RunProgram(folder, Settings(folder), c.args, c.display);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFileBytes(folder.database()), before);
  }
}

}  // namespace
}  // namespace app
