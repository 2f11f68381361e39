#ifndef PREISLISTE_TESTS_RELIABILITY_KILL_SERIES_H_
#define PREISLISTE_TESTS_RELIABILITY_KILL_SERIES_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/reliability/program_run.h"
#include "tests/support/test_files.h"

// The moments at which the crash tests kill the built program, whatever file
// it works on: spread over the import, the pipeline and the commit, aimed by
// the progress line and by the timings of an uninterrupted run.
namespace reliability {

struct KillPoint {
  std::string name;
  KillDecision reached;
};

// The whole number in the environment variable `name`, or `fallback` when it
// is unset or empty.
int EnvironmentNumber(const char* name, int fallback);

std::string MillisecondsText(ProgressState::Clock::duration duration);

// A share of the time between the pipeline's end and the program's exit of an
// uninterrupted run: the commit happens in it.
KillPoint InCommit(double share, ProgressState::Clock::duration commit_time);

// Every kill point, in the order of the run: six during the import, many at
// values of the pipeline's overall bar and inside the record loops, five in
// the commit.
std::vector<KillPoint> AllKillPoints(ProgressState::Clock::duration import_time,
                                     ProgressState::Clock::duration commit_time);

// `count` of the points, spread evenly from the first to the last.
std::vector<KillPoint> Spread(std::vector<KillPoint> all, int count);

// Copies the files a run leaves in `from` (Numbers.mdb, an SQLite journal,
// preise.csv) into `to`, creating it.
void CopyFolderFiles(const std::filesystem::path& from, const std::filesystem::path& to);

// The timings of an uninterrupted run, which aim the kill points.
struct RunTimes {
  ProgressState::Clock::duration whole, import;
  ProgressState::Clock::duration commit;  // from the pipeline's end to the exit
};

// The times of a run that committed and drew its progress; none, with a test
// failure, for any other.
std::optional<RunTimes> TimesOfCompleteRun(const ProgramResult& run);

// "uninterrupted run … ms, import … ms, pipeline end to exit … ms".
std::string TimesText(const RunTimes& times);

// The start of a report line on one kill: its number, the point, and where
// the progress stood when the program was killed (or ended by itself).
std::string KillLine(int index, const KillPoint& point, const ProgramResult& killed);

// A crash test's folders: the generated input goes into input(); each run
// works in a fresh copy of it beside, with its own settings file.
class KillSeriesTest : public testing::Test {
 protected:
  std::filesystem::path input() const { return work_.path() / "input"; }
  std::filesystem::path FreshRunFolder(const std::string& name) const;
  ProgramResult RunToTheEnd(const std::filesystem::path& folder) const;
  ProgramResult RunUntil(const std::filesystem::path& folder,
                         const KillDecision& kill_when) const;

  testing_support::TempDir work_;
};

}  // namespace reliability

#endif  // PREISLISTE_TESTS_RELIABILITY_KILL_SERIES_H_
