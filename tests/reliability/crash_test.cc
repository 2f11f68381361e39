// Kills the built program with SIGKILL at moments spread over a whole run and
// checks that Numbers is exactly as before (or, once the commit has begun,
// exactly the new list), and that the next run recovers the file and gives the
// result of a run that was never interrupted.
//
// RELIABILITY_CRASH_LINES (default 15000) sets the size of the generated
// input, RELIABILITY_CRASH_KILLS (default 10) the number of kill points;
// scripts/crashtest runs the large version.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/deck.h"
#include "bench/deck_files.h"
#include "tests/reliability/database_dump.h"
#include "tests/reliability/program_run.h"
#include "tests/support/test_files.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using Clock = ProgressState::Clock;
using testing_support::TempDir;

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

struct KillPoint {
  std::string name;
  KillDecision reached;
};

std::string MillisecondsText(Clock::duration duration) {
  return std::to_string(
             std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()) +
         " ms";
}

// A share of the time from the start to the import's end in an uninterrupted
// run: the import draws its progress too rarely to aim by it.
KillPoint DuringImport(double share, Clock::duration import_time) {
  const auto delay = std::chrono::duration_cast<Clock::duration>(import_time * share);
  return {"import, start +" + MillisecondsText(delay), [delay](const ProgressState& s) {
            return s.import_finished || s.now - s.started_at >= delay;
          }};
}

KillPoint AtPipelineOverall(int overall) {
  return {"pipeline, overall " + std::to_string(overall) + " %",
          [overall](const ProgressState& s) {
            return s.pipeline_started && s.overall >= overall;
          }};
}

// Half-way through one of the two record loops, which show their row
// position on the action bar while the overall bar stands still.
KillPoint InRecordLoop(int overall) {
  return {"record loop at overall " + std::to_string(overall) + " %, action 50 %",
          [overall](const ProgressState& s) {
            return s.pipeline_started &&
                   ((s.overall == overall && s.action >= 50 && s.action < 100) ||
                    s.overall > overall);
          }};
}

// A share of the time between the pipeline's end and the program's exit of an
// uninterrupted run: the commit happens in it.
KillPoint InCommit(double share, Clock::duration commit_time) {
  const auto delay = std::chrono::duration_cast<Clock::duration>(commit_time * share);
  return {"pipeline end +" + MillisecondsText(delay), [delay](const ProgressState& s) {
            return s.pipeline_finished_at && s.now - *s.pipeline_finished_at >= delay;
          }};
}

std::vector<KillPoint> AllKillPoints(Clock::duration import_time,
                                     Clock::duration commit_time) {
  std::vector<KillPoint> points;
  for (double share : {0.2, 0.35, 0.5, 0.65, 0.8, 0.95})
    points.push_back(DuringImport(share, import_time));
  for (int overall : {5, 7, 10, 13, 15, 17, 19, 22, 25, 30, 32, 35, 40, 45}) {
    points.push_back(AtPipelineOverall(overall));
  }
  points.push_back(InRecordLoop(45));
  points.push_back(AtPipelineOverall(70));
  points.push_back(InRecordLoop(70));
  for (int overall : {80, 82, 84, 86, 92, 94, 98, 99, 100})
    points.push_back(AtPipelineOverall(overall));
  for (double share : {0.1, 0.3, 0.5, 0.7, 0.9})
    points.push_back(InCommit(share, commit_time));
  return points;
}

// `count` of the points, spread evenly from the first to the last.
std::vector<KillPoint> Spread(std::vector<KillPoint> all, int count) {
  if (count >= static_cast<int>(all.size())) return all;
  std::vector<KillPoint> chosen;
  for (int i = 0; i < count; ++i) {
    const size_t index = count == 1 ? 0 : i * (all.size() - 1) / (count - 1);
    chosen.push_back(all[index]);
  }
  return chosen;
}

void CopyFolderFiles(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const char* name : {"Numbers.mdb", "Numbers.mdb-journal", "preise.csv"}) {
    if (fs::exists(from / name))
      fs::copy_file(from / name, to / name, fs::copy_options::overwrite_existing);
  }
}

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
