#ifndef PREISLISTE_APP_COMMAND_LINE_H_
#define PREISLISTE_APP_COMMAND_LINE_H_

#include <string>

namespace app {

// The program's options, read by GNU conventions: --dry-run, --report FILE
// (or --report=FILE, or an unambiguous abbreviation), --ohne-pruefung,
// --restore [FILE] (or --restore=FILE), --help, --version.
struct CommandLine {
  enum class Action { kRun, kRestore, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  std::string restore_file;  // for kRestore: the backup named, empty: the newest
  bool dry_run = false;
  std::string report_file;   // empty: no change list
  bool skip_checks = false;  // --ohne-pruefung
  std::string error;         // for kUsageError: what was wrong, in German
};

// Reads argv[1..argc-1]; the program takes no other arguments. The first
// --help or --version wins over the rest. argv itself is left as it was.
CommandLine ParseCommandLine(int argc, char** argv);

// For --help, on stdout.
std::string HelpText();
// For a usage error, on stderr after the error.
std::string UsageText();
// For --version.
std::string VersionText();

}  // namespace app

#endif  // PREISLISTE_APP_COMMAND_LINE_H_
