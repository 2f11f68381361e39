#include "tests/reliability/program_run.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "tests/support/test_files.h"

namespace reliability {

namespace {

constexpr char kProgressStart[] = "Fortschritt Aktion:";

// The environment of the child: ours without a display, in console mode,
// with the given settings file.
std::vector<std::string> ChildEnvironment(const std::filesystem::path& settings) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("DISPLAY=") || text.starts_with("WAYLAND_DISPLAY=") ||
        text.starts_with("UPDATE_PREISLISTE_")) {
      continue;
    }
    env.emplace_back(text);
  }
  env.push_back("UPDATE_PREISLISTE_UI=console");
  env.push_back("UPDATE_PREISLISTE_SETTINGS=" + settings.string());
  return env;
}

// Reads every complete progress line in `output` from `parsed` on.
void ParseProgress(const std::string& output, size_t& parsed, ProgressState& state) {
  for (;;) {
    const size_t start = output.find(kProgressStart, parsed);
    if (start == std::string::npos) return;
    int action = 0, overall = 0, used = 0;
    if (std::sscanf(output.c_str() + start,
                    "Fortschritt Aktion: %d %%   Fortschritt gesamt: %d %%%n", &action,
                    &overall, &used) != 2 ||
        used == 0) {
      return;  // the rest of this line has not arrived yet
    }
    parsed = start + used;
    if (state.import_finished && overall == 100 && !state.pipeline_finished_at)
      state.pipeline_finished_at = state.now;
    if (state.import_finished && overall != 14) state.pipeline_started = true;
    if (overall == 14 && !state.import_finished) {
      state.import_finished = true;
      state.import_finished_at = state.now;
    }
    state.action = action;
    state.overall = overall;
  }
}

// The program, copied into a fresh folder that every user may enter. The
// build tree may lie in a private folder (a home folder, a checkout in
// mktemp -d), where another user cannot reach the program itself.
class ProgramCopy {
 public:
  ProgramCopy() {
    namespace fs = std::filesystem;
    constexpr fs::perms kOpenToAll = fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec;
    fs::permissions(folder_.path(), kOpenToAll);
    fs::copy_file(UPDATE_PREISLISTE_EXE, program_);
    fs::permissions(program_, kOpenToAll);
  }
  const std::filesystem::path& program() const { return program_; }

 private:
  testing_support::TempDir folder_;
  std::filesystem::path program_ = folder_.path() / "update-preisliste";
};

}  // namespace

ProgramResult RunProgram(const std::filesystem::path& folder,
                         const std::filesystem::path& settings,
                         const KillDecision& kill_when, std::chrono::seconds limit,
                         std::optional<unsigned> user_id) {
  std::vector<std::string> env = ChildEnvironment(settings);
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const std::unique_ptr<ProgramCopy> copy =
      user_id ? std::make_unique<ProgramCopy>() : nullptr;
  const std::string program = copy ? copy->program().string() : UPDATE_PREISLISTE_EXE;

  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) {
    ADD_FAILURE() << "forkpty: " << std::strerror(errno);
    return {};
  }
  if (child == 0) {
    if (user_id &&
        (setgroups(0, nullptr) != 0 || setgid(*user_id) != 0 || setuid(*user_id) != 0))
      _exit(125);
    if (chdir(folder.c_str()) != 0) _exit(126);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    execve(program.c_str(), argv, envp.data());
    std::fprintf(stderr, "cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    _exit(127);
  }

  ProgramResult result;
  ProgressState& state = result.last;
  state.started_at = state.now = ProgressState::Clock::now();
  size_t parsed = 0;
  bool open = true;
  while (open) {
    pollfd watch{terminal, POLLIN, 0};
    const int ready = poll(&watch, 1, 1);
    state.now = ProgressState::Clock::now();
    if (ready > 0) {
      char buffer[4096];
      const ssize_t got = read(terminal, buffer, sizeof buffer);
      if (got <= 0) {
        open = false;  // the program has closed the terminal: it has ended
      } else {
        result.output.append(buffer, static_cast<size_t>(got));
        ParseProgress(result.output, parsed, state);
      }
    }
    if (open && kill_when && kill_when(state)) {
      kill(child, SIGKILL);
      result.killed = true;
      break;
    }
    if (state.now - state.started_at > limit) {
      kill(child, SIGKILL);
      ADD_FAILURE() << "the program ran longer than " << limit.count() << " s";
      break;
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
    result.killed = false;  // it ended on its own before the signal arrived
  }
  return result;
}

std::filesystem::path WriteSettings(const std::filesystem::path& file,
                                    const std::filesystem::path& database_folder) {
  std::ofstream out(file, std::ios::binary);
  out << "[Options]\nRatingDefaultMargin=60\nMinimumRatePerMinute=0.1\nMwSt=19\nDB Path="
      << database_folder.string() << "\n[Pruefung]\nMaxWegfall=100\n";
  return file;
}

}  // namespace reliability
