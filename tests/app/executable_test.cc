// The built program in console mode, as an operator without a display runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/app/run_folder.h"

namespace app {
namespace {

using testing_support::ReadFileBytes;
using testing_support::RunFolder;

struct Result {
  int exit_status = -1;
  std::string out, err;
};

// Runs the program in the folder with the settings file written there.
Result RunProgram(const RunFolder& folder, const std::string& settings) {
  folder.WriteFile("update-preisliste.ini", settings);
  const std::string dir = folder.path().string();
  const std::string command = "cd '" + dir + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                              "UPDATE_PREISLISTE_SETTINGS='" + dir +
                              "/update-preisliste.ini' '" UPDATE_PREISLISTE_EXE +
                              "' >out.txt 2>err.txt";
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
  EXPECT_EQ(result.out, "Fertig!\n");  // no progress line: stdout is no terminal
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
  EXPECT_EQ(result.err, "Falsche Datei\nFehler:\n");
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

}  // namespace
}  // namespace app
