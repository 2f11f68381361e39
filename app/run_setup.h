#ifndef PREISLISTE_APP_RUN_SETUP_H_
#define PREISLISTE_APP_RUN_SETUP_H_

#include <memory>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/run_update.h"
#include "app/setting_number.h"
#include "app/settings_store.h"

namespace app {

// What every front-end prepares before its run: the settings, the operator's
// number format for reading them, and the options of the command line.
struct RunSetup {
  std::unique_ptr<SettingsStore> store;
  NumberFormat numbers;
  RunOptions options;
  // --restore: the backup named, empty for the newest; none for a run.
  std::optional<std::string> restore;
};

// Opens the settings file (OpenSettingsFile), takes the locale of the
// environment and remembers its number format for the settings; then sets the
// C library's numeric locale to "C", since everything else in the program
// reads and writes numbers in C notation. For a `line` that asks for a run.
RunSetup PrepareRun(const CommandLine& line);

// What the command line asked for: the run (RunUpdate) or a restore
// (RestoreBackup).
RunResult RunPrepared(const RunSetup& setup, run::RunView& view);

}  // namespace app

#endif  // PREISLISTE_APP_RUN_SETUP_H_
