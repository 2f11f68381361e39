// Kills the built program with SIGKILL at moments spread over a whole run and
// checks that Numbers is exactly as before (or, once the commit has begun,
// exactly the new list), and that the next run recovers the file and gives the
// result of a run that was never interrupted.
//
// RELIABILITY_CRASH_LINES (default 15000) sets the size of the generated
// input, RELIABILITY_CRASH_KILLS (default 10) the number of kill points;
// scripts/crashtest runs the large version.

#include <gtest/gtest.h>

#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/deck.h"
#include "bench/deck_files.h"
#include "tests/reliability/database_dump.h"
#include "tests/reliability/kill_series.h"
#include "tests/reliability/program_run.h"
#include "tests/support/test_files.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using Clock = ProgressState::Clock;
using testing_support::TempDir;

class CrashTest : public testing::Test {
 protected:
  // A folder holding a copy of the generated input, with its settings file.
  fs::path FreshRunFolder(const std::string& name) {
    const fs::path folder = work_.path() / name;
    CopyFolderFiles(work_.path() / "input", folder);
    WriteSettings(folder / "settings.ini", folder);
    return folder;
  }

  ProgramResult RunToTheEnd(const fs::path& folder) {
    return RunProgram(folder, folder / "settings.ini", {});
  }

  TempDir work_;
};

TEST_F(CrashTest, KilledRunsLeaveNumbersWholeAndTheNextRunRecovers) {
  const int lines = EnvironmentNumber("RELIABILITY_CRASH_LINES", 15000);
  const int kills = EnvironmentNumber("RELIABILITY_CRASH_KILLS", 10);
  const bench::Deck deck = bench::GenerateDeck(lines, 1);
  fs::create_directories(work_.path() / "input");
  bench::WritePriceFile(work_.path() / "input" / "preise.csv", deck);
  bench::WriteNumbersDatabase(work_.path() / "input" / "Numbers.mdb", deck);
  const std::string before = DumpDatabase(work_.path() / "input" / "Numbers.mdb");
  const std::string before_bytes =
      testing_support::ReadFileBytes(work_.path() / "input" / "Numbers.mdb");

  // The uninterrupted run, and a second one on its result (what a run after
  // a kill that came too late to stop the commit must give).
  const fs::path reference = FreshRunFolder("reference");
  const ProgramResult first = RunToTheEnd(reference);
  ASSERT_EQ(first.exit_status, 0) << first.output;
  ASSERT_TRUE(first.last.import_finished_at && first.last.pipeline_finished_at)
      << "no progress line seen:\n"
      << first.output;
  const Clock::duration import_time =
      *first.last.import_finished_at - first.last.started_at;
  const Clock::duration commit_time = first.last.now - *first.last.pipeline_finished_at;
  const std::string after = DumpDatabase(reference / "Numbers.mdb");
  ASSERT_NE(after, before);
  ASSERT_EQ(RunToTheEnd(reference).exit_status, 0);
  const std::string after_twice = DumpDatabase(reference / "Numbers.mdb");

  std::ostringstream report;
  report << lines << " lines; uninterrupted run "
         << MillisecondsText(first.last.now - first.last.started_at) << ", import "
         << MillisecondsText(import_time) << ", pipeline end to exit "
         << MillisecondsText(commit_time) << "\n";
  int index = 0, before_commit = 0;
  for (const KillPoint& point : Spread(AllKillPoints(import_time, commit_time), kills)) {
    SCOPED_TRACE(point.name);
    const fs::path folder = FreshRunFolder("kill-" + std::to_string(++index));
    const ProgramResult killed =
        RunProgram(folder, folder / "settings.ini", point.reached);
    const bool journal = fs::exists(folder / "Numbers.mdb-journal");
    // Whether the kill caught the commit writing into the file itself, so
    // that only the journal can bring the old list back.
    const bool written =
        testing_support::ReadFileBytes(folder / "Numbers.mdb") != before_bytes;

    // What the next user of the file sees, after rolling back a hot journal.
    const fs::path inspected = work_.path() / ("inspect-" + std::to_string(index));
    CopyFolderFiles(folder, inspected);
    const std::string seen = DumpDatabase(inspected / "Numbers.mdb");
    const bool committed = seen == after;
    if (!committed) {
      EXPECT_EQ(seen, before) << "Numbers is neither the old nor the new list";
    }
    if (killed.killed && !killed.last.pipeline_finished_at) {
      EXPECT_FALSE(committed) << "committed before the pipeline had finished";
      ++before_commit;
    }
    if (!killed.killed) {
      EXPECT_EQ(killed.exit_status, 0) << killed.output;
    }

    // The program itself meets the hot journal on its next run.
    const ProgramResult next = RunToTheEnd(folder);
    EXPECT_EQ(next.exit_status, 0) << next.output;
    EXPECT_EQ(DumpDatabase(folder / "Numbers.mdb"), committed ? after_twice : after);
    EXPECT_FALSE(fs::exists(folder / "Numbers.mdb-journal"));

    report << std::setw(2) << index << ". " << std::left << std::setw(44) << point.name
           << std::right
           << (killed.killed ? " killed at action " : " ended itself, action ")
           << std::setw(3) << killed.last.action << " %, overall " << std::setw(3)
           << killed.last.overall << " %, " << std::setw(7)
           << MillisecondsText(killed.last.now - killed.last.started_at) << "; journal "
           << (journal ? "left" : "none") << (written ? ", file written" : "")
           << "; Numbers " << (committed ? "new" : "old") << "\n";
  }
  EXPECT_GT(before_commit, 0) << "no kill landed before the commit";
  std::cout << report.str();
}

}  // namespace
}  // namespace reliability
