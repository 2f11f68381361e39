#include "app/run_setup.h"

#include <clocale>

#include "app/settings_file.h"

namespace app {

RunSetup PrepareRun(const CommandLine& line) {
  RunSetup setup;
  setup.store = OpenSettingsFile();
  std::setlocale(LC_ALL, "");
  setup.numbers = NumberFormatOfCurrentLocale();
  std::setlocale(LC_NUMERIC, "C");
  setup.options = {line.dry_run, line.report_file, line.skip_checks};
  return setup;
}

}  // namespace app
