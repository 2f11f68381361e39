// update-preisliste-fenster: the program an operator starts on Windows by
// double-clicking. The same run as update-preisliste, in the window
// "Update Preisliste"; --help, --version and a wrong command line are answered
// in a message box, since a program of the GUI subsystem has no console. Exit
// statuses as update-preisliste's.

#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/form_layout.h"
#include "app/run_setup.h"
#include "app/run_update.h"
#include "app/win32/form1.h"
#include "app/win32/message_box.h"
#include "app/win32/wide_text.h"

namespace app::win32 {
namespace {

constexpr int kUsageErrorStatus = 2;

// The command line as UTF-8, whatever the system's code page.
std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

CommandLine ParseArguments(std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(arguments.size()), argv.data());
}

void Tell(const std::string& text, run::RunView::Icon icon, const std::string& detail) {
  ShowMessageBox(nullptr, {Wide(kWindowCaption), Wide(text), Wide(detail), icon});
}

int Run(int show_command) {
  std::vector<std::string> arguments = Arguments();
  const CommandLine line = ParseArguments(arguments);
  switch (line.action) {
    case CommandLine::Action::kHelp:
      Tell(VersionText(), run::RunView::Icon::kInformation, HelpText());
      return EXIT_SUCCESS;
    case CommandLine::Action::kVersion:
      Tell(VersionText(), run::RunView::Icon::kInformation, {});
      return EXIT_SUCCESS;
    case CommandLine::Action::kUsageError:
      Tell(line.error, run::RunView::Icon::kError, UsageText());
      return kUsageErrorStatus;
    case CommandLine::Action::kRun:
    case CommandLine::Action::kRestore:
      break;
  }
  const RunSetup setup = PrepareRun(line);
  RunResult result;
  Form1 form([&](run::RunView& view) {
    result = RunPrepared(setup, view);
    return result.outcome;
  });
  form.Show(show_command);
  Form1::RunMessageLoop();
  return ExitStatus(result);
}

}  // namespace
}  // namespace app::win32

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  try {
    return app::win32::Run(show_command);
  } catch (const std::exception& error) {
    // The window could not be made: say so, as no console shows it.
    app::win32::Tell(error.what(), run::RunView::Icon::kError, {});
    return EXIT_FAILURE;
  }
}
