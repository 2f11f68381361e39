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
#include <iostream>
#include <optional>
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

class CrashTest : public KillSeriesTest {};

TEST_F(CrashTest, KilledRunsLeaveNumbersWholeAndTheNextRunRecovers) {
  const int lines = EnvironmentNumber("RELIABILITY_CRASH_LINES", 15000);
  const int kills = EnvironmentNumber("RELIABILITY_CRASH_KILLS", 10);
  const bench::Deck deck = bench::GenerateDeck(lines, 1);
  fs::create_directories(input());
  bench::WritePriceFile(input() / "preise.csv", deck);
  bench::WriteNumbersDatabase(input() / "Numbers.mdb", deck);
  const std::string before = DumpDatabase(input() / "Numbers.mdb");
  const std::string before_bytes =
      testing_support::ReadFileBytes(input() / "Numbers.mdb");

  // The uninterrupted run, and a second one on its result (what a run after
  // a kill that came too late to stop the commit must give).
  const fs::path reference = FreshRunFolder("reference");
  const std::optional<RunTimes> times = TimesOfCompleteRun(RunToTheEnd(reference));
  ASSERT_TRUE(times);
  const std::string after = DumpDatabase(reference / "Numbers.mdb");
  ASSERT_NE(after, before);
  ASSERT_EQ(RunToTheEnd(reference).exit_status, 0);
  const std::string after_twice = DumpDatabase(reference / "Numbers.mdb");

  std::ostringstream report;
  report << lines << " lines; " << TimesText(*times) << "\n";
  int index = 0, before_commit = 0;
  for (const KillPoint& point :
       Spread(AllKillPoints(times->import, times->commit), kills)) {
    SCOPED_TRACE(point.name);
    const fs::path folder = FreshRunFolder("kill-" + std::to_string(++index));
    const ProgramResult killed = RunUntil(folder, point.reached);
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

    report << KillLine(index, point, killed) << "; journal "
           << (journal ? "left" : "none") << (written ? ", file written" : "")
           << "; Numbers " << (committed ? "new" : "old") << "\n";
  }
  EXPECT_GT(before_commit, 0) << "no kill landed before the commit";
  std::cout << report.str();
}

}  // namespace
}  // namespace reliability
