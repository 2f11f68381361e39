#ifndef PREISLISTE_TESTS_RELIABILITY_KILL_SERIES_H_
#define PREISLISTE_TESTS_RELIABILITY_KILL_SERIES_H_

#include <filesystem>
#include <string>
#include <vector>

#include "tests/reliability/program_run.h"

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

}  // namespace reliability

#endif  // PREISLISTE_TESTS_RELIABILITY_KILL_SERIES_H_
