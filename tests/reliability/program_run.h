#ifndef PREISLISTE_TESTS_RELIABILITY_PROGRAM_RUN_H_
#define PREISLISTE_TESTS_RELIABILITY_PROGRAM_RUN_H_

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace reliability {

// What the built program has shown on its progress line so far.
struct ProgressState {
  using Clock = std::chrono::steady_clock;
  int action = 0;   // "Fortschritt Aktion", percent
  int overall = 0;  // "Fortschritt gesamt", percent
  // The import is over once the overall bar has shown 14; the pipeline then
  // restarts it at 5.
  bool import_finished = false;
  std::optional<Clock::time_point> import_finished_at;
  bool pipeline_started = false;
  // When the pipeline's overall bar first showed 100: the commit follows.
  std::optional<Clock::time_point> pipeline_finished_at;
  Clock::time_point started_at;
  Clock::time_point now;
};

struct ProgramResult {
  bool killed = false;  // SIGKILLed by the caller's decision
  int exit_status = -1;
  std::string output;  // everything written to the terminal
  ProgressState last;  // the progress line when the program ended
};

// Decides, from the latest progress, whether to kill the program now. Asked
// after every piece of output and at least every millisecond.
using KillDecision = std::function<bool(const ProgressState&)>;

// Runs the program in console mode in `folder` (its current folder, where
// preise.csv lies) with the settings file `settings`, attached to a
// pseudo-terminal so that it draws its progress line. Sends SIGKILL as soon as
// `kill_when` says so (never when it is empty). Fails the test when the
// program runs longer than `limit`. With `user_id` set, a copy of the program
// in a folder open to every user runs as that user (the caller must be root,
// and `folder` must be open to that user); exit status 125 when it cannot
// switch.
ProgramResult RunProgram(const std::filesystem::path& folder,
                         const std::filesystem::path& settings,
                         const KillDecision& kill_when,
                         std::chrono::seconds limit = std::chrono::seconds(600),
                         std::optional<unsigned> user_id = std::nullopt);

// Writes a settings file for a run on the database in `database_folder`
// (margin 60, minimum rate 0.1, VAT 19) and returns its path. The check of a
// shrinking list is off (MaxWegfall=100): the generated decks replace more
// of their list than it allows.
std::filesystem::path WriteSettings(const std::filesystem::path& file,
                                    const std::filesystem::path& database_folder);

}  // namespace reliability

#endif  // PREISLISTE_TESTS_RELIABILITY_PROGRAM_RUN_H_
