#include "tests/reliability/kill_series.h"

#include <cstdlib>
#include <iomanip>
#include <sstream>

namespace reliability {
namespace {

namespace fs = std::filesystem;
using Clock = ProgressState::Clock;

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

}  // namespace

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

std::string MillisecondsText(Clock::duration duration) {
  return std::to_string(
             std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()) +
         " ms";
}

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

std::optional<RunTimes> TimesOfCompleteRun(const ProgramResult& run) {
  const ProgressState& last = run.last;
  if (run.exit_status != 0 || !last.import_finished_at || !last.pipeline_finished_at) {
    ADD_FAILURE() << "the uninterrupted run did not commit or drew no progress:\n"
                  << run.output;
    return std::nullopt;
  }
  return RunTimes{last.now - last.started_at, *last.import_finished_at - last.started_at,
                  last.now - *last.pipeline_finished_at};
}

std::string TimesText(const RunTimes& times) {
  return "uninterrupted run " + MillisecondsText(times.whole) + ", import " +
         MillisecondsText(times.import) + ", pipeline end to exit " +
         MillisecondsText(times.commit);
}

std::string KillLine(int index, const KillPoint& point, const ProgramResult& killed) {
  std::ostringstream line;
  line << std::setw(2) << index << ". " << std::left << std::setw(44) << point.name
       << std::right << (killed.killed ? " killed at action " : " ended itself, action ")
       << std::setw(3) << killed.last.action << " %, overall " << std::setw(3)
       << killed.last.overall << " %, " << std::setw(7)
       << MillisecondsText(killed.last.now - killed.last.started_at);
  return line.str();
}

fs::path KillSeriesTest::FreshRunFolder(const std::string& name) const {
  const fs::path folder = work_.path() / name;
  CopyFolderFiles(input(), folder);
  WriteSettings(folder / "settings.ini", folder);
  return folder;
}

ProgramResult KillSeriesTest::RunToTheEnd(const fs::path& folder) const {
  return RunUntil(folder, {});
}

ProgramResult KillSeriesTest::RunUntil(const fs::path& folder,
                                       const KillDecision& kill_when) const {
  return RunProgram(folder, folder / "settings.ini", kill_when);
}

}  // namespace reliability
