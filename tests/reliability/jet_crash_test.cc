// Kills the built program with SIGKILL at moments spread over a whole run on
// a Jet Numbers.mdb, most densely in the commit (which writes a copy of the
// file, reads it back and renames it into place), and checks that the file is
// the old one byte for byte or a sound new one with the uninterrupted run's
// rows, and that the next run gives the result of a run never interrupted and
// removes the copy a kill left behind.
//
// RELIABILITY_CRASH_LINES sets the size of the generated input (default
// 15000, 3000 in the sanitizer build), RELIABILITY_CRASH_KILLS the number of
// kill points (default 12, 5 in the sanitizer build); scripts/crashtest jet
// runs the large version.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "tests/reliability/jet_deck.h"
#include "tests/reliability/kill_series.h"
#include "tests/reliability/program_run.h"
#include "tests/support/test_files.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using testing_support::SpelledRows;

#ifdef PREISLISTE_SANITIZED_BUILD
constexpr int kDefaultLines = 3000, kDefaultKills = 5;
#else
constexpr int kDefaultLines = 15000, kDefaultKills = 12;
#endif

// The temporary copies and backup stagings of Numbers.mdb in `folder`.
std::vector<std::string> TemporaryCopies(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("Numbers.mdb.tmp-")) names.push_back(name);
  }
  return names;
}

bool Exists(const fs::path& file) {
  std::error_code ignored;
  return fs::exists(file, ignored);
}

// Kill points aimed by what the commit leaves in the folder of the run being
// killed (*folder): its copy being written, the backup made (the original
// has a second name), the copy renamed over the original (the backup stays,
// the new file has one name) before the program has ended.
std::vector<KillPoint> CommitStepPoints(const fs::path* folder) {
  const auto backup_made = [folder] { return Exists(*folder / "Numbers.mdb.bak"); };
  return {
      {"commit, copy being written",
       [folder](const ProgressState&) { return !TemporaryCopies(*folder).empty(); }},
      {"commit, backup made",
       [backup_made](const ProgressState&) { return backup_made(); }},
      {"commit, copy renamed into place",
       [folder, backup_made](const ProgressState&) {
         std::error_code ignored;
         return backup_made() &&
                fs::hard_link_count(*folder / "Numbers.mdb", ignored) == 1;
       }},
  };
}

// The kill points of the whole run, a third of the others again spread over
// the time of the commit (it takes a good part of a Jet run), and the steps
// of the commit.
std::vector<KillPoint> JetKillPoints(const RunTimes& times, int kills,
                                     const fs::path* folder) {
  std::vector<KillPoint> steps = CommitStepPoints(folder);
  const int others = std::max(2, kills - static_cast<int>(steps.size()));
  const int in_commit = std::max(1, others / 3);
  std::vector<KillPoint> points =
      Spread(AllKillPoints(times.import, times.commit), others - in_commit);
  for (int i = 0; i < in_commit; ++i)
    points.push_back(InCommit((i + 0.5) / in_commit, times.commit));
  points.insert(points.end(), steps.begin(), steps.end());
  return points;
}

class JetCrashTest : public KillSeriesTest {};

TEST_F(JetCrashTest, KilledRunsLeaveTheOldFileOrASoundNewOneAndTheNextRunRecovers) {
  const int lines = EnvironmentNumber("RELIABILITY_CRASH_LINES", kDefaultLines);
  const int kills = EnvironmentNumber("RELIABILITY_CRASH_KILLS", kDefaultKills);
  WriteJetDeck(input(), bench::GenerateDeck(lines, 1));
  const std::string before_bytes =
      testing_support::ReadFileBytes(input() / "Numbers.mdb");
  const SpelledRows before = SoundJetNumbers(input() / "Numbers.mdb");

  // The uninterrupted run, and a second one on its result (what a run after
  // a kill that came too late to stop the rename must give).
  const fs::path reference = FreshRunFolder("reference");
  const std::optional<RunTimes> times = TimesOfCompleteRun(RunToTheEnd(reference));
  ASSERT_TRUE(times);
  const SpelledRows after = SoundJetNumbers(reference / "Numbers.mdb");
  ASSERT_NE(after, before);
  ASSERT_EQ(RunToTheEnd(reference).exit_status, 0);
  const SpelledRows after_twice = SoundJetNumbers(reference / "Numbers.mdb");

  std::ostringstream report;
  report << lines << " lines (Jet); " << TimesText(*times) << "\n";
  int index = 0, before_commit = 0, during_commit = 0;
  fs::path folder;  // the folder of the run being killed
  for (const KillPoint& point : JetKillPoints(*times, kills, &folder)) {
    SCOPED_TRACE(point.name);
    folder = FreshRunFolder("kill-" + std::to_string(++index));
    const ProgramResult killed = RunUntil(folder, point.reached);
    ASSERT_TRUE(fs::exists(folder / "Numbers.mdb"));
    const bool old =
        testing_support::ReadFileBytes(folder / "Numbers.mdb") == before_bytes;
    if (!old) {
      try {
        EXPECT_EQ(SoundJetNumbers(folder / "Numbers.mdb"), after)
            << "Numbers is neither the old file nor the new list";
      } catch (const core::Error& error) {
        ADD_FAILURE() << "the file left by the kill is not sound: " << error.what();
      }
    }
    const size_t copies_left = TemporaryCopies(folder).size();
    const bool backup = Exists(folder / "Numbers.mdb.bak");
    if (killed.killed && !killed.last.pipeline_finished_at) {
      EXPECT_TRUE(old) << "the file changed before the pipeline had finished";
      ++before_commit;
    }
    if (killed.killed && killed.last.pipeline_finished_at) ++during_commit;
    if (!killed.killed) {
      EXPECT_EQ(killed.exit_status, 0) << killed.output;
    }

    const ProgramResult next = RunToTheEnd(folder);
    EXPECT_EQ(next.exit_status, 0) << next.output;
    EXPECT_EQ(SoundJetNumbers(folder / "Numbers.mdb"), old ? after : after_twice);
    EXPECT_EQ(TemporaryCopies(folder), std::vector<std::string>{});

    report << KillLine(index, point, killed) << "; " << copies_left << " copies left"
           << (backup ? ", backup" : "") << "; Numbers " << (old ? "old" : "new") << "\n";
  }
  EXPECT_GT(before_commit, 0) << "no kill landed before the commit";
  EXPECT_GT(during_commit, 0) << "no kill landed between the pipeline's end and exit";
  std::cout << report.str();
}

}  // namespace
}  // namespace reliability
