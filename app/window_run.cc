#include "app/window_run.h"

namespace app {

void WindowRun::StartRunOnce() {
  if (run_started_) return;
  RepaintNow();
  run_started_ = true;
  running_ = true;
  TakeInput(false);
  const RunOutcome outcome = runner_(*this);
  running_ = false;
  TakeInput(true);
  ShowProgress();  // the bars as the run left them
  if (outcome != RunOutcome::kStopped) {
    committed_ = outcome == RunOutcome::kCommitted;
    CloseWindow();
  }
}

}  // namespace app
