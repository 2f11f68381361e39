// Measures what the window's progress handling costs: runs one whole update
// (settings from $UPDATE_PREISLISTE_SETTINGS, preise.csv from the current
// folder) either in the window or with the console view, and prints the
// seconds the run took, on the clock and in this process's CPU time
// ("run <wall seconds> <CPU seconds>"); the X server's own work is not in the
// CPU time. Needs a display for "window"
// (scripts/bench starts it under xvfb-run).
//
//   window_timer window|console
//
// The closing "Fertig!" box is not shown in window mode, so that nobody has to
// dismiss it; every other message goes to stderr and the run counts as failed.

#include <QApplication>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "app/console_view.h"
#include "app/form1.h"
#include "app/run_update.h"
#include "app/setting_number.h"
#include "app/settings_file.h"

namespace {

using app::ConsoleView;
using app::Form1;
using app::kFinishedMessage;
using app::NumberFormat;
using app::NumberFormatOfCurrentLocale;
using app::OpenSettingsFile;
using app::RunOutcome;
using app::RunUpdate;

using Clock = std::chrono::steady_clock;

// Passes progress on to the window; keeps messages off the screen.
class SilentMessages : public run::RunView {
 public:
  explicit SilentMessages(run::RunView& window) : window_(window) {}
  void SetOverallProgress(float value) override { window_.SetOverallProgress(value); }
  void SetActionProgress(float value) override { window_.SetActionProgress(value); }
  void ShowMessage(const std::string& text, Icon, const std::string&) override {
    if (text != kFinishedMessage) std::fprintf(stderr, "message: %s\n", text.c_str());
  }

 private:
  run::RunView& window_;
};

// Wall and CPU seconds of one stretch of work.
class Stopwatch {
 public:
  void Stop() {
    wall_ = std::chrono::duration<double>(Clock::now() - start_).count();
    cpu_ = static_cast<double>(std::clock() - cpu_start_) / CLOCKS_PER_SEC;
  }
  double wall() const { return wall_; }
  double cpu() const { return cpu_; }

 private:
  Clock::time_point start_ = Clock::now();
  std::clock_t cpu_start_ = std::clock();
  double wall_ = 0, cpu_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool window = argc == 2 && std::strcmp(argv[1], "window") == 0;
  if (argc != 2 || (!window && std::strcmp(argv[1], "console") != 0)) {
    std::fprintf(stderr, "usage: %s window|console\n", argv[0]);
    return 2;
  }
  const std::unique_ptr<app::SettingsStore> settings = OpenSettingsFile();
  const app::SettingsStore& store = *settings;
  RunOutcome outcome = RunOutcome::kStopped;
  Stopwatch watch;
  if (window) {
    QApplication application(argc, argv);
    const NumberFormat numbers = NumberFormatOfCurrentLocale();
    std::setlocale(LC_NUMERIC, "C");
    Form1 form([&](run::RunView& view) {
      SilentMessages silent(view);
      watch = Stopwatch();
      outcome = RunUpdate(store, numbers, silent);
      watch.Stop();
      return outcome;
    });
    form.show();
    application.exec();
  } else {
    std::setlocale(LC_ALL, "");
    const NumberFormat numbers = NumberFormatOfCurrentLocale();
    std::setlocale(LC_NUMERIC, "C");
    std::FILE* sink = std::fopen("/dev/null", "w");
    {
      ConsoleView view(sink, stderr, false);
      watch = Stopwatch();
      outcome = RunUpdate(store, numbers, view);
      watch.Stop();
    }
    std::fclose(sink);
  }
  if (outcome != RunOutcome::kCommitted) return 1;
  std::printf("run %.4f %.4f\n", watch.wall(), watch.cpu());
  return 0;
}
