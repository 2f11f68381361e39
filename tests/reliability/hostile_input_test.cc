// Broken and hostile input: names that carry SQL, absurd line lengths, binary
// garbage, endless blank lines, a price file, settings file or database that
// is not what it should be. The run either prices the good lines correctly or
// stops with a message; Numbers is never damaged.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ini_settings_store.h"
#include "app/run_update.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/reliability/database_dump.h"
#include "tests/reliability/program_run.h"
#include "tests/support/recording_view.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using app::IniSettingsStore;
using app::kFinishedMessage;
using app::NumberFormat;
using app::RunOutcome;
using app::RunUpdate;
using app::SettingsStore;
using testing_support::CurrentFolder;
using testing_support::MapSettingsStore;
using testing_support::ReadFileBytes;
using testing_support::RecordingView;
using testing_support::RunFolder;
using Rows = std::vector<std::vector<std::string>>;

struct RunRecord {
  RunOutcome outcome;
  std::vector<std::string> messages;
};

RunRecord RunWith(const RunFolder& folder, const SettingsStore& store) {
  RecordingView view;
  const CurrentFolder here(folder.path());
  const RunOutcome outcome = RunUpdate(store, NumberFormat{}, view);
  return {outcome, view.Messages()};
}

// The checks of the whole file are off: these runs look at how each line is
// handled, and most of their files are far from a price list.
RunRecord RunIn(const RunFolder& folder) {
  return RunWith(folder, MapSettingsStore({{"MwSt", "19"},
                                           {"DB Path", folder.path().string()},
                                           {"Pruefung/MaxFehlerhafteZeilen", "100"},
                                           {"Pruefung/MaxWegfall", "100"}}));
}

// Numbers after a run that priced only these lines by computation (margin
// 60, VAT 19, minimum 0.1) and kept the domestic rows of the fixture.
Rows ComputedRowsAndKeptDomestic(const Rows& computed) {
  Rows rows = computed;
  rows.push_back({"030", "Deutschland Festnetz", "0.0500", "0.0100", "0", "NULL", "1"});
  rows.push_back({"089", "Deutschland Festnetz", "0.0500", "0.0100", "0", "NULL", "1"});
  rows.push_back({"11833", "Auskunft", "1.9900", "0.9000", "0", "NULL", "1"});
  std::sort(rows.begin(), rows.end());
  return rows;
}

const std::vector<std::string> kFalscheDatei = {"Falsche Datei", "Fehler:"};

// Deterministic bytes of every value 0..255.
std::string Garbage(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<char>(seed >> 24);
  }
  return bytes;
}

TEST(HostileInputTest, NamesCarryingSqlArePricedAndStoredLiterally) {
  RunFolder folder(
      std::string(testing_support::kNumbersSchema) +
      "INSERT INTO Numbers VALUES ('0044', 'O''Brien', 0.77, 0.3, 0, NULL, 1), "
      "('030', 'x''; DROP TABLE Numbers; --', 0.55, 0.2, 0, NULL, 1);");
  folder.WriteFile("preise.csv",
                   "#Vorwahl;Ziel;Preis\r\n"
                   "0044;O'Brien;0,3\r\n"  // the name matches the current list
                   "0045;x' OR '1'='1;0,05\r\n"
                   "0046;Robert') DROP TABLE Numbers--;0,2\r\n"
                   "0047;100% [Netz]_x;0,5\r\n"
                   "0048;%;1\r\n"
                   "0050;_;0,3\r\n"
                   "0051;[a-z]*;0,05\r\n"
                   "0052;x' OR '1'='1 Mobil;0,05\r\n");  // leading name, same price
  const RunRecord run = RunIn(folder);
  ASSERT_EQ(run.outcome, RunOutcome::kCommitted) << run.messages.at(0);
  EXPECT_EQ(folder.Tables(), std::vector<std::string>{"Numbers"});
  EXPECT_EQ(
      folder.Numbers(),
      (Rows{
          {"0044", "O'Brien", "0.7700", "0.3000", "0", "NULL", "1"},
          {"0045", "x' OR '1'='1", "0.1000", "0.0500", "0", "NULL", "1"},
          {"0046", "Robert') DROP TABLE Numbers--", "0.3900", "0.2000", "0", "NULL", "1"},
          {"0047", "100% [Netz]_x", "0.9600", "0.5000", "0", "NULL", "1"},
          {"0048", "%", "1.9100", "1.0000", "0", "NULL", "1"},
          {"0050", "_", "0.5800", "0.3000", "0", "NULL", "1"},
          {"0051", "[a-z]*", "0.1000", "0.0500", "0", "NULL", "1"},
          {"0052", "x' OR '1'='1 Mobil", "0.1000", "0.0500", "0", "NULL", "1"},
          {"030", "x'; DROP TABLE Numbers; --", "0.5500", "0.2000", "0", "NULL", "1"},
      }));
}

struct OddFile {
  const char* name;
  std::string bytes;
  Rows rows;  // the rows the odd part adds to Numbers
  // A field too long for its column: the import may stop the run instead
  // of leaving the line out.
  bool may_stop = false;
};

class OddPriceFileTest : public testing::TestWithParam<OddFile> {};

// Around the odd part lie two good lines; they must come out priced as
// always, whatever the odd part did, or the run stops and keeps Numbers.
TEST_P(OddPriceFileTest, TheGoodLinesArePricedAndNothingElseGetsIn) {
  RunFolder folder;
  folder.WriteFile("preise.csv", "#Vorwahl;Ziel;Preis\r\n0061;Australien;0,01\r\n" +
                                     GetParam().bytes + "\r\n0062;Kokosinseln;0,2\r\n");
  const std::string before = DumpDatabase(folder.database());
  const RunRecord run = RunIn(folder);
  if (GetParam().may_stop && run.outcome == RunOutcome::kStopped) {
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_TRUE(run.messages[0].starts_with("Fehler: Zeile ")) << run.messages[0];
    EXPECT_EQ(DumpDatabase(folder.database()), before);
    return;
  }
  ASSERT_EQ(run.outcome, RunOutcome::kCommitted) << run.messages.at(0);
  EXPECT_EQ(run.messages, std::vector<std::string>{kFinishedMessage});
  EXPECT_EQ(folder.Tables(), std::vector<std::string>{"Numbers"});
  Rows rows = GetParam().rows;
  rows.push_back({"0061", "Australien", "0.1000", "0.0100", "0", "NULL", "1"});
  rows.push_back({"0062", "Kokosinseln", "0.3900", "0.2000", "0", "NULL", "1"});
  EXPECT_EQ(folder.Numbers(), ComputedRowsAndKeptDomestic(rows));
}

// Garbage lines in which no field can be a numeric prefix.
std::string GarbageLines() {
  std::string lines;
  for (uint32_t i = 0; i < 2000; ++i) lines += "x" + Garbage(40, i) + "\n";
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OddPriceFileTest,
    testing::Values(
        OddFile{"TenMegabyteLineWithoutFields", std::string(10 << 20, 'A'), {}},
        OddFile{
            "TenMegabyteName", "0099;" + std::string(10 << 20, 'B') + ";0,05", {}, true},
        OddFile{
            "TenMegabytePrefix", std::string(10 << 20, '7') + ";Riesig;0,05", {}, true},
        OddFile{"TenMegabytePrice",
                "0099;Riesig;0," + std::string(10 << 20, '5'),
                {{"0099", "Riesig", "1.0600", "0.5556", "0", "NULL", "1"}}},
        OddFile{"MillionBlankLines",
                std::string(1000000, '\n') + std::string(1000000, '\r'),
                {}},
        OddFile{"BlanksAndTabsOnly", std::string(100000, ' ') + "\t\t", {}},
        OddFile{"BinaryGarbageWithoutLineEnds", Garbage(1 << 16, 7), {}, true},
        OddFile{"BinaryGarbageLines", GarbageLines(), {}},
        OddFile{"NulBytes",
                std::string(1000, '\0') + "\n0099\0;x;0,05\n" + std::string(5, '\0'),
                {}},
        OddFile{"PriceAboveThree", "0099;Teuer;3,0001", {}},
        // Not UTF-8: read as Windows-1252, byte for byte.
        OddFile{"OverlongUtf8AndLoneSurrogates",
                "0099;\xC0\xAF\xED\xA0\x80\xF8\x88\x80\x80\x80;x",
                {{"0099", "\u00C0\u00AF\u00ED\u00A0\u20AC\u00F8\u02C6\u20AC\u20AC\u20AC",
                  "0.1000", "0.0000", "0", "NULL", "1"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostileInputTest, GarbageWithoutHeaderIsRejectedAndNumbersKept) {
  RunFolder folder;
  folder.WriteFile("preise.csv", Garbage(1 << 20, 3));
  const std::string before = DumpDatabase(folder.database());
  const RunRecord run = RunIn(folder);
  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  EXPECT_EQ(run.messages, kFalscheDatei);
  EXPECT_EQ(DumpDatabase(folder.database()), before);
}

TEST(HostileInputTest, APriceFileThatIsAFolderIsRejectedWithTheReason) {
  RunFolder folder;
  fs::create_directory(folder.path() / "preise.csv");
  const std::string before = DumpDatabase(folder.database());
  const RunRecord run = RunIn(folder);
  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  ASSERT_EQ(run.messages.size(), 2u);
  EXPECT_EQ(run.messages[0], "Falsche Datei");
  EXPECT_TRUE(run.messages[1].starts_with("Fehler:") && run.messages[1].size() > 8)
      << run.messages[1];
  EXPECT_EQ(DumpDatabase(folder.database()), before);
}

// File permissions bind only a user who is not root: as root the program runs
// as "nobody".
std::optional<unsigned> UnprivilegedUser() {
  if (geteuid() != 0) return std::nullopt;
  return 65534u;
}

TEST(HostileInputTest, AnUnreadablePriceFileIsRejectedWithTheReason) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const fs::path settings = WriteSettings(folder.path() / "settings.ini", folder.path());
  fs::permissions(folder.path() / "preise.csv", fs::perms::none);
  fs::permissions(folder.database(), fs::perms::all);
  fs::permissions(folder.path(), fs::perms::all);
  const std::string before = ReadFileBytes(folder.database());
  const ProgramResult result = RunProgram(folder.path(), settings, {},
                                          std::chrono::seconds(60), UnprivilegedUser());
  if (result.exit_status == 125) GTEST_SKIP() << "cannot switch to the user nobody";
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.output.find("Falsche Datei\r\n  Grund: Die Preisdatei konnte nicht "
                               "gelesen werden.\r\nFehler:Kann nicht öffnen: preise.csv: "
                               "Keine Berechtigung"),
            std::string::npos)
      << result.output;
  EXPECT_EQ(ReadFileBytes(folder.database()), before);
}

struct OddSettings {
  const char* name;
  std::string text;  // "<folder>" stands for the database folder
  const char* message_start;
};

class OddSettingsTest : public testing::TestWithParam<OddSettings> {};

TEST_P(OddSettingsTest, TheRunStopsBeforeOpeningAnything) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  std::string text = GetParam().text;
  if (const size_t at = text.find("<folder>"); at != std::string::npos)
    text.replace(at, 8, folder.path().string());
  folder.WriteFile("settings.ini", text);
  const std::string before = ReadFileBytes(folder.database());
  const RunRecord run = RunWith(folder, IniSettingsStore(folder.path() / "settings.ini"));
  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_TRUE(run.messages[0].starts_with(GetParam().message_start)) << run.messages[0];
  EXPECT_EQ(ReadFileBytes(folder.database()), before);
  EXPECT_FALSE(fs::exists(folder.path() / "Numbers.mdb-journal"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, OddSettingsTest,
    testing::Values(
        OddSettings{"BinaryGarbage", Garbage(4096, 11), ""},
        OddSettings{"VatIsAWord", "[Options]\nMwSt=neunzehn\nDB Path=<folder>\n",
                    "Die Einstellung \"MwSt\""},
        OddSettings{"MarginIsHuge",
                    "[Options]\nMwSt=19\nRatingDefaultMargin=1e999\nDB Path=<folder>\n",
                    "Die Einstellung \"RatingDefaultMargin\""},
        OddSettings{"MinimumRateIsText",
                    "[Options]\nMwSt=19\nMinimumRatePerMinute='; DROP TABLE Numbers; --\n"
                    "DB Path=<folder>\n",
                    "Die Einstellung \"MinimumRatePerMinute\""},
        OddSettings{"UnclosedSection", "[Options\nMwSt=19\nDB Path=<folder>\n", ""},
        OddSettings{
            "MegabyteLine",
            "[Options]\nMwSt=19\nDB Path=<folder>\n" + std::string(1 << 20, 'x') + "\n",
            ""},
        OddSettings{"DatabaseFolderMissing",
                    "[Options]\nMwSt=19\nDB Path=<folder>/nirgends\n",
                    "Datenbank Numbers.mdb konnte nicht geöffnet werden!"},
        OddSettings{"DatabaseFolderIsAFile",
                    "[Options]\nMwSt=19\nDB Path=<folder>/preise.csv\n",
                    "Datenbank Numbers.mdb konnte nicht geöffnet werden!"}),
    [](const auto& info) { return std::string(info.param.name); });

struct OddDatabase {
  const char* name;
  // Makes the odd Numbers.mdb from the bytes of a good one.
  std::string (*bytes)(const std::string& good);
};

class OddDatabaseTest : public testing::TestWithParam<OddDatabase> {};

TEST_P(OddDatabaseTest, OpeningFailsWithTheMessageAndTheFileStaysAsItWas) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const std::string odd = GetParam().bytes(ReadFileBytes(folder.database()));
  folder.WriteFile("Numbers.mdb", odd);
  const RunRecord run = RunIn(folder);
  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  EXPECT_EQ(run.messages, std::vector<std::string>{
                              "Datenbank Numbers.mdb konnte nicht geöffnet werden!"});
  EXPECT_EQ(ReadFileBytes(folder.database()), odd);
  EXPECT_FALSE(fs::exists(folder.path() / "Numbers.mdb-journal"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, OddDatabaseTest,
    testing::Values(
        OddDatabase{"Empty", [](const std::string&) { return std::string(); }},
        OddDatabase{"Text", [](const std::string&) { return std::string("Numbers\n"); }},
        OddDatabase{"Garbage", [](const std::string&) { return Garbage(1 << 16, 5); }},
        OddDatabase{"HeaderOnly",
                    [](const std::string& good) { return good.substr(0, 100); }},
        OddDatabase{
            "TruncatedToHalf",
            [](const std::string& good) { return good.substr(0, good.size() / 2); }},
        OddDatabase{"GarbageAfterTheHeader",
                    [](const std::string& good) {
                      return good.substr(0, 100) + Garbage(good.size() - 100, 9);
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostileInputTest, ANumbersMdbThatIsAFolderCannotBeOpened) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  fs::remove(folder.database());
  fs::create_directory(folder.database());
  const RunRecord run = RunIn(folder);
  EXPECT_EQ(run.outcome, RunOutcome::kStopped);
  EXPECT_EQ(run.messages, std::vector<std::string>{
                              "Datenbank Numbers.mdb konnte nicht geöffnet werden!"});
  EXPECT_TRUE(fs::is_directory(folder.database()));
}

}  // namespace
}  // namespace reliability
