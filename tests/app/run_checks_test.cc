// The checks of the new list before the commit, their settings and option,
// and the summary every run ends with. Each check runs on an SQLite file and
// on a copy of a Jet 4 file with price files made from its own list.

#include "app/run_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/run_update.h"
#include "db/open_database.h"
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
using Settings = std::map<std::string, std::string>;

TEST(CheckLimitsTest, WholePercentFromZeroToHundredOrAMessageNamingKeyAndValue) {
  const struct {
    const char* key;
    const char* value;
    int expected;  // -1: a settings error
  } cases[] = {
      {kMaxMalformedKey, "0", 0},     {kMaxMalformedKey, " 12 ", 12},
      {kMaxRemovedKey, "100", 100},   {kMaxRemovedKey, "007", 7},
      {kMaxMalformedKey, "101", -1},  {kMaxMalformedKey, "-1", -1},
      {kMaxRemovedKey, "5 %", -1},    {kMaxRemovedKey, "2,5", -1},
      {kMaxRemovedKey, "", -1},       {kMaxMalformedKey, "fünf", -1},
      {kMaxMalformedKey, "1000", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    const CheckLimitsOrMessage read = ReadCheckLimits(
        MapSettingsStore({{std::string(kChecksSection) + "/" + c.key, c.value}}));
    if (c.expected < 0) {
      EXPECT_FALSE(read.limits);
      EXPECT_EQ(read.message.rfind(std::string("Die Einstellung \"") + c.key +
                                       "\" im Abschnitt [Pruefung] ist keine ganze "
                                       "Zahl von 0 bis 100: \"" +
                                       c.value + "\".",
                                   0),
                0u)
          << read.message;
      continue;
    }
    ASSERT_TRUE(read.limits) << read.message;
    const bool malformed = std::string(c.key) == kMaxMalformedKey;
    EXPECT_EQ(read.limits->max_malformed_percent, malformed ? c.expected : 5);
    EXPECT_EQ(read.limits->max_removed_percent, malformed ? 30 : c.expected);
  }
}

// ---- Runs ------------------------------------------------------------------

struct CheckRun {
  RunResult result;
  RecordingView view;
  const std::string& Detail() const { return view.events.back().detail; }
};

CheckRun RunWith(const fs::path& folder, const RunOptions& options,
                 const Settings& more_settings = {}) {
  const CurrentFolder current(folder);
  Settings settings = testing_support::SettingsFor(folder);
  settings.insert(more_settings.begin(), more_settings.end());
  CheckRun run;
  run.result =
      RunUpdate(MapSettingsStore(settings), NumberFormat{","}, run.view, options);
  return run;
}

// The international prefixes of the Numbers.mdb in `folder` with their
// names, read as the run reads them; the domestic ones stay without a line.
std::vector<pricing::PriceListRow> InternationalRows(const fs::path& folder) {
  RecordingView view;
  const auto connection =
      db::OpenDatabase(folder.string() + "/", "Numbers.mdb", view, false);
  if (!connection) {
    ADD_FAILURE() << "cannot open " << folder;
    return {};
  }
  std::vector<pricing::PriceListRow> rows;
  for (pricing::PriceListRow& row : pricing::ReadPriceList(*connection))
    if (row.number.starts_with("00") && !row.number.starts_with("0049"))
      rows.push_back(std::move(row));
  db::CloseDatabase(connection.get());
  return rows;
}

// A price file, UTF-8, for the rows: each line made by `line` (empty: left
// out), CR LF after each but, with `cut_off`, the last.
std::string PriceFile(const std::vector<pricing::PriceListRow>& rows,
                      const std::function<std::string(size_t, const std::string&,
                                                      const std::string&)>& line,
                      bool cut_off = false) {
  std::string file = "#Vorwahl;Ziel;Preis\r\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string text = line(i, rows[i].number, rows[i].name);
    if (!text.empty()) file += text + "\r\n";
  }
  if (cut_off) file.resize(file.size() - 2);
  return file;
}

std::string GoodLine(size_t, const std::string& prefix, const std::string& name) {
  return prefix + ";" + name + ";0,05";
}

// 40 international prefixes: few enough that four bad lines are 10 %.
void MakeSqliteFile(const fs::path& folder) {
  std::string sql = std::string(testing_support::kNumbersSchema) +
                    "INSERT INTO Numbers (Number, Name, Price_EUR, Rate_EK, GraceTime) "
                    "VALUES ";
  for (int i = 0; i < 40; ++i)
    sql += std::string(i == 0 ? "" : ", ") + "('00" + std::to_string(300 + i) +
           "', 'Land " + std::to_string(i) + "', 0.12, 0.05, 0)";
  testing_support::RunSqlite(folder / "Numbers.mdb", sql + ";");
}

struct DatabaseKind {
  const char* name;
  void (*make)(const fs::path& folder);
};
const DatabaseKind kKinds[] = {{"SQLite file", MakeSqliteFile},
                               {"Jet 4 file", testing_support::CopyJetNumbersFile}};

struct FileCase {
  const char* name;
  std::function<std::string(const std::vector<pricing::PriceListRow>&)> file;
  Settings settings;
  std::vector<std::string> reason_parts;  // in the detail of "Falsche Datei"
};

const FileCase kWrongFiles[] = {
    {"saved comma-separated",
     [](const auto& rows) {
       return PriceFile(rows,
                        [](size_t, const std::string& prefix, const std::string& name) {
                          return prefix + "," + name + ",0,05";
                        });
     },
     {},
     {" Datenzeilen (100 %) sind keine Zeilen einer Preisliste; erlaubt sind 5 % "
      "(MaxFehlerhafteZeilen):\n  Zeile 2 (weniger als drei durch ';' getrennte "
      "Felder): ",
      "Die Zeilen haben kein ';', aber Kommas oder Tabulatoren"}},
    {"saved by a spreadsheet, leading zeros lost",
     [](const auto& rows) {
       return PriceFile(rows,
                        [](size_t, const std::string& prefix, const std::string& name) {
                          return prefix.substr(2) + ";" + name + ";0,05";
                        });
     },
     {},
     {" bisherige Vorwahlen (", ") fielen weg; erlaubt sind 30 % (MaxWegfall).\n",
      "Den Vorwahlen der Datei fehlen die führenden Nullen (",
      "in einer Tabellenkalkulation"}},
    {"a missing price, 0,09x5, -0,095 and a cut-off last line",
     [](const auto& rows) {
       return PriceFile(
           rows,
           [&rows](size_t i, const std::string& prefix, const std::string& name) {
             if (i == 0) return prefix + ";" + name + ";";
             if (i == 1) return prefix + ";" + name + ";0,09x5";
             if (i == 2) return prefix + ";" + name + ";-0,095";
             if (i + 1 == rows.size()) return prefix + ";" + name.substr(0, 2);
             return GoodLine(i, prefix, name);
           },
           true);
     },
     {{"Pruefung/MaxFehlerhafteZeilen", "1"}},
     {" Datenzeilen (", ") sind keine Zeilen einer Preisliste; erlaubt sind 1 %",
      "  Zeile 2 (Preis fehlt): ", ";\n  Zeile 3 (Preis ist keine Zahl): ",
      ";0,09x5\n  Zeile 4 (Preis negativ): ", ";-0,095\n  Zeile ",
      " (weniger als drei durch ';' getrennte Felder): "}},
    {"a list that shrinks",
     [](const auto& rows) {
       return PriceFile(
           rows, [&rows](size_t i, const std::string& prefix, const std::string& name) {
             return i < rows.size() / 2 ? GoodLine(i, prefix, name) : std::string();
           });
     },
     {},
     {" Vorwahlen statt bisher ",
      ") fielen weg; erlaubt sind 30 % (MaxWegfall).\n"
      "Die Preisliste bleibt, wie sie war."}},
};

// Each wrong file stops the run before the commit: "Falsche Datei" with the
// reasons, Numbers and the folder as they were (no copy of the Jet file, no
// backup, no change list), exit status 1.
TEST(RunChecksTest, EachWrongFileStopsTheRunAndLeavesTheFolderAsItWas) {
  for (const DatabaseKind& kind : kKinds) {
    for (const FileCase& c : kWrongFiles) {
      SCOPED_TRACE(std::string(kind.name) + ", " + c.name);
      const TempDir folder;
      kind.make(folder.path());
      folder.WriteFile("preise.csv", c.file(InternationalRows(folder.path())));
      const std::string before = ReadFileBytes(folder.path() / "Numbers.mdb");
      const std::set<std::string> files_before = FolderNames(folder.path());

      const CheckRun run = RunWith(folder.path(), {false, "changes.csv"}, c.settings);
      EXPECT_EQ(run.result.outcome, RunOutcome::kStopped);
      EXPECT_EQ(ExitStatus(run.result), 1);
      ASSERT_EQ(run.view.Messages(), std::vector<std::string>{"Falsche Datei"})
          << run.Detail();
      EXPECT_EQ(run.view.events.back().icon, Icon::kError);
      for (const std::string& part : c.reason_parts)
        EXPECT_NE(run.Detail().find(part), std::string::npos)
            << "missing: " << part << "\nin: " << run.Detail();
      EXPECT_EQ(ReadFileBytes(folder.path() / "Numbers.mdb"), before);
      EXPECT_EQ(FolderNames(folder.path()), files_before);
    }
  }
}

// A dry run shows what would stop a real run and exits with 1; the option
// lets the same file through, saying what the checks found; a limit of 100
// switches the check off.
TEST(RunChecksTest, DryRunShowsTheStopTheOptionAndALimitOfHundredLetTheFileThrough) {
  for (const DatabaseKind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const TempDir folder;
    kind.make(folder.path());
    const auto rows = InternationalRows(folder.path());
    folder.WriteFile("preise.csv", kWrongFiles[3].file(rows));  // shrinks
    const std::string before = ReadFileBytes(folder.path() / "Numbers.mdb");

    const CheckRun dry = RunWith(folder.path(), {true, {}});
    EXPECT_EQ(dry.result.outcome, RunOutcome::kDryRun);
    EXPECT_EQ(ExitStatus(dry.result), 1);
    EXPECT_EQ(dry.view.Messages(), std::vector<std::string>{kDryRunFinishedMessage});
    EXPECT_EQ(dry.view.events.back().icon, Icon::kError);
    EXPECT_EQ(dry.Detail().rfind("Ein echter Lauf hielte hier an: Falsche Datei\n", 0),
              0u)
        << dry.Detail();
    EXPECT_NE(dry.Detail().find("\nVorwahlen: "), std::string::npos);
    EXPECT_EQ(ReadFileBytes(folder.path() / "Numbers.mdb"), before);

    const CheckRun off =
        RunWith(folder.path(), {true, {}}, {{"Pruefung/MaxWegfall", "100"}});
    EXPECT_EQ(ExitStatus(off.result), 0);
    EXPECT_EQ(off.Detail().rfind("Preisdatei: ", 0), 0u) << off.Detail();

    const CheckRun forced = RunWith(folder.path(), {false, {}, true});
    EXPECT_EQ(forced.result.outcome, RunOutcome::kCommitted);
    EXPECT_EQ(ExitStatus(forced.result), 0);
    EXPECT_EQ(forced.view.Messages(), std::vector<std::string>{kFinishedMessage});
    EXPECT_EQ(forced.Detail().rfind("Prüfung abgeschaltet (--ohne-pruefung); sie hätte "
                                    "den Lauf angehalten:\nDie neue Preisliste hätte ",
                                    0),
              0u)
        << forced.Detail();
    EXPECT_NE(ReadFileBytes(folder.path() / "Numbers.mdb"), before);
  }
}

// The right file passes on both kinds, and a few malformed lines below the
// limit are named in the summary.
TEST(RunChecksTest, TheRightFileCommitsWithFewMalformedLinesNamedInTheSummary) {
  for (const DatabaseKind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const TempDir folder;
    kind.make(folder.path());
    const auto rows = InternationalRows(folder.path());
    folder.WriteFile(
        "preise.csv",
        PriceFile(rows, [](size_t i, const std::string& prefix, const std::string& name) {
          return i == 5 ? prefix + ";" + name + ";0,09x5" : GoodLine(i, prefix, name);
        }));
    const CheckRun run = RunWith(folder.path(), {});
    ASSERT_EQ(run.result.outcome, RunOutcome::kCommitted) << run.Detail();
    const std::string lines = "\nZeilen: " + std::to_string(rows.size()) + " gelesen, " +
                              std::to_string(rows.size()) +
                              " übernommen, 0 ausgelassen (0 Einkaufspreis über 3, 0 "
                              "Vorwahl keine Zahl), 1 fehlerhaft (Zeile 7).\nVorwahlen: ";
    EXPECT_NE(run.Detail().find(lines), std::string::npos) << run.Detail();
  }
}

// ---- The summary -------------------------------------------------------------

TEST(RunSummaryTest, EveryRunNamesThePriceFileAndCountsItsLines) {
  RunFolder folder;
  folder.WriteFile("preise.csv",
                   "#Vorwahl;Ziel;Preis\r\n"
                   "0044;Großbritannien;0,04\r\n"
                   "0045;Dänemark;3,5\r\n"     // above 3: left out
                   "#X;Irgendwas;1\r\n"        // no number: left out, malformed
                   "0046;Schweden;0,09x5\r\n"  // taken as 0.09, malformed
                   "0047;Norwegen\r\n"         // too few fields: left out, malformed
                   "0043;Österreich;0,07\r\n");
  const CheckRun run =
      RunWith(folder.path(), {}, {{"Pruefung/MaxFehlerhafteZeilen", "100"}});
  ASSERT_EQ(run.result.outcome, RunOutcome::kCommitted) << run.Detail();
  EXPECT_EQ(run.view.Messages(), std::vector<std::string>{kFinishedMessage});
  EXPECT_EQ(run.view.events.back().icon, Icon::kInformation);
  const std::regex expected("Preisdatei: " +
                            std::regex_replace((folder.path() / "preise.csv").string(),
                                               std::regex(R"([.\\^$|()\[\]{}*+?])"),
                                               R"(\$&)") +
                            R"( \(\d+ Bytes, geändert am \d\d\.\d\d\.\d{4} um \d\d:\d\d\)
Zeilen: 6 gelesen, 3 übernommen, 3 ausgelassen \(1 Einkaufspreis über 3, 2 Vorwahl keine Zahl\), 3 fehlerhaft \(Zeilen 4, 5, 6\)\.
Vorwahlen: [^\n]*
Preise gefunden: [^\n]*
Unter dem Einkaufspreis: [^\n]*
)");
  EXPECT_TRUE(std::regex_match(run.Detail(), expected)) << run.Detail();
}

TEST(RunSummaryTest, AFileFromBesideTheProgramIsSaidToBeSo) {
  const TempDir folder;
  const fs::path file = folder.WriteFile("preise.csv", "#Vorwahl;Ziel;Preis\r\n");
  price_import::PriceFileSeen seen{file, {}};
  const std::string text = PriceFileSummary(seen);
  EXPECT_NE(text.find("\n  aus dem Ordner des Programms: im aktuellen Ordner lag keine "
                      "preise.csv\nZeilen: 0 gelesen"),
            std::string::npos)
      << text;
  seen.path = "preise.csv";  // from the current folder, as LocatePriceFile gives it
  const CurrentFolder current(folder.path());
  EXPECT_EQ(PriceFileSummary(seen).find("aus dem Ordner des Programms"),
            std::string::npos);
}

// A bad setting stops the run before the database is opened.
TEST(RunChecksTest, ABadLimitStopsBeforeTheDatabaseIsOpened) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const CheckRun run = RunWith(folder.path(), {}, {{"Pruefung/MaxWegfall", "30%"}});
  EXPECT_EQ(run.result.outcome, RunOutcome::kStopped);
  ASSERT_EQ(run.view.events.size(), 1u);
  EXPECT_EQ(run.view.events[0].text,
            "Die Einstellung \"MaxWegfall\" im Abschnitt [Pruefung] ist keine ganze Zahl "
            "von 0 bis 100: \"30%\". Bitte eine Prozentzahl eintragen (100 schaltet die "
            "Prüfung ab), z. B. MaxWegfall=30.");
}

}  // namespace
}  // namespace app
