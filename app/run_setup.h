#ifndef PREISLISTE_APP_RUN_SETUP_H_
#define PREISLISTE_APP_RUN_SETUP_H_

#include <memory>

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
};

// Opens the settings file (OpenSettingsFile), takes the locale of the
// environment and remembers its number format for the settings; then sets the
// C library's numeric locale to "C", since everything else in the program
// reads and writes numbers in C notation. For a `line` that asks for a run.
RunSetup PrepareRun(const CommandLine& line);

}  // namespace app

#endif  // PREISLISTE_APP_RUN_SETUP_H_
