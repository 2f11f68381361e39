#include "app/run_setup.h"

#include <clocale>

#include "app/restore_backup.h"
#include "app/settings_file.h"

namespace app {

RunSetup PrepareRun(const CommandLine& line) {
  RunSetup setup;
  setup.store = OpenSettingsFile();
  std::setlocale(LC_ALL, "");
  setup.numbers = NumberFormatOfCurrentLocale();
  std::setlocale(LC_NUMERIC, "C");
  setup.options = {line.dry_run, line.report_file, line.skip_checks};
  if (line.action == CommandLine::Action::kRestore) setup.restore = line.restore_file;
  return setup;
}

RunResult RunPrepared(const RunSetup& setup, run::RunView& view) {
  if (setup.restore)
    return RestoreBackup(*setup.store, setup.numbers, view, *setup.restore);
  return RunUpdate(*setup.store, setup.numbers, view, setup.options);
}

}  // namespace app
