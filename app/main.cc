// update-preisliste: refreshes the billing product's price list from the
// supplier's price file in one run. Takes no arguments. Shows its window when
// a display is available, and runs in the terminal otherwise or when
// UPDATE_PREISLISTE_UI=console. Exit status 0 after a committed run, 1 when
// the run stopped.

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/console_view.h"
#include "app/ini_settings_store.h"
#include "app/run_update.h"
#include "app/setting_number.h"

#ifdef PREISLISTE_WITH_GUI
#include <QApplication>

#include "app/form1.h"
#endif

namespace app {
namespace {

int ExitStatus(bool committed) { return committed ? EXIT_SUCCESS : EXIT_FAILURE; }

// Settings are read in the operator's number format; everything else in the
// program reads and writes numbers in C notation.
NumberFormat TakeOperatorNumberFormat() {
  const NumberFormat numbers = NumberFormatOfCurrentLocale();
  std::setlocale(LC_NUMERIC, "C");
  return numbers;
}

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

int RunInConsole(const SettingsStore& store) {
  std::setlocale(LC_ALL, "");
  const NumberFormat numbers = TakeOperatorNumberFormat();
  ConsoleView view(stdout, stderr, isatty(STDOUT_FILENO) == 1);
  return ExitStatus(RunUpdate(store, numbers, view) == RunOutcome::kCommitted);
}

#ifdef PREISLISTE_WITH_GUI
int RunInWindow(int argc, char** argv, const SettingsStore& store) {
  QApplication application(argc, argv);  // sets the C library locale from the environment
  const NumberFormat numbers = TakeOperatorNumberFormat();
  Form1 form([&](db::RunView& view) { return RunUpdate(store, numbers, view); });
  form.show();
  application.exec();
  return ExitStatus(form.committed());
}
#endif

}  // namespace
}  // namespace app

int main(int argc, char** argv) {
  const app::IniSettingsStore store(app::DefaultSettingsFile());
#ifdef PREISLISTE_WITH_GUI
  if (app::WantsWindow()) return app::RunInWindow(argc, argv, store);
#else
  (void)argc;
  (void)argv;
  (void)app::WantsWindow;
#endif
  return app::RunInConsole(store);
}
