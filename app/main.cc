// update-preisliste: refreshes the billing product's price list from the
// supplier's price file in one run. Without arguments it does just that; the
// options (--dry-run, --report FILE, --ohne-pruefung, --help, --version) add a
// preview, a change report or switch the checks of the new list off, and
// --restore [FILE] puts a backup back instead of a run. Shows its window when
// a display is available, and runs in the terminal otherwise or when
// UPDATE_PREISLISTE_UI=console; in the window Qt's own options (-platform
// offscreen, ...) are accepted too. Exit status 0 after a committed run (or a
// dry run that would have committed, or a restore), 1 when the run stopped
// (or a restore was refused), 2 for a wrong command line, 3 when the change
// list could not be written.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/command_line.h"
#include "app/console_view.h"
#include "app/run_setup.h"
#include "app/run_update.h"
#include "platform/console_output.h"
#include "platform/program_arguments.h"

#ifdef PREISLISTE_WITH_GUI
#include <QApplication>

#include "app/form1.h"
#endif

namespace app {
namespace {

constexpr int kUsageErrorStatus = 2;

bool HasDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

bool WantsWindow() {
  const char* ui = std::getenv("UPDATE_PREISLISTE_UI");
  if (ui != nullptr && std::string_view(ui) == "console") return false;
  return HasDisplay();
}

// Handles --help, --version and a wrong command line, before anything is
// opened; otherwise the options of the run.
std::optional<int> AnswerWithoutRun(const CommandLine& line) {
  switch (line.action) {
    case CommandLine::Action::kRun:
    case CommandLine::Action::kRestore:
      return std::nullopt;
    case CommandLine::Action::kHelp:
      platform::WriteText(stdout, HelpText());
      return EXIT_SUCCESS;
    case CommandLine::Action::kVersion:
      platform::WriteText(stdout, VersionText());
      return EXIT_SUCCESS;
    case CommandLine::Action::kUsageError:
      platform::WriteText(stderr,
                          "update-preisliste: " + line.error + "\n" + UsageText());
      return kUsageErrorStatus;
  }
  return kUsageErrorStatus;
}

int RunInConsole(const CommandLine& line) {
  if (const std::optional<int> status = AnswerWithoutRun(line)) return *status;
  const RunSetup setup = PrepareRun(line);
  ConsoleView view(stdout, stderr, isatty(STDOUT_FILENO) == 1);
  return ExitStatus(RunPrepared(setup, view));
}

#ifdef PREISLISTE_WITH_GUI
// Qt takes its own options (-platform, -display, -style, ...) out of argv
// first; ours are what remains. A line that is ours alone and asks for help
// or the version is answered before Qt starts, so that it needs no display.
int RunInWindow(int& argc, char** argv, CommandLine line) {
  if (line.action == CommandLine::Action::kHelp ||
      line.action == CommandLine::Action::kVersion)
    return *AnswerWithoutRun(line);
  QApplication application(argc, argv);  // sets the C library locale from the environment
  line = ParseCommandLine(argc, argv);
  if (const std::optional<int> status = AnswerWithoutRun(line)) return *status;
  const RunSetup setup = PrepareRun(line);
  RunResult result;
  Form1 form([&](run::RunView& view) {
    result = RunPrepared(setup, view);
    return result.outcome;
  });
  form.show();
  application.exec();
  return ExitStatus(result);
}
#endif

}  // namespace
}  // namespace app

int main(int argc, char** argv) {
  // The arguments as UTF-8 (on Windows from the UTF-16 command line).
  platform::ProgramArguments arguments(argc, argv);
  argc = arguments.count();
  argv = arguments.values();
  const app::CommandLine line = app::ParseCommandLine(argc, argv);
#ifdef PREISLISTE_WITH_GUI
  if (app::WantsWindow()) return app::RunInWindow(argc, argv, line);
#else
  (void)app::WantsWindow;
#endif
  return app::RunInConsole(line);
}
