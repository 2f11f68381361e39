#ifndef PREISLISTE_APP_WINDOW_RUN_H_
#define PREISLISTE_APP_WINDOW_RUN_H_

#include <functional>

#include "app/run_update.h"
#include "run/run_view.h"

namespace app {

// The run-once logic of the window, shared by the front-ends that draw it
// (Qt on Linux, Win32 on Windows), as its layout is (app/form_layout.h). The
// window calls StartRunOnce on its first showing and its first activation;
// only the first call runs. The run holds the UI thread; while it runs, the
// window refuses to close (running()). A committed run or a finished dry run
// closes the window, which ends the program; after a stopped run it stays
// open until the operator closes it.
class WindowRun : public run::RunView {
 public:
  using Runner = std::function<RunOutcome(run::RunView&)>;

  bool run_started() const { return run_started_; }
  bool running() const { return running_; }
  bool committed() const { return committed_; }

 protected:
  explicit WindowRun(Runner runner) : runner_(std::move(runner)) {}

  // Runs the runner with this window as its view, unless it ran before.
  void StartRunOnce();

 private:
  // Draws the window now, so that the text and the empty bars are visible
  // before the long synchronous run starts.
  virtual void RepaintNow() = 0;
  // Whether the window takes the operator's input: false during the run.
  virtual void TakeInput(bool take) = 0;
  // Writes the last progress values to the bars.
  virtual void ShowProgress() = 0;
  virtual void CloseWindow() = 0;

  Runner runner_;
  bool run_started_ = false;  // the run-once flag; never reset
  bool running_ = false;
  bool committed_ = false;
};

}  // namespace app

#endif  // PREISLISTE_APP_WINDOW_RUN_H_
